// Set and Reset of every operand form on the simulator, the bit texts they refuse, the
// pending flag of one external interrupt, and Reset alone on a chip without jmp.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Header(const std::string& device) {
  return "$device = " + device + "\n$clock = 8\n$stack = 40\n" +
         "Dim B As Byte, W As Word, I As Integer, L As Long, F As Bit, G As Bit, N As Byte, V0 As Byte, V1 As Byte\n" +
         "Const Three = 3\nConst Word1 = \"x\"\n";
}

// A byte of the data space (a register's data address or a variable's label) into a
// variable.
std::string Copy(const std::string& from, const std::string& to) {
  return "$asm\n  lds r16," + from + "\n  sts " + to + ",r16\n$end asm\n";
}

TEST(SetReset, EveryFormChangesItsOneBit) {
  struct Form {
    const char* device;
    const char* setup;   // lines before the statements
    const char* target;  // the operand as written after Set / Reset
    const char* byte;    // where the changed byte is read: data address or label
    int afterSet;
    int afterReset;
  };
  const std::vector<Form> forms = {
      // A register the bit instructions reach (PORTB), one beyond them (TIMSK of the m8,
      // I/O 0x39) and one beyond in/out (TIMSK1 of the m168, 0x6F).
      {"m8", "", "PORTB.3", "0x38", 0x08, 0x00},
      {"m8", "", "TIMSK.Three", "0x59", 0x08, 0x00},
      {"m168", "", "TIMSK1.1", "0x6F", 0x02, 0x00},
      {"m168", "", "TIMSK1.ocie1b", "0x6F", 0x04, 0x00},
      // A bit computed at run time, in the I/O space and beyond it.
      {"m8", "N = 6\n", "PORTB.N", "0x38", 0x40, 0x00},
      {"m168", "N = 5\n", "TIMSK1.N", "0x6F", 0x20, 0x00},
      // $def aliases: with a bit of their own, and of a whole register with the bit written.
      {"m8", "$def Led = PORTB.5\n", "Led", "0x38", 0x20, 0x00},
      {"m168", "$def Mask = TIMSK1\n", "Mask.2", "0x6F", 0x04, 0x00},
      // Variables: byte, word and integer (bits 0..15, the high byte at name+1).
      {"m8", "B = &H81\n", "B.4", "b", 0x91, 0x81},
      {"m8", "W = 0\n", "W.12", "w+1", 0x10, 0x00},
      {"m8", "I = 0\n", "I.15", "i+1", 0x80, 0x00},
      {"m8", "I = 0\n", "I.Three", "i", 0x08, 0x00},
  };
  for (const Form& f : forms) {
    SCOPED_TRACE(std::string(f.device) + " " + f.target);
    const std::string p = Header(f.device) + f.setup + "Set " + f.target + "\n" + Copy(f.byte, "v0") + "Reset " +
                          f.target + "\n" + Copy(f.byte, "v1") + "End\n";
    auto run = RunBasic(p, f.device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("v0"), f.afterSet);
    EXPECT_EQ(run->Byte("v1"), f.afterReset);
  }
}

TEST(SetReset, BitVariablesAndLocals) {
  auto run = RunBasic(Header("m8") +
                          "Declare Sub Bits()\nReset F\nSet G\nSet F\nReset G\nV0 = F\nV1 = G\nBits()\nEnd\n"
                          "Sub Bits()\n  Local X As Byte, Y As Word\n  X = 0\n  Y = 0\n  Set X.6\n  Set Y.9\n"
                          "  Reset X.6\n  Set X.1\n  B = X\n  W = Y\nEnd Sub\n",
                      "m8");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("v0"), 1);
  EXPECT_EQ(run->Byte("v1"), 0);
  EXPECT_EQ(run->Byte("b"), 0x02);
  EXPECT_EQ(run->Word("w"), 0x0200);
}

