#pragma once
// The handlers' entries and exits, written once the whole program (with its library) is
// compiled, from what the code each handler can run does (code_reach.h):
// - the save set: the Save level's registers and every register of the "all" set that
//   code changes (save_sets.h);
// - the software stack only for a handler whose code works on Y: a counter, a flag or a
//   port toggle costs what it cost before there was one;
// - RAMPZ only where that code reads flash above 64 KB, EIND where it jumps through a
//   table with a 22-bit program counter;
// - the float and number text buffers moved onto the handler's stack only where that code
//   uses them, and kept per handler: a nested handler keeps the outer one's;
// - in a handler that turns interrupts on, its SREG copy r2 kept on the stack: an inner
//   handler (one of the library's too) keeps its own SREG in r2; and its exit closed to
//   interrupts from where it starts taking its state down.
// It refuses recursion a handler can reach (its depth has no bound) and reserves the
// handlers' stack for the deepest a handler (all of them at once when they nest) can go.
#include "compiler/base/state.h"
#include "compiler/codegen/handlers/code_reach.h"

namespace qbc {

// The handlers' part of the program's memory, for the whole-program check.
struct HandlerMemory {
  int stackAreaBytes = 0;  // _IsY
  // The hardware stack the handlers take on top of the interrupted code's, when they run
  // (all of them at once when they can nest); not known when one's code does not say.
  int hardwareBytes = 0;
  bool hardwareKnown = true;
  bool interrupts = false;  // the program has handlers (its own or the library's)
};

// Whether the program has interrupt handlers (its own or the library's).
bool ProgramHasHandlers(const CompilerState& st);
// Where avra looks for the files the output includes.
AsmFiles OutputFiles(const CompilerState& st);
// The program's code as its readers read it (the hardware stack's depth, the handlers):
// made once the library is written. Without handlers its lines are views of the output
// itself, which must then stay as it is while the map is read.
CodeMap ProgramCodeMap(const CompilerState& st);
HandlerMemory FinishHandlers(CompilerState& st, const CodeMap& code);

}  // namespace qbc
