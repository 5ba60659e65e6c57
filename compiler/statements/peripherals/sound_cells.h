#pragma once
// The sound pin from $sound: read by the program head.
#include <string>

namespace qbc {

struct SoundCells {
  bool SoundPinDeclared = false;
  bool SoundInverse = false;
  std::string SoundPort;
  std::string SoundPin;
};

}  // namespace qbc
