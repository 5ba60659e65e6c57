#pragma once
// $timer0 .. $timer5: the timer configuration lines, in the first pass (their instruction
// lines go to the start-up code) and in the code pass (written in place).
#include <cstdint>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// The timer a "$" word names: 0 to 5 for "timer0" .. "timer5", -1 for any other word.
int TimerOfWord(std::string_view word);

// Entered on its word (timer0 .. timer5) and returns on the first token it did not
// consume.
void ParseTimerMetaStatement(CompilerState& st, int timer);

// The "prescale" "=" value option: entered on "prescale", returns on the value token,
// having stored the clock-select code of the value in the timer's set of divisions.
void SelectPrescaleTable(CompilerState& st, std::uint8_t& timer);

}  // namespace qbc
