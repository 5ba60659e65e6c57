#pragma once
// The first pass's "$" lines: recognition, dispatch and the core settings (device, clock,
// stack, UART speeds, timers, watchdog, number format, terminators, listing, angles).
#include "compiler/frontend/state.h"

namespace qbc {

// Entered on the "$" token; returns on the token after the metastatement (normally the
// line's "<EOL>").
void ParseMetaStatement(CompilerState& st);

// Entered on the word; "=" "(" "&" hex-digits ")".
void ParseInputTermCharMetaStatement(CompilerState& st);
void ParsePrintTermCharMetaStatement(CompilerState& st);

// Appends one instruction line to the start-up lines of the program head (a 34th line is
// beyond the table and ends the compilation).
void AppendInitCodeLine(CompilerState& st, const std::string& line);

}  // namespace qbc
