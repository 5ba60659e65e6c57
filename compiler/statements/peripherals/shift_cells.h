#pragma once
// The shift registers' pins from $shiftout and $shiftin: read by the program head and the
// link order. Ports are five characters, pins one digit.
#include <cstdint>
#include <string>

namespace qbc {

// The modes are the number of clock-stretching nops; each direction keeps the bit order
// its own line gave.
struct ShiftCells {
  bool ShiftOutDeclared = false;
  bool ShiftInDeclared = false;
  std::string ShiftOutPort;
  std::string ShiftOutClockPin;
  std::string ShiftOutDataPin;
  std::uint8_t ShiftOutMode = 0;
  std::string ShiftInPort;
  std::string ShiftInClockPin;
  std::string ShiftInDataPin;
  std::uint8_t ShiftInMode = 0;
  bool ShiftOutMsbFirst = false;
  bool ShiftInMsbFirst = false;
};

}  // namespace qbc
