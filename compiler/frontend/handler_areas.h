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

// The handlers' own software stack. A handler keeps the interrupted code's Y on the
// hardware stack and points Y at the top of _IsY, so nothing the interrupted code keeps
// at or below its Y (frames being built, text a conversion left below Y, scratch copies)
// and no half-done two-instruction change of its Y can be disturbed: the handler neither
// reads nor writes through that Y. _IsDp counts the handlers running; one that interrupts
// another handler (the user enabled interrupts in it) goes on below that handler's Y.
inline constexpr const char* kHandlerStack = "_IsY";
inline constexpr const char* kHandlerDepth = "_IsDp";

struct NumberFormatCells;

// What the code a handler may run (a handler body or a procedure) needs below its Y
// beyond the frames: string copies (compares, substrings, assignments that read their
// target).
struct HandlerReachCells {
  bool StringScratch = false;
};

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

// Bytes of _IsY, once every procedure is compiled; 0 unless a handler is declared.
int HandlerStackBytes(const CompilerState& st);

}  // namespace qbc
