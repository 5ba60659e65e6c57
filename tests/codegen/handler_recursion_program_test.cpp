// Recursion and interrupt handlers. A recursive procedure a handler can reach has no
// depth the handlers' stack could be sized for (Fib(10) from a handler ran over the area
// and overwrote the variables below it): it is refused at the handler's call that leads
// into it, naming the procedure. Recursion in the main program stays allowed: it runs on
// the main program's Y while a handler calling a chain of procedures fires every 2048
// cycles, over 150 recursive Fib(11) (about 2.5 million cycles, some 1100 handlers,
// landing at every depth of the recursion).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

constexpr const char* kHead =
    "$device = m8\n$clock = 8\n$stack = 64\n"
    "Declare Interrupt Ovf0()\n"
    "Declare Function Fib(n As Byte) As Word\n"
    "Declare Function IsEven(n As Byte) As Byte\n"
    "Declare Function IsOdd(n As Byte) As Byte\n"
    "Declare Sub Go()\n"
    "Declare Function Twice(x As Word) As Word\n"
    "Declare Function Plus(a As Word, b As Word) As Word\n"
    "Dim K As Byte, W As Word, H As Word, Bad As Word, Hbad As Word, Ticks As Word, Guard As Word\n";

constexpr const char* kProcedures =
    "Function Fib(n As Byte) As Word\n"
    "  Local r As Word, m As Byte\n"
    "  If n < 2 Then\n    r = n\n  Else\n    m = n - 1\n    r = Fib(m)\n    m = n - 2\n    r = r + Fib(m)\n  End If\n"
    "  Return r\n"
    "End Function\n"
    "Function IsEven(n As Byte) As Byte\n"
    "  Local m As Byte, r As Byte\n"
    "  If n = 0 Then\n    r = 1\n  Else\n    m = n - 1\n    r = IsOdd(m)\n  End If\n  Return r\n"
    "End Function\n"
    "Function IsOdd(n As Byte) As Byte\n"
    "  Local m As Byte, r As Byte\n"
    "  If n = 0 Then\n    r = 0\n  Else\n    m = n - 1\n    r = IsEven(m)\n  End If\n  Return r\n"
    "End Function\n"
    "Sub Go()\n  H = Fib(10)\nEnd Sub\n"
    "Function Twice(x As Word) As Word\n  Return Plus(x, x)\nEnd Function\n"
    "Function Plus(a As Word, b As Word) As Word\n  Return a + b\nEnd Function\n";

std::string Handler(const std::string& body) {
  return "Interrupt Ovf0(), Save All\n" + body + "  Ticks = Ticks + 1\nEnd Interrupt\n";
}

TEST(HandlerRecursion, ARecursiveProcedureAHandlerReachesIsRefusedAtItsCall) {
  struct Case {
    const char* what;
    const char* handler;
    int line;  // of the handler's call, counted from its first statement
    const char* name;
  };
  const Case cases[] = {
      {"itself", "  H = Fib(10)\n", 1, "FIB"},
      {"through a Sub", "  K = 3\n  Go()\n", 2, "FIB"},
      {"two calling each other", "  K = IsEven(7)\n", 1, "ISEVEN"},
  };
  const std::string before = std::string(kHead) + "End\n" + kProcedures;
  // (the Interrupt line follows the procedures)
  const int firstStatement = static_cast<int>(std::count(before.begin(), before.end(), '\n')) + 2;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CompiledBasic compiled = CompileBasic(before + Handler(c.handler));
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError(std::string("Recursive ") + c.name + " can not be called in an interrupt!",
                                         firstStatement + c.line - 1))
        << compiled.report;
  }
}

std::string MainRecursion(bool interrupts) {
  std::string s = kHead;
  s += "Bad = 0 : Hbad = 0 : Ticks = 0 : Guard = &H5AA5\n";
  // Timer0 overflows every 2048 cycles (clk/8).
  s += "$asm\n  ldi r16,0x02\n  out TCCR0,r16\n";
  if (interrupts) s += "  ldi r16,0x01\n  out TIMSK,r16\n  sei\n";
  s += "$end asm\n";
  s += "For K = 1 To 150\n  W = Fib(11)\n  If W <> 89 Then Bad = Bad + 1\nNext\n";
  s += "$asm\n  cli\n$end asm\nEnd\n";
  s += kProcedures;
  s += Handler("  H = Twice(21)\n  If H <> 42 Then Hbad = Hbad + 1\n");
  return s;
}

TEST(HandlerRecursion, TheMainProgramsRecursionRunsBesideAHandler) {
  for (const bool interrupts : {false, true}) {
    SCOPED_TRACE(interrupts ? "with the handler" : "without");
    auto run = RunBasic(MainRecursion(interrupts), "atmega8", 50'000'000);
    ASSERT_TRUE(run->ok) << run->Diagnostics().substr(0, 600);
    EXPECT_EQ(run->Word("bad"), 0);
    EXPECT_EQ(run->Word("hbad"), 0);
    EXPECT_EQ(run->Word("guard"), 0x5AA5);
    if (interrupts) {
      EXPECT_GT(run->Word("ticks"), 1000);
    }
  }
}

}  // namespace
}  // namespace qbc::test
