// If / ElseIf / Else, block and single-line, with and/or chains, run on the simulator.
#include "tests/codegen/flow_fixture.h"

namespace qbc {
namespace {

TEST(FlowIf, BlockAndSingleLineFormsPickTheRightPart) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
dim a as byte, b as byte, res1 as byte, res2 as byte, res3 as byte, res4 as byte, res5 as byte
a = 3
b = 7
if a = 3 then res1 = 1 else res1 = 2
if a = 4 then res2 = 1 else res2 = 2
if a > 5 then
  res3 = 1
elseif b = 7 then
  res3 = 2
  if a < b then res4 = 9
else
  res3 = 3
end if
if a = 1 or b = 7 and a = 3 then
  res5 = 1
else
  res5 = 2
end if
)", dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.Byte("res1"), 1);
    EXPECT_EQ(r.Byte("res2"), 2);
    EXPECT_EQ(r.Byte("res3"), 2);
    EXPECT_EQ(r.Byte("res4"), 9);
    EXPECT_EQ(r.Byte("res5"), 1);
  }
}

}  // namespace
}  // namespace qbc
