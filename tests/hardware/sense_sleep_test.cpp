// External interrupt senses counted from the program's own edges on the interrupt pin,
// the comparator's sense bits, and the sleep modes: the mode bits read back and Idle woken
// by a timer overflow.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Header(const std::string& device) {
  return "$device = " + device + "\n$clock = 8\n$stack = 40\nDim Cnt As Byte, B0 As Byte, B1 As Byte\n";
}

struct Pin {
  const char* device;
  int interrupt;
  const char* port;  // the pin of the interrupt, driven by the program
  int bit;
};

// The pin starts high and goes low, high, low, high: two falling and two rising edges.
// A low level is answered by the handler, which drives the pin high again.
std::string EdgeProgram(const Pin& pin, const std::string& sense) {
  const std::string n = std::to_string(pin.interrupt);
  const std::string bit = std::string(pin.port) + "," + std::to_string(pin.bit);
  std::string p = Header(pin.device) + "Declare Interrupt Int" + n + "()\n";
  p += "$asm\n  sbi PORT" + bit + "\n  sbi DDR" + bit + "\n$end asm\n";
  p += "Int" + n + " " + sense + "\nReset Int" + n + "\nCnt = 0\nEnable Int" + n + "\nEnable Interrupts\n";
  for (int k = 0; k < 2; ++k)
    p += "$asm\n  cbi PORT" + bit + "\n$end asm\nWaitUs 50\n$asm\n  sbi PORT" + bit + "\n$end asm\nWaitUs 50\n";
  p += "Disable Interrupts\nEnd\n";
  p += "Interrupt Int" + n + "()\n  Cnt = Cnt + 1\n";
  if (sense == "Low") p += "$asm\n  sbi PORT" + bit + "\n$end asm\n";
  p += "End Interrupt\n";
  return p;
}

TEST(InterruptSense, EachSenseWordCountsItsEdges) {
  struct Sense {
    const char* word;
    int count;
  };
  const std::vector<Sense> senses = {{"Rising", 2}, {"Falling", 2}, {"Toggle", 4}, {"Low", 2}};
  const std::vector<Pin> pins = {{"m8", 0, "D", 2}, {"m8", 1, "D", 3}, {"m168", 0, "D", 2},
                                 {"m168", 1, "D", 3}, {"m2560", 4, "E", 4}, {"m128", 5, "E", 5}};
  for (const Pin& pin : pins) {
    for (const Sense& s : senses) {
      SCOPED_TRACE(std::string(pin.device) + " Int" + std::to_string(pin.interrupt) + " " + s.word);
      auto run = RunBasic(EdgeProgram(pin, s.word), pin.device);
      ASSERT_TRUE(run->ok) << run->Diagnostics();
      EXPECT_EQ(run->Byte("cnt"), s.count);
    }
  }
}

// Int2 of the m16 senses edges only; the newer megas have no INT2 sense.
TEST(InterruptSense, SensesTheDeviceLacksAreReported) {
  struct Case {
    const char* device;
    const char* statement;
    const char* message;
  };
  for (const Case c : {Case{"m16", "Int2 Low", "Operation not possible!"},
                       Case{"m168", "Int2 Rising", "Interrupt not supported!"},
                       Case{"m8", "Int4 Falling", "Interrupt not supported!"},
                       Case{"m8", "Ac Low", "Operation not possible!"}}) {
    SCOPED_TRACE(std::string(c.device) + " " + c.statement);
    auto compiled = CompileBasic(Header(c.device) + c.statement + "\nEnd\n");
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError(c.message, 5)) << compiled.report;
  }
}

// The sense bits themselves: INT2 of the m16 in MCUCSR, the comparator's ACIS1:ACIS0.
TEST(InterruptSense, SenseBitsReadBack) {
  auto run = RunBasic(Header("m16") + "Int2 Rising\n$asm\n  in r16,MCUCSR\n  sts b0,r16\n$end asm\n"
                                      "Ac Falling\n$asm\n  in r16,ACSR\n  sts b1,r16\n$end asm\n"
                                      "Ac Toggle\n$asm\n  in r16,ACSR\n  sts cnt,r16\n$end asm\nEnd\n",
                      "m16");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b0") & 0x40, 0x40);
  EXPECT_EQ(run->Byte("b1") & 0x03, 0x02);
  EXPECT_EQ(run->Byte("cnt") & 0x03, 0x00);
}

