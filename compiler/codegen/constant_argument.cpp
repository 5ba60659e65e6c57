// The value of an argument written as a constant, read before the argument is compiled:
// statements whose count or index has a range check it at compile time when they can.
#include <cmath>

#include "compiler/base/symbols.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/numeric_constants.h"

namespace qbc::kit {

namespace {

// True when the token `offset` ahead closes an argument.
bool EndsArgument(CompilerState& st, int offset) {
  const TokenRecord& t = st.Tok(offset);
  return t.Kind == kTokEol || t.Kind == kTokEndOfSource || t.Text == "<EOL>" || t.Text == ":" || t.Text == "," ||
         t.Text == ";" || t.Text == ")" || t.Text == "else";
}

}  // namespace

std::optional<std::int32_t> ConstantArgument(CompilerState& st) {
  int at = 0;
  double sign = 1;
  if (st.Tok().Kind == kTokOperator && (st.TokText() == "-" || st.TokText() == "+")) {
    if (st.TokText() == "-") sign = -1;
    at = 1;
  }
  const TokenRecord& t = st.Tok(at);
  double value = 0;
  if (t.Kind == kTokAmpersand) {
    std::string digits = st.Tok(at + 1).Text;
    if (digits.empty() || (digits[0] != 'h' && digits[0] != 'b')) return std::nullopt;
    value = digits[0] == 'h' ? HexConstantValue(digits) : BinConstantValue(digits);
    ++at;
  } else if (t.Kind == kTokNumber) {
    if (t.Text.size() >= 2 && t.Text[0] == '1' && t.Text[1] == 'w') return std::nullopt;  // a 1-Wire word
    value = LeadingNumber(t.Text);
  } else if (const int c = t.Kind == kTokName ? FindConst(st, t.Text) : 0; c != 0) {
    if (st.sym.Constants[c].ConstType != kTokNumber) return std::nullopt;
    value = LeadingNumber(st.sym.Constants[c].Value);
  } else {
    return std::nullopt;
  }
  if (!EndsArgument(st, at + 1)) return std::nullopt;
  value = RoundHalfEven(value) * sign;
  if (!std::isfinite(value) || std::fabs(value) > 2147483647.0) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace qbc::kit
