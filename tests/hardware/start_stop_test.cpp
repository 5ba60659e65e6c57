// Start and Stop on the simulator: a timer's clock-select bits after a reconfiguration,
// Stop in the register Start writes, the converter's prescaler at several clocks, the
// comparator and converter switches beyond the bit instructions' reach, and the watchdog.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Header(const std::string& device, const std::string& clock = "8") {
  return "$device = " + device + "\n$clock = " + clock + "\n$stack = 32\nDim B0 As Byte, B1 As Byte, B2 As Byte\n";
}

std::string ReadInto(const std::string& var, std::uint32_t address) {
  return "$asm\n  lds r16," + std::to_string(address) + "\n  sts " + var + ",r16\n$end asm\n";
}

// A Start after a new $timer line selects the new prescaler and mode alone, and the timer
// counts at that rate.
TEST(StartStop, StartAfterReconfigurationSelectsTheNewClock) {
  struct Case {
    const char* device;
    std::uint32_t control;  // data address of the clock-select register of timer 1
  };
  for (const Case c : {Case{"m8", 0x4E}, Case{"m168", 0x81}}) {
    SCOPED_TRACE(c.device);
    auto run = RunBasic(Header(c.device) + "Dim W As Word\n$timer1 = timer, prescale = 64, clear\nStart Timer1\n" +
                            ReadInto("b0", c.control) + "$timer1 = timer, prescale = 8\nStart Timer1\n" +
                            ReadInto("b1", c.control) + "Timer1 = 0\nWaitUs 100\nW = Timer1\n" + "Stop Timer1\n" +
                            ReadInto("b2", c.control) + "End\n",
                        c.device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("b0") & 0x0F, 0x0B);  // CTC, clock / 64
    EXPECT_EQ(run->Byte("b1") & 0x0F, 0x02);  // normal, clock / 8
    EXPECT_EQ(run->Byte("b2") & 7, 0);
    // 100 us at 8 MHz with a prescaler of 8: about 100 counts (64 would give about 12).
    EXPECT_GE(run->Word("w"), 95);
    EXPECT_LE(run->Word("w"), 120);
  }
}

// Each timer counts at the division asked for, with the clock-select code of its own
// prescaler (read from the device file): Timers 3 to 5 of the ATmega2560 take the system
// prescaler's codes 1 to 5 (code 7 would count edges of the T5 pin), its Timer2 the
// asynchronous timer's seven.
TEST(StartStop, EveryTimerCountsAtItsPrescaler) {
  struct Case {
    const char* device;
    const char* mcu;
    int timer;
    int prescale;
    int ms;  // short enough for an 8-bit count not to wrap
  };
  const Case cases[] = {{"m2560", "atmega2560", 5, 1024, 20}, {"m2560", "atmega2560", 3, 256, 20},
                        {"m2560", "atmega2560", 4, 64, 20},   {"m2560", "atmega2560", 2, 128, 2}};
  for (const Case& c : cases) {
    const std::string t = std::to_string(c.timer);
    SCOPED_TRACE(std::string(c.device) + " Timer" + t + " / " + std::to_string(c.prescale));
    auto run = RunBasic(Header(c.device) + "Dim W As Word\n$timer" + t + " = timer, prescale = " +
                            std::to_string(c.prescale) + "\nTimer" + t + " = 0\nStart Timer" + t + "\nWaitms " +
                            std::to_string(c.ms) + "\nW = Timer" + t + "\nEnd\n",
                        c.mcu, 1'000'000);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    const double expected = c.ms * 1e-3 * 8e6 / c.prescale;
    EXPECT_GE(run->Word("w"), expected * 0.95);
    EXPECT_LE(run->Word("w"), expected * 1.1 + 2);
  }
}