// Idle sleeps until Timer0 overflows; the sleep register then holds the mode and the
// sleep-enable bit.
TEST(SleepModes, IdleWakesOnATimerOverflow) {
  struct Case {
    const char* device;
    const char* reg;
    int mask;   // the sleep bits of the register
    int value;  // idle, sleep enabled
  };
  for (const Case c : {Case{"m8", "MCUCR", 0xF0, 0x80}, Case{"m168", "SMCR", 0x0F, 0x01},
                       Case{"m128", "MCUCR", 0x3C, 0x20}, Case{"m2560", "SMCR", 0x0F, 0x01}}) {
    SCOPED_TRACE(c.device);
    std::string p = Header(c.device) + "Declare Interrupt Ovf0()\n$timer0 = timer, prescale = 8\n";
    p += "Cnt = 0\nEnable Ovf0\nEnable Interrupts\nStart Timer0\nIdle\n";
    p += std::string("$asm\n  in r16,") + c.reg + "\n  sts b0,r16\n$end asm\nB1 = Cnt\nDisable Interrupts\nEnd\n";
    p += "Interrupt Ovf0()\n  Cnt = Cnt + 1\nEnd Interrupt\n";
    auto run = RunBasic(p, c.device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("b1"), 1);
    EXPECT_EQ(run->Byte("b0") & c.mask, c.value);
  }
}

TEST(SleepModes, EachModeSelectsItsBits) {
  struct Case {
    const char* device;
    const char* statement;
    const char* reg;
    int mask;
    int value;
  };
  // Interrupts stay off: the run stops at the sleep with the register written.
  for (const Case c : {Case{"m8", "PowerDown", "MCUCR", 0xF0, 0xA0}, Case{"m8", "Standby", "MCUCR", 0xF0, 0xE0},
                       Case{"m16", "ExtStandby", "MCUCR", 0xF0, 0xF0}, Case{"m88", "PowerSave", "SMCR", 0x0F, 0x07},
                       Case{"m128", "ExtStandby", "MCUCR", 0x3C, 0x3C}, Case{"m2560", "Standby", "SMCR", 0x0F, 0x0D}}) {
    SCOPED_TRACE(std::string(c.device) + " " + c.statement);
    auto compiled = CompileBasic(Header(c.device) + c.statement + "\nEnd\n");
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    auto run = RunBasic(Header(c.device) + c.statement + "\nEnd\n", c.device);
    EXPECT_EQ(run->stop, SimStop::SleepInterruptsOff) << run->Diagnostics();
    ASSERT_NE(run->sim, nullptr);
    const std::uint32_t address = std::string(c.reg) == "SMCR" ? 0x53 : 0x55;
    EXPECT_EQ(run->sim->Sram(address) & c.mask, c.value);
  }
}

TEST(SleepModes, ModesTheDeviceLacksAreReported) {
  // the m8515 has no asynchronous timer: no power-save mode (SM2..0 = 011 is reserved); the
  // AT90S8535's standby would have been idle; the tiny85 has two modes
  for (const auto& [device, mode] : std::vector<std::pair<const char*, const char*>>{
           {"m8", "ExtStandby"}, {"m168", "ExtStandby"}, {"m8515", "PowerSave"}, {"8535", "Standby"},
           {"tn85", "PowerSave"}, {"tn85", "Standby"}, {"tn48", "PowerSave"}}) {
    SCOPED_TRACE(std::string(device) + " " + mode);
    auto compiled = CompileBasic(Header(device) + mode + "\nEnd\n");
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError("Invalid PowerMode!", 5)) << compiled.report;
  }
}

