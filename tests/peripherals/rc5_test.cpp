// RC5 on the simulator with a remote control on the $rc5 pin: frames decode at every
// clock's Timer0 setting on the classic and the newer megas and the ATmega128 (whose Timer0
// has its own clock-select codes), with the toggle bit (the receiver samples at fixed bit
// times: frames 1 % short or 0.5 % long still decode); a frame whose first start bit is
// not seen gives command 255; the program need not enable any interrupt, and its
// interrupt settings come back after the frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/rc5_transmitter.h"

namespace qbc::test {
namespace {

std::string Program(const std::string& device, int mhz, const std::string& lines) {
  return "$device = " + device + "\n$clock = " + std::to_string(mhz) +
         "\n$stack = 32\n$rc5 = portd.2\nDim A As Byte, C As Byte, A2 As Byte, C2 As Byte, W As Word, L As Long\n" +
         lines + "\nEnd\n";
}

TEST(Rc5, DecodesFramesAtEveryClockAndDevice) {
  for (const char* device : {"m8", "m88", "m128"}) {
    for (const int mhz : {1, 4, 8, 16, 20}) {
      for (const double half : {889.0, 889.0 * 0.99, 889.0 * 1.005}) {
        SCOPED_TRACE(std::string(device) + " at " + std::to_string(mhz) + " MHz, half bit " + std::to_string(half));
        Rc5Transmitter remote({'D', 2}, mhz);
        const std::uint64_t ms = 1000ull * static_cast<std::uint64_t>(mhz);
        remote.Send(2 * ms, {.toggle = 0, .address = 21, .command = 42, .half_us = half});
        remote.Send(40 * ms, {.toggle = 1, .address = 10, .command = 5, .half_us = half});
        auto run = RunBasic(Program(device, mhz, "Rc5(A, C)\nRc5(A2, C2)"), device, 200ull * ms,
                            [&](SimRunner& sim) { remote.Attach(sim); });
        ASSERT_TRUE(run->ok) << run->Diagnostics();
        EXPECT_EQ(run->Byte("a"), 21);
        EXPECT_EQ(run->Byte("c"), 42);
        EXPECT_EQ(run->Byte("a2"), 32 + 10);  // the toggle bit is bit 5
        EXPECT_EQ(run->Byte("c2"), 5);
        // The receiver turned the interrupts on for the frames only.
        EXPECT_EQ(run->sim->Sreg() & 0x80, 0);
      }
    }
  }
}

// A pin register beyond the skip instructions (PING of the m128, PINH to PINL of the
// m2560) is read into a register; PINF of the m128 lies within their reach.
TEST(Rc5, DecodesOnPortsBeyondTheSkipInstructions) {
  struct Case {
    const char* device;
    PinId pin;
  };
  const std::vector<Case> cases = {{"m128", {'G', 2}}, {"m128", {'F', 3}}, {"m2560", {'L', 2}}, {"m2560", {'H', 6}}};
  for (const Case& c : cases) {
    for (const int mhz : {1, 20}) {
      SCOPED_TRACE(std::string(c.device) + " pin " + c.pin.port + std::to_string(c.pin.bit) + " at " +
                   std::to_string(mhz) + " MHz");
      Rc5Transmitter remote(c.pin, mhz);
      const std::uint64_t ms = 1000ull * static_cast<std::uint64_t>(mhz);
      remote.Send(2 * ms, {.toggle = 1, .address = 30, .command = 17});
      const std::string src = "$device = " + std::string(c.device) + "\n$clock = " + std::to_string(mhz) +
                              "\n$stack = 32\n$rc5 = port" + static_cast<char>(c.pin.port + 32) + "." +
                              std::to_string(c.pin.bit) + "\nDim A As Byte, C As Byte\nRc5(A, C)\nEnd\n";
      auto run = RunBasic(src, c.device, 60ull * ms, [&](SimRunner& sim) { remote.Attach(sim); });
      ASSERT_TRUE(run->ok) << run->Diagnostics();
      EXPECT_EQ(run->Byte("a"), 32 + 30);
      EXPECT_EQ(run->Byte("c"), 17);
    }
  }
}

// The $rc5 line points the Timer0 overflow vector at the handler: a program that has it
// but receives no frame still assembles and runs.
TEST(Rc5, LineWithoutAFrameRuns) {
  auto run = RunBasic(Program("m8", 8, "A = 5"), "m8");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("a"), 5);
}

TEST(Rc5, FirstStartBitNotSeenGivesCommand255) {
  Rc5Transmitter remote({'D', 2}, 8);
  remote.Send(16000, {.address = 3, .command = 7, .first_start_bit = false});
  auto run = RunBasic(Program("m8", 8, "Rc5(A, C)"), "m8", 2'000'000, [&](SimRunner& sim) { remote.Attach(sim); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("c"), 255);
}

// Wider targets get the byte, zero-extended; a program's own interrupt settings stay.
TEST(Rc5, WiderTargetsAndTheProgramsInterruptSettings) {
  Rc5Transmitter remote({'D', 2}, 8);
  remote.Send(16000, {.toggle = 1, .address = 31, .command = 63});
  auto run = RunBasic(Program("m88", 8, "W = &HFFFF\nL = &HFFFFFFFF\nEnable Interrupts\nRc5(W, L)"), "m88", 2'000'000,
                      [&](SimRunner& sim) { remote.Attach(sim); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Word("w"), 63);
  EXPECT_EQ(run->Long("l"), 63u);
  EXPECT_EQ(run->sim->Sreg() & 0x80, 0x80);
}

TEST(Rc5, RefusedPrograms) {
  struct Case {
    const char* lines;
    const char* message;
    int line;
  };
  const std::vector<Case> cases = {
      {"Dim A As Byte\nRc5(A, A)", "RC5 not configured yet!", 5},
      {"$rc5 = portd.2\nDim A As Byte\nRc5(A, Q)", "Unknown identifier q", 6},
      {"$rc5 = portd.2\nDim A As Byte, S As String * 4\nRc5(A, S)", "RC5 stores into Byte, Integer, Word or Long variables!", 6},
      // Both would run Timer0 with handlers of their own.
      {"$com1 = portd.1, 9600\n$rc5 = portd.3", "$rc5 and $com1 both need Timer0!", 5},
      {"$rc5 = portd.3\n$com1 = portd.1, 9600", "$rc5 and $com1 both need Timer0!", 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    const auto compiled = CompileBasic("$device = m8\n$clock = 8\n$stack = 32\n" + std::string(c.lines) + "\nEnd\n");
    EXPECT_TRUE(compiled.StartsWithError(c.message, c.line)) << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
