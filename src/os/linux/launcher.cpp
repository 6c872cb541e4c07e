#include "os/launcher.h"

#include <sys/wait.h>
#include <unistd.h>

namespace vex {

bool open_in_browser(const std::string& url) {
  // Fork twice so the browser is not our child: no zombie, and it outlives
  // us when the program ends right after.
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    pid_t grandchild = fork();
    if (grandchild == 0) {
      execlp("xdg-open", "xdg-open", url.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace vex
