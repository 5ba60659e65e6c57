// For/Next on the simulator: counting up and down, steps, nesting, byte/word/integer
// counters, end values at the type's maximum, and Exit For.
#include "tests/codegen/flow_fixture.h"

namespace qbc {
namespace {

TEST(ForNext, CountsUpDownAndByStepsOnEveryCounterType) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
dim b as byte, w as word, i as integer, n as byte
dim c1 as word, c2 as word, c3 as word, c4 as word, c5 as word, c6 as word, c7 as word
dim s1 as word, s2 as integer
b = 0
w = 0
i = 0
n = 0
c1 = 0
c2 = 0
c3 = 0
c4 = 0
c5 = 0
c6 = 0
c7 = 0
s1 = 0
s2 = 0
for b = 1 to 10
  incr c1
next b
for w = 1000 to 3000 step 500
  incr c2
next
for i = -5 to 5 step 2
  s2 = s2 + i
  incr c3
next i
for b = 10 to 1 step -3
  incr c4
next
for b = 1 to 3
  for w = 1 to 4
    incr c5
  next
next
n = 10
for b = 1 to n
  incr c6
next
for i = 5 to -5 step -1
  incr c7
next
)", dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.Word("c1"), 10);
    EXPECT_EQ(r.Word("c2"), 5);
    EXPECT_EQ(r.Word("c3"), 6);
    EXPECT_EQ(r.Int("s2"), -5 - 3 - 1 + 1 + 3 + 5);
    EXPECT_EQ(r.Word("c4"), 4);
    EXPECT_EQ(r.Word("c5"), 12);
    // An end value from a variable: the loop runs n times, not 256 (a stale end-is-255
    // flag would choose the wrap test).
    EXPECT_EQ(r.Word("c6"), 10);
    EXPECT_EQ(r.Word("c7"), 11);
  }
}

// Counting down compares unsigned for byte and word counters; end values at the type's
// maximum end with any step.
TEST(ForNext, UnsignedCountersAndMaximumEndValues) {
  auto r = test::RunProgram(R"(
dim b as byte, w as word
dim c1 as word, c2 as word, c3 as word, c4 as word, c5 as word, lastb as byte
b = 0
w = 0
c1 = 0
c2 = 0
c3 = 0
c4 = 0
c5 = 0
lastb = 0
for b = 200 to 100 step -10
  incr c1
next
for w = 60000 to 40000 step -10000
  incr c2
next
for b = 0 to 255 step 5
  incr c3
  lastb = b
next
for w = 65500 to 65535 step 7
  incr c4
next
for b = 250 to 255
  incr c5
next
)");
  if (!r.sim) return;
  EXPECT_EQ(r.Word("c1"), 11);
  EXPECT_EQ(r.Word("c2"), 3);
  EXPECT_EQ(r.Word("c3"), 52);
  EXPECT_EQ(r.Byte("lastb"), 255);
  EXPECT_EQ(r.Word("c4"), 6);
  EXPECT_EQ(r.Word("c5"), 6);
}

// Exit For takes off exactly what the innermost loop saved and goes on after it; the
// enclosing loop keeps its own end value; the stack is balanced after all loops.
TEST(ForNext, ExitForAndExitDoLeaveTheStackBalanced) {
  auto r = test::RunProgram(R"(
dim b as byte, w as word, k as byte, c1 as word, c2 as word, c3 as word
b = 0
w = 0
k = 0
c1 = 0
c2 = 0
c3 = 0
for w = 1 to 5
  for b = 1 to 100
    if b = 3 then exit for
    incr c1
  next
  incr c2
next
do
  for b = 1 to 10
    for w = 1 to 10
      if w = 2 then exit do
    next
  next
loop
while k < 3
  incr k
  for w = 1 to 9
    if w = 4 then exit while
    incr c3
  next
wend
)");
  if (!r.sim) return;
  EXPECT_EQ(r.Word("c1"), 10);
  EXPECT_EQ(r.Word("c2"), 5);
  EXPECT_EQ(r.Word("c3"), 3);
  EXPECT_EQ(r.sim->Sp(), r.sim->RamEnd());
}

// Goto out of For loops, backward and forward, takes off what the loops saved.
TEST(ForNext, GotoOutOfLoopsKeepsTheStackBalanced) {
  auto r = test::RunProgram(R"(
dim b as byte, w as word, k as byte
b = 0
w = 0
k = 0
again:
incr k
for b = 1 to 10
  for w = 1 to 10
    if k < 3 then goto again
    if w = 5 then goto done
  next
next
done:
)");
  if (!r.sim) return;
  EXPECT_EQ(r.Byte("k"), 3);
  EXPECT_EQ(r.Word("w"), 5);
  EXPECT_EQ(r.sim->Sp(), r.sim->RamEnd());
}

TEST(ForNext, StepByANamedConstant) {
  auto r = test::RunProgram("const stp = 100\ndim w as word, c as byte\nc = 0\nfor w = 0 to 1000 step stp\nincr c\nnext\n");
  if (r.sim) {
    EXPECT_EQ(r.Byte("c"), 11);
  }
  auto e = test::CompileOnly("dim b as byte, n as byte\nfor b = 1 to 9 step n\nnext\n");
  EXPECT_NE(e.report.find("Must be numeric constant"), std::string::npos) << e.report;
}

TEST(ForNext, LongCounterIsRefused) {
  auto r = test::CompileOnly("dim l as long\nfor l = 1 to 10\nnext\n");
  EXPECT_EQ(r.errors, 1);
  EXPECT_NE(r.report.find("Unsupported operation!"), std::string::npos);
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

// On ... Goto out of For loops takes off what the loops saved, backward and forward.
TEST(ForNext, OnGotoOutOfLoopsKeepsTheStackBalanced) {
  auto r = test::RunProgram(R"(
dim b as byte, w as word, k as byte, sel as byte
k = 0
back:
incr k
for b = 1 to 10
  for w = 1 to 10
    sel = 0
    if k >= 3 then sel = 1
    if w = 2 then on sel goto back, ahead
  next
next
ahead:
)");
  if (!r.sim) return;
  EXPECT_EQ(r.Byte("k"), 3);
  EXPECT_EQ(r.Word("w"), 2);
  EXPECT_EQ(r.sim->Sp(), r.sim->RamEnd());
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

// On a device without a hardware multiply Mul32 shifts through r6; a For loop around it
// must still see its own end value.
TEST(ForNext, ShiftMultiplyKeepsTheLoopsEndRegisters) {
  auto r = test::RunProgram(R"(
dim w as word, c as word, l as long, m as long
c = 0
for w = 1 to 300
  l = w
  m = l * 70000
  incr c
next
)",
                            {"tn2313", "attiny2313"});
  if (!r.sim) return;
  EXPECT_EQ(r.Word("c"), 300);
  EXPECT_EQ(r.Long("m"), 300u * 70000u);
}

}  // namespace
}  // namespace qbc
