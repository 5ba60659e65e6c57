#pragma once
// The DTMF output from $dtmf: read by the program head and the link order.
#include <cstdint>
#include <string>

namespace qbc {

struct DtmfCells {
  bool DtmfUsed = false;
  std::string DtmfPort;
  std::string DtmfPin;
  // The tone duration in milliseconds (the number after the pin), written by the DTMF
  // routine in hexadecimal.
  std::uint8_t DtmfVector = 0;
};

}  // namespace qbc
