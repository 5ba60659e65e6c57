#pragma once
// Declarations of Subs, Functions and interrupt handlers.
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Each is entered on "declare", with the procedure kind after it.
void ParseDeclareSub(CompilerState& st);
void ParseDeclareFunction(CompilerState& st);
void ParseDeclareInterrupt(CompilerState& st);

// "(" [param {"," param}] ")": enters the parameters of the procedure being declared.
void ParseParamList(CompilerState& st);

// Enters one parameter or local of the current procedure (CurrentSubIndex/CurrentSubName)
// and reads its type clause; returns the bytes it takes in the frame.
std::uint8_t DeclareLocalVar(CompilerState& st, const std::string& name);

}  // namespace qbc
