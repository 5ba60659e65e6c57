#include "compiler/statements/hardware/set_reset.h"

#include <optional>
#include <string>

#include "compiler/base/source_names.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/flags/core_flags.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/bits_io.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/operand_store.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/statements/hardware/register_bits.h"
#include "compiler/codegen/io_access.h"

namespace qbc {

namespace {

// The bit written after ".": a number, a named constant or (for registers) a bit name of
// the device file, within 0..highest; reported with `message` otherwise. The token index
// steps past it either way.
std::optional<int> ConstantBit(CompilerState& st, int highest, const char* message) {
  const int v = BitTextValue(st, st.TokText());
  if (v < 0 || v > highest) {
    CompileError(st, message);
    return std::nullopt;
  }
  ++st.src.TokenIndex;
  return v;
}

// A bit that names something the compile-time forms can use: a number, a constant or a
// device bit name. Anything else is an expression computed at run time.
bool IsConstantBitText(CompilerState& st) {
  const TokenRecord& t = st.Tok();
  if (t.Kind == kTokNumber) return true;
  if (FindConst(st, t.Text) != 0) return true;
  return t.Kind == kTokName && DeviceSymbolValue(st, t.Text).has_value() && st.TokText(1) != "(";
}

// A register bit computed at run time: its mask in r23 from _VaBit, the register changed
// through r24 by its address.
void EmitRuntimeRegisterBit(CompilerState& st, const std::string& reg, int address, bool set) {
  ParseSum(st, kTypeByte);
  st.out.Instr(Sep::kWide, "andi", "zl,0x07");
  CallLibrary(st, "_VaBit", NeedBitMask);
  EmitRegisterRead(st, reg, "r24", Reach::kData);
  if (set) {
    st.out.Instr(Sep::kWide, "or", "r24,r23");
  } else {
    st.out.Instr(Sep::kWide, "com", "r23");
    st.out.Instr(Sep::kWide, "and", "r24,r23");
  }
  EmitRegisterWrite(st, reg, "r24", Reach::kData);
}

void RegisterForm(CompilerState& st, const std::string& reg, bool set) {
  const std::string upper = UpperText(reg);
  const int address = RegisterAddress(st, upper).value_or(0x100);
  ExpectToken(st, ".");
  if (IsConstantBitText(st)) {
    if (const auto bit = ConstantBit(st, 7, "From 0 to 7!"); bit && RegisterBitOnDevice(st, upper, *bit))
      EmitChangeRegisterBit(st, RegisterBit{upper, address, *bit}, set, true);
  } else if (const auto signedBit = kit::ConstantArgument(st); signedBit && !RegisterBitOnDevice(st, upper, *signedBit)) {
    // A signed number: the run-time form would keep its low three bits (-1 giving bit 7).
    SkipToStatementEnd(st);
  } else {
    EmitRuntimeRegisterBit(st, upper, address, set);
  }
}

// A $def alias: its own bit, or the bit written after it when it names a whole register.
void AliasForm(CompilerState& st, int alias, bool set) {
  const DefRecord& def = st.sym.Defs[alias];
  const std::string reg = UpperText(def.Register);
  const int address = RegisterAddress(st, reg).value_or(0x100);
  if (def.Bit != " ") {
    const int bit = BitTextValue(st, def.Bit);
    if (st.TokText() == ".") st.src.TokenIndex = static_cast<std::int16_t>(st.src.TokenIndex + 2);
    if (RegisterBitOnDevice(st, reg, bit)) EmitChangeRegisterBit(st, RegisterBit{reg, address, bit}, set, true);
    return;
  }
  if (st.TokText() != ".") {
    ExpectToken(st, ".");  // the alias names no bit, so the statement must
    return;
  }
  ++st.src.TokenIndex;
  if (const auto bit = ConstantBit(st, 7, "From 0 to 7!"); bit && RegisterBitOnDevice(st, reg, *bit))
    EmitChangeRegisterBit(st, RegisterBit{reg, address, *bit}, set, true);
}

// The highest bit of a variable of `type` these statements reach; -1 for the types they
// refuse. A local long is reached byte by byte in the frame; a global one is refused.
int HighestBit(std::uint8_t type, bool local) {
  switch (type) {
    case kTypeByte: return 7;
    case kTypeInteger:
    case kTypeWord: return 15;
    case kTypeLong: return local ? 31 : -1;
    default: return -1;
  }
}

const char* RangeMessage(int highest) {
  return highest > 15 ? "From 0 to 31!" : highest > 7 ? "From 0 to 15!" : "From 0 to 7!";
}

// "." and a constant bit within the range of a variable of `type`; none after a report.
std::optional<int> VariableBit(CompilerState& st, std::uint8_t type, bool local) {
  const int highest = HighestBit(type, local);
  if (highest < 0) {
    CompileError(st, "Not allowed for Long!");
    return std::nullopt;
  }
  ExpectToken(st, ".");
  return ConstantBit(st, highest, RangeMessage(highest));
}

void LocalForm(CompilerState& st, const std::string& name, int local, bool set) {
  if (const auto bit = VariableBit(st, st.sym.LocalVars[local - 1].VarType, true)) {
    st.out.Instr(set ? "set" : "clt");
    EmitStoreFrameVarBit(st, name, Dec(*bit));
  }
}

void GlobalForm(CompilerState& st, const std::string& name, int global, bool set) {
  const GlobalVarRecord& v = st.sym.GlobalVars[global];
  if (!WritableGlobal(st, v)) {
    SkipToStatementEnd(st);
    return;
  }
  if (v.VarType == kTypeBit) {
    // Bit variables 0..7 are the bits of r3, 8..15 those of r4.
    st.out.Instr(set ? "set" : "clt");
    st.out.Instr(Sep::kWide, "bld", (v.Size < 8 ? "r3," + Dec(v.Size) : "r4," + Dec(v.Size - 8)));
    return;
  }
  if (const auto bit = VariableBit(st, v.VarType, false)) {
    st.out.Instr(set ? "set" : "clt");
    EmitStoreVarBit(st, name, Dec(*bit));
  }
}

// Clears one external interrupt's pending flag: a flag is cleared by writing 1 to it, so
// only its own bit is written (reading the register back would clear every pending one).
void ClearInterruptFlag(CompilerState& st, int n) {
  const std::string flag = "intf" + std::to_string(n);
  const auto rb = FindRegisterBit(st, {{"eifr", flag}, {"gifr", flag}});
  if (!rb) {
    CompileError(st, "Unexisting feature!");
    return;
  }
  st.out.Instr(Sep::kWide, "ldi", "zl," + BitMaskText(rb->bit));
  EmitRegisterWrite(st, rb->reg, "zl", Reach::kData);
}

void CompileBitStatement(CompilerState& st, bool set) {
  ++st.src.TokenIndex;
  const std::string name = st.TokText();
  if (!set) {
    if (name == "<EOL>" || IsWord(st.Tok(), ":")) {
      // A restart from the top: the jump the device has (no jmp on the small chips).
      st.out.Instr(Sep::kNarrow, st.mn.JumpMnemonic, "_Reset");
      return;
    }
    if (name == "watchdog") {
      ++st.src.TokenIndex;
      st.out.Instr("wdr");
      return;
    }
    if (name.size() == 4 && name.starts_with("int") && name[3] >= '0' && name[3] <= '7') {
      ++st.src.TokenIndex;
      ClearInterruptFlag(st, name[3] - '0');
      return;
    }
  }
  ++st.src.TokenIndex;
  if (const int local = FindLocalVar(st, name); local != 0) {
    LocalForm(st, name, local, set);
  } else if (const int alias = FindDefAlias(st, name); alias != 0) {
    AliasForm(st, alias, set);
  } else if (FindIoRegister(st, name) != 0) {
    RegisterForm(st, name, set);
  } else if (const int global = FindGlobalVar(st, name); global != 0) {
    GlobalForm(st, name, global, set);
  } else {
    ReportInPlace(st, UnknownIdentifier(name));
    SkipToStatementEnd(st);  // nothing of the operand can be read
  }
}

}  // namespace

void CompileSetStatement(CompilerState& st) { CompileBitStatement(st, true); }

void CompileResetStatement(CompilerState& st) { CompileBitStatement(st, false); }

}  // namespace qbc
