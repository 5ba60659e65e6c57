#pragma once
// The string functions that stand as factors of an expression. Each generator is entered
// with TokenIndex on its keyword and leaves it after the closing ")".
//
// Results:
//   Val, HexVal   a 16-bit number in zl, zh (Val signed, HexVal unsigned), widened to the
//                 wanted type; OperandType integer / word
//   Len, Instr    a byte in zl, widened to the wanted type; OperandType byte
//   Chr           one character in zl; OperandType 10
//   Str           the number itself (its type in OperandType): where its text is read,
//                 the string term store and the text comparisons make it
//   Left, Right, Mid  a substring: Z on its first character, r20 = characters + 1;
//                 OperandType 11. Out-of-range counts and positions are clamped to the
//                 string (Right(s, 9) of a 3-character s is s, Mid past the end is empty).
// String arguments must be in SRAM where the routines read SRAM (Val, HexVal, Left, Right,
// Mid, the searched text of Instr); a literal given to Val or HexVal is converted while
// compiling.
//
// Each takes the type its value is wanted in and returns the type the expression goes on
// in (the dispatch rows' function form).
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

std::uint8_t CompileValFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileHexValFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileStrFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileChrFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileLenFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileLeftFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileRightFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileMidFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileInstrFunction(CompilerState& st, std::uint8_t wanted);

// Chr's argument, from its "(" to its ")": the character code in zl, worked as a Byte as
// every argument wanted as an integer is (a Float converted as into a Byte variable, a
// wider value's low byte). Every statement with a Chr item compiles its argument here.
void CompileCharacterCode(CompilerState& st);

// Z = the address of the SRAM variable `name`.
void EmitLoadVarAddressZ(CompilerState& st, const std::string& name);

// The value the run-time conversion gives for a text (used for literals): decimal as
// _St2Nm reads it (TABs skipped, "-" negates, every other character counts as a digit),
// hexadecimal as _Hx2Nm (leading hexadecimal digits of either case); kept to 32 bits (the
// 16-bit routines' value is its low half).
std::uint32_t DecimalTextValue(const std::string& text);
std::uint32_t HexTextValue(const std::string& text);

// Messages of the string functions.
inline constexpr const char* kMsgStringArg = "Must be String variable or String constant!";
inline constexpr const char* kMsgSramStringArg = "Must be String variable!";

}  // namespace qbc
