#pragma once
// The run-time file table of the source readers: the main source (tmp.tmp) and the
// $include files are opened here under a file number and read line by line. A file is held
// whole in memory; lines end in CR LF, LF or a lone CR (the last line may lack its end).
#include <cstddef>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Opens a file for line input under the lowest free file number and returns that number.
// A file that cannot be read is a run-time failure (CompileFailure).
int OpenSourceFile(CompilerState& st, const std::string& path);

// Opens a text held in memory as if it were a file called `name` (for tests and for
// sources that do not come from a file).
int OpenSourceText(CompilerState& st, const std::string& name, std::string text);

// Closes the file; closing a file number that is not open does nothing.
void CloseSourceFile(CompilerState& st, int fileNumber);
void CloseAllSourceFiles(CompilerState& st);

bool IsSourceFileOpen(CompilerState& st, int fileNumber);
// Size of the open file in bytes.
std::size_t SourceFileSize(CompilerState& st, int fileNumber);
// True when every line of the file has been read.
bool SourceFileAtEnd(CompilerState& st, int fileNumber);
// The next line without its line end, untrimmed. Reading past the end of the file is a
// run-time failure ("Input past end of file").
std::string ReadRawSourceLine(CompilerState& st, int fileNumber);

}  // namespace qbc
