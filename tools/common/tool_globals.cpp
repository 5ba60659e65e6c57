#include "tools/common/tool_globals.h"

namespace qbc {

bool Echo = false;
bool CancelSend = true;
std::array<std::uint8_t, 8> LcdCharRows{};
bool LcdCharOk = false;

}  // namespace qbc
