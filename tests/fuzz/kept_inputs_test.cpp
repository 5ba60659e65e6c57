// Replays every input that once broke the compiler (fuzz/kept) through the fuzzer's own
// harness: each must compile to an end without a run-time failure. In the sanitizer build
// a report ends the process, so the replay also proves them sanitizer-clean.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/compile_input.h"
#include "tests/support/test_dirs.h"

namespace qbc::test {
namespace {

std::vector<std::string> KeptInputs() {
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(std::string(QBC_SOURCE_DIR) + "/fuzz/kept"))
    if (e.is_regular_file() && e.path().filename() != "README.md") files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

TEST(KeptFuzzInputs, EveryOneCompilesToAnEnd) {
  const std::vector<std::string> files = KeptInputs();
  ASSERT_FALSE(files.empty());
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const fuzz::CompileOutcome out = fuzz::CompileInput(ReadFile(file), BinDir() + "/inc");
    EXPECT_EQ(out.failure, "") << out.report;
    // every line written names its line: a numbered compile error
    EXPECT_EQ(fuzz::BareOutputLines(out), std::vector<std::string>{}) << out.report;
  }
}

// The fuzzer's own check of what a compilation wrote.
TEST(KeptFuzzInputs, OnlyNumberedErrorsPassTheBareOutputCheck) {
  const std::string numbered = " 1. Syntax error! (\"/tmp/p.bas\" --> Line  5)\r\n";
  const struct {
    const char* what;
    fuzz::CompileOutcome outcome;
    std::vector<std::string> bare;
  } cases[] = {
      {"nothing written", {0, "", ""}, {}},
      {"a compilation without errors", {0, "", "Quorvil Compiler : 16 lines compiled OK\r\n"}, {}},
      {"one whose $stack could not be checked",
       {0, "", "Quorvil Compiler : 13 lines compiled OK\r\nstack depth not known: $stack not checked\r\n"},
       {}},
      {"an OK line without its count", {0, "", "Quorvil Compiler :  lines compiled OK\r\n"},
       {"Quorvil Compiler :  lines compiled OK"}},
      {"numbered errors", {2, "", numbered + " 12. Missing \")\" (\"/a b/p.bas\" --> Line  1234)\r\n"}, {}},
      {"a failure", {1, "stol", ""}, {"stol"}},
      {"a bare exception in the report", {1, "", numbered + "basic_string::substr\r\n"}, {"basic_string::substr"}},
      {"a number with no line", {1, "", " 1. Overflow\r\n"}, {" 1. Overflow"}},
      {"no line number", {1, "", " 1. X (\"p.bas\" --> Line  )\r\n"}, {" 1. X (\"p.bas\" --> Line  )"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(fuzz::BareOutputLines(c.outcome), c.bare);
  }
}

}  // namespace
}  // namespace qbc::test
