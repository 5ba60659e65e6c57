#pragma once
// The far end of a software UART, at the pin level, for the tests of the bit-timed and
// interrupt-driven software UARTs.
//
// Receiving what the chip sends: record the transmit pin with SimRunner::WatchPin, run,
// and decode its edges:
//   sim.WatchPin('B', 3);  ... run ...
//   auto got = qbc::test::DecodeSoftUart(sim.PinEdges('B', 3), 4e6 / 9600);
//   EXPECT_EQ(got.bytes, "A\r\n");  EXPECT_LT(got.worst_bit_error, 0.02);
// The decoder searches each start bit (the falling edge out of idle), reads the eight data
// bits and the stop bit at their middles, and measures the bit time from every edge
// inside the frame: each span between two edges must last its number of nominal bits.
//
// Sending to the chip: SoftUartSender drives the receive pin with exact bit times (with
// an error in percent to model a fast or slow sender), frames back to back or spaced.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/sim_runner.h"

namespace qbc::test {

struct SoftUartFrame {
  std::uint64_t start = 0;  // cycle of the start bit's edge
  std::uint8_t byte = 0;
  bool stop_ok = false;     // the stop bit was at the idle level at its middle
  double bit_error = 0;     // the largest |span / (bits * nominal) - 1| inside the frame
};

struct SoftUartDecode {
  std::vector<SoftUartFrame> frames;
  std::string bytes;           // the frames' bytes in order
  double worst_bit_error = 0;  // over all frames
  bool all_stops_ok = true;
};

// `edges` as WatchPin recorded them (the first entry is the level at the start when the
// recorder gives one; the line idles at 1, or at 0 when `inverted`).
SoftUartDecode DecodeSoftUart(const std::vector<SimRunner::Edge>& edges, double cycles_per_bit,
                              bool inverted = false);

// Drives a pin the chip reads as a software UART's receive line. Frames are queued first,
// then sent from a trigger; the line idles high (low when inverted). Bit times are
// `cycles_per_bit` stretched by `error` (+0.02: a sender 2% slow, -0.02: 2% fast).
//   SoftUartSender tx(sim, 'B', 0, 8e6 / 19200, -0.02);
//   tx.Queue("12\r");  tx.Queue("ab", 3);   // then 3 idle bits, then "ab"
//   tx.StartOnPullUp();                     // when Open turns the pin's pull-up on
class SoftUartSender {
 public:
  SoftUartSender(SimRunner& sim, char port, int bit, double cycles_per_bit, double error = 0,
                 bool inverted = false);
  // `bytes` back to back (start, 8 data bits from bit 0, stop), after `pause_bits` idle
  // bit times following what was queued before.
  void Queue(std::string_view bytes, double pause_bits = 0);
  // Sends the queue `lead_bits` bit times after the chip first turns on the pin's pull-up.
  void StartOnPullUp(double lead_bits = 2);
  // Sends the queue `cycles` from now (call before the run: from the program's start).
  void StartAfter(std::uint64_t cycles);
  // The cycle the last stop bit ends at, once sent (0 before).
  std::uint64_t EndCycle() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace qbc::test
