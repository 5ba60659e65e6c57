// Toggle and BitWait on port pins, Peek, Poke and CPeek, on the simulator.
#include "tests/codegen/flow_fixture.h"

namespace qbc {
namespace {

TEST(FlowBits, ToggleFlipsOnePinBitWaitWaitsForIt) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
$def led = portb.4
dim n as byte, p as byte, q as byte
ddrb = &hff
portb = &b00000001
toggle portb.3
toggle led
n = 0
toggle portb.n
p = portb
ddrd = &hff
portd = &b00000100
bitwait pind.2, 1
bitwait pind.3, 0
q = 1
)",
                              dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.Byte("p"), 0b00011000);
    EXPECT_EQ(r.Byte("q"), 1);
  }
}

TEST(FlowBits, ToggleLinesAndBitRangeErrors) {
  auto r = test::CompileOnly("toggle portb.3\ntoggle portb.7\n");
  EXPECT_EQ(r.errors, 0) << r.report;
  EXPECT_NE(r.asmText.find("\t\tldi\t\tr23,0x08\r\n\t\teor\t\tzl,r23\r\n\t\tout\t\tPORTB,zl\r\n"), std::string::npos)
      << r.asmText;
  EXPECT_NE(r.asmText.find("r23,0x80"), std::string::npos);
  auto e = test::CompileOnly("toggle portb.8\nbitwait pinc.2, 3\n");
  EXPECT_NE(e.report.find("From 0 to 7!"), std::string::npos) << e.report;
  EXPECT_NE(e.report.find("Only 0 or 1!"), std::string::npos) << e.report;
}

TEST(FlowMem, PeekPokeAndCpeek) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
dim a as word, b as byte, c as byte, arr(3) as byte
a = &h0150
poke(a, 77)
b = peek(&h0150)
arr(1) = 5
poke(&h0151, arr(1))
c = cpeek(0)
)",
                              dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.sim->Sram(0x150), 77);
    EXPECT_EQ(r.Byte("b"), 77);
    EXPECT_EQ(r.sim->Sram(0x151), 5);
    // the first byte of the program: the low byte of the reset jump
    EXPECT_NE(r.Byte("c"), 0xFF);
  }
}

}  // namespace
}  // namespace qbc
