// Input and InputBin on UART 0, run on the simulator with the input arriving as on a wire.
#include <gtest/gtest.h>

#include <string>

#include "tests/uart/uart_program.h"

namespace qbc::test {
namespace {

class InputOnDevice : public ::testing::TestWithParam<const char*> {};

// Guard bytes stand around the string and around the numeric input buffer (seven bytes
// from RAMEND - stack size on; set before the run, they must survive it).
TEST_P(InputOnDevice, LineInputEditsAndStoresEveryTarget) {
  const std::string body = R"(
Dim G1 As Byte
Dim S As String * 5
Dim G2 As Byte
Dim B As Byte
Dim I As Integer
Dim W As Word
Dim W2 As Word
Dim A(4) As Word
G1 = &HA5
G2 = &H5A
A(1) = 1111
A(3) = 3333
Input "n?" ; B , I
Input W , W2
Input "s" ; S
Input A(2)
End
)";
  // B: a backspace with nothing stored, then 12. I: a negative number with a line feed
  // inside. W: six digits fill the buffer, the seventh is dropped, two backspaces take
  // back stored digits. W2: the LF left by a CR LF line end is skipped. S: a backspace
  // at the start, then more than fits.
  const std::string input = std::string("\b12\r") + "-12\n34\r" + "1234567\b\b9\r\n" + "42\r" +
                            "\bhello world\r" + "300\r";
  std::uint32_t below = 0;
  std::uint32_t above = 0;
  auto run = RunUart(GetParam(), body, {{input}}, "", [&](SimRunner& sim) {
    below = sim.RamEnd() - 33;
    above = sim.RamEnd() - 25;
    sim.SetSram(below, 0xC3);
    sim.SetSram(above, 0x3C);
  });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(), "n?s");
  EXPECT_EQ(run->Byte("b"), 12);
  EXPECT_EQ(run->Integer("i"), -1234);
  EXPECT_EQ(run->Word("w"), 12349);
  EXPECT_EQ(run->Word("w2"), 42);
  ASSERT_EQ(run->Address("s"), run->Address("g1") + 1);
  ASSERT_EQ(run->Address("g2"), run->Address("s") + 6);
  EXPECT_EQ(run->Byte("g1"), 0xA5);
  EXPECT_EQ(run->Byte("g2"), 0x5A);
  std::string s;
  for (int k = 0; k < 6; ++k) s += static_cast<char>(run->Byte("s", k));
  EXPECT_EQ(s, std::string("hello\0", 6));
  EXPECT_EQ(run->Word("a", 2), 1111);
  EXPECT_EQ(run->Word("a", 4), 300);
  EXPECT_EQ(run->Word("a", 6), 3333);
  EXPECT_EQ(run->sim->Sram(below), 0xC3);
  EXPECT_EQ(run->sim->Sram(above), 0x3C);
  EXPECT_EQ(run->sim->DroppedInput(), 0u);
}

// Locals of a procedure: a number, and a string that takes the line itself.
TEST_P(InputOnDevice, LineInputIntoLocals) {
  const std::string body = R"(
Dim LB As Byte
Dim LS As String * 8
Declare Sub Ask()
Ask()
End
Sub Ask()
  Local N As Byte, T As String * 4
  Input N , T
  LB = N
  LS = T
End Sub
)";
  auto run = RunUart(GetParam(), body, {{"77\rabcdef\r"}});
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("lb"), 77);
  std::string ls;
  for (int k = 0; k < 5; ++k) ls += static_cast<char>(run->Byte("ls", k));
  EXPECT_EQ(ls, std::string("abcd\0", 5));
}

// Raw bytes: multi-byte values arrive most significant byte first; a string ends at a 0
// byte or at its length and is always closed; a counted block of 64 bytes at 250000 baud
// arrives whole.
TEST_P(InputOnDevice, InputBinStoresRawBytes) {
  const std::string body = R"(
Dim B As Byte
Dim W As Word
Dim I As Integer
Dim L As Long
Dim S As String * 3
Dim G As Byte
Dim T As String * 5
Dim A(4) As Word
Dim Blk As String * 64
Dim LW As Word
Declare Sub Get2()
G = &H5A
InputBin "?" ; B ; W I L
InputBin S T
InputBin A(2)
InputBin Blk, 64
Get2()
End
Sub Get2()
  Local K As Word
  InputBin K
  LW = K
End Sub
)";
  std::string input = std::string("\x11" "\x12\x34" "\xFF\xFE" "\x01\x02\x03\x04", 9);
  input += "abcdef";                // S takes three bytes, T the rest up to its own 0
  input += std::string("x\0", 2);
  input += "\x01\x2C";              // A(2) = 300
  std::string block;
  for (int k = 0; k < 64; ++k) block += static_cast<char>(k * 3 + 1);
  input += block;
  input += "\xAB\xCD";
  auto run = RunUart(GetParam(), body, {{input}}, "$baud = 250000\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(), "?");
  EXPECT_EQ(run->Byte("b"), 0x11);
  EXPECT_EQ(run->Word("w"), 0x1234);
  EXPECT_EQ(run->Integer("i"), -2);
  EXPECT_EQ(run->Long("l"), 0x01020304u);
  std::string s, t, blk;
  for (int k = 0; k < 4; ++k) s += static_cast<char>(run->Byte("s", k));
  for (int k = 0; k < 6; ++k) t += static_cast<char>(run->Byte("t", k));
  for (int k = 0; k < 64; ++k) blk += static_cast<char>(run->Byte("blk", k));
  EXPECT_EQ(s, std::string("abc\0", 4));
  EXPECT_EQ(run->Byte("g"), 0x5A);
  EXPECT_EQ(t, std::string("defx\0", 5) + static_cast<char>(run->Byte("t", 5)));
  EXPECT_EQ(run->Word("a", 4), 300);
  EXPECT_EQ(blk, block);
  EXPECT_EQ(run->Word("lw"), 0xABCD);
  EXPECT_EQ(run->sim->DroppedInput(), 0u);
}

