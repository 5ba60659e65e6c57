#pragma once
// Operand readers shared by the peripheral and graphic-display "$" lines: port names,
// pin digits, small numbers, key masks and the interrupt vector claims.
//
// Each reader starts on its token and leaves the token index on the token after it, also
// after an error (the error report itself steps past the token).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/base/state.h"

namespace qbc {

// `text` cut or padded with blanks to exactly `length` characters.
std::string FixedText(std::string text, std::size_t length);

// Whether the device has the port of the register name `port` (PORTx, PINx or DDRx in any
// case); true while no device file is read.
bool PortOnDevice(CompilerState& st, std::string_view port);

// Whether the chip has pin `bit` of port `letter` (the device file's port bits): otherwise
// reports "No pin P<letter><bit> on this device!" (the token index stays) and returns false.
bool PinOnDevice(CompilerState& st, char letter, int bit);

// Whether bit `bit` of register `reg` is one the chip has: one of the register's eight
// (otherwise "From 0 to 7!", also for a bit that is no number, -1), and of a port's
// register (PORTx, PINx, DDRx) a pin of the port (PinOnDevice). Reported at the current
// token, which stays; false then. Every constant register bit a line names is checked here.
bool RegisterBitOnDevice(CompilerState& st, std::string_view reg, int bit);

// A port register name (PORTx, PINx, DDRx), upper-cased into `port`; otherwise reports
// "Must be a valid AVR Port!", or "Unknown identifier <name>" for a port the device lacks,
// and returns false.
bool ReadPortName(CompilerState& st, std::string& port);

// A pin digit 0 to 7; otherwise reports "From 0 to 7!" and returns false.
bool ReadPinDigit(CompilerState& st, std::string& pin);

// port "." pin; true when both are valid.
bool ReadPortPin(CompilerState& st, std::string& port, std::string& pin);

// A named constant's value or a number token, 0 to 255; anything else reports `message`.
bool ReadByteValue(CompilerState& st, std::uint8_t& value, std::string_view message);

// One signal of a configuration line on its pin: the port's letter ('B') and bit.
struct SignalPin {
  std::string signal;  // as the messages name it ("RS", "EN", "DB4")
  char letter = 0;
  int bit = 0;
};

// The signal on `port` (any register name of the port, blank-padded or not) and `pin` (a
// digit); letter 0 when either is missing.
SignalPin MakeSignalPin(std::string signal, std::string_view port, std::string_view pin);

// Two signals of one line on the same pin would fight over it: reports "<A> and <B> on the
// same pin!" for the first such pair (the token index stays) and returns false. Signals
// with letter 0 are not looked at.
bool SignalsApart(CompilerState& st, const std::vector<SignalPin>& signals);

// Records the pins a peripheral's "$" line (named as "$lcd") gives its signals. A pin the
// chip lacks is refused first (PinOnDevice). A pin another peripheral's line holds reports
// "<signal> pin already used by <line>!" (the token index stays) and returns false, from
// the line's first declaration on, unless the two lines are built to share it (a keypad on
// the character LCD's data lines). A line given again replaces the earlier one's pins (the
// last line counts) and keeps its own.
bool ClaimLinePins(CompilerState& st, const std::string& line, const std::vector<SignalPin>& signals);

// The vector (1 .. the device's vector count) whose name begins with `prefix` ("INT0",
// "OVF0", "OVF1"); 0 when the device has none. The library's handlers for these vectors
// find their "IntN" label through the same lookup.
int FindVectorByPrefix(CompilerState& st, std::string_view prefix);

// Marks that vector used for the library's handler that the line `by` ("$com1") brings in
// and raises HighestVectorUsed to it. A device without such a vector reports "No <prefix>
// interrupt on this device!" (the token index stays) and claims nothing. A vector a
// program's handler is declared for is refused at that declaration: "Interrupt OVF0
// already used by $com1!".
bool ClaimInterruptVector(CompilerState& st, std::string_view prefix, const std::string& by);
// The error of a second handler at a vector the library's line `by` takes.
std::string VectorTakenMessage(std::string_view vector, const std::string& by);

}  // namespace qbc
