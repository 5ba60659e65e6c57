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
  }
}

}  // namespace
}  // namespace qbc::test
