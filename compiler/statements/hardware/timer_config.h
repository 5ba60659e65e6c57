#pragma once
// $timer0 .. $timer5: the timer configuration lines, in the first pass (their instruction
// lines go to the start-up code) and in the code pass (written in place).
#include <cstdint>

#include "compiler/base/state.h"

namespace qbc {

// Each is entered on its word (timer0 .. timer5) and returns on the first token it did not
// consume.
void ParseTimer0MetaStatement(CompilerState& st);
void ParseTimer1MetaStatement(CompilerState& st);
void ParseTimer2MetaStatement(CompilerState& st);
void ParseTimer3MetaStatement(CompilerState& st);
void ParseTimer4MetaStatement(CompilerState& st);
void ParseTimer5MetaStatement(CompilerState& st);

// The "prescale" "=" value option: entered on "prescale", returns on the value token.
void SelectPrescaleTable(CompilerState& st, std::uint8_t& timer);
// Looks the current token up in prescaler set 0, 1 or 2 and stores the clock-select code.
void ParsePrescale(CompilerState& st, std::uint8_t set, std::uint8_t& timer);

}  // namespace qbc
