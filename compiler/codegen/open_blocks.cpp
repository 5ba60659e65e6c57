#include "compiler/codegen/open_blocks.h"

namespace qbc {

OpenBlock::OpenBlock(CompilerState& st, std::string_view word) : st_(st) {
  st_.Cells<OpenBlockCells>().Words.push_back(word);
}

OpenBlock::~OpenBlock() {
  std::vector<std::string_view>& words = st_.Cells<OpenBlockCells>().Words;
  if (!words.empty()) words.pop_back();
}

std::string_view InnermostOpenBlock(const CompilerState& st) {
  const std::vector<std::string_view>& words = st.Cells<OpenBlockCells>().Words;
  return words.empty() ? std::string_view() : words.back();
}

}  // namespace qbc
