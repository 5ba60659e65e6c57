#include "compiler/frontend/source_files.h"

#include <utility>

#include "compiler/base/line_errors.h"
#include "compiler/base/whole_file.h"

namespace qbc {

namespace {

SourceFileRecord& OpenRecord(CompilerState& st, int fileNumber) {
  SourceFileRecord& f = st.files.Files[fileNumber];
  if (!f.Open) throw CompileFailure("Bad file name or number (" + std::to_string(fileNumber) + ")");
  return f;
}

int FreeFileNumber(CompilerState& st) {
  for (std::size_t n = 1; n < st.files.Files.size(); ++n)
    if (!st.files.Files[static_cast<long>(n)].Open) return static_cast<int>(n);
  throw CompileFailure("Too many files");
}

}  // namespace

int OpenSourceText(CompilerState& st, const std::string& name, std::string text) {
  int n = FreeFileNumber(st);
  SourceFileRecord& f = st.files.Files[n];
  f.Open = true;
  f.Path = name;
  f.Text = std::move(text);
  f.ReadPos = 0;
  return n;
}

int OpenSourceFile(CompilerState& st, const std::string& path) {
  std::string text;
  std::string why;
  switch (ReadWholeFile(path, text, why)) {
    case FileRead::kRead:
      break;
    case FileRead::kMissing:
      throw FileAccessFailure("File not found: " + path);
    case FileRead::kUnreadable:
      throw FileAccessFailure("Cannot read " + path + ": " + why);
  }
  return OpenSourceText(st, path, std::move(text));
}

void CloseSourceFile(CompilerState& st, int fileNumber) {
  if (fileNumber <= 0 || static_cast<std::size_t>(fileNumber) >= st.files.Files.size()) return;
  st.files.Files[fileNumber] = SourceFileRecord{};
}

void CloseAllSourceFiles(CompilerState& st) { st.files = SourceFileTable{}; }

bool IsSourceFileOpen(CompilerState& st, int fileNumber) {
  if (fileNumber <= 0 || static_cast<std::size_t>(fileNumber) >= st.files.Files.size()) return false;
  return st.files.Files[fileNumber].Open;
}

std::size_t SourceFileSize(CompilerState& st, int fileNumber) { return OpenRecord(st, fileNumber).Text.size(); }

bool SourceFileAtEnd(CompilerState& st, int fileNumber) {
  const SourceFileRecord& f = OpenRecord(st, fileNumber);
  return f.ReadPos >= f.Text.size();
}

std::string ReadRawSourceLine(CompilerState& st, int fileNumber) {
  SourceFileRecord& f = OpenRecord(st, fileNumber);
  if (f.ReadPos >= f.Text.size()) throw CompileFailure("Input past end of file");
  std::size_t end = f.Text.find_first_of("\r\n", f.ReadPos);
  if (end == std::string::npos) end = f.Text.size();
  std::string line = f.Text.substr(f.ReadPos, end - f.ReadPos);
  std::size_t next = end;
  if (next < f.Text.size()) {
    if (f.Text[next] == '\r' && next + 1 < f.Text.size() && f.Text[next + 1] == '\n')
      next += 2;
    else
      next += 1;
  }
  f.ReadPos = next;
  return line;
}

}  // namespace qbc
