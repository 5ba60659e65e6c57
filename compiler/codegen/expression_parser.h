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
// Callers set WantedType (0: the operand's own type) and call an entry point; on return
// TokenIndex stands on the first token that is not part of the expression and OperandType
// holds the type of what was compiled.
#include "compiler/base/state.h"

namespace qbc {

void ParseExpression(CompilerState& st);  // or / xor level: a whole expression
void ParseAndLevel(CompilerState& st);
void ParseNotLevel(CompilerState& st);
void ParseSum(CompilerState& st);  // an arithmetic expression, without the logic levels
void ParseTerm(CompilerState& st);  // the rest of a term after its first factor
void ParseFactor(CompilerState& st);  // one operand
void ParseAddition(CompilerState& st);
void ParseSubtraction(CompilerState& st);
void ParseMultiplication(CompilerState& st);
void ParseDivision(CompilerState& st);
void ParseOrOperation(CompilerState& st);
void ParseXorOperation(CompilerState& st);
void ParseUnaryMinus(CompilerState& st);

// True when the current token is "^", "|", "and", "&", "or" or "xor".
bool IsLogicalOperator(CompilerState& st);
// True when the current token's text occurs within "<><=>=".
bool IsRelationalOperator(CompilerState& st);

}  // namespace qbc
