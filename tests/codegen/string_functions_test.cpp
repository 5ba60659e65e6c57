// String functions on the chip: Val and HexVal (of variables, literals, substrings and
// array elements), Len, Instr (with abandoned partial matches and a start position),
// Chr of every integer type; results stored whole into byte, word, integer and long
// targets; argument errors reported at compile time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/codegen/string_program.h"

namespace qbc {
namespace {

using test::strprog::Program;
using test::strprog::Target;

class StringFunctions : public ::testing::TestWithParam<Target> {
 protected:
  Program Run(const std::string& body) { return test::strprog::Run(body, GetParam()); }
};

TEST_P(StringFunctions, ValAndHexValConvertWholeTextsSubstringsAndElements) {
  Program p = Run(
      "Dim s as string * 10\nDim t as string * 10\nDim a(2) as string * 6\n"
      "Dim w1 as word\nDim w2 as word\nDim w3 as word\nDim w4 as word\nDim w5 as word\n"
      "Dim i1 as integer\nDim i2 as integer\nDim b1 as byte\nDim l1 as long\nDim l2 as long\n"
      "s = \"1234\"\nt = \"1aF\"\na(1) = \"-77\"\nl2 = 305419896\n"
      "w1 = Val(s)\ni1 = Val(\"-123\")\nw2 = HexVal(\"FF\")\nw3 = HexVal(t)\n"
      "b1 = Val(Mid(s, 2, 2))\nw4 = HexVal(Left(t, 2))\ni2 = Val(a(1))\nl1 = Val(a(1))\n"
      "w5 = Val(s) + 1\nl2 = HexVal(Right(t, 1))\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Word("w1"), 1234);
  EXPECT_EQ(static_cast<std::int16_t>(p.Word("i1")), -123);
  EXPECT_EQ(p.Word("w2"), 0xFF);
  EXPECT_EQ(p.Word("w3"), 0x1AF);
  EXPECT_EQ(p.Byte("b1"), 23) << "the whole substring, not its first character";
  EXPECT_EQ(p.Word("w4"), 0x1A);
  EXPECT_EQ(static_cast<std::int16_t>(p.Word("i2")), -77);
  EXPECT_EQ(static_cast<std::int32_t>(p.Long("l1")), -77) << "sign-extended into the long";
  EXPECT_EQ(p.Word("w5"), 1235);
  EXPECT_EQ(p.Long("l2"), 0xFu) << "upper bytes of the long cleared";
}

TEST_P(StringFunctions, LenStoresWholeWordsAndLongs) {
  Program p = Run(
      "Dim s as string * 20\nDim w as word\nDim b as byte\nDim c as byte\nDim l as long\nDim i as integer\n"
      "s = \"four\"\nw = 65535\nl = -1\ni = -1\n"
      "w = Len(s)\nb = Len(\"hello\")\nc = Len(Mid(s, 2, 2))\nl = Len(s)\ni = Len(s) - 5\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Word("w"), 4);
  EXPECT_EQ(p.Byte("b"), 5);
  EXPECT_EQ(p.Byte("c"), 2);
  EXPECT_EQ(p.Long("l"), 4u);
  EXPECT_EQ(static_cast<std::int16_t>(p.Word("i")), -1);
}

TEST_P(StringFunctions, InstrFindsFirstMatchesAfterAbandonedPartialMatches) {
  Program p = Run(
      "Dim s as string * 10\nDim s2 as string * 10\nDim s3 as string * 10\nDim u as string * 4\n"
      "Dim res1 as byte\nDim res2 as byte\nDim res3 as byte\nDim res4 as byte\nDim res5 as byte\nDim res6 as byte\n"
      "Dim res7 as byte\nDim res8 as byte\nDim w as word\nDim n as byte\n"
      "s = \"hello\"\ns2 = \"aaab\"\ns3 = \"abcabd\"\nu = \"bd\"\nw = 65535\nn = 2\n"
      "res1 = Instr(s, \"lo\")\nres2 = Instr(s, \"h\")\nres3 = Instr(s2, \"aab\")\nres4 = Instr(s3, \"abd\")\n"
      "res5 = Instr(3, s3, \"ab\")\nres6 = Instr(s3, u)\nres7 = Instr(s, \"x\")\nres8 = Instr(n + 1, s3, \"ab\")\n"
      "w = Instr(s, \"lo\")\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Byte("res1"), 4);
  EXPECT_EQ(p.Byte("res2"), 1);
  EXPECT_EQ(p.Byte("res3"), 2);
  EXPECT_EQ(p.Byte("res4"), 4);
  EXPECT_EQ(p.Byte("res5"), 4);
  EXPECT_EQ(p.Byte("res6"), 5);
  EXPECT_EQ(p.Byte("res7"), 0);
  EXPECT_EQ(p.Byte("res8"), 4);
  EXPECT_EQ(p.Word("w"), 4);
}

TEST_P(StringFunctions, ChrOfEveryIntegerTypeTakesTheLowByte) {
  Program p = Run(
      "Dim s as string * 10\nDim b as byte\nDim w as word\nDim i as integer\nDim l as long\n"
      "b = 65\nw = 322\ni = 67\nl = 68\n"
      "s = Chr(b) + Chr(w) + Chr(i) + Chr(l) + Chr(69)\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Text("s"), "ABCDE");
}

TEST_P(StringFunctions, NamedConstantsElementsAndTheRestOfAString) {
  Program p = Run(
      "Const Greet = \"hi\"\n"
      "Dim s as string * 12\nDim a(3) as string * 8\nDim res1 as byte\nDim res2 as byte\nDim w as word\nDim h as word\n"
      "a(2) = \"xx42yy\"\ns = \"a12345\"\n"
      "res1 = Instr(a(2), \"42\")\nres2 = Len(a(2)) + Len(Greet)\nw = Val(Mid(s, 2))\nh = HexVal(\"A\")\n"
      "s = Greet + \"!\" + Mid(a(2), 3, 2) + Greet\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Byte("res1"), 3);
  EXPECT_EQ(p.Byte("res2"), 6 + 2);
  EXPECT_EQ(p.Word("w"), 12345);
  EXPECT_EQ(p.Word("h"), 10);
  EXPECT_EQ(p.Text("s"), "hi!42hi");
}

TEST_P(StringFunctions, NumberResultsWidenToFloatTargets) {
  Program p = Run(
      "Dim s as string * 8\nDim f as float\nDim g as float\nDim h as float\n"
      "s = \"-12\"\nf = Val(s)\ng = Len(s)\nh = HexVal(\"ff\")\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Long("f"), 0xC1400000u) << "-12.0";
  EXPECT_EQ(p.Long("g"), 0x40400000u) << "3.0";
  EXPECT_EQ(p.Long("h"), 0x437F0000u) << "255.0";
}

INSTANTIATE_TEST_SUITE_P(Devices, StringFunctions, ::testing::Values(test::strprog::M8(), test::strprog::M128()),
                         [](const auto& param) { return param.param.device; });

// Arguments the run-time routines cannot read are refused while compiling.
TEST(StringFunctionErrors, ArgumentsOfTheWrongKindAreReported) {
  struct Case {
    const char* line;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"b = Len(b)", "Must be String variable or String constant!"},
      {"s = Left(\"abc\", 2)", "Must be String variable!"},
      {"s = Right(\"abc\", 2)", "Must be String variable!"},
      {"s = Mid(\"abc\", 2, 1)", "Must be String variable!"},
      {"b = Instr(\"abc\", s)", "Must be String variable!"},
      {"b = Instr(s, b)", "Must be String variable or String constant!"},
      {"w = Val(b)", "Must be String variable or String constant!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Program p = test::strprog::Compile("Dim s as string * 5\nDim b as byte\nDim w as word\n" + std::string(c.line) + "\n");
    EXPECT_EQ(p.errors, 1) << p.report;
    EXPECT_NE(p.report.find(c.message), std::string::npos) << p.report;
  }
}

}  // namespace
}  // namespace qbc
