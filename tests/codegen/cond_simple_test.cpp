// Simple conditions on the simulator: bare operands, Not, bits of registers and variables,
// bit variables, relations against the type's largest values, signed relations in and/or
// chains.
#include "tests/codegen/flow_fixture.h"

namespace qbc {
namespace {

TEST(CondSimple, RelationsAtTheTypesLargestValuesAndSignedChains) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
dim a as byte, w as word, i as integer, j as integer
dim res1 as byte, res2 as byte, res3 as byte, res4 as byte, res5 as byte, res6 as byte, res7 as byte
a = 200
w = 65535
i = -1
j = 0
res1 = 0
res2 = 0
res3 = 0
res4 = 0
res5 = 0
res6 = 0
res7 = 0
if a <= 255 then res1 = 1
if a > 255 then res2 = 1
if w <= 65535 then res3 = 1
if i >= 0 or j = 1 then res4 = 1
if i < 0 and j = 0 then res5 = 1
if i < j then res6 = 1
if a < 300 then res7 = 1
)",
                              dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.Byte("res1"), 1) << "a <= 255";
    EXPECT_EQ(r.Byte("res2"), 0) << "a > 255";
    EXPECT_EQ(r.Byte("res3"), 1) << "w <= 65535";
    EXPECT_EQ(r.Byte("res4"), 0) << "i >= 0 or j = 1 with i = -1";
    EXPECT_EQ(r.Byte("res5"), 1);
    EXPECT_EQ(r.Byte("res6"), 1);
    EXPECT_EQ(r.Byte("res7"), 1) << "a < 300";
  }
}

TEST(CondSimple, BareOperandsAndNot) {
  auto r = test::RunProgram(R"(
dim b as byte, w as word, i as integer, l as long
dim res1 as byte, res2 as byte, res3 as byte, res4 as byte, res5 as byte, res6 as byte
b = 0
w = 2
i = -1
l = 65536
res1 = 0
res2 = 0
res3 = 0
res4 = 0
res5 = 0
res6 = 0
if not w then res1 = 1
if w then res2 = 1
if i then res3 = 1
if not b then res4 = 1
if l then res5 = 1
if not l then res6 = 1
)");
  if (!r.sim) return;
  EXPECT_EQ(r.Byte("res1"), 0) << "Not w with w = 2";
  EXPECT_EQ(r.Byte("res2"), 1);
  EXPECT_EQ(r.Byte("res3"), 1) << "i = -1 is not zero";
  EXPECT_EQ(r.Byte("res4"), 1);
  EXPECT_EQ(r.Byte("res5"), 1);
  EXPECT_EQ(r.Byte("res6"), 0);
}

TEST(CondSimple, BitsOfRegistersVariablesAndBitVariables) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
dim x as byte, w as word, f as bit, g as bit
dim res1 as byte, res2 as byte, res3 as byte, res4 as byte, res5 as byte, res6 as byte, res7 as byte
ddrb = &hff
portb = &b00001000
x = &b00000100
w = &h0100
f = 1
g = 0
res1 = 0
res2 = 0
res3 = 0
res4 = 0
res5 = 0
res6 = 0
res7 = 0
if portb.3 = 1 then res1 = 1
if portb.2 = 1 or x.2 = 1 then res2 = 1
if x.2 = 0 then res3 = 1
if w.8 = 1 and f = 1 then res4 = 1
if not f then res5 = 1
if f <> g then res6 = 1
if portb.3 = f then res7 = 1
)",
                              dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.Byte("res1"), 1);
    EXPECT_EQ(r.Byte("res2"), 1);
    EXPECT_EQ(r.Byte("res3"), 0);
    EXPECT_EQ(r.Byte("res4"), 1);
    EXPECT_EQ(r.Byte("res5"), 0);
    EXPECT_EQ(r.Byte("res6"), 1);
    EXPECT_EQ(r.Byte("res7"), 1);
  }
}

