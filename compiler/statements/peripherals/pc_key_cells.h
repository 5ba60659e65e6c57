#pragma once
// The PC keyboard's data and clock pins from $pckey: read by the program head and the link
// order.
#include <string>

namespace qbc {

struct PcKeyCells {
  bool NeedPcKey = false;
  bool PcKeyInit = false;
  std::string PcKeyDataPort;
  std::string PcKeyDataPin;
  std::string PcKeyClockPort;
  std::string PcKeyClockPin;
};

}  // namespace qbc
