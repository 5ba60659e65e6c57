#pragma once
// The timers' clock selections and PWM width from the timer settings: read by the timer
// statements and the UART set-up (which may take a timer for a UART's baud clock).
#include <cstdint>

#include "compiler/base/bounded_table.h"

namespace qbc {

struct TimerCells {
  BoundedTable<std::uint8_t, 6> TimerClockSelect;
  // Per timer: its $timer line chose an 8-bit PWM, so its compare registers take bytes.
  BoundedTable<bool, 6> Pwm8Bit;
};

}  // namespace qbc
