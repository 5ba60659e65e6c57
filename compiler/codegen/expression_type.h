#pragma once
// The one place the type of a value is decided. A scanner reads an expression's tokens
// without compiling them and gathers the values its operands can take: a variable its
// type's range, a constant its value, a function the values its dispatch row's result
// column names, a Function its declared result. Where a value is compared or printed, a
// number written after a minus sign counts as negative (W - 5 may be below 0); where the
// low bytes of a result are stored into a target, the operands count as written. One rule turns those values into the narrowest type that holds them
// all: a float when one is a float, else byte or word when none can be negative, integer
// or long when one can.
//
// Every operand of an expression is then loaded, pushed and popped in that one type, so
// that the stack stays balanced and no operand is cut to the width of another. The
// entries below say where the rule is asked and what stands beside the expression's own
// operands (a target, a selector, the other side of a comparison).
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// How far the expression at TokenIndex reaches: a sum ("+", "-" and the term operators),
// the and level as well, or every logical operator.
enum class ExpressionReach : std::uint8_t { kSum, kAnd, kAll };

// An expression with no target (a Print or Lcd item, a graphic coordinate, Str's argument,
// any operand wanted in no type): the type of its operands when operators join them or a
// sign stands before a variable; 0 for a single operand (it keeps its own type), operands
// that are all bits, or an operand whose type is not a number (a string, an unknown name).
std::uint8_t CommonExpressionType(CompilerState& st, ExpressionReach reach);

// How the expression at TokenIndex, wanted as `wanted` (0: none), is worked.
struct ExpressionWork {
  // The type it is worked in when that is not `wanted` itself (0): with none wanted and
  // operands joined by operators, the type that holds them (CommonExpressionType); with an
  // integer wanted (byte to long) and a Float among operands joined by operators, a Float:
  // the operands are not cut to the integer first, and the result is converted as a Float
  // variable read into that integer is (L = F * 1000 stores what T = F * 1000 : L = T
  // stores); with an integer wanted whose result's low bytes depend on wider operands (a
  // division or a remainder, a constant beyond its registers), the type that holds them,
  // whose low bytes are taken: an assignment to a Byte (B = W / 10) or an argument wanted as
  // one (Chr(W / 2)) is the low byte of the Word quotient. Where the low bytes come out the
  // same either way (sums, differences, products, bit operations, with every constant
  // fitting), and where every operand fits, the wanted type itself, which is shorter code;
  // a quotient, a remainder or a bit operation of operands that are never negative, all of
  // a narrower type, in that narrower type (its result cannot pass it), widened after.
  std::uint8_t type = kTypeNone;
  // A text (a string, a literal, Left, Mid, Right, Str, Hex, ...) or an array named without
  // an index is no number: wanted as one it is "Only numeric variables!", joined to another
  // operand by an operator or a sign (with none wanted) "Unsupported operation!".
  const char* refusal = nullptr;
  // The token after the expression.
  int end = 0;
};
ExpressionWork WorkOf(CompilerState& st, std::uint8_t wanted, ExpressionReach reach);

// The narrowest type that holds both the values of type `with` (0: none) and those of every
// operand of the expression at TokenIndex, single or joined (bits count as bytes); 0 when
// an operand's type is not known here. A function's argument (Abs, Sqrt).
std::uint8_t TypeHoldingExpression(CompilerState& st, std::uint8_t with);

// The narrowest type that holds the values of `type` and `value` (0 when `type` is no number).
std::uint8_t TypeHoldingValue(std::uint8_t type, double value);

// While it lives, the value being compiled goes to a place of `type` (ExpressionCells::
// StoreType); the place before is restored.
class StoreTypeScope {
 public:
  StoreTypeScope(CompilerState& st, std::uint8_t type) : st_(st), kept_(st.expr.StoreType) { st.expr.StoreType = type; }
  ~StoreTypeScope() { st_.expr.StoreType = kept_; }
  StoreTypeScope(const StoreTypeScope&) = delete;
  StoreTypeScope& operator=(const StoreTypeScope&) = delete;

 private:
  CompilerState& st_;
  std::uint8_t kept_;
};

// The type a Case value (the expression at TokenIndex) is compared with a selector of type
// `selector` in: the selector's when the value fits it, else the type that holds both.
std::uint8_t CaseValueType(CompilerState& st, std::uint8_t selector);

// The narrowest type that holds the values of `with` (0: none) and those of one Case's
// values at TokenIndex (values and ranges joined by "," and "To", a relation before them);
// `with` when one of them is no integer known here. Folded over every Case of a Select.
std::uint8_t CaseValuesType(CompilerState& st, std::uint8_t with);

// The type a Select's selector (the expression at TokenIndex) is worked in when the values
// of its Cases (`cases`, from CaseValuesType) pass its own: the type that holds both, as
// the If of the same test compares them (Val read in 16 bits, a sum worked in a Word would
// be cut before it is compared); 0 when its own type holds them, it is no integer (a bit,
// a text, a Float) or it is not known here.
std::uint8_t SelectorType(CompilerState& st, std::uint8_t cases);

// The type a For loop's end (the expression at TokenIndex) is worked in for a counter of
// type `counter`: the counter's when the end's operands fit it, else the type that holds
// them and the counter's values, as the If that compares the two (the end is then brought
// into the counter's range, which the loop cannot pass). A constant alone is the counter's
// type: one that does not fit it is refused.
std::uint8_t ForEndType(CompilerState& st, std::uint8_t counter);

// The type of the magnitudes of a type's values (Abs): an integer's reach a word.
std::uint8_t MagnitudeType(std::uint8_t type);

// A constant loaded into the registers of an integer type must fit them: a byte takes
// -128 to 255, an integer or word -32768 to 65535, a long -2147483648 to 4294967295 (the
// negative and the unsigned halves of each give the same bits). True for any other type.
bool ConstantFitsType(double value, std::uint8_t type);
// A For step of `step` moves a counter of type `counter` by at most its whole range: a
// byte 255 either way, a word 65535, an integer -32768 to 32767.
bool StepFitsCounter(double step, std::uint8_t counter);
// "Constant <text> does not fit a <type>!", the message for both.
std::string ConstantDoesNotFit(const std::string& text, std::uint8_t type);

// What the expression at TokenIndex (a sum) gives.
enum class ValueKind : std::uint8_t { kUnknown, kNumber, kText, kCharacter };
ValueKind ExpressionKind(CompilerState& st);

// How the comparison at TokenIndex (up to its "or", "and", "then" or ":") is compared.
struct ComparisonTyping {
  // The type both sides are compared in when their operands' types differ (a byte against a
  // word, a Function's integer against a word, integers against a float on the right); 0
  // when they agree, or when a bit, a text or a float on the left takes part (those keep
  // their own forms).
  std::uint8_t type = 0;
  // A text on one side and a number on the other: no type holds both.
  bool textAgainstNumber = false;
  // A text on one side (and no number on the other): texts are compared. Chr on either
  // side is then a one-character text, Str a number's text.
  bool texts = false;
  // A number's text (Str, Hex) alone on the left or the right side: it is made where the
  // comparison reads it, in the free space below Y.
  bool leftNumberText = false;
  bool rightNumberText = false;
};
ComparisonTyping TypeComparison(CompilerState& st);

}  // namespace qbc
