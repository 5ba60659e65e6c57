#include "compiler/codegen/string_lines.h"

#include <algorithm>

#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/integer_to_float.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/codegen/type_registers.h"

#include "compiler/base/labels.h"
#include "compiler/frontend/handler_cells.h"
#include "compiler/frontend/number_format_cells.h"

namespace qbc::strlines {

void WidenResult(CompilerState& st, int resultBytes, bool signedValue, std::uint8_t wanted, bool toSecond) {
  const std::uint8_t own = resultBytes == 1   ? kTypeByte
                           : resultBytes == 4 ? kTypeLong
                           : signedValue      ? kTypeInteger
                                              : kTypeWord;
  int width = resultBytes;  // bytes the expression goes on with
  switch (wanted) {
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong:
      EmitWidenInteger(st, kWorkRegisters, own, wanted);
      width = NumericTypeBytes(wanted);
      break;
    case kTypeFloat:
      EmitIntegerToFloat(st, own, IntegerInWorkRegisters(), {.wordCopies = true, .byteCopies = true, .signBit = "0x07"});
      width = 8;
      break;
    default:
      break;
  }
  if (!toSecond) return;
  if (width == 8) {
    EmitCall(st, "_Fba");
    return;
  }
  st.out.Instr(Sep::kWide, "mov", "r24,zl");
  if (width >= 2) st.out.Instr(Sep::kWide, "mov", "r25,zh");
  if (width == 4) {
    st.out.Instr(Sep::kWide, "mov", "r16,r18");
    st.out.Instr(Sep::kWide, "mov", "r17,r19");
  }
}

void SubstringLimitFromZl(CompilerState& st) {
  const std::string done = NewLabel(st);
  st.out.Instr(Sep::kWide, "mov", "r20,zl");
  st.out.Instr(Sep::kWide, "inc", "r20");
  st.out.Instr(Sep::kNarrow, "brne", done);
  st.out.Instr(Sep::kWide, "dec", "r20");
  EmitLabel(st, done);
}

}  // namespace qbc::strlines

namespace qbc::strlines {

void NoteStringScratch(CompilerState& st) {
  HandlerCells& handlers = st.Cells<HandlerCells>();
  if (handlers.InBody || st.nest.SubNestingDepth > 0 || st.nest.FunctionNestingDepth > 0)
    handlers.StringScratch = true;
}

void CopySubstringToScratch(CompilerState& st, const char* sizeReg) {
  NoteStringScratch(st);
  const std::string fits = NewLabel(st);
  st.out.Instr(Sep::kNarrow, "push", "xl");
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "push", "xh");
  st.out.Instr(Sep::kNarrow, "push", "zl");
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "push", "zh");
  // The bytes to take: the characters up to the terminator, at most r20 - 1, and one for
  // the terminator (Mid(s, 2) has a limit of 255 whatever the string holds).
  CallLibrary(st, "_LenS", NeedLenStr);
  st.out.Instr(Sep::kWide, "dec", "r20");
  st.out.Instr(Sep::kWide, "cp", "zl,r20");
  st.out.Instr(Sep::kNarrow, "brlo", fits);
  st.out.Instr(Sep::kWide, "mov", "zl,r20");
  EmitLabel(st, fits);
  st.out.Instr(Sep::kWide, "mov", "r20,zl");
  st.out.Instr(Sep::kWide, "inc", "r20");
  st.out.Instr(Sep::kWide, "mov", std::string(sizeReg) + ",r20");
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "pop", "zh");
  st.out.Instr(Sep::kNarrow, "pop", "zl");
  st.out.Instr(Sep::kWide, "sub", "yl,r20");
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "sbci", "yh,0x00");
  // Both pointer bytes come from Y even with 256 bytes of RAM or less (yh is 0 there):
  // the copy writes through X and must not depend on what its high byte held.
  st.out.Instr(Sep::kWide, "mov", "xl,yl");
  st.out.Instr(Sep::kWide, "mov", "xh,yh");
  CallLibrary(st, "_StStr", NeedStoreStr);
  st.out.Instr(Sep::kWide, "mov", "zl,yl");
  st.out.Instr(Sep::kWide, "mov", "zh,yh");
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "pop", "xh");
  st.out.Instr(Sep::kNarrow, "pop", "xl");
}

void TakeScratchBelowY(CompilerState& st, int bytes) {
  st.out.Instr(Sep::kNarrow, "subi", "yl," + std::to_string(bytes));
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "sbci", "yh,0x00");
  st.expr.ArgStackOffset += bytes;
}