// Locals and parameters of every integer type: the bit is reached in its own byte of the
// frame, and every other bit of the variable keeps its value.
TEST(SetReset, BitsOfLocalsAndParametersOfEveryWidth) {
  struct Case {
    const char* declare;  // "Local X As ..." or "" for the parameter P (a long)
    const char* name;
    int bit;
    std::uint32_t start;
    std::uint32_t mask;  // the variable's width
  };
  for (const Case c : {Case{"Local X As Byte", "X", 5, 0x96, 0xFF}, Case{"Local X As Integer", "X", 14, 0x5AA5, 0xFFFF},
                       Case{"Local X As Word", "X", 3, 0xA55A, 0xFFFF}, Case{"Local X As Word", "X", 9, 0x0F0F, 0xFFFF},
                       Case{"Local X As Long", "X", 0, 0x12345678, 0xFFFFFFFF},
                       Case{"Local X As Long", "X", 20, 0xA5A5A5A5, 0xFFFFFFFF},
                       Case{"Local X As Long", "X", 31, 0x5A5A5A5A, 0xFFFFFFFF},
                       Case{"", "P", 27, 0xC3C3C3C3, 0xFFFFFFFF}, Case{"", "P", 12, 0x0000F000, 0xFFFFFFFF}}) {
    SCOPED_TRACE(std::string(c.declare) + " bit " + std::to_string(c.bit));
    const std::string x = c.name;
    const std::string p = Header("m8") + "Dim Sv As Long, Rv As Long\nDeclare Sub Bits(P As Long)\nBits(0)\nEnd\n" +
                          "Sub Bits(P As Long)\n  " + c.declare + "\n  " + x + " = " + std::to_string(c.start) +
                          "\n  Set " + x + "." + std::to_string(c.bit) + "\n  Sv = " + x + "\n  Reset " + x + "." +
                          std::to_string(c.bit) + "\n  Rv = " + x + "\nEnd Sub\n";
    auto run = RunBasic(p, "m8");
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Long("sv") & c.mask, (c.start | (1u << c.bit)) & c.mask);
    EXPECT_EQ(run->Long("rv") & c.mask, (c.start & ~(1u << c.bit)) & c.mask);
  }
}

TEST(SetReset, RefusedOperandsAreReported) {
  struct Case {
    const char* statement;
    const char* message;
  };
  for (const Case c : {Case{"Set B.9", "From 0 to 7!"}, Case{"Reset B.300", "From 0 to 7!"},
                       Case{"Set W.16", "From 0 to 15!"}, Case{"Set B.Word1", "From 0 to 7!"},
                       Case{"Set PORTB.8", "From 0 to 7!"}, Case{"Set L.1", "Not allowed for Long!"},
                       Case{"Set Nothing.1", "Unknown identifier nothing"}}) {
    SCOPED_TRACE(c.statement);
    auto compiled = CompileBasic(Header("m8") + c.statement + "\nEnd\n");
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError(c.message, 7)) << compiled.report;
  }
  auto alias = CompileBasic(Header("m8") + "$def Whole = PORTB\nSet Whole\nEnd\n");
  EXPECT_EQ(alias.error_count, 1) << alias.report;
  EXPECT_TRUE(alias.StartsWithError("Missing \".\"", 8)) << alias.report;
}

// Both interrupts see a falling edge with interrupts off; Reset Int0 clears INT0's flag
// and leaves INT1's pending.
TEST(SetReset, ResetIntClearsOnlyItsOwnFlag) {
  struct Case {
    const char* device;
    const char* pins;  // PORTD bits of INT0 and INT1
    const char* flags;
    int int0;
    int int1;
  };
  for (const Case c : {Case{"m8", "0x0C", "0x5A", 0x40, 0x80}, Case{"m128", "0x03", "0x58", 0x01, 0x02},
                       Case{"m168", "0x0C", "0x3C", 0x01, 0x02}}) {
    SCOPED_TRACE(c.device);
    const std::string p = Header(c.device) + "$asm\n  ldi r16," + c.pins + "\n  out PORTD,r16\n  out DDRD,r16\n$end asm\n" +
                          "Int0 Falling\nInt1 Falling\n$asm\n  clr r16\n  out PORTD,r16\n  nop\n  nop\n$end asm\n" +
                          Copy(c.flags, "v0") + "Reset Int0\n" + Copy(c.flags, "v1") + "End\n";
    auto run = RunBasic(p, c.device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("v0") & (c.int0 | c.int1), c.int0 | c.int1);
    EXPECT_EQ(run->Byte("v1") & (c.int0 | c.int1), c.int1);
  }
}

// The m8 has no jmp: Reset alone restarts the program with the jump it has. OCR2 keeps the
// count of starts across the restarts.
TEST(SetReset, ResetAloneRestartsTheProgram) {
  auto run = RunBasic(Header("m8") + "$asm\n  in r16,OCR2\n  inc r16\n  out OCR2,r16\n  sts v0,r16\n$end asm\n"
                                     "If V0 < 3 Then Reset\nReset Watchdog\nEnd\n",
                      "m8");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("v0"), 3);
}

}  // namespace
}  // namespace qbc::test
