// Enable and Disable of every interrupt source on the simulator: the source's enable bit,
// and no other, is set in the register the data sheet names, and Disable clears it again;
// the handlers of a timer overflow, a compare match and an external interrupt then run.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

struct SourceBit {
  const char* device;
  const char* word;
  std::uint32_t address;  // data address of the register
  int bit;
};

// Data addresses (I/O address + 0x20 in the I/O space) and bits from the data sheets.
const std::vector<SourceBit> kBits = {
    {"m8", "timer0", 0x59, 0},  {"m8", "counter1", 0x59, 2}, {"m8", "ovf2", 0x59, 6},    {"m8", "oc1a", 0x59, 4},
    {"m8", "oc1", 0x59, 4},     {"m8", "oc1b", 0x59, 3},     {"m8", "icp1", 0x59, 5},    {"m8", "oc2", 0x59, 7},
    {"m8", "cmp2", 0x59, 7},    {"m8", "int0", 0x5B, 6},     {"m8", "int1", 0x5B, 7},    {"m8", "urxc", 0x2A, 7},
    {"m8", "utxc", 0x2A, 6},    {"m8", "udre", 0x2A, 5},     {"m8", "adcc", 0x26, 3},    {"m8", "erdy", 0x3C, 3},
    {"m8", "eewr", 0x3C, 3},    {"m8", "aci", 0x28, 3},      {"m8", "spi", 0x2D, 7},     {"m8", "spmr", 0x57, 7},
    {"m8", "twi", 0x56, 0},
    {"m16", "timer0", 0x59, 0}, {"m16", "oc0", 0x59, 1},     {"m16", "cmp0", 0x59, 1},   {"m16", "int2", 0x5B, 5},
    {"m16", "timer2", 0x59, 6},  {"m16", "icp1", 0x59, 5},    {"m16", "oc2", 0x59, 7},    {"m16", "int1", 0x5B, 7},
    {"m16", "urxc", 0x2A, 7},   {"m16", "adcc", 0x26, 3},    {"m16", "spmr", 0x57, 7},   {"m16", "twi", 0x56, 0},
    {"m32", "oc0", 0x59, 1},    {"m32", "int2", 0x5B, 5},    {"m32", "udre", 0x2A, 5},   {"m88", "oc1b", 0x6F, 2},
    {"m88", "int1", 0x3D, 1},
    {"m168", "timer0", 0x6E, 0}, {"m168", "oc0", 0x6E, 1},   {"m168", "timer1", 0x6F, 0}, {"m168", "oc1a", 0x6F, 1},
    {"m168", "oc1b", 0x6F, 2},  {"m168", "icp1", 0x6F, 5},   {"m168", "timer2", 0x70, 0}, {"m168", "oc2", 0x70, 1},
    {"m168", "int0", 0x3D, 0},  {"m168", "int1", 0x3D, 1},   {"m168", "urxc0", 0xC1, 7}, {"m168", "udre", 0xC1, 5},
    {"m168", "adcc", 0x7A, 3},  {"m168", "erdy", 0x3F, 3},   {"m168", "aci", 0x50, 3},   {"m168", "spi", 0x4C, 7},
    {"m168", "spmr", 0x57, 7},  {"m168", "twi", 0xBC, 0},    {"m168", "wdt", 0x60, 6},
    {"m128", "timer0", 0x57, 0}, {"m128", "timer3", 0x7D, 2}, {"m128", "oc1c", 0x7D, 0}, {"m128", "oc3a", 0x7D, 4},
    {"m128", "oc3b", 0x7D, 3},  {"m128", "oc3c", 0x7D, 1},   {"m128", "icp3", 0x7D, 5},  {"m128", "int0", 0x59, 0},
    {"m128", "int4", 0x59, 4},  {"m128", "int7", 0x59, 7},   {"m128", "int2", 0x59, 2},  {"m128", "int5", 0x59, 5},
    {"m128", "timer1", 0x57, 2}, {"m128", "timer2", 0x57, 6}, {"m128", "oc1a", 0x57, 4}, {"m128", "oc1b", 0x57, 3},
    {"m128", "icp1", 0x57, 5},  {"m128", "oc0", 0x57, 1},    {"m128", "oc2", 0x57, 7},   {"m128", "utxc1", 0x9A, 6},
    {"m128", "adcc", 0x26, 3},  {"m128", "spmr", 0x68, 7},   {"m128", "urxc1", 0x9A, 7}, {"m128", "udre0", 0x2A, 5},
    {"m2560", "timer0", 0x6E, 0}, {"m2560", "timer3", 0x71, 0}, {"m2560", "counter5", 0x73, 0},
    {"m2560", "oc1c", 0x6F, 3}, {"m2560", "oc3b", 0x71, 2},  {"m2560", "icp3", 0x71, 5}, {"m2560", "oc4a", 0x72, 1},
    {"m2560", "oc4b", 0x72, 2}, {"m2560", "oc4c", 0x72, 3},  {"m2560", "oc5c", 0x73, 3}, {"m2560", "icp5", 0x73, 5},
    {"m2560", "int0", 0x3D, 0}, {"m2560", "int6", 0x3D, 6},  {"m2560", "utxc3", 0x131, 6}, {"m2560", "urxc2", 0xD1, 7},
    {"m2560", "wdt", 0x60, 6},  {"m2560", "timer1", 0x6F, 0}, {"m2560", "timer2", 0x70, 0}, {"m2560", "timer4", 0x72, 0},
    {"m2560", "oc1a", 0x6F, 1}, {"m2560", "oc1b", 0x6F, 2},  {"m2560", "oc0", 0x6E, 1},  {"m2560", "oc2", 0x70, 1},
    {"m2560", "oc3a", 0x71, 1}, {"m2560", "oc3c", 0x71, 3},  {"m2560", "icp4", 0x72, 5}, {"m2560", "oc5a", 0x73, 1},
    {"m2560", "oc5b", 0x73, 2}, {"m2560", "int7", 0x3D, 7},  {"m2560", "udre1", 0xC9, 5}, {"m2560", "adcc", 0x7A, 3},
    {"m2560", "aci", 0x50, 3},  {"m2560", "spi", 0x4C, 7},   {"m2560", "twi", 0xBC, 0},  {"m2560", "erdy", 0x3F, 3},
    // the tiny45's file did not name OCIE1A
    {"tn45", "oc1a", 0x59, 6},  {"tn85", "oc1a", 0x59, 6},   {"tn45", "oc1b", 0x59, 5},
    // the enable bit as the file names it for the vector: OCIE0A, ICIE1, WDTIE (the words
    // were refused where the names were not OCIE0, TICIE1, WDIE)
    {"tn85", "oc0", 0x59, 4},   {"tn2313", "oc0", 0x59, 0},  {"tn2313", "icp1", 0x59, 3}, {"tn13", "wdt", 0x41, 6},
    {"tn13", "oc0", 0x59, 2},   {"tn2313", "wdt", 0x41, 6},
};

