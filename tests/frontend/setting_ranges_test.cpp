// Settings and declarations whose values no program can have: one compile error at their
// line (not a second one for the setting then missing), never a computation that overflows
// or a variable that overlaps the next one.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc {
namespace {

TEST(SettingRanges, AbsurdValuesAreCompileErrors) {
  struct Case {
    const char* what;
    std::string source;
    std::string error;  // the only error
    int line;
  } cases[] = {
      {"a clock of 1e30 MHz", "$device = m8\n$clock = 1e30\n$stack = 32\nWaitUs 10\n",
       "Clock 1e30 out of range (at most 100 MHz)!", 2},
      {"a clock just above 100 MHz", "$device = m8\n$clock = 101\n$stack = 32\nWaitms 10\n",
       "Clock 101 out of range (at most 100 MHz)!", 2},
      {"a baud rate of 1e30", "$device = m8\n$clock = 8\n$baud = 1e30\n$stack = 32\n",
       "Baud rate too High for given Clock!", 3},
      {"a baud rate beyond 32 bits", "$device = m8\n$clock = 8\n$baud = 99999999999\n$stack = 32\n",
       "Baud rate too High for given Clock!", 3},
      {"an array of no element", "$device = m8\n$clock = 8\n$stack = 32\nDim A(0) As Byte\nDim B As Byte\n",
       "Array A needs at least one element!", 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::CompiledBasic r = test::CompileBasic(c.source + "End\n");
    EXPECT_EQ(r.failure, "");
    EXPECT_TRUE(r.StartsWithError(c.error, c.line)) << r.report;
    EXPECT_EQ(r.error_count, 1) << r.report;
  }
}

// The clocks an AVR runs at are taken, whole or with decimals.
TEST(SettingRanges, ClocksUpTo100MHzAreTaken) {
  for (const char* clock : {"0.5", "8", "20", "100"}) {
    SCOPED_TRACE(clock);
    auto run = test::RunBasic(std::string("$device = m8\n$clock = ") + clock +
                              "\n$stack = 32\nDim A As Byte\nWaitUs 10\nA = 3\nEnd\n");
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("a"), 3);
  }
}

}  // namespace
}  // namespace qbc
