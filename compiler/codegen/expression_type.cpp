#include "compiler/codegen/expression_type.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "compiler/base/dispatch_row.h"
#include "compiler/base/source_names.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/compare_branch.h"

namespace qbc {

namespace {

// The values an expression's operands may take, gathered operand by operand.
struct Span {
  double low = 0;
  double high = 0;
  bool any = false;       // an operand with a range was met
  bool isFloat = false;   // one of them is a float
  bool onlyBits = true;   // every one of them is a bit
  bool failed = false;    // an operand whose type is not a number

  void Add(double lo, double hi) {
    if (!any || lo < low) low = lo;
    if (!any || hi > high) high = hi;
    any = true;
  }
  void Join(const Span& s) {
    if (s.any) Add(s.low, s.high);
    isFloat = isFloat || s.isFloat;
    onlyBits = onlyBits && s.onlyBits;
    failed = failed || s.failed;
  }
};

// The range of a variable type; false for the types that are no number.
bool TypeSpan(std::uint8_t type, Span& s) {
  switch (type) {
    case kTypeBit: s.Add(0, 1); return true;
    case kTypeByte: s.Add(0, 255); break;
    case kTypeInteger: s.Add(-32768, 32767); break;
    case kTypeWord: s.Add(0, 65535); break;
    case kTypeLong: s.Add(-2147483648.0, 2147483647.0); break;
    case kTypeFloat: s.isFloat = true; break;
    default: s.failed = true; return false;
  }
  s.onlyBits = false;
  return true;
}

void ValueSpan(double v, Span& s) {
  s.Add(v, v);
  s.onlyBits = false;
}

// "&h.." or "&b.." digits as the bit pattern they write (never negative).
double PatternValue(std::string_view word) {
  if (word.empty()) return 0;
  const int base = word[0] == 'h' ? 16 : 2;
  return static_cast<double>(std::strtoul(std::string(word.substr(1, 8)).c_str(), nullptr, base));
}

// A constant's text: a decimal number, a float, or a "&h"/"&b" pattern.
void ConstantTextSpan(const std::string& text, Span& s) {
  if (text.size() > 1 && text[0] == '&') {
    ValueSpan(PatternValue(std::string_view(text).substr(1)), s);
    return;
  }
  if (text.find_first_of(".eE") != std::string::npos) {
    s.isFloat = true;
    s.onlyBits = false;
    return;
  }
  const std::size_t digits = text.find_first_not_of("+-");
  if (text.empty() || digits == std::string::npos ||
      text.find_first_not_of("0123456789", digits) != std::string::npos) {
    s.failed = true;
    return;
  }
  ValueSpan(std::strtod(text.c_str(), nullptr), s);
}

class Scanner {
 public:
  explicit Scanner(CompilerState& st) : st_(st), i_(st.src.TokenIndex) {}

  // Operands joined by the operators of `reach`; true when an operator joined two.
  bool Expression(ExpressionReach reach, Span& s) {
    bool joined = false;
    for (;;) {
      Operand(s);
      if (s.failed) return joined;
      if (!IsOperator(reach)) return joined;
      joined = true;
      ++i_;
    }
  }

 private:
  const TokenRecord& At(int k = 0) const {
    const int n = i_ + k;
    const int last = st_.src.TokenCount - 1;
    return st_.src.Tokens[n < last ? n : (last < 0 ? 0 : last)];
  }

  bool IsOperator(ExpressionReach reach) const {
    const TokenRecord& t = At();
    if (t.Kind == kTokString) return false;
    const std::string& w = t.Text;
    if (w == "+" || w == "-" || w == "*" || w == "/" || w == "mod") return true;
    if (reach == ExpressionReach::kSum) return false;
    if (w == "and" || w == "&") return true;
    return reach == ExpressionReach::kAll && (w == "or" || w == "|" || w == "xor" || w == "^");
  }

  // The tokens of a parenthesized argument list at the current token, skipped.
  void SkipArguments() {
    if (At().Kind != kTokOpenParen) return;
    int depth = 0;
    while (At().Kind != kTokEol) {
      if (At().Kind == kTokOpenParen) ++depth;
      if (At().Kind == kTokCloseParen && --depth == 0) {
        ++i_;
        return;
      }
      ++i_;
    }
  }

  // "." and a bit name or number after a variable or register: the operand is a bit.
  bool SkipBit() {
    if (At().Text != "." || At().Kind == kTokString) return false;
    i_ += 2;
    return true;
  }

  void Operand(Span& s) {
    while (At().Kind != kTokString && (At().Text == "not" || At().Text == "!" || At().Text == "+")) ++i_;
    if (At().Kind == kTokOperator && At().Text == "-") {
      ++i_;
      Span one;
      Factor(one);
      // the sign turns the operand's range over
      if (one.any) {
        const double lo = one.low;
        one.low = -one.high;
        one.high = -lo;
      }
      s.Join(one);
      return;
    }
    Factor(s);
  }

