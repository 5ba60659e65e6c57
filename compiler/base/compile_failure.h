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

}  // namespace qbc
