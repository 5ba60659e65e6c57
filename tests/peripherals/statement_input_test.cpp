// Statements given what they cannot use, as a new user writes them: each is a numbered
// compile error naming its BASIC line, through the real qbc (exit 1, no error line from
// the assembler, no .hex), where the same lines once compiled into code that hangs, reads
// past a table or silently does something else.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/refused_program.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {
namespace {

struct Row {
  const char* device;
  const char* lines;  // after "$device", "$clock" and "$stack": the last line is the faulty one
  const char* message;
};

void ExpectRefusedAtItsLine(const Row& row) {
  const std::string head = std::string("$device = ") + row.device + "\n$clock = 8\n$stack = 32\n";
  const std::string lines = row.lines;
  ExpectRefused(head + lines + "\nEnd\n", LineCount(head) + LineCount(lines) + 1, row.message);
}

const Row kSpiWithoutConfiguration[] = {
    // SPCR is written only by $spi: without it every transfer waits for SPIF for ever.
    {"m8", "Dim B As Byte\nSpiOut B", "SPI is not configured!"},
    {"m8", "Dim B(4) As Byte\nSpiOut B , 4", "SPI is not configured!"},
    {"m8", "Dim B As Byte\nSpiIn B", "SPI is not configured!"},
    {"m8", "Dim B As Byte\nB = Spi(5)", "SPI is not configured!"},
};

const Row kDtmf[] = {
    {"m8", "$dtmf = portb.1 , 30\nDtmf(16)", "Must be from 0 to 15!"},
    {"m8", "$dtmf = portb.1 , 30\nDtmf(20)", "Must be from 0 to 15!"},
    {"m8", "$dtmf = portb.1 , 30\nDtmf(-1)", "Must be from 0 to 15!"},
    {"m8", "$dtmf = portb.1 , 30\nConst Tone = 99\nDtmf(Tone)", "Must be from 0 to 15!"},
    {"m8", "Dtmf(3)", "DTMF not configured yet!"},
};

// A string constant where a number goes used to be taken as its flash address.
const Row kTextForNumber[] = {
    {"m8", "$sound = portb.3\nSound \"a\" , 2", "Only numeric variables!"},
    {"m8", "$sound = portb.3\nSound 2 , \"a\"", "Only numeric variables!"},
    {"m8", "$pckey data = portd.3, clock = portd.4\nPcKeySend(\"a\")", "Only numeric variables!"},
    {"m8", "$1wire = portb.0\n1wwrite \"ab\"", "Only numeric variables!"},
    {"m8", "$1wire = portb.0\nDim B(3) As Byte\n1wread B , \"a\"", "Only numeric variables!"},
    {"m8", "$dtmf = portb.1 , 30\nDtmf(\"5\")", "Only numeric variables!"},
    {"m8", "Compare1a = \"a\"", "Only numeric variables!"},
    {"m8", "Compare2 = \"a\"", "Only numeric variables!"},
    {"m8", "Timer1 = \"a\"", "Only numeric variables!"},
    {"m8", "Dim W As Word\nW = Adc(\"a\")", "Only numeric variables!"},
    {"m8", "WriteEE(\"a\" , 1)", "Only numeric variables!"},
    {"m8", "$glcd t6963c, data = portb, ctrl = portc, 240, 128, 8\nTxtHomeSet \"a\"", "Only numeric variables!"},
    {"m8", "$glcd pcd8544, sdin = portb.0, sclk = portb.1, dc = portb.2, sce = portb.3\nContrast = \"a\"",
     "Only numeric variables!"},
    {"m8", "$i2c sda = portc.1 , scl = portc.0\nI2CWrite \"a\"", "Only numeric variables!"},
    {"m8", "Const Name = \"ab\"\n$sound = portb.3\nSound Name , 2", "Only numeric variables!"},
    {"m8", "Dim S As String * 4\n$sound = portb.3\nSound S , 2", "Only numeric variables!"},
};

const Row kRangesAndLeftovers[] = {
    {"tn2313", "Dim W As Word\nW = Adc(0)", "Unexisting feature!"},
    {"tn2313", "Dim B As Byte\nB = Adc8(1)", "Unexisting feature!"},
    {"m8", "$lcd = portb.4, rs = portb.2, en = portb.3, 16, 2\nDefLcdChar 0 , 1 , 2 , 3 , 4 , 5 , 6 , 7",
     "Must be 8 bytes!"},
    {"m8", "$lcd = portb.4, rs = portb.2, en = portb.3, 16, 2\nDefLcdChar 0 , 1 , 2 , 3 , 4 , 5 , 6 , 7 , 8 , 9",
     "Must be 8 bytes!"},
    {"m8", "$lcd = portb.4, rs = portb.2, en = portb.3, 16, 2\nLocate 9 , 1", "Wrong number of LCD rows!"},
    {"m8", "$lcd = portb.4, rs = portb.2, en = portb.3, 16, 2\nLocate 0 , 1", "Wrong number of LCD rows!"},
    {"m8", "$lcd = portb.4, rs = portb.2, en = portb.3, 16, 2\nLocate 3 , 1", "Wrong number of LCD rows!"},
    {"m8", "$lcd = portb.4, rs = portb.2, en = portb.3, 16, 2\nLocate 1 , 0", "Wrong number of LCD columns!"},
    {"m8", "$lcd = portb.4, rs = portb.2, en = portb.3, 16, 2\nLocate 2 , 17", "Wrong number of LCD columns!"},
    {"m8", "$lcd = portb.4, rs = portb.2, en = portb.3, 16, 2\nDim R As Byte\nLocate R , 1", "Must be numeric constant"},
    {"m8", "$glcd t6963c, data = portb, ctrl = portc, 240, 128, 8\nGCommand 300", "Must be from 0 to 255!"},
    {"m8", "$glcd t6963c, data = portb, ctrl = portc, 240, 128, 8\nPset(256 , 10) , 1", "Must be from 0 to 255!"},
    {"m8", "Set Portb.-1", "From 0 to 7!"},
    {"m8", "Reset Portb.-1", "From 0 to 7!"},
    {"m8", "Toggle Portb.-1", "From 0 to 7!"},
    {"m8", "Set Portb.+9", "From 0 to 7!"},
    {"m8", "Idle Print 5", "End of statement expected!"},
    {"m8", "Dim A As Byte\nPowerdown A = 3", "End of statement expected!"},
    {"m8", "Idle 3", "End of statement expected!"},
    {"m8", "Standby Print 5", "End of statement expected!"},
};

TEST(StatementInput, SpiStatementsWithoutSpiAreRefused) {
  for (const Row& r : kSpiWithoutConfiguration) ExpectRefusedAtItsLine(r);
}

TEST(StatementInput, DtmfKeysOutsideTheTableAndDtmfWithoutItsLineAreRefused) {
  for (const Row& r : kDtmf) ExpectRefusedAtItsLine(r);
}

TEST(StatementInput, AStringWhereANumberGoesIsRefused) {
  for (const Row& r : kTextForNumber) ExpectRefusedAtItsLine(r);
}

TEST(StatementInput, ValuesOutOfRangeAndWordsLeftOverAreRefused) {
  for (const Row& r : kRangesAndLeftovers) ExpectRefusedAtItsLine(r);
}

// What may follow a statement on its line: ":" and the next one, the Else of a one-line If,
// the word that closes a block; and a label is followed by its statement.
TEST(StatementInput, StatementsSharingALineStillCompile) {
  const char* const lines[] = {
      "L1: Print 1",
      "L1: Idle",
      "If B = 1 Then Print 1 Else Print 2",
      "If B = 1 Then Idle Else Nop",
      "If B = 1 Then : Print 1 : End If",
      "While B < 3 : Incr B : Wend",
      "Do : Incr B : Loop",
      "For B = 1 To 3 : Idle : Next",
      "Select Case B : Case 1 : Print 1 : End Select",
  };
  for (const char* line : lines) {
    const auto compiled =
        CompileBasic(std::string("$device = m8\n$clock = 8\n$stack = 32\n$baud = 9600\nDim B As Byte\n") + line +
                     "\nEnd\n");
    EXPECT_EQ(compiled.error_count, 0) << line << "\n" << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
