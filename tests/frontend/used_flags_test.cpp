#include <gtest/gtest.h>

#include <map>
#include <span>
#include <string>
#include <utility>

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

// Two flags on one bit would link one routine for the other: every declared name must
// come back from a bit of its own.
TEST(UsedFlags, EveryFlagHasABitOfItsOwn) {
  std::map<std::string, int> bitOf;
  for (int bit = 0; bit < kUsedFlagBits; ++bit) {
    const std::string name = UsedFlagName(static_cast<UsedFlag>(bit));
    if (name == "?") continue;
    EXPECT_TRUE(bitOf.emplace(name, bit).second) << name << " is on two bits";
  }
  std::size_t declared = 0;
  for (std::span<const char* const> names :
       {std::span<const char* const>(kCoreFlagNames), std::span<const char* const>(kArithFlagNames),
        std::span<const char* const>(kDelayFlagNames), std::span<const char* const>(kFloatFlagNames),
        std::span<const char* const>(kUartFlagNames), std::span<const char* const>(kSoftComFlagNames),
        std::span<const char* const>(kBusFlagNames), std::span<const char* const>(kLcdFlagNames),
        std::span<const char* const>(kGlcdFlagNames), std::span<const char* const>(kHardwareFlagNames)})
    declared += names.size();
  EXPECT_EQ(bitOf.size(), declared);

  // The first and last flag of some blocks, named through their constants.
  const std::pair<UsedFlag, const char*> samples[] = {
      {NeedNumToHex, "NeedNumToHex"}, {NeedBcd, "NeedBcd"}, {NeedI2L, "NeedI2L"},
      {NeedDiv32, "NeedDiv32"},       {NeedWaitTicks, "NeedWaitTicks"},           {NeedFstr, "NeedFstr"},
      {NeedGetChar3, "NeedGetChar3"}, {NeedAdc8, "NeedAdc8"},
  };
  for (const auto& [flag, name] : samples) {
    EXPECT_STREQ(UsedFlagName(flag), name);
    UsedFlags used;
    used.Set(flag);
    for (const auto& [other, otherName] : samples) EXPECT_EQ(used[other], flag == other) << name << " " << otherName;
  }
}

}  // namespace
}  // namespace qbc
