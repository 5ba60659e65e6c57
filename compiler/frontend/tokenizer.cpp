#include "compiler/frontend/tokenizer.h"

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/line_errors.h"
#include "compiler/frontend/source_files.h"
#include "compiler/frontend/source_reader.h"

namespace qbc {

namespace {

// An operator count that rules out the one-operator form for the rest of the line.
constexpr int kNoOperatorShortcut = 10;

// TAB, blank, ! " # $ & ' ( ) * + , - . / : ; < = > ^ |
bool IsDelimiter(unsigned char c) {
  return c == 9 || c == 32 || (c >= 33 && c <= 36) || (c >= 38 && c <= 47) || (c >= 58 && c <= 62) ||
         c == 94 || c == 124;
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// A byte that no word of the language holds: a control character, or one of the bytes
// of a letter outside ASCII. A name holding one would reach the assembler as a label it
// refuses.
bool IsForeignByte(unsigned char c) { return c < 32 || c >= 127; }

bool HoldsForeignByte(const std::string& word) {
  for (char c : word)
    if (IsForeignByte(static_cast<unsigned char>(c))) return true;
  return false;
}

// The word as a report line may show it: a control character (a NUL byte would cut the
// line short) is written as its code.
std::string ShownWord(const std::string& word) {
  std::string shown;
  for (char c : word) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127)
      shown += "<" + std::to_string(u) + ">";
    else
      shown += c;
  }
  return shown;
}

bool IsDigitsOnly(const std::string& word) {
  if (word.empty()) return false;
  for (char c : word)
    if (!IsDigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// Skips the lines of a block comment: from the line that opened it up to the first line
// holding ")'". Those lines are read raw from the current source file. A comment still
// open at the end of the file is reported at the line that opened it.
void SkipBlockComment(CompilerState& st, const std::string& openingLine) {
  if (openingLine.find(")'") != std::string::npos) return;
  const std::int32_t openedAt = st.src.SourceLineNumber;
  do {
    if (SourceFileAtEnd(st, st.src.SourceFileNumber)) {
      const std::string file = st.src.IncludeStack[st.src.IncludeLevel].FileName;
      CompileErrorAt(st, file, openedAt,
                     "Missing \")'\" to close the block comment");
      return;
    }
    std::string next = ReadRawSourceLine(st, st.src.SourceFileNumber);
    st.src.SourceLine = std::move(next);
    CountSourceLine(st);
  } while (st.src.SourceLine.find(")'") == std::string::npos);
}

}  // namespace

void TokenizeLine(CompilerState& st, std::string& line) {
  if (line.size() > kMaxSourceLineLength)
    throw CompileFailure("Overflow (a source line holds more than 253 characters)");
  SourcePosition& src = st.src;
  const int lineStart = src.TokenCount;  // tokens before this index belong to no line of ours
  // The added ")" makes the last word end on a delimiter; its record becomes "<EOL>".
  const std::string work = line + ")";

  std::string word;
  bool digitSeen = false;    // a digit went into the current word since the last delimiter
  bool letterSeen = false;   // a non-digit went into a word since the line start or the last "="
  bool afterEquals = false;  // the last delimiter handled was "="
  bool equalsSeen = false;   // the line holds an "="
  bool opPending = false;    // an "=" came and no word has been stored since
  int opCount = 0;
  int firstStatementCount = -1;  // opCount at the end of the line's first statement
  bool blockComment = false;

  auto storeWord = [&] {
    if (word.empty()) return;
    if (HoldsForeignByte(word)) ReportInPlace(st, "Invalid character in " + ShownWord(word) + "!");
    // A number holds one decimal point: the value of 1.5.5 would be read as 1.5, the rest
    // dropped without a word.
    if (IsDigit(static_cast<unsigned char>(word[0])) && word.find('.') != word.rfind('.'))
      ReportInPlace(st, "Invalid number " + ShownWord(word) + "!");
    word = LowerText(std::move(word));
    if (equalsSeen && (word == "or" || word == "and" || word == "xor")) ++opCount;
    // "not" takes one operand and "mod" moves the remainder after its division: a line
    // holding either is compiled in the general form, with the left operand pushed.
    if (equalsSeen && (word == "not" || word == "mod")) opCount = kNoOperatorShortcut;
    if (word == "x" || word == "y" || word == "z") word += '_';  // register pairs of the target
    TokenRecord& r = src.Tokens[src.TokenCount];
    r.Text = word;
    opPending = false;
    unsigned char c0 = static_cast<unsigned char>(word[0]);
    if ((c0 >= 'a' && c0 <= 'z') || c0 == '`')
      r.Kind = st.entries.isKeyword(word) ? kTokKeyword : kTokName;
    else if (IsDigit(c0))
      r.Kind = kTokNumber;
    // any other first character: the record keeps the kind it held
    ++src.TokenCount;
    word.clear();
  };

  for (std::size_t i = 0; i < work.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(work[i]);
    if (IsDigit(c)) {
      word += static_cast<char>(c);
      digitSeen = true;
      afterEquals = false;
      continue;
    }
    if (!IsDelimiter(c)) {
      word += static_cast<char>(c);
      letterSeen = true;
      afterEquals = false;
      continue;
    }
    // A decimal point, as in 1.5: right after "=", inside a number while no letter came since
    // the line start or the last "=", or inside a word that so far holds only digits (a
    // number anywhere on the line: b + 1.5, Waitms 1.5). A word that begins with a letter
    // keeps the "." as a separator (portb.3).
    if (c == '.' && (afterEquals || (digitSeen && !letterSeen) || IsDigitsOnly(word))) {
      word += '.';
      continue;
    }
    storeWord();

    const bool hasPrevious = src.TokenCount > lineStart;
    TokenRecord& r = src.Tokens[src.TokenCount];
    bool counted = true;
    bool endOfLine = false;
    switch (c) {
      case '!': case '*': case '+': case '-': case '/': case '<': case '^': case '|':
        r.Text = std::string(1, static_cast<char>(c));
        r.Kind = kTokOperator;
        if (equalsSeen && c == '!')
          opCount = kNoOperatorShortcut;  // "!" is "not"
        else if (equalsSeen && !opPending)
          ++opCount;
        break;
      case '=': {
        r.Text = "=";
        r.Kind = kTokOperator;
        equalsSeen = true;
        opPending = true;
        letterSeen = false;
        if (hasPrevious) {
          TokenRecord& prev = src.Tokens[src.TokenCount - 1];
          if (prev.Text == "<") {
            prev.Text = "<=";
            counted = false;
          } else if (prev.Text == ">") {
            prev.Text = ">=";
            counted = false;
          }
        }
        afterEquals = true;
        break;
      }
      case '>': {
        r.Text = ">";
        r.Kind = kTokOperator;
        if (hasPrevious) {
          TokenRecord& prev = src.Tokens[src.TokenCount - 1];
          if (prev.Text == "=") {
            prev.Text = "=>";
            counted = false;
          } else if (prev.Text == "<") {
            prev.Text = "<>";
            counted = false;
          }
        }
        break;
      }
      case '(':
        r.Text = "(";
        r.Kind = kTokOpenParen;
        if (equalsSeen) opCount = kNoOperatorShortcut;
        if (hasPrevious && src.Tokens[src.TokenCount - 1].Kind == kTokName)
          src.Tokens[src.TokenCount - 1].Kind = kTokCallName;
        break;
      case ')': r.Text = ")"; r.Kind = kTokCloseParen; break;
      case '$': r.Text = "$"; r.Kind = kTokDollar; break;
      case ',': r.Text = ","; r.Kind = kTokComma; break;
      case '&': r.Text = "&"; r.Kind = kTokAmpersand; break;
      case '#': r.Text = "#"; r.Kind = kTokHash; break;
      case ':':
        r.Text = ":";
        r.Kind = kTokColon;
        // the hint serves the first statement only (the statement end clears it): the
        // operators of the statements after it must not make it
        if (equalsSeen && firstStatementCount < 0) firstStatementCount = opCount;
        break;
      case ';': r.Text = ";"; r.Kind = kTokSemicolon; break;
      case 9:
      case ' ':
        counted = false;
        break;
      case '.':
        r.Text = ".";
        if (letterSeen) {
          r.Kind = kTokDot;
        } else {
          word = ".";  // counted without a kind of its own; it also begins the next word
        }
        break;
      case '"': {
        r.Kind = kTokString;
        std::size_t close = work.find('"', i + 1);
        if (close == std::string::npos) {
          r.Text = work.substr(i + 1);
          ++src.TokenCount;
          CompileError(st, "Unterminated string constant");
          counted = false;
          endOfLine = true;  // the literal is the last record of the line
        } else {
          r.Text = work.substr(i + 1, close - i - 1);
          i = close;
        }
        // The assembler reads its lines as C strings: a NUL byte would end the literal's
        // line there.
        if (r.Text.find('\0') != std::string::npos)
          ReportInPlace(st, "Invalid character in \"" + ShownWord(r.Text) + "\"!");
        break;
      }
      case '\'':
        r.Text = "'";
        blockComment = i + 1 < work.size() && work[i + 1] == '(';
        endOfLine = true;
        break;
      default:
        break;
    }
    if (counted) ++src.TokenCount;
    digitSeen = false;
    if (endOfLine) break;
  }

  if (blockComment) SkipBlockComment(st, line);
  TokenRecord& last = src.Tokens[src.TokenCount - 1];
  last.Text = "<EOL>";
  last.Kind = kTokEol;
  if ((firstStatementCount >= 0 ? firstStatementCount : opCount) == 1) st.sticky.SkipOperandPush = true;
}

}  // namespace qbc