// On the chips whose Timer0 selects its clock in TCCR0A (their device files name no TCCR0B)
// every writer of Timer0's clock writes there: Start and Stop, the RC5 receiver, the
// software UART of $com1 and Baud #1 changing its rate.
TEST(StartStop, Timer0ClockSelectInTccr0a) {
  for (const char* device : {"m165", "m169", "m325", "m329", "m3250", "m3290", "m649", "tn48", "tn88"}) {
    SCOPED_TRACE(device);
    for (const std::string& body :
         {std::string("$timer0 = timer, prescale = 64\nStart Timer0\nStop Timer0\n"),
          std::string("$rc5 = pinb.1\nDim A As Byte, C As Byte\nRc5(A, C)\n"),
          std::string("$com1 = portb.1, 9600\nBaud #1 = 4800\nPrintBin #1, 65\n")}) {
      SCOPED_TRACE(body);
      const auto compiled = CompileBasic(Header(device) + body + "End\n");
      ASSERT_EQ(compiled.error_count, 0) << compiled.report;
      const AsmResult assembled = AssembleAsmFile(compiled.asm_path);
      EXPECT_TRUE(assembled.ok) << assembled.output;
      EXPECT_NE(compiled.asm_text.find("TCCR0A"), std::string::npos);
    }
  }
}

// Timer1 of the tiny25/45/85 divides by powers of two (CS13..CS10, code k + 1 for CK / 2^k):
// Start writes the code of the prescaler asked for, "clear" sets CTC1 (bit 7) and leaves
// the select alone, and Stop clears all four select bits. (The simulator counts this timer
// at one rate whatever its select, so the register is what shows here.)
TEST(StartStop, PowerOfTwoPrescalerOfTheTinyTimer1) {
  struct Case {
    const char* device;
    const char* options;
    int control;  // TCCR1 after Start
  };
  const Case cases[] = {
      {"tn45", "prescale = 8", 0x04},      {"tn45", "prescale = 64", 0x07},       {"tn85", "prescale = 256", 0x09},
      {"tn25", "prescale = 1024", 0x0B},   {"tn45", "prescale = 2", 0x02},        {"tn85", "prescale = 16384", 0x0F},
      {"tn45", "prescale = 1024, clear", 0x8B}, {"tn45", "prescale = 8, clear", 0x84}, {"tn85", "prescale = 1", 0x01},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " " + c.options);
    // TCCR1 at data address 0x50; a select of 1024 set before must not mix with the new one.
    auto run = RunBasic(Header(c.device) + "$timer1 = timer, prescale = 1024\nStart Timer1\n$timer1 = timer, " +
                            c.options + "\nStart Timer1\n" + ReadInto("b0", 0x50) + "Stop Timer1\n" + ReadInto("b1", 0x50) +
                            "End\n",
                        c.device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("b0"), c.control);
    EXPECT_EQ(run->Byte("b1"), c.control & 0x80);
  }
}

// Timer 0 of the newer megas keeps its clock in TCCR0B; Stop must clear it there and leave
// the waveform bits of TCCR0A alone.
TEST(StartStop, StopClearsTheClockWhereStartSetIt) {
  auto run = RunBasic(Header("m88") + "$timer0 = fastpwm, pwma = normal\nStart Timer0\n" + ReadInto("b0", 0x45) +
                          "Stop Counter0\n" + ReadInto("b1", 0x45) + ReadInto("b2", 0x44) + "End\n",
                      "m88");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_NE(run->Byte("b0") & 7, 0);
  EXPECT_EQ(run->Byte("b1") & 7, 0);
  EXPECT_EQ(run->Byte("b2") & 0x83, 0x83);  // fast PWM, output A connected
}

TEST(StartStop, ConverterClockStaysNearItsRangeAtEveryCrystal) {
  struct Case {
    const char* clock;
    int code;  // prescaler code: the clock divided by 2^code
  };
  for (const Case c : {Case{"1", 3}, Case{"8", 6}, Case{"16", 7}, Case{"20", 7}}) {
    for (const char* device : {"m8", "m168"}) {
      SCOPED_TRACE(std::string(device) + " at " + c.clock + " MHz");
      const std::uint32_t adcsra = std::string(device) == "m8" ? 0x26 : 0x7A;
      auto run = RunBasic(Header(device, c.clock) + "Start Adc\n" + ReadInto("b0", adcsra) + "Stop Adc\n" +
                              ReadInto("b1", adcsra) + "End\n",
                          device);
      ASSERT_TRUE(run->ok) << run->Diagnostics();
      EXPECT_EQ(run->Byte("b0") & 0x87, 0x80 | c.code);
      EXPECT_EQ(run->Byte("b1") & 0x80, 0);
    }
  }
}

