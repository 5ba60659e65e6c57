#pragma once
// Adc and Adc8: one conversion of the channel given, the full result as a word or its
// upper eight bits as a byte, in the width the expression wants.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; each leaves the token index after its ")".
std::uint8_t CompileAdcFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileAdc8Function(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
