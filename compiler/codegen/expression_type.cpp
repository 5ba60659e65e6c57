#include "compiler/codegen/expression_type.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "compiler/base/dispatch_row.h"
#include "compiler/base/source_names.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/compare_branch.h"
#include "compiler/codegen/type_registers.h"

namespace qbc {

namespace {

// The values an expression's operands may take, gathered operand by operand.
struct Span {
  double low = 0;
  double high = 0;
  bool any = false;        // an operand with a range was met
  bool isFloat = false;    // one of them is a float
  bool onlyBits = true;    // every one of them is a bit
  bool bit = false;        // one of them is a bit
  bool failed = false;     // an operand whose type is not a number (or not known here)
  bool text = false;       // one of them is a text: a string, a literal, a text function
  bool numberText = false; // one of them is a number's text (Str, Hex)
  bool character = false;  // one of them is Chr's single character
  bool operation = false;  // operands joined by an operator, or a sign in front of one
  bool logicalNot = false; // a "not" in front of an operand
  bool array = false;      // an array named without an index: no value of its own
  bool divides = false;    // a "/" or "mod" among the operators
  bool carries = false;    // a "+", "-", "*" or a sign: a result that may pass the operands' type
  // The constants written, apart: a constant beyond a target's width is no value of it.
  double constLow = 0;
  double constHigh = 0;
  bool anyConst = false;
  // The operands' own types: whether they differ.
  std::uint8_t firstType = kTypeNone;
  bool mixed = false;

