#pragma once
// The terminal's port numbers Com1 to Com4 stand for device paths that the user keeps in
// the settings ("Properties", keys "Com1" to "Com4").
#include <string>

namespace qbc {

inline constexpr int kPortCount = 4;

// "Com1" .. "Com4": the list text and the settings key of a port number.
std::string PortName(int number);

// The path used when the settings name none: the usual USB adapter, the second USB
// adapter, a USB CDC board and the first on-board UART.
std::string DefaultPortPath(int number);

}  // namespace qbc
