#include "compiler/codegen/power_of_two_division.h"

#include <string>

#include "compiler/base/decl_text.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/frontend/numeric_constants.h"

namespace qbc {

PowerOfTwo PowerOfTwoOperand(CompilerState& st, std::uint8_t type) {
  if (type != kTypeByte && type != kTypeWord) return {};
  const TokenRecord& t = st.Tok(1);
  std::string text;
  int tokens = 1;
  long value = 0;
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
    if (text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return {};
    value = std::stol(text);
  }
  const long largest = type == kTypeByte ? 128 : 32768;
  if (value < 2 || value > largest || (value & (value - 1)) != 0) return {};
  int k = 0;
  while ((1L << k) < value) ++k;
  return {k, tokens};
}

void EmitPowerOfTwoDivision(CompilerState& st, std::uint8_t type, int k, bool remainder, bool leftHeld) {
  bool word = type == kTypeWord;
  // a quotient of the high byte alone takes it straight from where it is
  const bool highByteOnly = word && !remainder && k >= 8;
  if (leftHeld && !highByteOnly) {
    st.out.Instr(Sep::kWide, "mov", "zl,r24");
    if (word) st.out.Instr(Sep::kWide, "mov", "zh,r25");
  }
  auto andi = [&](const char* reg, unsigned mask) {
    st.out.Instr(Sep::kWide, "andi", std::string(reg) + "," + Hex2(mask, HexForm::Prefixed0xLower));
  };
  if (remainder) {
    const unsigned mask = (1u << k) - 1;
    if ((mask & 0xFF) != 0xFF) andi("zl", mask & 0xFF);
    if (!word) return;
    if ((mask >> 8) == 0)
      st.out.Instr(Sep::kWide, "clr", "zh");
    else if ((mask >> 8) != 0xFF)
      andi("zh", mask >> 8);
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
    andi("zl", 0x0F);
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

}  // namespace qbc
