// Numeric constants of the source loaded into registers. Integer constants are left to the
// assembler (ldi of byte1( .. byte4( of the text); float constants become their
// single-precision pattern at compile time.
#include <cmath>
#include <cstdlib>

#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/expression_type.h"
#include "compiler/codegen/float_literal.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/base/compile_error.h"
#include "compiler/frontend/numeric_constants.h"

namespace qbc {

namespace {

// byteN(text) into the first `count` registers of `regs`.
void LoadByteFunctions(CompilerState& st, const std::string& t, int count, const RegisterSet& regs) {
  EmitEachByte(st, "ldi", {count, regs}, ByteOrder::LowFirst,
               [&](std::string_view reg, int k) { return std::string(reg) + ",byte" + Dec(k + 1) + "(" + t + ")"; });
}

void LoadBytes(CompilerState& st, const std::string& t, int count, bool second) {
  LoadByteFunctions(st, t, count, second ? kLeftRegisters : kWorkRegisters);
}

void LoadFloat(CompilerState& st, const std::string& hex, bool second) {
  LoadByteFunctions(st, "0x" + hex, 4, second ? kFloatLeftRegisters : kFloatRegisters);
}

// The single-precision pattern of the text; a literal beyond the float range (or one that
// is no number at all) is a compile error and gives no pattern.
bool FloatPattern(CompilerState& st, const std::string& text, std::string& hex) {
  try {
    hex = FloatLiteralToHex(text);
    return true;
  } catch (const FloatLiteralOverflow&) {
    ReportInPlace(st, "Float constant out of range!");
  } catch (const CompileFailure&) {
    ReportInPlace(st, "Numeric constant expected!");
  }
  return false;
}

// A float text wanted as an integer of `bytes` bytes: its value truncated toward zero,
// as decimal text for the assembler's byte functions.
std::string TruncatedText(const std::string& text) {
  const double v = std::strtod(text.c_str(), nullptr);
  if (!std::isfinite(v) || std::fabs(v) >= 4294967296.0) return "0";
  return Dec(static_cast<long>(std::trunc(v)));
}

// A constant beyond the registers of the type it is loaded as would leave some other
// number there: a compile error naming the number and the type.
void CheckConstantFits(CompilerState& st, const std::string& text, std::uint8_t type) {
  if (type < kTypeByte || type > kTypeLong) return;
  if (ConstantFitsType(std::trunc(std::strtod(text.c_str(), nullptr)), type)) return;
  ReportInPlace(st, ConstantDoesNotFit(text, type));
}

}  // namespace

void EmitLoadConstant(CompilerState& st, const std::string& constantText, std::uint8_t wanted) {
  std::string text = constantText;
  int numberPos = st.src.TokenIndex;
  bool sign = false;
  if (text == "-" || text == "+") {
    text += st.TokText();
    ++st.src.TokenIndex;
    sign = true;
  }
  if (!text.empty() && (text.back() == 'e' || text.back() == 'E')) {
    // the exponent's sign and digits arrive as the two tokens after the number
    text += st.src.Tokens[numberPos + 1].Text;
    text += st.src.Tokens[numberPos + 2].Text;
    st.src.TokenIndex = static_cast<std::int16_t>(sign ? numberPos + 3 : numberPos + 2);
  }
  const std::uint8_t ot = ParseFloatConstant(st, text);
  st.sticky.OperandType = ot;
  const std::uint8_t w = wanted == 0 ? ot : wanted;
  const bool s = st.sticky.SkipOperandPush;
  const std::size_t ramEnd = static_cast<std::size_t>(st.dev.RamEnd);

  // The integer text of a float literal wanted as an integer register set.
  auto intText = [&]() { return ot == kTypeFloat ? TruncatedText(text) : text; };

  if (ot != 0) {
    CheckConstantFits(st, text, w);
    const bool onStack = st.expr.IndexOnStack;
    if (w == kTypeFloat) {
      std::string hex;
      if (FloatPattern(st, text, hex)) LoadFloat(st, hex, s);
    } else if (w >= (onStack ? kTypeByte : kTypeBit) && w <= kTypeLong) {
      LoadBytes(st, intText(), NumericTypeBytes(w), s);
    } else if (onStack) {
      if (w == kTypeString && !s) LoadBytes(st, intText(), 1, false);
    } else if (w == kTypeString || (w == kTypeFlashString && !s)) {
      if (ot == kTypeByte || ot == kTypeWord || ot == kTypeLong) LoadBytes(st, text, NumericTypeBytes(ot), s);
      if (ot == kTypeByte && !s && ramEnd > 255) st.out.Instr(Sep::kWide, "clr", "zh");
    }
  }
  // A float literal wanted as an integer is loaded as its truncated integer: from here on
  // it is an operand of the wanted type (its registers, its operators, its store).
  if (ot == kTypeFloat && w >= kTypeBit && w <= kTypeLong) st.sticky.OperandType = w;
}

}  // namespace qbc