TEST(CondSimple, BitRelationOtherThanEqualIsReported) {
  auto r = test::CompileOnly("dim a as byte\nif pinb.1 > 0 then a = 1\n");
  EXPECT_NE(r.report.find("Just = or <> here!"), std::string::npos) << r.report;
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

// Float comparisons inside a For loop whose end value leaves r6 not zero, in plain and
// "or" chains, with a long multiply in the loop (Mul32 must keep r5/r6 for the loop).
TEST(CondSimple, FloatComparisonsDoNotDependOnTheForLoopsEndRegisters) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
dim f as float, g as float, w as word, c as word, d as word, l as long, m as long
f = 1.5
g = 2.5
c = 0
d = 0
for w = 1 to 300
  if f < g then incr c
  if f >= g then c = c + 100
  if f > g or f < g then incr d
  if f = g or f > g then d = d + 100
  l = w
  m = l * 70000
next
)",
                              dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.Word("c"), 300);
    EXPECT_EQ(r.Word("d"), 300);
    EXPECT_EQ(r.Long("m"), 300u * 70000u);
  }
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

// Operands of different widths are compared at the width of the wider one, in simple and
// general comparisons: a word of 300 is not cut to the byte 44.
TEST(CondSimple, MixedWidthsCompareAtTheWiderType) {
  auto r = test::RunProgram(R"(
dim b as byte, w as word, i as integer, k as byte
dim res1 as byte, res2 as byte, res3 as byte, res4 as byte, res5 as byte
b = 44
w = 300
i = -1
res1 = 0
res2 = 0
res3 = 0
res4 = 0
res5 = 0
if b = w then res1 = 1
if b < w then res2 = 1
if w > i then res3 = 1
if b + 1 < w then res4 = 1
k = 0
while b < w and k < 100
  incr k
wend
if k = 100 then res5 = 1
)");
  if (!r.sim) return;
  EXPECT_EQ(r.Byte("res1"), 0) << "44 = 300";
  EXPECT_EQ(r.Byte("res2"), 1) << "44 < 300";
  EXPECT_EQ(r.Byte("res3"), 1) << "word 300 > integer -1";
  EXPECT_EQ(r.Byte("res4"), 1) << "45 < 300";
  EXPECT_EQ(r.Byte("res5"), 1);
}

TEST(CondSimple, StringComparisonsInIfAndSelect) {
  auto r = test::RunProgram(R"(
dim s as string * 10, t as string * 10
dim res1 as byte, res2 as byte, res3 as byte, res4 as byte
s = "abc"
t = "abd"
res1 = 0
res2 = 0
res3 = 0
if s = "abc" then res1 = 1
if s = t then res2 = 1
if s <> t then res3 = 1
select case t
case "abc"
  res4 = 1
case "abd"
  res4 = 2
case else
  res4 = 3
end select
)");
  if (!r.sim) return;
  EXPECT_EQ(r.Byte("res1"), 1);
  EXPECT_EQ(r.Byte("res2"), 0);
  EXPECT_EQ(r.Byte("res3"), 1);
  EXPECT_EQ(r.Byte("res4"), 2);
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

// A value without a relation is true when it is not zero, also when it is an expression;
// the long-to-text routine inside a For loop keeps the loop's end registers.
TEST(CondSimple, ExpressionValuesAndTextConversionInsideLoops) {
  auto r = test::RunProgram(R"(
dim a as byte, b as byte, w as word, l as long, s as string * 12, c as word
dim res1 as byte, res2 as byte, res3 as byte
a = 6
b = 0
res1 = 0
res2 = 0
res3 = 0
if (a and 4) then res1 = 1
if a + b then res2 = 1
if a - 6 then res3 = 1
c = 0
for w = 1 to 400
  l = w
  s = str(l)
  incr c
next
)");
  if (!r.sim) return;
  EXPECT_EQ(r.Byte("res1"), 1);
  EXPECT_EQ(r.Byte("res2"), 1);
  EXPECT_EQ(r.Byte("res3"), 0);
  EXPECT_EQ(r.Word("c"), 400);
}

}  // namespace
}  // namespace qbc
