// External interrupt senses counted from the program's own edges on the interrupt pin,
// the comparator's sense bits, and the sleep modes: the mode bits read back and Idle woken
// by a timer overflow.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
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
  for (const char* device : {"m8", "m168"}) {
    SCOPED_TRACE(device);
    auto compiled = CompileBasic(Header(device) + "ExtStandby\nEnd\n");
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError("Invalid PowerMode!", 5)) << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
