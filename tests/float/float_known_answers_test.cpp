// Known answers written out by hand (independent of the host model): ties at 2^-24 and
// 3 * 2^-25, exact cancellation, zeros, NaN and overflow patterns, flushing below the
// normal range, truncating conversions and the order of the two zeros.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/float/float_fixture.h"

namespace qbc::test::flt {
namespace {

struct Known {
  const char* entry;
  uint32_t a;
  uint32_t b;  // B, or n in r21:r20 for _F2e
  uint32_t want;
};

const Known kKnown[] = {
    {"_Fadd", 0x3F800000, 0x33800000, 0x3F800000},  // 1 + 2^-24: the tie stays even
    {"_Fadd", 0x3F800000, 0x33C00000, 0x3F800001},  // 1 + 3 * 2^-25 rounds up
    {"_Fadd", 0x3F800001, 0x33800000, 0x3F800002},  // odd mantissa: the tie rounds up
    {"_Fadd", 0x40490FDB, 0xC0490FDB, 0x00000000},  // x + (-x)
    {"_Fsub", 0xC0490FDB, 0xC0490FDB, 0x00000000},  // x - x
    {"_Fadd", 0x80000000, 0x80000000, 0x00000000},  // -0 + -0: zero results are +0
    {"_Fadd", 0x3FC0ABCD, 0x7F800000, 0xFFC0ABCD},  // infinity: NaN with A's low bytes
    {"_Fsub", 0x7FC01234, 0x3F800000, 0xFFC01234},
    {"_Fmul", 0x40A00000, 0x00000000, 0x00000000},  // 5 * 0
    {"_Fmul", 0xC0A00000, 0x00000000, 0x00000000},  // -5 * 0
    {"_Fdiv", 0x00000000, 0x40A00000, 0x00000000},  // 0 / 5
    {"_Fdiv", 0x40A01234, 0x00000000, 0xFFC01234},  // 5 / 0: NaN
    {"_Fdiv", 0x00000000, 0x00000000, 0xFFC00000},  // 0 / 0: NaN
    {"_Fmul", 0x00800000, 0x3F000000, 0x00000000},  // 2^-126 * 0.5: below the normal range
    {"_Fdiv", 0x00800000, 0x40000000, 0x00000000},  // 2^-126 / 2
    {"_Fmul", 0x00400000, 0x4B000000, 0x0B800000},  // 2^-127 (exponent field 0) * 2^23
    {"_Fmul", 0x00000001, 0x7E800000, 0x34000000},  // 2^-149 * 2^126
    {"_Fdiv", 0x00000003, 0x00800000, 0x34C00000},  // 3 * 2^-149 / 2^-126 = 1.5 * 2^-22
    {"_Fmul", 0x7F000000, 0x40000000, 0xFFC00000},  // 2^127 * 2: too large, NaN
    {"_Fadd", 0x7F7FFFFF, 0x73000000, 0xFFC00000},  // max + half an ulp: rounds past the range
    {"_Fadd", 0x7F7FFFFF, 0x72FFFFFF, 0x7F7FFFFF},  // max + less than half an ulp
    {"_Fmul", 0x3FC00000, 0x40000000, 0x40400000},  // 1.5 * 2
    {"_Fdiv", 0x3F800000, 0x40400000, 0x3EAAAAAB},  // 1 / 3
    {"_Fdiv", 0x40000000, 0x40400000, 0x3F2AAAAB},  // 2 / 3
    {"_Finv", 0x40000000, 0, 0x3F000000},           // 1 / 2
    {"_Fpow2", 0xC0400000, 0, 0x41100000},          // (-3)^2
    {"_F2e", 0x3F800000, 0xFFFF, 0x3F000000},       // 1 * 2^-1
    {"_F2e", 0x3F800000, 0x007F, 0x7F000000},       // 1 * 2^127
    {"_F2e", 0x3F800000, 0x0080, 0xFFC00000},       // 1 * 2^128: NaN
    {"_F2e", 0x3F800000, 0xFF82, 0x00800000},       // 1 * 2^-126
    {"_F2e", 0x3F800000, 0xFF81, 0x00000000},       // 1 * 2^-127: zero
    {"_Fxsf", 0x4039999A, 0, 0x00000002},           // 2.9
    {"_Fxsf", 0xC039999A, 0, 0xFFFFFFFE},           // -2.9
    {"_Fxsf", 0x3F7FFFFF, 0, 0x00000000},           // just below 1
    {"_Fxsf", 0x4F000000, 0, 0x80000000},           // 2^31
    {"_Fxsf", 0x4F7FFFFF, 0, 0xFFFFFF00},           // just below 2^32
    {"_Fxsf", 0x4F800000, 0, 0x00000000},           // 2^32
    {"_Fxsf", 0xCF000000, 0, 0x80000000},           // -2^31
    {"_Fs2f", 0xFFFFFFFF, 0, 0xBF800000},           // -1
    {"_Fs2f", 0x00000000, 0, 0x00000000},
    {"_Fs2f", 0x80000000, 0, 0xCF000000},           // -2^31
    {"_Fs2f", 0x01000001, 0, 0x4B800000},           // 2^24 + 1: the tie stays even
    {"_Fs2f", 0x01000003, 0, 0x4B800002},           // 2^24 + 3: the tie rounds up
    {"_Fs2f", 0x7FFFFFFF, 0, 0x4F000000},
    {"_Fus2f", 0xFFFFFFFF, 0, 0x4F800000},          // 2^32 - 1 rounds to 2^32
    {"_Fus2f", 0x80000000, 0, 0x4F000000},
};

TEST(FloatKnownAnswers, ArithmeticAndConversions) {
  for (const Chip* chip : {&kM8, &kM2560}) {
    for (const Known& k : kKnown) {
      std::vector<uint8_t> c;
      Put32(c, k.a);
      Put32(c, std::string(k.entry) == "_F2e" ? k.b << 16 : k.b);  // n lands in r21:r20
      const auto out = RunCases(*chip, {k.entry, Regs(kA, kB), {"r22", "r23", "r24", "r25", "r7"}, "", ""}, {c});
      ASSERT_EQ(out.size(), 1u);
      EXPECT_EQ(HexWord(Get32(out[0], 0)), HexWord(k.want))
          << k.entry << "(" << HexWord(k.a) << ", " << HexWord(k.b) << ") on " << chip->mcu;
      EXPECT_EQ(out[0][4], 0) << "r7 after " << k.entry;
    }
  }
}

// -0 is below +0; equal values give Z; an infinity gives T.
TEST(FloatKnownAnswers, CompareFlags) {
  struct Flags {
    uint32_t a, b;
    uint8_t cmf;  // _Fcmf's r24
    uint8_t sreg_mask;
    uint8_t sreg_bits;  // T, Z, C as _Fcmp leaves them
  };
  const Flags cases[] = {
      {0x80000000, 0x00000000, 0xFF, 0x43, 0x01}, {0x00000000, 0x80000000, 0x01, 0x43, 0x00},
      {0x80000000, 0x80000000, 0x00, 0x43, 0x02}, {0x3F800000, 0x40000000, 0xFF, 0x43, 0x01},
      {0xBF800000, 0xC0000000, 0x01, 0x43, 0x00}, {0xC0000000, 0x3F800000, 0xFF, 0x43, 0x01},
      {0x40000000, 0x40000000, 0x00, 0x43, 0x02}, {0x3F800000, 0x7F800000, 0x00, 0x40, 0x40},
  };
  for (const Flags& f : cases) {
    std::vector<uint8_t> c;
    Put32(c, f.a);
    Put32(c, f.b);
    const auto cmp = RunCases(kM8, {"_Fcmp", Regs(kA, kB), {"sreg"}, "", ""}, {c});
    const auto cmf = RunCases(kM8, {"_Fcmf", Regs(kA, kB), {"r24"}, "", ""}, {c});
    ASSERT_EQ(cmp.size(), 1u);
    ASSERT_EQ(cmf.size(), 1u);
    EXPECT_EQ(cmp[0][0] & f.sreg_mask, f.sreg_bits) << HexWord(f.a) << " vs " << HexWord(f.b);
    EXPECT_EQ(cmf[0][0], f.cmf) << HexWord(f.a) << " vs " << HexWord(f.b);
  }
}

}  // namespace
}  // namespace qbc::test::flt
