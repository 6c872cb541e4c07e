#include "platform/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/paths.h"

namespace vex {

std::string default_lock_path() { return runtime_directory() + "/vexmoor-" + std::to_string(getuid()) + ".lock"; }

bool register_instance_and_check_others(const std::string& lock_path) {
  // Close-on-exec: a browser started from the bug report must not inherit
  // the lock and keep "an instance" alive after we end.
  int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;  // cannot tell: assume we are alone
  bool others = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  // Hold a shared lock from now on (converting ours, or joining the others').
  ::flock(fd, LOCK_SH | LOCK_NB);
  // fd stays open on purpose until the process ends.
  return others;
}

}  // namespace vex