// The sleep bits go to the register the device file puts them in, and only they change:
// the m328p keeps them in SMCR (MCUCR holds PUD, the pull-ups' switch), the tinies in
// MCUCR beside PUD, and each chip has the modes its file lists (the m328p's power-save and
// standby too). The program first sets every other bit of MCUCR it may: they stay.
TEST(SleepModes, TheBitsLieWhereTheDeviceFileSaysAndNothingElseChanges) {
  struct Case {
    const char* device;
    const char* statement;
    std::uint32_t sleepReg;  // data address
    int mask;                // the sleep bits there
    int value;               // the mode, sleep enabled
    int mcucrOther;          // MCUCR bits set before (in SMCR's case, checked unchanged)
  };
  for (const Case c : {Case{"m328p", "PowerDown", 0x53, 0x0F, 0x05, 0x10}, Case{"m328p", "PowerSave", 0x53, 0x0F, 0x07, 0x10},
                       Case{"m328p", "Standby", 0x53, 0x0F, 0x0D, 0x10}, Case{"m328p", "ExtStandby", 0x53, 0x0F, 0x0F, 0x10},
                       Case{"tn85", "PowerDown", 0x55, 0x38, 0x30, 0x43}, Case{"tn85", "Idle", 0x55, 0x38, 0x20, 0x43},
                       Case{"tn24", "Standby", 0x55, 0x38, 0x38, 0x43}, Case{"tn13", "PowerDown", 0x55, 0x38, 0x30, 0x43},
                       Case{"tn2313", "Standby", 0x55, 0x70, 0x60, 0x8F}, Case{"tn2313", "PowerDown", 0x55, 0x70, 0x30, 0x8F}}) {
    SCOPED_TRACE(std::string(c.device) + " " + c.statement);
    const std::string set = "$asm\n  ldi r16," + std::to_string(c.mcucrOther) + "\n  out MCUCR,r16\n$end asm\n";
    auto run = RunBasic(Header(c.device) + set + c.statement + "\nEnd\n", c.device);
    EXPECT_EQ(run->stop, SimStop::SleepInterruptsOff) << run->Diagnostics();
    ASSERT_NE(run->sim, nullptr);
    EXPECT_EQ(run->sim->Sram(c.sleepReg) & c.mask, c.value);
    if (c.sleepReg == 0x55)
      EXPECT_EQ(run->sim->Sram(0x55) & ~c.mask & 0xFF, c.mcucrOther);
    else
      EXPECT_EQ(run->sim->Sram(0x55), c.mcucrOther);
  }
}

// Chips the simulator lacks, by their lines: SMCR on the m165 family and the AT90PWM2 (the
// m165 wrote 0x30 into MCUCR), MCUCR with SE at bit 6 on the m163 and the AT90S4434 (which
// set SM1 and no SE), and the m162, which keeps SM2 in MCUCSR and SM0 in EMCUCR.
TEST(SleepModes, EachChipWritesItsOwnSleepBits) {
  struct Case {
    const char* device;
    const char* statement;
    const char* lines;
  };
  for (const Case c : {Case{"m165", "PowerDown", "ldi zl,5; out SMCR,zl; sleep"},
                       Case{"m169", "Standby", "ldi zl,13; out SMCR,zl; sleep"},
                       Case{"pwm2", "Standby", "ldi zl,13; out SMCR,zl; sleep"},
                       Case{"m406", "PowerSave", "ldi zl,7; out SMCR,zl; sleep"},
                       Case{"m163", "Idle", "in zl,MCUCR; andi zl,143; ori zl,64; out MCUCR,zl; sleep"},
                       Case{"4434", "PowerSave", "in zl,MCUCR; andi zl,143; ori zl,112; out MCUCR,zl; sleep"},
                       Case{"m162", "Standby",
                            "in zl,MCUCR; andi zl,207; ori zl,48; in r24,MCUCSR; ori r24,32; out MCUCSR,r24; "
                            "in r24,EMCUCR; andi r24,127; out EMCUCR,r24; out MCUCR,zl; sleep"}}) {
    SCOPED_TRACE(std::string(c.device) + " " + c.statement);
    auto compiled = CompileBasic(Header(c.device) + c.statement + "\nEnd\n");
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    EXPECT_EQ(LinesOfSourceLine(compiled, 5), c.lines);
  }
}

}  // namespace
}  // namespace qbc::test
