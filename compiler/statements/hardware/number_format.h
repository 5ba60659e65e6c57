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

// Link step: declares the number text cells the program uses that the head did not
// declare: the cells the Format and LeadChar statements store into when "$leadchar" gave
// no such setting (set to "no format, no fill character" in the start-up code, before any
// number is turned into text), and the float text buffer when floats are turned into
// text without a float variable.
void DeclareLateNumberTextCells(CompilerState& st);
bool LateNumberTextCellsMissing(const CompilerState& st);

}  // namespace qbc
