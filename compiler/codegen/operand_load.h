#pragma once
// Loading operands into the registers of the expression model (see expression_parser.h):
// named operands, global variables by type, numeric constants, and variable addresses.
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// The operand named by the current token (variable, local, I/O register, $def alias, and
// their single bits "name.bit") loaded as `wanted`; steps past the name and any bit
// suffix; sets OperandType. Returns the type the expression goes on in: `wanted`, or with
// none wanted a variable's own type.
std::uint8_t EmitLoadOperand(CompilerState& st, std::uint8_t wanted);

// When `wanted` is an integer type (below 6) and the value just compiled is a float,
// converts it (call _Fxsf) and moves the integer into the working registers (the
// second-operand registers with SkipOperandPush); for a bit its low byte, whose bit 0 the
// bit takes. Otherwise writes nothing.
void EmitConvertFromFloat(CompilerState& st, std::uint8_t wanted);

// The left operand of a one-operator expression or of a simple comparison waits in
// r24:r25 (and r16:r17) instead of on the stack, while a float variable wanted as an
// integer is loaded and converted in r22..r25. True when the current token names such a
// variable (a global or a local of type float) and `wanted` is an integer type: the
// caller then keeps r24:r25 on the stack around the operand.
bool FloatVariableNext(CompilerState& st, std::uint8_t wanted);

// The address of the variable or local named by the current token into Z ("z") or X
// (any other letter); steps past the name; OperandType = the variable's type. A bit
// variable has no address: compile error. On a chip with at most 256 bytes of SRAM the
// address is one byte, and a word `wanted` clears the high register.
void EmitLoadVarAddress(CompilerState& st, const std::string& reg, std::uint8_t wanted);
void EmitLoadStaticAddress(CompilerState& st, const std::string& name, const std::string& reg, std::uint8_t wanted);
void EmitLoadFrameAddress(CompilerState& st, int localIndex, const std::string& reg);

// The value of global variable `name` (OperandType = its declared type, set by the
// caller) converted to `wanted`. Returns the type the expression goes on in: `wanted`, or
// with none wanted the variable's type.
std::uint8_t EmitLoadVariable(CompilerState& st, const std::string& name, std::uint8_t wanted);

// A numeric constant (decimal, or a lone sign "-"/"+" that takes the number at TokenIndex
// and steps past it; a text ending in "e" takes the exponent's two tokens after
// TokenIndex) loaded as `wanted` (0: its own type); float texts are converted at compile
// time.
void EmitLoadConstant(CompilerState& st, const std::string& text, std::uint8_t wanted);

}  // namespace qbc
