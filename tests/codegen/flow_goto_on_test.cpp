// Goto, labels, On ... Goto and On ... Sub on the simulator.
#include "tests/codegen/flow_fixture.h"

namespace qbc {
namespace {

TEST(FlowGotoOn, OnGotoTakesTheEntryOfTheSelectorAndFallsThroughPastTheTable) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
dim k as byte, w as word, total as word, past as byte
total = 0
past = 0
for k = 0 to 4
  on k goto l0, l1, l2
  past = past + 1
  goto nextk
l0:
  total = total + 1
  goto nextk
l1:
  total = total + 10
  goto nextk
l2:
  total = total + 100
nextk:
next
w = 258
on w goto l0b, l1b
past = past + 10
goto done
l0b:
  total = 0
l1b:
  total = 0
done:
)",
                              dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.Word("total"), 111);
    EXPECT_EQ(r.Byte("past"), 12) << "selectors 3, 4 and 258 are past the table";
  }
}

// On the ATmega2560 the program counter has 22 bits: code above the first 64K words jumps
// into its table through EIND:Z. Both forms run there, their tables (and the Subs) far
// above 64K words, and reach every entry; a selector past the table falls through. What
// lies below them is a placed origin or 5,500 lines of arithmetic.
TEST(FlowGotoOn, OnReachesItsTableAbove64KWords) {
  const test::FlowDevice m2560{"m2560", "atmega2560"};
  std::string longProgram;
  for (int i = 1; i <= 5500; ++i)
    longProgram += (i % 2 == 0 ? "total = total + " : "l = l + ") + std::to_string(i) + "\n";
  for (const std::string& below : {std::string("$asm\n.ORG 0x1F000\n$end asm\n"), longProgram}) {
    SCOPED_TRACE(below.size() < 100 ? "placed origin" : "5,500 lines");
    auto r = test::RunProgram(R"(
dim k as byte, total as word, past as byte, calls as word, l as long
declare sub s0()
declare sub s1()
declare sub s2()
goto far
)" + below + R"(far:
total = 0
past = 0
calls = 0
for k = 0 to 3
  on k goto l0, l1, l2
  past = past + 1
  goto nextk
l0:
  total = total + 1
  goto nextk
l1:
  total = total + 10
  goto nextk
l2:
  total = total + 100
nextk:
next
for k = 0 to 3
  on k s0(), s1(), s2()
next
end
sub s0()
  calls = calls + 1
end sub
sub s1()
  calls = calls + 10
end sub
sub s2()
  calls = calls + 100
end sub
)",
                              m2560);
    ASSERT_TRUE(r.sim);
    EXPECT_GT(*r.sim->Symbol("far"), 0xFFFFu) << "the program must reach above 64K words";
    EXPECT_EQ(r.Word("total"), 111);
    EXPECT_EQ(r.Byte("past"), 1) << "selector 3 is past the table";
    EXPECT_EQ(r.Word("calls"), 111);
  }
}

// A handler's On sets EIND for its own table: the interrupted code, which may be between
// its "out EIND" and its eijmp, finds the EIND it wrote.
TEST(FlowGotoOn, AHandlersOnGivesTheInterruptedCodeItsEind) {
  const test::FlowDevice m2560{"m2560", "atmega2560"};
  auto r = test::RunProgram(R"(
dim k as byte, hits as byte, veind as byte
declare interrupt int0()
$asm
  ldi r16,0x01
  sts EICRA,r16
  out EIMSK,r16
  sbi DDRD,0
  sei
  out EIND,r16
  sbi PORTD,0
  nop
  nop
  in r16,EIND
  sts veind,r16
$end asm
end
interrupt int0()
  k = 1
  on k goto a0, a1
a0:
  hits = 10
  goto done
a1:
  hits = 1
done:
end interrupt
)",
                            m2560);
  ASSERT_TRUE(r.sim);
  EXPECT_EQ(r.Byte("hits"), 1);
  EXPECT_EQ(r.Byte("veind"), 1);
}

TEST(FlowGotoOn, GotoResetAndLabelsCompile) {
  auto r = test::CompileOnly("dim a as byte\ngoto skip\na = 1\nskip:\nif a = 2 then goto reset\n");
  EXPECT_EQ(r.errors, 0) << r.report;
  EXPECT_NE(r.asmText.find("\t\trjmp\tskip\r\n"), std::string::npos);
  EXPECT_NE(r.asmText.find("\r\nskip:\r\n"), std::string::npos);
  EXPECT_NE(r.asmText.find("\t\trjmp\t_Reset\r\n"), std::string::npos);
}

}  // namespace
}  // namespace qbc