std::string Header(const std::string& device) {
  return "$device = " + device + "\n$clock = 8\n$stack = 32\nDim B0 As Byte, B1 As Byte, B2 As Byte\n";
}

// The register's value before Enable, after it and after Disable, read by data address.
std::string ReadInto(const std::string& var, std::uint32_t address) {
  return "$asm\n  lds r16," + std::to_string(address) + "\n  sts " + var + ",r16\n$end asm\n";
}

TEST(InterruptSwitches, EachSourceSetsAndClearsItsOwnBit) {
  for (const SourceBit& s : kBits) {
    SCOPED_TRACE(std::string(s.device) + " " + s.word);
    const std::string program = Header(s.device) + ReadInto("b0", s.address) + "Enable " + s.word + "\n" +
                                ReadInto("b1", s.address) + "Disable " + s.word + "\n" + ReadInto("b2", s.address) +
                                "End\n";
    auto run = RunBasic(program, s.device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    const int before = run->Byte("b0");
    EXPECT_EQ(run->Byte("b1"), before | (1 << s.bit));
    EXPECT_EQ(run->Byte("b2"), before & ~(1 << s.bit));
  }
}

// A source the device does not have, and a word that names no source.
TEST(InterruptSwitches, MissingSourcesAndUnknownWordsAreReported) {
  struct Case {
    const char* device;
    const char* statement;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"m8", "Enable Timer3", "Unexisting feature!"},   {"m8", "Enable Oc0", "Unexisting feature!"},
      {"m8", "Enable Wdt", "Unexisting feature!"},      {"m8", "Disable Int2", "Unexisting feature!"},
      {"m16", "Enable Timer4", "Unexisting feature!"},  {"m168", "Enable Int2", "Unexisting feature!"},
      {"m168", "Disable Oc3a", "Unexisting feature!"},  {"m128", "Enable Wdt", "Unexisting feature!"},
      {"m8", "Enable Foo", "How to enable foo ?"},      {"m128", "Disable Int9", "How to disable int9 ?"},
      {"m8", "Enable Uart1", "Not second UART available!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " " + c.statement);
    std::string program = Header(c.device);
    if (std::string(c.statement).find("Uart") != std::string::npos) program += "$baud1 = 9600\n";
    auto compiled = CompileBasic(program + c.statement + "\nEnd\n");
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
    // A UART the device lacks is refused at its $baud line (line 5) already: the one error.
    EXPECT_TRUE(compiled.StartsWithError(c.message, 5)) << compiled.report;
  }
}

// Chips the simulator lacks, whose avra files did not name the bit though the chip has it:
// the build adds it (toolchain/definition_corrections.txt), and the source is switched.
TEST(InterruptSwitches, BitsTheAvraFilesLackAreSwitched) {
  struct Case {
    const char* device;
    const char* statement;
    const char* lines;
  };
  for (const Case c : {Case{"tn22", "Enable Int0", "in zl,GICR; sbr zl,0x40; out GICR,zl"},
                       Case{"tn22", "Disable Int0", "in zl,GICR; cbr zl,0x40; out GICR,zl"},
                       Case{"pwm2", "Enable Int3", "in zl,EIMSK; sbr zl,0x08; out EIMSK,zl"},
                       Case{"m161", "Enable Udre", "sbi UCSR0B,5"}, Case{"m161", "Disable Udre1", "cbi UCSR1B,5"},
                       Case{"m323", "Enable Spmr", "in zl,SPMCSR; sbr zl,0x80; out SPMCSR,zl"},
                       // the one compare of the AT90S4433's Timer1 (OC1, OCIE1), the tiny4313's
                       // OC0A and ICP1
                       Case{"4433", "Enable Oc1a", "in zl,TIMSK; sbr zl,0x40; out TIMSK,zl"},
                       Case{"4433", "Disable Oc1", "in zl,TIMSK; cbr zl,0x40; out TIMSK,zl"},
                       Case{"tn4313", "Enable Oc0", "in zl,TIMSK; sbr zl,0x01; out TIMSK,zl"},
                       Case{"tn2313a", "Enable Icp1", "in zl,TIMSK; sbr zl,0x08; out TIMSK,zl"},
                       Case{"tn13a", "Enable Wdt", "in zl,WDTCSR; sbr zl,0x40; out WDTCSR,zl"}}) {
    SCOPED_TRACE(std::string(c.device) + " " + c.statement);
    auto compiled = CompileBasic(Header(c.device) + c.statement + "\nEnd\n");
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    EXPECT_EQ(LinesOfSourceLine(compiled, 5), c.lines);
    const AsmResult assembled = AssembleAsmFile(compiled.asm_path);
    EXPECT_TRUE(assembled.ok) << assembled.output;
  }
  // The AT90S2313, 8515 and the other classic parts without an EEPROM-ready interrupt keep
  // refusing it, though avr-libc names its bit.
  for (const char* device : {"2313", "8515", "tn22"}) {
    SCOPED_TRACE(device);
    auto compiled = CompileBasic(Header(device) + "Enable Erdy\nEnd\n");
    EXPECT_TRUE(compiled.StartsWithError("Unexisting feature!", 5)) << compiled.report;
  }
}

TEST(InterruptSwitches, InterruptsSetsAndClearsTheGlobalFlag) {
  auto run = RunBasic(Header("m8") + "Enable Interrupts\n$asm\n  in r16,SREG\n  sts b0,r16\n$end asm\n"
                                     "Disable Interrupts\n$asm\n  in r16,SREG\n  sts b1,r16\n$end asm\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b0") & 0x80, 0x80);
  EXPECT_EQ(run->Byte("b1") & 0x80, 0);
}

