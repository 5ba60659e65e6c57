#include "tests/support/compiler_fixture.h"

#include "compiler/driver/driver.h"
#include "compiler/frontend/source_files.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/frontend/tokenizer.h"
#include "tests/support/fuzz_seeds.h"

namespace qbc::test {

CompilerFixture::CompilerFixture() : owned(std::make_unique<CompilerState>()), st(*owned) {
  st.ResetCompilerGlobals();
  ConnectDriverEntries(st);
  st.ErrorCount = 0;
  st.report = &report;
  st.src.IncludeStack[0].FileName = "test.bas";
}

void CompilerFixture::LoadSource(const std::string& text, const std::string& name) {
  KeepFuzzSeed(text);
  st.src.SourceFileNumber = OpenSourceText(st, name, text);
  st.src.IncludeLevel = 0;
  st.src.IncludeStack[0].FileNumber = st.src.SourceFileNumber;
  st.src.IncludeStack[0].FileName = name;
  st.src.SourceLineNumber = 0;
  st.src.TokenIndex = 0;
  st.src.Tokens[0].Text = "<EOL>";
  st.src.Tokens[0].Kind = kTokEol;
  CheckStatementEnd(st);
}

void CompilerFixture::Tokenize(const std::string& line) {
  st.src.TokenCount = 0;
  st.src.TokenIndex = 0;
  std::string copy = line;
  TokenizeLine(st, copy);
}

std::vector<std::string> CompilerFixture::TokenList() const {
  std::vector<std::string> out;
  for (long i = 0; i < st.src.TokenCount; ++i) {
    const TokenRecord& t = st.src.Tokens[i];
    out.push_back(t.Text + "/" + std::to_string(t.Kind));
  }
  return out;
}

}  // namespace qbc::test
