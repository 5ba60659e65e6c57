#include "compiler/base/used_flags.h"

namespace qbc {

const char* UsedFlagName(UsedFlag flag) {
  static const char* const kNames[] = {
#define QBC_USED_FLAG(name) #name,
#include "compiler/base/used_flags.def"
#undef QBC_USED_FLAG
  };
  return (flag >= 0 && flag < UsedFlagCount) ? kNames[flag] : "?";
}

}  // namespace qbc
