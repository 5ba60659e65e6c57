#pragma once
// Where a chip's ADC keeps its channel and left-adjust bits, read from the names of its
// device file: ADMUX holds the channel in MUXn at bit n from bit 0 up, the reference
// bits above; ADLAR sits in ADMUX unless a channel bit takes its place there (then it is
// in ADCSRB, as on the ATtiny24/44/84); MUX5 at another bit than 5 is in ADCSRB (the
// ATmega640..2560, whose inputs 8 to 15 it selects).
#include <optional>

#include "compiler/base/state.h"
#include "compiler/statements/hardware/register_bits.h"

namespace qbc {

struct AdcLayout {
  int channelBits = 0;     // ADMUX bits the channel is written to
  int keptBits = 0;        // ADMUX bits every channel write keeps: reference, left adjust
  bool inputsAbove7 = false;  // MUX5 in ADCSRB: channel bit 3 goes there
  std::optional<RegisterBit> mux5;
  std::optional<RegisterBit> adlar;  // none on chips without left adjustment
  RegisterBit admux;
  RegisterBit adcsra;
};

AdcLayout FindAdcLayout(const CompilerState& st);

}  // namespace qbc
