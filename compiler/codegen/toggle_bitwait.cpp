// Toggle register.bit (or a $def alias) and BitWait register.bit, 0|1.
#include "compiler/base/compile_error.h"
#include "compiler/base/source_names.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/flags/core_flags.h"
#include "compiler/base/labels.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/binary_operators.h"
#include "compiler/codegen/compare_negate.h"
#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/io_access.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/meta_pins.h"

namespace qbc {

void CompileToggleStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  std::string name = st.TokText();
  ++st.src.TokenIndex;
  std::string bit;
  bool runtimeBit = false;
  if (const int a = FindDefAlias(st, name); a != 0) {
    name = st.sym.Defs[a].Register;
    if (st.sym.Defs[a].Bit != " ") bit = st.sym.Defs[a].Bit;
  } else {
    const bool isRegister = FindIoRegister(st, name) != 0;
    if (!isRegister) {
      ReportInPlace(st, UnknownIdentifier(name));
      return;
    }
    ExpectToken(st, ".");
    if (st.Tok().Kind == kTokNumber) {
      bit = st.TokText();
      RegisterBitOnDevice(st, name, BitTextValue(st, bit));
      ++st.src.TokenIndex;
    } else if (const auto constant = kit::ConstantArgument(st); constant && !RegisterBitOnDevice(st, name, *constant)) {
      // a constant ("-1" too) out of the register's bits, or a pin the chip lacks
      SkipToStatementEnd(st);
      return;
    } else {
      ParseSum(st, kTypeByte);
      // a bit computed at run time is one of the register's eight, as Set and Reset take it
      st.out.Instr(Sep::kWide, "andi", "zl,0x07");
      EmitCall(st, "_VaBit");
      st.used.Set(NeedBitMask);
      runtimeBit = true;
    }
  }
  st.sticky.OperandType = kTypeByte;
  EmitRegisterRead(st, UpperText(name), "zl", Reach::kInOut);
  if (!runtimeBit) {
    // an alias's bit may be a bit name of the device file (pb3)
    const int n = bit.empty() ? 0 : BitTextValue(st, bit) & 7;
    st.out.Instr(Sep::kWide, "ldi", "r23," + BitMaskText(n));
  }
  st.out.Instr(Sep::kWide, "eor", "zl,r23");
  EmitRegisterWrite(st, UpperText(name), "zl", Reach::kInOut);
}

void CompileBitWaitStatement(CompilerState& st) {
  const std::string label = NewLabel(st);
  ++st.src.TokenIndex;
  std::string name = st.TokText();
  ++st.src.TokenIndex;
  std::string bit = "0";
  if (const int a = FindDefAlias(st, name); a != 0) {
    // An alias names the port; the pin is read.
    const std::string reg = st.sym.Defs[a].Register;
    name = "PIN" + UpperText(reg.substr(reg.empty() ? 0 : reg.size() - 1));
    if (st.sym.Defs[a].Bit != " ") bit = st.sym.Defs[a].Bit;
  } else if (FindIoRegister(st, name) != 0) {
    ExpectToken(st, ".");
    bit = st.TokText();
    RegisterBitOnDevice(st, name, BitTextValue(st, bit));
    ++st.src.TokenIndex;
  }
  ExpectToken(st, ",");
  const std::string value = st.TokText();
  if (value != "0" && value != "1") {
    ReportInPlace(st, "Only 0 or 1!");
  }
  ++st.src.TokenIndex;
  EmitLabel(st, label);
  EmitBitSkip(st, BitOf(UpperText(name), bit, BitTextValue(st, bit), MaskText::kHex), value != "0", "r24", Reach::kInOut);
  st.out.Instr(Sep::kNarrow, "rjmp", label);
}

}  // namespace qbc
