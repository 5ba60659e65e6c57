#pragma once
// The float function keywords (Sin .. Tanh, Pow, Exp, Log, Sqr, DegToRad, RadToDeg, Int,
// Fract) and Sqrt, which also takes integers: each compiles its argument as a float, calls
// its float library routine and leaves the result in the type the expression wants.
#include <cstdint>

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
std::uint8_t CompileFloatFunction(CompilerState& st, int member, std::uint8_t wanted);
std::uint8_t CompileSqrtFunction(CompilerState& st, std::uint8_t wanted);

// True when `member` has its row of routine and flags.
bool FloatMemberHasRow(int member);

}  // namespace qbc
