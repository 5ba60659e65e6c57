// Addition, subtraction, multiplication, division, squaring, reciprocal and scaling by a
// power of two on the simulator, bit for bit against the host model, on a chip with
// rcall/rjmp only (ATmega8), one with call/jmp (ATmega32) and one with 3-byte return
// addresses (ATmega2560).
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/float/float_cases.h"
#include "tests/float/float_fixture.h"
#include "tests/float/float_model.h"

namespace qbc::test::flt {
namespace {

struct BinaryOp {
  const char* entry;
  uint32_t (*model)(uint32_t, uint32_t);
};

const BinaryOp kBinaryOps[] = {
    {"_Fadd", Add},
    {"_Fsub", Sub},
    {"_Fmul", Mul},
    {"_Fdiv", Div},
};

struct ChipCase {
  const Chip* chip;
  size_t random_pairs;
};

void PrintTo(const ChipCase& c, std::ostream* os) { *os << c.chip->mcu; }

class FloatBinary : public ::testing::TestWithParam<ChipCase> {};

// Runs one binary entry over the pairs; returns the number of mismatches (each reported).
int CheckBinary(const Chip& chip, const BinaryOp& op, const std::vector<std::pair<uint32_t, uint32_t>>& pairs) {
  Routine r{op.entry, Regs(kA, kB), {"r22", "r23", "r24", "r25", "r7"}, "", ""};
  std::vector<std::vector<uint8_t>> cases;
  for (auto [a, b] : pairs) {
    std::vector<uint8_t> c;
    Put32(c, a);
    Put32(c, b);
    cases.push_back(c);
  }
  const auto out = RunCases(chip, r, cases);
  EXPECT_EQ(out.size(), pairs.size());
  int bad = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const uint32_t got = Get32(out[i], 0), want = op.model(pairs[i].first, pairs[i].second);
    if (got != want || out[i][4] != 0) {
      if (++bad <= 12)
        ADD_FAILURE() << op.entry << "(" << HexWord(pairs[i].first) << ", " << HexWord(pairs[i].second)
                      << ") = " << HexWord(got) << " r7=" << int(out[i][4]) << ", want " << HexWord(want);
    }
  }
  return bad;
}

TEST_P(FloatBinary, EdgeValuesInAllPairings) {
  for (const BinaryOp& op : kBinaryOps) EXPECT_EQ(CheckBinary(*GetParam().chip, op, EdgePairs()), 0) << op.entry;
}

TEST_P(FloatBinary, RandomOperands) {
  uint32_t seed = 1;
  for (const BinaryOp& op : kBinaryOps)
    EXPECT_EQ(CheckBinary(*GetParam().chip, op, RandomPairs(GetParam().random_pairs, seed++)), 0) << op.entry;
}

INSTANTIATE_TEST_SUITE_P(Chips, FloatBinary,
                         ::testing::Values(ChipCase{&kM8, 2000}, ChipCase{&kM32, 10000}, ChipCase{&kM2560, 4000}),
                         [](const auto& p) { return std::string(p.param.chip->mcu); });

}  // namespace
}  // namespace qbc::test::flt
