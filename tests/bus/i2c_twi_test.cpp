// The I2C statements on the chip's TWI unit, against a 24C02-like EEPROM that answers the
// simulator's TWI bus messages: what the slave saw, the bytes read back, the acknowledge
// each start and write returns in the carry, a missing slave and a unit that never ends
// its step; the bit rate the routines set, and their text in the I/O-space and the
// extended-I/O forms.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "compiler/library/comm/i2c_twi_routines.h"
#include "tests/support/basic_program.h"
#include "tests/support/twi_eeprom_model.h"

namespace qbc::test {
namespace {

struct TwiCase {
  const char* name;
  const char* device;
  const char* mcu;
  int mhz;
  int twbr;  // what the routines put in TWBR for 100 kHz
};

const TwiCase kCases[] = {
    {"m8_8MHz", "m8", "atmega8", 8, 32},           {"m8_16MHz", "m8", "atmega8", 16, 72},
    {"m88_8MHz", "m88", "atmega88", 8, 32},        {"m88_16MHz", "m88", "atmega88", 16, 72},
    {"m128_8MHz", "m128", "atmega128", 8, 32},     {"m128_16MHz", "m128", "atmega128", 16, 72},
    {"m2560_8MHz", "m2560", "atmega2560", 8, 32},  {"m2560_16MHz", "m2560", "atmega2560", 16, 72},
};

void PrintTo(const TwiCase& c, std::ostream* os) { *os << c.name; }

std::string Head(const std::string& device, int mhz) {
  return "$device = " + device + "\n$clock = " + std::to_string(mhz) + "\n$stack = 32\n$i2c twi , master\n";
}

// The data-space address of a register the device file names by its I/O address below 0x40.
std::uint32_t DataAddress(const SimRunner& sim, const char* reg) {
  const std::uint32_t a = sim.Symbol(reg).value_or(0);
  return a < 0x40 ? a + 0x20 : a;
}

class TwiOnEeprom : public testing::TestWithParam<TwiCase> {};

// SREG read right after a start or a write holds the acknowledge in its carry (bit 0).
TEST_P(TwiOnEeprom, WritesReadsAndAcknowledgesAsTheSlaveSawThem) {
  const TwiCase& c = GetParam();
  const std::string source = Head(c.device, c.mhz) +
                             "Dim Buf(6) As Byte , Got(9) As Byte , Cnt(2) As Byte , Ak(4) As Byte , Again As Byte , I As Byte , W As Word\n"
                             "W = 65535\n"
                             "For I = 0 To 5\nBuf(I) = I * 37\nBuf(I) = Buf(I) + 5\nNext\n"
                             "Cnt(1) = 5\n"
                             "I2CStart &HA0\nAk(0) = SREG\nI2CWrite &H10 ; &HC3 ; &H5A\nAk(1) = SREG\nI2CWrite 7\nI2CStop\n"
                             "I2CStart &HA0\nI2CWrite &H20\nI2CWrite Buf , Cnt(1)\nI2CStop\n"
                             "I2CStart &H50\nAk(2) = SREG\nI2CWrite 1\nAk(3) = SREG\nI2CStop\n"
                             "I2CStart &HA0\nI2CWrite &H10\n"
                             "For I = 0 To 1\nGot(I) = I2CRead , Ack\nNext\n"
                             "W = I2CRead , Nack\nI2CStop\n"
                             "I2CStart &HA1\nGot(2) = I2CRead , Nack\nAgain = I2CRead , Nack\nI2CStop\n"
                             "I2CStart &HA0\nI2CWrite &H20\n"
                             "For I = 3 To 6\nGot(I) = I2CRead , Ack\nNext\n"
                             "Got(7) = I2CRead , Nack\nI2CStop\n"
                             "I2CStart &HA0\nI2CWrite &H11\nI2CStart &HA1\nGot(8) = I2CRead , Nack\nI2CStop\n"
                             "End\n";
  TwiEepromModel eeprom;
  eeprom.Memory()[0x13] = 0x99;
  eeprom.Memory()[0x14] = 0x77;
  std::vector<int> twbr, twsr;
  SimOptions options{.mcu = c.mcu, .frequency = static_cast<uint32_t>(c.mhz) * 1000000u, .max_cycles = 2'000'000};
  auto run = RunBasicWith(source, options, {}, [&](SimRunner& sim) {
    eeprom.Attach(sim);
    sim.WatchWrites(DataAddress(sim, "TWBR"), [&](uint8_t v) { twbr.push_back(v); });
    sim.WatchWrites(DataAddress(sim, "TWSR"), [&](uint8_t v) { twsr.push_back(v & 3); });
  });
  ASSERT_TRUE(run->ok) << run->Diagnostics();

  std::vector<std::string> expected = {"S A0+", "W 10+", "W C3+", "W 5A+", "W 07+", "P", "S A0+", "W 20+"};
  for (int k = 0; k < 5; ++k) {
    char text[8];
    std::snprintf(text, sizeof text, "W %02X+", run->Byte("buf", k));
    expected.push_back(text);
  }
  const std::vector<std::string> rest = {
      "P",     "S 50-", "W 01-", "P",  // no slave at 0x50: the byte goes out unanswered
      "S A0+", "W 10+", "S A1+", "R C3+", "R 5A+", "R 07-", "P",
      "S A1+", "R 99-", "S A1+", "R 77-", "P"};
  expected.insert(expected.end(), rest.begin(), rest.end());
  expected.insert(expected.end(), {"S A0+", "W 20+", "S A1+"});
  for (int k = 0; k < 5; ++k) {
    char text[8];
    std::snprintf(text, sizeof text, "R %02X%c", run->Byte("buf", k), k < 4 ? '+' : '-');
    expected.push_back(text);
  }
  expected.insert(expected.end(), {"P", "S A0+", "W 11+", "S A1+", "R 5A-", "P"});
  EXPECT_EQ(eeprom.Log(), expected);
  EXPECT_TRUE(eeprom.Oddities().empty()) << eeprom.Oddities().front();

  EXPECT_EQ(eeprom.Memory()[0x10], 0xC3);
  EXPECT_EQ(eeprom.Memory()[0x11], 0x5A);
  EXPECT_EQ(eeprom.Memory()[0x12], 7);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(eeprom.Memory()[0x20 + k], run->Byte("buf", k)) << k;
  EXPECT_EQ(eeprom.Memory()[0x25], 0) << "the count's bytes only";

  EXPECT_EQ(run->Byte("got", 0), 0xC3);
  EXPECT_EQ(run->Byte("got", 1), 0x5A);
  EXPECT_EQ(run->Word("w"), 7) << "the byte read fills the whole word";
  EXPECT_EQ(run->Byte("got", 2), 0x99) << "the current address follows the last read";
  EXPECT_EQ(run->Byte("again", 0), 0x77) << "a read after the last one opens it again at the same address";
  for (int k = 0; k < 5; ++k) EXPECT_EQ(run->Byte("got", 3 + k), run->Byte("buf", k)) << k;
  EXPECT_EQ(run->Byte("got", 8), 0x5A) << "a random read through a second I2CStart";

  EXPECT_EQ(run->Byte("ak", 0) & 1, 0) << "address acknowledged";
  EXPECT_EQ(run->Byte("ak", 1) & 1, 0) << "data acknowledged";
  EXPECT_EQ(run->Byte("ak", 2) & 1, 1) << "no slave at the address";
  EXPECT_EQ(run->Byte("ak", 3) & 1, 1) << "a byte no one took";

  // one setting per I2CStart (8), none for the repeated starts of the reads
  ASSERT_EQ(twbr.size(), 8u);
  for (int v : twbr) EXPECT_EQ(v, c.twbr);
  for (int v : twsr) EXPECT_EQ(v, 0) << "no prescaler";
}

INSTANTIATE_TEST_SUITE_P(Devices, TwiOnEeprom, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TwiCase>& i) { return std::string(i.param.name); });

// Nothing on the bus, and a bus held low so that the unit never ends a step: the program
// goes on, each start and write returns no acknowledge and each read 255. Held, each of
// the five waits that cannot end (two starts, the repeated start, two stops) gives up
// after about 25 ms (200000 cycles at 8 MHz; simavr takes a little longer over the loop
// than the chip); the write and the reads after a failed start do not wait.
TEST(TwiWithoutSlave, NoAcknowledgeAndReadsOfAReleasedBus) {
  struct Case {
    const char* name;
    bool held;
    std::uint64_t min_cycles, max_cycles;
  };
  const Case cases[] = {
      {"empty bus", false, 0, 20'000},
      {"bus held low", true, 5 * 200'000, 5 * 240'000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string source = Head("m88", 8) + "Dim A(3) As Byte , B(2) As Byte\n"
                               "I2CStart &HA0\nA(0) = SREG\nI2CWrite 5\nA(1) = SREG\n"
                               "B(0) = I2CRead , Ack\nB(1) = I2CRead , Nack\nI2CStop\n"
                               "I2CStart &HA1\nA(2) = SREG\nI2CStop\nEnd\n";
    SimOptions options{.mcu = "atmega88", .frequency = 8'000'000, .max_cycles = 4'000'000};
    auto run = RunBasicWith(source, options, {}, [&](SimRunner& sim) {
      if (c.held) sim.HoldTwiBus();
    });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    for (int k = 0; k < 3; ++k) EXPECT_EQ(run->Byte("a", k) & 1, 1) << k;
    EXPECT_EQ(run->Byte("b", 0), 255);
    EXPECT_EQ(run->Byte("b", 1), 255);
    EXPECT_GE(run->sim->Cycles(), c.min_cycles);
    EXPECT_LE(run->sim->Cycles(), c.max_cycles);
  }
}

// simavr ends every TWI step about 1 us per bit later whatever TWBR holds, so the bit rate
// is checked here against the unit's formula: SCL = f / (16 + 2 * TWBR * 4^TWPS).
TEST(TwiBitRate, FastestRateNotAbove100kHz) {
  struct Case {
    double mhz;
    int twbr, twps;
  };
  const Case cases[] = {
      {1, 10, 0},        // 27.8 kHz: TWBR is kept at 10 at least
      {3.6864, 11, 0},   // 97 kHz: TWBR 10 would give 102 kHz
      {4, 12, 0},        {8, 32, 0},  {11.0592, 48, 0}, {16, 72, 0}, {20, 92, 0},
      {60, 73, 1},       // TWBR 292 does not fit: the prescaler divides by 4
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mhz);
    const double hz = c.mhz * 1e6;
    const TwiBitRate r = TwiBitRateFor(hz);
    EXPECT_EQ(r.twbr, c.twbr);
    EXPECT_EQ(r.twps, c.twps);
    auto scl = [&](int twbr, int twps) { return hz / (16.0 + 2.0 * twbr * std::pow(4.0, twps)); };
    EXPECT_LE(scl(r.twbr, r.twps), 100000.0);
    if (r.twbr > 10) {
      EXPECT_GT(scl(r.twbr - 1, r.twps), 100000.0) << "the fastest setting";
    }
  }
}

// The routines' text: in/out where the unit's registers lie in the I/O space (ATmega8),
// lds/sts where they are extended I/O (ATmega88); the bit rate and the waits' passes
// (about 25 ms in a loop of 6 to 8 cycles) follow the clock.
TEST(TwiRoutineText, IoAndExtendedIoForms) {
  struct Case {
    const char* device;
    int mhz;
    const char* block;
  };
  const Case cases[] = {
      {"m8", 8,
       ";////// I2cStart //////////////////////////\r\n"
       "_I2cS:\tsts\t\t_I2cAd,zl\r\n\t\tmov\t\tr21,zl\r\n\t\tandi\tr21,0x01\r\n\t\tsts\t\t_I2cRo,r21\r\n"
       "\t\tldi\t\tr21,0x20\r\n\t\tout\t\tTWBR,r21\r\n\t\tldi\t\tr21,0x00\r\n\t\tout\t\tTWSR,r21\r\n\r\n"
       ";////// I2cRepStart ///////////////////////\r\n"
       "_I2cRs:\tldi\t\tr21,(1<<TWINT)|(1<<TWSTA)|(1<<TWEN)\r\n\t\tout\t\tTWCR,r21\r\n\t\trcall\t_I2cT\r\n"
       "\t\tcpi\t\tr21,0x08\r\n\t\tbreq\t_I2cW\r\n\t\tcpi\t\tr21,0x10\r\n\t\tbrne\t_I2cNa\r\n\r\n"
       ";////// I2cWrite //////////////////////////\r\n"
       "_I2cW:\tin\t\tr21,TWCR\r\n\t\tsbrs\tr21,TWINT\r\n\t\trjmp\t_I2cNa\r\n\t\tout\t\tTWDR,zl\r\n"
       "\t\tldi\t\tr21,(1<<TWINT)|(1<<TWEN)\r\n\t\tout\t\tTWCR,r21\r\n\t\trcall\t_I2cT\r\n\r\n"
       ";////// I2cGetAck /////////////////////////\r\n"
       "_I2cGa:\tcpi\t\tr21,0x18\r\n\t\tbreq\t_I2cAk\r\n\t\tcpi\t\tr21,0x28\r\n\t\tbreq\t_I2cAk\r\n"
       "\t\tcpi\t\tr21,0x40\r\n\t\tbreq\t_I2cAk\r\n_I2cNa:\tsec\r\n\t\tret\r\n_I2cAk:\tclc\r\n\t\tret\r\n\r\n"
       ";////// I2cRead ///////////////////////////\r\n"
       "_I2cR:\trol\t\tr23\r\n\t\tlds\t\tr21,_I2cRo\r\n\t\ttst\t\tr21\r\n\t\tbrne\t_I2cR1\r\n"
       "\t\tlds\t\tzl,_I2cAd\r\n\t\tori\t\tzl,0x01\r\n\t\trcall\t_I2cRs\r\n\t\tldi\t\tr21,0x01\r\n"
       "\t\tsts\t\t_I2cRo,r21\r\n_I2cR1:\tin\t\tr21,TWCR\r\n\t\tsbrs\tr21,TWINT\r\n\t\trjmp\t_I2cRf\r\n"
       "\t\tin\t\tr21,TWSR\r\n\t\tandi\tr21,0xF8\r\n\t\tcpi\t\tr21,0x40\r\n\t\tbreq\t_I2cPa\r\n"
       "\t\tcpi\t\tr21,0x50\r\n\t\tbreq\t_I2cPa\r\n_I2cRf:\tldi\t\tzl,0xFF\r\n\t\trjmp\t_I2cPc\r\n\r\n"
       ";////// I2cPutAck /////////////////////////\r\n"
       "_I2cPa:\tldi\t\tr21,(1<<TWINT)|(1<<TWEA)|(1<<TWEN)\r\n\t\tsbrc\tr23,0\r\n"
       "\t\tldi\t\tr21,(1<<TWINT)|(1<<TWEN)\r\n\t\tout\t\tTWCR,r21\r\n\t\trcall\t_I2cT\r\n\t\tin\t\tzl,TWDR\r\n"
       "\t\tcpi\t\tr21,0x50\r\n\t\tbreq\t_I2cPc\r\n\t\tcpi\t\tr21,0x58\r\n\t\tbreq\t_I2cPc\r\n\t\tldi\t\tzl,0xFF\r\n"
       "_I2cPc:\tsbrs\tr23,0\r\n\t\tret\r\n\t\tclr\t\tr21\r\n\t\tsts\t\t_I2cRo,r21\r\n\t\tret\r\n\r\n"
       ";////// I2cStop ///////////////////////////\r\n"
       "_I2cSp:\tldi\t\tr21,(1<<TWINT)|(1<<TWSTO)|(1<<TWEN)\r\n\t\tout\t\tTWCR,r21\r\n\t\tpush\tr24\r\n"
       "\t\tpush\tr25\r\n\t\tldi\t\tr24,0x9C\r\n\t\tldi\t\tr25,0x6F\r\n_I2cSw:\tin\t\tr21,TWCR\r\n"
       "\t\tsbrs\tr21,TWSTO\r\n\t\trjmp\t_I2cT3\r\n\t\tsbiw\tr24,1\r\n\t\tbrne\t_I2cSw\r\n\t\tout\t\tTWCR,r24\r\n"
       "\t\trjmp\t_I2cT3\r\n\r\n"
       ";////// I2cWait ///////////////////////////\r\n"
       "_I2cT:\tpush\tr24\r\n\t\tpush\tr25\r\n\t\tldi\t\tr24,0x36\r\n\t\tldi\t\tr25,0x82\r\n"
       "_I2cT1:\tin\t\tr21,TWCR\r\n\t\tsbrc\tr21,TWINT\r\n\t\trjmp\t_I2cT2\r\n\t\tsbiw\tr24,1\r\n\t\tbrne\t_I2cT1\r\n"
       "\t\tout\t\tTWCR,r24\r\n\t\tclr\t\tr21\r\n\t\trjmp\t_I2cT3\r\n_I2cT2:\tin\t\tr21,TWSR\r\n\t\tandi\tr21,0xF8\r\n"
       "_I2cT3:\tpop\t\tr25\r\n\t\tpop\t\tr24\r\n\t\tret\r\n"},
      {"m88", 16, "\t\tldi\t\tr21,0x48\r\n\t\tsts\t\tTWBR,r21\r\n\t\tldi\t\tr21,0x00\r\n\t\tsts\t\tTWSR,r21\r\n"},
      {"m88", 16, "_I2cRs:\tldi\t\tr21,(1<<TWINT)|(1<<TWSTA)|(1<<TWEN)\r\n\t\tsts\t\tTWCR,r21\r\n"},
      {"m88", 16, "_I2cW:\tlds\t\tr21,TWCR\r\n\t\tsbrs\tr21,TWINT\r\n\t\trjmp\t_I2cNa\r\n\t\tsts\t\tTWDR,zl\r\n"},
      {"m88", 16, "_I2cR1:\tlds\t\tr21,TWCR\r\n\t\tsbrs\tr21,TWINT\r\n\t\trjmp\t_I2cRf\r\n\t\tlds\t\tr21,TWSR\r\n"},
      {"m88", 16, "\t\tsts\t\tTWCR,r21\r\n\t\trcall\t_I2cT\r\n\t\tlds\t\tzl,TWDR\r\n"},
      {"m88", 16, "\t\tldi\t\tr24,0x37\r\n\t\tldi\t\tr25,0xDF\r\n_I2cT1:\tlds\t\tr21,TWCR\r\n"},
      {"m88", 16, "\t\tbrne\t_I2cT1\r\n\t\tsts\t\tTWCR,r24\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " " + std::to_string(c.mhz));
    const auto compiled = CompileBasic(Head(c.device, c.mhz) + "I2CStop\nEnd\n");
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    EXPECT_NE(compiled.asm_text.find(c.block), std::string::npos) << compiled.asm_text;
  }
}

}  // namespace
}  // namespace qbc::test
