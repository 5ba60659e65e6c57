// Format and LeadChar while the program runs, seen through Print on UART 0.
#include <gtest/gtest.h>

#include <string>

#include "tests/uart/uart_program.h"

namespace qbc::test {
namespace {

struct FormatCase {
  const char* head;  // "$" lines beyond the common head
  const char* lines;
  const char* sent;
};

// With literals and with variables; with and without a "$leadchar" line. Numbers printed
// before the first LeadChar come out without fill.
const FormatCase kFormatCases[] = {
    {"", "Print W\nLeadChar = \"*\"\nPrint W ; B\n", "42\r\n***42**7\r\n"},
    {"", "LeadChar = \"ab\"\nPrint B\n", "aa7\r\n"},
    {"", "Format(4, 2)\nPrint W\n", "0.42\r\n"},
    {"", "LeadChar = \" \"\nFormat(4, 2)\nPrint W ; B\n", "   0.42   0.07\r\n"},
    {"", "LeadChar = \"0\"\nFormat(4, 2)\nD = 1\nFormat(D, D)\nPrint W\n", "4.2\r\n"},
    {"", "Format(3, 2)\nF = -1.5\nPrint F\n", "-1.50\r\n"},
    {"$leadchar = \"#\", format(3, 1)\n", "Print W\nFormat(2, 0)\nPrint W\n", "##4.2\r\n42\r\n"},
    // Until the first Format runs, numbers print whole, as in a program without Format.
    {"", "Print W ; \" \" ; L ; \" \" ; I\nFormat(4, 2)\nPrint L ; \" \" ; I\n",
     "42 100000 -1234\r\n1000.00 -12.34\r\n"},
    {"", "D = 0\nAgain:\nPrint W ; \" \" ; B\nIf D = 0 Then\n  D = 1\n  Format(4, 2)\n  Goto Again\nEnd If\n",
     "42 7\r\n0.42 0.07\r\n"},
};

TEST(NumberFormat, LeadCharAndFormatChangeTheTextOfLaterNumbers) {
  for (const FormatCase& c : kFormatCases) {
    const std::string vars = "Dim W As Word\nDim B As Byte\nDim D As Byte\nDim F As Float\nDim L As Long\n"
                             "Dim I As Integer\nW = 42\nB = 7\nL = 100000\nI = -1234\n";
    auto run = RunUart("m8", vars + c.lines + "End\n", {}, c.head);
    ASSERT_TRUE(run->ok) << c.lines << run->Diagnostics();
    EXPECT_EQ(run->sim->Output(), c.sent) << c.head << c.lines;
  }
}

// A Format whose places are 0 while the program runs (after a fixed-point Format) gives
// every later float the scientific text of its own value without decimals, in Print and
// Str alike; the text of the fixed-point value before it never stays on.
TEST(NumberFormat, NoPlacesAtRunTimeGiveTheScientificTextOfTheValueNow) {
  const char* const lines =
      "Format(2, 2)\nF = 1.25\nPrint F\nD = 0\nFormat(D, 2)\nF = 2.5\nPrint F\nF = -7\nPrint F\n"
      "S = Str(F)\nPrint S\nD = 3\nFormat(D, 1)\nPrint F\n";
  auto run = RunUart("m8", std::string("Dim F As Float\nDim D As Byte\nDim S As String * 16\n") + lines + "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(), " 1.25\r\n 3E+00\r\n-7E+00\r\n-7E+00\r\n-7.0\r\n");
}

TEST(NumberFormat, ArgumentsOutsideTheStatementsAreCompileErrors) {
  const auto compiled = CompileBasic(UartProgram("m8", "LeadChar = 5\nEnd\n"));
  EXPECT_EQ(compiled.error_count, 1) << compiled.report;
  EXPECT_TRUE(compiled.StartsWithError("Must be one Char String!", 5)) << compiled.report;
}

}  // namespace
}  // namespace qbc::test
