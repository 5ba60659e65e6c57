#pragma once
// One compilation of an arbitrary source text, as the fuzzer and the replay of its kept
// inputs run it: a fresh compiler state and a fresh installation folder every time, so
// that no input sees what an earlier one left behind.
#include <string>
#include <string_view>
#include <vector>

namespace qbc::fuzz {

struct CompileOutcome {
  int errorCount = 0;
  std::string failure;  // a run-time failure of the compiler, if any
  std::string report;   // the report box text
};

// Compiles `source` as the document prog.bas in a new temporary folder whose installation
// folder holds tmp.tmp and a link `inc` to `incDir` (the build's device files). The folder
// is removed before the call returns.
CompileOutcome CompileInput(std::string_view source, const std::string& incDir);

// What the compilation wrote that is neither a numbered compile error of the report
// (" N. message ("file" --> Line  L)"), nor the report's "Quorvil Compiler : N lines
// compiled OK", nor empty: a failure on the failure channel, or a
// report line of any other form. Each such line is the text of an exception or an internal
// failure that escaped without naming the line at fault.
std::vector<std::string> BareOutputLines(const CompileOutcome& outcome);

}  // namespace qbc::fuzz
