#pragma once
// The graphic LCD statements and functions for the four controllers (T6963C, HD61202,
// SED1520, PCD8544): drawing, images, fonts, clearing, text and number output and direct
// controller access. Each writes the call of the configured controller's routine and sets
// its used flag; a statement the controller has no routine for is refused.
#include "compiler/base/state.h"

namespace qbc {

void CompilePSetStatement(CompilerState& st);
void CompileCircleStatement(CompilerState& st);
void CompileLineStatement(CompilerState& st);
void CompileLineHStatement(CompilerState& st);
void CompileLineVStatement(CompilerState& st);
void CompileBoxStatement(CompilerState& st);
void CompileFillStatement(CompilerState& st);
void CompileInverseStatement(CompilerState& st);
std::uint8_t CompilePointFunction(CompilerState& st, std::uint8_t wanted);

void CompileImgSetStatement(CompilerState& st);
void CompileFontSetStatement(CompilerState& st);
void CompileGClsStatement(CompilerState& st);
void CompileTClsStatement(CompilerState& st);

void CompileGLcdStatement(CompilerState& st);
void CompileGNumStatement(CompilerState& st);
void CompileTLcdStatement(CompilerState& st);

void CompileContrastStatement(CompilerState& st);
void CompileTxtAreaSetStatement(CompilerState& st);
void CompileGrpAreaSetStatement(CompilerState& st);
void CompileTxtHomeSetStatement(CompilerState& st);
void CompileGrpHomeSetStatement(CompilerState& st);

void CompileGCursorStatement(CompilerState& st);
void CompileGCommandStatement(CompilerState& st);
void CompileGWriteStatement(CompilerState& st);
std::uint8_t CompileGReadFunction(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
