#pragma once
// Runs a shell command line and captures what it printed, for tests of the command-line
// programs (qbc) as a user starts them.
#include <string>

namespace qbc::test {

struct CommandResult {
  int status = -1;     // exit status, -1 when it did not end normally
  std::string output;  // standard output and standard error
};

// `command` goes to /bin/sh as it is: quote paths in it.
CommandResult RunShell(const std::string& command);

}  // namespace qbc::test
