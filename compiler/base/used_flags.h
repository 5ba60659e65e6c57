#pragma once
// One flag per library routine; the names are the flag names every generator uses.
#include <bitset>

namespace qbc {

enum UsedFlag : int {
#define QBC_USED_FLAG(name) name,
#include "compiler/base/used_flags.def"
#undef QBC_USED_FLAG
  UsedFlagCount
};

// Name of a flag as text, for diagnostics and tests.
const char* UsedFlagName(UsedFlag flag);

class UsedFlags {
 public:
  void Set(UsedFlag f) { bits_.set(f); }
  void Clear(UsedFlag f) { bits_.reset(f); }
  bool operator[](UsedFlag f) const { return bits_.test(f); }
  bool Any() const { return bits_.any(); }
  void Reset() { bits_.reset(); }

 private:
  std::bitset<UsedFlagCount> bits_;
};

}  // namespace qbc
