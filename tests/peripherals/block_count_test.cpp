// The count forms of the transfer statements (1wwrite/1wread, I2CWrite, SpiOut/SpiIn,
// ShiftOut, PrintBin/InputBin): the count is a byte from 1 to 255. A constant outside that
// is refused at its line; a count of 0 reached at run time moves nothing, on the
// simulator against the bus models, and the bytes after the buffer stay as they were. A
// count read from an array element leaves the buffer's address alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/ds18b20_model.h"
#include "tests/support/i2c_eeprom_model.h"
#include "tests/support/open_drain_line.h"
#include "tests/support/spi_models.h"

namespace qbc::test {
namespace {

const char* const kHead =
    "$device = m8\n$clock = 8\n$stack = 48\n$baud = 9600\n$1wire = portb.0\n"
    "$i2c sda = portc.1 , scl = portc.0\n$spi = 16, msb, master, low, low\n"
    "$shiftout data = portd.2, clock = portd.3, msb\n"
    "Const Zero = 0\nDim Buf(4) As Byte\n";  // lines 1 to 10; the statement is line 11

TEST(BlockCount, AConstantCountBelowOneIsRefusedAtItsLine) {
  const char* const statements[] = {
      "1wwrite Buf , 0",  "1wwrite 0 , Buf , 0", "1wread Buf , 0",    "1wread 0 , Buf , &H0",
      "I2CWrite Buf , 0", "SpiOut Buf , 0",      "SpiIn Buf , Zero",  "ShiftOut Buf , 0",
      "PrintBin Buf , 0", "PrintBin Buf , -1",   "InputBin Buf , 0",
      "Open com = portd.5, 9600 For Input As #1\nInputBin #1, Buf , 0",
  };
  for (const std::string statement : statements) {
    SCOPED_TRACE(statement);
    const int line = 11 + (statement.starts_with("Open") ? 1 : 0);
    const auto compiled = CompileBasic(std::string(kHead) + statement + "\nEnd\n");
    EXPECT_TRUE(compiled.StartsWithError("Must be from 1 to 255!", line)) << compiled.report;
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
  }
  // 1 and 255 are counts
  for (const char* count : {"1", "255", "&HFF"}) {
    const auto compiled = CompileBasic(std::string(kHead) + "SpiOut Buf , " + count + "\nEnd\n");
    EXPECT_EQ(compiled.error_count, 0) << count << compiled.report;
  }
}

// Four bytes of 0x55 stand behind the buffer: a transfer of 256 bytes would reach them.
// The count 3 also comes from an array element, which is read through X, the register
// that holds the buffer's address.
const char* const kGuarded = "Dim N As Byte, M As Byte, Buf(3) As Byte, Guard(4) As Byte, Cnt(2) As Byte, I As Byte\n"
                             "Buf(0) = &H19 : Buf(1) = &HE7 : Buf(2) = &H3F\n"
                             "Guard(0) = &H55 : Guard(1) = &H55 : Guard(2) = &H55 : Guard(3) = &H55\n"
                             "N = 0 : M = 3 : I = 1 : Cnt(1) = 3\n";

void ExpectBufferAndGuardKept(const BasicRun& run) {
  EXPECT_EQ(run.Byte("buf", 0), 0x19);
  EXPECT_EQ(run.Byte("buf", 1), 0xE7);
  EXPECT_EQ(run.Byte("buf", 2), 0x3F);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(run.Byte("guard", i), 0x55) << "guard byte " << i;
}

// Write Scratchpad takes the three bytes of the count 3; the counts of 0 around it write
// and read nothing: the device hears only the command bytes and the three.
TEST(BlockCount, ARunTimeZeroMovesNothingOnOneWire) {
  Ds18b20Model device{0x0000A1B2C3D4, 0x0191};
  std::unique_ptr<OpenDrainLine> line;
  const std::string source = std::string("$device = m8\n$clock = 8\n$stack = 48\n$1wire = portb.0\n") + kGuarded +
                             "1wreset\n1wwrite &HCC\n1wwrite Buf , N\n1wwrite &H4E\n1wwrite Buf , Cnt(I)\n"
                             "1wread Buf , N\n1wreset\n1wwrite &HCC\n1wwrite &HBE\n1wread Buf , N\nEnd\n";
  auto run = RunBasic(source, "atmega8", 10'000'000, [&](SimRunner& sim) {
    line = std::make_unique<OpenDrainLine>(sim, 'B', 0);
    device.Attach(sim, *line, 'B', 0, 0, 8);
  });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (const std::string& f : device.Faults()) ADD_FAILURE() << f;
  EXPECT_EQ(device.Heard(), (std::vector<std::uint8_t>{0xCC, 0x4E, 0x19, 0xE7, 0x3F, 0xCC, 0xBE}));
  ExpectBufferAndGuardKept(*run);
}

TEST(BlockCount, ARunTimeZeroSendsNothingOnI2C) {
  I2cEepromModel eeprom({.sda_port = 'C', .sda_bit = 1, .scl_port = 'C', .scl_bit = 0, .mhz = 8});
  for (int i = 0; i < 8; ++i) eeprom.Memory()[static_cast<std::size_t>(0x10 + i)] = 0x99;
  const std::string source = std::string("$device = m8\n$clock = 8\n$stack = 48\n$i2c sda = portc.1 , scl = portc.0\n") +
                             kGuarded + "I2CStart &HA0\nI2CWrite &H10\nI2CWrite Buf , N\nI2CStop\n"
                             "I2CStart &HA0\nI2CWrite &H14\nI2CWrite Buf , M\nI2CStop\nEnd\n";
  SimOptions options{.mcu = "atmega8", .frequency = 8'000'000, .max_cycles = 10'000'000};
  auto run = RunBasicWith(source, options, {}, [&](SimRunner& sim) { eeprom.Attach(sim); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  const std::uint8_t expected[8] = {0x99, 0x99, 0x99, 0x99, 0x19, 0xE7, 0x3F, 0x99};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(eeprom.Memory()[static_cast<std::size_t>(0x10 + i)], expected[i]) << i;
  EXPECT_TRUE(eeprom.Violations().empty()) << eeprom.Violations().front();
  ExpectBufferAndGuardKept(*run);
}

// ShiftOut's clock rises once per bit sent: 24 for the three bytes of the count 3.
TEST(BlockCount, ARunTimeZeroMovesNothingOnSpiAndShiftOut) {
  std::unique_ptr<SpiSlaveModel> slave;
  const std::string source = std::string("$device = m8\n$clock = 8\n$stack = 48\n$spi = 16, msb, master, low, low\n"
                                         "$shiftout data = portd.2, clock = portd.3, msb\n") +
                             kGuarded + "SpiOut Buf , N\nSpiIn Buf , N\nSpiOut Buf , Cnt(I)\nShiftOut Buf , N\nShiftOut Buf , M\nEnd\n";
  auto run = RunBasic(source, "atmega8", 5'000'000, [&](SimRunner& sim) {
    slave = std::make_unique<SpiSlaveModel>(sim, std::vector<std::uint8_t>{});
    sim.WatchPin('D', 3);
  });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(slave->Received(), (std::vector<std::uint8_t>{0x19, 0xE7, 0x3F}));
  int rises = 0;
  for (const SimRunner::Edge& e : run->sim->PinEdges('D', 3)) rises += e.level == 1 ? 1 : 0;
  EXPECT_EQ(rises, 24);
  ExpectBufferAndGuardKept(*run);
}

TEST(BlockCount, ARunTimeZeroMovesNothingOnTheUart) {
  SimOptions options{.mcu = "atmega8", .frequency = 8'000'000, .max_cycles = 10'000'000};
  const std::string source = std::string("$device = m8\n$clock = 8\n$stack = 48\n$baud = 9600\n") + kGuarded +
                             "PrintBin Buf , N\nInputBin Buf , N\nPrintBin Buf , Cnt(I)\nEnd\n";
  auto run = RunBasicWith(source, options, {{std::string("\x01\x02\x03\x04", 4)}});
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(), std::string("\x19\xE7\x3F", 3));
  ExpectBufferAndGuardKept(*run);
}

}  // namespace
}  // namespace qbc::test
