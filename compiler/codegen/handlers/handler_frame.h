#pragma once
// A handler's entry and exit around its body, as its plan says (worked out once the whole
// program is compiled, from the code the handler reaches):
// - SREG kept in r2;
// - the registers of its save set (r2 among them in a handler that turns interrupts on:
//   an inner handler keeps its SREG in r2 too, so the outer one takes its copy back from
//   the stack);
// - RAMPZ, where the handler can read flash above 64 KB, and EIND, where it can jump
//   through a table with a 22-bit program counter;
// - the switch to the handlers' own software stack, where the handler works on Y;
// - the interrupted code's text buffers, and in a nested handler the outer one's string
//   argument copies, moved onto that stack and back;
// - its frame (locals);
// - in a handler whose body may turn interrupts on, "cli" where its exit starts taking
//   its state down: from the count of handlers on their stack to the "out" of SREG no
//   interrupt may come (the count would say a handler runs while Y is half given back,
//   and an inner handler would put its own SREG into r2).
#include <string>
#include <utility>
#include <vector>

#include "compiler/base/state.h"
#include "compiler/frontend/handler_cells.h"

namespace qbc {

struct HandlerPlan {
  std::vector<int> saved;  // push order
  bool rampz = false;
  bool eind = false;
  bool ownStack = false;
  std::string stackTop;    // the address the first handler's Y starts at
  // Cells the interrupted code may be using that this handler's code uses as well: label
  // and bytes, moved onto the handler's stack on entry and back on exit.
  std::vector<std::pair<std::string, int>> keptCells;
  bool keepArgArea = false;  // a nested handler keeps the outer one's string argument copies
  int argAreaBytes = 0;
  // The body may turn interrupts on, so the exit may be entered with them on.
  bool interruptsOn = false;
};

// Registers the entry and exit themselves change (beyond Y): they join the save set.
std::vector<int> HandlerMachineryRegisters(const HandlerPlan& plan);
// Bytes the entry leaves on the hardware stack (after the return address).
int HandlerEntryPushes(const HandlerPlan& plan);

// The lines from the label to the first line of the body (before its frame), and from the
// last line of the body to the "reti".
std::string HandlerEntryText(CompilerState& st, const HandlerPlan& plan);
std::string HandlerExitText(CompilerState& st, const HandlerPlan& plan, const HandlerCells::Handler& h);

// The copy routines the entry and exit call to move a cell onto the handler's stack and
// back (appended once after the library, when a handler keeps a cell).
void EmitHandlerKeepRoutines(CompilerState& st);

}  // namespace qbc
