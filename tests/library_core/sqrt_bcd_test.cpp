// Square roots, integer-to-long and BCD routines on the simulator against host models.
#include "compiler/library/core/sqrt_bcd.h"

#include "compiler/library/core/int_divide.h"
#include "compiler/library/core/int_multiply.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/library_core/core_fixture.h"

namespace qbc::test::corelib {
namespace {

uint32_t ISqrt(uint64_t x) {
  uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<double>(x)));
  while (r * r > x) --r;
  while ((r + 1) * (r + 1) <= x) ++r;
  return static_cast<uint32_t>(r);
}

// The 16-bit root is rounded to the nearest integer: r + 1 when x - r*r exceeds r.
uint32_t Sqrt16Model(uint32_t x) {
  uint32_t r = ISqrt(x);
  return x - r * r > r ? r + 1 : r;
}

// A caller may leave anything in r23 (the byte above the radicand) and in r2 (which holds
// SREG after any interrupt handler); the roots must not depend on them.
const char* kDirtyRegisters = "\tldi\tr23,0xa5\n\tldi\tr16,0x5a\n\tmov\tr2,r16\n";

TEST(Sqr16, RoundsToNearestOverEveryRootStepWithGarbageAboveTheRadicand) {
  std::vector<uint32_t> xs = {0, 1, 2, 3, 8, 99, 100, 16639, 16640, 65280, 65281, 65534, 65535};
  for (uint32_t r = 0; r <= 256; ++r) {
    for (int64_t x : {int64_t(r * r) - 1, int64_t(r * r), int64_t(r * r + r), int64_t(r * r + r + 1)}) {
      if (x >= 0 && x <= 65535) xs.push_back(static_cast<uint32_t>(x));
    }
  }
  std::vector<std::vector<uint8_t>> cases;
  for (uint32_t x : xs) cases.push_back(Bytes(x, 2));
  RegisterRoutine r{EmitText(EmitSqr16Routine), "_Sqr16", {"zl", "zh"}, {"zl", "zh"}, kDirtyRegisters};
  auto out = RunRegisterCases(r, cases);
  ASSERT_EQ(out.size(), xs.size());
  for (size_t i = 0; i < xs.size(); ++i) {
    EXPECT_EQ(Value(out[i], 0, 2), Sqrt16Model(xs[i])) << "Sqr16(" << xs[i] << ")";
  }
}

TEST(Sqr16, KnownRoots) {
  // 16640 = 128.996^2: the remainder 256 must not be taken as 0.
  const std::vector<std::pair<uint32_t, uint32_t>> known = {{0, 0},     {3, 2},     {8, 3},     {99, 10},
                                                            {100, 10},  {16639, 129}, {16640, 129}, {65025, 255},
                                                            {65280, 255}, {65281, 256}, {65535, 256}};
  std::vector<std::vector<uint8_t>> cases;
  for (auto [x, root] : known) cases.push_back(Bytes(x, 2));
  RegisterRoutine r{EmitText(EmitSqr16Routine), "_Sqr16", {"zl", "zh"}, {"zl", "zh"}, kDirtyRegisters};
  auto out = RunRegisterCases(r, cases);
  ASSERT_EQ(out.size(), known.size());
  for (size_t i = 0; i < known.size(); ++i) EXPECT_EQ(Value(out[i], 0, 2), known[i].second) << known[i].first;
}

TEST(Sqr32, IntegerRootAcrossTheWholeRangeWithDirtyR2) {
  std::vector<uint32_t> roots;
  for (uint32_t k = 0; k <= 300; ++k) roots.push_back(k);
  for (uint32_t k : {1000u, 4095u, 4096u, 32767u, 32768u, 46340u, 46341u, 65534u, 65535u}) roots.push_back(k);
  std::mt19937 rng(12345);
  for (int i = 0; i < 120; ++i) roots.push_back(rng() % 65536);
  std::vector<uint32_t> xs = {0xFFFFFFFFu, (1u << 30) - 1, 1u << 30, 1u << 31, 1000000u, 3u};
  for (uint32_t k : roots) {
    const uint64_t sq = uint64_t(k) * k;
    xs.push_back(static_cast<uint32_t>(sq));
    if (sq > 0) xs.push_back(static_cast<uint32_t>(sq - 1));
    if (sq + 2 * k <= 0xFFFFFFFFu) xs.push_back(static_cast<uint32_t>(sq + 2 * k));
  }
  for (int i = 0; i < 150; ++i) xs.push_back(rng());
  std::vector<std::vector<uint8_t>> cases;
  for (uint32_t x : xs) cases.push_back(Bytes(x, 4));
  RegisterRoutine r{EmitText(EmitSqr32Routine), "_Sqr32", {"zl", "zh", "r18", "r19"}, {"zl", "zh"},
                    kDirtyRegisters};
  auto out = RunRegisterCases(r, cases);
  ASSERT_EQ(out.size(), xs.size());
  for (size_t i = 0; i < xs.size(); ++i) EXPECT_EQ(Value(out[i], 0, 2), ISqrt(xs[i])) << "Sqr32(" << xs[i] << ")";
}

