#include "compiler/statements/peripherals/rc5_statement.h"

#include <string>

#include "compiler/base/source_names.h"
#include "compiler/base/flags/hardware_flags.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/operand_store.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/peripherals/rc5_cells.h"

namespace qbc {

namespace {

// The target's type; 0 when the name is no variable ("Unknown identifier" reported).
std::uint8_t TargetType(CompilerState& st, const std::string& name, bool& local) {
  const int l = FindLocalVar(st, name);
  local = l != 0;
  if (local) return st.sym.LocalVars[l - 1].VarType;
  const int g = FindGlobalVar(st, name);
  if (g != 0) return st.sym.GlobalVars[g].VarType;
  CompileError(st, UnknownIdentifier(name));
  return 0;
}

// Stores the byte in `reg` into the variable named by the current token. A wider target
// gets the byte zero-extended: it goes through the working registers, while the byte
// still to be stored from zl waits on the stack.
void StoreRc5Result(CompilerState& st, const std::string& reg) {
  st.sticky.OperandType = kTypeByte;
  const std::string name = st.TokText();
  ++st.src.TokenIndex;
  bool local = false;
  const std::uint8_t type = TargetType(st, name, local);
  if (type == 0) return;
  if (type < kTypeByte || type > kTypeLong) {
    ReportInPlace(st, "RC5 stores into Byte, Integer, Word or Long variables!");
    return;
  }
  std::string from = reg;
  const bool keepCommand = type != kTypeByte && reg != "zl";
  if (type != kTypeByte) {
    if (keepCommand) {
      st.out.Instr(Sep::kNarrow, "push", "zl");
      st.out.Instr(Sep::kWide, "mov", "zl," + reg);
    }
    st.out.Instr(Sep::kWide, "clr", "zh");
    if (type == kTypeLong) {
      st.out.Instr(Sep::kWide, "clr", "r18");
      st.out.Instr(Sep::kWide, "clr", "r19");
    }
    from = "zl";
  }
  if (local)
    EmitStoreFrameVar(st, name, from, type);
  else
    EmitStoreVariable(st, name, from, type);
  if (keepCommand) st.out.Instr(Sep::kWide, "pop", "zl");
}

}  // namespace

void CompileRc5Statement(CompilerState& st) {
  ++st.src.TokenIndex;
  const Rc5Cells& rc5 = st.Cells<Rc5Cells>();
  if (rc5.Rc5Pin == " " || rc5.Rc5Port == "     ") {
    CompileError(st, "RC5 not configured yet!");
    st.Tok().Text = "<EOL>";
    return;
  }
  EmitCall(st, "_RC5");
  ExpectToken(st, "(");
  StoreRc5Result(st, "zh");
  kit::ExpectComma(st);
  StoreRc5Result(st, "zl");
  ExpectToken(st, ")");
  st.used.Set(NeedRc5);
}

}  // namespace qbc
