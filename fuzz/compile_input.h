#pragma once
// One compilation of an arbitrary source text, as the fuzzer and the replay of its kept
// inputs run it: a fresh compiler state and a fresh installation folder every time, so
// that no input sees what an earlier one left behind.
#include <string>
#include <string_view>

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

}  // namespace qbc::fuzz
