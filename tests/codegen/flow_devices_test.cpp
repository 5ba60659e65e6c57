// One program with every control statement, run on small devices (rjmp/rcall) and on
// devices with more than 8 KB of flash (jmp/call): jump tables, Goto stubs and calls of
// the compare routines must work with either form.
#include "tests/codegen/flow_fixture.h"

namespace qbc {
namespace {

const char* kProgram = R"(
dim k as byte, w as word, total as word, f as float, g as float, s as string * 8, fc as byte, q as byte
declare sub A1()
declare sub A2()
total = 0
f = 0.5
g = 0.25
fc = 0
for k = 0 to 3
  on k goto t0, t1
  goto t2
t0:
  total = total + 1
  goto t2
t1:
  total = total + 2
t2:
  on k A1(), A2()
next
for w = 1 to 1000
  if w = 7 then goto out1
next
out1:
for k = 1 to 5
  if f > g or f = g then incr fc
  if k > 3 then goto out2
next
out2:
s = "xy"
select case s
case "xy"
  q = 1
case else
  q = 2
end select
do
  if q = 1 then
    q = 3
  elseif q = 3 then
    exit do
  end if
loop
waitus 10
end
sub A1()
  total = total + 10
end sub
sub A2()
  total = total + 100
end sub
)";

TEST(FlowDevices, EveryStatementOnSmallAndLargeDevices) {
  const test::FlowDevice devices[] = {{"m8", "atmega8"}, {"m88", "atmega88"}, {"m168", "atmega168"},
                                      {"m128", "atmega128"}};
  for (const auto& dev : devices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(kProgram, dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.Word("total"), 1 + 2 + 10 + 100);
    EXPECT_EQ(r.Word("w"), 7);
    EXPECT_EQ(r.Byte("fc"), 4);
    EXPECT_EQ(r.Byte("q"), 3);
    EXPECT_EQ(r.sim->Sp(), r.sim->RamEnd());
  }
}

// A single-line If inside the statements of another single-line If keeps the outer one
// going to the end of its line.
TEST(FlowDevices, NestedSingleLineIf) {
  auto r = test::RunProgram(R"(
dim a as byte, b as byte, c as byte, d as byte
a = 1
b = 0
c = 0
d = 0
if a = 1 then if b = 1 then c = 1 else c = 2 : d = 5
)");
  if (!r.sim) return;
  EXPECT_EQ(r.Byte("c"), 2);
  EXPECT_EQ(r.Byte("d"), 5);
}

}  // namespace
}  // namespace qbc
