#include "tools/terminal/core/serial_frame.h"

#include <cctype>
#include <charconv>
#include <vector>

namespace qbc {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::optional<long> Integer(std::string_view s) {
  long value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<SerialFrame> ParseSerialFrame(std::string_view text) {
  std::vector<std::string_view> fields;
  for (size_t start = 0;;) {
    const size_t comma = text.find(',', start);
    fields.push_back(Trim(text.substr(start, comma == std::string_view::npos ? text.npos : comma - start)));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (fields.size() != 4) return std::nullopt;
  SerialFrame frame;
  const auto baud = Integer(fields[0]);
  if (!baud || *baud <= 0) return std::nullopt;
  frame.baud = *baud;
  if (fields[1].size() != 1) return std::nullopt;
  frame.parity = static_cast<char>(std::tolower(static_cast<unsigned char>(fields[1][0])));
  if (std::string_view("neoms").find(frame.parity) == std::string_view::npos) return std::nullopt;
  const auto bits = Integer(fields[2]);
  if (!bits || *bits < 4 || *bits > 8) return std::nullopt;
  frame.dataBits = static_cast<int>(*bits);
  if (fields[3] == "1") {
    frame.stopBits = StopBits::One;
  } else if (fields[3] == "1.5") {
    frame.stopBits = StopBits::OneAndHalf;
  } else if (fields[3] == "2") {
    frame.stopBits = StopBits::Two;
  } else {
    return std::nullopt;
  }
  return frame;
}

std::string ComposeSerialFrame(const SerialFrame& frame) {
  const char* stop = frame.stopBits == StopBits::One          ? "1"
                     : frame.stopBits == StopBits::OneAndHalf ? "1.5"
                                                              : "2";
  return std::to_string(frame.baud) + "," +
         static_cast<char>(std::tolower(static_cast<unsigned char>(frame.parity))) + "," +
         std::to_string(frame.dataBits) + "," + stop;
}

}  // namespace qbc
