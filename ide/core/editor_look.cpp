#include "ide/core/editor_look.h"

#include <cctype>
#include <charconv>

#include "ide/core/settings_keys.h"

namespace qbc {

EditorLook EditorLook::Defaults() {
  EditorLook look;
  for (const auto& k : settings::kColorKeys) look.colors[k.slot] = k.defaultValue;
  for (const auto& k : settings::kFontKeys) look.fonts[k.slot] = 0;
  return look;
}

int EditorLook::Color(int slot) const {
  auto it = colors.find(slot);
  return it == colors.end() ? -1 : it->second;
}

int EditorLook::Font(int slot) const {
  auto it = fonts.find(slot);
  return it == fonts.end() ? 0 : it->second;
}

int ParseSettingNumber(const std::string& text, int fallback) {
  std::size_t b = 0;
  std::size_t e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  int value = 0;
  auto [end, ec] = std::from_chars(text.data() + b, text.data() + e, value);
  if (ec != std::errc() || end != text.data() + e || b == e) return fallback;
  return value;
}

bool ParseSettingBool(const std::string& text, bool fallback) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "true" || lower == "-1") return true;
  if (lower == "false" || lower == "0") return false;
  return fallback;
}

std::string BoolSettingText(bool value) { return value ? "True" : "False"; }

}  // namespace qbc
