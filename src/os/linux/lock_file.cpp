#include "os/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "os/paths.h"

namespace vex {

namespace {

// $XDG_RUNTIME_DIR is the user's own. Without it the lock goes into a
// directory of the temporary directory that only this user can write, made
// for it: a file at a shared name could be made first by another user, and
// would then keep this user's saver from ever starting. Empty when no such
// directory can be had.
std::string lock_directory() {
  const char* r = std::getenv("XDG_RUNTIME_DIR");
  if (r && r[0] == '/') return r;
  const std::string dir = runtime_directory() + "/vexmoor-" + std::to_string(getuid());
  ::mkdir(dir.c_str(), 0700);
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 0077) != 0)
    return {};
  return dir;
}

std::string lock_in_private_directory(const std::string& name) {
  const std::string dir = lock_directory();
  return dir.empty() ? std::string() : dir + "/" + name;
}

}  // namespace

std::string default_lock_path() { return lock_in_private_directory("vexmoor-" + std::to_string(getuid()) + ".lock"); }
std::string audio_lock_path() {
  return lock_in_private_directory("vexmoor-" + std::to_string(getuid()) + "-sound.lock");
}

InstanceLock take_instance_lock(const std::string& lock_path, std::string* problem) {
  auto unavailable = [&](const char* why) {
    if (problem) *problem = why;
    return InstanceLock::kUnavailable;
  };
  // Close-on-exec: a browser started from the bug report must not inherit
  // the lock and keep "a saver" alive after we end. Non-blocking: whatever
  // sits at the path (a FIFO) must not hold up the start.
  if (lock_path.empty()) return unavailable("no directory only this user can write could be had for it");
  // Never through a symbolic link: it would make its missing target.
  int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW, 0600);
  if (fd < 0) return unavailable(errno == ELOOP ? "a symbolic link stands at its place" : std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return unavailable("not a regular file");
  }
  if (st.st_uid != geteuid()) {
    ::close(fd);
    return unavailable("the file belongs to another user");
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) return InstanceLock::kOtherRunning;
    return unavailable(std::strerror(err));
  }
  // fd stays open on purpose until the process ends.
  return InstanceLock::kAlone;
}

}  // namespace vex
