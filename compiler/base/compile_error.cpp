#include "compiler/base/compile_error.h"

#include <cstdint>
#include <limits>

#include "compiler/base/decl_text.h"

namespace qbc {

std::string ReportNumber(long value) {
  if (value < 0) return std::to_string(value);
  return " " + std::to_string(value);
}

void CompileError(CompilerState& st, std::string_view message) {
  if (st.ErrorCount == std::numeric_limits<std::int16_t>::max())
    throw CompileFailure("Overflow (too many compile errors)");
  if (st.report && st.ErrorCount == 0) st.report->SetText("");
  ++st.ErrorCount;
  if (st.report) {
    std::string line = ReportNumber(st.ErrorCount);
    line += ". ";
    line += message;
    line += " (\"";
    line += st.src.IncludeStack[st.src.IncludeLevel].FileName;
    line += "\" --> Line ";
    line += ReportNumber(st.src.SourceLineNumber);
    line += ")\r\n";
    st.report->Append(line);
  }
  ++st.src.TokenIndex;
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
