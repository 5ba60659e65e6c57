// InitEE, WriteEE and ReadEE on the simulator: every type written lands in the chip's
// EEPROM lowest byte first and reads back in the type the expression wants, on chips with
// a one-byte address (m48) and with two (m8, m168, m128, m2560).
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Head(const std::string& device) {
  return "$device = " + device + "\n$clock = 8\n$stack = 48\n";
}

const char* const kVars =
    "Dim B As Byte, I As Integer, W As Word, L As Long, F As Float, T As Bit, X As Byte, Y As Byte\n"
    "Dim B2 As Byte, I2 As Integer, W2 As Word, L2 As Long, F2 As Float, T2 As Bit, K As Word\n"
    "Dim Q0 As Byte, Q1 As Byte, FA As Float, L3 As Long\n";

struct Chip {
  const char* device;
  int base;  // first EEPROM address used
  size_t size;
};
const Chip kChips[] = {{"m48", 16, 256}, {"m8", 300, 512}, {"m168", 480, 512}, {"m128", 2000, 4096}, {"m2560", 4000, 4096}};

// Writes a value of every type from `base` up, then reads each back.
std::string EveryTypeProgram(int base) {
  auto at = [base](int offset) { return std::to_string(base + offset); };
  return std::string(kVars) +
         "B = 200\nI = -2\nW = &HBEEF\nL = &H12345678\nF = 1.5\nT = 1\nX = 9\nY = 10\n"
         "WriteEE(" + at(0) + ", B)\nWriteEE(" + at(1) + ", I)\nWriteEE(" + at(3) + ", W)\n"
         "WriteEE(" + at(5) + ", L)\nWriteEE(" + at(9) + ", F)\nWriteEE(" + at(13) + ", T)\n"
         "WriteEE(" + at(14) + ", X, Y, 7)\n"
         // values whose computation uses r24: the address must survive them
         "WriteEE(" + at(17) + ", ReadEE(" + at(0) + "))\nWriteEE(" + at(18) + ", X + 1)\n"
         "WriteEE(" + at(19) + ", W + 1)\nWriteEE(" + at(21) + ", X, Y * 2)\n"
         "B2 = ReadEE(" + at(0) + ")\nI2 = ReadEE(" + at(1) + ")\nW2 = ReadEE(" + at(3) + ")\n"
         "L2 = ReadEE(" + at(5) + ")\nF2 = ReadEE(" + at(9) + ")\nT2 = ReadEE(" + at(13) + ")\n"
         // ReadEE as the right operand
         "K = W + ReadEE(" + at(16) + ")\n"
         // an address computed as a float: the value read is a long all the same
         "FA = " + at(5) + "\nL3 = ReadEE(FA)\nEnd\n";
}

TEST(Eeprom, EveryTypeIsWrittenLowestByteFirstAndReadBack) {
  for (const Chip& c : kChips) {
    SCOPED_TRACE(c.device);
    auto run = RunBasic(Head(c.device) + EveryTypeProgram(c.base), c.device, 20'000'000);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    const std::vector<uint8_t> ee = run->sim->Eeprom();
    ASSERT_EQ(ee.size(), c.size);
    const std::vector<uint8_t> expected = {200,  0xFE, 0xFF, 0xEF, 0xBE, 0x78, 0x56, 0x34, 0x12, 0x00, 0x00,
                                           0xC0, 0x3F, 1,    9,    10,   7,    200,  10,   0xF0, 0xBE, 9, 20};
    for (size_t i = 0; i < expected.size(); ++i)
      EXPECT_EQ(ee[c.base + i], expected[i]) << "EEPROM address " << c.base + i;
    EXPECT_EQ(ee[c.base + expected.size()], 0xFF);  // nothing written past the values
    EXPECT_EQ(ee[c.base - 1], 0xFF);
    EXPECT_EQ(run->Byte("b2"), 200);
    EXPECT_EQ(run->Integer("i2"), -2);
    EXPECT_EQ(run->Word("w2"), 0xBEEF);
    EXPECT_EQ(run->Long("l2"), 0x12345678u);
    EXPECT_EQ(run->Long("l3"), 0x12345678u);
    EXPECT_EQ(run->FloatBits("f2"), std::bit_cast<uint32_t>(1.5f));
    EXPECT_EQ(run->Word("k"), (0xBEEF + (7 | 200 << 8)) & 0xFFFF);  // two bytes read for a word
  }
}

