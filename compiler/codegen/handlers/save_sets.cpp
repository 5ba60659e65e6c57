#include "compiler/codegen/handlers/save_sets.h"

#include <algorithm>
#include <array>

namespace qbc {

namespace {

constexpr int kXl = 26, kXh = 27, kZl = 30, kZh = 31;

// The "all" set in push order, the drawing scratch r8 to r15 last.
constexpr std::array<int, 26> kAllOrder = {kZl, kZh, 0,  1,  2,  24, 25, kXl, kXh, 16, 17, 18, 19,
                                           20,  21,  22, 23, 7, 8,  9,  10, 11,  12,  13, 14, 15};
constexpr std::size_t kWithoutDrawing = 18;

bool InLevel(int level, int r) {
  static const std::vector<int> levels[5] = {
      {},
      {kZl, kZh},
      {kZl, kZh, 24, 25},
      {kZl, kZh, 0, 1, 24, 25, kXl, kXh},
      {kZl, kZh, 0, 1, 24, 25, kXl, kXh, 20, 21, 22, 23},
  };
  if (level >= kSaveAll) return true;
  const std::vector<int>& set = levels[level < 0 ? 0 : level];
  return std::find(set.begin(), set.end(), r) != set.end();
}

}  // namespace

std::vector<int> HandlerSaveSet(int level, bool drawing, const std::bitset<32>& changed) {
  std::vector<int> saved;
  const std::size_t n = drawing ? kAllOrder.size() : kWithoutDrawing;
  for (std::size_t i = 0; i < n; ++i) {
    const int r = kAllOrder[i];
    if (InLevel(level, r) || changed.test(static_cast<std::size_t>(r))) saved.push_back(r);
  }
  return saved;
}

std::string RegisterName(int r) {
  switch (r) {
    case kXl: return "xl";
    case kXh: return "xh";
    case 28: return "yl";
    case 29: return "yh";
    case kZl: return "zl";
    case kZh: return "zh";
    default: return "r" + std::to_string(r);
  }
}

}  // namespace qbc
