#include "tests/support/processes.h"

#include <sstream>
#include <string>

#include "tests/support/test_dirs.h"

namespace qbc::test {

bool ProcessRuns(pid_t pid) {
  if (pid <= 0) return false;
  std::istringstream stat(ReadFile("/proc/" + std::to_string(pid) + "/stat"));
  std::string number, name, state;
  return static_cast<bool>(stat >> number >> name >> state) && state != "Z" && state != "X";
}

}  // namespace qbc::test
