// If / ElseIf / Else, block and single-line, with and/or chains, run on the simulator.
#include "tests/codegen/flow_fixture.h"

namespace qbc {
namespace {

TEST(FlowIf, BlockAndSingleLineFormsPickTheRightPart) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
dim a as byte, b as byte, r1 as byte, r2 as byte, r3 as byte, r4 as byte, r5 as byte
a = 3
b = 7
if a = 3 then r1 = 1 else r1 = 2
if a = 4 then r2 = 1 else r2 = 2
if a > 5 then
  r3 = 1
elseif b = 7 then
  r3 = 2
  if a < b then r4 = 9
else
  r3 = 3
end if
if a = 1 or b = 7 and a = 3 then
  r5 = 1
else
  r5 = 2
end if
)", dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.Byte("r1"), 1);
    EXPECT_EQ(r.Byte("r2"), 2);
    EXPECT_EQ(r.Byte("r3"), 2);
    EXPECT_EQ(r.Byte("r4"), 9);
    EXPECT_EQ(r.Byte("r5"), 1);
  }
}

}  // namespace
}  // namespace qbc
