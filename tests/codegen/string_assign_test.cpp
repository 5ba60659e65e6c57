// String assignment on the chip: concatenation of constants, variables, numbers of every
// integer type, Chr characters and substrings into variables and array elements; the
// target's declared length bounds the text whatever the terms; on m8 and on m128 (with
// the constants above 64 KB, read through RAMPZ).
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/codegen/string_program.h"

namespace qbc {
namespace {

using test::strprog::Program;
using test::strprog::Target;

struct Device {
  Target target;
  bool poolAbove64k;
};
void PrintTo(const Device& d, std::ostream* os) { *os << d.target.device; }

class StringAssign : public ::testing::TestWithParam<Device> {
 protected:
  Program Run(const std::string& body) { return test::strprog::Run(body, GetParam().target, GetParam().poolAbove64k); }
};

TEST_P(StringAssign, ConcatenatesConstantsVariablesNumbersOfEveryIntegerTypeAndChr) {
  Program p = Run(
      "Dim s as string * 60\n"
      "Dim t as string * 5\n"
      "Dim b as byte\nDim i as integer\nDim w as word\nDim l as long\n"
      "b = 255\ni = -32768\nw = 65535\nl = -1234567\n"
      "t = \"xy\"\n"
      "s = \"b=\" + Str(b) + \" i=\" + Str(i) + \" w=\" + Str(w) + \" l=\" + Str(l) + Chr(33) + t + Chr(b - 190)\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Text("s"), "b=255 i=-32768 w=65535 l=-1234567!xyA");
}

TEST_P(StringAssign, NumbersAloneAndAtTheStart) {
  Program p = Run(
      "Dim s1 as string * 10\nDim s2 as string * 10\nDim s3 as string * 10\nDim s4 as string * 10\n"
      "Dim b as byte\nDim w as word\nDim i as integer\nDim l as long\n"
      "b = 0\nw = 1000\ni = -1\nl = 100000\n"
      "s1 = Str(b)\ns2 = Str(w) + \"m\"\ns3 = Str(i) + Str(i)\ns4 = Str(l)\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Text("s1"), "0");
  EXPECT_EQ(p.Text("s2"), "1000m");
  EXPECT_EQ(p.Text("s3"), "-1-1");
  EXPECT_EQ(p.Text("s4"), "100000");
}

// s (5 characters) lies before g: no term may write past s's terminator.
TEST_P(StringAssign, TheTargetLengthBoundsEveryKindOfTerm) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\"abc\" + \"defgh\" + t", "abcde"},
      {"t + t", "01234"},
      {"\"abcd\" + Str(w)", "abcd6"},
      {"\"abcde\" + Chr(65)", "abcde"},
      {"\"abcd\" + Chr(65) + Chr(66)", "abcdA"},
      {"Left(t, 4) + Mid(t, 2, 5)", "01231"},
      {"Mid(t, 3) + \"xyz\"", "23456"},
      {"\"ab\" + Right(t, 6) + \"z\"", "ab456"},
      {"Left(t, 9)", "01234"},
      {"u + Str(b)", "abc25"},
  };
  std::string body =
      "Dim s as string * 5\nDim g as string * 3\nDim t as string * 10\nDim u as string * 5\n"
      "Dim w as word\nDim b as byte\n"
      "t = \"0123456789\"\nu = \"abc\"\nw = 65535\nb = 255\n";
  for (std::size_t i = 0; i < cases.size(); ++i) {
    body += "g = \"zz\"\ns = " + cases[i].first + "\n";
    body += "res" + std::to_string(i) + " = s\ng" + std::to_string(i) + " = g\n";
  }
  std::string decls;
  for (std::size_t i = 0; i < cases.size(); ++i)
    decls += "Dim res" + std::to_string(i) + " as string * 9\nDim g" + std::to_string(i) + " as string * 3\n";
  Program p = Run(decls + body);
  ASSERT_TRUE(p.sim);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE("s = " + cases[i].first);
    EXPECT_EQ(p.Text("res" + std::to_string(i)), cases[i].second);
    EXPECT_EQ(p.Text("g" + std::to_string(i)), "zz") << "the next variable was overwritten";
  }
}

