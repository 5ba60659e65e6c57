#include "compiler/codegen/string_lines.h"
#include "compiler/codegen/emit_lines.h"

#include "compiler/base/labels.h"

namespace qbc::strlines {

void WidenResult(CompilerState& st, int resultBytes, bool signedValue, std::uint8_t wanted, bool toSecond) {
  int width = resultBytes;  // bytes the expression goes on with
  switch (wanted) {
    case kTypeInteger:
    case kTypeWord:
      if (resultBytes == 1) Line2(st, "clr", "zh");
      width = 2;
      break;
    case kTypeLong:
      if (resultBytes == 1) {
        Line2(st, "clr", "zh");
        Line2(st, "clr", "r18");
      } else {
        Line2(st, "clr", "r18");
        if (signedValue) {
          Line1(st, "sbrc", "zh,0x07");
          Line2(st, "com", "r18");
        }
      }
      Line2(st, "mov", "r19,r18");
      width = 4;
      break;
    case kTypeFloat:
      Line2(st, "mov", "r22,zl");
      if (resultBytes == 1) {
        Line2(st, "clr", "r23");
      } else {
        Line2(st, "mov", "r23,zh");
      }
      Line2(st, "clr", "r24");
      if (resultBytes == 2 && signedValue) {
        Line1(st, "sbrc", "r23,0x07");
        Line2(st, "com", "r24");
      }
      Line2(st, "mov", "r25,r24");
      CallLibrary(st, "_Fs2f", NeedFloatCore);
      width = 8;
      break;
    default:
      break;
  }
  if (!toSecond) return;
  if (width == 8) {
    Call(st, "_Fba");
    return;
  }
  Line2(st, "mov", "r24,zl");
  if (width >= 2) Line2(st, "mov", "r25,zh");
  if (width == 4) {
    Line2(st, "mov", "r16,r18");
    Line2(st, "mov", "r17,r19");
  }
}

void SubstringLimitFromZl(CompilerState& st) {
  const std::string done = NewLabel(st);
  Line2(st, "mov", "r20,zl");
  Line2(st, "inc", "r20");
  Line1(st, "brne", done);
  Line2(st, "dec", "r20");
  EmitLabel(st, done);
}

}  // namespace qbc::strlines

namespace qbc::strlines {

void CopySubstringToScratch(CompilerState& st, const char* sizeReg) {
  const std::string fits = NewLabel(st);
  Line1(st, "push", "xl");
  if (LargeRam(st)) Line1(st, "push", "xh");
  Line1(st, "push", "zl");
  if (LargeRam(st)) Line1(st, "push", "zh");
  // The bytes to take: the characters up to the terminator, at most r20 - 1, and one for
  // the terminator (Mid(s, 2) has a limit of 255 whatever the string holds).
  CallLibrary(st, "_LenS", NeedLenStr);
  Line2(st, "dec", "r20");
  Line2(st, "cp", "zl,r20");
  Line1(st, "brlo", fits);
  Line2(st, "mov", "zl,r20");
  EmitLabel(st, fits);
  Line2(st, "mov", "r20,zl");
  Line2(st, "inc", "r20");
  Line2(st, "mov", std::string(sizeReg) + ",r20");
  if (LargeRam(st)) Line1(st, "pop", "zh");
  Line1(st, "pop", "zl");
  Line2(st, "sub", "yl,r20");
  if (LargeRam(st)) Line1(st, "sbci", "yh,0x00");
  // Both pointer bytes come from Y even with 256 bytes of RAM or less (yh is 0 there):
  // the copy writes through X and must not depend on what its high byte held.
  Line2(st, "mov", "xl,yl");
  Line2(st, "mov", "xh,yh");
  CallLibrary(st, "_StStr", NeedStoreStr);
  Line2(st, "mov", "zl,yl");
  Line2(st, "mov", "zh,yh");
  if (LargeRam(st)) Line1(st, "pop", "xh");
  Line1(st, "pop", "xl");
}

void ReleaseScratch(CompilerState& st, std::initializer_list<const char*> sizeRegs) {
  // SREG (I/O 0x3f) is kept around the additions: the branch after the compare reads it.
  Line2(st, "in", "r23,0x3f");
  if (LargeRam(st)) Line2(st, "ldi", "r24,0x00");
  for (const char* reg : sizeRegs) {
    Line2(st, "add", std::string("yl,") + reg);
    if (LargeRam(st)) Line2(st, "adc", "yh,r24");
  }
  Line2(st, "out", "0x3f,r23");
}

}  // namespace qbc::strlines
