#pragma once
// Texts the editor windows show: the caret position and the question before a changed
// document closes.
#include <string>

namespace qbc {

// "Line:  ", the line, "    Col:  ", the column; each number after a blank of its own.
std::string CaretPositionText(int line, int column);

// "The file <caption> has changed!", two carriage returns, "Do you wish to save your
// changes?". The caption keeps its "Open Document - " prefix.
std::string CloseQuestionText(const std::string& caption);

inline constexpr const char* kCloseQuestionTitle = "Message to user:";

}  // namespace qbc
