#include "compiler/codegen/handlers/asm_expression.h"

#include <cctype>
#include <string>

#include "compiler/base/assembler_names.h"

namespace qbc {

namespace {

constexpr int kNestingLimit = 64;

class Parser {
 public:
  Parser(std::string_view text, const AsmSymbolValue& value, const AsmSymbolDefined& defined)
      : s_(text), value_(value), defined_(defined) {}

  std::optional<std::int64_t> Whole() {
    auto v = Binary(0);
    Blanks();
    if (!v || i_ != s_.size()) return std::nullopt;
    return v;
  }

 private:
  void Blanks() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
  }
  bool Take(std::string_view op) {
    Blanks();
    if (s_.substr(i_, op.size()) != op) return false;
    i_ += op.size();
    return true;
  }

  // Binary operators by C precedence, loosest first.
  struct Op {
    std::string_view text;
    int level;
  };
  static constexpr int kTopLevel = 9;

  std::optional<Op> PeekOp() {
    Blanks();
    if (i_ >= s_.size()) return std::nullopt;
    const char c = s_[i_];
    const char d = i_ + 1 < s_.size() ? s_[i_ + 1] : '\0';
    switch (c) {
      case '|': return d == '|' ? Op{"||", 0} : Op{"|", 2};
      case '&': return d == '&' ? Op{"&&", 1} : Op{"&", 4};
      case '^': return Op{"^", 3};
      case '=': return d == '=' ? std::optional<Op>(Op{"==", 5}) : std::nullopt;
      case '!': return d == '=' ? std::optional<Op>(Op{"!=", 5}) : std::nullopt;
      case '<': return d == '=' ? Op{"<=", 6} : d == '<' ? Op{"<<", 7} : Op{"<", 6};
      case '>': return d == '=' ? Op{">=", 6} : d == '>' ? Op{">>", 7} : Op{">", 6};
      case '+': return Op{"+", 8};
      case '-': return Op{"-", 8};
      case '*': return Op{"*", 9};
      case '/': return Op{"/", 9};
      case '%': return Op{"%", 9};
      default: return std::nullopt;
    }
  }

  std::optional<std::int64_t> Binary(int level) {
    if (level > kTopLevel) return Unary();
    auto left = Binary(level + 1);
    if (!left) return std::nullopt;
    for (;;) {
      const auto op = PeekOp();
      if (!op || op->level != level) return left;
      i_ += op->text.size();
      const auto right = Binary(level + 1);
      if (!right) return std::nullopt;
      const std::int64_t a = *left, b = *right;
      const std::string_view t = op->text;
      if (t == "||") left = (a != 0 || b != 0) ? 1 : 0;
      else if (t == "&&") left = (a != 0 && b != 0) ? 1 : 0;
      else if (t == "|") left = a | b;
      else if (t == "^") left = a ^ b;
      else if (t == "&") left = a & b;
      else if (t == "==") left = a == b ? 1 : 0;
      else if (t == "!=") left = a != b ? 1 : 0;
      else if (t == "<=") left = a <= b ? 1 : 0;
      else if (t == ">=") left = a >= b ? 1 : 0;
      else if (t == "<") left = a < b ? 1 : 0;
      else if (t == ">") left = a > b ? 1 : 0;
      else if (t == "<<") left = (b < 0 || b > 62) ? std::optional<std::int64_t>() : std::optional<std::int64_t>(a << b);
      else if (t == ">>") left = (b < 0 || b > 62) ? std::optional<std::int64_t>() : std::optional<std::int64_t>(a >> b);
      else if (t == "+") left = a + b;
      else if (t == "-") left = a - b;
      else if (t == "*") left = a * b;
      else if (b == 0) return std::nullopt;
      else if (t == "/") left = a / b;
      else left = a % b;
      if (!left) return std::nullopt;
    }
  }

  std::optional<std::int64_t> Unary() {
    if (++depth_ > kNestingLimit) return std::nullopt;
    std::optional<std::int64_t> v;
    Blanks();
    if (Take("-")) {
      v = Unary();
      if (v) v = -*v;
    } else if (Take("~")) {
      v = Unary();
      if (v) v = ~*v;
    } else if (Take("!")) {
      v = Unary();
      if (v) v = *v == 0 ? 1 : 0;
    } else if (Take("+")) {
      v = Unary();
    } else {
      v = Primary();
    }
    --depth_;
    return v;
  }

