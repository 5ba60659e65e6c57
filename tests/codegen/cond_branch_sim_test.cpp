// The compare-and-branch lines run on the simulator: for every relation, connective and
// integer type, over the edge values of the type, the jump after the branch is taken
// exactly when it should be ("or": when the relation holds; otherwise when it fails).
// Float relations are checked against every answer of _Fcmp0.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/base/flags/float_flags.h"
#include "compiler/codegen/compare_branch.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/sim_runner.h"

namespace qbc {
namespace {

struct Case {
  std::int64_t left;
  std::int64_t right;
  std::uint8_t relation;
};

bool Holds(std::int64_t l, std::int64_t r, std::uint8_t rel) {
  switch (rel) {
    case 1: return l < r;
    case 2: return l <= r;
    case 3: return l == r;
    case 4: return l >= r;
    case 5: return l > r;
    default: return l != r;
  }
}

std::string Hex(std::uint64_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02x", static_cast<unsigned>(v & 0xFF));
  return buf;
}

int Width(std::uint8_t type) { return type == kTypeByte ? 1 : type == kTypeLong ? 4 : 2; }

// Runs all cases of one type and connective in one program; returns which jumped.
std::vector<bool> RunCases(std::uint8_t type, const std::string& connective, const std::vector<Case>& cases) {
  test::CompilerFixture f;
  CompilerState& st = f.st;
  st.out.Text(R"(
.include "m8def.inc"
.DSEG
res:\t.byte\t256
.CSEG
.org 0
\t\tldi\t\tr16,low(RAMEND)
\t\tout\t\tSPL,r16
\t\tldi\t\tr16,high(RAMEND)
\t\tout\t\tSPH,r16)");
  const char* left[] = {"r24", "r25", "r16", "r17"};
  const char* right[] = {"zl", "zh", "r18", "r19"};
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const Case& c = cases[k];
    for (int b = 0; b < Width(type); ++b) {
      st.out.Instr(Sep::kNarrow, "ldi", std::string(left[b]) + "," + Hex(static_cast<std::uint64_t>(c.left) >> (8 * b)));
      st.out.Instr(Sep::kNarrow, "ldi", std::string(right[b]) + "," + Hex(static_cast<std::uint64_t>(c.right) >> (8 * b)));
    }
    EmitCaseCompare(st, type);
    st.sticky.OperandType = type;
    const std::string jumped = "J" + std::to_string(k);
    const std::string next = "N" + std::to_string(k);
    EmitCompareBranch(st, connective, static_cast<Relation>(c.relation), jumped, kTypeNone);
    st.out.Instr(Sep::kNarrow, "ldi", "r20,0x00");
    st.out.Instr(Sep::kNarrow, "rjmp", next);
    st.out.Label(jumped);
    st.out.Instr(Sep::kNarrow, "ldi", "r20,0x01");
    st.out.Label(next);
    st.out.Instr(Sep::kNarrow, "sts", "res+" + std::to_string(k) + ",r20");
  }
  st.out.Text(R"(
done:\trjmp\tdone)");
  auto a = test::AssembleAsm(st.out.Str());
  EXPECT_TRUE(a.ok) << a.output;
  std::vector<bool> out;
  if (!a.ok) return out;
  test::SimRunner sim({.mcu = "atmega8"});
  EXPECT_TRUE(sim.Load(a.hex_path, a.map_path));
  EXPECT_EQ(sim.Run(), test::SimStop::EndLoop);
  const std::uint32_t res = *sim.Symbol("res");
  for (std::size_t k = 0; k < cases.size(); ++k) out.push_back(sim.Sram(res + k) == 1);
  return out;
}

struct TypeValues {
  std::uint8_t type;
  std::vector<std::int64_t> values;
};

TEST(CondBranchSim, IntegerRelationsJumpExactlyWhenTheyShould) {
  const TypeValues types[] = {
      {kTypeByte, {0, 1, 127, 128, 254, 255}},
      {kTypeWord, {0, 1, 255, 32768, 65534, 65535}},
      {kTypeInteger, {-32768, -1, 0, 1, 255, 32767}},
      {kTypeLong, {-2147483648LL, -65536, -1, 0, 1, 2147483647LL}},
  };
  for (const TypeValues& t : types) {
    for (const std::string connective : {"or", "and", "then"}) {
      SCOPED_TRACE("type " + std::to_string(t.type) + " " + connective);
      std::vector<Case> cases;
      for (std::uint8_t rel = 1; rel <= 6; ++rel)
        for (std::int64_t l : t.values)
          for (std::int64_t r : t.values) cases.push_back({l, r, rel});
      // one program holds at most 256 results
      for (std::size_t from = 0; from < cases.size(); from += 100) {
        std::vector<Case> part(cases.begin() + from, cases.begin() + std::min(cases.size(), from + 100));
        const std::vector<bool> jumped = RunCases(t.type, connective, part);
        ASSERT_EQ(jumped.size(), part.size());
        for (std::size_t k = 0; k < part.size(); ++k) {
          const bool holds = Holds(part[k].left, part[k].right, part[k].relation);
          EXPECT_EQ(jumped[k], connective == "or" ? holds : !holds)
              << part[k].left << " rel " << int(part[k].relation) << " " << part[k].right;
        }
      }
    }
  }
}

// _Fcmp0 answers in r24 how the right operand compares with the left: 0xff right < left,
// 0 equal, 1 right > left. A stub gives each answer; r6 holds a For loop's end value that
// must not matter.
TEST(CondBranchSim, FloatRelationsFollowFcmp0InEveryConnective) {
  for (const std::string connective : {"or", "and", "then"}) {
    SCOPED_TRACE(connective);
    test::CompilerFixture f;
    CompilerState& st = f.st;
    st.out.Text(R"(
.include "m8def.inc"
.DSEG
res:\t.byte\t64
.CSEG
.org 0
\t\tldi\t\tr16,low(RAMEND)
\t\tout\t\tSPL,r16
\t\tldi\t\tr16,high(RAMEND)
\t\tout\t\tSPH,r16
\t\tldi\t\tr16,0x37
\t\tmov\t\tr6,r16
\t\trjmp\tstart
_Fcmp0:\tmov\t\tr24,r21
\t\tret
start:)");
    struct F {
      int answer;  // -1: left > right, 0, 1: left < right
      std::uint8_t rel;
    };
    std::vector<F> cases;
    for (std::uint8_t rel = 1; rel <= 6; ++rel)
      for (int answer : {-1, 0, 1}) cases.push_back({answer, rel});
    for (std::size_t k = 0; k < cases.size(); ++k) {
      st.out.Instr(Sep::kNarrow, "ldi", "r21," + Hex(static_cast<std::uint8_t>(cases[k].answer)));
      const std::string jumped = "J" + std::to_string(k);
      const std::string next = "N" + std::to_string(k);
      EmitCompareBranch(st, connective, static_cast<Relation>(cases[k].rel), jumped, kTypeFloat);
      st.out.Instr(Sep::kNarrow, "ldi", "r20,0x00");
      st.out.Instr(Sep::kNarrow, "rjmp", next);
      st.out.Label(jumped);
      st.out.Instr(Sep::kNarrow, "ldi", "r20,0x01");
      st.out.Label(next);
      st.out.Instr(Sep::kNarrow, "sts", "res+" + std::to_string(k) + ",r20");
    }
    st.out.Text(R"(
done:\trjmp\tdone)");
    EXPECT_TRUE(st.used[NeedFcmp0]);
    auto a = test::AssembleAsm(st.out.Str());
    ASSERT_TRUE(a.ok) << a.output;
    test::SimRunner sim({.mcu = "atmega8"});
    ASSERT_TRUE(sim.Load(a.hex_path, a.map_path));
    ASSERT_EQ(sim.Run(), test::SimStop::EndLoop);
    const std::uint32_t res = *sim.Symbol("res");
    for (std::size_t k = 0; k < cases.size(); ++k) {
      // left compared with right: answer 1 means left < right
      const std::int64_t left = cases[k].answer == 1 ? 0 : cases[k].answer == 0 ? 1 : 2;
      const bool holds = Holds(left, 1, cases[k].rel);
      EXPECT_EQ(sim.Sram(res + k) == 1, connective == "or" ? holds : !holds)
          << "answer " << cases[k].answer << " rel " << int(cases[k].rel);
    }
  }
}

}  // namespace
}  // namespace qbc
