#pragma once
// The character LCD's pins as the driver routines reach them: a setting "PORTB,3" taken
// apart, and a pin set or cleared with sbi/cbi on the low I/O ports or through a scratch
// register with lds/sbr/cbr/sts on an extended port (m128 PORTF, port G).
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc::lcdpins {

struct Pin {
  char letter = 'B';  // the port letter, upper case
  int bit = 0;
};

// "PORTB,3" as port B, pin 3.
Pin ParsePin(std::string_view setting);
// The port letter of a port name ("PORTB" gives 'B').
char PortLetter(std::string_view port);

// "PORTB" or "DDRB" of the pin's port.
std::string RegisterName(std::string_view prefix, char letter);
// True when the register lies below 0x20 (sbi/cbi reach it).
bool BitAddressable(CompilerState& st, std::string_view prefix, char letter);
// True when the register lies below 0x40 (in/out reach it).
bool InOutAddressable(CompilerState& st, std::string_view prefix, char letter);

// Sets (`high`) or clears the pin's bit in its PORT or DDR register (`prefix`); the first
// line carries `label` when it is not empty. The extended form changes `scratch`.
void WritePinBit(CompilerState& st, std::string_view label, std::string_view prefix, const Pin& pin, bool high,
                 std::string_view scratch);

}  // namespace qbc::lcdpins
