// Control flow inside Subs and Functions on the simulator: For loops with local counters,
// Exit For and Exit Sub from inside For loops (the Sub's "ret" must find its return
// address), conditions on locals (float locals included), Incr of locals, On ... Sub.
#include "tests/codegen/flow_fixture.h"

namespace qbc {
namespace {

TEST(FlowSub, LoopsAndExitsInsideSubsKeepTheReturnAddress) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
dim c1 as word, c2 as word, c3 as word, k as byte, done as byte
declare sub Counting(n as byte)
declare sub Leaving(n as word)
declare function Sum(n as word) as word
c1 = 0
c2 = 0
c3 = 0
done = 0
for k = 1 to 3
  Counting(5)
  Leaving(4)
next
c3 = Sum(10)
done = 1
end
sub Counting(n as byte)
  local i as byte, w as word
  for w = 1 to 300
    for i = 1 to 100
      if i > n then exit for
      incr c1
    next
  next
end sub
sub Leaving(n as word)
  local j as word
  for j = 1 to 1000
    incr c2
    if j = n then exit sub
  next
end sub
function Sum(n as word) as word
  local j as word, t as word
  t = 0
  for j = 1 to n
    t = t + j
    if j = 4 then exit function
  next
  return t
end function
)",
                              dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.Word("c1"), 3 * 300 * 5);
    EXPECT_EQ(r.Word("c2"), 3 * 4);
    EXPECT_EQ(r.Byte("done"), 1);
    EXPECT_EQ(r.sim->Sp(), r.sim->RamEnd());
  }
}

TEST(FlowSub, ConditionsOnLocalsAndIncrOfLocals) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
dim res1 as byte, res2 as byte, res3 as byte, res4 as byte, res5 as byte, g as float
declare sub Check(a as byte, w as word, f as float)
res1 = 0
res2 = 0
res3 = 0
res4 = 0
res5 = 0
g = 2.5
Check(7, 300, g)
end
sub Check(a as byte, w as word, f as float)
  local x as byte
  x = a
  incr x
  if x = 8 then res1 = 1
  if w > 299 and a.0 = 1 then res2 = 1
  if f > 2.0 then res3 = 1
  if f < 2.0 then res4 = 1
  decr w
  if w = 299 then res5 = 1
end sub
)",
                              dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.Byte("res1"), 1);
    EXPECT_EQ(r.Byte("res2"), 1);
    EXPECT_EQ(r.Byte("res3"), 1) << "float local > 2.0";
    EXPECT_EQ(r.Byte("res4"), 0) << "float local < 2.0";
    EXPECT_EQ(r.Byte("res5"), 1);
  }
}

TEST(FlowSub, OnSubCallsTheSelectedSubAndGoesOn) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
dim k as byte, total as word
declare sub A1()
declare sub A2()
declare sub A3()
total = 0
for k = 0 to 5
  on k A1(), A2(), A3()
next
end
sub A1()
  total = total + 1
end sub
sub A2()
  total = total + 10
end sub
sub A3()
  total = total + 100
end sub
)",
                              dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.Word("total"), 111);
    EXPECT_EQ(r.sim->Sp(), r.sim->RamEnd());
  }
}

}  // namespace
}  // namespace qbc
