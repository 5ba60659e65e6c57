#pragma once
// Operand readers shared by the peripheral and graphic-display "$" lines: port names,
// pin digits, small numbers, key masks and the interrupt vector claims.
//
// Each reader starts on its token and leaves the token index on the token after it, also
// after an error (the error report itself steps past the token).
#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// `text` cut or padded with blanks to exactly `length` characters.
std::string FixedText(std::string text, std::size_t length);

// A port register name (PORTx, PINx, DDRx), upper-cased into `port`; otherwise reports
// "Must be a valid AVR Port!" and returns false.
bool ReadPortName(CompilerState& st, std::string& port);

// A pin digit 0 to 7; otherwise reports "From 0 to 7!" and returns false.
bool ReadPinDigit(CompilerState& st, std::string& pin);

// port "." pin; true when both are valid.
bool ReadPortPin(CompilerState& st, std::string& port, std::string& pin);

// A named constant's value or a number token, 0 to 255; anything else reports `message`.
bool ReadByteValue(CompilerState& st, std::uint8_t& value, std::string_view message);

// The vector (1 .. the device's vector count) whose name begins with `prefix` ("INT0",
// "OVF0", "OVF1"); 0 when the device has none. The library's handlers for these vectors
// find their "IntN" label through the same lookup.
int FindVectorByPrefix(CompilerState& st, std::string_view prefix);

// Marks that vector used and raises HighestVectorUsed to it. A device without such a
// vector reports "No <prefix> interrupt on this device!" (the token index stays) and
// claims nothing.
bool ClaimInterruptVector(CompilerState& st, std::string_view prefix);

}  // namespace qbc
