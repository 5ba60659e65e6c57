#include "compiler/base/flags/float_flags.h"
#include "compiler/frontend/numeric_constants.h"

#include <gtest/gtest.h>

#include "compiler/base/symbols.h"
#include "compiler/frontend/uart_cells.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

TEST(ParseFloatConstant, TypeByValueAndTheMaxFlags) {
  struct Case {
    const char* text;
    int type;
    bool byteMax;  // ConstIsByteMax afterwards (starts False)
    bool wordMax;  // ConstIsWordMax afterwards (starts False)
    bool floatCore;
  };
  const Case cases[] = {
      {"0", 2, false, false, false},       {"255", 2, true, false, false},
      {"256", 4, false, false, false},     {"65535", 4, false, true, false},
      {"65536", 5, false, false, false},   {"-1", 3, false, false, false},
      {"-32766", 3, false, false, false},  {"-32767", 5, false, false, false},
      {"-32768", 5, false, false, false},  {"4294967296", 5, false, false, false},
      {"1.5", 8, false, false, true},      {"1e3", 8, false, false, true},
      {".5", 8, false, false, true},
  };
  for (const Case& c : cases) {
    test::CompilerFixture f;
    EXPECT_EQ(ParseFloatConstant(f.st, c.text), c.type) << c.text;
    EXPECT_EQ(f.st.expr.ConstIsByteMax, c.byteMax) << c.text;
    EXPECT_EQ(f.st.expr.ConstIsWordMax, c.wordMax) << c.text;
    EXPECT_EQ(f.st.used[NeedFloatCore], c.floatCore) << c.text;
    EXPECT_EQ(f.st.ErrorCount, 0) << c.text;
  }
}

TEST(ParseFloatConstant, MaxFlagsChangeOnlyInTheirOwnRange) {
  test::CompilerFixture f;
  ParseFloatConstant(f.st, "255");
  ParseFloatConstant(f.st, "65535");
  EXPECT_TRUE(f.st.expr.ConstIsByteMax);  // the word branch leaves the byte flag alone
  EXPECT_TRUE(f.st.expr.ConstIsWordMax);
  ParseFloatConstant(f.st, "70000");
  EXPECT_TRUE(f.st.expr.ConstIsWordMax);
  ParseFloatConstant(f.st, "7");
  EXPECT_FALSE(f.st.expr.ConstIsByteMax);
  EXPECT_TRUE(f.st.expr.ConstIsWordMax);
}

TEST(ParseFloatConstant, TextThatIsNoNumberIsReported) {
  for (const char* text : {"abc", "", "12ab", "0x10", "-"}) {
    test::CompilerFixture f;
    EXPECT_EQ(ParseFloatConstant(f.st, text), 0) << text;
    EXPECT_EQ(f.report.Text(), " 1. Numeric constant expected! (\"test.bas\" --> Line  0)\r\n") << text;
    EXPECT_FALSE(f.st.expr.ConstIsByteMax);
  }
}

TEST(IsHexConstant, SixteenOrThirtyTwoBitsByDigitCount) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"ff", 255, "&hff"},          {"hff", 255, "&hff"},       {"h7fff", 32767, "&h7fff"},
      {"hffff", -1, "&hffff"},      {"h8000", -32768, "&h8000"}, {"h0ffff", 65535, "&h0ffff"},
      {"h10000", 65536, "&h10000"}, {"hffffffff", -1, "&hffffffff"},
      {"h7fffffff", 2147483647, "&h7fffffff"},
      {"h1fz", 31, "&h1fz"},        // reading stops at the first non-digit
      {"h", 0, "&h"},               {"hz", 0, "&hz"},
  };
  for (const auto& [in, value, converted] : cases) {
    std::string text = in;
    EXPECT_EQ(IsHexConstant(text), value) << in;
    EXPECT_EQ(text, converted) << in;
  }
  std::string tooLong = "h123456789";
  EXPECT_THROW(IsHexConstant(tooLong), CompileFailure);
}

TEST(IsBinConstant, DigitsAfterTheFirstB) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"b0101", 5, "0101"},       {"b11111111", 255, "11111111"}, {"b", 0, ""},
      {"b0", 0, "0"},             {"0110", 6, "0110"},            // no "b": every character counts
      {"b1111111111111111111111111111111", 2147483647, "1111111111111111111111111111111"},
  };
  for (const auto& [in, value, digits] : cases) {
    std::string text = in;
    EXPECT_EQ(IsBinConstant(text), value) << in;
    EXPECT_EQ(text, digits) << in;
  }
  std::string tooLong = "b" + std::string(32, '1');
  EXPECT_THROW(IsBinConstant(tooLong), CompileFailure);
}

