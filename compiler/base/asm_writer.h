#pragma once
// The one output writer. Every generator and library emitter appends whole lines to it;
// each line ends in CR LF. The driver writes the text to the .asm file when it closes it.
#include <cstddef>
#include <string>
#include <string_view>

namespace qbc {

class AsmWriter {
 public:
  // Layout cells: set by the driver at the start of a compilation, read by every writer.
  std::string OperandSeparator = "\t";
  std::string MnemonicIndent = "\t\t";
  std::string CommentIndent = "\t\t\t";

  // One whole line; an empty text gives an empty line.
  void Line(std::string_view text = {});
  // MnemonicIndent, mnemonic and, when there are operands, OperandSeparator and operands.
  void Instr(std::string_view mnemonic, std::string_view operands = {});
  // A piece of a line without its end: the next Line() (an empty one ends it) continues
  // the same output line. Used by writers that build a line from source values.
  void Put(std::string_view text) { text_.append(text); }
  // A label alone on its line, in column 0: "label:".
  void Label(std::string_view label);
  // Fixed routine text: one output line per text line. The two characters "\t" stand
  // for a TAB, so tables of routine text stay readable in the source. A first empty line
  // (the one right after a raw string's opening) is dropped; every other line is kept.
  void Text(std::string_view block);

  const std::string& Str() const { return text_; }
  std::size_t LineCount() const { return lines_; }
  void Clear() { text_.clear(); lines_ = 0; }

 private:
  std::string text_;
  std::size_t lines_ = 0;
};

}  // namespace qbc
