#pragma once
// Which block of the used flags belongs to which area. Each area declares the names of
// its flags in its own header under compiler/base/flags/; a new area adds its block here
// and its names to UsedFlagName's table.
namespace qbc {

enum class UsedFlagBlock : int {
  Core,
  Arith,
  Delay,
  Float,
  Uart,
  SoftCom,
  Bus,
  Lcd,
  Glcd,
  Hardware,
  Count
};

// Flags per block; an area that outgrows its block is told so when its header compiles.
inline constexpr int kUsedFlagBlockSize = 64;

}  // namespace qbc