// Array indexes above 255 reach their element; a byte index of a word array is doubled.
// A number typed with blanks before it or a "+" sign is the number meant; the text ends
// at the first character that is not a digit. Val reads string variables and literals the
// same way.
TEST(InputNumbers, SignsLeadingBlanksAndTrailingCharacters) {
  struct Case {
    const char* line;
    int value;
  };
  const Case cases[] = {
      {"+42", 42},   {" 17", 17},   {"   -8", -8}, {"12 34", 12},  {"42abc", 42},      {"-", 0},
      {"+-3", 0},    {"007", 7},    {"-32768", -32768}, {"x5", 0}, {" +1000", 1000},
  };
  std::string body = "Dim N(12) As Integer\nDim S As String * 8\nDim V1 As Integer, V2 As Integer, V3 As Integer\n";
  std::string input;
  for (int k = 1; k <= 11; ++k) body += "Input N(" + std::to_string(k) + ")\n";
  for (const Case& c : cases) input += std::string(c.line) + "\r";
  body += "S = \" -25x\"\nV1 = Val(S)\nS = \"+300\"\nV2 = Val(S)\nV3 = Val(\"  +77\")\nEnd\n";
  auto run = RunUart("m8", body, {{input}});
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (int k = 0; k < 11; ++k) EXPECT_EQ(run->Integer("n", 2 * (k + 1)), cases[k].value) << '"' << cases[k].line << '"';
  EXPECT_EQ(run->Integer("v1"), -25);
  EXPECT_EQ(run->Integer("v2"), 300);
  EXPECT_EQ(run->Integer("v3"), 77);
}

TEST(InputTargets, ElementsBeyondTheFirst256Bytes) {
  auto run = RunUart("m168",
                     "Dim Big(260) As Byte\nDim Wd(280) As Word\nInputBin Big(258) ; Wd(275)\nInput Wd(270)\n"
                     "Input Big(257)\nEnd\n",
                     {{std::string("\x5A\xBE\xEF") + "1234\r" + "77\r"}});
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("big", 258), 0x5A);
  EXPECT_EQ(run->Word("wd", 2 * 275), 0xBEEF);
  EXPECT_EQ(run->Word("wd", 2 * 270), 1234);
  EXPECT_EQ(run->Byte("big", 257), 77);
}

// The extra line end of $inputtermchar holds on UART 0; UART 1 takes the character as text.
TEST(InputTargets, TerminatorSettingEndsLinesOnUart0Only) {
  const std::string head = "$baud1 = 38400\n$inputtermchar = (\",\")\n";
  auto run = RunUart("m2560", "Dim B As Byte\nDim C As Byte\nInput B , C\nEnd\n", {{"12,34\r"}}, head);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b"), 12);
  EXPECT_EQ(run->Byte("c"), 34);
  run = RunUart("m2560", "Dim S As String * 8\nInput1 S\nEnd\n", {{"5,6\r", 1}}, head);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  std::string s;
  for (int k = 0; k < 4; ++k) s += static_cast<char>(run->Byte("s", k));
  EXPECT_EQ(s, std::string("5,6\0", 4));
}

// Targets the statements cannot store into are compile errors at their line.
TEST(InputTargets, UnreadableTargetsAreCompileErrors) {
  const char* const kCannot = "Can not read into this variable!";
  struct TargetError {
    const char* lines;  // from line 5 on
    int line;
    const char* message;
  };
  const TargetError cases[] = {
      {"Dim T As Bit\nInput T\n", 6, kCannot},
      {"Dim F As Float\nInput \"f\" ; F\n", 6, kCannot},
      {"Dim L As Long\nInput L\n", 6, "Not for Long!"},
      {"Dim A(3) As Long\nInput A(1)\n", 6, kCannot},
      {"Dim T As Bit\nInputBin T\n", 6, kCannot},
      {"Dim F As Float\nInputBin F\n", 6, kCannot},
      {"Dim A(3) As Float\nInputBin A(1)\n", 6, kCannot},
      {"Declare Sub P()\nP()\nEnd\nSub P()\n  Local T As String * 4\n  InputBin T\nEnd Sub\n", 10, kCannot},
      {"Dim B As Byte\nInput 5\n", 6, "Must be variable or array element!"},
  };
  for (const TargetError& c : cases) {
    std::string program = UartProgram("m8", c.lines);
    if (program.find("End\n") == std::string::npos) program += "End\n";
    const auto compiled = CompileBasic(program);
    EXPECT_EQ(compiled.error_count, 1) << c.lines << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError(c.message, c.line)) << c.lines << compiled.report;
  }
}

// The input of the tests arrives as on a wire: a program that reads too late finds the
// two bytes the receiver holds, and the bytes that completed meanwhile are lost.
TEST(PacedInput, BytesThatFindTheReceiverFullAreLost) {
  auto run = RunUart("m8", "Dim B1 As Byte\nDim B2 As Byte\nWaitMs 5\nInputBin B1 ; B2\nEnd\n", {{"abcde"}});
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b1"), 'a');
  EXPECT_EQ(run->Byte("b2"), 'b');
  EXPECT_EQ(run->sim->DroppedInput(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Uart0, InputOnDevice, ::testing::Values("m8", "m168"));

}  // namespace
}  // namespace qbc::test
