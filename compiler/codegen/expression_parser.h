#pragma once
// The expression parser: recursive descent over the token table from TokenIndex, writing
// the code of each level as it reads it (no tree, no second pass). The value ends in the
// working registers of its type:
//   bit, byte: zl          integer, word: zl, zh        long: zl, zh, r18, r19
//   float: r22..r25        strings: the address in Z
// The left operand of a binary operator is pushed on the hardware stack and popped by the
// operator into the second-operand registers (r24, r25, r16, r17; float r18..r21), unless
// SkipOperandPush is set: then it was loaded straight into those registers.
//
// The wanted type is passed in: the type the caller wants the value in (0: none, the
// operands' own; kTypeAnyNumber to ParseExpression and ParseSum: a number in its own type,
// where a text is refused as it is where a number type is wanted). Each level returns the type the expression goes on in: the wanted type,
// or with none wanted the type the value was left in (the first operand's, or the type
// the typer chose for operands joined by operators). On return TokenIndex stands on the
// first token that is not part of the expression and OperandType holds the type of what
// was compiled.
#include <cstdint>

#include "compiler/base/state.h"

namespace qbc {

std::uint8_t ParseExpression(CompilerState& st, std::uint8_t wanted);  // or / xor level: a whole expression
std::uint8_t ParseAndLevel(CompilerState& st, std::uint8_t wanted);
std::uint8_t ParseNotLevel(CompilerState& st, std::uint8_t wanted);
std::uint8_t ParseSum(CompilerState& st, std::uint8_t wanted);  // an arithmetic expression, without the logic levels
void ParseTerm(CompilerState& st, std::uint8_t wanted);  // the rest of a term after its first factor
std::uint8_t ParseFactor(CompilerState& st, std::uint8_t wanted);  // one operand
std::uint8_t ParseAddition(CompilerState& st, std::uint8_t wanted);
std::uint8_t ParseSubtraction(CompilerState& st, std::uint8_t wanted);
void ParseMultiplication(CompilerState& st, std::uint8_t wanted);
void ParseDivision(CompilerState& st, std::uint8_t wanted);
std::uint8_t ParseOrOperation(CompilerState& st, std::uint8_t wanted);
std::uint8_t ParseXorOperation(CompilerState& st, std::uint8_t wanted);
std::uint8_t ParseUnaryMinus(CompilerState& st, std::uint8_t wanted);

// True when the current token is "^", "|", "and", "&", "or" or "xor".
bool IsLogicalOperator(CompilerState& st);
// True when the current token's text occurs within "<><=>=".
bool IsRelationalOperator(CompilerState& st);

}  // namespace qbc
