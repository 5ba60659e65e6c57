#pragma once
// State the accessory windows share with each other and keep between openings.
#include <array>
#include <cstdint>

namespace qbc {

// Local echo of typed keys in the terminal; set from the settings at load and by the
// port properties window.
extern bool Echo;
// Set by the send-cancel window to stop a running file transmission; true while idle.
extern bool CancelSend;
// The last character drawn in the LCD designer, row 0 (top) to 7; bit 4 is the leftmost dot.
extern std::array<std::uint8_t, 8> LcdCharRows;
// Whether the designer was left with "Generate".
extern bool LcdCharOk;

}  // namespace qbc