// Timer2 of the m165 and m169 has one control register, TCCR2A: Start and Stop select its
// clock there (they wrote TCCR2B, reserved on these chips, and the timer never ran).
TEST(StartStop, TheClockOfTimer2IsSelectedInItsOnlyControlRegister) {
  for (const char* device : {"m165", "m169"}) {
    SCOPED_TRACE(device);
    auto compiled = CompileBasic(Header(device) + "$timer2 = timer, prescale = 64\nStart Timer2\nStop Timer2\nEnd\n");
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    EXPECT_EQ(compiled.asm_text.find("TCCR2B"), std::string::npos);
    std::size_t writes = 0;
    for (auto at = compiled.asm_text.find("sts\t\tTCCR2A,zl"); at != std::string::npos;
         at = compiled.asm_text.find("sts\t\tTCCR2A,zl", at + 1))
      ++writes;
    EXPECT_EQ(writes, 2u) << compiled.asm_text;
  }
}

// The reference bits of ADMUX (REFS1:REFS0 at bits 7:6): external, internal, AVCC.
TEST(StartStop, ConverterReferenceIsChosen) {
  struct Case {
    const char* device;
    const char* word;
    std::uint32_t admux;
    int bits;
  };
  for (const Case c : {Case{"m8", "Ext", 0x27, 0x00}, Case{"m8", "Int", 0x27, 0xC0}, Case{"m8", "Vcc", 0x27, 0x40},
                       Case{"m168", "Int", 0x7C, 0xC0}, Case{"m168", "Vcc", 0x7C, 0x40}}) {
    SCOPED_TRACE(std::string(c.device) + " " + c.word);
    auto run = RunBasic(Header(c.device) + "Start Adc, Vref = " + c.word + "\n" + ReadInto("b0", c.admux) + "End\n",
                        c.device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("b0") & 0xC0, c.bits);
  }
  auto compiled = CompileBasic(Header("m8") + "Start Adc, Vref = Low\nEnd\n");
  EXPECT_EQ(compiled.error_count, 1) << compiled.report;
  EXPECT_TRUE(compiled.StartsWithError("Ext, Int or Vcc!", 5)) << compiled.report;
}

// The tinies lay their reference bits out otherwise: REFS1:0 = 10 is the internal reference
// of the tiny24/44/84, REFS2:0 = 010 that of the tiny25/45/85 (11 and 011 are reserved or
// another reference there), 01 the AREF pin; the tiny13 has only REFS0 (1: internal).
TEST(StartStop, ConverterReferenceBitsAreTheChipsOwn) {
  struct Case {
    const char* device;
    const char* word;
    int bits;  // REFS2 (bit 4), REFS1, REFS0 (bits 7, 6)
  };
  for (const Case c : {Case{"tn85", "Int", 0x80}, Case{"tn85", "Ext", 0x40}, Case{"tn85", "Vcc", 0x00},
                       Case{"tn45", "Int", 0x80}, Case{"tn24", "Int", 0x80}, Case{"tn44", "Ext", 0x40},
                       Case{"tn84", "Vcc", 0x00}, Case{"tn13", "Int", 0x40}, Case{"tn13", "Vcc", 0x00}}) {
    SCOPED_TRACE(std::string(c.device) + " " + c.word);
    auto run = RunBasic(Header(c.device) + "Start Adc, Vref = " + c.word + "\n" + ReadInto("b0", 0x27) + "End\n", c.device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("b0") & 0xD0, c.bits);
  }
  // A reference the chip lacks is refused at its line: the tiny13 and tiny48 have no AREF
  // pin, the AT90S8535 only that one.
  for (const auto& [device, word] : std::vector<std::pair<const char*, const char*>>{
           {"tn13", "Ext"}, {"tn48", "Ext"}, {"8535", "Int"}, {"8535", "Vcc"}, {"m103", "Int"}}) {
    SCOPED_TRACE(std::string(device) + " " + word);
    auto refused = CompileBasic(Header(device) + "Start Adc, Vref = " + word + "\nEnd\n");
    EXPECT_EQ(refused.error_count, 1) << refused.report;
    EXPECT_TRUE(refused.StartsWithError("Unexisting feature!", 5)) << refused.report;
  }
  // The tiny48/88 select AVCC with REFS0 set and the internal reference with it clear.
  for (const auto& [word, value] : std::vector<std::pair<const char*, const char*>>{{"Vcc", "64"}, {"Int", "0"}}) {
    auto tn88 = CompileBasic(Header("tn88") + "Start Adc, Vref = " + word + "\nEnd\n");
    ASSERT_EQ(tn88.error_count, 0) << tn88.report;
    EXPECT_NE(tn88.asm_text.find(std::string("ldi\t\tzl,") + value + "\r\n\t\tsts\t\tADMUX,zl"), std::string::npos)
        << word << "\n" << tn88.asm_text;
  }
}

