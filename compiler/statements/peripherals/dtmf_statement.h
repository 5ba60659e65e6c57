#pragma once
// DTMF(n): plays the tone pair of key code n (0 to 15) on Timer1's OC1A pin for the
// $dtmf time.
#include <optional>

#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; returns after the ")".
void CompileDtmfStatement(CompilerState& st);

// The OC1A pin of the device, which the PWM drives whatever pin $dtmf names: port letter
// and bit; none for a device not listed here.
struct DtmfPin {
  char port;
  int bit;
};
std::optional<DtmfPin> DtmfOutputPin(const CompilerState& st);

}  // namespace qbc
