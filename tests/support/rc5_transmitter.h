#pragma once
// An RC5 remote control as an infrared receiver module presents it on a pin: the line idles
// high and is low during a burst. A frame is 14 Manchester bits (two start bits of 1, the
// toggle bit, five address bits and six command bits, most significant first); a 1 is a
// high first half and a low second half, a 0 the reverse. Each half bit lasts `half_us`
// (889 us for the standard's 36 kHz remotes), so a receiver's tolerance can be tried.
//
//   test::Rc5Transmitter tv({'D', 2}, 8.0);
//   tv.Send(8000, {.toggle = 1, .address = 5, .command = 33});
//   auto run = test::RunBasic(src, "m8", 5'000'000, [&](test::SimRunner& s) { tv.Attach(s); });
#include <cstdint>
#include <utility>
#include <vector>

#include "tests/support/pin_id.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {

struct Rc5Frame {
  int toggle = 0;
  int address = 0;  // 0 to 31
  int command = 0;  // 0 to 63
  // false: the first start bit's burst is only a glitch of 200 us, too short for the
  // receiver to see.
  bool first_start_bit = true;
  double half_us = 889.0;
};

class Rc5Transmitter {
 public:
  Rc5Transmitter(PinId pin, double mhz) : pin_(pin), mhz_(mhz) {}

  // Sends `frame` starting `cycle` cycles after the program starts.
  void Send(std::uint64_t cycle, const Rc5Frame& frame);
  // Holds the line high and plans the frames' edges; call before the run.
  void Attach(SimRunner& sim);

 private:
  void Schedule(SimRunner& sim, std::size_t next, std::uint64_t now);

  PinId pin_;
  double mhz_;
  std::vector<std::pair<std::uint64_t, int>> edges_;  // cycle, level
};

}  // namespace qbc::test
