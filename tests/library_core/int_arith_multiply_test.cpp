// The integer multiply routines run on the simulator against host arithmetic: the
// shift-and-add forms (run on m88 and a tiny), the mul forms on m8 (and Mul32 on m88 and
// m2560 too).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "compiler/library/core/int_multiply.h"
#include "tests/library_core/routine_fixture.h"

namespace qbc {
namespace {

using test::GetLe;
using test::kKeptMark;
using test::RoutineRig;
using test::RunRoutineCases;

const std::vector<std::uint32_t> k8 = {0, 1, 2, 3, 7, 9, 15, 16, 100, 127, 128, 200, 254, 255};
const std::vector<std::int32_t> k16s = {-32768, -32767, -12345, -256, -255, -7, -2, -1, 0, 1, 2, 7, 255, 256, 12345, 32767};
const std::vector<std::uint32_t> k16u = {0, 1, 2, 3, 10, 255, 256, 0x7FFF, 0x8000, 0x8001, 12345, 40000, 0xFF00, 0xFFFF};
// Signs, zero, extremes, and operands whose partial products carry from byte to byte
// (a top byte of 255 times a low byte of 255; third result byte overflowing).
const std::vector<std::int64_t> k32 = {INT32_MIN, INT32_MIN + 1, -0x12345678, -65536, -256, -1, 0, 1, 2, 255,
                                       0xFFFF, 65536, 0x00FFFFFF, 0x12345678, INT32_MAX, -0x00FFFFFF,
                                       static_cast<std::int32_t>(0xFF0000FF), 0x01FF01FF, 0x00FF00FF};

using test::Pairs;

TEST(IntArithMultiply, Mpy8uShiftFormKeepsZhAndGivesTheLowByte) {
  RoutineRig rig{.device = "m88", .inputs = {"zl", "r24"}, .outputs = {"zl", "r24"}, .kept = {"zh"},
                 .label = "Mpy8u", .routine_text = test::EmittedText(EmitMpy8uRoutine, false)};
  auto pairs = Pairs(k8);
  auto cases = test::PairCases(pairs, 1);
  auto r = RunRoutineCases(rig, cases);
  ASSERT_EQ(r.size(), cases.size());
  for (std::size_t i = 0; i < r.size(); ++i) {
    auto [a, b] = pairs[i];
    EXPECT_EQ(r[i][0], (a * b) & 0xFF) << a << " * " << b;
    EXPECT_EQ(r[i][1], b) << "multiplicand changed";
    EXPECT_EQ(r[i][2], kKeptMark) << "zh changed";
  }
}

TEST(IntArithMultiply, Mpy8uMulFormGivesTheWholeProductInZ) {
  RoutineRig rig{.device = "m8", .inputs = {"zl", "r24"}, .outputs = {"zl", "zh"}, .kept = {},
                 .label = "Mpy8u", .routine_text = test::EmittedText(EmitMpy8uRoutine, true)};
  auto pairs = Pairs(k8);
  auto cases = test::PairCases(pairs, 1);
  auto r = RunRoutineCases(rig, cases);
  ASSERT_EQ(r.size(), cases.size());
  for (std::size_t i = 0; i < r.size(); ++i) {
    auto [a, b] = pairs[i];
    EXPECT_EQ(GetLe(r[i], 0, 2), a * b) << a << " * " << b;
  }
}

std::vector<std::vector<std::uint8_t>> Cases16(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& pairs) {
  auto cases = test::PairCases(pairs, 2);
  return cases;
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> Unsigned16Pairs() {
  auto pairs = Pairs(k16u);
  std::mt19937 rng(16);
  for (int i = 0; i < 60; ++i) pairs.push_back({rng() & 0xFFFF, rng() & 0xFFFF});
  return pairs;
}

TEST(IntArithMultiply, Mp16uShiftFormGivesThe32BitProductAndKeepsTheMultiplicand) {
  RoutineRig rig{.device = "m88", .inputs = {"zl", "zh", "r24", "r25"},
                 .outputs = {"zl", "zh", "r22", "r23", "r24", "r25"}, .kept = {},
                 .label = "Mp16u", .routine_text = test::EmittedText(EmitMp16uRoutine, false)};
  auto pairs = Unsigned16Pairs();
  auto r = RunRoutineCases(rig, Cases16(pairs));
  ASSERT_EQ(r.size(), pairs.size());
  for (std::size_t i = 0; i < r.size(); ++i) {
    auto [a, b] = pairs[i];
    EXPECT_EQ(GetLe(r[i], 0, 4), std::uint64_t{a} * b) << a << " * " << b;
    EXPECT_EQ(GetLe(r[i], 4, 2), b) << "multiplicand changed";
  }
}

TEST(IntArithMultiply, Mp16uMulFormGivesTheLow16BitsForUnsignedAndSignedOperands) {
  RoutineRig rig{.device = "m8", .inputs = {"zl", "zh", "r24", "r25"}, .outputs = {"zl", "zh", "r24", "r25"},
                 .kept = {}, .label = "Mp16u", .routine_text = test::EmittedText(EmitMp16uRoutine, true)};
  auto pairs = Unsigned16Pairs();
  for (auto [a, b] : Pairs(k16s)) pairs.push_back({static_cast<std::uint32_t>(a) & 0xFFFF, static_cast<std::uint32_t>(b) & 0xFFFF});
  auto r = RunRoutineCases(rig, Cases16(pairs));
  ASSERT_EQ(r.size(), pairs.size());
  for (std::size_t i = 0; i < r.size(); ++i) {
    auto [a, b] = pairs[i];
    EXPECT_EQ(GetLe(r[i], 0, 2), (std::uint64_t{a} * b) & 0xFFFF) << a << " * " << b;
    EXPECT_EQ(GetLe(r[i], 2, 2), b) << "multiplicand changed";
  }
}

TEST(IntArithMultiply, Mp16sGivesTheFull32BitSignedProductAlsoForTheMostNegativeMultiplicand) {
  RoutineRig rig{.device = "m88", .inputs = {"zl", "zh", "r24", "r25"}, .outputs = {"zl", "zh", "r22", "r23"},
                 .kept = {}, .label = "Mp16s", .routine_text = test::EmittedText(EmitMp16sRoutine, false)};
  std::vector<std::pair<std::int32_t, std::int32_t>> pairs = Pairs(k16s);
  std::mt19937 rng(17);
  for (int i = 0; i < 60; ++i) pairs.push_back({static_cast<std::int16_t>(rng()), static_cast<std::int16_t>(rng())});
  std::vector<std::pair<std::uint32_t, std::uint32_t>> raw;
  for (auto [a, b] : pairs) raw.push_back({static_cast<std::uint32_t>(a) & 0xFFFF, static_cast<std::uint32_t>(b) & 0xFFFF});
  auto r = RunRoutineCases(rig, Cases16(raw));
  ASSERT_EQ(r.size(), pairs.size());
  for (std::size_t i = 0; i < r.size(); ++i) {
    auto [a, b] = pairs[i];
    EXPECT_EQ(static_cast<std::int32_t>(GetLe(r[i], 0, 4)), a * b) << a << " * " << b;
  }
}

std::vector<std::pair<std::int64_t, std::int64_t>> Mul32Pairs() {
  auto pairs = Pairs(k32);
  std::mt19937 rng(32);
  for (int i = 0; i < 80; ++i) pairs.push_back({static_cast<std::int32_t>(rng()), static_cast<std::int32_t>(rng())});
  return pairs;
}

void CheckMul32(bool megaCore, const char* device) {
  RoutineRig rig{.device = device, .inputs = {"zl", "zh", "r18", "r19", "r24", "r25", "r16", "r17"},
                 .outputs = {"zl", "zh", "r18", "r19"}, .kept = {}, .label = "Mul32",
                 .routine_text = test::EmittedText(EmitMul32Routine, megaCore)};
  if (!megaCore) rig.kept = {"r6"};
  if (std::string(device).rfind("tn", 0) == 0) rig.result_bytes = 400;  // 512 bytes of SRAM
  auto pairs = Mul32Pairs();
  auto cases = test::PairCases(pairs, 4);
  auto r = RunRoutineCases(rig, cases);
  ASSERT_EQ(r.size(), pairs.size());
  for (std::size_t i = 0; i < r.size(); ++i) {
    auto [a, b] = pairs[i];
    std::uint32_t expected = static_cast<std::uint32_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
    EXPECT_EQ(GetLe(r[i], 0, 4), expected) << a << " * " << b;
    if (!megaCore) {
      EXPECT_EQ(r[i][4], kKeptMark) << "r6 (a For loop's end value) changed";
    }
  }
}

TEST(IntArithMultiply, Mul32ShiftFormGivesTheLow32BitsAndKeepsR6) { CheckMul32(false, "m88"); }

TEST(IntArithMultiply, Mul32MulFormGivesTheLow32BitsIncludingByteCarries) { CheckMul32(true, "m8"); }

// The form each kind of chip now gets: mul on a newer mega and on the ATmega2560, shift
// and add on a chip without the multiplier.
TEST(IntArithMultiply, Mul32OnANewerMegaTheLargestMegaAndATiny) {
  CheckMul32(true, "m88");
  CheckMul32(true, "m2560");
  CheckMul32(false, "tn85");
}

}  // namespace
}  // namespace qbc