  std::optional<std::int64_t> Digits(int base) {
    std::int64_t v = 0;
    std::size_t start = i_;
    while (i_ < s_.size()) {
      const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s_[i_])));
      int d = -1;
      if (c >= '0' && c <= '9') d = c - '0';
      if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      if (d < 0 || d >= base) break;
      v = v * base + d;
      if (v > (std::int64_t{1} << 40)) return std::nullopt;
      ++i_;
    }
    if (i_ == start) return std::nullopt;
    // a number runs into no name
    if (i_ < s_.size() && AsmNameChar(s_[i_])) return std::nullopt;
    return v;
  }

  std::optional<std::int64_t> Primary() {
    Blanks();
    if (i_ >= s_.size()) return std::nullopt;
    const char c = s_[i_];
    if (c == '(') {
      ++i_;
      auto v = Binary(0);
      if (!v || !Take(")")) return std::nullopt;
      return v;
    }
    if (c == '\'') {
      if (i_ + 2 < s_.size() && s_[i_ + 2] == '\'') {
        const std::int64_t v = static_cast<unsigned char>(s_[i_ + 1]);
        i_ += 3;
        return v;
      }
      return std::nullopt;
    }
    if (c == '$') {
      ++i_;
      return Digits(16);
    }
    if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
      if (c == '0' && i_ + 1 < s_.size() && (s_[i_ + 1] == 'x' || s_[i_ + 1] == 'X')) {
        i_ += 2;
        return Digits(16);
      }
      if (c == '0' && i_ + 1 < s_.size() && (s_[i_ + 1] == 'b' || s_[i_ + 1] == 'B')) {
        i_ += 2;
        return Digits(2);
      }
      return Digits(10);
    }
    if (!AsmNameChar(c)) return std::nullopt;
    std::string name;
    while (i_ < s_.size() && AsmNameChar(s_[i_])) name += static_cast<char>(std::tolower(static_cast<unsigned char>(s_[i_++])));
    Blanks();
    if (i_ < s_.size() && s_[i_] == '(') return Function(name);
    return value_(name);
  }

  std::optional<std::int64_t> Function(const std::string& name) {
    const std::optional<AsmFunction> function = AsmFunctionNamed(name);
    if (!function) return std::nullopt;
    ++i_;  // "("
    if (*function == AsmFunction::kDefined) {
      Blanks();
      std::string symbol;
      while (i_ < s_.size() && AsmNameChar(s_[i_]))
        symbol += static_cast<char>(std::tolower(static_cast<unsigned char>(s_[i_++])));
      if (symbol.empty() || !Take(")")) return std::nullopt;
      return defined_(symbol) ? 1 : 0;
    }
    const auto a = Binary(0);
    if (!a || !Take(")")) return std::nullopt;
    const std::int64_t v = *a;
    switch (*function) {
      case AsmFunction::kLow:
      case AsmFunction::kByte1: return v & 0xFF;
      case AsmFunction::kHigh:
      case AsmFunction::kByte2: return (v >> 8) & 0xFF;
      case AsmFunction::kByte3: return (v >> 16) & 0xFF;
      case AsmFunction::kByte4: return (v >> 24) & 0xFF;
      case AsmFunction::kLwrd: return v & 0xFFFF;
      case AsmFunction::kHwrd: return (v >> 16) & 0xFFFF;
      case AsmFunction::kPage: return (v >> 16) & 0x3F;
      case AsmFunction::kExp2:
        return (v >= 0 && v < 62) ? std::optional<std::int64_t>(std::int64_t{1} << v) : std::nullopt;
      case AsmFunction::kLog2: {
        if (v <= 0) return std::nullopt;
        std::int64_t n = 0;
        for (std::int64_t x = v; x > 1; x >>= 1) ++n;
        return n;
      }
      case AsmFunction::kDefined: break;
    }
    return std::nullopt;
  }

  std::string_view s_;
  const AsmSymbolValue& value_;
  const AsmSymbolDefined& defined_;
  std::size_t i_ = 0;
  int depth_ = 0;
};

}  // namespace

bool AsmNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

AsmPcOperand AsmPcTarget(std::string_view operand, std::int64_t pc, const AsmSymbolValue& value,
                         const AsmSymbolDefined& defined) {
  AsmPcOperand result;
  for (std::size_t i = 0; i < operand.size() && !result.namesPc;) {
    std::size_t end = i;
    while (end < operand.size() && AsmNameChar(operand[end])) ++end;
    result.namesPc = end - i == 2 && (operand[i] | 0x20) == 'p' && (operand[i + 1] | 0x20) == 'c';
    i = end == i ? i + 1 : end;
  }
  if (!result.namesPc) return result;
  const AsmSymbolValue withPc = [&](std::string_view name) -> std::optional<std::int64_t> {
    if (name == "pc") return pc;
    return value ? value(name) : std::nullopt;
  };
  const AsmSymbolDefined knows = [&](std::string_view name) { return defined && defined(name); };
  result.target = AsmExpressionValue(operand, withPc, knows);
  return result;
}

std::optional<std::int64_t> AsmExpressionValue(std::string_view text, const AsmSymbolValue& value,
                                               const AsmSymbolDefined& defined) {
  return Parser(text, value, defined).Whole();
}

}  // namespace qbc
