#include "toolchain/intel_hex.h"

#include <fstream>
#include <vector>

namespace qbc {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool IsWholeHexFile(const std::string& path, std::string& why) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    why = "it cannot be read";
    return false;
  }
  std::string line;
  int number = 0;
  bool ended = false;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (ended) {
      why = "line " + std::to_string(number) + " follows the end record";
      return false;
    }
    std::vector<int> bytes;
    bool digits = line.size() >= 11 && line[0] == ':' && line.size() % 2 == 1;
    for (std::size_t i = 1; digits && i + 1 < line.size(); i += 2) {
      const int high = HexDigit(line[i]);
      const int low = HexDigit(line[i + 1]);
      digits = high >= 0 && low >= 0;
      bytes.push_back(high * 16 + low);
    }
    int sum = 0;
    for (int b : bytes) sum += b;
    if (!digits || bytes.size() != static_cast<std::size_t>(bytes[0]) + 5 || sum % 256 != 0) {
      why = "line " + std::to_string(number) + " is cut short or damaged";
      return false;
    }
    ended = bytes[3] == 1;
  }
  if (in.bad()) {
    why = "it cannot be read back";
    return false;
  }
  if (!ended) {
    why = number == 0 ? "it is empty" : "it has no end record";
    return false;
  }
  return true;
}

}  // namespace qbc
