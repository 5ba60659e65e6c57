// Pixels, lines, boxes, circles, fills, inverse areas and the point read: one family that
// differs in its coordinates, its last value and each controller's routine.
#include <initializer_list>
#include <vector>

#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/glcd_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/comm_display/glcd_args.h"
#include "compiler/statements/comm_display/glcd_statements.h"
#include "compiler/statements/math/function_result.h"

namespace qbc {

namespace {

constexpr const char* kNotSupported = "Not supported by this graphic LCD!";

enum class Coords { kXY, kXYR21, kFour };

struct Member {
  Coords coords;
  bool last_value;             // ", value" after the coordinates, into zl
  const char* calls[5];        // by controller; nullptr: no routine
  int extra[5];                // a flag set with the call, by controller (-1: none)
  std::vector<UsedFlag> common;
};

unsigned Served(const Member& m) {
  unsigned bits = 0;
  for (int t = 1; t <= 4; ++t)
    if (m.calls[t] != nullptr) bits |= GlcdBit(t);
  return bits;
}

const Member kPSet{Coords::kXY, true, {nullptr, "_Tpix", "_HDPs", "_S0Ps", nullptr},
                   {-1, NeedDiv8u, NeedCalcPix, NeedCalcPix, -1}, {NeedGrpHome, NeedPset}};
const Member kCircle{Coords::kXYR21, true, {nullptr, "_TCir", "_HDCir", "_S0Cir", nullptr},
                     {-1, NeedDiv8u, NeedCalcPix, NeedCalcPix, -1}, {NeedGrpHome, NeedCircle, NeedPset}};
const Member kLine{Coords::kFour, true, {nullptr, "_TLin", "_HDLin", "_S0Lin", nullptr},
                   {-1, NeedDiv8u, NeedCalcPix, NeedCalcPix, -1}, {NeedGrpHome, NeedLine, NeedPset}};
const Member kLineH{Coords::kXYR21, true, {nullptr, "_TLiH", "_HDLiH", "_S0LiH", nullptr},
                    {-1, NeedDiv8u, NeedCalcPix, NeedCalcPix, -1}, {NeedGrpHome, NeedLineH, NeedPset}};
const Member kLineV{Coords::kXYR21, true, {nullptr, "_TLiV", "_HDLiV", "_S0LiV", nullptr},
                    {-1, NeedDiv8u, NeedCalcPix, NeedCalcPix, -1}, {NeedGrpHome, NeedLineV, NeedPset}};
const Member kBox{Coords::kFour, true, {nullptr, "_TBox", "_HDBox", "_S0Box", nullptr},
                  {-1, -1, -1, -1, -1}, {NeedBox, NeedGrpHome, NeedLineH, NeedLineV, NeedPset, NeedDiv8u}};
const Member kFill{Coords::kFour, true, {nullptr, "_Tfill", "_HDFBo", "_S0FBo", nullptr},
                   {-1, -1, -1, -1, -1}, {NeedGrpHome, NeedGfill}};
const Member kInverse{Coords::kFour, false, {nullptr, "_TInv", "_HDInv", "_S0Inv", "_PcInv"},
                      {-1, NeedTrd, -1, -1, -1}, {NeedGrpHome, NeedInverse}};
const Member kPoint{Coords::kXY, false, {nullptr, "_TPnt", "_HDPnt", "_S0Pnt", nullptr},
                    {-1, NeedDiv8u, -1, -1, -1}, {NeedPoint, NeedGrpHome}};

void WriteCall(CompilerState& st, const Member& m) {
  const int type = GlcdController(st);
  // The T6963C pixel routine takes its colour in r13.
  if (&m == &kPSet && type == 1) st.out.Instr(Sep::kWide, "mov", "r13,zl");
  EmitCall(st, m.calls[type]);
  if (m.extra[type] >= 0) st.used.Set(static_cast<UsedFlag>(m.extra[type]));
  for (UsedFlag f : m.common) st.used.Set(f);
}

void LoadCoords(CompilerState& st, GlcdArgs& args, Coords coords) {
  switch (coords) {
    case Coords::kXY: LoadXY(args, st); break;
    case Coords::kXYR21: LoadXYR21(args, st); break;
    case Coords::kFour: LoadXYR21R22(args, st); break;
  }
}

void CompileMember(CompilerState& st, const Member& m) {
  if (!OpenGlcdStatement(st, Served(m), kNotSupported)) return;
  ExpectToken(st, "(");
  GlcdArgs args(st);
  LoadCoords(st, args, m.coords);
  ExpectToken(st, ")");
  if (m.last_value) {
    kit::ExpectComma(st);
    args.Value();
  }
  args.Finish();
  WriteCall(st, m);
}

}  // namespace

void CompilePSetStatement(CompilerState& st) { CompileMember(st, kPSet); }
void CompileCircleStatement(CompilerState& st) { CompileMember(st, kCircle); }
void CompileLineStatement(CompilerState& st) { CompileMember(st, kLine); }
void CompileLineHStatement(CompilerState& st) { CompileMember(st, kLineH); }
void CompileLineVStatement(CompilerState& st) { CompileMember(st, kLineV); }
void CompileBoxStatement(CompilerState& st) { CompileMember(st, kBox); }
void CompileFillStatement(CompilerState& st) { CompileMember(st, kFill); }

// On the PCD8544 the whole display is inverted or shown normally by bit 0 of one value;
// the other controllers invert an area.
void CompileInverseStatement(CompilerState& st) {
  if (GlcdController(st) != 4) {
    CompileMember(st, kInverse);
    return;
  }
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  GlcdArgs args(st);
  args.Value();
  ExpectToken(st, ")");
  WriteCall(st, kInverse);
}

// The display byte that holds the pixel, as a byte value.
std::uint8_t CompilePointFunction(CompilerState& st, std::uint8_t wanted) {
  FunctionResult result(st, wanted);
  if (!OpenGlcdFunction(st, Served(kPoint), kNotSupported)) {
    return result.Yield(kTypeByte);
  }
  GlcdArgs args(st);
  LoadParenXY(args, st);
  args.Finish();
  WriteCall(st, kPoint);
  return result.Yield(kTypeByte);
}

}  // namespace qbc
