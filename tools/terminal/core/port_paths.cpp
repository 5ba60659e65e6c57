#include "tools/terminal/core/port_paths.h"

namespace qbc {

std::string PortName(int number) { return "Com" + std::to_string(number); }

std::string DefaultPortPath(int number) {
  switch (number) {
    case 1: return "/dev/ttyUSB0";
    case 2: return "/dev/ttyUSB1";
    case 3: return "/dev/ttyACM0";
    case 4: return "/dev/ttyS0";
    default: return {};
  }
}

}  // namespace qbc
