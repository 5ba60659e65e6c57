#include "tests/support/test_font.h"

namespace qbc::test {

namespace {
constexpr int kFirst = 32, kLast = 91;
}

std::vector<std::uint8_t> TestGlyph(int code) {
  if (code == ' ') return {0, 0, 0, 0, 0};
  return {static_cast<std::uint8_t>(code), 0x81, static_cast<std::uint8_t>(code ^ 0x5A), 0x3C,
          static_cast<std::uint8_t>((code >> 1) | 0x80)};
}

std::string TestFontDim(const std::string& name) {
  return "Dim " + name + "(" + std::to_string(2 + (kLast - kFirst + 1) * 5) + ") As Flash Byte\n";
}

std::string TestFontTable(const std::string& name) {
  std::string text = name + " = 5 , 1 ,\n";
  for (int c = kFirst; c <= kLast; ++c) {
    for (std::uint8_t b : TestGlyph(c)) text += std::to_string(b) + " , ";
    if ((c - kFirst) % 2 == 1) {
      if (c == kLast) text.resize(text.size() - 3);
      text += "\n";
    }
  }
  return text;
}

}  // namespace qbc::test