TEST(Sqr32, LeavesR17Alone) {
  // r17 is not among the registers the routine changes.
  RegisterRoutine r{EmitText(EmitSqr32Routine), "_Sqr32", {"zl", "zh", "r18", "r19", "r17"},
                    {"zl", "zh", "r17"}, ""};
  auto out = RunRegisterCases(r, {{0xff, 0xff, 0xff, 0xff, 0x3c}, {0x40, 0x42, 0x0f, 0x00, 0xc3}});
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(Value(out[0], 0, 2), 65535u);
  EXPECT_EQ(out[0][2], 0x3c);
  EXPECT_EQ(Value(out[1], 0, 2), 1000u);
  EXPECT_EQ(out[1][2], 0xc3);
}

TEST(IntToLong, SignExtendsBothRegisterSets) {
  const std::vector<int32_t> values = {0, 1, -1, 127, 128, -128, 255, 256, 32767, -32768, -2, 0x1234, -0x1234, 0x7f80};
  std::vector<std::vector<uint8_t>> cases;
  for (int32_t v : values) cases.push_back(Bytes(static_cast<uint32_t>(v), 2));
  const char* dirty = "\tldi\tr16,0x5a\n\tldi\tr17,0xa5\n\tldi\tr18,0x5a\n\tldi\tr19,0xa5\n";
  RegisterRoutine i2l{EmitText(EmitIntToLongRoutine), "_I2L", {"zl", "zh"}, {"zl", "zh", "r18", "r19"}, dirty};
  RegisterRoutine i2lo{EmitText(EmitIntToLongR16Routine), "_I2Lo", {"r24", "r25"}, {"r24", "r25", "r16", "r17"},
                       dirty};
  auto a = RunRegisterCases(i2l, cases);
  auto b = RunRegisterCases(i2lo, cases);
  ASSERT_EQ(a.size(), values.size());
  ASSERT_EQ(b.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(static_cast<int32_t>(Value(a[i], 0, 4)), values[i]) << "_I2L " << values[i];
    EXPECT_EQ(static_cast<int32_t>(Value(b[i], 0, 4)), values[i]) << "_I2Lo " << values[i];
  }
}

TEST(Bcd, PacksEveryValueUpTo99AndFillsTheHighNibbleWithTheQuotientAbove) {
  std::vector<std::vector<uint8_t>> cases;
  for (unsigned x = 0; x <= 99; ++x) cases.push_back({static_cast<uint8_t>(x)});
  cases.push_back({123});
  RegisterRoutine r{EmitText(EmitBcdRoutine) + EmitText(EmitDiv8uRoutine), "_Bcd", {"zl"}, {"zl"}, ""};
  auto out = RunRegisterCases(r, cases);
  ASSERT_EQ(out.size(), cases.size());
  for (unsigned x = 0; x <= 99; ++x) EXPECT_EQ(out[x][0], ((x / 10) << 4) | (x % 10)) << x;
  EXPECT_EQ(out[100][0], 0xC3);
}

// With both forms of Mpy8u: the mul form (which also writes zh, r0, r1) and the
// shift-and-add form of cores without a multiplier (which keeps zh and uses r19).
TEST(FromBcd, UnpacksEveryByteWithEitherMultiply) {
  std::vector<std::vector<uint8_t>> cases;
  for (unsigned x = 0; x <= 255; ++x) cases.push_back({static_cast<uint8_t>(x)});
  for (bool mul : {true, false}) {
    auto st = StateFor(kMega328);
    st->dev.HardwareMultiplier = mul;
    EmitFromBcdRoutine(*st);
    EmitMpy8uRoutine(*st);
    RegisterRoutine r{st->out.Str(), "_FBcd", {"zl"}, {"zl"}, ""};
    auto out = RunRegisterCases(r, cases);
    ASSERT_EQ(out.size(), cases.size());
    for (unsigned x = 0; x <= 255; ++x) {
      EXPECT_EQ(out[x][0], ((x >> 4) * 10 + (x & 15)) & 0xFF) << x << (mul ? " (mul)" : " (shift)");
    }
    EXPECT_EQ(out[0x99][0], 99);
    EXPECT_EQ(out[0x1A][0], 20);
  }
}

TEST(Bcd, CallsThroughTheDevicesCallMnemonic) {
  auto st = StateFor(kMega328);
  st->mn.CallMnemonic = "call";
  EmitBcdRoutine(*st);
  EmitFromBcdRoutine(*st);
  EXPECT_NE(st->out.Str().find("\t\tcall\tDiv8u\r\n"), std::string::npos);
  EXPECT_NE(st->out.Str().find("\t\tcall\tMpy8u\r\n"), std::string::npos);
}

}  // namespace
}  // namespace qbc::test::corelib
