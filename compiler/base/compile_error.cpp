#include "compiler/base/compile_error.h"

#include <cstdint>
#include <limits>

#include "compiler/base/decl_text.h"
#include "compiler/base/line_errors.h"

namespace qbc {

std::string ReportNumber(long value) {
  if (value < 0) return std::to_string(value);
  return " " + std::to_string(value);
}

namespace {

void AppendErrorLine(CompilerState& st, std::string_view message) {
  if (st.report && st.ErrorCount == 0) st.report->SetText("");
  if (st.ErrorCount < std::numeric_limits<std::int16_t>::max()) ++st.ErrorCount;
  if (st.report) {
    std::string line = ReportNumber(st.ErrorCount);
    line += ". ";
    line += message;
    line += " (\"";
    const std::size_t level = st.src.IncludeLevel < st.src.IncludeStack.size() ? st.src.IncludeLevel : 0;
    line += st.src.IncludeStack[level].FileName;
    line += "\" --> Line ";
    line += ReportNumber(st.src.SourceLineNumber);
    line += ")\r\n";
    st.report->Append(line);
  }
}

}  // namespace

void CompileError(CompilerState& st, std::string_view message) {
  if (st.ErrorCount == std::numeric_limits<std::int16_t>::max())
    throw CompileFailure("Overflow (too many compile errors)");
  AppendErrorLine(st, message);
  ++st.src.TokenIndex;
}

void ReportInPlace(CompilerState& st, std::string_view message) {
  CompileError(st, message);
  --st.src.TokenIndex;
}

void CompileErrorAt(CompilerState& st, const std::string& fileName, std::int32_t lineNumber, std::string_view message) {
  IncludeRecord& file = st.src.IncludeStack[st.src.IncludeLevel];
  const std::string keptFile = file.FileName;
  const std::int32_t keptLine = st.src.SourceLineNumber;
  const std::int16_t keptToken = st.src.TokenIndex;
  file.FileName = fileName;
  st.src.SourceLineNumber = lineNumber;
  try {
    CompileError(st, message);
  } catch (...) {
    file.FileName = keptFile;
    st.src.SourceLineNumber = keptLine;
    throw;
  }
  file.FileName = keptFile;
  st.src.SourceLineNumber = keptLine;
  st.src.TokenIndex = keptToken;
}

void ReportCompilerFailure(CompilerState& st, const std::exception& failure) noexcept {
  try {
    const bool own = dynamic_cast<const CompileFailure*>(&failure) != nullptr;
    std::string text = own ? failure.what() : std::string("Internal error (") + failure.what() + ")";
    // a report line is one line
    for (char& c : text)
      if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    AppendErrorLine(st, text + "!");
  } catch (...) {
    // out of memory while reporting: the count still says the compilation failed
    if (st.ErrorCount < std::numeric_limits<std::int16_t>::max()) ++st.ErrorCount;
  }
}

void StopAtCompilerLimit(CompilerState& st, std::string_view message) {
  CompileError(st, message);
  throw CompilationStopped{};
}

void ExpectToken(CompilerState& st, std::string_view expected) {
  if (st.TokText() != expected) {
    CompileError(st, "Missing \"" + UpperText(expected) + "\"");
  }
  ++st.src.TokenIndex;
}

}  // namespace qbc
