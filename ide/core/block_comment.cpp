#include "ide/core/block_comment.h"

#include <functional>

namespace qbc {

namespace {

// Applies `change` to every line of the selection; the line ends stay where they were.
std::string EachLine(const std::string& selection, const std::function<std::string(const std::string&)>& change) {
  std::string result;
  std::size_t start = 0;
  while (start < selection.size()) {
    std::size_t lf = selection.find('\n', start);
    std::size_t end = lf == std::string::npos ? selection.size() : lf + 1;
    result += change(selection.substr(start, end - start));
    start = end;
  }
  return result;
}

}  // namespace

std::string CommentBlock(const std::string& selection) {
  return EachLine(selection, [](const std::string& line) { return "'" + line; });
}

std::string UnCommentBlock(const std::string& selection) {
  return EachLine(selection, [](const std::string& line) { return line.starts_with('\'') ? line.substr(1) : line; });
}

}  // namespace qbc
