#pragma once
// Compile errors reported away from the statement being compiled: at an earlier line of
// the source (checks made once the whole program is read), and for a failure of the
// compiler met while compiling a line. Files that cannot be read or written are no fault
// of a line: they keep the failure channel.
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "compiler/base/compile_failure.h"
#include "compiler/base/state.h"

namespace qbc {

// A file of the installation or the document's folder that cannot be opened, read or
// written: the environment reports it on its failure channel.
class FileAccessFailure : public CompileFailure {
 public:
  using CompileFailure::CompileFailure;
};

// A compile error at `lineNumber` of `fileName`: the current file, line and token index
// stay as they are.
void CompileErrorAt(CompilerState& st, const std::string& fileName, std::int32_t lineNumber, std::string_view message);

// A failure of the compiler met while compiling the current line (a compiler bound, a
// value it cannot hold, an exception of the library): listed and counted like a compile
// error at that line. The compiler's own failures keep their text; any other exception is
// an internal error. Never throws, also past the error limit.
void ReportCompilerFailure(CompilerState& st, const std::exception& failure) noexcept;

}  // namespace qbc
