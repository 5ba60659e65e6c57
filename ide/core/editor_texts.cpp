#include "ide/core/editor_texts.h"

namespace qbc {

std::string CaretPositionText(int line, int column) {
  return "Line:   " + std::to_string(line) + "    Col:   " + std::to_string(column);
}

std::string CloseQuestionText(const std::string& caption) {
  return "The file " + caption + " has changed!\r\rDo you wish to save your changes?";
}

}  // namespace qbc
