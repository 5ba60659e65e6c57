#include "tests/support/unprivileged.h"

#include <sys/wait.h>
#include <unistd.h>

namespace qbc::test {

int RunUnprivileged(const std::function<int()>& body) {
  pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
    _exit(body());
  }
  int ws = 0;
  waitpid(pid, &ws, 0);
  return WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
}

}  // namespace qbc::test
