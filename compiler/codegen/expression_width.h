#pragma once
// The type an expression is worked in when nothing around it gives it one: a Print or Lcd
// item, a graphic coordinate, Str's argument, any operand wanted in no type. Every operand
// of such an expression is loaded, pushed and popped in this one type, so that the stack
// stays balanced and no operand is cut to the width of the first one.
#include <cstdint>

#include "compiler/base/state.h"

namespace qbc {

// How far the expression at TokenIndex reaches: a sum ("+", "-" and the term operators),
// the and level as well, or every logical operator.
enum class ExpressionReach : std::uint8_t { kSum, kAnd, kAll };

// Reads the expression at TokenIndex without compiling it (TokenIndex stays) and returns
// the narrowest type that holds the values of all its operands: a float when one is a
// float, else byte or word when no operand can be negative, integer or long when one can.
// 0 when there is nothing to unify: a single operand, operands that are all bits, or an
// operand whose type is not a number (a string, an unknown name).
std::uint8_t CommonExpressionType(CompilerState& st, ExpressionReach reach);

// The narrowest type that holds both the values of type `with` (0: none) and those of every
// operand of the expression at TokenIndex, single or joined (bits count as bytes); 0 when
// an operand's type is not known here. TokenIndex stays.
std::uint8_t TypeHoldingExpression(CompilerState& st, std::uint8_t with);

}  // namespace qbc
