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

// Two HD44780 controllers behind one display (40x4): data and RS shared, E1 serving rows
// 1-2 and E2 rows 3-4. Only the pin form has enable lines.
inline bool LcdTwoEnables(const LcdCells& lcd) { return !lcd.NeedLcdEN && !lcd.LcdE2Port.empty(); }

// The SRAM cells the two-controller routines keep: which E lines the next byte pulses
// (bit 0 E1, bit 1 E2) and the display control command last given (cursor and blink bits
// shown on the selected controller only).
inline constexpr const char* kLcdSelectCell = "_LcdSel";
inline constexpr const char* kLcdControlCell = "_LcdDc";

}  // namespace qbc
