#include "tests/support/processes.h"

#include <unistd.h>

#include <filesystem>
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

struct ProcessStat {
  std::string state;
  long parent = 0;
  unsigned long flags = 0;
};

bool ReadStat(const std::string& pid, ProcessStat& s) {
  const std::string text = ReadFile("/proc/" + pid + "/stat");
  // The program's name stands in parentheses and may hold spaces or parentheses itself.
  const auto nameEnd = text.rfind(')');
  if (nameEnd == std::string::npos) return false;
  std::istringstream stat(text.substr(nameEnd + 1));
  long group = 0, session = 0, tty = 0, ttyGroup = 0;
  return static_cast<bool>(stat >> s.state >> s.parent >> group >> session >> tty >> ttyGroup >> s.flags);
}

}  // namespace

bool ProcessRuns(pid_t pid) {
  if (pid <= 0) return false;
  ProcessStat s;
  if (!ReadStat(std::to_string(pid), s)) return false;
  return s.state != "Z" && s.state != "X" && (s.flags & kExiting) == 0;
}

int UnreapedChildren() {
  int count = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    ProcessStat s;
    if (ReadStat(name, s) && s.parent == getpid() && s.state == "Z") ++count;
  }
  return count;
}

}  // namespace qbc::test
