// GLcd (text in the selected font, Hex and Chr items) and GNum (numbers; on the T6963C in
// the number font) at a position on a graphic LCD, and TLcd (the T6963C's text layer, at
// a character position).
#include <string>

#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/glcd_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/codegen/string_functions.h"
#include "compiler/codegen/string_lines.h"
#include "compiler/statements/comm_display/glcd_args.h"
#include "compiler/statements/comm_display/glcd_statements.h"

namespace qbc {

namespace {

struct TextRoutines {
  const char* number;
  UsedFlag number_flag;
  const char* string;
  UsedFlag string_flag;
  const char* constant;
  UsedFlag constant_flag;
  bool float_as_string = false;  // a float's text goes to the string routine
};

// By controller; [0] is the T6963C number font of GNum, [1] to [4] the font of GLcd (and
// GNum on the other controllers).
const TextRoutines kNumberFont{"_TNBW", NeedTNBW, "_TNBW", NeedTNBW2, "_TNsc", NeedTNsc};
const TextRoutines kFontRoutines[] = {
    {nullptr, NeedGlcdNumbers, nullptr, NeedGlcdString, nullptr, NeedGlcdStrConst},
    {"_TFBW", NeedGlcdNumbers, "_TFBW", NeedGlcdString, "_TFsc", NeedGlcdStrConst},
    {"_HDBW", NeedGlcdNumbers, "_HDSt", NeedGlcdString, "_HDSc", NeedGlcdStrConst},
    {"_S0BW", NeedGlcdNumbers, "_S0St", NeedGlcdString, "_S0Sc", NeedGlcdStrConst},
    {"_PcBW", NeedGlcdNumbers, "_PcSt", NeedGlcdString, "_PcSc", NeedGlcdStrConst},
};
// The T6963C's text layer.
const TextRoutines kTextLayer{"_TBW", NeedTBW, "_Tst", NeedTst, "_Tsc", NeedTsc, true};
constexpr const char* kHexByte[] = {nullptr, "_TFhb", "_HDhb", "_S0hb", "_PcHb"};
// The T6963C's font hex has a word entry of its own; "_Thw" is its text-layer routine.
constexpr const char* kHexWord[] = {nullptr, "_TFhw", "_HDhw", "_S0hw", "_PcHw"};
constexpr const char* kChr[] = {nullptr, "_TFchr", "_HDchr", "_S0chr", "_PcChr"};

// The position stays on the stack while an item's code runs (expression code may use
// r16 and r17) and comes back just before the driver call, which advances r16.
void KeepPosition(CompilerState& st) {
  st.out.Instr(Sep::kNarrow, "push", "r16");
  st.out.Instr(Sep::kNarrow, "push", "r17");
}
void RestorePosition(CompilerState& st) {
  st.out.Instr(Sep::kWide, "pop", "r17");
  st.out.Instr(Sep::kWide, "pop", "r16");
}

void WriteValueItem(CompilerState& st, const TextRoutines& r, std::uint8_t worked) {
  const std::uint8_t type = kit::ItemType(st, worked);
  if (type == kTypeString || type == kTypeFlashString) {
    RestorePosition(st);
    if (type == kTypeString)
      CallLibrary(st, r.string, r.string_flag);
    else
      CallLibrary(st, r.constant, r.constant_flag);
    return;
  }
  // Numbers and floats become text in the number buffer, which the number routine prints.
  if (!kit::EmitNumberToText(st, type, kit::LongTextLabel::kCapitalS)) {
    if (type != kTypeFloat) {
      RestorePosition(st);
      ReportInPlace(st, "Unknown identifier ");
      return;
    }
    strlines::EmitFloatToText(st);
    if (r.float_as_string) {
      RestorePosition(st);
      CallLibrary(st, r.string, r.string_flag);
      return;
    }
  }
  RestorePosition(st);
  CallLibrary(st, r.number, r.number_flag);
}

void WriteHexItem(CompilerState& st, int type) {
  st.used.Set(NeedGlcdHex);
  ++st.src.TokenIndex;
  const std::uint8_t worked = ParseSum(st, kTypeNone);
  RestorePosition(st);
  switch (kit::ItemType(st, worked)) {
    case kTypeByte: EmitCall(st, kHexByte[type]); break;
    case kTypeInteger:
    case kTypeWord: EmitCall(st, kHexWord[type]); break;
    default: ReportInPlace(st, "Must be Byte or Word!"); break;
  }
}

void WriteChrItem(CompilerState& st, int type) {
  st.used.Set(NeedTFchr);
  ++st.src.TokenIndex;
  CompileCharacterCode(st);
  RestorePosition(st);
  EmitCall(st, kChr[type]);
}

void CompileTextStatement(CompilerState& st, bool number_font) {
  if (!OpenGlcdStatement(st, kAllGlcds, "")) return;
  const int type = GlcdController(st);
  const TextRoutines& routines = number_font && type == 1 ? kNumberFont : kFontRoutines[type];
  GlcdArgs args(st);
  LoadParenXY(args, st);
  args.Finish();
  kit::ExpectComma(st);
  while (!kit::AtStatementEnd(st)) {
    const auto start = st.src.TokenIndex;
    const std::string word = st.TokText();
    KeepPosition(st);
    if (!number_font && word == "hex") {
      WriteHexItem(st, type);
    } else if (!number_font && word == "chr") {
      WriteChrItem(st, type);
    } else {
      WriteValueItem(st, routines, ParseExpression(st, kTypeNone));
    }
    if (st.src.TokenIndex == start) ++st.src.TokenIndex;  // a token no item starts with
    if (st.Tok().Kind == kTokSemicolon) ++st.src.TokenIndex;
  }
  st.used.Set(NeedFnt);
  // The T6963C's glyphs go through its graphic block routines.
  if (type == 1) st.used.Set(NeedGrpHome);
}

// TLcd's Hex item takes its expression in parentheses: a byte in two digits, an integer
// or word in four.
void WriteTextLayerHexItem(CompilerState& st) {
  st.used.Set(NeedThb);
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  const std::uint8_t worked = ParseSum(st, kTypeNone);
  RestorePosition(st);
  switch (kit::ItemType(st, worked)) {
    case kTypeByte: EmitCall(st, "_Thb"); break;
    case kTypeInteger:
    case kTypeWord: EmitCall(st, "_Thw"); break;
    default: ReportInPlace(st, "Must be Byte or Word!"); break;
  }
  ExpectToken(st, ")");
}

void WriteTextLayerChrItem(CompilerState& st) {
  ++st.src.TokenIndex;
  CompileCharacterCode(st);
  RestorePosition(st);
  EmitCall(st, "_Tchr");
}

}  // namespace

// TLcd (column, row), items: the T6963C's text layer only; on another controller the
// statement is refused, as its routines exist for the T6963C alone. The character
// routines address through the text home and area routines, which TLcd therefore asks
// for itself (a program need not set the layout in the same source).
void CompileTLcdStatement(CompilerState& st) {
  if (!OpenGlcdStatement(st, GlcdBit(1), "T6963c only!")) return;
  GlcdArgs args(st);
  LoadParenXY(args, st);
  args.Finish();
  kit::ExpectComma(st);
  while (!kit::AtStatementEnd(st)) {
    const auto start = st.src.TokenIndex;
    const std::string word = st.TokText();
    KeepPosition(st);
    if (word == "hex") {
      WriteTextLayerHexItem(st);
    } else if (word == "chr") {
      WriteTextLayerChrItem(st);
    } else {
      WriteValueItem(st, kTextLayer, ParseExpression(st, kTypeNone));
    }
    if (st.src.TokenIndex == start) ++st.src.TokenIndex;  // a token no item starts with
    if (st.Tok().Kind == kTokSemicolon) ++st.src.TokenIndex;
  }
  st.used.Set(NeedTchr);
  st.used.Set(NeedTxtHome);
}

void CompileGLcdStatement(CompilerState& st) { CompileTextStatement(st, false); }
void CompileGNumStatement(CompilerState& st) { CompileTextStatement(st, true); }

}  // namespace qbc
