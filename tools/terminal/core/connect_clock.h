#pragma once
// The connection clock of the terminal's status bar.
#include <string>

namespace qbc {

// "hh:nn:ss " for the seconds since the port opened; hours wrap at 24.
std::string ConnectTimeText(long long seconds);

}  // namespace qbc