// InitEE's bytes are in the image that goes to the chip with the program; the bytes a run
// wrote are read by the next run from the EEPROM it left.
TEST(Eeprom, InitEEImageAndASecondRunReadBack) {
  for (const Chip& c : {kChips[0], kChips[1]}) {
    SCOPED_TRACE(c.device);
    const std::string at = std::to_string(c.base);
    auto first = RunBasic(Head(c.device) + kVars + "InitEE = 1, 2, &H10, 4\nQ0 = ReadEE(2)\nQ1 = ReadEE(3)\n"
                              "WriteEE(" + at + ", &H1234)\nEnd\n",
                          c.device);
    ASSERT_TRUE(first->ok) << first->Diagnostics();
    EXPECT_EQ(first->Byte("q0"), 0x10);
    EXPECT_EQ(first->Byte("q1"), 4);
    const std::vector<uint8_t> saved = first->sim->Eeprom();
    auto second = RunBasic(Head(c.device) + kVars + "W = ReadEE(" + at + ")\nEnd\n", c.device, 5'000'000,
                           [&](SimRunner& sim) { sim.SetEeprom(saved); });
    ASSERT_TRUE(second->ok) << second->Diagnostics();
    EXPECT_EQ(second->Word("w"), 0x1234);
  }
}

// With a handler in the program the write is done with interrupts off; the caller's I flag
// is put back, also when the program had switched interrupts off.
TEST(Eeprom, WriteKeepsTheInterruptFlag) {
  auto run = RunBasic(Head("m8") + kVars +
                          "Declare Interrupt Int0()\nDisable Interrupts\nWriteEE(1, 5)\n"
                          "$asm\n  in r16,SREG\n  sts q0,r16\n$end asm\nEnable Interrupts\nWriteEE(2, 6)\n"
                          "$asm\n  in r16,SREG\n  sts q1,r16\n$end asm\nDisable Interrupts\nEnd\n"
                          "Interrupt Int0()\nX = 1\nEnd Interrupt\n",
                      "m8");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("q0") & 0x80, 0);
  EXPECT_EQ(run->Byte("q1") & 0x80, 0x80);
  EXPECT_EQ(run->sim->Eeprom()[1], 5);
  EXPECT_EQ(run->sim->Eeprom()[2], 6);
}

TEST(Eeprom, MisuseIsReported) {
  struct Case {
    const char* statement;
    const char* message;
  };
  const Case cases[] = {
      {"WriteEE(0, B, W)", "Must be bytes!"},
      {"WriteEE(0, S)", "Only numeric variables!"},
      {"S = ReadEE(0)", "Only numeric variables!"},
  };
  for (const Case& c : cases) {
    auto compiled = CompileBasic(Head("m8") + kVars + "Dim S As String * 4\n" + c.statement + "\nEnd\n");
    EXPECT_TRUE(compiled.StartsWithError(c.message, 8)) << c.statement << "\n" << compiled.report;
  }
}

// A constant address whose bytes run past the chip's EEPROM would wrap to its start
// (600 on the m88's 512 bytes writes address 88): refused at its line. The last bytes
// themselves are in reach.
TEST(Eeprom, AConstantAddressPastTheEndIsRefused) {
  struct Case {
    const char* device;
    const char* statement;
    const char* message;  // empty: compiles
  };
  const Case cases[] = {
      {"m88", "WriteEE(600, B)", "EEPROM address beyond 511!"},
      {"m88", "WriteEE(&H200, B)", "EEPROM address beyond 511!"},
      {"m88", "WriteEE(511, W)", "EEPROM address beyond 511!"},
      {"m88", "WriteEE(510, X, Y, 7)", "EEPROM address beyond 511!"},
      {"m88", "L = ReadEE(509)", "EEPROM address beyond 511!"},
      {"2313", "B = ReadEE(200)", "EEPROM address beyond 127!"},
      {"m48", "B = ReadEE(Past)", "EEPROM address beyond 255!"},
      {"m88", "WriteEE(510, W)\nWriteEE(511, X)\nL = ReadEE(508)\nB = ReadEE(&H1FF)", ""},
      {"2313", "B = ReadEE(127)\nWriteEE(126, X, Y)", ""},
  };
  for (const Case& c : cases) {
    auto compiled =
        CompileBasic(Head(c.device) + kVars + "Const Past = 256\n" + c.statement + "\nEnd\n");
    if (*c.message == 0)
      EXPECT_TRUE(compiled.error_count == 0 && compiled.failure.empty()) << c.statement << "\n" << compiled.report;
    else
      EXPECT_TRUE(compiled.StartsWithError(c.message, 8)) << c.statement << "\n" << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
