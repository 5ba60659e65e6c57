#pragma once
// The matrix keypad's wiring and options from $key: read by the program head, the link
// order and the keypad routine. Port names are upper case and padded with blanks to five
// characters.
#include <cstdint>
#include <string>

#include "compiler/frontend/port_pins.h"

namespace qbc {

// KeyConfigured is the keys-in-line "hi" option (keys in line read active high, the
// start-up code then calls no _KyIni); KeyActiveHighText is an option word the parser does
// not know, kept as written (the keypad routine takes it as the debounce time in
// milliseconds).
struct KeypadCells {
  bool KeysDeclared = false;
  bool KeyConfigured = false;
  std::string KeyRowsPort = "     ";
  std::string KeyColsPort = "     ";
  std::uint8_t KeyRowsMask = 0;
  std::uint8_t KeyColsMask = 0;
  std::uint8_t KeyBeepMode = 0;
  std::string KeyBeepPort = "     ";
  std::uint8_t KeyBeepArg1 = 0;
  std::uint8_t KeyBeepArg2 = 0;
  bool KeyActiveHigh = false;
  std::string KeyActiveHighText;
};

// The letter of a stored port name ("PORTC", "PINC "): its last character that is not blank;
// empty when no port is stored.
inline std::string KeyPortLetter(const std::string& port) { return PortLetterText(port); }

// A keypad with a column port is a matrix; without one its keys sit on the row port alone.
inline bool KeypadIsMatrix(const KeypadCells& keys) { return !KeyPortLetter(keys.KeyColsPort).empty(); }

}  // namespace qbc
