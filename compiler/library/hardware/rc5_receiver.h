#pragma once
// The RC5 infrared receiver on the $rc5 pin:
//
//   _RC5    waits for a frame (the pin idles high), samples its 14 bits from the Timer0
//           overflow handler, 350 us into the second half of each bit, and returns the
//           command (0 to 63) in zl, 255 when the first start bit was not seen, and the
//           toggle bit (bit 5) and the address (bits 4 to 0) in zh. It enables the Timer0
//           overflow interrupt and interrupts while it receives and gives the caller's
//           settings back. Changes r24, r25; Timer0 is stopped afterwards.
//   IntN    (N = the Timer0 overflow vector) the handler: r24 samples still to take,
//           zh:zl the samples so far; it saves nothing, as it runs only inside _RC5.
#include "compiler/base/state.h"

namespace qbc {

void EmitRc5ReceiveRoutine(CompilerState& st);
void EmitRc5Ovf0InterruptRoutine(CompilerState& st);

}  // namespace qbc