  void Factor(Span& s) {
    const TokenRecord& t = At();
    const std::string text = t.Text;
    switch (t.Kind) {
      case kTokOpenParen: {
        ++i_;
        Expression(ExpressionReach::kAll, s);
        if (At().Kind == kTokCloseParen) ++i_;
        return;
      }
      case kTokNumber:
        ++i_;
        if (text.size() >= 2 && text[0] == '1' && text[1] == 'w') {
          s.failed = true;
          return;
        }
        if (text.back() == 'e' || text.back() == 'E') i_ += 2;  // the exponent's sign and digits
        ConstantTextSpan(text, s);
        return;
      case kTokAmpersand:
        ++i_;
        ValueSpan(PatternValue(At().Text), s);
        ++i_;
        return;
      case kTokName:
        ++i_;
        Name(text, s);
        return;
      case kTokCallName:
        ++i_;
        Element(text, s);
        SkipArguments();
        return;
      case kTokKeyword:
        ++i_;
        Function(text, s);
        return;
      default:
        s.failed = true;
        return;
    }
  }

  void Name(const std::string& name, Span& s) {
    if (const int c = FindConst(st_, name); c != 0) {
      const ConstRecord& k = st_.sym.Constants[c];
      if (k.ConstType == kTokNumber)
        ConstantTextSpan(k.Value, s);
      else
        s.failed = true;
      return;
    }
    if (const int d = FindDefAlias(st_, name); d != 0) {
      const DefRecord& def = st_.sym.Defs[d];
      TypeSpan(def.Bit.empty() || def.Bit == " " ? kTypeByte : kTypeBit, s);
      return;
    }
    std::uint8_t type = 0;
    if (const int l = FindLocalVar(st_, name); l != 0) {
      type = st_.sym.LocalVars[l - 1].VarType;
    } else if (const int g = FindGlobalVar(st_, name); g != 0) {
      const GlobalVarRecord& v = st_.sym.GlobalVars[g];
      if (v.Storage == kStorageFlash) {
        s.failed = true;
        return;
      }
      type = v.VarType;
    } else if (FindIoRegister(st_, name) != 0) {
      type = kTypeByte;
    } else {
      s.failed = true;
      return;
    }
    if (IsNumberType(type) && SkipBit()) type = kTypeBit;
    TypeSpan(type, s);
  }

  static bool IsNumberType(std::uint8_t t) { return (t >= kTypeBit && t <= kTypeLong) || t == kTypeFloat; }

  // A name with "(": an array element, a table a procedure received, or a Function.
  void Element(const std::string& name, Span& s) {
    if (const int l = FindLocalVar(st_, name); l != 0) {
      TypeSpan(st_.sym.LocalVars[l - 1].VarType, s);
    } else if (const int g = FindGlobalVar(st_, name); g != 0) {
      TypeSpan(st_.sym.GlobalVars[g].VarType, s);
    } else if (const int p = FindSub(st_, name); p != 0) {
      TypeSpan(st_.sym.Procs[p - 1].ResultType, s);
    } else {
      s.failed = true;
    }
  }

  // A keyword that gives a value: the values its result column names. A keyword that
  // gives text or no value at all is no number.
  void Function(const std::string& word, Span& s) {
    const DispatchRow* row = st_.entries.findRow != nullptr ? st_.entries.findRow(word) : nullptr;
    const RowResult result = row != nullptr ? row->result : RowResult::kNone;
    switch (result) {
      case RowResult::kByte: TypeSpan(kTypeByte, s); break;
      case RowResult::kInteger: TypeSpan(kTypeInteger, s); break;
      case RowResult::kWord: TypeSpan(kTypeWord, s); break;
      case RowResult::kLong: TypeSpan(kTypeLong, s); break;
      case RowResult::kFloat: TypeSpan(kTypeFloat, s); break;
      case RowResult::kAnyWidth: s.onlyBits = false; break;
      case RowResult::kOfArgument:
        if (At().Kind == kTokOpenParen) {
          ++i_;
          Span arg;
          Expression(ExpressionReach::kAll, arg);
          if (At().Kind == kTokCloseParen) ++i_;
          arg.onlyBits = false;
          s.Join(arg);
          return;
        }
        s.failed = true;
        break;
      case RowResult::kNone:
      case RowResult::kText:
      case RowResult::kChar:
        s.failed = true;
        return;
    }
    SkipArguments();
  }

