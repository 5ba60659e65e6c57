#pragma once
// A routine that needs its interrupt handler while it runs (the RC5 receiver, the DTMF
// tone) switches the handler's interrupt and I on at its start and gives the caller's
// settings back at its end, through r25 and two stack bytes.
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Saves SREG and the mask register `mask` on the stack, then sets bit `enable` ("TOIE0")
// in it and I.
void EmitInterruptOn(CompilerState& st, const std::string& mask, const std::string& enable);
// Writes the saved mask register and SREG back.
void EmitInterruptRestore(CompilerState& st, const std::string& mask);

}  // namespace qbc
