#include "os/launcher.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace vex {

bool open_in_browser(const std::string& url) {
  // Fork twice so the browser is not our child: no zombie, and it outlives
  // us when the program ends right after. No shell: the address is one
  // argument, whatever it holds.
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
    // With SIGCHLD ignored (inherited from whoever started us) the system
    // reaps the child itself and there is nothing to wait for: it ran.
    if (errno != EINTR) return errno == ECHILD;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace vex
