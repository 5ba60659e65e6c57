// What a handler keeps is read from the code it runs as the assembler makes it: included
// files, .def names as they stand at the line, lines an .if leaves out, an instruction
// named like a macro, the float routines Int and Fract use, a ret to a pushed address,
// stores through a pointer to a register's data address, and every way of turning
// interrupts on (a write of SREG, bset 7, a reti reached by a call, a store through a
// pointer to SREG's data address). The main loop holds a known value in every register
// it may own (r0, r1, r5 to r27, r30, r31) and the T and C flags, and checks them all on
// every pass; a handler lands inside that window hundreds of times in each run. The same
// program with the interrupts left off finds nothing wrong.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/test_dirs.h"

namespace qbc::test {
namespace {

int Pattern(int r) { return (0x5A + 37 * r) & 0xFF; }

std::vector<int> CheckedRegisters() {
  std::vector<int> regs = {0, 1};
  for (int r = 5; r <= 27; ++r) regs.push_back(r);
  regs.push_back(30);
  regs.push_back(31);
  return regs;
}

std::string Hex(int v) {
  const char* digits = "0123456789abcdef";
  return std::string("0x") + digits[(v >> 4) & 15] + digits[v & 15];
}

// One pass of the main loop: every register and T and C set, then checked; a difference
// counts in Bad.
std::string RegisterPass() {
  std::string s = "$asm\n";
  for (const int r : CheckedRegisters()) {
    if (r >= 16) {
      s += "  ldi r" + std::to_string(r) + "," + Hex(Pattern(r)) + "\n";
    } else {
      s += "  ldi r16," + Hex(Pattern(r)) + "\n  mov r" + std::to_string(r) + ",r16\n";
    }
  }
  s += "  ldi r16," + Hex(Pattern(16)) + "\n  set\n  sec\n";
  s += "  brcs PC+2\n  rjmp Found\n  brts PC+2\n  rjmp Found\n";
  for (const int r : CheckedRegisters())
    if (r > 16) s += "  cpi r" + std::to_string(r) + "," + Hex(Pattern(r)) + "\n  breq PC+2\n  rjmp Found\n";
  s += "  cpi r16," + Hex(Pattern(16)) + "\n  breq PC+2\n  rjmp Found\n";
  for (const int r : CheckedRegisters())
    if (r < 16)
      s += "  mov r16,r" + std::to_string(r) + "\n  cpi r16," + Hex(Pattern(r)) + "\n  breq PC+2\n  rjmp Found\n";
  s += "  rjmp Checked\nFound:\n  lds r24,bad\n  lds r25,bad+1\n  adiw r24,1\n  sts bad,r24\n  sts bad+1,r25\n"
       "Checked:\n$end asm\n";
  return s;
}

struct Outcome {
  int bad = -1;
  int ticks = 0;
  int nested = 0;
  bool ok = false;
  std::string diagnostics;
};

Outcome RunProgram(const std::string& source) {
  auto run = RunBasic(source, "atmega8", 100'000'000);
  Outcome r;
  r.ok = run->ok;
  if (!run->ok) {
    r.diagnostics = run->Diagnostics().substr(0, 1500);
    return r;
  }
  r.bad = run->Word("bad");
  r.ticks = run->Word("ticks");
  r.nested = run->Word("nested");
  if (run->Word("n") != 3000) r.ok = false;
  return r;
}

// `handler`: the body of a Save 1 Timer0 handler firing every 2048 cycles; `before` and
// `after`: lines around the main program and the handler.
std::string OneHandler(const std::string& before, const std::string& handler, const std::string& after,
                       bool interrupts) {
  std::string s = "$device = m8\n$clock = 8\n$stack = 64\n";
  s += "Declare Interrupt Ovf0()\n";
  s += "Dim N As Word, Bad As Word, Ticks As Word, Nested As Word, F As Float, G As Float\n";
  s += "Bad = 0 : Ticks = 0 : Nested = 0 : N = 0 : F = 123.75\n";
  s += before;
  s += "$asm\n  ldi r16,0x02\n  out TCCR0,r16\n";
  if (interrupts) s += "  ldi r16,0x01\n  out TIMSK,r16\n  sei\n";
  s += "$end asm\n";
  s += "While N < 3000\n" + RegisterPass() + "  N = N + 1\nWend\n";
  s += "$asm\n  cli\n$end asm\nEnd\n";
  s += "Interrupt Ovf0(), Save 1\n" + handler + "  Ticks = Ticks + 1\nEnd Interrupt\n";
  s += after;
  return s;
}

TEST(HandlerReading, AHandlerKeepsWhatTheAssemblerMakesOfItsCode) {
  const std::string dir = MakeTempDir("handler-reading");
  WriteFile(dir + "/lines.inc", "\tldi r20,0x11\n\tldi r21,0x22\n");
  struct Row {
    const char* what;
    std::string before, handler, after;
  };
  const std::vector<Row> rows = {
      // the whole part of a float used to go to r12..r15 through their data addresses
      {"Int", "", "  G = Int(F)\n", ""},
      {"Fract", "", "  G = Fract(F)\n", ""},
      {"an included file", "", "$asm\n.include \"" + dir + "/lines.inc\"\n$end asm\n", ""},
      // the name as it stands at the handler's line, not as the program last defines it
      {"a .def name", "$asm\n.def hv = r19\n$end asm\n", "$asm\n  ldi hv,0x33\n$end asm\n",
       "$asm\n.def hv = r17\n$end asm\n"},
      // a ret the assembler leaves out ends nothing
      {"a line .if leaves out", "", "$asm\n.if 0\n  ret\n.endif\n  ldi r18,0x44\n$end asm\n", ""},
      // avra assembles the instruction and never uses a macro of the same name
      {"a macro named like an instruction", "", "$asm\n.macro inc\n  nop\n.endm\n  inc r21\n$end asm\n", ""},
      // a ret with an address pushed jumps there, in the handler or in a routine it calls
      {"a ret to a pushed address", "",
       "$asm\n  ldi r16,low(HJmp1)\n  push r16\n  ldi r16,high(HJmp1)\n  push r16\n  ret\nHJmp1:\n"
       "  ldi r22,0x55\n$end asm\n",
       ""},
      {"a ret to a pushed address in a routine", "",
       "$asm\n  rcall HPush\n  rjmp HDone\nHPush:\n  ldi r16,low(HJmp2)\n  push r16\n  ldi r16,high(HJmp2)\n"
       "  push r16\n  ret\nHJmp2:\n  ldi r23,0x66\n  ret\nHDone:\n$end asm\n",
       ""},
      // a store through a pointer to a register's data address, the address a constant
      // or a variable's value
      {"Poke of a register", "", "  Poke(&H16 , 5)\n", ""},
      {"Poke at a variable's address", "Dim A As Word\nA = &H15\n", "  Poke(A , 5)\n", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const Outcome quiet = RunProgram(OneHandler(row.before, row.handler, row.after, false));
    ASSERT_TRUE(quiet.ok) << quiet.diagnostics;
    ASSERT_EQ(quiet.bad, 0);
    const Outcome busy = RunProgram(OneHandler(row.before, row.handler, row.after, true));
    ASSERT_TRUE(busy.ok) << busy.diagnostics;
    EXPECT_GT(busy.ticks, 150);
    EXPECT_EQ(busy.bad, 0) << "main's registers the handler changed";
  }
}

// An outer Timer0 handler (every 2048 cycles) turns interrupts on and works on for about
// 1000 cycles; the Timer2 handler (every 256 cycles) lands inside it. The inner one keeps its SREG in r2,
// so the outer one must have put the main program's copy on its stack.
std::string Nesting(const std::string& enable, bool interrupts) {
  std::string s = "$device = m8\n$clock = 8\n$stack = 96\n";
  s += "Declare Interrupt Ovf0()\nDeclare Interrupt Ovf2()\n";
  s += "Dim N As Word, Bad As Word, Ticks As Word, Nested As Word, Open0 As Byte, Cnt As Byte, K As Byte\n";
  s += "Bad = 0 : Ticks = 0 : Nested = 0 : N = 0 : Open0 = 0\n";
  // Timer0 every 2048 cycles (clk/8), Timer2 every 256 (clk/1)
  s += "$asm\n  ldi r16,0x02\n  out TCCR0,r16\n  ldi r16,0x01\n  out TCCR2,r16\n";
  if (interrupts) s += "  ldi r16,0x41\n  out TIMSK,r16\n  sei\n";
  s += "$end asm\n";
  s += "While N < 3000\n" + RegisterPass() + "  N = N + 1\nWend\n";
  s += "$asm\n  cli\n$end asm\nEnd\n";
  s += "Interrupt Ovf0(), Save 1\n  Open0 = 1\n" + enable +
       "  For K = 1 To 40\n    Cnt = Cnt + 1\n  Next\n  Open0 = 0\nEnd Interrupt\n";
  s += "Interrupt Ovf2()\n  Ticks = Ticks + 1\n  If Open0 = 1 Then Nested = Nested + 1\nEnd Interrupt\n";
  return s;
}

TEST(HandlerReading, EveryWayOfTurningInterruptsOnKeepsTheOuterSreg) {
  const char* const enables[] = {
      "  Set SREG.7\n",
      "  SREG.7 = 1\n",
      "  SREG = &h80\n",
      "$asm\n  bset 7\n$end asm\n",
      // the assembler's way to the same: a call of a reti
      "$asm\n  rcall HOn\n  rjmp HOn1\nHOn:\n  reti\nHOn1:\n$end asm\n",
      // a store through a pointer to SREG's data address
      "  Poke(&H5F , &H80)\n",
  };
  for (const char* enable : enables) {
    SCOPED_TRACE(enable);
    const Outcome quiet = RunProgram(Nesting(enable, false));
    ASSERT_TRUE(quiet.ok) << quiet.diagnostics;
    ASSERT_EQ(quiet.bad, 0);
    const Outcome busy = RunProgram(Nesting(enable, true));
    ASSERT_TRUE(busy.ok) << busy.diagnostics;
    EXPECT_GT(busy.nested, 100) << "inner handlers inside the outer one";
    EXPECT_EQ(busy.bad, 0) << "main's registers or flags the handlers changed";
  }
}

}  // namespace
}  // namespace qbc::test
