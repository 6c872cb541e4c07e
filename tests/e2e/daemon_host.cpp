#include "daemon_host.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "x_session.h"

namespace vex::test {
namespace {

constexpr uid_t kNobody = 65534;

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> split_at_nul(const std::string& s) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  while (from < s.size()) {
    std::size_t end = s.find('\0', from);
    if (end == std::string::npos) end = s.size();
    parts.push_back(s.substr(from, end - from));
    from = end + 1;
  }
  return parts;
}

}  // namespace

uid_t plain_uid() { return geteuid() == 0 ? kNobody : geteuid(); }

std::vector<std::string> as_plain_user(const std::vector<std::string>& environment,
                                       const std::vector<std::string>& cmd) {
  std::vector<std::string> argv;
  if (geteuid() == 0) {
    const std::string id = std::to_string(kNobody);
    argv = {"setpriv", "--pdeathsig", "KILL", "--reuid=" + id, "--regid=" + id, "--clear-groups"};
  }
  argv.push_back("env");
  argv.push_back("-i");
  argv.insert(argv.end(), environment.begin(), environment.end());
  argv.insert(argv.end(), cmd.begin(), cmd.end());
  return argv;
}

void give_to_plain_user(const std::filesystem::path& dir) {
  if (geteuid() != 0) return;
  auto give = [](const std::filesystem::path& p) {
    if (lchown(p.c_str(), kNobody, kNobody) != 0) throw std::runtime_error("cannot give " + p.string() + " to nobody");
  };
  for (auto& e : std::filesystem::recursive_directory_iterator(dir)) give(e.path());
  give(dir);
}

std::vector<int> our_processes(const std::string& home, const std::vector<std::filesystem::path>& programs) {
  // The program by its file (device and inode): a host may start it by a
  // link, a bare name, or from a folder bound elsewhere in a namespace of
  // its own, where its path is not ours.
  std::vector<std::pair<dev_t, ino_t>> ours;
  for (const auto& program : programs.empty() ? std::vector<std::filesystem::path>{VEXMOOR_BINARY} : programs) {
    struct stat st {};
    if (stat(program.c_str(), &st) == 0) ours.emplace_back(st.st_dev, st.st_ino);
  }
  std::vector<int> pids;
  DIR* proc = opendir("/proc");
  if (!proc) return pids;
  while (dirent* e = readdir(proc)) {
    int pid = std::atoi(e->d_name);
    if (pid <= 0) continue;
    struct stat st {};
    if (stat(("/proc/" + std::string(e->d_name) + "/exe").c_str(), &st) != 0) continue;
    if (std::find(ours.begin(), ours.end(), std::make_pair(st.st_dev, st.st_ino)) == ours.end()) continue;
    if (process_variable(pid, "HOME") == home) pids.push_back(pid);
  }
  closedir(proc);
  return pids;
}

std::vector<std::string> process_arguments(int pid) {
  return split_at_nul(read_all("/proc/" + std::to_string(pid) + "/cmdline"));
}

std::optional<std::string> process_variable(int pid, const std::string& name) {
  for (const std::string& kv : split_at_nul(read_all("/proc/" + std::to_string(pid) + "/environ")))
    if (kv.rfind(name + "=", 0) == 0) return kv.substr(name.size() + 1);
  return std::nullopt;
}

int holding(const std::vector<int>& pids, const std::filesystem::path& file) {
  struct stat want {};
  if (stat(file.c_str(), &want) != 0) return 0;
  int n = 0;
  for (int pid : pids) {
    std::error_code ec;
    // The same file by its device and inode: a host may show it to us at
    // another path than ours.
    for (const auto& fd : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
      struct stat st {};
      if (stat(fd.path().c_str(), &st) == 0 && st.st_dev == want.st_dev && st.st_ino == want.st_ino) {
        ++n;
        break;
      }
    }
  }
  return n;
}

bool installed(const std::string& program) {
  int status = -1;
  run_tool({"sh", "-c", "command -v \"$0\"", program}, {}, &status);
  return status == 0;
}

}  // namespace vex::test