// The handlers of the switched sources run: Timer0 overflows, Timer1 matches OCR1A, and
// INT0 sees the program's own edge on its pin.
TEST(InterruptSwitches, HandlersOfSwitchedSourcesRun) {
  struct Case {
    const char* device;
    const char* setup;  // Timer0 and Timer1 run from the clock, OCR1A = 100, INT0 on any change
    int pin;            // INT0's pin of port D
  };
  const std::vector<Case> cases = {
      {"m8", "  ldi r16,1\n  out TCCR0,r16\n  out TCCR1B,r16\n  ldi r16,100\n  out OCR1AL,r16\n"
             "  ldi r16,1\n  out MCUCR,r16\n", 2},
      {"m168", "  ldi r16,1\n  out TCCR0B,r16\n  sts TCCR1B,r16\n  ldi r16,100\n  sts OCR1AL,r16\n"
               "  ldi r16,1\n  sts EICRA,r16\n", 2},
      {"m128", "  ldi r16,1\n  out TCCR0,r16\n  out TCCR1B,r16\n  ldi r16,100\n  out OCR1AL,r16\n"
               "  ldi r16,1\n  sts EICRA,r16\n", 0},
      {"m2560", "  ldi r16,1\n  out TCCR0B,r16\n  sts TCCR1B,r16\n  ldi r16,100\n  sts OCR1AL,r16\n"
                "  ldi r16,1\n  sts EICRA,r16\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    const std::string pin = "PORTD," + std::to_string(c.pin);
    std::string p = Header(c.device) + "Declare Interrupt Ovf0()\nDeclare Interrupt Oc1a()\nDeclare Interrupt Int0()\n";
    p += "B0 = 0\nB1 = 0\nB2 = 0\n$asm\n" + std::string(c.setup) + "  sbi DDRD," + std::to_string(c.pin) + "\n$end asm\n";
    p += "Enable Ovf0\nEnable Oc1a\nEnable Int0\nEnable Interrupts\n";
    p += "$asm\n  sbi " + pin + "\n$end asm\n";
    p += "While B0 < 3\nWend\nWhile B1 = 0\nWend\nDisable Interrupts\nEnd\n";
    p += "Interrupt Ovf0()\n  B0 = B0 + 1\nEnd Interrupt\n";
    p += "Interrupt Oc1a()\n  B1 = B1 + 1\nEnd Interrupt\n";
    p += "Interrupt Int0()\n  B2 = B2 + 1\nEnd Interrupt\n";
    auto run = RunBasic(p, c.device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_GT(run->Byte("b0"), 2);
    EXPECT_GT(run->Byte("b1"), 0);
    EXPECT_EQ(run->Byte("b2"), 1);
  }
}

// UART 0 and 1 are switched by their control register: receiver and transmitter on, then
// off; a UART whose rate was never set is left alone.
TEST(InterruptSwitches, UartsAreSwitchedInTheirControlRegister) {
  struct Case {
    const char* device;
    const char* word;
    std::uint32_t address;
  };
  const std::vector<Case> cases = {{"m8", "Uart", 0x2A},     {"m168", "Uart0", 0xC1}, {"m2560", "Uart0", 0xC1},
                                   {"m2560", "Uart1", 0xC9}, {"m128", "Uart1", 0x9A}, {"m2560", "Uart3", 0x131}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " " + c.word);
    const std::string w = c.word;
    const std::string n = w.size() == 5 ? w.substr(4) : "";
    const std::string program = Header(c.device) + "$baud" + n + " = 9600\n" + "Disable " + w + "\n" +
                                ReadInto("b0", c.address) + "Enable " + w + "\n" + ReadInto("b1", c.address) +
                                "Disable " + w + "\n" + ReadInto("b2", c.address) + "End\n";
    auto run = RunBasic(program, c.device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("b0"), 0x00);
    EXPECT_EQ(run->Byte("b1"), 0x18);
    EXPECT_EQ(run->Byte("b2"), 0x00);
  }
}

}  // namespace
}  // namespace qbc::test
