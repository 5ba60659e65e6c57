// A program's memory with interrupt handlers, on the ATtiny2313 (128 bytes of SRAM): the
// variables, the handlers' stack, the deepest chain of frames the main program builds on Y
// and $stack must fit the SRAM, and the hardware stack of the main program's calls with
// the handlers' pushes and calls on top must fit $stack. A program that does not fit is
// refused; one that fits runs with its handler firing every 2048 cycles through 10000
// main-program calls (each 60 to 80 cycles: the handler lands at every point of the call
// and of the frame it builds), with the main results of the same program without the
// interrupt.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

// `pad`: bytes of an array that fills the SRAM. The main program and the handler call the
// same Function: its frame is on both stacks at once.
std::string Program(int stack, int pad, bool interrupts) {
  std::string s = "$device = tn2313\n$clock = 8\n$stack = " + std::to_string(stack) + "\n";
  s += "Declare Interrupt Ovf0()\nDeclare Function Add3(a As Byte, b As Byte, c As Byte) As Byte\n"
       "Dim N As Word, Bad As Word, Ticks As Word, Hbad As Word, R As Byte, H As Byte\n";
  s += "Dim Pad(" + std::to_string(pad) + ") As Byte\n";
  s += "Bad = 0 : Ticks = 0 : Hbad = 0\n";
  // Timer0 overflows every 2048 cycles (clk/8).
  s += "$asm\n  ldi r16,0x02\n  out TCCR0B,r16\n";
  if (interrupts) s += "  ldi r16,0x02\n  out TIMSK,r16\n  sei\n";
  s += "$end asm\n";
  s += "For N = 1 To 10000\n  R = Add3(1, 2, 3)\n  If R <> 6 Then Bad = Bad + 1\nNext\n";
  s += "$asm\n  cli\n$end asm\nEnd\n";
  s += "Function Add3(a As Byte, b As Byte, c As Byte) As Byte\n  Local t As Byte\n  t = a + b\n  Return t + c\n"
       "End Function\n";
  s += "Interrupt Ovf0(), Save All\n  H = Add3(4, 5, 6)\n  If H <> 15 Then Hbad = Hbad + 1\n  Ticks = Ticks + 1\n"
       "End Interrupt\n";
  return s;
}

// The programs that did not fit compiled "OK": one with a byte of SRAM left by the old
// count (variables, $stack and the handlers' stack, but not main's own frames), whose
// first pushed argument landed on the count of handlers running; one whose Save All
// handler pushed past $stack.
TEST(HandlerMemory, AProgramThatDoesNotFitIsRefused) {
  struct Case {
    const char* what;
    std::string source;
    const char* message;
  };
  const Case cases[] = {
      {"main's frames", Program(32, 47, true), "Not enough SRAM for the variables, frames and stacks (131 of 128 bytes)!"},
      // the byte at RAMEND - $stack: Y points at it, its first push lands below it and the
      // hardware stack's lowest byte lies above it (this one compiled as "128 of 128")
      {"the byte between the stacks", Program(32, 45, true),
       "Not enough SRAM for the variables, frames and stacks (129 of 128 bytes)!"},
      {"the hardware stack", Program(24, 20, true), "$stack too small: calls and interrupts need 30 bytes!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CompiledBasic compiled = CompileBasic(c.source);
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
    EXPECT_NE(compiled.report.find(c.message), std::string::npos) << compiled.report;
  }
}

// Where the code does not say how deep the hardware stack goes (an indirect jump, On ..
// Goto in a handler), the build says that $stack was not checked instead of passing in
// silence; a program whose depth is known says nothing of it.
TEST(HandlerMemory, AnUnknownDepthIsSaid) {
  const std::string head = "$device = m8\n$clock = 8\n$stack = 32\nDeclare Interrupt Ovf0()\nDim K As Byte\nEnd\n";
  struct Case {
    const char* what;
    const char* handler;
    bool said;
  };
  const Case cases[] = {
      {"known", "  K = K + 1\n", false},
      {"On .. Goto", "  On K Goto La, Lb\nLa:\n  K = 1\nLb:\n  K = 2\n", true},
      {"an indirect jump", "$asm\n  ldi zl,0\n  ldi zh,0\n  ijmp\n$end asm\n", true},
      // (the walk read the part it could and said nothing)
      {"a jump the walk cannot follow", "$asm\n  rjmp Skip+1\nSkip:\n  nop\n  nop\n$end asm\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CompiledBasic compiled = CompileBasic(head + "Interrupt Ovf0()\n" + c.handler + "End Interrupt\n");
    EXPECT_EQ(compiled.error_count, 0) << compiled.report;
    EXPECT_EQ(compiled.report.find("stack depth not known: $stack not checked\r\n") != std::string::npos, c.said)
        << compiled.report;
  }
}

TEST(HandlerMemory, AProgramThatFitsRunsBesideItsHandler) {
  // (pad 44 with $stack = 32 fills the SRAM to its last byte)
  struct Case {
    int stack, pad;
    bool interrupts;
  };
  for (const Case& c : {Case{40, 20, false}, Case{40, 20, true}, Case{32, 44, false}, Case{32, 44, true}}) {
    const bool interrupts = c.interrupts;
    SCOPED_TRACE(std::to_string(c.pad) + (interrupts ? " with the handler" : " without"));
    auto run = RunBasic(Program(c.stack, c.pad, interrupts), "attiny2313", 20'000'000);
    ASSERT_TRUE(run->ok) << run->Diagnostics().substr(0, 600);
    EXPECT_EQ(run->Word("bad"), 0);
    EXPECT_EQ(run->Word("hbad"), 0);
    EXPECT_EQ(run->Word("n"), 10001);
    if (interrupts) {
      EXPECT_GT(run->Word("ticks"), 250);
    }
  }
}

}  // namespace
}  // namespace qbc::test
