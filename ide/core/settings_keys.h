#pragma once
// The environment's keys in the settings store (application "Tolk"): one table that the
// editor windows, the start-up and the programmer launch read. Values are text; colours
// are R + 256 G + 65536 B, -1 for a slot without a colour of its own.
#include <array>

namespace qbc::settings {

inline constexpr const char* kApplication = "Tolk";
inline constexpr const char* kOrganisation = "Tolk";

inline constexpr const char* kStartup = "Startup";
inline constexpr const char* kColors = "Colors";
inline constexpr const char* kFonts = "Fonts";

inline constexpr const char* kLastFile = "LastFile";
inline constexpr const char* kSelBound = "SelBound";
inline constexpr const char* kDebug = "Debug";
inline constexpr const char* kProgram = "Program";
inline constexpr const char* kCmdLine = "cmdLine";

// The editor's colour slots, named after what they colour.
enum ColorSlot {
  kSlotWindow = 0,
  kSlotLeftMargin = 1,
  kSlotBookMark = 2,
  kSlotBookMarkBkg = 3,
  kSlotText = 4,
  kSlotTextBkg = 5,
  kSlotNumber = 6,
  kSlotNumberBkg = 7,
  kSlotKeyWord = 8,
  kSlotKeyWordBkg = 9,
  kSlotOperator = 10,
  kSlotOperatorBkg = 11,
  kSlotTolkKeyword = 12,
  kSlotTolkKeywordBkg = 13,
  kSlotComment = 14,
  kSlotCommentBkg = 15,
  kSlotString = 16,
  kSlotStringBkg = 17,
  kSlotLineNum = 26,
  kSlotLineNumBkg = 27,
  kSlotDivider = 28,
  kSlotHighLight = 30,
};

struct ColorKey {
  const char* key;
  int slot;
  int defaultValue;
};

// In the order the keys are read and written.
inline constexpr std::array<ColorKey, 22> kColorKeys = {{
    {"BookMark", kSlotBookMark, 255},
    {"BookMarkBkg", kSlotBookMarkBkg, -1},
    {"Comment", kSlotComment, 98304},
    {"CommentBkg", kSlotCommentBkg, -1},
    {"Divider", kSlotDivider, 14737632},
    {"HighLight", kSlotHighLight, 14606046},
    {"KeyWord", kSlotKeyWord, 16711680},
    {"KeyWordBkg", kSlotKeyWordBkg, -1},
    {"LeftMargin", kSlotLeftMargin, 14737632},
    {"LineNum", kSlotLineNum, 128},
    {"LineNumBkg", kSlotLineNumBkg, 12632256},
    {"Number", kSlotNumber, 8388608},
    {"NumberBkg", kSlotNumberBkg, -1},
    {"Operator", kSlotOperator, 255},
    {"OperatorBkg", kSlotOperatorBkg, -1},
    {"TolkKeyword", kSlotTolkKeyword, 12583104},
    {"TolkKeywordBkg", kSlotTolkKeywordBkg, -1},
    {"String", kSlotString, 8421504},
    {"StringBkg", kSlotStringBkg, -1},
    {"Text", kSlotText, 0},
    {"TextBkg", kSlotTextBkg, -1},
    {"Window", kSlotWindow, 14737632},
}};

// Font styles of the token classes: 0 normal, 1 bold, 2 italic, 3 bold italic, 4 underline.
enum FontSlot { kFontKeyWord = 2, kFontOperator = 3, kFontTolkKeyWord = 4, kFontComment = 5, kFontString = 6 };

struct FontKey {
  const char* key;
  int slot;
};

inline constexpr std::array<FontKey, 5> kFontKeys = {{
    {"Comment", kFontComment},
    {"KeyWord", kFontKeyWord},
    {"TolkKeyWord", kFontTolkKeyWord},
    {"String", kFontString},
    {"Operator", kFontOperator},
}};

}  // namespace qbc::settings
