#pragma once
// The labels the program's jumps name, checked once the whole program is read: a Goto or
// On ... Goto to a label the program never defines (in its BASIC lines or its assembler
// lines) is reported at the jump's line, not by the assembler at a line of the .asm.
#include <map>
#include <string>
#include <vector>

#include "compiler/base/state.h"

namespace qbc {

struct GotoTargetCells {
  struct Use {
    std::string Target;  // the label as the tokenizer holds it
    std::string FileName;
    std::int32_t LineNumber = 0;
  };
  std::vector<Use> Uses;
  std::map<std::string, bool> AsmLabels;  // lower case
};

// Records the label a Goto or On ... Goto jumps to, at the current line.
void NoteGotoTarget(CompilerState& st, const std::string& label);

// Records the label an assembler line of the program defines ("name:" at its start).
void NoteAsmLabel(CompilerState& st, const std::string& line);

}  // namespace qbc
