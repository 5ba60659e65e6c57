// The I2C statements as the compiler reads them: what is refused and where, and the
// address byte each form of I2CStart gives. What they do on the bus is proven against the
// pin-level EEPROM in i2c_bus_test.cpp.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const char* const kHead = "$device = m8\n$clock = 8\n$stack = 32\n";
const char* const kSoftware = "$i2c sda = portc.1 , scl = portc.0\n";

struct I2cError {
  const char* lines;  // after the head
  const char* message;
  int line;
};

// Without routines behind them the calls would reach the assembler as undefined labels
// (no $i2c) or as labels of routines that do nothing (USI and the slave forms).
TEST(I2cErrors, AreReportedAtTheirLine) {
  const I2cError cases[] = {
      {"I2CStart &HA0\n", "I2C is not configured!", 4},
      {"Dim B As Byte\nB = I2CRead , Ack\n", "I2C is not configured!", 5},
      {"I2CWrite 1\n", "I2C is not configured!", 4},
      {"I2CStop\n", "I2C is not configured!", 4},
      {"$i2c twi , master\nI2CStart &H1A0\n", "Must be from 0 to 255!", 5},
      {"$i2c usi , master\nI2CStop\n", "Not supported yet: I2C on USI", 5},
      {"$i2c twi , slave\nI2CWrite 1\n", "Not supported yet: I2C slave", 5},
      {"$i2c usi , slave\nI2CStop\n", "Not supported yet: I2C slave", 5},
      {"$i2c sda = portc.1 , scl = portc.0\nI2CStart 256\n", "Must be from 0 to 255!", 5},
      {"$i2c sda = portc.1 , scl = portc.0\nI2CStart &H1A0\n", "Must be from 0 to 255!", 5},
      {"$i2c sda = portc.1 , scl = portc.0\nDim B As Byte\nI2CStart B\n", "Must be constant!", 6},
      {"$i2c sda = portc.1 , scl = portc.0\nI2CStart &O17\n", "h for hex or b for bin!", 5},
      {"$i2c sda = portc.1 , scl = portc.0\nI2CWrite 5 , 6\n", "Only variable can be before comma!", 5},
      {"$i2c sda = portc.1 , scl = portc.0\nDim T(2) As Flash Byte\nI2CWrite T , 2\n", "Can not send a table in flash!", 6},
      {"$i2c sda = portc.1 , scl = portc.0\nDim B As Byte\nB = I2CRead , Last\n", "Ack or Nack!", 6},
  };
  for (const I2cError& c : cases) {
    const auto compiled = CompileBasic(std::string(kHead) + c.lines + "End\n");
    EXPECT_TRUE(compiled.StartsWithError(c.message, c.line)) << c.lines << compiled.report;
  }
}

TEST(I2cStart, EveryAddressFormGivesItsByte) {
  struct Case {
    const char* address;
    const char* byte;
  };
  const Case cases[] = {{"&HA0", "160"}, {"&B1010000", "80"}, {"Eeprom", "174"}, {"255", "255"}, {"0", "0"}};
  for (const Case& c : cases) {
    const auto compiled =
        CompileBasic(std::string(kHead) + kSoftware + "Const Eeprom = 174\nI2CStart " + c.address + "\nEnd\n");
    ASSERT_EQ(compiled.error_count, 0) << c.address << compiled.report;
    EXPECT_NE(compiled.asm_text.find(std::string("\t\tldi\t\tzl,byte1(") + c.byte + ")\r\n\t\trcall\t_I2cS\r\n"),
              std::string::npos)
        << c.address << compiled.asm_text;
  }
}

// A line named by another register of its port (PINC, DDRC, kept padded to five
// characters) drives the same port: the routines reach DDRC and PINC, not a "DDR " that
// only the assembler would refuse.
TEST(I2cPins, AnyRegisterOfThePortNamesItsLines) {
  const auto compiled = CompileBasic(std::string(kHead) + "$i2c sda = pinc.1 , scl = ddrc.0\nI2CStart &HA0\nEnd\n");
  ASSERT_EQ(compiled.error_count, 0) << compiled.report;
  const AsmResult assembled = AssembleAsmFile(compiled.asm_path);
  EXPECT_TRUE(assembled.ok) << assembled.output;
  EXPECT_NE(compiled.asm_text.find("\tsbi\t\tDDRC,1\r\n"), std::string::npos) << compiled.asm_text;
  EXPECT_NE(compiled.asm_text.find("\tsbis\tPINC,0\r\n"), std::string::npos) << compiled.asm_text;
}

}  // namespace
}  // namespace qbc::test
