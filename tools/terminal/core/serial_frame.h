#pragma once
// The port settings string "9600,n,8,1": baud rate, parity letter, data bits and stop
// bits, read and written by pure functions.
#include <optional>
#include <string>
#include <string_view>

namespace qbc {

enum class StopBits { One, OneAndHalf, Two };

struct SerialFrame {
  long baud = 9600;
  char parity = 'n';  // n, e, o, m or s, always lower case
  int dataBits = 8;
  StopBits stopBits = StopBits::One;
};

// Reads a settings string; the parity letter in either case. Nothing when a field is
// missing or out of range.
std::optional<SerialFrame> ParseSerialFrame(std::string_view text);

// Writes the settings string with a lower-case parity letter, the form the reader and
// the properties window expect.
std::string ComposeSerialFrame(const SerialFrame& frame);

}  // namespace qbc
