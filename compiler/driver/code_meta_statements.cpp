#include "compiler/driver/code_meta_statements.h"

#include <string_view>
#include <utility>

#include "compiler/base/compile_error.h"
#include "compiler/base/names.h"
#include "compiler/base/whole_file.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/goto_targets.h"
#include "compiler/statements/peripherals/meta_peripheral.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/frontend/source_files.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/driver/statement_loop.h"
#include "compiler/base/symbols.h"
#include "compiler/statements/hardware/timer_config.h"
#include "compiler/base/decl_text.h"

namespace qbc {

namespace {

constexpr int kDeepestInclude = 32;  // IncludeStack levels 0 (main source) to 32

// An included file, read whole. A file that is there but cannot be read is reported at the
// line that names it, with the system's reason, and the compilation goes on; a missing one
// is left to the caller's own report.
FileRead ReadIncludedFile(CompilerState& st, const std::string& name, const std::string& path, std::string& text) {
  std::string why;
  const FileRead read = ReadWholeFile(path, text, why);
  if (read == FileRead::kUnreadable) CompileError(st, "File " + name + " cannot be read (" + why + ")!");
  return read;
}

bool ContainsEndWord(std::string_view line) {
  for (std::size_t i = 0; i + 4 <= line.size(); ++i) {
    if (line[i] != '$') continue;
    if (LowerText(line.substr(i + 1, 3)) == "end") return true;
  }
  return false;
}

// $asm: copies the raw lines up to the first one holding "$end" (not written), each after
// one TAB. A source that ends inside the block is a compile error, not a failure.
void CompileAsmBlock(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "<EOL>");
  for (;;) {
    if (SourceFileAtEnd(st, st.src.SourceFileNumber)) {
      CompileError(st, "Missing \"$END ASM\"");
      return;
    }
    std::string line = ReadRawSourceLine(st, st.src.SourceFileNumber);
    CountSourceLine(st);
    if (ContainsEndWord(line)) return;
    NoteAsmLabel(st, line);
    st.out.Line(st.out.OperandSeparator + line);
  }
}

void CompileInclude(CompilerState& st) {
  ++st.src.TokenIndex;
  const std::string name = st.TokText();
  if (st.src.IncludeLevel >= kDeepestInclude) {
    CompileError(st, "Too many nested include files!");
    return;
  }
  const std::string path = IncludedFilePath(st, name);
  std::string text;
  const FileRead read = ReadIncludedFile(st, name, path, text);
  if (read == FileRead::kUnreadable) return;

  SourcePosition& src = st.src;
  src.IncludeStack[src.IncludeLevel].LineNumber = src.SourceLineNumber;
  ++src.IncludeLevel;
  IncludeRecord& level = src.IncludeStack[src.IncludeLevel];
  level.FileName = path;
  level.FileNumber = 0;
  src.SourceLineNumber = 0;

  if (read == FileRead::kRead) {
    src.SourceFileNumber = OpenSourceText(st, path, std::move(text));
    level.FileNumber = src.SourceFileNumber;
    st.Tok().Text = "<EOL>";
    st.Tok().Kind = kTokEol;
    CheckStatementEnd(st);
    CompileStatementBlock(st);
    ReportUnopenedBlockEnd(st);
    CloseSourceFile(st, src.SourceFileNumber);
  } else {
    CompileError(st, "File " + name + " not exist!");
  }

  --src.IncludeLevel;
  src.SourceFileNumber = src.IncludeStack[src.IncludeLevel].FileNumber;
  src.SourceLineNumber = src.IncludeStack[src.IncludeLevel].LineNumber;
  st.Tok().Text = "<EOL>";
  st.Tok().Kind = kTokEol;
}

void CompileIncludeAsm(CompilerState& st) {
  ++st.src.TokenIndex;
  const std::string name = st.TokText();
  const std::string path = IncludedFilePath(st, name);
  std::string text;
  const FileRead read = ReadIncludedFile(st, name, path, text);
  if (read == FileRead::kUnreadable) return;
  if (read == FileRead::kMissing) {
    CompileError(st, "File " + name + " not exist!");
    return;
  }
  const int file = OpenSourceText(st, path, std::move(text));
  st.out.Line();
  st.out.Line(";-------IncludedAsm: " + name);
  while (!SourceFileAtEnd(st, file)) {
    std::string line = ReadRawSourceLine(st, file);
    NoteAsmLabel(st, line);
    st.out.Line(line);
  }
  CloseSourceFile(st, file);
}

void CompileSourceSwitch(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  if (st.TokText() == "off") {
    st.cfg.ListSourceInAsm = false;
  } else if (st.TokText() == "on") {
    st.cfg.ListSourceInAsm = true;
  } else {
    CompileError(st, "On or Off!");
  }
}

// Whatever the statement consumed, the rest of the line is dropped: the current token
// becomes the line's end.
void EndLine(CompilerState& st) {
  if (st.src.TokenIndex < 0) st.src.TokenIndex = 0;
  if (st.src.TokenCount > 0 && st.src.TokenIndex >= st.src.TokenCount)
    st.src.TokenIndex = static_cast<std::int16_t>(st.src.TokenCount - 1);
  if (st.TokText() != "<EOL>") {
    st.Tok().Text = "<EOL>";
    st.Tok().Kind = kTokEol;
  }
}

}  // namespace

std::string IncludedFilePath(const CompilerState& st, const std::string& name) {
  std::string path = name;
  for (char& c : path)
    if (c == '\\') c = '/';
  if (!path.empty() && path[0] == '/') return path;
  std::string folder = st.env.DocumentFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + path;
}

void CompileMetaStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  const std::string word = st.TokText();
  if (word == "spi") {
    ParseSpiMetaStatement(st);
  } else if (word == "asm") {
    CompileAsmBlock(st);
  } else if (word == "include") {
    CompileInclude(st);
  } else if (word == "includeasm") {
    CompileIncludeAsm(st);
  } else if (TimerOfWord(word) >= 0) {
    ParseTimerMetaStatement(st, TimerOfWord(word));
  } else if (word == "source") {
    CompileSourceSwitch(st);
  } else if (word == "def") {
    ParseDefMetaStatement(st);
  } else {
    CompileError(st, "Not a regular MetaStatement!");
  }
  EndLine(st);
}

void ParseDefMetaStatement(CompilerState& st) {
  if (st.sym.DefCount >= st.sym.Defs.size() - 2) {
    CompileError(st, "Too many $def aliases!");
    return;
  }
  ++st.src.TokenIndex;
  // An alias whose name the program declares otherwise is read to its end unrecorded.
  DefRecord scratch;
  DefRecord* def = &scratch;
  if (ClaimName(st, NameKind::kAlias)) {
    ++st.sym.DefCount;
    def = &st.sym.Defs[st.sym.DefCount];
    def->Name = st.TokText();
  }
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  if (FindIoRegister(st, st.TokText()) == 0) {
    CompileError(st, "This is not AVR register!");
    return;
  }
  def->Register = st.TokText();
  ++st.src.TokenIndex;
  if (st.TokText() != ".") {
    def->Bit = " ";
    return;
  }
  ++st.src.TokenIndex;
  const int c = FindConst(st, st.TokText());
  def->Bit = c != 0 ? st.sym.Constants[c].Value : st.TokText();
  // Every statement takes the alias's bit as it stands: one the register lacks would be
  // cut to its low three bits (Toggle) or reach the assembler.
  RegisterBitOnDevice(st, def->Register, BitTextValue(st, def->Bit));
}

}  // namespace qbc
