#include "compiler/base/asm_writer.h"

#include <algorithm>

namespace qbc {

void AsmWriter::Line(std::string_view text) {
  text_.append(text);
  text_.append("\r\n");
  ++lines_;
}

void AsmWriter::InsertLines(std::size_t position, std::string_view lines) {
  if (position > text_.size()) position = text_.size();
  text_.insert(position, lines);
  for (char c : lines)
    if (c == '\n') ++lines_;
  Moved(position, static_cast<std::ptrdiff_t>(lines.size()));
}

void AsmWriter::Moved(std::size_t from, std::ptrdiff_t by) {
  for (std::size_t& a : anchors_)
    if (a >= from) a = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(a) + by);
  // (a mark at the place itself stays: the lines put there belong to its source line)
  for (auto m = std::upper_bound(marks_.begin(), marks_.end(), from,
                                 [](std::size_t p, const Mark& k) { return p < k.position; });
       m != marks_.end(); ++m)
    m->position = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(m->position) + by);
}

void AsmWriter::Replace(const std::vector<Piece>& pieces) {
  if (pieces.empty()) return;
  std::string text;
  std::size_t from = 0;
  for (const Piece& p : pieces) {
    text.append(text_, from, p.position - from);
    text.append(p.text);
    from = p.position + p.length;
  }
  text.append(text_, from, std::string::npos);
  // The positions kept move by what the pieces before them added, last piece first.
  for (auto p = pieces.rbegin(); p != pieces.rend(); ++p) {
    for (std::size_t i = p->position; i < p->position + p->length; ++i)
      if (text_[i] == '\n') --lines_;
    for (char c : p->text)
      if (c == '\n') ++lines_;
    Moved(p->position + p->length, static_cast<std::ptrdiff_t>(p->text.size()) - static_cast<std::ptrdiff_t>(p->length));
  }
  text_ = std::move(text);
}

void AsmWriter::MarkSource(std::string_view fileName, std::int32_t lineNumber) {
  std::uint32_t file = lastMarkFile_;
  if (file >= markFiles_.size() || markFiles_[file] != fileName) {
    const auto known = std::find(markFiles_.begin(), markFiles_.end(), fileName);
    file = static_cast<std::uint32_t>(known - markFiles_.begin());
    if (known == markFiles_.end()) markFiles_.emplace_back(fileName);
    lastMarkFile_ = file;
  }
  // (lines that wrote nothing, blank or declarations, leave no mark of their own)
  if (!marks_.empty() && marks_.back().position == text_.size())
    marks_.back() = {text_.size(), file, lineNumber};
  else
    marks_.push_back({text_.size(), file, lineNumber});
}

std::optional<AsmWriter::SourcePlace> AsmWriter::SourceAt(std::size_t position) const {
  const auto m = std::upper_bound(marks_.begin(), marks_.end(), position,
                                  [](std::size_t p, const Mark& k) { return p < k.position; });
  if (m == marks_.begin()) return std::nullopt;
  const Mark& mark = *(m - 1);
  return SourcePlace{markFiles_[mark.file], mark.lineNumber};
}

std::size_t AsmWriter::Anchor() {
  anchors_.push_back(text_.size());
  return anchors_.size() - 1;
}

void AsmWriter::InsertAtAnchor(std::size_t anchor, std::string_view lines) {
  if (anchor < anchors_.size()) InsertLines(anchors_[anchor], lines);
}

AsmWriter AsmWriter::Blank() const {
  AsmWriter w;
  w.OperandSeparator = OperandSeparator;
  w.MnemonicIndent = MnemonicIndent;
  w.CommentIndent = CommentIndent;
  return w;
}

void AsmWriter::Instr(Sep sep, std::string_view mnemonic, std::string_view operands) {
  InstrAfter(Indent(sep), sep, mnemonic, operands);
}

void AsmWriter::Instr(std::string_view label, Sep sep, std::string_view mnemonic, std::string_view operands) {
  if (sep != Sep::kColumn || label.empty()) {
    InstrAfter(label.empty() ? Indent(sep) : LabelLead(label), sep, mnemonic, operands);
    return;
  }
  std::string lead(label);
  lead += ':';
  InstrAfter(PadToColumn(lead), sep, mnemonic, operands);
}

std::string AsmWriter::Indent(Sep sep) const {
  return sep == Sep::kColumn ? std::string(ColumnWidth, ' ') : MnemonicIndent;
}

std::string AsmWriter::PadToColumn(std::string_view text) {
  std::string padded(text);
  padded.append(text.size() < ColumnWidth ? ColumnWidth - text.size() : 1, ' ');
  return padded;
}

std::string AsmWriter::GapAfter(Sep sep, std::string_view mnemonic) const {
  if (sep != Sep::kColumn) return Gap(sep);
  return PadToColumn(mnemonic).substr(mnemonic.size());
}

std::string AsmWriter::LabelLead(std::string_view label) const {
  if (label.empty()) return MnemonicIndent;
  std::string lead(label);
  lead += ':';
  lead += OperandSeparator;
  return lead;
}

void AsmWriter::InstrAfter(std::string_view lead, Sep sep, std::string_view mnemonic, std::string_view operands) {
  Line(Compose(lead, sep, mnemonic, operands));
}

void AsmWriter::InstrOpen(Sep sep, std::string_view mnemonic) {
  Put(Compose(Indent(sep), sep, mnemonic, {}));
  Put(GapAfter(sep, mnemonic));
}

std::string AsmWriter::InstrText(Sep sep, std::string_view mnemonic, std::string_view operands) const {
  return Compose(Indent(sep), sep, mnemonic, operands);
}

std::string AsmWriter::Compose(std::string_view lead, Sep sep, std::string_view mnemonic,
                               std::string_view operands) const {
  const std::string gap = GapAfter(sep, mnemonic);
  std::string line;
  line.reserve(lead.size() + mnemonic.size() + gap.size() + operands.size());
  line += lead;
  line += mnemonic;
  if (!operands.empty()) {
    line += gap;
    line += operands;
  }
  return line;
}

void AsmWriter::Label(std::string_view label) {
  std::string line(label);
  line += ':';
  Line(line);
}

void AsmWriter::Text(std::string_view block) {
  if (!block.empty() && block.front() == '\n') block.remove_prefix(1);
  if (!block.empty() && block.back() == '\n') block.remove_suffix(1);
  std::string line;
  std::size_t start = 0;
  while (start <= block.size()) {
    std::size_t end = block.find('\n', start);
    if (end == std::string_view::npos) end = block.size();
    std::string_view raw = block.substr(start, end - start);
    line.clear();
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == 't') {
        line += '\t';
        ++i;
      } else {
        line += raw[i];
      }
    }
    Line(line);
    start = end + 1;
  }
}

}  // namespace qbc
