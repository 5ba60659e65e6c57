#pragma once
// The channel of a Print #, PrintBin #, Input # or InputBin # statement: a bit-timed
// software UART that an Open declared for the statement's direction.
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

enum class ComDirection { kOutput, kInput };

// Entered on "#": reads the channel number and returns 1 to 4 with the token index after
// it. Returns 0 after a report (the rest of the statement is passed over) when the token
// is no number (`notNumber`), the number is not 1 to 4, no Open declared the channel for
// `direction`, or $com1 replaced the bit-timed channels by the interrupt-driven one.
int ReadSoftChannel(CompilerState& st, ComDirection direction, std::string_view notNumber);

// True when $com1 configured the interrupt-driven software UART.
bool InterruptUartConfigured(const CompilerState& st);

// With $com1, entered on "#": channel 1 is the interrupt-driven UART; true with the token
// index after it. Any other channel is reported and the statement passed over.
bool ReadInterruptChannel(CompilerState& st);

// True when an Open declared channel `com` for `direction`; otherwise reports it (the token
// index stays).
bool ComOpenFor(CompilerState& st, int com, ComDirection direction);

// The channel's labels: "_Com" + n + "O" and so on.
std::string ComLabel(std::string_view head, int com, std::string_view tail = {});

// The channel's routines are to be written, and _Wtic, which times them.
void MarkComUsed(CompilerState& st, int com, ComDirection direction);

}  // namespace qbc
