// Float literals become single-precision patterns by the digit-string conversion: its own
// rounding rules (ties upward, long integer parts truncated), not the host's.
#include "compiler/codegen/float_literal.h"

#include <gtest/gtest.h>

#include <string>

namespace qbc {
namespace {

TEST(FloatLiteral, ConvertsTheLiteralsToTheirPatterns) {
  const struct {
    const char* literal;
    const char* hex;
  } cases[] = {
      {"-2.75", "c0300000"},
      {"1.5", "3fc00000"},
      {"0.5", "3f000000"},
      {".5", "3f000000"},
      {"100.0", "42c80000"},
      {"100", "42c80000"},
      {"2.5e3", "451c4000"},
      {"4e+2", "43c80000"},
      {"123.456", "42f6e979"},
      {"0.1", "3dcccccd"},
      {"-0.1", "bdcccccd"},
      {"1.0E-3", "3a83126f"},
      {"0.0", "00000000"},
      {"-0.0", "00000000"},
      {"+1.5e-2", "3c75c28f"},
      {"1.5e-2", "3c75c28f"},
      {"0.99999999", "3f800000"},   // rounding carries through every fraction bit
      {"16777215.5", "4b800000"},   // the half carries into a 24-bit integer part
      {"16777217.0", "4b800000"},   // bits below the 24th of a long integer part are dropped
      {"6.02e23", "66fef4f8"},
      {"1e38", "7e967699"},
      {"3.4e38", "7f7fc99e"},
      {"-1", "bf800000"},
      {"1.175494351e-38", "00800000"},  // the smallest normal value
  };
  for (const auto& c : cases) EXPECT_EQ(FloatLiteralToHex(c.literal), c.hex) << c.literal;
}

TEST(FloatLiteral, OutOfRangeLiterals) {
  // No pattern for 2^128 and more: the caller reports it.
  EXPECT_THROW(FloatLiteralToHex("3.5e38"), FloatLiteralOverflow);
  EXPECT_THROW(FloatLiteralToHex("-1e39"), FloatLiteralOverflow);
  EXPECT_THROW(FloatLiteralToHex("1e400"), FloatLiteralOverflow);
  // Below the smallest normal value there is no pattern either: 0.
  EXPECT_EQ(FloatLiteralToHex("1e-39"), "00000000");
  EXPECT_EQ(FloatLiteralToHex("-1e-45"), "00000000");
  EXPECT_EQ(FloatLiteralToHex("1e-400"), "00000000");
}

TEST(FloatLiteral, AnExponentThatIsNoIntegerEndsTheCompilation) {
  EXPECT_THROW(FloatLiteralToHex("1.5e"), CompileFailure);
  EXPECT_THROW(FloatLiteralToHex("1.5e+"), CompileFailure);
  EXPECT_THROW(FloatLiteralToHex("2e1x"), CompileFailure);
  EXPECT_THROW(FloatLiteralToHex(std::string(300, '1')), CompileFailure);
}

TEST(FloatLiteral, DigitStringHelpers) {
  double v = 5;
  EXPECT_EQ(FracToBinStr(v, 0), "101");
  EXPECT_EQ(v, 0.0);
  v = 128;
  EXPECT_EQ(FracToBinStr(v, 8), "10000000");
  v = 3;
  EXPECT_EQ(FracToBinStr(v, 8), "00000011");
  v = 0x1FF;
  EXPECT_EQ(FracToBinStr(v, 8), "11111111");

  bool carry = false;
  std::string bits = "0111";
  EXPECT_EQ(BinStrIncrement(bits, carry), "1000");
  EXPECT_FALSE(carry);
  bits = "111";
  EXPECT_EQ(BinStrIncrement(bits, carry), "000");
  EXPECT_TRUE(carry);
  bits.clear();
  carry = false;
  EXPECT_EQ(BinStrIncrement(bits, carry), "");
  EXPECT_TRUE(carry);

  EXPECT_EQ(BinStrToHex("11000000001100000000000000000000"), "c0300000");
  EXPECT_EQ(BinStrToHex("1111"), "f0000000");
}

}  // namespace
}  // namespace qbc