// ACSR lies at I/O 0x30 on the newer megas, out of reach of sbi/cbi.
TEST(StartStop, ComparatorIsSwitchedByItsDisableBit) {
  for (const char* device : {"m8", "m168"}) {
    SCOPED_TRACE(device);
    const std::uint32_t acsr = std::string(device) == "m8" ? 0x28 : 0x50;
    auto run = RunBasic(Header(device) + "Stop Ac\n" + ReadInto("b0", acsr) + "Start Ac\n" + ReadInto("b1", acsr) +
                            "End\n",
                        device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("b0") & 0x80, 0x80);
    EXPECT_EQ(run->Byte("b1") & 0x80, 0);
  }
}

// Started, the watchdog resets the chip (the reset flag tells the restarted program);
// stopped in time, it does not.
TEST(StartStop, WatchdogResetsTheChipUnlessStopped) {
  struct Case {
    const char* device;
    const char* flags;  // the register with the reset flags
  };
  for (const Case c : {Case{"m8", "MCUCSR"}, Case{"m168", "MCUSR"}}) {
    for (const bool stop : {false, true}) {
      SCOPED_TRACE(std::string(c.device) + (stop ? " stopped" : " running"));
      std::string p = Header(c.device) + "$asm\n  in r16," + c.flags + "\n  sts b0,r16\n$end asm\n";
      p += "If B0.3 = 1 Then\n  Stop Watchdog\n  B1 = 1\n  End\nEnd If\n";
      p += "B1 = 0\nStart Watchdog\n";
      if (stop) p += "Stop Watchdog\n";
      p += "WaitMs 100\nB2 = 7\nEnd\n";
      auto run = RunBasic(p, c.device, 20'000'000);
      ASSERT_TRUE(run->ok) << run->Diagnostics();
      EXPECT_EQ(run->Byte("b1"), stop ? 0 : 1);
      // Without Stop a reset comes first and the last line is never reached.
      EXPECT_EQ(run->Byte("b2") == 7, stop);
    }
  }
}

TEST(StartStop, UnconfiguredTimersAndUnknownWordsAreReported) {
  struct Case {
    const char* statement;
    const char* message;
  };
  for (const Case c : {Case{"Start Timer3", "Timer3 is not configured yet!"},
                       Case{"Stop Timer3", "No Timer3 available!"},
                       Case{"Start Counter1", "Timer1 is not configured yet!"},
                       Case{"Start Foo", "How to start foo ?"}, Case{"Stop Foo", "How to stop foo ?"}}) {
    SCOPED_TRACE(c.statement);
    auto compiled = CompileBasic(Header("m8") + c.statement + "\nEnd\n");
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError(c.message, 5)) << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