  void Add(double lo, double hi) {
    if (!any || lo < low) low = lo;
    if (!any || hi > high) high = hi;
    any = true;
  }
  void Note(std::uint8_t type) {
    if (type == kTypeNone) return;
    if (firstType != kTypeNone && type != firstType) mixed = true;
    if (firstType == kTypeNone) firstType = type;
  }
  void Constant(double v) {
    if (!anyConst || v < constLow) constLow = v;
    if (!anyConst || v > constHigh) constHigh = v;
    anyConst = true;
  }
  void Join(const Span& s) {
    if (s.any) Add(s.low, s.high);
    if (s.anyConst) {
      Constant(s.constLow);
      Constant(s.constHigh);
    }
    Note(s.firstType);
    mixed = mixed || s.mixed;
    isFloat = isFloat || s.isFloat;
    onlyBits = onlyBits && s.onlyBits;
    bit = bit || s.bit;
    failed = failed || s.failed;
    text = text || s.text;
    numberText = numberText || s.numberText;
    character = character || s.character;
    operation = operation || s.operation;
    logicalNot = logicalNot || s.logicalNot;
    array = array || s.array;
    divides = divides || s.divides;
    carries = carries || s.carries;
  }
};

// The whole range of a type; false for a type that holds no number.
bool TypeRange(std::uint8_t type, double& low, double& high) {
  switch (type) {
    case kTypeBit: low = 0, high = 1; return true;
    case kTypeByte: low = 0, high = 255; return true;
    case kTypeInteger: low = -32768, high = 32767; return true;
    case kTypeWord: low = 0, high = 65535; return true;
    case kTypeLong: low = -2147483648.0, high = 2147483647.0; return true;
    default: return false;
  }
}

// The narrowest type of a range.
std::uint8_t RangeType(double low, double high) {
  if (low >= 0) return high <= 255 ? kTypeByte : high <= 65535 ? kTypeWord : kTypeLong;
  return low >= -32768 && high <= 32767 ? kTypeInteger : kTypeLong;
}

void FloatSpan(Span& s) {
  s.isFloat = true;
  s.onlyBits = false;
  s.Note(kTypeFloat);
}

// The values of a variable type; false for the types that are no number.
bool TypeSpan(std::uint8_t type, Span& s) {
  double low = 0;
  double high = 0;
  if (type == kTypeFloat) {
    FloatSpan(s);
    return true;
  } else if (TypeRange(type, low, high)) {
    s.Add(low, high);
  } else {
    s.failed = true;
    if (type == kTypeString || type == kTypeFlashString) s.text = true;
    return false;
  }
  s.Note(type);
  if (type == kTypeBit) {
    s.bit = true;
    return true;
  }
  s.onlyBits = false;
  return true;
}

void ValueSpan(double v, Span& s) {
  s.Add(v, v);
  s.Constant(v);
  s.Note(RangeType(v, v));
  s.onlyBits = false;
}

// "&h.." or "&b.." digits as the bit pattern they write (never negative).
double PatternValue(std::string_view word) {
  if (word.empty()) return 0;
  const int base = word[0] == 'h' ? 16 : 2;
  return static_cast<double>(std::strtoul(std::string(word.substr(1, 8)).c_str(), nullptr, base));
}

// A constant's text: a decimal number, a float, or a "&h"/"&b" pattern; `negated` when a
// minus sign stands before it.
void ConstantTextSpan(const std::string& text, Span& s, bool negated = false) {
  if (text.size() > 1 && text[0] == '&') {
    ValueSpan(PatternValue(std::string_view(text).substr(1)), s);
    return;
  }
  if (text.find_first_of(".eE") != std::string::npos) {
    FloatSpan(s);
    return;
  }
  const std::size_t digits = text.find_first_not_of("+-");
  if (text.empty() || digits == std::string::npos ||
      text.find_first_not_of("0123456789", digits) != std::string::npos) {
    s.failed = true;
    return;
  }
  const double v = std::strtod(text.c_str(), nullptr);
  ValueSpan(negated ? -v : v, s);
}

// The values of a type's magnitudes: an integer's reach 32768, a word.
void MagnitudeSpan(Span& s) {
  if (!s.any) return;
  const double top = std::max(std::fabs(s.low), std::fabs(s.high));
  s.low = 0;
  s.high = top;
  s.firstType = RangeType(0, top);
}

// How a minus sign is read: where a value is compared or printed the difference may be
// below zero (W - 5 counts -5) and a sign turns its operand's values over (-I reaches
// 32768); where the result's low bytes are stored into a target the operands count as
// written, so that -I * J / 3 into an Integer stays an Integer expression.
enum class Differences : std::uint8_t { kSigned, kAsWritten };

// How far a scan goes: up to the first operand that is not a number (the types need go no
// further), or to the end of the expression whatever its operands are.
enum class Extent : std::uint8_t { kFirstFailure, kWhole };

class Scanner {
 public:
  explicit Scanner(CompilerState& st, Differences differences = Differences::kSigned,
                   Extent extent = Extent::kFirstFailure)
      : st_(st),
        i_(st.src.TokenIndex),
        signedDifferences_(differences == Differences::kSigned),
        whole_(extent == Extent::kWhole) {}

  // Operands joined by the operators of `reach`.
  void Expression(ExpressionReach reach, Span& s) {
    bool minus = false;
    for (;;) {
      Operand(s, minus);
      if (s.failed && !whole_) return;
      if (!IsOperator(reach)) return;
      const std::string& op = At().Text;
      minus = op == "-" && signedDifferences_;
      if (op == "/" || op == "mod") s.divides = true;
      if (op == "+" || op == "-" || op == "*") s.carries = true;
      s.operation = true;
      ++i_;
    }
  }

  // The token after the expression scanned, and its index.
  const TokenRecord& Next() const { return At(); }
  int Index() const { return i_; }
  void Skip() { ++i_; }

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

  void Operand(Span& s, bool negated) {
    while (At().Kind != kTokString && (At().Text == "not" || At().Text == "!" || At().Text == "+")) {
      if (At().Text != "+") s.logicalNot = true;
      ++i_;
    }
    if (At().Kind == kTokOperator && At().Text == "-") {
      ++i_;
      if (At().Kind == kTokNumber) {
        Factor(s, !negated);
        return;
      }
      Span one;
      Factor(one, false);
      // the sign turns the operand's range over
      if (one.any && signedDifferences_) {
        const double lo = one.low;
        one.low = -one.high;
        one.high = -lo;
        one.firstType = RangeType(one.low, one.high);
      }
      one.operation = true;
      one.carries = true;
      s.Join(one);
      return;
    }
    Factor(s, negated);
  }

