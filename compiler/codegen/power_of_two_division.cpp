#include "compiler/codegen/power_of_two_division.h"

#include <string>

#include "compiler/base/decl_text.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/frontend/numeric_constants.h"

namespace qbc {

PowerOfTwo PowerOfTwoOperand(CompilerState& st, std::uint8_t type) {
  // (the largest power of two each type holds: an Integer's 2^15 and a Long's 2^31 are
  // negative there)
  const long long largest = type == kTypeByte      ? 128
                            : type == kTypeWord    ? 32768
                            : type == kTypeInteger ? 16384
                            : type == kTypeLong    ? 1073741824
                                                   : 0;
  if (largest == 0) return {};
  const TokenRecord& t = st.Tok(1);
  std::string text;
  int tokens = 1;
  long long value = 0;
  if (t.Kind == kTokNumber) {
    text = t.Text;
  } else if (const int c = t.Kind == kTokName ? FindConst(st, t.Text) : 0; c != 0) {
    if (st.sym.Constants[c].ConstType == kTokNumber) text = st.sym.Constants[c].Value;
  } else if (t.Kind == kTokAmpersand) {
    std::string word = st.TokText(2);
    if (word.size() < 2 || word.size() > 9) return {};
    if (word[0] == 'h')
      value = HexConstantValue(word);
    else if (word[0] == 'b')
      value = BinConstantValue(word);
    tokens = 2;
  }
  if (!text.empty()) {
    if (text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return {};
    value = std::stoll(text);
  }
  if (value < 2 || value > largest || (value & (value - 1)) != 0) return {};
  int k = 0;
  while ((1LL << k) < value) ++k;
  return {k, tokens};
}

namespace {

void Andi(CompilerState& st, std::string_view reg, unsigned mask) {
  st.out.Instr(Sep::kWide, "andi", std::string(reg) + "," + Hex2(mask, HexForm::Prefixed0xLower));
}

void Unsigned(CompilerState& st, std::uint8_t type, int k, bool remainder, bool leftHeld) {
  bool word = type == kTypeWord;
  // a quotient of the high byte alone takes it straight from where it is
  const bool highByteOnly = word && !remainder && k >= 8;
  if (leftHeld && !highByteOnly) {
    st.out.Instr(Sep::kWide, "mov", "zl,r24");
    if (word) st.out.Instr(Sep::kWide, "mov", "zh,r25");
  }
  if (remainder) {
    const unsigned mask = (1u << k) - 1;
    if ((mask & 0xFF) != 0xFF) Andi(st, "zl", mask & 0xFF);
    if (!word) return;
    if ((mask >> 8) == 0)
      st.out.Instr(Sep::kWide, "clr", "zh");
    else if ((mask >> 8) != 0xFF)
      Andi(st, "zh", mask >> 8);
    return;
  }
  if (highByteOnly) {
    // the high byte moves down whole
    st.out.Instr(Sep::kWide, "mov", leftHeld ? "zl,r25" : "zl,zh");
    st.out.Instr(Sep::kWide, "clr", "zh");
    word = false;
    k -= 8;
  }
  if (!word && k >= 4) {
    // four places at once: the high nibble swapped down, the low one cleared
    st.out.Instr(Sep::kWide, "swap", "zl");
    Andi(st, "zl", 0x0F);
    k -= 4;
  }
  for (; k > 0; --k) {
    if (word) {
      st.out.Instr(Sep::kWide, "lsr", "zh");
      st.out.Instr(Sep::kWide, "ror", "zl");
    } else {
      st.out.Instr(Sep::kWide, "lsr", "zl");
    }
  }
}

// "rjmp PC+n" past the n - 1 one-word lines that follow when the value (its top byte `top`)
// is not negative.
void SkipUnlessNegative(CompilerState& st, std::string_view top, int lines) {
  st.out.Instr(Sep::kNarrow, "sbrs", std::string(top) + ",7");
  st.out.Instr(Sep::kNarrow, "rjmp", "PC+" + Hex2(static_cast<unsigned>(lines + 1), HexForm::Prefixed0xLower));
}

// The quotient of a signed value, cut toward zero as the division routines cut it: a
// negative dividend takes 2^k - 1 more before the arithmetic shift, which alone would
// round it down (-7 / 4 is -1, -7 shifted two places -2).
void SignedQuotient(CompilerState& st, const ValueRegisters& v, int k) {
  const std::string top(v.regs[v.bytes - 1]);
  const unsigned long long bias = (1ULL << k) - 1;
  if (v.bytes == 2 && bias <= 63) {
    SkipUnlessNegative(st, top, 1);
    st.out.Instr(Sep::kNarrow, "adiw", "zl," + std::to_string(bias));
  } else {
    // the bias added as its negation subtracted, byte by byte with the carry
    const unsigned long long minus = (0ULL - bias) & 0xFFFFFFFFULL;
    SkipUnlessNegative(st, top, v.bytes);
    for (int b = 0; b < v.bytes; ++b)
      st.out.Instr(Sep::kWide, b == 0 ? "subi" : "sbci",
                   std::string(v.regs[b]) + "," + Hex2(static_cast<unsigned>((minus >> (8 * b)) & 0xFF), HexForm::Prefixed0xLower));
  }
  // whole bytes move down; the bytes above take the sign
  const int moved = k / 8;
  if (moved > 0) {
    for (int b = 0; b + moved < v.bytes; ++b)
      st.out.Instr(Sep::kWide, "mov", std::string(v.regs[b]) + "," + std::string(v.regs[b + moved]));
    const std::string sign(v.regs[v.bytes - moved]);
    st.out.Instr(Sep::kWide, "mov", sign + "," + std::string(v.regs[v.bytes - moved - 1]));
    st.out.Instr(Sep::kWide, "lsl", sign);
    st.out.Instr(Sep::kWide, "sbc", sign + "," + sign);
    for (int b = v.bytes - moved + 1; b < v.bytes; ++b) st.out.Instr(Sep::kWide, "mov", std::string(v.regs[b]) + "," + sign);
  }
  // the places left, over the bytes that still hold digits (the rest are all sign)
  const int live = v.bytes - moved;
  for (int s = k % 8; s > 0; --s) {
    st.out.Instr(Sep::kWide, "asr", std::string(v.regs[live - 1]));
    for (int b = live - 2; b >= 0; --b) st.out.Instr(Sep::kWide, "ror", std::string(v.regs[b]));
  }
}

// The remainder of a signed value as the division routines give it, that of the
// magnitudes (never negative): the low bytes the mask keeps are negated for a negative
// value, then masked, and the bytes above cleared.
void SignedRemainder(CompilerState& st, const ValueRegisters& v, int k) {
  const std::string top(v.regs[v.bytes - 1]);
  const int kept = (k + 7) / 8;
  if (kept == 1) {
    st.out.Instr(Sep::kNarrow, "sbrc", top + ",7");
    st.out.Instr(Sep::kWide, "neg", std::string(v.regs[0]));
  } else {
    SkipUnlessNegative(st, top, 2 * kept - 1);
    for (int b = kept - 1; b >= 1; --b) st.out.Instr(Sep::kWide, "com", std::string(v.regs[b]));
    st.out.Instr(Sep::kWide, "neg", std::string(v.regs[0]));
    for (int b = 1; b < kept; ++b) st.out.Instr(Sep::kWide, "sbci", std::string(v.regs[b]) + ",0xff");
  }
  const unsigned mask = static_cast<unsigned>(((1ULL << k) - 1) >> (8 * (kept - 1))) & 0xFF;
  if (mask != 0xFF) Andi(st, v.regs[kept - 1], mask);
  for (int b = kept; b < v.bytes; ++b) st.out.Instr(Sep::kWide, "clr", std::string(v.regs[b]));
}

}  // namespace

void EmitPowerOfTwoDivision(CompilerState& st, std::uint8_t type, int k, bool remainder, bool leftHeld) {
  if (type != kTypeInteger && type != kTypeLong) {
    Unsigned(st, type, k, remainder, leftHeld);
    return;
  }
  if (leftHeld) EmitMoveLeftToCurrent(st, type);
  const ValueRegisters v = CurrentValue(type);
  if (remainder)
    SignedRemainder(st, v, k);
  else
    SignedQuotient(st, v, k);
}

}  // namespace qbc
