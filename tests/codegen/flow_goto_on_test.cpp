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

TEST(FlowGotoOn, GotoResetAndLabelsCompile) {
  auto r = test::CompileOnly("dim a as byte\ngoto skip\na = 1\nskip:\nif a = 2 then goto reset\n");
  EXPECT_EQ(r.errors, 0) << r.report;
  EXPECT_NE(r.asmText.find("\t\trjmp\tskip\r\n"), std::string::npos);
  EXPECT_NE(r.asmText.find("\r\nskip:\r\n"), std::string::npos);
  EXPECT_NE(r.asmText.find("\t\trjmp\t_Reset\r\n"), std::string::npos);
}

}  // namespace
}  // namespace qbc
