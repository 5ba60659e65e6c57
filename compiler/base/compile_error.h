#pragma once
// The one reporter of compile errors, and the expected-token check built on it. A compile
// error never stops the compilation: it is listed in the report box, counted, and the
// token index moves on so that the generator can return and the next statement follows.
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

// A limit of the compiler met by the source: reports `message` (which names the limit)
// like CompileError, then ends the compilation (throws CompilationStopped).
[[noreturn]] void StopAtCompilerLimit(CompilerState& st, std::string_view message);

// On a match moves TokenIndex on by one; otherwise reports "Missing " and the expected
// text in capitals between double quotes, and the index moves on by two in all.
void ExpectToken(CompilerState& st, std::string_view expected);

}  // namespace qbc
