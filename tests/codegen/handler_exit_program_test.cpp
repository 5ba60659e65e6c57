// A handler that turns interrupts on leaves with them on: its exit must be whole at every
// instruction a second interrupt can land on. The outer INT1 handler enables interrupts,
// converts a float (so it works on the handlers' own stack and keeps the text buffer) and
// clears C and T; the inner INT0 handler converts a float as well. The test drives INT0's
// pin at each instruction of the outer handler's exit in turn, from the first after the
// body to the reti, and compares the main program with a run in which INT0 never comes:
// its variables (a 200-byte array up to the handlers' stack, a float text), its Y and the
// C and T flags it holds while the outer handler runs must all come back as they were.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

// INT1 comes from the program itself (its pin an output, any change), while main holds C
// and T set and waits with instructions that leave the flags alone.
const char* const kProgram = R"($device = m8
$clock = 8
$stack = 96
Declare Interrupt Int0()
Declare Interrupt Int1()
Dim Arr(200) As Byte
Dim K As Byte, Done As Byte, Bad As Byte, Inner As Byte, Y0 As Byte, Y1 As Byte
Dim F As Float, G As Float, H As Float, S As String * 16, T As String * 16, U As String * 16
For K = 1 To 200
  Arr(K) = K
Next
F = 1.5 : G = 2.25 : H = 3.75 : Done = 0 : Bad = 0 : Inner = 0
S = Str(F)
$asm
  sts Y0,yl
  sts Y1,yh
  ldi r16,0x05
  out MCUCR,r16
  ldi r16,0xC0
  out GICR,r16
  sbi DDRD,3
  sei
  set
  sec
  sbi PORTD,3
Hold:
  brcc Lost
  brtc Lost
  lds r16,Done
  sbrs r16,0
  rjmp Hold
  brcs Kept
Lost:
  lds r16,Bad
  inc r16
  sts Bad,r16
Kept:
  cli
  lds r16,Y0
  cp yl,r16
  lds r16,Y1
  cpc yh,r16
  breq YKept
  lds r16,Bad
  inc r16
  sts Bad,r16
YKept:
$end asm
For K = 1 To 200
  If Arr(K) <> K Then Bad = Bad + 1
Next
If S <> " 1.500000E+00" Then Bad = Bad + 1
End
Interrupt Int1()
  Enable Interrupts
  T = Str(G)
  Done = 1
$asm
  clc
  clt
OuterEnd:
$end asm
End Interrupt
Interrupt Int0()
  U = Str(H)
  Inner = Inner + 1
End Interrupt
)";

struct Loaded {
  std::unique_ptr<SimRunner> sim;
  std::uint32_t outerEnd = 0;  // byte address
  std::uint32_t outer = 0;     // the handler's first instruction
  std::uint16_t mainSp = 0;    // when the outer handler came
};

Loaded Load(const AsmResult& a) {
  Loaded l;
  l.sim = std::make_unique<SimRunner>(SimOptions{.mcu = "atmega8", .frequency = 8'000'000});
  EXPECT_TRUE(l.sim->Load(a.hex_path, a.map_path)) << l.sim->Error();
  const auto end = l.sim->Symbol("OuterEnd");
  const auto outer = l.sim->Symbol("IntN2");
  EXPECT_TRUE(end.has_value() && outer.has_value());
  l.outerEnd = end.value_or(0) * 2;
  l.outer = outer.value_or(0) * 2;
  l.sim->SetPinInput('D', 2, 1);
  return l;
}

// Runs to the outer handler's exit; false when it never gets there.
bool ToExit(Loaded& l) {
  for (int step = 0; step < 200'000; ++step) {
    if (l.sim->PcBytes() == l.outer && l.mainSp == 0) l.mainSp = static_cast<std::uint16_t>(l.sim->Sp() + 2);
    if (l.sim->PcBytes() == l.outerEnd) return l.mainSp != 0;
    l.sim->Run(1);
  }
  return false;
}

TEST(HandlerExit, ASecondInterruptAtEveryInstructionOfANestingHandlersExit) {
  const CompiledBasic compiled = CompileBasic(kProgram);
  ASSERT_EQ(compiled.error_count, 0) << compiled.report;
  const AsmResult a = AssembleAsmFile(compiled.asm_path);
  ASSERT_TRUE(a.ok) << a.output;

  // The control: INT0 never comes. How many instructions the exit takes, to its reti.
  int exitSteps = 0;
  {
    Loaded l = Load(a);
    ASSERT_TRUE(ToExit(l));
    while (l.sim->Sp() != l.mainSp && exitSteps < 10'000) {
      l.sim->Run(1);
      ++exitSteps;
    }
    ASSERT_EQ(l.sim->Run(), SimStop::EndLoop);
    ASSERT_EQ(l.sim->Sram(*l.sim->Symbol("bad")), 0);
    ASSERT_EQ(l.sim->Sram(*l.sim->Symbol("inner")), 0);
  }
  ASSERT_GT(exitSteps, 20);

  for (int at = 0; at < exitSteps; ++at) {
    SCOPED_TRACE("INT0 due at instruction " + std::to_string(at) + " of the exit");
    Loaded l = Load(a);
    ASSERT_TRUE(ToExit(l));
    for (int k = 0; k < at; ++k) l.sim->Run(1);
    l.sim->SetPinInput('D', 2, 0);
    ASSERT_EQ(l.sim->Run(), SimStop::EndLoop);
    EXPECT_EQ(l.sim->Sram(*l.sim->Symbol("inner")), 1);
    EXPECT_EQ(l.sim->Sram(*l.sim->Symbol("bad")), 0) << "main's data, Y or flags the nested handler changed";
  }
}

}  // namespace
}  // namespace qbc::test
