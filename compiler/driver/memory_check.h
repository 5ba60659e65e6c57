#pragma once
// Whether the program fits the chip's SRAM and its $stack, once the whole program is
// written: the data segment, the handlers' stack, the deepest chain of frames the main
// program builds on Y and the hardware stack must fit the SRAM; in a program with
// interrupt handlers the hardware stack the main program's calls and pushes take and the
// handlers' on top must fit $stack.
#include "compiler/base/state.h"
#include "compiler/codegen/handlers/code_reach.h"
#include "compiler/codegen/handlers/handler_finish.h"

namespace qbc {

void CheckProgramMemory(CompilerState& st, const CodeMap& code, const HandlerMemory& handlers);

}  // namespace qbc
