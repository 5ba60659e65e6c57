// Faults of a program that the compiler must report itself, at the line at fault, as qbc
// shows them: a numbered compile error naming the line, exit status 1, and the assembler
// never started (its messages name .asm lines the user never wrote). No compilation ends
// on a bare exception text.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/run_command.h"
#include "tests/support/test_dirs.h"

namespace qbc::test {
namespace {

// Four lines: the program's own lines start at line 5.
const char kHead[] = "$device = m8\r\n$clock = 8\r\n$stack = 32\r\n$baud = 9600\r\n";

struct QbcRun {
  int status = -1;
  std::string output;
  std::string path;
};

QbcRun RunQbcOn(const std::string& source) {
  QbcRun run;
  const std::string dir = MakeTempDir("reported");
  run.path = dir + "/prog.bas";
  WriteFile(run.path, source);
  const CommandResult r = RunShell("\"" + BinDir() + "/qbc\" \"" + run.path + "\" 2>&1");
  run.status = r.status;
  run.output = r.output;
  return run;
}

// Every line qbc printed is a numbered compile error ("N. message ("file" --> Line  L)").
bool OnlyNumberedErrors(const std::string& output) {
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;
    if (line.size() < 4 || line[0] != ' ' || line.find(". ") == std::string::npos ||
        line.find("\" --> Line ") == std::string::npos || line.back() != ')')
      return false;
  }
  return true;
}

struct Case {
  const char* body;  // the program after kHead
  int line;          // the line the error names
  const char* message;
};

void ExpectReported(const Case& c) {
  SCOPED_TRACE(c.body);
  const QbcRun run = RunQbcOn(std::string(kHead) + c.body);
  EXPECT_EQ(run.status, 1) << run.output;
  const std::string expected = std::string(". ") + c.message + " (\"" + run.path + "\" --> Line  " + std::to_string(c.line) + ")";
  EXPECT_NE(run.output.find(expected), std::string::npos) << "wanted: " << expected << "\n" << run.output;
  EXPECT_EQ(run.output.find("Assembling"), std::string::npos) << run.output;
  EXPECT_TRUE(OnlyNumberedErrors(run.output)) << run.output;
}

TEST(ReportedErrors, ExitOutsideItsBlock) {
  const Case cases[] = {
      {"Dim A As Byte\r\nA = 1\r\nExit For\r\nEnd\r\n", 7, "EXIT FOR outside a FOR loop!"},
      {"Dim A As Byte\r\nExit Do\r\nEnd\r\n", 6, "EXIT DO outside a DO loop!"},
      {"Dim A As Byte\r\nIf A = 0 Then Exit While\r\nEnd\r\n", 6, "EXIT WHILE outside a WHILE loop!"},
      // a loop that has closed is left behind too
      {"Dim A As Byte\r\nDo\r\nA = A + 1\r\nLoop Until A > 3\r\nExit Do\r\nEnd\r\n", 9, "EXIT DO outside a DO loop!"},
      {"Dim A As Byte\r\nWhile A < 3\r\nA = A + 1\r\nWend\r\nExit While\r\nEnd\r\n", 9, "EXIT WHILE outside a WHILE loop!"},
      {"Declare Function F() As Byte\r\nDim A As Byte\r\nA = F()\r\nEnd\r\nFunction F() As Byte\r\n"
       "F = 2\r\nExit Sub\r\nEnd Function\r\n",
       11, "EXIT SUB outside a SUB!"},
      {"Declare Sub S()\r\nDim A As Byte\r\nS\r\nEnd\r\nSub S()\r\nA = 2\r\nExit Function\r\nEnd Sub\r\n", 11,
       "EXIT FUNCTION outside a FUNCTION!"},
      {"Dim A As Byte\r\nFor A = 1 To 3\r\nNext\r\nExit For\r\nEnd\r\n", 8, "EXIT FOR outside a FOR loop!"},
  };
  for (const Case& c : cases) ExpectReported(c);
}

TEST(ReportedErrors, ConstantIndexPastAFlashTable) {
  const std::string table = "Dim Tb(6) As Flash Byte , Tw(3) As Flash Word , A As Byte , W As Word\r\n";
  const std::string data = "End\r\nTb = 1 , 2 , 3 , 4 , 5 , 6\r\nTw = 7 , 8 , 9\r\n";
  const std::string programs[] = {table + "A = Tb(6)\r\n" + data, table + "W = Tw(3)\r\n" + data,
                                  table + "Const Last = 6\r\nA = Tb(Last)\r\n" + data,
                                  table + "A = 1 + Tb(99999999999999999999)\r\n" + data};
  const Case cases[] = {
      {programs[0].c_str(), 6, "Index 6 is outside table TB (0 to 5)!"},
      {programs[1].c_str(), 6, "Index 3 is outside table TW (0 to 2)!"},
      {programs[2].c_str(), 7, "Index 6 is outside table TB (0 to 5)!"},
      {programs[3].c_str(), 6, "Index 99999999999999999999 is outside table TB (0 to 5)!"},
      // an index too big for any integer is compared as it is written
      {"Dim R(3) As Byte\r\nR(99999999999999999999) = 1\r\nEnd\r\n", 6,
       "Index 99999999999999999999 is outside array R (0 to 2)!"},
  };
  for (const Case& c : cases) ExpectReported(c);
  // The last element is still read.
  const QbcRun last = RunQbcOn(std::string(kHead) + table + "A = Tb(5)\r\nW = Tw(2)\r\n" + data);
  EXPECT_EQ(last.status, 0) << last.output;
}

TEST(ReportedErrors, CharactersNoNameHolds) {
  const Case cases[] = {
      // the word as the program wrote it
      {"Dim Caf\xc3\xa9 As Byte\r\nEnd\r\n", 5, "Invalid character in Caf\xc3\xa9!"},
      {"Dim A As Byte\r\nA = 1\r\nA = A + \xc3\xa9t\xc3\xa9\r\nEnd\r\n", 7, "Invalid character in \xc3\xa9t\xc3\xa9!"},
      {"Dim A As Byte\r\nA = 1\r\nPrint A\x01\r\nEnd\r\n", 7, "Invalid character in A<1>!"},
      {"Dim A As Byte\r\nNa\xc3\xafve:\r\nGoto Na\xc3\xafve\r\nEnd\r\n", 6, "Invalid character in Na\xc3\xafve!"},
  };
  for (const Case& c : cases) ExpectReported(c);
  // Text in a string literal or a comment is the program's own business.
  const QbcRun text = RunQbcOn(std::string(kHead) + "Dim S As String * 8\r\nS = \"caf\xc3\xa9\" ' d\xc3\xa9j\xc3\xa0 vu\r\nEnd\r\n");
  EXPECT_EQ(text.status, 0) << text.output;
}

TEST(ReportedErrors, NulBytes) {
  using namespace std::string_literals;
  // (the bodies hold NUL bytes: they are std::strings, never cut at the first one)
  const struct {
    std::string body;
    int line;
    const char* message;
  } cases[] = {
      {"Dim T(4) As Flash Byte\r\nEnd\r\nT = 1 , 2 ,\r\n3 , \0" "4\r\n"s, 8, "Invalid character in <0>4!"},
      {"Print \"a\0b\"\r\nEnd\r\n"s, 5, "Invalid character in \"a<0>b\"!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const QbcRun run = RunQbcOn(std::string(kHead) + c.body);
    EXPECT_EQ(run.status, 1) << run.output;
    const std::string expected =
        std::string(". ") + c.message + " (\"" + run.path + "\" --> Line  " + std::to_string(c.line) + ")";
    EXPECT_NE(run.output.find(expected), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("Assembling"), std::string::npos) << run.output;
  }
}

TEST(ReportedErrors, JumpsToNoLabel) {
  const Case cases[] = {
      {"Dim A As Byte\r\nDeclare Interrupt Urxc()\r\nEnable Interrupts\r\nEnd\r\n", 6,
       "Interrupt URXC is declared but has no handler!"},
      {"Dim A As Byte\r\nOn A Goto\r\nEnd\r\n", 6, "Missing label after GOTO!"},
      {"Dim A As Byte\r\nL1:\r\nOn A Goto L1 ,\r\nEnd\r\n", 7, "Missing label after GOTO!"},
      {"Dim A As Byte\r\nGoto\r\nEnd\r\n", 6, "Missing label after GOTO!"},
      {"Dim A As Byte\r\nA = 1\r\nGoto Nowhere\r\nEnd\r\n", 7, "Unknown label nowhere"},
      {"Dim A As Byte\r\nL1:\r\nOn A Goto L1 , Nowhere\r\nEnd\r\n", 7, "Unknown label nowhere"},
      // from inside a For loop, as before
      {"Dim A As Byte\r\nFor A = 1 To 2\r\nGoto Nowhere\r\nNext\r\nEnd\r\n", 7, "Unknown label nowhere"},
      // a label named like a register pair is named as written
      {"Dim A As Byte\r\nGoto X\r\nEnd\r\n", 6, "Unknown label x"},
  };
  for (const Case& c : cases) ExpectReported(c);
  // Labels defined anywhere, also in assembler lines, are found.
  const QbcRun fine = RunQbcOn(std::string(kHead) +
                               "Dim A As Byte\r\nGoto Later\r\nOn A Goto Later , InAsm\r\nLater:\r\n"
                               "$asm\r\nInAsm:\r\n  nop\r\n$end asm\r\nEnd\r\n");
  EXPECT_EQ(fine.status, 0) << fine.output;
}

TEST(ReportedErrors, MessagesNameWhatTheProgramWrote) {
  const Case cases[] = {
      {"Dim A As Byte\r\nx = 1\r\nEnd\r\n", 6, "Unknown identifier x"},
      {"Dim A As Byte\r\nA = 1\r\nIncr Count\r\nEnd\r\n", 7, "Unknown identifier count"},
      {"Dim A As Byte\r\nDecr Y\r\nEnd\r\n", 6, "Unknown identifier y"},
      {"Dim A As Byte\r\nSet Flag\r\nEnd\r\n", 6, "Unknown identifier flag"},
      {"Dim A As Byte\r\nReset Flag\r\nEnd\r\n", 6, "Unknown identifier flag"},
      {"Dim S As String * 5\r\nS = \"abc\"\r\nPrint Right(S , 2)\r\nEnd\r\n", 7, "RIGHT cannot stand in a PRINT item!"},
  };
  for (const Case& c : cases) ExpectReported(c);
}

TEST(ReportedErrors, FailuresOfTheCompilerNameTheLine) {
  const std::string parens(120, '(');
  const std::string deep = "Dim O As Byte\r\nO = " + parens + "\r\nEnd\r\n";
  const Case cases[] = {
      {"Dim A As Byte\r\nNop 99999999999999999999\r\nEnd\r\n", 6, "Must be 0 to 255!"},
      {"Dim A As Long\r\nA = &H123456789\r\nEnd\r\n", 6, "Overflow (hexadecimal constant of more than 8 digits)!"},
      {"Const C = 1 / 0\r\nEnd\r\n", 5, "Division by zero!"},
      {deep.c_str(), 6, "Missing \")\""},
  };
  for (const Case& c : cases) ExpectReported(c);
  // A missing address of an LCD on the memory bus is reported at its line, and the
  // library is still written (it read the address digits).
  const QbcRun lcd = RunQbcOn("$device = 8515\r\n$clock = 8\r\n$stack = 32\r\n$lcd = &\r\nCls\r\nLcd \"a\"\r\nEnd\r\n");
  EXPECT_EQ(lcd.status, 1) << lcd.output;
  EXPECT_NE(lcd.output.find(" 1. "), std::string::npos) << lcd.output;
  EXPECT_NE(lcd.output.find("--> Line  4)"), std::string::npos) << lcd.output;
  EXPECT_TRUE(OnlyNumberedErrors(lcd.output)) << lcd.output;
}

// A string literal is text wherever it stands: a lone ":" is no statement separator, and
// words the statements look for ("else", "then", "or") are not taken from inside quotes.
TEST(ReportedErrors, StringLiteralsHoldingSeparatorsAreText) {
  auto run = RunBasic(std::string(kHead) +
                      "Dim S As String * 8 , A As Byte\r\n"
                      "A = 1\r\n"
                      "Print \":\"\r\n"
                      "Print \"else\" ; \":\" ; \"then\"\r\n"
                      "If A = 1 Then Print \":\" : Print \"or\"\r\n"
                      "S = \":\"\r\n"
                      "If S = \":\" Then Print \"yes\"\r\n"
                      "Print \",\" ; \"(\"\r\n"
                      "End\r\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(), ":\r\nelse:then\r\n:\r\nor\r\nyes\r\n,(\r\n");
}

// A rotation by a count of any length is the count modulo 256 passes.
TEST(ReportedErrors, RotateByAVeryLongCount) {
  auto run = RunBasic(std::string(kHead) +
                      "Dim V As Byte , Rb As Byte , W As Word , Rw As Word\r\n"
                      "V = 1\r\nW = 1\r\n"
                      // 99999999999999999999 = 7 mod 8 = 15 mod 16
                      "Rb = Rotate(Right , 99999999999999999999 , V)\r\n"
                      "Rw = Rotate(Right , 99999999999999999999 , W)\r\n"
                      "End\r\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("rb"), 2);
  EXPECT_EQ(run->Word("rw"), 2);
}

}  // namespace
}  // namespace qbc::test
