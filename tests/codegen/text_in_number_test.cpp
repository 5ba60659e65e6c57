// A string variable where a number is computed is reported at its line; the places where a
// string is read for what a function makes of it still compile and run.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const char* const kHead =
    "$device = m8\n$clock = 8\n$stack = 40\n"
    "Dim S As String * 8 , Sa(3) As String * 4 , B As Byte , W As Word , F As Float\n";

TEST(TextInNumber, StringVariablesInNumericExpressionsAreReportedAtTheirLine) {
  const char* const lines[] = {
      "B = S + 1",
      "W = 3 * S",
      "B = S",
      "F = S * 2",
      "W = B + Sa(1)",
      "B = 2 : W = W - S",
  };
  for (const char* line : lines) {
    const auto compiled = CompileBasic(std::string(kHead) + "S = \"12\"\n" + line + "\nEnd\n");
    EXPECT_EQ(compiled.error_count, 1) << line << "\n" << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError("Only numeric variables!", 6)) << line << "\n" << compiled.report;
  }
}

// Every text (a variable, a literal, Left, Mid, Right, Str, Hex) and an array named
// without an index, in every place a number is worked out: wanted as a number it is "Only
// numeric variables!", joined by an operator where no type is wanted "Unsupported
// operation!"; one numbered error at its line, never a line compiled "OK".
TEST(TextInNumber, TextsAreNoNumbersInAnyPlace) {
  struct Case {
    const char* line;
    const char* message;
  };
  const char* const kOnly = "Only numeric variables!";
  const char* const kUnsupported = "Unsupported operation!";
  const Case cases[] = {
      {"B = Left(S , 1) + 1", kOnly},          {"B = 1 + Left(S , 1)", kOnly},
      {"B = Left(S , 1) * 2", kOnly},          {"B = (Left(S , 1))", kOnly},
      {"B = Left(S , 1)", kOnly},              {"B = Abs(Left(S , 1))", kOnly},
      {"I = -Left(S , 1)", kOnly},             {"B = B Mod Left(S , 1)", kOnly},
      {"W = Left(S , 1) And 3", kOnly},        {"B = Not Left(S , 1)", kOnly},
      {"Ia(Left(S , 1)) = 1", kOnly},          {"B = F1(1 + Left(S , 1))", kOnly},
      {"B = Mid(S , 1 , 1) + 1", kOnly},       {"B = Right(S , 1) * 2", kOnly},
      {"L = Str(5) * 2", kOnly},               {"B = Val(S) + Str(B)", kOnly},
      {"W = Hex(W) + 1", kOnly},               {"W = Hex(W)", kOnly},
      {"B = Ia + 1", kOnly},                   {"Print Str(S)", kOnly},
      {"Print Chr(Left(S , 1))", kOnly},       {"Print Abs(S)", kOnly},
      {"Poke(100 , S)", kOnly},                {"Print Len(S) + Mid(S , 1 , 2)", kUnsupported},
      {"Print 1 + S", kUnsupported},           {"Print 1 + \"x\"", kUnsupported},
      {"Print S + 1", kUnsupported},           {"Print -S", kUnsupported},
      {"Print Not S", kUnsupported},
      // statements whose number is an index, a selector, a count or a value to store
      {"Incr Ia(S)", kOnly},                   {"Decr Ia(Left(S , 1))", kOnly},
      {"A1: On S Goto A1", kOnly},             {"A1: On Ia Goto A1", kOnly},
      {"Waitms Ia", kOnly},                    {"Waitus Str(B)", kOnly},
      {"WriteEE(1 , Ia)", kOnly},              {"WriteEE(1 , S + 1)", kOnly},
  };
  for (const Case& c : cases) {
    const auto compiled = CompileBasic(std::string(kHead) + "$baud = 9600\n" +
                                       "Dim I As Integer , L As Long , Ia(4) As Byte\n"
                                       "Declare Function F1(x As Byte) As Byte\n" +
                                       c.line + "\nEnd\nFunction F1(x As Byte) As Byte\n  Return x\nEnd Function\n");
    EXPECT_EQ(compiled.error_count, 1) << c.line << "\n" << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError(c.message, 8)) << c.line << "\n" << compiled.report;
  }
}

// A graphic display's coordinates and colour are numbers too, a variable named alone as
// well as an expression.
TEST(TextInNumber, GraphicCoordinatesAreNoTexts) {
  const char* const lines[] = {
      "Pset(S , 2) , 1",        "Pset(Ia , 2) , 1",     "Circle(1 , 2 , 3) , S",
      "Line(1 , 2 , Str(B) , 4) , 1", "B = Point(Left(S , 1) , 1)",
  };
  for (const char* line : lines) {
    const auto compiled = CompileBasic(
        "$device = m128\n$clock = 8\n$stack = 40\n"
        "$glcd ks0108, data = porta, ctrl = portg, 128, 64, 0\n$gctrl en = 0, wr = 1, di = 2, cs1 = 3, cs2 = 4\n"
        "Dim S As String * 8 , B As Byte , Ia(4) As Byte\n" +
        std::string(line) + "\nEnd\n");
    EXPECT_EQ(compiled.error_count, 1) << line << "\n" << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError("Only numeric variables!", 7)) << line << "\n" << compiled.report;
  }
}

// A number is a term of a string expression (its decimal text), a Function's result too;
// Chr beside a number is its character code.
TEST(TextInNumber, NumbersStayTermsOfTextsAndChrACode) {
  auto run = RunBasic(std::string(kHead) +
                      "Declare Function F1(x As Byte) As Byte\n"
                      "S = F1(7) + \"x\"\nB = Chr(65) + 1\nEnd\n"
                      "Function F1(x As Byte) As Byte\n  Return x\nEnd Function\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("s"), '7');
  EXPECT_EQ(run->Byte("s", 1), 'x');
  EXPECT_EQ(run->Byte("b"), 66);
}

TEST(TextInNumber, AStringLocalIsReportedToo) {
  const auto compiled = CompileBasic(std::string(kHead) +
                                     "Declare Sub Tst()\nTst()\nEnd\n"
                                     "Sub Tst()\n  Local T As String * 4\n  B = T + 1\nEnd Sub\n");
  EXPECT_EQ(compiled.error_count, 1) << compiled.report;
  EXPECT_TRUE(compiled.StartsWithError("Only numeric variables!", 10)) << compiled.report;
}

TEST(TextInNumber, FunctionsOfTextStillTakeStrings) {
  auto run = RunBasic(std::string(kHead) +
                      "S = \"12\"\nSa(1) = \"abc\"\nB = Len(S) + Asc(S)\nW = Val(S) * 3 + Len(Sa(1))\n"
                      "If S = \"12\" Then F = 1.5\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b"), 2 + '1');
  EXPECT_EQ(run->Word("w"), 39);
  EXPECT_EQ(run->FloatBits("f"), 0x3FC00000u);
}

}  // namespace
}  // namespace qbc::test
