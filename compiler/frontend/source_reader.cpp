#include "compiler/frontend/source_reader.h"

#include <cstdint>
#include <functional>
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

// The next raw line of the current source file, blanks trimmed and leading TABs removed.
std::string ReadTrimmedLine(CompilerState& st) {
  std::string line = ReadRawSourceLine(st, st.src.SourceFileNumber);
  TrimBlanks(line);
  RemoveByteOrderMark(line);
  std::size_t tabs = line.find_first_not_of('\t');
  line.erase(0, tabs == std::string::npos ? line.size() : tabs);
  return line;
}

// Calls `visit` at each statement of the token table after the one at TokenIndex (a
// statement starts after each ":"); false when it asked to stop.
bool VisitLaterStatementsOfLine(CompilerState& st, const std::function<bool(CompilerState&)>& visit) {
  for (;;) {
    IsEndOfStatement(st);
    if (!IsWord(st.Tok(), ":")) return true;
    const auto start = static_cast<std::int16_t>(st.src.TokenIndex + 1);
    st.src.TokenIndex = start;
    if (!visit(st)) return false;
    st.src.TokenIndex = start;
  }
}

}  // namespace

void VisitStatementsAhead(CompilerState& st, const std::function<bool(CompilerState&)>& visit) {
  const SourcePosition keptPosition = st.src;
  const StickyCells keptSticky = st.sticky;
  const std::int16_t keptErrors = st.ErrorCount;
  ReportSink* const keptReport = st.report;
  SourceFileRecord& file = st.files.Files[st.src.SourceFileNumber];
  const std::size_t keptRead = file.ReadPos;
  auto restore = [&] {
    st.src = keptPosition;
    st.sticky = keptSticky;
    st.ErrorCount = keptErrors;
    st.report = keptReport;
    file.ReadPos = keptRead;
  };
  // (what the tokenizer finds wrong in a line is reported when the line itself is compiled)
  st.report = nullptr;
  try {
    // the statements after the current one on its line, then those of the following lines
    bool more = VisitLaterStatementsOfLine(st, visit);
    while (more && !SourceFileAtEnd(st, st.src.SourceFileNumber)) {
      std::string line = ReadTrimmedLine(st);
      if (line.empty()) continue;
      // A block comment reads lines of its own, a meta statement may switch the file (or
      // take raw lines) and an overlong line is passed over: no statement past it is read.
      if (line.size() > kMaxSourceLineLength || line.find("'(") != std::string::npos || line[0] == '$') break;
      st.src.TokenCount = 0;
      st.src.TokenIndex = 0;
      TokenizeLine(st, line);
      more = visit(st);
      st.src.TokenIndex = 0;
      more = more && VisitLaterStatementsOfLine(st, visit);
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

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
    line = ReadTrimmedLine(st);
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
