#include "compiler/frontend/const_statement.h"

#include "compiler/base/compile_failure.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/names.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/base/symbols.h"

namespace qbc {

namespace {

bool IsDefinitionEnd(CompilerState& st) {
  HoldOnLine(st);
  return st.TokText() == "," || AtLineEnd(st);
}

bool IsNumberToken(const TokenRecord& t) {
  return t.Kind == kTokNumber && !t.Text.empty() && t.Text[0] >= '0' && t.Text[0] <= '9';
}

// The text of a numeric operand that starts at the current token. The tokenizer can split
// one number over several tokens: "1", ".", "5" when a name came before it on the line,
// and "1e", "-", "3" for an exponent with its sign. They are joined again here, and the
// index is left on the operand's last token; the rest of the definition stays unread.
std::string NumericOperand(CompilerState& st) {
  std::string text = st.TokText();
  if (text == "." && IsNumberToken(st.Tok(1)) && st.src.TokenIndex + 1 < st.src.TokenCount) {
    ++st.src.TokenIndex;
    text += st.TokText();
  } else if (st.Tok(1).Text == "." && IsNumberToken(st.Tok(2)) && text.find('.') == std::string::npos &&
             text.back() != 'e' && st.src.TokenIndex + 2 < st.src.TokenCount) {
    st.src.TokenIndex += 2;
    text += "." + st.TokText();
  }
  if (!text.empty() && text.back() == 'e' && (st.Tok(1).Text == "+" || st.Tok(1).Text == "-") &&
      IsNumberToken(st.Tok(2)) && st.src.TokenIndex + 2 < st.src.TokenCount) {
    text += st.Tok(1).Text + st.Tok(2).Text;
    st.src.TokenIndex += 2;
  }
  return text;
}

}  // namespace

void CompileConstStatement(CompilerState& st) {
  do {
    ++st.src.TokenIndex;
    ParseConstDefinition(st);
    HoldOnLine(st);
  } while (st.TokText() == ",");
}

void ParseConstDefinition(CompilerState& st) {
  const std::string name = st.TokText();
  // A name that cannot name the constant is reported here; its value is still read (and
  // its errors reported), but nothing is defined.
  const bool claimed = ClaimName(st, NameKind::kConstant);
  ++st.src.TokenIndex;
  ExpectToken(st, "=");

  double acc = 0.0;
  char pending = 0;  // 0 none, or '+', '-', '*', '/'
  // A "+" or "-" where an operand is due (first, or after an operator) is the operand's
  // sign: 4 * -2 is -8, not 4 - 2.
  bool operandDue = true;
  bool negative = false;
  for (;;) {
    if (IsDefinitionEnd(st)) {
      if (claimed) DefineConst(st, name, NumberText(acc), kTokNumber);
      return;
    }
    const TokenRecord& tok = st.Tok();
    std::string operand;
    // The four keywords that can name constants ("true", "false", "on", "off") are read
    // back like any other constant name.
    const std::uint8_t kind =
        tok.Kind == kTokKeyword && FindConst(st, tok.Text) > 0 ? static_cast<std::uint8_t>(kTokName) : tok.Kind;
    switch (kind) {
      case kTokNumber:
      case kTokDot:
        operand = NumericOperand(st);
        break;
      case kTokString:
        if (claimed) DefineConst(st, name, tok.Text, kTokString);
        ++st.src.TokenIndex;
        return;
      case kTokAmpersand: {
        ++st.src.TokenIndex;
        if (AtLineEnd(st)) {
          CompileError(st, "Must be numeric constant");
          continue;
        }
        std::string digits = st.TokText();
        if (!digits.empty() && digits[0] == 'h') {
          operand = std::to_string(IsHexConstant(digits));
        } else if (!digits.empty() && digits[0] == 'b') {
          operand = std::to_string(IsBinConstant(digits));
        } else {
          operand = st.TokText();
          // the fold below steps past the offending token
          ReportInPlace(st, "Must be numeric constant");
        }
        break;
      }
      case kTokName: {
        int c = FindConst(st, tok.Text);
        if (c > 0) {
          operand = NumberText(LeadingNumber(st.sym.Constants[c].Value));
        } else {
          operand = tok.Text;
          ReportInPlace(st, "Can not be variable here!");
        }
        break;
      }
      case kTokOperator:
        if (operandDue && (tok.Text == "+" || tok.Text == "-")) {
          if (tok.Text == "-") negative = !negative;
          ++st.src.TokenIndex;
        } else if (tok.Text == "+" || tok.Text == "-" || tok.Text == "*" || tok.Text == "/") {
          pending = tok.Text[0];
          operandDue = true;
          ++st.src.TokenIndex;
        } else {
          CompileError(st, "Operation not allowed!");
        }
        continue;
      default:
        operand = tok.Text;
        ReportInPlace(st, "Syntax error!");
        break;
    }
    ++st.src.TokenIndex;
    const double v = negative ? -LeadingNumber(operand) : LeadingNumber(operand);
    negative = false;
    operandDue = false;
    switch (pending) {
      case '+': acc += v; break;
      case '-': acc -= v; break;
      case '*': acc *= v; break;
      case '/':
        if (v == 0.0) throw CompileFailure("Division by zero");
        acc /= v;
        break;
      default: acc = v; break;
    }
    pending = 0;
  }
}

}  // namespace qbc
