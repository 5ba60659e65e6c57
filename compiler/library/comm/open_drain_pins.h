#pragma once
// A bus line on a port pin driven open-drain, as the software I2C (and any other wired-and
// bus) drives it: the pin's PORT bit stays 0, setting its DDR bit pulls the line low and
// clearing it releases the line to the bus's pull-up; the level is read from PIN.
// Each register in the form io_access chooses for it; none of these forms changes the
// carry (sbr/cbr leave it alone).
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc::opendrain {

struct Line {
  char letter = 'B';  // the port letter, upper case
  int bit = 0;
};

// The line of a port name ("PORTB") and a pin digit ("3").
Line ParseLine(std::string_view port, std::string_view pin);

// Pulls the line low (`low`) or releases it. The first output line carries `label` when
// it is not empty; the extended form changes `scratch` (sbr/cbr leave the carry alone).
void Drive(CompilerState& st, std::string_view label, const Line& line, bool low, std::string_view scratch);

// Skips the next instruction when the line reads `high` (sbis) or low (sbic); the
// extended form reads PIN into `scratch` first.
void SkipIf(CompilerState& st, std::string_view label, const Line& line, bool high, std::string_view scratch);

}  // namespace qbc::opendrain
