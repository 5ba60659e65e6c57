#pragma once
// The one output writer. Every generator and library emitter appends whole lines to it;
// each line ends in CR LF. The driver writes the text to the .asm file when it closes it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qbc {

// The gap between an instruction's mnemonic and its operands. The generated code uses two
// TAB widths, both layout cells of the writer, and the space columns of the float library;
// each line's writer names the one it writes.
enum class Sep : std::uint8_t {
  kWide,    // MnemonicIndent (two TABs): most lines of the generated code
  kNarrow,  // OperandSeparator (one TAB): calls, jumps, branches, skips and a few others
  kColumn,  // spaces: the float routines' columns, ColumnWidth wide for the lead (indent or
            // "label:") and for the mnemonic, at least one space after each
};

class AsmWriter {
 public:
  // Layout cells: set by the driver at the start of a compilation, read by every writer.
  std::string OperandSeparator = "\t";
  std::string MnemonicIndent = "\t\t";
  std::string CommentIndent = "\t\t\t";
  // The width of the float routines' space columns (Sep::kColumn).
  static constexpr std::size_t ColumnWidth = 8;

  // One whole line; an empty text gives an empty line.
  void Line(std::string_view text = {});
  // Every instruction and directive line of the generated code is written by these.
  // MnemonicIndent (a column of spaces for Sep::kColumn), the mnemonic and, when there are
  // operands, the gap `sep` names and the operands.
  void Instr(Sep sep, std::string_view mnemonic, std::string_view operands = {});
  // A mnemonic alone ("ret", "sei", a bare "lpm").
  void Instr(std::string_view mnemonic) { Instr(Sep::kWide, mnemonic); }
  // The same line opened by "label:" and OperandSeparator (Sep::kColumn: "label:" padded
  // to the column) instead of the indent; an empty label gives the plain line.
  void Instr(std::string_view label, Sep sep, std::string_view mnemonic, std::string_view operands = {});
  // The general form under both: `lead` as it stands (an indent, or a label with the gap
  // its routine pads it with), the mnemonic, and the gap and operands when there are any.
  void InstrAfter(std::string_view lead, Sep sep, std::string_view mnemonic, std::string_view operands = {});
  // Opens an instruction line whose operands follow piece by piece: MnemonicIndent, the
  // mnemonic and the gap `sep` names; Put() appends the operands and Line() ends it. For
  // data lines whose values are written as the source is read.
  void InstrOpen(Sep sep, std::string_view mnemonic);
  // The text Instr(sep, ...) writes, without its line end: for the configuration lines that
  // are collected for the start-up code and written there later.
  std::string InstrText(Sep sep, std::string_view mnemonic, std::string_view operands = {}) const;
  // The layout cell a TAB gap style stands for. Sep::kColumn has no fixed gap (it pads each
  // mnemonic to the column), so it is not asked for here.
  const std::string& Gap(Sep sep) const { return sep == Sep::kWide ? MnemonicIndent : OperandSeparator; }
  // The lead Instr(label, ...) opens its line with: "label:" and OperandSeparator, or
  // MnemonicIndent for an empty label.
  std::string LabelLead(std::string_view label) const;
  // A piece of a line without its end: the next Line() (an empty one ends it) continues
  // the same output line. Used by writers that build a line from source values.
  void Put(std::string_view text) { text_.append(text); }
  // A label alone on its line, in column 0: "label:".
  void Label(std::string_view label);
  // Fixed routine text: one output line per text line. The two characters "\t" stand
  // for a TAB, so tables of routine text stay readable in the source. A first empty line
  // (the one right after a raw string's opening) is dropped; every other line is kept.
  void Text(std::string_view block);

  // Where the next line will begin. Text that is known only later (cells that statements
  // further down turn out to need) can then be put in before the lines written since.
  std::size_t Position() const { return text_.size(); }
  // Whole lines (each ending in CR LF) placed at `position`.
  void InsertLines(std::size_t position, std::string_view lines);
  // A place for lines known only at the end of the compilation (what a handler's entry
  // keeps depends on the code it reaches): it moves with every insertion before it.
  std::size_t Anchor();
  void InsertAtAnchor(std::size_t anchor, std::string_view lines);
  // Where the anchor stands now.
  std::size_t AnchorPosition(std::size_t anchor) const { return anchor < anchors_.size() ? anchors_[anchor] : 0; }
  // An empty writer of the same layout, for lines built aside.
  AsmWriter Blank() const;

  // Pieces of the written text replaced: `length` bytes at `position` by `text`. The
  // pieces lie in the order of their positions and do not overlap; anchors and source
  // marks after a piece move with the text.
  struct Piece {
    std::size_t position;
    std::size_t length;
    std::string text;
  };
  void Replace(const std::vector<Piece>& pieces);

  // The source line the lines written from here on are compiled from, for the readers of
  // the finished text that report a compile error at the line that wrote a piece of it.
  void MarkSource(std::string_view fileName, std::int32_t lineNumber);
  struct SourcePlace {
    std::string_view fileName;
    std::int32_t lineNumber = 0;
  };
  // The source line of the text at `position`; nullopt before the first mark.
  std::optional<SourcePlace> SourceAt(std::size_t position) const;

  const std::string& Str() const { return text_; }
  std::size_t LineCount() const { return lines_; }
  void Clear() {
    text_.clear();
    lines_ = 0;
    anchors_.clear();
    marks_.clear();
    markFiles_.clear();
    lastMarkFile_ = 0;
  }

 private:
  std::string Compose(std::string_view lead, Sep sep, std::string_view mnemonic, std::string_view operands) const;
  // The indent a line of style `sep` opens with when it has no label.
  std::string Indent(Sep sep) const;
  // `text` padded with spaces to ColumnWidth, at least one space after it.
  static std::string PadToColumn(std::string_view text);
  // The gap after `mnemonic` in style `sep`.
  std::string GapAfter(Sep sep, std::string_view mnemonic) const;

  // Every position kept in the text moves with an insertion or replacement before it.
  void Moved(std::size_t from, std::ptrdiff_t by);

  std::string text_;
  std::size_t lines_ = 0;
  std::vector<std::size_t> anchors_;
  struct Mark {
    std::size_t position;
    std::uint32_t file;  // in markFiles_
    std::int32_t lineNumber;
  };
  std::vector<Mark> marks_;  // in the order of their positions
  std::vector<std::string> markFiles_;
  std::uint32_t lastMarkFile_ = 0;
};

}  // namespace qbc
