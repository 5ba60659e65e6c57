#pragma once
// Format and LeadChar: the number format of the number-to-text routines, changed while the
// program runs.
//
//   LeadChar = "c"                    _lchr = the fill character
//   Format(digits | scientific, decimals)
//                                     _fmtC = positions before the point (0: scientific),
//                                     _fmtD = decimals
// A literal argument also sets the compile-time setting, which chooses the form of the
// number-to-text routines and the float text of later statements.
#include "compiler/base/state.h"

namespace qbc {

void CompileLeadCharStatement(CompilerState& st);
void CompileFormatStatement(CompilerState& st);

// Link step: declares the cells the statements store into that the head did not declare
// ("$leadchar" gave no such setting), and sets them to "no format, no fill character" in
// the start-up code, before any number is turned into text.
void DeclareStatementFormatCells(CompilerState& st);
bool StatementFormatCellsMissing(const CompilerState& st);

}  // namespace qbc
