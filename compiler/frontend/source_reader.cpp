#include "compiler/frontend/source_reader.h"

#include <cstdint>
#include <limits>

#include "compiler/base/source_names.h"
#include "compiler/base/compile_error.h"
#include "compiler/frontend/source_files.h"
#include "compiler/frontend/tokenizer.h"

namespace qbc {

void CountSourceLine(CompilerState& st) {
  if (st.src.SourceLineNumber == std::numeric_limits<std::int32_t>::max())
    throw CompileFailure("Overflow (more than 2147483647 source lines)");
  ++st.src.SourceLineNumber;
  // What is written from here on comes from this line (until the next is read).
  st.out.MarkSource(st.src.IncludeStack[st.src.IncludeLevel].FileName, st.src.SourceLineNumber);
}

namespace {

void TrimBlanks(std::string& s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) {
    s.clear();
    return;
  }
  std::size_t e = s.find_last_not_of(' ');
  s = s.substr(b, e - b + 1);
}

void RemoveByteOrderMark(std::string& s) {
  // A UTF-16 mark (FF FE) as the old editor left it, or the UTF-8 mark (EF BB BF) that
  // editors on this platform may write.
  if (s.size() >= 2 && static_cast<unsigned char>(s[0]) == 0xFF && static_cast<unsigned char>(s[1]) == 0xFE)
    s.erase(0, 2);
  else if (s.size() >= 3 && static_cast<unsigned char>(s[0]) == 0xEF &&
           static_cast<unsigned char>(s[1]) == 0xBB && static_cast<unsigned char>(s[2]) == 0xBF)
    s.erase(0, 3);
}

}  // namespace

std::string ReadSourceLine(CompilerState& st) {
  std::string line;
  bool atEnd = false;
  for (;;) {
    CountSourceLine(st);
    if (SourceFileAtEnd(st, st.src.SourceFileNumber)) {
      line = "last";  // the end-of-file word, at which the statement loop stops
      atEnd = true;
      break;
    }
    line = ReadRawSourceLine(st, st.src.SourceFileNumber);
    TrimBlanks(line);
    RemoveByteOrderMark(line);
    std::size_t tabs = line.find_first_not_of('\t');
    line.erase(0, tabs == std::string::npos ? line.size() : tabs);
    if (!line.empty()) break;
  }
  if (atEnd) {
    st.src.ListingComment.clear();
  } else {
    std::string number = "000" + std::to_string(st.src.SourceLineNumber);
    st.src.ListingComment = ";-Line--" + number.substr(number.size() - 4) + "----" + line;
  }
  st.src.SourceLine = line;
  return line;
}

void CheckStatementEnd(CompilerState& st) {
  st.expr.FirstStringTerm = true;
  st.sticky.SkipOperandPush = false;
  st.sticky.LogicOperatorSeen = false;
  const std::string& tok = st.TokText();
  if (IsWord(st.Tok(), ":")) {
    ++st.src.TokenIndex;
    return;
  }
  if (tok == "<EOL>") {
    do {
      st.src.TokenCount = 0;
      st.src.TokenIndex = 0;
      ReadSourceLine(st);
      if (st.src.SourceLine.size() > kMaxSourceLineLength) {
        // Reported at its line and passed over; the compilation goes on with the next.
        CompileError(st, "Line too long (more than 253 characters)!");
        st.src.SourceLine.clear();
        st.src.TokenIndex = 0;
      }
      TokenizeLine(st, st.src.SourceLine);
    } while (st.src.TokenCount < 2);
    // Only the reader's pseudo-line has no listing comment: its "last" ends the file, while
    // a program's own word "last" (a variable) is compiled like any name.
    if (st.src.ListingComment.empty()) st.src.Tokens[0].Kind = kTokEndOfSource;
    const std::string& first = st.src.Tokens[0].Text;
    if (first == "dim" || first == "declare" || first == "local" || first == "const") return;
    if (st.src.DeclarationsEnded) EmitEndOfUserCode(st);
    return;
  }
  CompileError(st, "Syntax error -> " + tok);
}

void EmitEndOfUserCode(CompilerState& st) {
  if (!st.src.ListingComment.empty()) {
    if (st.cfg.ListSourceInAsm) {
      st.out.Line();
      st.out.Line(st.src.ListingComment + "--");
    }
    return;
  }
  if (st.src.IncludeLevel == 0) {
    st.out.Line();
    st.out.Line(";****** END OF USER BASIC CODE ****************");
  }
}

void IsEndOfStatement(CompilerState& st) {
  while (st.TokText() != "<EOL>" && !IsWord(st.Tok(), ":")) ++st.src.TokenIndex;
}

bool IsBitIndex(std::string_view text) { return std::string_view("01234567").find(text) != std::string_view::npos; }

}  // namespace qbc
