#pragma once
// The work areas an interrupt handler gets of its own, so that it never overwrites those
// of the main program it interrupted: the copies of the string arguments of the calls it
// makes (_IsArg), and a place (_IsTxt) where the float and formatted-number text buffers
// of the interrupted code are kept while the handler runs. _IsOn is set while a handler
// runs: a procedure, which may be called from either, reads it to find its argument area.
#include <string>

#include "compiler/base/state.h"

namespace qbc {

inline constexpr const char* kHandlerArgArea = "_IsArg";
inline constexpr const char* kHandlerTextKeep = "_IsTxt";
inline constexpr const char* kHandlerRunning = "_IsOn";

struct NumberFormatCells;

// Bytes of the formatted-number text buffer _s2tmp; 0 without a number format.
int FormatTextBytes(const NumberFormatCells& numbers);

// Bytes of the handlers' string argument area: 0 unless a handler is declared, else the
// lengths of every declared string parameter together (a chain of calls without
// recursion never needs more). The head reserves it once the declarations are read and
// keeps the size in HandlerArgAreaBytes, as it keeps that of the text keeping place in
// HandlerTextKeepBytes.
int HandlerStringArgBytes(const CompilerState& st);

// Bytes of the text buffers a handler keeps aside (_s2tmp and _s1tmp, which lie one after
// the other), and the label of the first; 0 unless a handler is declared.
int HandlerTextBytes(const CompilerState& st);
std::string HandlerTextStart(const CompilerState& st);

}  // namespace qbc
