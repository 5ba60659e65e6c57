#pragma once
// The one place the type of a value is decided. A scanner reads an expression's tokens
// without compiling them and gathers the values its operands can take (a variable its
// type's range, a constant its value, a function the range its dispatch row's result
// column names); one rule turns those values into the narrowest type that holds them all:
// a float when one is a float, else byte or word when none can be negative, integer or
// long when one can.
//
// Every operand of an expression is then loaded, pushed and popped in that one type, so
// that the stack stays balanced and no operand is cut to the width of another.
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

// The narrowest type that holds the values of `type` and `value` (0 when `type` is no number).
std::uint8_t TypeHoldingValue(std::uint8_t type, double value);

// The integer type both sides of the comparison at TokenIndex (up to its "or", "and",
// "then" or ":") are compared in, when its variables and numbers are of different widths
// (a byte against a word variable, a word against a negative number); 0 when they agree,
// or when a bit, string or float takes part (those keep their own forms). TokenIndex stays.
std::uint8_t ComparisonType(CompilerState& st);

// True when the comparison at TokenIndex has integers on its left and a float (variable,
// constant or number with a decimal point) on its right: both sides are then compared as
// floats, since the left operand's type would cut the fraction (5 < 5.5 would be false).
// A float on the left already makes a float comparison.
bool IntegerAgainstFloat(CompilerState& st);

}  // namespace qbc
