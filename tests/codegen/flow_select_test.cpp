// Select Case on the simulator: single values, lists, ranges, relations, Case Else, with
// byte, word, integer, long and string selectors, and Case values that are expressions.
#include "tests/codegen/flow_fixture.h"

namespace qbc {
namespace {

TEST(FlowSelect, EveryCaseFormPicksTheRightBody) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
dim v as byte, k as byte, a as byte, hits as word, w as word, i as integer, l as long
dim rw as byte, ri as byte, rl as byte, rx as byte
hits = 0
a = 4
for k = 0 to 12
  v = k
  select case v
  case 0
    hits = hits + 1
  case 1, 3
    hits = hits + 10
  case 5 to 6
    hits = hits + 100
  case a + 3
    hits = hits + 1000
  case > 10
    hits = hits + 10000
  case else
    hits = hits + 2
  end select
next
w = 300
select case w
case 44
  rw = 1
case 300
  rw = 2
case else
  rw = 3
end select
i = -5
select case i
case -10 to -1
  ri = 1
case else
  ri = 2
end select
l = 100000
select case l
case 1 to 99999
  rl = 1
case 100000
  rl = 2
end select
rx = 0
select case a
case 1, 2, 3
  rx = 1
case "A"
  rx = 2
end select
)",
                              dev);
    if (!r.sim) continue;
    // 0: 1; 1, 3: 20; 5, 6: 200; 7: 1000; 11, 12: 20000; 2, 4, 8, 9, 10: 5 x 2
    EXPECT_EQ(r.Word("hits"), 1 + 20 + 200 + 1000 + 20000 + 10);
    EXPECT_EQ(r.Byte("rw"), 2) << "a word selector of 300 is not Case 44";
    EXPECT_EQ(r.Byte("ri"), 1);
    EXPECT_EQ(r.Byte("rl"), 2);
    EXPECT_EQ(r.Byte("rx"), 0);
  }
}

TEST(FlowSelect, CharacterLiteralsAndFloatSelectors) {
  auto r = test::RunProgram(R"(
dim c as byte, rc as byte
c = 66
select case c
case "A"
  rc = 1
case "B"
  rc = 2
case else
  rc = 3
end select
)");
  if (r.sim) {
    EXPECT_EQ(r.Byte("rc"), 2);
  }
  auto f = test::CompileOnly("dim x as float, a as byte\nselect case x\ncase 1\na = 1\nend select\n");
  EXPECT_NE(f.report.find("Unsupported operation!"), std::string::npos) << f.report;
  auto o = test::CompileOnly("dim a as byte, b as byte\nselect case a\ncase > 1 and b = 2\nb = 1\nend select\n");
  EXPECT_NE(o.report.find("Not supported in Case! Use TO or If statement!"), std::string::npos) << o.report;
}

// A string selector's address stays in registers through every Case: Case values that
// are plain literals, lists and ranges of them, another string and a part of one each
// compare with the selector, never with what an earlier Case value left behind.
TEST(FlowSelect, StringSelectorSurvivesEveryKindOfCaseValue) {
  struct Row {
    const char* selector;
    int expect;
  };
  const Row rows[] = {{"beta", 1}, {"gamma", 2}, {"delta", 2}, {"kiwi", 3}, {"omegas", 4}, {"omega", 5},
                      {"zebra", 6}, {"om", 7}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.selector);
    auto r = test::RunProgram(std::string(R"(
dim s as string * 10, o as string * 10, r as byte
o = "omegas"
s = ")") + row.selector + R"("
select case s
case "alpha", "beta"
  r = 1
case "gamma", "delta"
  r = 2
case "kiwi" to "kiwi"
  r = 3
case o
  r = 4
case "omega"
  r = 5
case > o
  r = 6
case left(o, 2)
  r = 7
case else
  r = 8
end select
)");
    if (!r.sim) continue;
    EXPECT_EQ(r.Byte("r"), row.expect);
  }
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

TEST(FlowSelect, HexValuesInEveryForm) {
  auto r = test::RunProgram(R"(
dim v as byte, res1 as byte, res2 as byte, res3 as byte
v = 16
select case v
case &h10
  res1 = 1
case else
  res1 = 2
end select
select case v
case &h01, &h10
  res2 = 1
case else
  res2 = 2
end select
select case v
case &h0f to &h11
  res3 = 1
case else
  res3 = 2
end select
)");
  if (!r.sim) return;
  EXPECT_EQ(r.Byte("res1"), 1);
  EXPECT_EQ(r.Byte("res2"), 1);
  EXPECT_EQ(r.Byte("res3"), 1);
}

}  // namespace
}  // namespace qbc
