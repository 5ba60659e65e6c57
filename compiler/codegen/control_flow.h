#pragma once
// Generators of the control statements and the small general statements. Each is called
// by the keyword dispatcher with TokenIndex on its keyword and returns after its statement.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/base/state.h"

namespace qbc {

void CompileIfStatement(CompilerState& st);
void CompileSelectStatement(CompilerState& st);
void CompileDoStatement(CompilerState& st);
void CompileWhileStatement(CompilerState& st);
void CompileForStatement(CompilerState& st);
void CompileGotoStatement(CompilerState& st);
// A label definition "name:" at the start of a statement.
void CompileLabelDefinition(CompilerState& st);
void CompileOnStatement(CompilerState& st);
void CompileToggleStatement(CompilerState& st);
void CompileBitWaitStatement(CompilerState& st);
void CompileWaitUsStatement(CompilerState& st);
void CompileWaitMsStatement(CompilerState& st);
void CompileWaitStatement(CompilerState& st);
void CompileIncrStatement(CompilerState& st);
void CompileDecrStatement(CompilerState& st);
void CompilePokeStatement(CompilerState& st);
// Functions met as factors of an expression: leave the byte in zl.
std::uint8_t CompilePeekFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileCpeekFunction(CompilerState& st, std::uint8_t wanted);

// Opens one more level of a loop kind (Do, While or For) in its depth counter and returns
// the new depth. The exit-label tables hold 32 levels of each kind: one more is a compile
// error "Too many nested loops (32)!" that ends the compilation.
std::uint8_t EnterNestedLoop(CompilerState& st, std::uint8_t& depth);

// A jump to a source label from where For loops may be open: the label to jump to (the
// source label itself, or a stub that first takes off what the loops left on the way
// saved). Stubs for labels already defined are collected in `stubs` and written by
// EmitGotoStubs where no code falls into them; stubs for labels further on are written
// before the label.
struct GotoStub {
  std::string Stub;
  std::string Target;
  std::vector<std::string> TargetLoops;
};
std::string JumpTargetLeavingLoops(CompilerState& st, const std::string& label, std::vector<GotoStub>& stubs);
void EmitGotoStubs(CompilerState& st, const std::vector<GotoStub>& stubs);
// At the end of the compilation: a compile error, at the Goto's line, for every Goto or
// On ... Goto whose label the program never defined (the assembler would report the jump,
// or a generated stub label, at a line of the .asm instead).
void ReportUndefinedGotoLabels(CompilerState& st);

// Leaving open For loops early. Every open For loop keeps the end value of the loop around
// it on the hardware stack (r5, or r5 and r6); a jump out of loops must take those bytes
// off, innermost loop first, restoring r5/r6 of each enclosing loop, or a later "ret" of
// the Sub returns to a wrong address.
//
// Pops what the For loops deeper than `depth` saved (ForNestingDepth down to depth + 1).
void EmitForUnwind(CompilerState& st, std::uint8_t depth);
// The lines an Exit of the block named by `word` ("for", "do", "while", "sub", "function")
// writes before its jump: the For loops opened inside that block are unwound (for "for",
// the innermost For loop itself).
void EmitExitUnwind(CompilerState& st, std::string_view word);

}  // namespace qbc
