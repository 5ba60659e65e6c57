#pragma once
// "$" lines met after the first pass: inline assembler blocks, included source and
// assembler files, the listing switch, register aliases and the SPI and timer settings.
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Entered on the "$"; leaves "<EOL>" as the current token (the rest of the line is not
// compiled), so the statement loop goes on with the next line.
void CompileMetaStatement(CompilerState& st);

// $def alias "=" register ["." bit]: entered on the word def (also by the first pass).
void ParseDefMetaStatement(CompilerState& st);

// The path of a file named in $include / $includeasm: "\" read as "/", and a relative
// name taken in the folder of the document being compiled (never the process's current
// folder).
std::string IncludedFilePath(const CompilerState& st, const std::string& name);

}  // namespace qbc
