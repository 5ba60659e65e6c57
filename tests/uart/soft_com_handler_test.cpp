// The bit-timed software UARTs while an interrupt handler runs: a Timer0 handler of about
// 120 cycles (0.3 of a bit at 19200 baud and 8 MHz) overflows every 2048 cycles, two or
// three times in every frame. Each frame keeps its timing: sent bits last their time,
// received bits are sampled at their middles; the handler waits for the frame's end (so
// overflows in one frame make one run of it). The same program without the interrupt is
// the control. Each run sends or receives 40 to 64 frames (about 270000 cycles): the
// overflows land at every bit of a frame many times over.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/soft_uart_peer.h"

namespace qbc::test {
namespace {

constexpr double kBit = 8e6 / 19200;

// A handler that keeps Z, r24 and r25 and takes about 120 cycles.
constexpr const char* kHandler =
    "Interrupt Ovf0(), Save 2\n"
    "$asm\n  ldi r24,33\nBusy0:\n  dec r24\n  brne Busy0\n$end asm\n"
    "  Ticks = Ticks + 1\n"
    "End Interrupt\n";

std::string Program(const std::string& work, bool interrupts) {
  std::string s = "$device = m8\n$clock = 8\n$stack = 32\n";
  s += "Declare Interrupt Ovf0()\nDim Ticks As Word, N As Byte, K(64) As Byte\nTicks = 0\n";
  // Timer0 overflows every 2048 cycles (clk/8).
  s += "$asm\n  ldi r16,0x02\n  out TCCR0,r16\n";
  if (interrupts) s += "  ldi r16,0x01\n  out TIMSK,r16\n  sei\n";
  s += "$end asm\n";
  s += work;
  s += "$asm\n  cli\n$end asm\nEnd\n";
  s += kHandler;
  return s;
}

const std::string kText = "0123456789abcdefghijklmnopqrstuvwxyz\x55\xaa\x0f\xf0~.";

TEST(SoftComWithHandler, SentFramesKeepTheirBitTimes) {
  const std::string work = "Open com = portb.1, 19200 For Output As #1\n"
                           "Print #1, \"" + kText + "\"\n";
  for (const bool interrupts : {false, true}) {
    SCOPED_TRACE(interrupts ? "with the handler" : "without");
    auto run = RunBasic(Program(work, interrupts), "atmega8", 20'000'000,
                        [](SimRunner& sim) { sim.WatchPin('B', 1); });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    const auto got = DecodeSoftUart(run->sim->PinEdges('B', 1), kBit);
    EXPECT_EQ(got.bytes, kText + "\r\n");
    EXPECT_TRUE(got.all_stops_ok);
    EXPECT_LT(got.worst_bit_error, 0.02);
    if (interrupts) {
      EXPECT_GT(run->Word("ticks"), 30);
    }
  }
}

TEST(SoftComWithHandler, ReceivedFramesAreSampledAtTheirMiddles) {
  const std::string work = "Open com = portb.0, 19200 For Input As #1\n"
                           "InputBin #1, K, 64\n";
  std::string sent;
  for (int i = 0; i < 64; ++i) sent.push_back(static_cast<char>(i % 2 == 0 ? 0x55 + i : 0xaa - i));
  for (const bool interrupts : {false, true}) {
    SCOPED_TRACE(interrupts ? "with the handler" : "without");
    std::unique_ptr<SoftUartSender> tx;
    auto run = RunBasic(Program(work, interrupts), "atmega8", 20'000'000, [&](SimRunner& sim) {
      tx = std::make_unique<SoftUartSender>(sim, 'B', 0, kBit);
      tx->Queue(sent);
      tx->StartOnPullUp();
    });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    std::string got;
    for (int i = 0; i < 64; ++i) got.push_back(static_cast<char>(run->Byte("k", i)));
    EXPECT_EQ(got, sent);
    if (interrupts) {
      EXPECT_GT(run->Word("ticks"), 30);
    }
  }
}

}  // namespace
}  // namespace qbc::test
