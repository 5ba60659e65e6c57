#pragma once
// Where a numeric value lies in the registers of the expression model, byte by byte, and
// small writers that put one instruction line per byte of such a value.
//
// The current value of an integer type lies in zl, zh, r18, r19 (low byte first); the left
// operand of an integer operator in r24, r25, r16, r17. A float lies in r22..r25 (A) and,
// as the left operand of a float operator, in r18..r21 (B). A value of a type takes its
// first bytes of the set: 1 for bit and byte, 2 for integer and word, 4 for long and float.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

using RegisterSet = std::array<std::string_view, 4>;

inline constexpr RegisterSet kWorkRegisters{"zl", "zh", "r18", "r19"};
inline constexpr RegisterSet kLeftRegisters{"r24", "r25", "r16", "r17"};
inline constexpr RegisterSet kFloatRegisters{"r22", "r23", "r24", "r25"};
inline constexpr RegisterSet kFloatLeftRegisters{"r18", "r19", "r20", "r21"};

// The bytes of a value and the registers that hold them.
struct ValueRegisters {
  int bytes = 0;
  RegisterSet regs{};
};

// The bytes of a value of a numeric type: 1 (bit, byte), 2 (integer, word), 4 (long, float);
// 0 for any other type.
int NumericTypeBytes(std::uint8_t type);

// The bytes of a value of a numeric type: 1 for any other type (a byte's width).
int VarTypeBytes(std::uint8_t type);
// Byte, integer, word or long: a type whose value can number a bit.
bool IsWholeNumberType(std::uint8_t type);

// The address of byte `k` of a value stored at `base`: "base", "base+1", ...
std::string ByteAddress(std::string_view base, int k);

// A value of `type` as the current operand (integer types in the work registers, a float
// in A), or as the left operand of an operator (integer types in the left registers, a
// float in B). No bytes for a type that is not numeric.
ValueRegisters CurrentValue(std::uint8_t type);
ValueRegisters LeftValue(std::uint8_t type);
// The integer registers of `type`: the left ones when `left`, else the work ones.
ValueRegisters IntegerValue(std::uint8_t type, bool left);

// Which byte a per-byte writer starts with.
enum class ByteOrder : std::uint8_t { LowFirst, HighFirst };

// The operands of byte `k` (0 = low byte) held in register `reg`.
using ByteOperands = std::function<std::string(std::string_view reg, int k)>;

// "reg,other[k]": byte k of a value paired with the same byte of another register set.
ByteOperands PairedWith(const RegisterSet& other);

// One line "mnemonic  operands(reg, k)" for each byte of `v`.
void EmitEachByte(CompilerState& st, std::string_view mnemonic, const ValueRegisters& v, ByteOrder order,
                  const ByteOperands& operands);
// The register alone as the operand: "clr zl", "com zh", ...
void EmitEachByte(CompilerState& st, std::string_view mnemonic, const ValueRegisters& v,
                  ByteOrder order = ByteOrder::LowFirst);
// `first` for the low byte and `rest` for the others, each with the operands of its byte
// ("cp"/"cpc", "add"/"adc", "sub"/"sbc").
void EmitByteChain(CompilerState& st, std::string_view first, std::string_view rest, const ValueRegisters& v,
                   const ByteOperands& operands);

// One line per byte of an integer value of `type` pairing the left operand's registers with
// the work registers, low byte first: `first` for the low byte and `rest` for the others
// ("cp"/"cpc" to compare, "mov"/"mov" to move the value over). Returns false, writing
// nothing, for a type that is not a bit or an integer type.
bool EmitLeftWithWork(CompilerState& st, std::uint8_t type, std::string_view first, std::string_view rest);

// The operand pushed on the stack (integer types high byte first, a float low byte first)
// and popped into the left operand's registers: each pushed byte comes back as the same
// byte of the left operand.
void EmitPushValue(CompilerState& st, std::uint8_t type);
void EmitPopLeft(CompilerState& st, std::uint8_t type);

// A value of `type` copied from the left operand's registers into the current value's, or
// the other way (nothing for a type that is not numeric).
void EmitMoveLeftToCurrent(CompilerState& st, std::uint8_t type);
void EmitMoveCurrentToLeft(CompilerState& st, std::uint8_t type);

// The integer of `type` that the float-to-integer routine leaves in r22..r25 moved into the
// integer registers of `type` (the left ones when `left`). The upper word goes first when
// `upperWordFirst`: the left registers share r24:r25 with it.
void EmitIntegerFromFloatRegisters(CompilerState& st, std::uint8_t type, bool left, bool upperWordFirst);

// A value of `type` pushed on the software stack (st -Y), high byte first; returns its bytes
// (0, writing nothing, for a type that is not numeric).
int EmitSoftStackPush(CompilerState& st, std::uint8_t type);

// A whole number of type `from` in the first bytes of `regs` widened in place to type `to`:
// an integer becoming a long fills the upper word with its sign, any other number gets its
// missing bytes cleared. Nothing when `to` is no wider or either type is no whole number.
void EmitWidenInteger(CompilerState& st, const RegisterSet& regs, std::uint8_t from, std::uint8_t to);

// Bytes [from, to) of `v` cleared ("clr"), low byte first.
void EmitClearBytes(CompilerState& st, const ValueRegisters& v, int from, int to);

// A value read from memory into the first `wanted` bytes of `dest`: the first `stored`
// bytes with `mnemonic` and the operands of `address(k)`, the rest cleared.
void EmitWidenedRead(CompilerState& st, std::string_view mnemonic, const RegisterSet& dest, int stored, int wanted,
                     const std::function<std::string(int k)>& address);

// The bit in T as the number 0 or 1 of type `wanted` in the integer registers of `v`
// (nothing for a type outside byte..long).
void EmitBitAsNumber(CompilerState& st, const RegisterSet& regs, std::uint8_t wanted);

}  // namespace qbc
