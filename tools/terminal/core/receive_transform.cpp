#include "tools/terminal/core/receive_transform.h"

namespace qbc {

ReceivedChunk TransformReceived(std::size_t shownLength, std::string data) {
  ReceivedChunk out;
  if (shownLength > kTerminalTextLimit) {
    out.dropFront = kTerminalTextDrop;
    shownLength -= kTerminalTextDrop;
  }
  for (std::size_t i = data.find('\b'); i != std::string::npos; i = data.find('\b')) {
    if (i == 0) {
      // On an empty screen there is nothing to take back.
      if (shownLength > 0) out.replaceLast = true;
      data.erase(0, 1);
    } else {
      data.erase(i - 1, 2);
    }
  }
  std::string lines;
  lines.reserve(data.size() + data.size() / 8);
  for (const char c : data) {
    if (c == '\n') continue;
    lines += c;
    if (c == '\r') lines += '\n';
  }
  out.data = std::move(lines);
  return out;
}

void ApplyReceived(std::string& shown, const ReceivedChunk& chunk) {
  shown.erase(0, chunk.dropFront);
  if (chunk.replaceLast && !shown.empty()) shown.pop_back();
  shown += chunk.data;
}

}  // namespace qbc
