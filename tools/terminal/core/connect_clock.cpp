#include "tools/terminal/core/connect_clock.h"

#include <cstdio>

namespace qbc {

std::string ConnectTimeText(long long seconds) {
  if (seconds < 0) seconds = 0;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld ", (seconds / 3600) % 24, (seconds / 60) % 60,
                seconds % 60);
  return buf;
}

}  // namespace qbc
