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

namespace qbc {
namespace {

// And/or chains of two and three comparisons over byte, integer, word, long, float and bit
// operands, in both loop forms: the pass count on the simulator matches the condition
// evaluated here, pass by pass. Each pass sets every operand from the pass number n.
TEST(FlowLoops, AndOrChainsOfMixedTypesInBothLoopForms) {
  struct Chain {
    const char* condition;
    bool (*holds)(int n);
  };
  // b = n, i = 3 - n, w = 100 * n, l = 70000 - 10000 * n, f = n / 2, t = n mod 2
  const Chain chains[] = {
      {"b < 6 and w < 400", [](int n) { return n < 6 && 100 * n < 400; }},
      {"w > 250 or b < 2", [](int n) { return 100 * n > 250 || n < 2; }},
      {"i > -2 and l > 30000", [](int n) { return 3 - n > -2 && 70000 - 10000 * n > 30000; }},
      {"l < 0 or i >= 0 and b <> 9", [](int n) { return 70000 - 10000 * n < 0 || (3 - n >= 0 && n != 9); }},
      {"b > 2 and w > 0 and i > -3", [](int n) { return n > 2 && 3 - n > -3; }},
      {"t = 0 or b < 4 and w < 900", [](int n) { return n % 2 == 0 || (n < 4 && 100 * n < 900); }},
      {"f < 2.5 and l > 0", [](int n) { return n / 2.0 < 2.5; }},
      {"b = 1 or i > 0 or l = 20000", [](int n) { return n == 1 || 3 - n > 0 || 70000 - 10000 * n == 20000; }},
  };
  const std::string set = "  b = n\n  i = 3 - n\n  w = 100 * n\n  l = 70000 - 10000 * n\n  f = n\n  f = f / 2\n"
                          "  t = n mod 2\n";
  for (const Chain& c : chains) {
    SCOPED_TRACE(c.condition);
    // Do ... Loop While: the body runs, then the condition decides on another pass.
    int doPasses = 1;
    while (doPasses < 12 && c.holds(doPasses)) ++doPasses;
    // While ... Wend: n counts the passes, tested before each.
    int whilePasses = 0;
    while (whilePasses < 12 && c.holds(whilePasses)) ++whilePasses;
    auto r = test::RunProgram("dim b as byte, i as integer, w as word, l as long, f as float, t as bit\n"
                              "dim n as byte, p as byte, q as byte\n"
                              "n = 0\np = 0\ndo\n  incr n\n  incr p\n" + set +
                              "  if n = 12 then exit do\nloop while " + std::string(c.condition) +
                              "\nn = 0\n" + set + "q = 0\nwhile " + c.condition +
                              "\n  incr n\n  incr q\n" + set + "  if n = 12 then exit while\nwend\n");
    if (!r.sim) continue;
    EXPECT_EQ(r.Byte("p"), doPasses);
    EXPECT_EQ(r.Byte("q"), whilePasses);
  }
}

}  // namespace
}  // namespace qbc
