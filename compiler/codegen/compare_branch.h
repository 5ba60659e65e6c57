#pragma once
// Relational comparisons and the branch that follows them. A comparison is compiled into
// compare lines that set the status flags; the branch writer then skips one "rjmp" to a
// label by the relation, the connective and the type. No truth value is ever computed.
//
// The right operand is compared as it is: "<=" and ">" are tested with a pair of branches
// (equal, then below/above) rather than by adding one to the right operand, which would
// wrap at the type's largest value (a byte tested "<= 255" would compare against 0).
#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// The relation a comparison tests; kRelNone: no relational operator (the value alone).
enum Relation : std::uint8_t {
  kRelNone = 0,
  kRelLess = 1,          // <
  kRelLessEqual = 2,     // <=
  kRelEqual = 3,         // =
  kRelGreaterEqual = 4,  // >=
  kRelGreater = 5,       // >
  kRelNotEqual = 6,      // <>
};

// The relation of an operator text; kRelNone for any other text.
Relation RelationCode(std::string_view text);

// Left operand, relational operator and right operand from the current token; the left
// operand ends in the second-operand registers, the compare lines are written. Returns the
// relation code, or 0 (and writes no compare) when no relational operator follows the
// left operand. A string left operand's address is moved from Z into X first. `wanted`
// comes in as the type both sides are wanted in (0: their own) and goes out as the type
// the left operand went on in.
Relation ParseComparison(CompilerState& st, std::uint8_t& wanted);

// The current token is the relational operator; pushes the left operand, compiles the
// right operand and the compare, in `wanted` (0: the left operand's type). Leaves
// OperandType on the type that was compared.
Relation ParseComparisonOperator(CompilerState& st, std::uint8_t wanted);

// The compare of the second-operand registers (r24, r25, r16, r17; X for strings) with the
// working registers (zl, zh, r18, r19; Z) as `wanted` (OperandType when it is 0).
void EmitCaseCompare(CompilerState& st, std::uint8_t wanted);

// Writes the branch that skips the following "rjmp" to `label`, and that "rjmp". With the
// connective "or" the jump is taken when the comparison holds, with any other connective
// when it fails. The type is `compared`, or OperandType when it is 0: integer and
// long compare signed; byte, word and bit unsigned; strings by the Z flag of the compare
// routines; floats through _Fcmp0's answer in r24 (0xff: right < left, 0: equal, 1: right >
// left). kRelNone writes only the "rjmp".
void EmitCompareBranch(CompilerState& st, std::string_view connective, Relation relation,
                       const std::string& label, std::uint8_t compared);

}  // namespace qbc
