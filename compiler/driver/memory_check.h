#pragma once
// Whether the program fits the chip's SRAM and its $stack, once the whole program is
// written: the data segment, the handlers' stack, the deepest chain of frames the main
// program builds on Y and the hardware stack must fit the SRAM; in a program with
// interrupt handlers the hardware stack the main program's calls and pushes take and the
// handlers' on top must fit $stack.
#include <string>
#include <string_view>

#include "compiler/base/state.h"
#include "compiler/codegen/handlers/code_reach.h"
#include "compiler/codegen/handlers/handler_finish.h"

namespace qbc {

// What the check could not do, for the build report.
struct MemoryCheckCells {
  bool stackUnchecked = false;  // the depth of the hardware stack is not known
};

// `code`: the program's code as read once the library is written (before the handlers'
// entries and exits are placed).
void CheckProgramMemory(CompilerState& st, const CodeMap& code, const HandlerMemory& handlers);
// The report's line when the hardware stack's depth could not be worked out.
inline constexpr std::string_view kStackDepthUnknown = "stack depth not known: $stack not checked";
// The report's lines about the checks that could not be made ("" for none), each ending
// in CR LF.
std::string MemoryCheckNotes(const CompilerState& st);

}  // namespace qbc
