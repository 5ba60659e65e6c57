#include "compiler/statements/hardware/pulse.h"

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/base/source_names.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/statements/hardware/register_bits.h"

namespace qbc {

namespace {

// A single digit 0 to 7 at the current token; "From 0 to 7!" otherwise. Steps past it
// either way (the reporter steps over a wrong one).
std::optional<int> PinBit(CompilerState& st, const std::string& text) {
  if (text.size() != 1 || !IsBitIndex(text)) {
    CompileError(st, "From 0 to 7!");
    return std::nullopt;
  }
  return text[0] - '0';
}

// The pin: "register.bit", or a $def alias with its own bit or of a whole register
// followed by ".bit". Leaves the token index on the "," after it.
std::optional<RegisterBit> PulsePin(CompilerState& st) {
  std::string reg = st.TokText();
  ++st.src.TokenIndex;
  std::optional<int> bit;
  if (const int alias = FindDefAlias(st, reg)) {
    const DefRecord& def = st.sym.Defs[alias];
    reg = def.Register;
    if (def.Bit == " ") {
      ExpectToken(st, ".");
      bit = PinBit(st, st.TokText());
      if (bit) ++st.src.TokenIndex;
    } else {
      bit = PinBit(st, def.Bit);
      if (!bit) --st.src.TokenIndex;  // the alias's bit is wrong, not the token after it
    }
  } else if (FindIoRegister(st, LowerText(reg)) != 0) {
    ExpectToken(st, ".");
    bit = PinBit(st, st.TokText());
    if (bit) ++st.src.TokenIndex;
  } else {
    // Without a register there is no pin to write to.
    ReportInPlace(st, UnknownIdentifier(reg));
    return std::nullopt;
  }
  if (!bit) return std::nullopt;
  // A register the bit instructions do not reach is changed through zl (io_access).
  return RegisterBit{reg, RegisterAddress(st, UpperText(reg)).value_or(0x100), *bit};
}

// The tick count into r23: a number or constant of 0 to 255, or a numeric variable (its
// low byte). Anything else cannot be loaded by an ldi and is refused.
void EmitTickCount(CompilerState& st) {
  const TokenRecord& t = st.Tok();
  const int constant = FindConst(st, t.Text);
  if (t.Kind == kTokNumber || t.Text == "&" ||
      (constant != 0 && st.sym.Constants[constant].ConstType == kTokNumber)) {
    const std::int32_t ticks = ParseAmpConstant(st);
    if (ticks < 0 || ticks > 255) {
      CompileError(st, "From 0 to 255!");
      return;
    }
    st.out.Instr(Sep::kWide, "ldi", "r23," + Dec(ticks));
    ++st.src.TokenIndex;
    return;
  }
  const int local = t.Kind == kTokName ? FindLocalVar(st, t.Text) : 0;
  const int global = t.Kind == kTokName && local == 0 ? FindGlobalVar(st, t.Text) : 0;
  std::uint8_t type = kTypeNone;
  if (local != 0)
    type = st.sym.LocalVars[local - 1].VarType;
  else if (global != 0)
    type = st.sym.GlobalVars[global].VarType;
  if (type < kTypeByte || type > kTypeLong) {
    CompileError(st, "Must be numeric constant or variable!");
  } else {
    st.sticky.OperandType = type;
    if (local != 0)
      EmitLoadFrameVar(st, local, kTypeByte);
    else
      EmitLoadVariable(st, t.Text, kTypeByte);
    st.out.Instr(Sep::kWide, "mov", "r23,zl");
    ++st.src.TokenIndex;
  }
}

}  // namespace

void CompilePulseStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  const std::optional<RegisterBit> pin = PulsePin(st);
  if (!pin) {
    SkipToStatementEnd(st);
    return;
  }
  ExpectToken(st, ",");
  const std::string level = st.TokText();
  bool high = true;
  if (level == "hi" || level == "1") {
    high = true;
  } else if (level == "low" || level == "0") {
    high = false;
  } else {
    CompileError(st, "1 or 0!");
    SkipToStatementEnd(st);
    return;
  }
  ++st.src.TokenIndex;
  ExpectToken(st, ",");
  EmitChangeRegisterBit(st, *pin, high, true);
  EmitTickCount(st);
  CallLibrary(st, "_Wtic", NeedWaitTicks);
  EmitChangeRegisterBit(st, *pin, !high, true);
}

}  // namespace qbc
