// Float functions in an interrupt handler while the main loop works others: the handler's
// entry reads the functions' text (calls, jumps into shared tails, pushes and pops) and
// keeps every register they change, so the main loop's results come out bit for bit as
// they did before interrupts were on.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Program(bool interrupts) {
  std::string s = "$device = m8\n$clock = 8\n$stack = 126\n";
  s += "Declare Interrupt Ovf0()\n";
  s += "Dim N As Word, Bad As Word, Ticks As Word\n"
       "Dim X As Float, Y As Float, R As Float, Ref1 As Float, Ref2 As Float, Ref3 As Float, H As Float, "
       "Hx As Float\n";
  s += "X = 0.7 : Y = 2.5 : Hx = 0.3 : Bad = 0 : Ticks = 0\n"
       "Ref1 = Sin(X) + Cos(Y)\nRef2 = Atan2(X, Y) * Log(Y)\nRef3 = Tan(Y) - Sinh(X)\n";
  // Timer0 overflow every 16384 cycles (clk/64).
  s += "$asm\n  ldi r16,0x03\n  out TCCR0,r16\n";
  if (interrupts) s += "  ldi r16,0x01\n  out TIMSK,r16\n  sei\n";
  s += "$end asm\n";
  s += "For N = 1 To 200\n"
       "  R = Sin(X) + Cos(Y)\n  If R <> Ref1 Then Bad = Bad + 1\n"
       "  R = Atan2(X, Y) * Log(Y)\n  If R <> Ref2 Then Bad = Bad + 1\n"
       "  R = Tan(Y) - Sinh(X)\n  If R <> Ref3 Then Bad = Bad + 1\n"
       "Next\n";
  s += "$asm\n  cli\n$end asm\nEnd\n";
  s += "Interrupt Ovf0()\n  H = Asin(Hx) + Tanh(Hx) + Pow(Hx, Hx) + Cosh(Hx)\n"
       "  Ticks = Ticks + 1\nEnd Interrupt\n";
  return s;
}

TEST(FloatFunctionHandler, HandlersKeepTheRegistersTheFunctionsChange) {
  auto quiet = RunBasic(Program(false), "atmega8", 100'000'000);
  ASSERT_TRUE(quiet->ok) << quiet->Diagnostics();
  ASSERT_EQ(quiet->Word("bad"), 0);
  auto busy = RunBasic(Program(true), "atmega8", 100'000'000);
  ASSERT_TRUE(busy->ok) << busy->Diagnostics().substr(0, 2000);
  EXPECT_GT(busy->Word("ticks"), 50) << "the handler ran often";
  EXPECT_EQ(busy->Word("bad"), 0) << "main results the handler disturbed";
  EXPECT_EQ(busy->Word("n"), 201) << "the main loop ran to its end";
  EXPECT_EQ(busy->compiled.report.find("not known"), std::string::npos) << busy->compiled.report;
}

}  // namespace
}  // namespace qbc::test
