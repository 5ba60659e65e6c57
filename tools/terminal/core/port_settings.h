#pragma once
// Everything the port properties window edits and the settings store keeps.
#include <string>

namespace qbc {

struct PortSettings {
  int commPort = 1;                  // Com1 .. Com4
  std::string settings = "9600,n,8,1";
  int handshaking = 0;               // 0 none, 1 XON/XOFF, 2 RTS, 3 both
  bool echo = false;                 // local echo of typed keys
};

}  // namespace qbc
