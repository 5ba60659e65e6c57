#pragma once
// Texts the editor windows show: the caret position, the question before a changed
// document closes, and the questions about a file another program changed.
#include <string>

namespace qbc {

// "Line:  ", the line, "    Col:  ", the column; each number after a blank of its own.
std::string CaretPositionText(int line, int column);

// "The file <caption> has changed!", two carriage returns, "Do you wish to save your
// changes?". The caption keeps its "Open Document - " prefix.
std::string CloseQuestionText(const std::string& caption);

inline constexpr const char* kCloseQuestionTitle = "Message to user:";

// The question when another program changed the file of an open document: load its text
// (what the editor holds is lost, which the question says when it holds changes)?
std::string DiskChangedQuestionText(const std::string& path, bool editorChanged);

// The question before File Save writes over a file that another program changed since the
// window read or wrote it.
std::string OverwriteQuestionText(const std::string& path);

// The question before a save replaces a file whose permissions say it is read-only.
std::string ReadOnlyQuestionText(const std::string& path);

}  // namespace qbc
