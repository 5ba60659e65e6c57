// The I2C statements on the simulator against a pin-level 24C02-like EEPROM that checks
// the bus's standard-mode timing at every clock: writes (value list and count form),
// random, current-address and sequential reads, a refused address, with and without a
// slave that stretches the clock after each acknowledge, at 1 to 20 MHz, on the low I/O
// ports of the ATmega8 and on the extended ports F and G of the ATmega128.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/i2c_eeprom_model.h"

namespace qbc::test {
namespace {

struct BusCase {
  const char* name;
  const char* device;
  const char* mcu;
  int mhz;
  char port;  // SDA on pin 1, SCL on pin 0 of this port
  double stretch_us;
};

const BusCase kCases[] = {
    {"m8_1MHz", "m8", "atmega8", 1, 'C', 0},
    {"m8_8MHz", "m8", "atmega8", 8, 'C', 0},
    {"m8_16MHz_stretched", "m8", "atmega8", 16, 'C', 30},
    {"m8_20MHz", "m8", "atmega8", 20, 'C', 0},
    {"m8_1MHz_stretched", "m8", "atmega8", 1, 'C', 50},
    {"m128_portf_1MHz", "m128", "atmega128", 1, 'F', 0},
    {"m128_portf_8MHz_stretched", "m128", "atmega128", 8, 'F', 30},
    {"m128_portf_16MHz", "m128", "atmega128", 16, 'F', 0},
    {"m128_portf_20MHz_stretched", "m128", "atmega128", 20, 'F', 20},
    // PING, DDRG: both registers in the extended I/O space
    {"m128_portg_16MHz_stretched", "m128", "atmega128", 16, 'G', 30},
};

void PrintTo(const BusCase& c, std::ostream* os) { *os << c.name; }

class I2cOnEeprom : public testing::TestWithParam<BusCase> {};

// The loop's second read comes while the slave already drives the next byte's first bit
// (0x5A starts with a 0): a repeated start there would be no start at all.
TEST_P(I2cOnEeprom, WritesAndReadsBackWithinTheBusTiming) {
  const BusCase& c = GetParam();
  const std::string port = std::string("port") + static_cast<char>(c.port - 'A' + 'a');
  const std::string source = std::string("$device = ") + c.device + "\n$clock = " + std::to_string(c.mhz) +
                             "\n$stack = 32\n$i2c sda = " + port + ".1 , scl = " + port + ".0\n"
                             "Dim Buf(6) As Byte , Got(9) As Byte , Cnt(2) As Byte , I As Byte , W As Word\n"
                             "W = 65535\n"
                             "For I = 0 To 5\nBuf(I) = I * 37\nBuf(I) = Buf(I) + 5\nNext\n"
                             "Cnt(1) = 5\n"
                             "I2CStart &HA0\nI2CWrite &H10 ; &HC3 ; &H5A ; 7\nI2CStop\n"
                             "I2CStart &HA0\nI2CWrite &H20\nI2CWrite Buf , Cnt(1)\nI2CStop\n"
                             "I2CStart &H50\nI2CWrite 1\nI2CStop\n"
                             "I2CStart &HA0\nI2CWrite &H10\n"
                             "For I = 0 To 1\nGot(I) = I2CRead , Ack\nNext\n"
                             "W = I2CRead , Nack\nI2CStop\n"
                             "I2CStart &HA1\nGot(2) = I2CRead , Nack\nI2CStop\n"
                             "I2CStart &HA0\nI2CWrite &H20\n"
                             "For I = 3 To 6\nGot(I) = I2CRead , Ack\nNext\n"
                             "Got(7) = I2CRead , Nack\nI2CStop\n"
                             "I2CStart &HA0\nI2CWrite &H11\nI2CStart &HA1\nGot(8) = I2CRead , Nack\nI2CStop\n"
                             "End\n";
  I2cEepromModel eeprom({.sda_port = c.port, .sda_bit = 1, .scl_port = c.port, .scl_bit = 0,
                         .mhz = static_cast<double>(c.mhz), .stretch_us = c.stretch_us});
  eeprom.Memory()[0x13] = 0x99;
  SimOptions options{.mcu = c.mcu, .frequency = static_cast<uint32_t>(c.mhz) * 1000000u, .max_cycles = 20'000'000};
  auto run = RunBasicWith(source, options, {}, [&](SimRunner& sim) { eeprom.Attach(sim); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();

  EXPECT_EQ(eeprom.Memory()[0x10], 0xC3);
  EXPECT_EQ(eeprom.Memory()[0x11], 0x5A);
  EXPECT_EQ(eeprom.Memory()[0x12], 7);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(eeprom.Memory()[0x20 + k], run->Byte("buf", k)) << k;
  EXPECT_EQ(eeprom.Memory()[0x25], 0) << "the count's bytes only";
  EXPECT_EQ(eeprom.Memory()[0x01], 0) << "nothing written through a refused address";

  EXPECT_EQ(run->Byte("got", 0), 0xC3);
  EXPECT_EQ(run->Byte("got", 1), 0x5A);
  EXPECT_EQ(run->Word("w"), 7) << "the byte read fills the whole word";
  EXPECT_EQ(run->Byte("got", 2), 0x99) << "the current address follows the last read";
  for (int k = 0; k < 5; ++k) EXPECT_EQ(run->Byte("got", 3 + k), run->Byte("buf", k)) << k;
  EXPECT_EQ(run->Byte("got", 8), 0x5A) << "a random read through a second I2CStart";

  EXPECT_EQ(eeprom.AddressesRefused(), 1);
  EXPECT_EQ(eeprom.AddressesAcknowledged(), 9);
  EXPECT_EQ(eeprom.Starts(), 10);
  EXPECT_EQ(eeprom.Stops(), 7);
  // after every acknowledge the slave gives (22) and every one the master gives (6)
  EXPECT_EQ(eeprom.Stretches(), c.stretch_us > 0 ? 28 : 0);
  EXPECT_TRUE(eeprom.Violations().empty()) << eeprom.Violations().front();
  EXPECT_EQ(eeprom.Contention(), 0);
}

INSTANTIATE_TEST_SUITE_P(Devices, I2cOnEeprom, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<BusCase>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace qbc::test
