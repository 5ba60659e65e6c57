#include "tests/support/run_command.h"

#include <sys/wait.h>

#include <cstdio>

namespace qbc::test {

CommandResult RunShell(const std::string& command) {
  CommandResult r;
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return r;
  char buf[512];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  const int ws = pclose(p);
  r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
  return r;
}

}  // namespace qbc::test
