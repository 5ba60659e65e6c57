// A handler whose statements change more registers than its Save level names keeps them
// all the same: the level is a minimum. A Timer0 handler fires every 2048 cycles, about
// 1000 to 6000 times in each run, at every place of the main loop's sums; the main loop counts the
// results it finds wrong, and the same program with the interrupt off finds none.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

struct Row {
  const char* save;
  const char* handler;  // the body of Interrupt Ovf0()
  const char* main;     // one pass of the main loop: counts Bad
};

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = {
      // r24 and zl: level 1 names Z only, level 0 nothing.
      {"1", "  Cnt = Cnt + T\n", "  S = A + B\n  If S <> 30 Then Bad = Bad + 1\n"},
      {"0", "  Cnt = Cnt + T\n", "  S = A + B\n  If S <> 30 Then Bad = Bad + 1\n"},
      // A long sum uses r18 to r21 and X, beyond level 2.
      {"2", "  Lc = Lc + Ld\n", "  Lm = La + Lb\n  If Lm <> 300000 Then Bad = Bad + 1\n"},
      // A float sum calls the float core (r16 to r19, r7), beyond level 4.
      {"4", "  Hf = Hf + 1.5\n", "  Mf = Fa * Fb\n  If Mf <> 3.375 Then Bad = Bad + 1\n"},
  };
  return rows;
}

std::string Program(const Row& row, bool interrupts) {
  std::string s = "$device = m8\n$clock = 8\n$stack = 40\n";
  s += "Declare Interrupt Ovf0()\n";
  s += "Dim N As Word, Bad As Word, Ticks As Word, Cnt As Byte, T As Byte, A As Byte, B As Byte, S As Byte\n"
       "Dim La As Long, Lb As Long, Lm As Long, Lc As Long, Ld As Long\n"
       "Dim Fa As Float, Fb As Float, Mf As Float, Hf As Float\n";
  s += "Bad = 0 : Ticks = 0 : Cnt = 0 : T = 3 : A = 10 : B = 20\n"
       "La = 100000 : Lb = 200000 : Lc = 0 : Ld = 70000 : Fa = 1.5 : Fb = 2.25 : Hf = 0\n";
  // Timer0 overflow every 2048 cycles (clk/8).
  s += "$asm\n  ldi r16,0x02\n  out TCCR0,r16\n";
  if (interrupts) s += "  ldi r16,0x01\n  out TIMSK,r16\n  sei\n";
  s += "$end asm\n";
  s += std::string("For N = 1 To 60000\n") + row.main + "Next\n";
  s += "$asm\n  cli\n$end asm\nEnd\n";
  s += std::string("Interrupt Ovf0(), Save ") + row.save + "\n" + row.handler + "  Ticks = Ticks + 1\nEnd Interrupt\n";
  return s;
}

TEST(HandlerSaveSet, AHandlerKeepsEveryRegisterItsStatementsChange) {
  for (const Row& row : Rows()) {
    SCOPED_TRACE(std::string("Save ") + row.save + ": " + row.handler);
    auto quiet = RunBasic(Program(row, false), "atmega8", 100'000'000);
    ASSERT_TRUE(quiet->ok) << quiet->Diagnostics();
    ASSERT_EQ(quiet->Word("bad"), 0);
    auto busy = RunBasic(Program(row, true), "atmega8", 100'000'000);
    if (!busy->ok) {
      ADD_FAILURE() << "the run with the handler did not end: " << busy->Diagnostics().substr(0, 600);
      continue;
    }
    EXPECT_GT(busy->Word("ticks"), 500) << "the handler ran often";
    EXPECT_EQ(busy->Word("bad"), 0) << "main results the handler disturbed";
    EXPECT_EQ(busy->Word("n"), 60001) << "the main loop ran to its end";
  }
}

}  // namespace
}  // namespace qbc::test
