#pragma once
// The first pass's "$" lines: recognition, dispatch and the core settings (device, clock,
// stack, UART speeds, timers, watchdog, number format, terminators, listing, angles).
#include "compiler/base/state.h"

namespace qbc {

// Entered on the "$" token; returns on the token after the metastatement (normally the
// line's "<EOL>").
void ParseMetaStatement(CompilerState& st);

// Entered on the word; "=" "(" "&" hex-digits ")".
void ParseInputTermCharMetaStatement(CompilerState& st);
void ParsePrintTermCharMetaStatement(CompilerState& st);

}  // namespace qbc