TEST(CalcDelayCount, SinglePrecisionCountRoundedHalfToEven) {
  struct Case {
    float mhz;
    int us;
    const char* count;
  };
  const Case cases[] = {
      {8.0f, 4, "8"},      // (32 - 7) / 3 = 8.33
      {1.0f, 4, "-1"},     // (4 - 7) / 3 = -1
      {1.0f, 1, "-2"},     // -2
      {1.0f, 7, "1"},      // 0 becomes 1
      {1.0f, 8, "1"},      // 0.33 rounds to 0, then 1
      {1.0f, 14, "2"},     // 7 / 3 = 2.33
      {1.0f, 15, "3"},     // 8 / 3 = 2.67
      {1.0f, 16, "3"},     // exactly 3
      {2.5f, 5, "2"},      // (12.5 - 7) / 3 = 1.83
      {3.5f, 4, "2"},      // (14 - 7) / 3 = 2.33
      {1.5f, 9, "2"},      // (13.5 - 7) / 3 = 2.1667
      {16.0f, 255, "1358"},  // (4080 - 7) / 3 = 1357.67
      // Single precision: in double these give 8 (7.5) and 31 (31.4999...).
      {0.295f, 100, "7"},    // 7.49999952 in single precision
      {1.015f, 100, "32"},   // exactly 31.5 in single precision, to the even 32
      {0.0f, 10, "-2"},    // no clock: -7 / 3 = -2.33
  };
  for (const Case& c : cases) {
    test::CompilerFixture f;
    f.st.cfg.CrystalFrequency = c.mhz;
    EXPECT_EQ(CalcDelayCount(f.st, static_cast<std::uint8_t>(c.us)), c.count) << c.mhz << " MHz " << c.us << " us";
  }
}

TEST(CalcDelayCount, HalvesGoToTheEvenNeighbour) {
  // (us * f - 7) / 3 = 2.5 needs us * f = 14.5; = 3.5 needs 17.5; = 0.5 needs 8.5 (then 0 -> 1).
  const std::tuple<float, int, const char*> cases[] = {
      {14.5f, 1, "2"}, {17.5f, 1, "4"}, {8.5f, 1, "1"}, {7.25f, 2, "2"}, {-0.5f, 1, "-2"},
  };
  for (const auto& [mhz, us, count] : cases) {
    test::CompilerFixture f;
    f.st.cfg.CrystalFrequency = mhz;
    EXPECT_EQ(CalcDelayCount(f.st, static_cast<std::uint8_t>(us)), count) << mhz;
  }
}

TEST(ParseAmpConstant, NamedConstantsHexTokensAndNumbers) {
  test::CompilerFixture f;
  DefineConst(f.st, "base", "&h10", kTokNumber);
  DefineConst(f.st, "half", "2.5", kTokNumber);
  f.Tokenize("dim a(base) as byte");
  f.st.src.TokenIndex = 3;
  EXPECT_EQ(ParseAmpConstant(f.st), 16);
  EXPECT_EQ(f.st.src.TokenIndex, 3);  // not moved
  f.Tokenize("dim a(half) as byte");
  f.st.src.TokenIndex = 3;
  EXPECT_EQ(ParseAmpConstant(f.st), 2);  // a half goes to the even neighbour
  f.Tokenize("dim a(&h10) as byte");
  f.st.src.TokenIndex = 3;
  EXPECT_EQ(ParseAmpConstant(f.st), 16);
  EXPECT_EQ(f.st.TokText(), "h10");  // left on the last token read
  f.Tokenize("dim a(300) as byte");
  f.st.src.TokenIndex = 3;
  EXPECT_EQ(ParseAmpConstant(f.st), 300);
  f.Tokenize("dim a(x) as byte");
  f.st.src.TokenIndex = 3;
  EXPECT_EQ(ParseAmpConstant(f.st), 0);
}

TEST(PortNames, PortPinAndDdrRegisters) {
  const std::tuple<const char*, bool, const char*> cases[] = {
      {"portb", true, "PORTB"}, {"pinc", true, "PINC"}, {"ddrd", true, "DDRD"},
      {"tccr0", false, "TCCR0"}, {"por", false, "POR"}, {"", false, ""},
  };
  for (const auto& [in, result, upper] : cases) {
    std::string name = in;
    EXPECT_EQ(IsPortRegister(name), result) << in;
    EXPECT_EQ(name, upper);
  }
}

TEST(CheckBaudSet, ReportsAnUnsetUartAndKeepsTheTokenIndex) {
  test::CompilerFixture f;
  f.st.Cells<UartCells>().BaudRateSet[1] = true;
  f.st.src.TokenIndex = 2;
  CheckBaudSet(f.st, 1);
  CheckBaudSet(f.st, 4);  // not a hardware UART: not checked
  EXPECT_EQ(f.st.ErrorCount, 0);
  CheckBaudSet(f.st, 2);
  EXPECT_EQ(f.st.ErrorCount, 1);
  EXPECT_EQ(f.st.src.TokenIndex, 2);
  EXPECT_NE(f.report.Text().find("Baud rate not set!"), std::string::npos);
}

}  // namespace
}  // namespace qbc
