#pragma once
// The RC5 receiver's pin from $rc5.
#include <cstdint>
#include <string>

namespace qbc {

struct Rc5Cells {
  bool Rc5Interrupt = false;
  std::uint8_t Rc5Vector = 0;  // Timer0 reload for one RC5 bit time (1778 us)
  std::string Rc5Port = "     ";
  std::string Rc5Pin = " ";
};

}  // namespace qbc
