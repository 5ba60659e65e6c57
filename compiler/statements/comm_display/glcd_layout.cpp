// The T6963C layout settings: TxtAreaSet and GrpAreaSet (the bytes of a layer's row),
// TxtHomeSet and GrpHomeSet (a layer's start in display memory, or the stored one sent
// again), and the PCD8544's Contrast. The values stay in the program's TxtArea, GrpArea, TxtHome and GrpHome, which
// the address routines read. The layout belongs to the T6963C only: on another controller
// the statements are refused instead of calling routines that are never written.
#include "compiler/base/flags/glcd_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/comm_display/glcd_args.h"
#include "compiler/statements/comm_display/glcd_statements.h"

namespace qbc {

namespace {

constexpr const char* kT6963Only = "T6963c only!";

struct Layer {
  const char* area;       // the area variable
  const char* home;       // the home variable
  const char* area_call;  // sends the stored area
  const char* home_call;  // sends the stored home
  const char* home1_call; // sends r16:r17 as home
  UsedFlag flag;
};

constexpr Layer kText{"txtarea", "txthome", "_TxtA", "_TxtH", "_TxtH1", NeedTxtHome};
constexpr Layer kGraphic{"grparea", "grphome", "_GrpA", "_GrpH", "_GrpH1", NeedGrpHome};

void AreaSet(CompilerState& st, const Layer& layer) {
  if (!OpenGlcdStatement(st, GlcdBit(1), kT6963Only)) return;
  kit::LoadValue(st, kTypeByte);
  st.out.Instr(Sep::kWide, "sts", std::string(layer.area) + ",zl");
  EmitCall(st, layer.area_call);
  st.used.Set(layer.flag);
}

void HomeSet(CompilerState& st, const Layer& layer) {
  if (!OpenGlcdStatement(st, GlcdBit(1), kT6963Only)) return;
  st.used.Set(layer.flag);
  if (kit::AtStatementEnd(st)) {
    EmitCall(st, layer.home_call);
    return;
  }
  kit::LoadValue(st, kTypeWord);
  st.out.Instr(Sep::kWide, "sts", std::string(layer.home) + ",zl");
  st.out.Instr(Sep::kWide, "sts", std::string(layer.home) + "+1,zh");
  st.out.Instr(Sep::kWide, "mov", "r16,zl");
  st.out.Instr(Sep::kWide, "mov", "r17,zh");
  EmitCall(st, layer.home1_call);
}

}  // namespace

// Contrast = value: the PCD8544's contrast through _Pcnst. On another controller the
// message is reported and the statement still compiled, so that its expression is checked.
void CompileContrastStatement(CompilerState& st) {
  if (GlcdController(st) == 4)
    ++st.src.TokenIndex;
  else
    CompileError(st, "Just for Nokia3310!");
  ExpectToken(st, "=");
  kit::LoadValue(st, kTypeByte);
  EmitCall(st, "_Pcnst");
}

void CompileTxtAreaSetStatement(CompilerState& st) { AreaSet(st, kText); }
void CompileGrpAreaSetStatement(CompilerState& st) { AreaSet(st, kGraphic); }
void CompileTxtHomeSetStatement(CompilerState& st) { HomeSet(st, kText); }
void CompileGrpHomeSetStatement(CompilerState& st) { HomeSet(st, kGraphic); }

}  // namespace qbc
