// Addition, subtraction, multiplication, division, squaring, reciprocal and scaling by a
// power of two on the simulator, bit for bit against the host model, on a chip with
// rcall/rjmp only (ATmega8), one with call/jmp (ATmega32), one with 3-byte return
// addresses (ATmega2560), a newer mega (ATmega88) -- all four multiply with mul -- and a
// chip without the multiplier (ATtiny85), which multiplies by shift and add.
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

// Exact halves and halves plus the lowest dropped bit: ties to even, sticky bits lost in
// the alignment, in the carry of a sum and below the product's top bits.
TEST_P(FloatBinary, RoundingBoundaries) {
  const Chip& chip = *GetParam().chip;
  const size_t n = GetParam().random_pairs / 2;
  EXPECT_EQ(CheckBinary(chip, kBinaryOps[0], NearTiePairs(n, 31, SumOnBoundary)), 0);
  EXPECT_EQ(CheckBinary(chip, kBinaryOps[1], NearTiePairs(n, 32, [](uint32_t a, uint32_t b) {
              return SumOnBoundary(a, b ^ 0x80000000u);
            })),
            0);
  EXPECT_EQ(CheckBinary(chip, kBinaryOps[2], NearTiePairs(n, 33, ProductOnBoundary)), 0);
  EXPECT_EQ(CheckBinary(chip, kBinaryOps[0], AlignedBoundaryPairs(false, 34, SumOnBoundary)), 0);
  EXPECT_EQ(CheckBinary(chip, kBinaryOps[0], AlignedBoundaryPairs(true, 35, SumOnBoundary)), 0);
}

INSTANTIATE_TEST_SUITE_P(Chips, FloatBinary,
                         ::testing::Values(ChipCase{&kM8, 2000}, ChipCase{&kM32, 10000}, ChipCase{&kM2560, 4000},
                                           ChipCase{&kM88, 2000}, ChipCase{&kTn85, 1000}),
                         [](const auto& p) { return std::string(p.param.chip->mcu); });

}  // namespace
}  // namespace qbc::test::flt
