#pragma once
// The character LCD statements (the display wired by $lcd):
//
//   Lcd item [;] item ...     numbers as decimal text, strings, string constants, floats,
//                             Hex(x), Chr(x), at the cursor
//   Locate row , column       the cursor to a row (1 to the rows of $lcd) and column (1..)
//   Cls                       clear, cursor home
//   Cursor On|Off|Blink|NoBlink [Blink|NoBlink]
//   Display On|Off
//   InitLcd()                 the initialisation again
//   DefLcdChar n , r1 , ... , r8   user character n (0..7) from eight row bytes, top first;
//                             the display is cleared afterwards
#include "compiler/base/state.h"

namespace qbc {

void CompileLcdStatement(CompilerState& st);
void CompileLocateStatement(CompilerState& st);
void CompileClsStatement(CompilerState& st);
void CompileCursorStatement(CompilerState& st);
void CompileDisplayStatement(CompilerState& st);
void CompileInitLcdStatement(CompilerState& st);
void CompileDefLcdCharStatement(CompilerState& st);

}  // namespace qbc
