#pragma once
// The graphic LCD's controller, ports and control-line pins from $glcd: read by the
// program head, the link order and the graphic LCD routines.
#include <cstdint>
#include <string>

namespace qbc {

struct GlcdCells {
  std::uint8_t GlcdType = 0;  // controller: 1 T6963C, 2 HD61202/KS0108, 3 SED1520, 4 PCD8544
  bool GlcdNoInit = false;
  std::string GlcdDataPort;
  std::string GlcdCtrlPort;
  // The control-line pins, by controller (see the $glcd parser's table of line names).
  std::string GlcdLine1;
  std::string GlcdLine2;
  std::string GlcdLine3;
  std::string GlcdLine4;
  std::string GlcdLine5;  // T6963C: the "fs" choice "1" (6x8 cells) or "0" (8x8)
  std::string GlcdLine6;
  std::uint8_t GlcdOption1 = 0;
  std::uint8_t GlcdOption2 = 0;
  std::uint8_t GlcdOption3 = 0;
};

}  // namespace qbc
