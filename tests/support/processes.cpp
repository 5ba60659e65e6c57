#include "tests/support/processes.h"

#include <sstream>
#include <string>

#include "tests/support/test_dirs.h"

namespace qbc::test {

namespace {
// The kernel's flag of a process that has begun to end: its files are closed already, so it
// can write nothing more, but /proc still shows it running until it becomes a zombie. On a
// loaded machine a killed build's programs can stay in that state for a while after the last
// of them let go of the build's pipes.
constexpr unsigned long kExiting = 0x4;
}  // namespace

bool ProcessRuns(pid_t pid) {
  if (pid <= 0) return false;
  const std::string text = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  // The program's name stands in parentheses and may hold spaces or parentheses itself.
  const auto nameEnd = text.rfind(')');
  if (nameEnd == std::string::npos) return false;
  std::istringstream stat(text.substr(nameEnd + 1));
  std::string state;
  long parent = 0, group = 0, session = 0, tty = 0, ttyGroup = 0;
  unsigned long flags = 0;
  if (!(stat >> state >> parent >> group >> session >> tty >> ttyGroup >> flags)) return false;
  return state != "Z" && state != "X" && (flags & kExiting) == 0;
}

}  // namespace qbc::test