void CharacterToScratch(CompilerState& st, const char* reg, bool intoX, const char* sizeReg) {
  NoteStringScratch(st);
  st.out.Instr(Sep::kWide, "clr", "r23");
  st.out.Instr(Sep::kWide, "st", "-Y,r23");
  st.out.Instr(Sep::kWide, "st", std::string("-Y,") + reg);
  st.out.Instr(Sep::kWide, "mov", intoX ? "xl,yl" : "zl,yl");
  st.out.Instr(Sep::kWide, "mov", intoX ? "xh,yh" : "zh,yh");
  st.out.Instr(Sep::kWide, "ldi", std::string(sizeReg) + ",0x02");
}

void ReleaseScratch(CompilerState& st, std::initializer_list<const char*> sizeRegs) {
  // SREG (I/O 0x3f) is kept around the additions: the branch after the compare reads it.
  st.out.Instr(Sep::kWide, "in", "r23,0x3f");
  if (LargeRam(st)) st.out.Instr(Sep::kWide, "ldi", "r24,0x00");
  for (const char* reg : sizeRegs) {
    st.out.Instr(Sep::kWide, "add", std::string("yl,") + reg);
    if (LargeRam(st)) st.out.Instr(Sep::kWide, "adc", "yh,r24");
  }
  st.out.Instr(Sep::kWide, "out", "0x3f,r23");
}

// The float in r22..r25 as text; Z = the text.
void EmitFloatToText(CompilerState& st) {
  if (st.Cells<NumberFormatCells>().FormatDigits != 0) {
    EmitCall(st, "_Fdp");
    st.out.Instr(Sep::kWide, "ldi", "zl,byte1(_s2tmp)");
    if (LargeRam(st)) st.out.Instr(Sep::kWide, "ldi", "zh,byte2(_s2tmp)");
    st.used.Set(NeedFdp);
  } else {
    // The text routine gives at most six decimals.
    const int decimals = st.Cells<NumberFormatCells>().FormatDecimals == 0 ? 6 : std::min<int>(st.Cells<NumberFormatCells>().FormatDecimals, 6);
    st.out.Instr(Sep::kWide, "ldi", "r19,0x0" + std::to_string(decimals));
    EmitCall(st, "_Fstr");
    st.out.Instr(Sep::kWide, "ldi", "zl,byte1(_s1tmp)");
    if (LargeRam(st)) st.out.Instr(Sep::kWide, "ldi", "zh,byte2(_s1tmp)");
  }
  // The text routine works on the float's bits with integer steps: it needs no other
  // float routine.
  st.used.Set(NeedFstr);
}

bool NumberAsText(CompilerState& st) {
  const std::uint8_t type = st.sticky.OperandType;
  if (type == kTypeFloat) {
    // (the float text routines work through X)
    st.out.Instr(Sep::kNarrow, "push", "xl");
    if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "push", "xh");
    EmitFloatToText(st);
    if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "pop", "xh");
    st.out.Instr(Sep::kNarrow, "pop", "xl");
  } else if (!kit::EmitNumberToText(st, type, kit::LongTextLabel::kCapitalS)) {
    return false;
  }
  st.sticky.OperandType = kTypeString;
  return true;
}

namespace {

// The bytes a number's text takes at most, its terminator included: a Long's eleven
// characters, a Float's text buffer, a formatted text.
int KeptTextBytes(CompilerState& st) { return std::max(16, FormatTextBytes(st.Cells<NumberFormatCells>()) + 1); }

}  // namespace

void KeepTextAside(CompilerState& st) {
  NoteStringScratch(st);
  const int bytes = KeptTextBytes(st);
  st.out.Instr(Sep::kNarrow, "push", "yl");
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "push", "yh");
  TakeScratchBelowY(st, bytes);
  // The copy starts below the text when it was made under Y: byte by byte upwards, it never
  // writes a byte it has still to read.
  st.out.Instr(Sep::kWide, "mov", "xl,yl");
  st.out.Instr(Sep::kWide, "mov", "xh,yh");
  st.out.Instr(Sep::kWide, "ldi", "r20," + std::to_string(bytes));
  CallLibrary(st, "_StStr", NeedStoreStr);
  st.out.Instr(Sep::kWide, "mov", "zl,yl");
  if (LargeRam(st)) st.out.Instr(Sep::kWide, "mov", "zh,yh");
}

void GiveBackKeptText(CompilerState& st) {
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "pop", "yh");
  st.out.Instr(Sep::kNarrow, "pop", "yl");
  st.expr.ArgStackOffset -= KeptTextBytes(st);
}

}  // namespace qbc::strlines
