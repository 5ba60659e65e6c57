#pragma once
// The float function keywords (Sin .. Tanh, Pow, Exp, Log, Sqr, DegToRad, RadToDeg, Int,
// Fract) and Sqrt, which also takes integers: each compiles its argument as a float, calls
// its float library routine and leaves the result in the type the expression wants.
#include "compiler/base/state.h"

namespace qbc {

// The members of the float family, numbered in the dispatch rows; each has one row of its
// routine and flags, found by the member.
enum FloatMember : int {
  kFloatPow,
  kFloatExp,
  kFloatLog,
  kFloatLog10,
  kFloatSqr,
  kFloatSin,
  kFloatCos,
  kFloatTan,
  kFloatAsin,
  kFloatAcos,
  kFloatAtan,
  kFloatAtan2,
  kFloatSinh,
  kFloatCosh,
  kFloatTanh,
  kFloatDegToRad,
  kFloatRadToDeg,
  kFloatInt,
  kFloatFract,
};

// Entered on the keyword; leaves the token index after ")".
void CompileFloatFunction(CompilerState& st, int member);
void CompileSqrtFunction(CompilerState& st);

// True when `member` has its row of routine and flags.
bool FloatMemberHasRow(int member);

}  // namespace qbc
