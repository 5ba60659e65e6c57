// The call that turns a number in the work registers into text, shared by every statement
// that prints or stores a number as text.
#include "compiler/base/flags/core_flags.h"
#include "compiler/codegen/statement_kit.h"

namespace qbc::kit {

bool EmitNumberToText(CompilerState& st, std::uint8_t type, LongTextLabel spelling) {
  switch (type) {
    case kTypeByte: CallLibrary(st, "_B2Str", NeedByteToStr); return true;
    case kTypeInteger: CallLibrary(st, "_I2Str", NeedIntToStr); return true;
    case kTypeWord: CallLibrary(st, "_W2Str", NeedIntToStr); return true;
    case kTypeLong:
      CallLibrary(st, spelling == LongTextLabel::kAsLabelled ? "_S2str" : "_S2Str", NeedLongToStr);
      return true;
    default: return false;
  }
}

}  // namespace qbc::kit