TEST_P(StringAssign, StrOfExpressionsTakesTheExpressionsType) {
  Program p = Run(
      "Dim s as string * 40\nDim b as byte\nDim w as word\nDim i as integer\nDim l as long\n"
      "b = 100\nw = 60000\ni = -1\nl = 70000\n"
      "s = Str(w + 5) + \",\" + Str(i - 5) + \",\" + Str(l * 3) + \",\" + Str(b + b) + \",\" + Str((w)) + \",\" + Str(300 + w)\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Text("s"), "60005,-6,210000,200,60000,60300");
}

// A target read again by a later term: the terms see the target as it was before the
// assignment.
TEST_P(StringAssign, LaterTermsReadTheTargetsOldText) {
  Program p = Run(
      "Dim s as string * 10\nDim t as string * 10\nDim a(3) as string * 6\nDim g as string * 2\n"
      "Dim u as string * 10\nDim b as byte\nDim k as byte\n"
      "s = \"123\"\nt = \"ab\"\na(1) = \"ab\"\na(2) = \"zz\"\ng = \"G\"\nb = 7\nk = 1\n"
      "s = s + s\nt = \"x\" + t + \"y\" + Str(b) + t\na(k) = \"<\" + a(k) + \">\" + a(1) + a(2)\ng = g + g\n"
      "u = Str(b) + Mid(t, 2, 2)\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Text("s"), "123123");
  EXPECT_EQ(p.Text("t"), "xaby7ab");
  EXPECT_EQ(p.Text("a", 7), "<ab>ab");
  EXPECT_EQ(p.Text("a", 14), "zz");
  EXPECT_EQ(p.Text("g"), "GG");
  EXPECT_EQ(p.Text("u"), "7ab");
  const std::uint32_t y = p.sim->Reg(28) | (p.sim->Reg(29) << 8);
  EXPECT_EQ(y, p.sim->RamEnd() - 40) << "the scratch area is given back";
}

TEST_P(StringAssign, EmptyConstantAndAddingNothing) {
  Program p = Run(
      "Dim s as string * 8\nDim t as string * 8\nDim b as byte\n"
      "s = \"full\"\nt = \"full\"\nb = 7\n"
      "s = \"\"\nt = \"\" + Str(b) + \"\"\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Text("s"), "");
  EXPECT_EQ(p.Text("t"), "7");
}

TEST_P(StringAssign, ArrayElementsAreBoundedByTheirElementSize) {
  Program p = Run(
      "Dim a(3) as string * 6\nDim s as string * 8\nDim b as byte\nDim w as word\nDim k as byte\n"
      "a(0) = \"first\"\na(2) = \"last\"\nb = 12\nw = 300\nk = 1\ns = \"SRC\"\n"
      "a(k) = \"x\" + Str(b) + s + Str(w)\n"
      "a(0) = a(k) + \"!\"\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Text("a", 7), "x12SRC");
  EXPECT_EQ(p.Text("a", 14), "last");
  EXPECT_EQ(p.Text("a", 0), "x12SRC");
}

TEST_P(StringAssign, ElementsBeyondTheFirst256Bytes) {
  Program p = Run(
      "Dim a(40) as string * 9\nDim k as word\nDim s as string * 12\nk = 35\n"
      "a(30) = \"thirty\"\na(k) = a(30) + \"+5\"\ns = Left(a(k), 4) + Right(a(30), 2)\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Text("a", 300), "thirty");
  EXPECT_EQ(p.Text("a", 350), "thirty+5");
  EXPECT_EQ(p.Text("s"), "thirty");
}

TEST_P(StringAssign, SubstringsOfVariablesAndArrayElements) {
  Program p = Run(
      "Dim t as string * 10\nDim a(2) as string * 8\nDim n as byte\n"
      "Dim s1 as string * 10\nDim s2 as string * 10\nDim s3 as string * 10\nDim s4 as string * 10\n"
      "Dim s5 as string * 10\nDim s6 as string * 10\nDim s7 as string * 10\nDim s8 as string * 10\n"
      "t = \"abcdefgh\"\na(1) = \"ELEMENT\"\nn = 2\n"
      "s1 = Left(t, 3)\ns2 = Right(t, 2)\ns3 = Mid(t, 3, 2)\ns4 = Left(t, n + 1) + \"|\" + Mid(t, n * 2, n)\n"
      "s5 = Right(t, 20)\ns6 = Mid(t, 20, 2) + \"e\"\ns7 = Mid(t, 0, 2)\ns8 = Mid(a(1), 2, 3) + Left(t, 0)\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Text("s1"), "abc");
  EXPECT_EQ(p.Text("s2"), "gh");
  EXPECT_EQ(p.Text("s3"), "cd");
  EXPECT_EQ(p.Text("s4"), "abc|de");
  EXPECT_EQ(p.Text("s5"), "abcdefgh");
  EXPECT_EQ(p.Text("s6"), "e");
  EXPECT_EQ(p.Text("s7"), "ab");
  EXPECT_EQ(p.Text("s8"), "LEM");
}

INSTANTIATE_TEST_SUITE_P(Devices, StringAssign,
                         ::testing::Values(Device{test::strprog::M8(), false}, Device{test::strprog::M128(), true}),
                         [](const auto& param) { return param.param.target.device; });

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

// A float term is appended where the earlier terms ended, like every other term.
TEST(StringAssignFloat, FloatTextIsAppendedAtTheEndOfTheEarlierTerms) {
  test::strprog::Program p = test::strprog::Run(
      "Dim s as string * 30\nDim u as string * 7\nDim v as string * 3\nDim t as string * 5\n"
      "Dim f as float\nDim g as float\n"
      "f = 1.5\ng = -20.25\nt = \"x\"\nv = \"zz\"\n"
      "s = \"T=\" + Str(f) + \"!\" + t + Str(g)\nu = \"ab\" + f\n");
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Text("s"), "T= 1.500000E+00!x-2.025000E+01");
  EXPECT_EQ(p.Text("u"), "ab 1.50") << "the float text is cut at the target's length";
  EXPECT_EQ(p.Text("v"), "zz");
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

// Str in a program with a fill character, and with a number format.
TEST(StringAssignNumberForms, LeadCharacterAndFormat) {
  test::strprog::Program lead = test::strprog::Run(
      "$leadchar = \"*\"\nDim s as string * 20\nDim b as byte\nDim i as integer\nb = 7\ni = -5\n"
      "s = Str(b) + \"|\" + Str(i)\n");
  ASSERT_TRUE(lead.sim);
  EXPECT_EQ(lead.Text("s"), "**7|-****5");
  test::strprog::Program fmt = test::strprog::Run(
      "$leadchar = \" \", format(3, 2)\nDim s as string * 20\nDim w as word\nDim b as byte\nw = 1234\nb = 5\n"
      "s = Str(w) + \"|\" + Str(b)\n");
  ASSERT_TRUE(fmt.sim);
  EXPECT_EQ(fmt.Text("s"), " 12.34|  0.05");
}

}  // namespace
}  // namespace qbc

