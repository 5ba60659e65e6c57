#pragma once
// A compiler state for tests that drive front-end services and generators directly,
// without the driver: a source text held in memory as the main source file, read and
// tokenized line by line like a compilation does.
#include <memory>
#include <string>
#include <vector>

#include "compiler/base/report.h"
#include "compiler/base/state.h"

namespace qbc::test {

struct CompilerFixture {
  CompilerFixture();

  // Makes `text` the main source (named `name` in error lines) and reads its first line
  // that holds a statement, as the driver and the statement-end check do: afterwards
  // Tokens holds that line and TokenIndex is 0.
  void LoadSource(const std::string& text, const std::string& name = "test.bas");

  // Tokenizes one line into a fresh token table (TokenCount and TokenIndex 0 first).
  void Tokenize(const std::string& line);

  // The tokens of the current line up to and including "<EOL>", as "text/kind".
  std::vector<std::string> TokenList() const;

  std::unique_ptr<CompilerState> owned;
  CompilerState& st;
  ReportSink report;
};

}  // namespace qbc::test
