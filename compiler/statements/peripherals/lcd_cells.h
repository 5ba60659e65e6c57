#pragma once
// The character LCD's wiring and options from $lcd, $lcdbus and Config Lcd: read by the
// program head, the link order and the LCD routines.
#include <cstdint>
#include <string>

namespace qbc {

// NeedLcdEN is the bus mode (the display on the external memory bus: no enable-pulse
// routine, the memory interface enabled at start-up). Pin mode: LcdBusBits 4 (data on four
// pins from LcdDataPinOffset) or 8; LcdRsPort, LcdEnPort and LcdE2Port "PORTB,3". Bus mode:
// LcdBusBits is the command register's address (a number, written back as four
// hexadecimal digits), LcdRsPort the data register's address as four hexadecimal digits.
struct LcdCells {
  bool LcdConfigured = false;
  bool LcdKs0073 = false;
  bool LcdWaitBusy = false;
  bool NeedLcdEN = false;
  std::string LcdDataPort;
  std::int32_t LcdBusBits = 0;
  std::uint8_t LcdDataPinOffset = 0;
  std::string LcdRsPort;
  std::string LcdEnPort;
  std::string LcdE2Port;
  std::uint8_t LcdColumns = 0;
  std::uint8_t LcdRows = 0;
};

}  // namespace qbc
