// Direct access to the graphic LCD controller: the T6963C cursor, raw commands, and one
// display byte written or read at a position.
#include "compiler/base/flags/glcd_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/comm_display/glcd_args.h"
#include "compiler/statements/comm_display/glcd_statements.h"
#include "compiler/statements/math/function_result.h"

namespace qbc {

namespace {

constexpr const char* kNotSupported = "Not supported by this graphic LCD!";

}  // namespace

// GCursor x, y: the T6963C's cursor pointer (command 0x21 after the two data bytes).
void CompileGCursorStatement(CompilerState& st) {
  if (!OpenGlcdStatement(st, GlcdBit(1), "T6963c only!")) return;
  GlcdArgs args(st);
  LoadXY(args, st);
  args.Finish();
  EmitCall(st, "_Tadr2");
  st.out.Instr(Sep::kWide, "ldi", "r20,0x21");
  EmitCall(st, "_Tcmd");
}

// GCommand value: one command byte in r20, on the controllers that take raw commands.
void CompileGCommandStatement(CompilerState& st) {
  if (!OpenGlcdStatement(st, GlcdBit(1) | GlcdBit(4), kNotSupported)) return;
  GlcdArgs args(st);
  args.Load("r20");
  args.Finish();
  EmitCall(st, GlcdController(st) == 1 ? "_Tcmd" : "_PcSer");
}

// GWrite (x, y), value. The T6963C's write addresses through the graphic home routines.
void CompileGWriteStatement(CompilerState& st) {
  static const char* const kCalls[] = {nullptr, "_Twri", "_HDwr", "_S0wr", "_PcWr"};
  if (!OpenGlcdStatement(st, kAllGlcds, "")) return;
  const int type = GlcdController(st);
  GlcdArgs args(st);
  LoadParenXY(args, st);
  kit::ExpectComma(st);
  args.Value();
  args.Finish();
  if (type != 1) st.out.Instr(Sep::kWide, "mov", "r0,zl");
  EmitCall(st, kCalls[type]);
  if (type == 1) {
    st.used.Set(NeedTwri);
    st.used.Set(NeedGrpHome);
  }
}

// GRead(x, y): the display byte at the position, as a byte value.
std::uint8_t CompileGReadFunction(CompilerState& st, std::uint8_t wanted) {
  FunctionResult result(st, wanted);
  if (!OpenGlcdFunction(st, GlcdBit(1) | GlcdBit(2) | GlcdBit(3), kNotSupported)) {
    return result.Yield(kTypeByte);
  }
  const int type = GlcdController(st);
  GlcdArgs args(st);
  LoadParenXY(args, st);
  args.Finish();
  if (type == 1) {
    EmitCall(st, "_Trdy");
    st.used.Set(NeedTrd);
    st.used.Set(NeedGrpHome);
  } else {
    EmitCall(st, type == 2 ? "_HDrd" : "_S0rd");
    st.out.Instr(Sep::kWide, "mov", "zl,r0");
  }
  return result.Yield(kTypeByte);
}

}  // namespace qbc