  void Factor(Span& s, bool negated) {
    const TokenRecord& t = At();
    const std::string text = t.Text;
    switch (t.Kind) {
      case kTokOpenParen: {
        ++i_;
        Span inner;
        Expression(ExpressionReach::kAll, inner);
        s.Join(inner);
        if (At().Kind == kTokCloseParen) ++i_;
        return;
      }
      case kTokNumber:
        ++i_;
        if (text.size() >= 2 && text[0] == '1' && text[1] == 'w') {
          s.failed = true;
          return;
        }
        if (text.back() == 'e' || text.back() == 'E') {
          i_ += 2;  // the exponent's sign and digits
        } else if (At().Text == "." && At(1).Kind == kTokNumber) {
          // a decimal point a condition has not joined yet ("2", ".", "5")
          i_ += 2;
          FloatSpan(s);
          return;
        }
        ConstantTextSpan(text, s, negated);
        return;
      case kTokAmpersand:
        ++i_;
        ValueSpan(PatternValue(At().Text), s);
        ++i_;
        return;
      case kTokString:
        ++i_;
        s.failed = true;
        s.text = true;
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
      if (k.ConstType == kTokNumber) {
        ConstantTextSpan(k.Value, s);
      } else {
        s.failed = true;
        s.text = k.ConstType == kTokString;
      }
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
        s.text = v.VarType == kTypeString || v.VarType == kTypeFlashString;
        return;
      }
      if (st_.expr.MemCopyMode) {
        // (MemCopy's operands are addresses held in variables)
        TypeSpan(st_.dev.RamEnd > 256 ? std::uint8_t{kTypeWord} : std::uint8_t{kTypeByte}, s);
        return;
      }
      // (typed as its first element, as it loads; it is refused where a number is asked)
      if (v.IndexType != 0 && At().Text != ".") s.array = true;
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

  // A name with "(": an array element, a table a procedure received, or a Function (a Sub
  // gives no value).
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

  // A keyword that gives a value: the values its result column names.
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
      case RowResult::kMagnitude:
        if (At().Kind == kTokOpenParen) {
          ++i_;
          Span arg;
          Expression(ExpressionReach::kAll, arg);
          if (At().Kind == kTokCloseParen) ++i_;
          if (result == RowResult::kMagnitude) MagnitudeSpan(arg);
          arg.onlyBits = false;
          arg.bit = false;
          arg.operation = false;
          arg.divides = false;
          arg.carries = false;
          arg.anyConst = false;
          arg.mixed = false;
          s.Join(arg);
          return;
        }
        s.failed = true;
        break;
      case RowResult::kText:
      case RowResult::kNumberText:
        s.failed = true;
        s.text = true;
        s.numberText = result == RowResult::kNumberText;
        break;
      case RowResult::kChar:
        s.failed = true;
        s.character = true;
        break;
      case RowResult::kNone:
        s.failed = true;
        return;
    }
    SkipArguments();
  }

  CompilerState& st_;
  int i_;
  bool signedDifferences_;
  bool whole_;
};

// The narrowest type of the gathered range (0 when no operand had one).
std::uint8_t SpanType(const Span& s) {
  if (s.isFloat) return kTypeFloat;
  if (!s.any) return kTypeNone;
  return RangeType(s.low, s.high);
}

// True when every value gathered is one of `type`'s.
bool SpanFits(const Span& s, std::uint8_t type) {
  double low = 0;
  double high = 0;
  if (!TypeRange(type, low, high)) return false;
  return !s.any || (s.low >= low && s.high <= high);
}

// The type operands gathered with their values as written (Differences::kAsWritten) are
// worked in where an integer `target` (byte to long) takes their result's low bytes: the
// target's own when every operand fits it, and also when the operators only add, subtract,
// multiply and combine bits (their low bytes do not depend on the upper ones) and every
// constant fits the target's registers; else the type that holds the operands.
std::uint8_t LowBytesType(const Span& s, std::uint8_t target) {
  if (!s.operation || s.failed || s.isFloat || !s.any) return target;
  // A quotient, a remainder or a bit operation of values that are never negative stays
  // within its operands' type: worked there and widened, it is the same number in fewer
  // bytes (B Mod 3 for a Word index is a byte division).
  if (!s.carries && !s.logicalNot && s.low >= 0) {
    const std::uint8_t own = SpanType(s);
    if (NumericTypeBytes(own) < NumericTypeBytes(target)) return own;
  }
  if (SpanFits(s, target)) return target;
  const bool constantsFit =
      !s.anyConst || (ConstantFitsType(s.constLow, target) && ConstantFitsType(s.constHigh, target));
  if (!s.divides && constantsFit) return target;
  return SpanType(s);
}

}  // namespace

