#pragma once
// One flag per library routine (or group of routines): a generator sets the flag when it
// writes a call, the link step writes the routine when it is set. The flags are bits of
// one fixed set; their names are declared per area (compiler/base/flags/<area>_flags.h),
// each area in a block of its own, so a name is included only where it is used.
#include <bitset>

#include "compiler/base/used_flag_blocks.h"

namespace qbc {

// A bit of UsedFlags: the area's block times kUsedFlagBlockSize plus its place in the block.
enum UsedFlag : int {};

inline constexpr int kUsedFlagBits = static_cast<int>(UsedFlagBlock::Count) * kUsedFlagBlockSize;

// Name of a flag as text, for diagnostics and tests; "?" for a bit no flag has.
const char* UsedFlagName(UsedFlag flag);

class UsedFlags {
 public:
  void Set(UsedFlag f) { bits_.set(f); }
  void Clear(UsedFlag f) { bits_.reset(f); }
  bool operator[](UsedFlag f) const { return bits_.test(f); }
  bool Any() const { return bits_.any(); }
  void Reset() { bits_.reset(); }

 private:
  std::bitset<kUsedFlagBits> bits_;
};

}  // namespace qbc

// Declares an area's flags: LIST is an X-list of names, placed one after the other in the
// area's BLOCK (a name of UsedFlagBlock). Gives one UsedFlag constant per name and the
// names as text (k<BLOCK>FlagNames, in bit order).
#define QBC_USED_FLAG_BIT(name) name##Bit,
#define QBC_USED_FLAG_CONSTANT(name) inline constexpr UsedFlag name = static_cast<UsedFlag>(name##Bit);
#define QBC_USED_FLAG_TEXT(name) #name,
#define QBC_DECLARE_USED_FLAGS(BLOCK, LIST)                                                            \
  enum BLOCK##FlagBits : int {                                                                         \
    BLOCK##FlagsBefore = static_cast<int>(UsedFlagBlock::BLOCK) * kUsedFlagBlockSize - 1,              \
    LIST(QBC_USED_FLAG_BIT) BLOCK##FlagsEnd                                                            \
  };                                                                                                   \
  static_assert(BLOCK##FlagsEnd <= (static_cast<int>(UsedFlagBlock::BLOCK) + 1) * kUsedFlagBlockSize, \
                "the " #BLOCK " flags outgrew their block: give the area another block");              \
  LIST(QBC_USED_FLAG_CONSTANT)                                                                         \
  inline constexpr const char* k##BLOCK##FlagNames[] = {LIST(QBC_USED_FLAG_TEXT)};