  CompilerState& st_;
  int i_;
};

// The narrowest type of the gathered range (0 when no operand had one).
std::uint8_t SpanType(const Span& s) {
  if (s.isFloat) return kTypeFloat;
  if (!s.any) return kTypeNone;
  if (s.low >= 0) return s.high <= 255 ? kTypeByte : s.high <= 65535 ? kTypeWord : kTypeLong;
  return s.low >= -32768 && s.high <= 32767 ? kTypeInteger : kTypeLong;
}

}  // namespace

std::uint8_t CommonExpressionType(CompilerState& st, ExpressionReach reach) {
  Scanner scan(st);
  Span s;
  const bool joined = scan.Expression(reach, s);
  if (!joined || s.failed || s.onlyBits) return kTypeNone;
  return SpanType(s);
}

std::uint8_t TypeHoldingValue(std::uint8_t type, double value) {
  Span s;
  if (!TypeSpan(type, s)) return kTypeNone;
  ValueSpan(value, s);
  return SpanType(s);
}

std::uint8_t TypeHoldingExpression(CompilerState& st, std::uint8_t with) {
  Span s;
  if (with != kTypeNone && !TypeSpan(with, s)) return kTypeNone;
  Scanner scan(st);
  scan.Expression(ExpressionReach::kAll, s);
  if (s.failed) return kTypeNone;
  return SpanType(s);
}

namespace {

bool IsConnective(const TokenRecord& t) {
  return IsWord(t, "or") || IsWord(t, "and") || IsWord(t, "then") || t.Text == "<EOL>" || IsWord(t, ":");
}

// The type of a named operand: a variable's own type, a float for a numeric constant
// written with a fraction or exponent, else the narrowest integer type holding the
// constant; 0 for any other name.
std::uint8_t NamedOperandType(CompilerState& st, const std::string& name) {
  if (const int l = FindLocalVar(st, name); l != 0) return st.sym.LocalVars[l - 1].VarType;
  if (const int g = FindGlobalVar(st, name); g != 0) return st.sym.GlobalVars[g].VarType;
  const int c = FindConst(st, name);
  if (c == 0 || st.sym.Constants[c].ConstType != kTokNumber) return 0;
  const std::string& v = st.sym.Constants[c].Value;
  if (v.find_first_of(".eE") != std::string::npos) return kTypeFloat;
  Span s;
  ValueSpan(static_cast<double>(std::atoll(v.c_str())), s);
  return SpanType(s);
}

}  // namespace

std::uint8_t ComparisonType(CompilerState& st) {
  Span all;
  std::uint8_t first = kTypeNone;
  bool mixed = false;
  for (int i = st.src.TokenIndex; i < st.src.TokenCount - 1; ++i) {
    const TokenRecord& t = st.src.Tokens[i];
    if (IsWord(t, "or") || IsWord(t, "and") || IsWord(t, "then") || IsWord(t, ":")) break;
    std::uint8_t here = 0;
    if (t.Kind == kTokName || t.Kind == kTokCallName) {
      here = NamedOperandType(st, t.Text);
      if (i + 1 < st.src.TokenCount && st.src.Tokens[i + 1].Text == ".") ++i;  // a bit of it
    } else if (t.Kind == kTokNumber) {
      if (t.Text.find_first_not_of("0123456789") != std::string::npos) return kTypeNone;
      const bool negative = i > st.src.TokenIndex && st.src.Tokens[i - 1].Text == "-";
      Span value;
      ValueSpan(static_cast<double>((negative ? -1 : 1) * std::atoll(t.Text.c_str())), value);
      here = SpanType(value);
    } else if (t.Kind == kTokString) {
      return kTypeNone;
    }
    if (here == kTypeBit || here == kTypeString || here == kTypeFlashString || here == kTypeFloat) return kTypeNone;
    if (here == kTypeNone) continue;
    if (first != kTypeNone && here != first) mixed = true;
    if (first == kTypeNone) first = here;
    TypeSpan(here, all);
  }
  return mixed ? SpanType(all) : std::uint8_t{kTypeNone};
}

bool IntegerAgainstFloat(CompilerState& st) {
  bool floatLeft = false;
  bool integerLeft = false;
  bool floatRight = false;
  bool right = false;
  for (int i = st.src.TokenIndex; i < st.src.TokenCount - 1; ++i) {
    const TokenRecord& t = st.src.Tokens[i];
    if (IsConnective(t)) break;
    if (t.Kind == kTokString) return false;
    if (t.Kind == kTokOperator && RelationCode(t.Text) != kRelNone) right = true;
    std::uint8_t here = 0;
    if (t.Kind == kTokName || t.Kind == kTokCallName) {
      here = NamedOperandType(st, t.Text);
      if (i + 1 < st.src.TokenCount && st.src.Tokens[i + 1].Text == ".") return false;  // a bit of it
    } else if (t.Kind == kTokNumber) {
      const bool fraction = i + 2 < st.src.TokenCount && st.src.Tokens[i + 1].Text == "." &&
                            st.src.Tokens[i + 2].Kind == kTokNumber;
      here = fraction || t.Text.find_first_not_of("0123456789") != std::string::npos ? kTypeFloat : kTypeLong;
      if (fraction) i += 2;
    }
    if (here == kTypeString || here == kTypeFlashString || here == kTypeBit) return false;
    if (here == 0) continue;
    if (right) floatRight = floatRight || here == kTypeFloat;
    else if (here == kTypeFloat) floatLeft = true;
    else integerLeft = true;
  }
  return integerLeft && !floatLeft && floatRight;
}

}  // namespace qbc
