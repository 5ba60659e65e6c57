#pragma once
// Keys on the simulator's pins, live while the program runs. A matrix key joins a row pin
// to a column pin while it is closed: a pin of the pair that the chip drives as an output
// gives the other pin its level (several closed keys join whole groups of pins; a low
// output wins). A key in line joins its pin to a fixed level (ground, or the supply with a
// pull-down resistor that holds the pin low while it is open). Keys open and close at
// given cycles, so a contact can bounce.
//
//   test::KeypadModel pad;
//   pad.MatrixKey({'B', 4}, {'D', 0}).ClosedFrom(0);
//   auto run = test::RunBasic(src, "m8", 5'000'000, [&](test::SimRunner& s) { pad.Attach(s); });
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "tests/support/pin_id.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {

class KeypadModel {
 public:
  class Key {
   public:
    // Closed at `cycle` (and open before, unless an earlier change says otherwise).
    Key& ClosedFrom(std::uint64_t cycle) { return At(cycle, true); }
    Key& OpenFrom(std::uint64_t cycle) { return At(cycle, false); }
    // Bounce: `count` changes `every` cycles apart from `cycle` on, starting with open;
    // an even count leaves the contact as it was.
    Key& Bounce(std::uint64_t cycle, std::uint64_t every, int count);

   private:
    friend class KeypadModel;
    Key& At(std::uint64_t cycle, bool closed);
    PinId a_{};
    PinId b_{};
    bool in_line_ = false;
    int closed_level_ = 0;  // a key in line: the level it gives its pin
    bool closed_ = false;
    std::vector<std::pair<std::uint64_t, bool>> changes_;
  };

  Key& MatrixKey(PinId row, PinId column);
  // Joins `pin` to `level` while closed; open, an active-high key's pin is pulled low.
  Key& LineKey(PinId pin, int level);

  // Listens to the keys' pins and plans the contacts' changes; call before the run.
  void Attach(SimRunner& sim);

 private:
  struct PinState {
    PinId pin;
    bool output = false;
    int level = 0;
  };
  PinState& State(PinId pin);
  void Update();

  SimRunner* sim_ = nullptr;
  std::deque<Key> keys_;  // a deque keeps the references MatrixKey() handed out
  std::vector<PinState> pins_;
};

}  // namespace qbc::test
