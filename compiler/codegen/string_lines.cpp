#include "compiler/codegen/string_lines.h"

#include "compiler/frontend/labels.h"

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
      Call(st, "_Fs2f");
      st.used.Set(NeedFloatCore);
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
