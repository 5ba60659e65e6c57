#pragma once
// The one reporter of compile errors, and the expected-token check built on it. A compile
// error never stops the compilation: it is listed in the report box, counted, and the
// token index moves on so that the generator can return and the next statement follows.
#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// A number as the report lines write it: a blank before a non-negative number, "-" before
// a negative one (" 1", " 12", "-3").
std::string ReportNumber(long value);

// Appends " N. message ("file" --> Line  L)" and CR LF to the report box (clearing the box
// first at the first error of a compilation), counts the error and moves TokenIndex on by
// one. The file is the one being read (IncludeStack at IncludeLevel).
void CompileError(CompilerState& st, std::string_view message);

// A compile error at the current token that leaves the token index where it stands: the
// parse goes on from the same token, as if the reporter had taken no step.
void ReportInPlace(CompilerState& st, std::string_view message);

// Whether a compile error was reported since the watch was set (or restarted): a
// statement checks with it that its earlier parts went through before it goes on.
class ErrorWatch {
 public:
  explicit ErrorWatch(const CompilerState& st) : st_(st), count_(st.ErrorCount) {}
  bool Seen() const { return st_.ErrorCount != count_; }
  void Restart() { count_ = st_.ErrorCount; }

 private:
  const CompilerState& st_;
  std::int16_t count_;
};

// A limit of the compiler met by the source: reports `message` (which names the limit)
// like CompileError, then ends the compilation (throws CompilationStopped).
[[noreturn]] void StopAtCompilerLimit(CompilerState& st, std::string_view message);

// On a match moves TokenIndex on by one; otherwise reports "Missing " and the expected
// text in capitals between double quotes, and the index moves on by two in all.
void ExpectToken(CompilerState& st, std::string_view expected);

}  // namespace qbc
