#include "compiler/base/used_flags.h"

#include <span>

#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/bus_flags.h"
#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/base/flags/glcd_flags.h"
#include "compiler/base/flags/hardware_flags.h"
#include "compiler/base/flags/lcd_flags.h"
#include "compiler/base/flags/soft_com_flags.h"
#include "compiler/base/flags/uart_flags.h"

namespace qbc {

namespace {

// Each block's names, in the order of UsedFlagBlock.
const std::span<const char* const> kBlockNames[] = {
    kCoreFlagNames, kArithFlagNames, kDelayFlagNames, kFloatFlagNames, kUartFlagNames,
    kSoftComFlagNames, kBusFlagNames, kLcdFlagNames, kGlcdFlagNames, kHardwareFlagNames,
};
static_assert(std::size(kBlockNames) == static_cast<std::size_t>(UsedFlagBlock::Count));

}  // namespace

const char* UsedFlagName(UsedFlag flag) {
  if (flag < 0 || flag >= kUsedFlagBits) return "?";
  const std::span<const char* const> names = kBlockNames[flag / kUsedFlagBlockSize];
  const std::size_t place = static_cast<std::size_t>(flag % kUsedFlagBlockSize);
  return place < names.size() ? names[place] : "?";
}

}  // namespace qbc
