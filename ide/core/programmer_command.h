#pragma once
// The programmer's command: its executable, then the user's command-line text, then the
// document's .hex file. The command line is split the shell's way (blanks separate;
// quotes and backslashes group), and the program's path and the file name are passed as
// they are, so paths with blanks stay whole.
#include <string>
#include <vector>

namespace qbc {

// Splits a text into words as a POSIX shell does (no expansions): blanks and tabs
// separate; '...' keeps everything literally; "..." keeps blanks, and \ escapes " \ $ `
// inside it; an unquoted \ takes the next character literally.
std::vector<std::string> SplitShellWords(const std::string& text);

// The programmer's arguments. Nothing is put between the command-line text and the file
// name: when the text ends in a blank (or is empty) the file is an argument of its own,
// otherwise it continues the last word ("-Uflash:w:" and the file make one argument).
std::vector<std::string> ProgrammerArguments(const std::string& cmdLine, const std::string& hexFile);

// The command as one text, for the message that tells it could not be started.
std::string ProgrammerCommandText(const std::string& program, const std::string& cmdLine, const std::string& hexFile);

}  // namespace qbc
