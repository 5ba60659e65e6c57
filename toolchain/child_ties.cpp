#include "toolchain/child_ties.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>

namespace qbc {

void EndWithParent(pid_t parent) {
  // The signal comes with the parent's end; one that came before this call did not, and
  // the child then has another parent.
  if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) _exit(127);
}

void HandDown(int fd) {
  if (fd < 0) return;
  const int flags = fcntl(fd, F_GETFD);
  if (flags >= 0) fcntl(fd, F_SETFD, flags & ~FD_CLOEXEC);
}

}  // namespace qbc
