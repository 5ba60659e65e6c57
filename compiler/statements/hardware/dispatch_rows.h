#pragma once
// The chip's own hardware: bits and pulses, data and math functions, timers, PWM,
// interrupts and sleep, peripherals.
// The keyword rows of this area; the driver's dispatcher takes them in once.
#include <span>

#include "compiler/base/dispatch_row.h"

namespace qbc {

std::span<const DispatchRow> HardwareDispatchRows();

}  // namespace qbc
