#pragma once
// Conditions of If, ElseIf, Do ... Loop While and While: a chain of comparisons joined by
// "and" and "or", of equal rank, taken from left to right. Every comparison becomes a
// compare and a branch to a label; "or" jumps to the true label when its comparison holds,
// every other comparison jumps to the false label when it fails.
//
// Simple comparisons (a variable, register, register bit or variable bit against a short
// operand) are compiled by CompileCondition without the expression machinery: the left
// operand is loaded into r24 (r25, r16, r17; a float into r18..r21), the right operand into
// zl (zh, r18, r19), and a single bit is tested with a skip instruction.
#include <cstdint>
#include <string>

#include "compiler/base/state.h"
#include "compiler/codegen/compare_branch.h"

namespace qbc {

// True when the comparison at TokenIndex is simple enough for CompileCondition. Reads the
// tokens up to the next "or", "and", "then" or ":" and the global variables; moves nothing.
bool IsSimpleCondition(CompilerState& st);

// Compiles one simple comparison (a leading "not" accepted) and returns its relation code;
// leaves TokenIndex on the connective that follows. Returns 0 when it wrote a skip
// instruction itself (a bit test): the caller then writes only the "rjmp" after it, which
// the skip passes over when the jump must not be taken at the connective that follows.
// `compared` comes in as the type the typer chose (0: the operands' own) and goes out as
// the type the branch tests.
Relation CompileCondition(CompilerState& st, std::uint8_t& compared);

// The relation and right operand of a simple comparison whose left operand is in r24..;
// writes the compare and returns the relation code; `compared` as for CompileCondition.
Relation ParseConditionRelation(CompilerState& st, std::uint8_t& compared);

// Loads a named operand into the compare registers as `wanted` (0: its own type), or
// records where its bit is in the bit-operand cells (BitOperandRegister, BitOperandBit and
// the kind flags); TokenIndex is on the token after the name and is moved past a "." and
// its bit.
void EmitLoadConditionOperand(CompilerState& st, std::string name, std::uint8_t wanted);

// Loads a global variable into r24.. as `wanted` (OperandType when it is 0).
void EmitLoadConditionVariable(CompilerState& st, const std::string& name, std::uint8_t wanted);

// Loads a local or parameter (FindLocalVar's index) from the Y frame into r24.. as
// `wanted` (OperandType when it is 0); a float goes to r18..r21.
void EmitLoadConditionFrameVar(CompilerState& st, int index, std::uint8_t wanted);

// The compare of r24.. with zl.. as `wanted` (OperandType when it is 0); none for floats.
void EmitConditionCompare(CompilerState& st, std::uint8_t wanted);

// The displacement in the Y frame of a local (FindLocalVar's index) of the current
// procedure: its FrameSize less the local's FrameOffset.
int FrameDisplacement(CompilerState& st, int index);

// A number written with a decimal point after a relational operator reaches the token
// table as three tokens ("2", ".", "5"): joins them into one number token "2.5" from
// TokenIndex on (a "-" sign in front is passed over).
void JoinDecimalNumber(CompilerState& st);

// Compiles a whole condition chain from TokenIndex up to the word that ends it ("then",
// "<EOL>", ":", ...), which is left current. Comparisons that fail jump to `falseLabel`;
// "or" comparisons that hold jump to `trueLabel`, made with NewLabel at the first "or" when
// `needTrueLabel` is set (it is cleared then).
void EmitConditionChain(CompilerState& st, const std::string& falseLabel, std::string& trueLabel,
                        bool& needTrueLabel);

}  // namespace qbc
