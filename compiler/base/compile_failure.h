#pragma once
// A run-time failure of the compiler itself (a table bound passed, a file that cannot be
// read, a line too long, ...). It ends the compilation: the driver catches it, closes its
// files and hands the description to the report sink's failure channel.
#include <stdexcept>
#include <string>

namespace qbc {

class CompileFailure : public std::runtime_error {
 public:
  explicit CompileFailure(const std::string& description) : std::runtime_error(description) {}
};

// A limit of the compiler met by the source (nesting depth, table size, line length): it
// has been reported as a numbered compile error, and the compilation ends where it is,
// since what follows could not be compiled right. The driver catches it; it is no
// failure of the compiler.
struct CompilationStopped {};

}  // namespace qbc
