#pragma once
// The result of a number function handed back in the type the enclosing expression wants:
// the function compiles its arguments in types of its own, and the assignment stores and
// the operators after it take every byte of the wanted type.
#include <cstdint>

#include "compiler/base/state.h"
#include "compiler/codegen/expression_type.h"

namespace qbc {

class FunctionResult {
 public:
  // Keeps the caller's wanted type and SkipOperandPush; the arguments go to the working
  // registers, each wanted for the function itself, not for the place the function's value
  // goes to (StoreType is none while the function lives).
  FunctionResult(CompilerState& st, std::uint8_t wanted);

  // The type the caller wants (0: none).
  std::uint8_t Wanted() const { return wanted_; }

  // The value of `type` in the working registers (r22..r25 for a float) converted to the
  // caller's wanted type; with none wanted it goes on in its own type. Restores
  // SkipOperandPush and returns the type the expression goes on in.
  std::uint8_t Yield(std::uint8_t type);

 private:
  CompilerState& st_;
  std::uint8_t wanted_;
  bool skip_;
  StoreTypeScope place_;
};

// Steps past the keyword and "(" and compiles the first argument as `wanted` (0: its own
// type) into the working registers; returns the type it went on in.
std::uint8_t CompileFirstArgument(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
