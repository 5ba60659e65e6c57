#pragma once
// The blocks open where a statement is compiled, outermost first: each block statement
// (If, Select Case, Do, While, For, Sub, Function, Interrupt) holds its word here while
// its body is compiled. A procedure is defined only where none is open: the code around
// it would run on into the procedure's return with the block's values still saved.
#include <string_view>
#include <vector>

#include "compiler/base/state.h"

namespace qbc {

struct OpenBlockCells {
  std::vector<std::string_view> Words;  // "FOR", "IF", ...
};

// Holds `word` among the open blocks for as long as it lives.
class OpenBlock {
 public:
  OpenBlock(CompilerState& st, std::string_view word);
  ~OpenBlock();
  OpenBlock(const OpenBlock&) = delete;
  OpenBlock& operator=(const OpenBlock&) = delete;

 private:
  CompilerState& st_;
};

// The innermost open block's word, empty where none is open.
std::string_view InnermostOpenBlock(const CompilerState& st);

}  // namespace qbc
