#include "os/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "os/paths.h"

namespace vex {

std::string default_lock_path() { return runtime_directory() + "/vexmoor-" + std::to_string(getuid()) + ".lock"; }
std::string audio_lock_path() {
  return runtime_directory() + "/vexmoor-" + std::to_string(getuid()) + "-sound.lock";
}

InstanceLock take_instance_lock(const std::string& lock_path, std::string* problem) {
  auto unavailable = [&](const char* why) {
    if (problem) *problem = why;
    return InstanceLock::kUnavailable;
  };
  // Close-on-exec: a browser started from the bug report must not inherit
  // the lock and keep "a saver" alive after we end. Non-blocking: whatever
  // sits at the path (a FIFO) must not hold up the start.
  int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600);
  if (fd < 0) return unavailable(std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return unavailable("not a regular file");
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
