#include "ide/core/editor_texts.h"

namespace qbc {

std::string CaretPositionText(int line, int column) {
  return "Line:   " + std::to_string(line) + "    Col:   " + std::to_string(column);
}

std::string CloseQuestionText(const std::string& caption) {
  return "The file " + caption + " has changed!\r\rDo you wish to save your changes?";
}

std::string DiskChangedQuestionText(const std::string& path, bool editorChanged) {
  return "The file " + path + " has been changed by another program.\r\rDo you wish to load it?" +
         (editorChanged ? " Your changes in the editor will be lost." : "");
}

std::string OverwriteQuestionText(const std::string& path) {
  return "The file " + path + " has been changed by another program since it was opened or saved.\r\r"
         "Do you wish to overwrite it with the text in the editor?";
}

std::string ReadOnlyQuestionText(const std::string& path) {
  return "The file " + path + " is read-only.\r\rDo you wish to replace it with the text in the editor?";
}

}  // namespace qbc
