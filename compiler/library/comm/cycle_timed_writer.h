#pragma once
// Writes routine lines whose timing counts: each line is given with the cycles it takes,
// and waits are padded so that an event lands a given time after a marked one, in cycles
// of the clock (CrystalFrequency). Used where a device's datasheet sets the windows (the
// 1-Wire slots).
//
//   CycleTimedWriter w(st, "_Foo", "_0");
//   w.Op(Sep::kWide, "sbi", "DDRB,0", 2);  // the event
//   w.Mark();                              // times count from here
//   w.Until(6.0, 2);                       // the next line's 2 cycles end 6 us after it
//   w.Op(Sep::kWide, "cbi", "DDRB,0", 2);
//
// The waits use r21 (and r22 beyond 767 cycles) and leave the flags but Z, N, V, S alone:
// the carry survives them.
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

class CycleTimedWriter {
 public:
  // Wait loop labels are `labelPrefix`, "t", a running number and `labelSuffix`.
  CycleTimedWriter(CompilerState& st, std::string labelPrefix, std::string labelSuffix);

  void Op(Sep sep, std::string_view mnemonic, std::string_view operands, long cycles);
  void Op(std::string_view label, Sep sep, std::string_view mnemonic, std::string_view operands, long cycles);
  void Label(std::string_view label);

  // Cycles since the mark.
  void Mark() { now_ = 0; }
  long Now() const { return now_; }
  // Counts cycles that pass without a line here (a branch taken elsewhere).
  void Advance(long cycles) { now_ += cycles; }

  // Waits so that `then` cycles after the wait, `us` microseconds (rounded to the nearest
  // cycle) have passed since the mark. A time already past waits nothing.
  void Until(double us, long then);
  void UntilCycles(long cycles, long then);

 private:
  void Wait(long cycles);
  std::string NextLabel();

  CompilerState& st_;
  std::string prefix_, suffix_;
  int labels_ = 0;
  long now_ = 0;
};

}  // namespace qbc
