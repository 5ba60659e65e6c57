// Images from flash tables, the font selection and the clearing statements.
#include "compiler/base/flags/glcd_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/comm_display/glcd_args.h"
#include "compiler/statements/comm_display/glcd_statements.h"

namespace qbc {

namespace {

constexpr const char* kImageCalls[] = {nullptr, "_Timg", "_HDimg", "_S0img", "_Pcimg"};
constexpr const char* kImageArrayCalls[] = {nullptr, "_TimA", "_HDimA", "_S0imA", "_PcimA"};
constexpr const char* kClsCalls[] = {nullptr, "_TgCls", "_HDCls", "_S0Cls", "_PcCls"};

}  // namespace

// ImgSet (x, y[, n]), table: the table's address in Z, n in r20 for one image of a table
// of equal-sized images.
void CompileImgSetStatement(CompilerState& st) {
  if (!OpenGlcdStatement(st, kAllGlcds, "")) return;
  const int type = GlcdController(st);
  ExpectToken(st, "(");
  GlcdArgs args(st);
  LoadXY(args, st);
  bool indexed = false;
  if (st.Tok().Kind == kTokComma) {
    ++st.src.TokenIndex;
    indexed = true;
    args.Load("r20");
  }
  ExpectToken(st, ")");
  kit::ExpectComma(st);
  args.BeforeExpression();
  ParseSum(st, kTypeNone);
  st.expr.OperandInFlash = false;
  args.Finish();
  EmitCall(st, indexed ? kImageArrayCalls[type] : kImageCalls[type]);
  // The T6963C's image routines come as one block under either flag.
  if (indexed) st.used.Set(NeedImgArraySet);
  if (!indexed || type != 1) st.used.Set(NeedImgSet);
  st.used.Set(NeedGrpHome);
}

// FontSet table: the font's address into _fntL/_fntH through _Fnt, written whenever a
// program selects a font (with or without text items).
void CompileFontSetStatement(CompilerState& st) {
  if (!OpenGlcdStatement(st, kAllGlcds, "")) return;
  ParseSum(st, kTypeNone);
  st.expr.OperandInFlash = false;
  CallLibrary(st, "_Fnt", NeedFnt);
}

void CompileGClsStatement(CompilerState& st) {
  if (!OpenGlcdStatement(st, kAllGlcds, "")) return;
  const int type = GlcdController(st);
  EmitCall(st, kClsCalls[type]);
  // The HD61202 and SED1520 clear through their fill routines.
  if (type == 2 || type == 3) st.used.Set(NeedGfill);
  st.used.Set(NeedGrpHome);
}

void CompileTClsStatement(CompilerState& st) {
  if (!OpenGlcdStatement(st, GlcdBit(1), "T6963c only!")) return;
  EmitCall(st, "_TtCls");
  st.used.Set(NeedTxtHome);
}

}  // namespace qbc
