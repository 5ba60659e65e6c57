// Do/Loop and While/Wend on the simulator, with conditions at the top and the bottom,
// and/or chains, and comparisons that go through the general expression compiler.
#include "tests/codegen/flow_fixture.h"

namespace qbc {
namespace {

TEST(FlowLoops, DoAndWhileLoopsRunTheRightNumberOfTimes) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
dim a as byte, b as byte, k as word, c1 as byte, c2 as byte, c3 as byte, c4 as byte
a = 0
c1 = 0
do
  incr a
  incr c1
loop while a < 10
a = 0
c2 = 0
while a < 5 or a = 7
  incr a
  incr c2
  if a = 5 then a = 7
wend
b = 0
c3 = 0
do
  incr b
  if b = 20 then exit do
  incr c3
loop
k = 0
c4 = 0
while k + 1 < 300 and c4 < 200
  k = k + 2
  incr c4
wend
)",
                              dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.Byte("c1"), 10);
    EXPECT_EQ(r.Byte("c2"), 6);
    EXPECT_EQ(r.Byte("c3"), 19);
    EXPECT_EQ(r.Byte("c4"), 150);
  }
}

// "or" and "xor" inside parentheses are operators of the compared value in every kind of
// condition, not only in an If.
TEST(FlowLoops, ParenthesisedOrAndXorInLoopConditions) {
  auto r = test::RunProgram(R"(
dim a as byte, b as byte, n as byte, w as word, m as byte, k as byte
a = 1
b = 2
n = 0
while (a or b) < 10
  a = a + 4
  incr n
wend
w = &h0F
m = 0
do
  w = w + &h10
  incr m
loop while (w xor &hFF) <> 0
k = 0
if (a or b) > 10 then k = 1
)");
  if (!r.sim) return;
  EXPECT_EQ(r.Byte("n"), 2);
  EXPECT_EQ(r.Byte("m"), 15);
  EXPECT_EQ(r.Byte("k"), 1);
}

// A Do condition that goes to the general comparison (an expression on the left) must not
// leave a pushed operand behind on every pass.
TEST(FlowLoops, DoConditionWithExpressionKeepsTheStackBalanced) {
  auto r = test::RunProgram(R"(
dim a as word, b as word
a = 0
b = 3
do
  incr a
loop while a + b < 1003
)");
  if (!r.sim) return;
  EXPECT_EQ(r.Word("a"), 1000);
  EXPECT_EQ(r.sim->Sp(), r.sim->RamEnd());
}

TEST(FlowLoops, LoopUntilAndAWhileWithoutConditionAreReported) {
  auto r = test::CompileOnly("dim a as byte\ndo\nincr a\nloop until a = 3\n");
  EXPECT_NE(r.report.find("Missing \"WHILE\""), std::string::npos) << r.report;
  auto w = test::CompileOnly("dim a as byte\nwhile\nincr a\nwend\n");
  EXPECT_NE(w.report.find("Condition missing"), std::string::npos) << w.report;
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

TEST(FlowLoops, ConditionsOnArrayElementsFunctionsAndPins) {
  auto r = test::RunProgram(R"(
dim a(5) as word, k as byte, c1 as byte, c2 as byte
declare function Twice(v as byte) as byte
ddrd = 0
portd = 0
a(2) = 500
k = 0
c1 = 0
do
  incr k
  incr c1
loop while pind.2 = 0 and k < 7 or k = 7
c2 = 0
if a(2) > 499 and Twice(k) = 16 then c2 = 1
end
function Twice(v as byte) as byte
  return v + v
end function
)");
  if (!r.sim) return;
  EXPECT_EQ(r.Byte("c1"), 8);
  EXPECT_EQ(r.Byte("c2"), 1);
}

}  // namespace
}  // namespace qbc
