#pragma once
// The editor's colours, font styles and selection setting as the settings store keeps
// them (section "Colors", "Fonts", key "Startup"/"SelBound"): every window reads them when
// it opens and writes them back when it closes.
#include <map>
#include <string>

namespace qbc {

struct EditorLook {
  std::map<int, int> colors;  // colour slot -> R + 256 G + 65536 B, -1 for none
  std::map<int, int> fonts;   // font slot -> style (1 bold, 2 italic, 4 underline)
  bool selBound = true;

  // The look of a first start: every key at its default.
  static EditorLook Defaults();
  int Color(int slot) const;
  int Font(int slot) const;
};

// A stored number; `fallback` for a text that is not one.
int ParseSettingNumber(const std::string& text, int fallback);
// "True"/"False" in any case (also "-1"/"0"); `fallback` for anything else.
bool ParseSettingBool(const std::string& text, bool fallback);
std::string BoolSettingText(bool value);

}  // namespace qbc
