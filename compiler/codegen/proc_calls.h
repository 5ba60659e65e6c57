#pragma once
// Calls of Subs (statements) and Functions (inside expressions): the arguments are
// compiled in the caller's context, each with its parameter's type, and pushed on the
// software stack Y; string arguments are copied into the string argument area and their
// addresses pushed; after the call the caller releases the parameter bytes.
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// TokenIndex on the name (a call name token); compile the whole call.
void CompileSubCall(CompilerState& st, const std::string& name);
// The same inside an expression: the result ends in the registers of `wanted` (converted
// from the result type); OperandType is the result type.
void CompileFunctionCall(CompilerState& st, const std::string& name, std::uint8_t wanted);

// "(" arguments ")" of the procedure at CurrentSubIndex; returns the number of arguments.
int ParseCallArgs(CompilerState& st, const std::string& callerName, std::uint8_t callerIndex);
// One argument, compiled in the caller's context as an assignment to a parameter of type
// `parameter` and pushed as that type.
void CompileArgExpression(CompilerState& st, const std::string& callerName, std::uint8_t callerIndex,
                          std::uint8_t parameter);
// X on byte `offset` of the string argument area (which starts where Y starts at reset).
void EmitStringArgArea(CompilerState& st, int offset);
// The argument area loads of the calls made in procedures without string parameters,
// once every call is compiled.
void EmitProcArgAreaLoads(CompilerState& st);
// Pushes the area address in X and copies the string at Z there (at most length - 1
// characters and the zero byte): from SRAM / from flash.
void EmitStringVarArg(CompilerState& st, std::uint8_t length);
void EmitStringConstArg(CompilerState& st, std::uint8_t length);

}  // namespace qbc
