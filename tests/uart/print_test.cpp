// Print and PrintBin on UART 0, run on the simulator: the exact bytes on the wire.
#include <gtest/gtest.h>

#include <string>

#include "tests/uart/uart_program.h"

namespace qbc::test {
namespace {

const char* const kVars =
    "Dim B As Byte\nDim I As Integer\nDim W As Word\nDim L As Long\nDim S As String * 10\n"
    "Dim F As Float\nDim G As Float\nB = 7\nI = -1234\nW = 65000\nL = -100000\nS = \"str\"\n";

struct PrintCase {
  const char* lines;
  const char* sent;
};

// Every item kind, ";" and no separator, the line end of an empty list (also before ":").
const PrintCase kPrintCases[] = {
    {"Print \"text\"\n", "text\r\n"},
    {"Print B ; I\n", "7-1234\r\n"},
    {"Print W ; \" \" ; L\n", "65000 -100000\r\n"},
    {"Print S ; Hex(W) ; Hex(B)\n", "strFDE807\r\n"},
    {"Print Hex(L) ; Hex(I)\n", "FFFE7960FB2E\r\n"},
    {"Print Chr(65) ; Chr(B + 59)\n", "AB\r\n"},
    // a character code is a whole number, whatever it is worked out of
    {"F = 65.5\nG = 2.5\nPrint Chr(F) ; Chr(G * 26) ; Chr(W / 1000) ; Chr(W - 64934)\n", "AAAB\r\n"},
    {"Print B W\n", "7\r\n65000\r\n"},
    {"Print\nPrint B ;\n", "\r\n7"},
    {"Print : Print B\n", "\r\n7\r\n"},
    {"Print0 \"zero\" ;\n", "zero"},
    {"If B = 7 Then Print \"y\" ; B Else Print \"n\"\nIf B = 8 Then Print \"y\" Else Print\n", "y7\r\n\r\n"},
    {"F = 1.5\nG = -0.25\nPrint F ; \" \" ; G\n", " 1.500000E+00 -2.500000E-01\r\n"},
};

class PrintOnDevice : public ::testing::TestWithParam<const char*> {};

TEST_P(PrintOnDevice, SendsEveryItemKindAsText) {
  for (const PrintCase& c : kPrintCases) {
    auto run = RunUart(GetParam(), std::string(kVars) + c.lines + "End\n");
    ASSERT_TRUE(run->ok) << c.lines << run->Diagnostics();
    EXPECT_EQ(run->sim->Output(), c.sent) << c.lines;
  }
}

TEST_P(PrintOnDevice, PrintBinSendsEachItemInItsOwnTypeAndBlocksOfMemory) {
  auto run = RunUart(GetParam(), std::string(kVars) +
                                     "S = \"AB\"\nW = &H4142\nPrintBin B ; W I\nPrintBin S, 3\nPrintBin B\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(), std::string("\x07\x42\x41\x2E\xFB" "AB\0" "\x07", 9));
}

// $printtermchar replaces CR LF on UART 0 only.
TEST(PrintLineEnd, TerminatorSettingOnUart0Only) {
  auto run = RunUart("m128", "Print \"a\"\nPrint1 \"b\"\nEnd\n", {}, "$baud1 = 38400\n$printtermchar = (\"#\")\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(0), "a#");
  EXPECT_EQ(run->sim->Output(1), "b\r\n");
}

// A float constant prints in a program without float variables.
TEST(PrintFloat, LiteralWithoutFloatVariables) {
  auto run = RunUart("m8", "Print 3.5 ; \"|\" ;\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(), " 3.500000E+00|");
}

// The float text routines serve UART 0 alone.
TEST(PrintFloat, OtherUartsReportFloats) {
  const auto compiled = CompileBasic(UartProgram("m128", "Print1 3.5 ; \"x\"\nEnd\n", "$baud1 = 38400\n"));
  EXPECT_EQ(compiled.error_count, 1) << compiled.report;
  EXPECT_TRUE(compiled.StartsWithError("3.5 cannot be printed on this UART (a Float prints on the first only)!", 6))
      << compiled.report;
}

// A string constant above the first 64 KB of flash is read through RAMPZ.
TEST(PrintFlash, StringConstantAbove64KBytes) {
  auto run = RunUart("m2560", "Print \"far away\"\nEnd\n$asm\n.ORG 0x8100\n$end asm\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(), "far away\r\n");
}

// The ATmega328P's UART under its own names, beyond the I/O space.
INSTANTIATE_TEST_SUITE_P(Uart0, PrintOnDevice, ::testing::Values("m8", "m168", "m328p"));

}  // namespace
}  // namespace qbc::test
