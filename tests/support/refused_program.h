#pragma once
// A program that the compiler must refuse, fed to qbc as a user would: the build ends with
// exit status 1, its first compile error is numbered 1 and names the BASIC line at fault,
// the assembler reported nothing (its lines name the .asm) and no .hex was left.
//
//   ExpectRefused("$device = m8\n$clock = 8\n$stack = 32\nWaitms -1\nEnd\n", 4,
//                 "Must be from 0 to 255!");
#include <string>

namespace qbc::test {

// `message` is the first error's text, or its beginning; `line` counts from 1.
void ExpectRefused(const std::string& program, int line, const std::string& message);

// The number of lines `text` ends (its "\n" characters).
int LineCount(const std::string& text);

}  // namespace qbc::test