std::uint8_t CommonExpressionType(CompilerState& st, ExpressionReach reach) {
  Scanner scan(st);
  Span s;
  scan.Expression(reach, s);
  if (!s.operation || s.failed || s.onlyBits) return kTypeNone;
  return SpanType(s);
}

ExpressionWork WorkOf(CompilerState& st, std::uint8_t wanted, ExpressionReach reach) {
  // (an integer wanted takes the low bytes of the result: the operands count as written)
  const bool lowBytes = wanted >= kTypeByte && wanted <= kTypeLong;
  Scanner scan(st, lowBytes ? Differences::kAsWritten : Differences::kSigned, Extent::kWhole);
  Span s;
  scan.Expression(reach, s);
  ExpressionWork work;
  work.end = scan.Index();
  const bool number = (wanted >= kTypeBit && wanted <= kTypeLong) || wanted == kTypeFloat || wanted == kTypeAnyNumber;
  if (wanted == kTypeAnyNumber) wanted = kTypeNone;
  if (s.text || s.array) {
    // a text, or a whole array, has no value an integer or a Float could take
    if (number)
      work.refusal = "Only numeric variables!";
    else if (s.operation || s.logicalNot)
      work.refusal = "Unsupported operation!";
    if (work.refusal != nullptr) return work;
  }
  if (s.failed) return work;
  if (wanted == kTypeNone) {
    if (s.operation && !s.onlyBits) work.type = SpanType(s);
  } else if (wanted >= kTypeBit && wanted <= kTypeLong && s.operation && s.isFloat) {
    work.type = kTypeFloat;
  } else if (lowBytes) {
    if (const std::uint8_t held = LowBytesType(s, wanted); held != wanted) work.type = held;
  }
  return work;
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

std::uint8_t CaseValueType(CompilerState& st, std::uint8_t selector) {
  if (selector < kTypeBit || selector > kTypeLong) return selector;
  Scanner scan(st);
  Span s;
  scan.Expression(ExpressionReach::kSum, s);
  if (s.failed || s.isFloat || SpanFits(s, selector)) return selector;
  TypeSpan(selector == kTypeBit ? std::uint8_t{kTypeByte} : selector, s);
  return SpanType(s);
}

std::uint8_t CaseValuesType(CompilerState& st, std::uint8_t with) {
  Scanner scan(st);
  Span s;
  if (with != kTypeNone && !TypeSpan(with, s)) return with;
  if (RelationCode(scan.Next().Text) != kRelNone && scan.Next().Kind != kTokString) scan.Skip();
  for (;;) {
    scan.Expression(ExpressionReach::kSum, s);
    if (s.failed || s.isFloat) return with;
    if (!IsWord(scan.Next(), "to") && !IsWord(scan.Next(), ",")) break;
    scan.Skip();
  }
  return SpanType(s);
}

std::uint8_t SelectorType(CompilerState& st, std::uint8_t cases) {
  Scanner scan(st);
  Span s;
  scan.Expression(ExpressionReach::kSum, s);
  if (cases == kTypeNone || s.failed || s.isFloat || s.bit || !s.any) return kTypeNone;
  const std::uint8_t own = SpanType(s);
  TypeSpan(cases, s);
  const std::uint8_t held = SpanType(s);
  return held != own ? held : std::uint8_t{kTypeNone};
}

bool ConstantFitsType(double v, std::uint8_t type) {
  switch (type) {
    case kTypeByte: return v >= -128.0 && v <= 255.0;
    case kTypeInteger:
    case kTypeWord: return v >= -32768.0 && v <= 65535.0;
    case kTypeLong: return v >= -2147483648.0 && v <= 4294967295.0;
    default: return true;
  }
}

std::string ConstantDoesNotFit(const std::string& text, std::uint8_t type) {
  const char* name = type == kTypeByte ? "Byte" : type == kTypeInteger ? "Integer" : type == kTypeWord ? "Word" : "Long";
  return "Constant " + text + " does not fit a " + name + "!";
}

std::uint8_t ForEndType(CompilerState& st, std::uint8_t counter) {
  if (counter < kTypeByte || counter > kTypeWord) return counter;
  Scanner scan(st, Differences::kAsWritten);
  Span s;
  scan.Expression(ExpressionReach::kSum, s);
  if (s.failed || s.isFloat || !s.any || SpanFits(s, counter)) return counter;
  // (a constant alone is loaded as the counter and refused there when it does not fit)
  if (!s.operation && s.anyConst) return counter;
  // (compared with the counter as the If of the same test compares them: in the type that
  // holds both, so a Val or a sum is not cut to a type the counter's values pass)
  TypeSpan(counter, s);
  return SpanType(s);
}

std::uint8_t MagnitudeType(std::uint8_t type) { return type == kTypeInteger ? std::uint8_t{kTypeWord} : type; }

bool StepFitsCounter(double step, std::uint8_t counter) {
  switch (counter) {
    case kTypeByte: return std::fabs(step) <= 255.0;
    case kTypeWord: return std::fabs(step) <= 65535.0;
    case kTypeInteger: return step >= -32768.0 && step <= 32767.0;
    default: return true;
  }
}

ValueKind ExpressionKind(CompilerState& st) {
  Scanner scan(st);
  Span s;
  scan.Expression(ExpressionReach::kSum, s);
  if (s.text) return ValueKind::kText;
  if (s.character && !s.operation) return ValueKind::kCharacter;
  if (!s.failed && (s.any || s.isFloat || s.bit)) return ValueKind::kNumber;
  return ValueKind::kUnknown;
}

ComparisonTyping TypeComparison(CompilerState& st) {
  Scanner scan(st);
  Span left;
  Span right;
  scan.Expression(ExpressionReach::kSum, left);
  if (!left.failed || left.text || left.character) {
    if (RelationCode(scan.Next().Text) != kRelNone && scan.Next().Kind != kTokString) {
      scan.Skip();
      scan.Expression(ExpressionReach::kSum, right);
    }
  }
  ComparisonTyping typing;
  auto number = [](const Span& s) { return !s.text && !s.character && (s.any || s.isFloat || s.bit); };
  if ((left.text && number(right)) || (right.text && number(left))) {
    typing.textAgainstNumber = true;
    return typing;
  }
  if (left.text || right.text) {
    typing.texts = true;
    typing.leftNumberText = left.numberText && !left.operation;
    typing.rightNumberText = right.numberText && !right.operation;
    return typing;
  }
  // Chr beside a number is its character code, a byte.
  const bool character = left.character || right.character;
  if (left.character) TypeSpan(kTypeByte, left);
  if (right.character) TypeSpan(kTypeByte, right);
  if (left.bit || right.bit) return typing;
  // A float on the left makes a float comparison of its own; integers on the left against
  // a float on the right are compared as floats, since the left type would cut the
  // fraction (5 < 5.5 would be false).
  if (left.isFloat) return typing;
  if (right.isFloat) {
    if (left.any) typing.type = kTypeFloat;
    return typing;
  }
  // (an operand not known here leaves the comparison to its left side's type)
  if ((left.failed && !left.character) || (right.failed && !right.character)) return typing;
  Span both = left;
  both.Join(right);
  if (both.mixed || character) typing.type = SpanType(both);
  return typing;
}

}  // namespace qbc
