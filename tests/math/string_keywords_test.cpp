// Asc, LCase and UCase on the simulator; LTrim and RTrim, which have no routine, are
// reported.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Head(const std::string& device) { return "$device = " + device + "\n$clock = 8\n$stack = 48\n"; }

std::string Text(const BasicRun& run, const std::string& name) {
  std::string s;
  for (int i = 0; i < 40; ++i) {
    const char c = static_cast<char>(run.Byte(name, i));
    if (c == 0) break;
    s += c;
  }
  return s;
}

class AscOn : public ::testing::TestWithParam<const char*> {};

// Every character of a text of the byte values 1..254 by its position, and 255; positions from an
// array element and from an expression; literals in flash; substrings; a string parameter;
// results widened for word and long targets.
TEST_P(AscOn, CodesOfEveryCharacter) {
  auto run = RunBasic(Head(GetParam()) +
                          "Declare Sub Second(T As String * 5)\n"
                          "Dim S As String * 254, N As Byte, E As Byte, Bad As Byte, A(2) As Byte, P(3) As Byte, W As Word, L As Long\n"
                          "Dim F As Byte, G As Byte, H As Byte, K As Byte, I As Integer\n"
                          "S = \"\"\nFor N = 1 To 254\nS = S + Chr(N)\nNext\n"
                          "E = 0\nBad = 0\nFor N = 1 To 254\nIf Asc(S, N) <> N Then\nE = E + 1\nBad = N\nEnd If\nNext\n"
                          "S = Chr(255) + \"a\"\nA(1) = Asc(S)\n"
                          "S = \"Hello\"\nA(0) = Asc(S)\n"
                          "P(1) = 5\nW = &HFFFF\nW = Asc(S, P(1))\nL = -1\nL = Asc(S, P(1) - 3)\n"
                          "F = Asc(\"xyz\", 3)\nG = Asc(\"Q\")\nH = Asc(Mid(S, 2, 3), 2)\n"
                          "I = Asc(S, 2) * 100\nSecond(\"Qz\")\nEnd\n"
                          "Sub Second(T As String * 5)\nK = Asc(T, 2)\nEnd Sub\n",
                      GetParam(), 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("e"), 0) << "characters read wrong, the last at " << int{run->Byte("bad")};
  EXPECT_EQ(run->Byte("a", 1), 255);
  EXPECT_EQ(run->Byte("a", 0), 'H');
  EXPECT_EQ(run->Word("w"), 'o');
  EXPECT_EQ(run->Long("l"), static_cast<std::uint32_t>('e'));
  EXPECT_EQ(run->Byte("f"), 'z');
  EXPECT_EQ(run->Byte("g"), 'Q');
  EXPECT_EQ(run->Byte("h"), 'l');
  EXPECT_EQ(run->Integer("i"), 'e' * 100);
  EXPECT_EQ(run->Byte("k"), 'z');
}

INSTANTIATE_TEST_SUITE_P(Devices, AscOn, ::testing::Values("m8", "m32", "m48", "m2560"));

// Each term of an assignment converted in its own case, whatever it is: a variable, a
// literal, a substring; the target's limit holds.
class CaseTermsOn : public ::testing::TestWithParam<const char*> {};

TEST_P(CaseTermsOn, EachTermInItsOwnCase) {
  auto run = RunBasic(Head(GetParam()) +
                          "Dim S As String * 10, U As String * 20, V As String * 10, Q As String * 5, G As Byte\n"
                          "G = &H47\nS = \"HeLLo 1-Z\"\n"
                          "U = LCase(S) + UCase(\"ab\") + S + LCase(Mid(S, 2, 3))\n"
                          "V = UCase(S)\nQ = UCase(S)\nEnd\n",
                      GetParam());
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(Text(*run, "u"), "hello 1-zABHeLLo 1-Z");
  EXPECT_EQ(Text(*run, "v"), "HELLO 1-Z");
  EXPECT_EQ(Text(*run, "q"), "HELLO");
  EXPECT_EQ(run->Byte("g"), 0x47);
}

INSTANTIATE_TEST_SUITE_P(Devices, CaseTermsOn, ::testing::Values("m8", "m32", "m48", "m2560"));

// LTrim and RTrim have no routine (compiled as Sort they would sort memory); Asc needs a
// text; LCase and UCase act only as the terms of a string assignment.
TEST(StringKeywords, MisuseIsReported) {
  struct Row {
    const char* line;
    const char* message;
  };
  const Row rows[] = {
      {"S = LTrim(S)", "Not supported yet: LTRIM"},
      {"RTrim(A, 10)", "Not supported yet: RTRIM"},
      {"B = Asc(5)", "Must be String!"},
      {"B = Asc(B, 1)", "Must be String!"},
      {"S = Left(LCase(S), 2)", "Not supported yet: LCASE outside a string assignment"},
      {"If UCase(S) = \"A\" Then B = 1", "Not supported yet: UCASE outside a string assignment"},
  };
  for (const Row& r : rows) {
    auto compiled =
        CompileBasic(Head("m8") + "Dim B As Byte, A(10) As Byte, S As String * 5\n" + r.line + "\nEnd\n");
    EXPECT_TRUE(compiled.StartsWithError(r.message, 5)) << r.line << ": " << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
