#pragma once
// The link step: flash table check, string constant pool, library routines in link order,
// variable summaries; and the success line.
#include "compiler/base/state.h"

namespace qbc {

void EmitLibraryAndSummary(CompilerState& st);

// The success line "Quorvil Compiler : N lines compiled OK" in place of the report, when no
// error was counted. The driver writes it once the .asm file is on the disk whole: a
// compilation whose file could not be written did not succeed.
void ReportCompiledOk(CompilerState& st);

}  // namespace qbc
