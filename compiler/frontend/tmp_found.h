#pragma once
// TEMPORARY: the foundation's services as this branch expects them, until they land.
#include <cstdint>
#include <string>

#include "compiler/frontend/state.h"

namespace qbc {
void CompileError(CompilerState& st, const std::string& message);
void ExpectToken(CompilerState& st, const std::string& expected);
std::string NewLabel(CompilerState& st);
void EmitLabel(CompilerState& st, const std::string& label);
void CheckStatementEnd(CompilerState& st);
void EmitEndOfUserCode(CompilerState& st);
bool IsBitIndex(const std::string& text);
int FindGlobalVar(CompilerState& st, const std::string& name);
int FindLocalVar(CompilerState& st, const std::string& name);
int FindSub(CompilerState& st, const std::string& name);
int FindConst(CompilerState& st, const std::string& name);
int FindIoRegister(CompilerState& st, const std::string& name);
void DefineConst(CompilerState& st, const std::string& name, const std::string& value, std::uint8_t type);
std::int32_t ParseAmpConstant(CompilerState& st);
std::int32_t IsHexConstant(std::string& text);
std::int32_t IsBinConstant(std::string& text);
std::uint8_t ParseFloatConstant(CompilerState& st, const std::string& text);
bool IsPortRegister(std::string& text);
}  // namespace qbc
