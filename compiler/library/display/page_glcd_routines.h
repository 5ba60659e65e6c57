#pragma once
// The drivers of the two page-organised graphic LCD families: the HD61202/KS0108 (one or
// two chips of 64 columns x 8 pages, label prefix _HD) and the SED1520 (two controllers of
// 61 columns x 4 pages, prefix _S0). Each family has its own controller access; the
// drawing, text and image routines are one text for both, written with the family's
// prefix. `type` is the controller number of the $glcd line: 2 HD61202, 3 SED1520.
//
// Nothing outside the panel is ever sent: the write and read routines pass over a column
// or page beyond the panel (min(width, the chips' columns) x height / 8), where the
// controllers would take the address as another command.
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "compiler/base/state.h"

namespace qbc {

void EmitHd61202GraphLcdInitRoutines(CompilerState& st);
void EmitSed1520GraphLcdInitRoutines(CompilerState& st);

void EmitPageGlcdPsetRoutine(CompilerState& st, int type);
void EmitPageGlcdCalcPixRoutine(CompilerState& st, int type);
void EmitPageGlcdInverseRoutine(CompilerState& st, int type);
void EmitPageGlcdFillRoutine(CompilerState& st, int type);
void EmitPageGlcdLineHRoutine(CompilerState& st, int type);
void EmitPageGlcdLineVRoutine(CompilerState& st, int type);
void EmitPageGlcdBoxRoutine(CompilerState& st, int type);
void EmitPageGlcdCircleRoutine(CompilerState& st, int type);
void EmitPageGlcdLineRoutine(CompilerState& st, int type);
void EmitPageGlcdPointRoutine(CompilerState& st, int type);

void EmitPageGlcdNumbersRoutine(CompilerState& st, int type);
void EmitPageGlcdStringRoutine(CompilerState& st, int type);
void EmitPageGlcdStringConstRoutine(CompilerState& st, int type);
void EmitPageGlcdHexRoutine(CompilerState& st, int type);
void EmitPageGlcdCharPrintRoutine(CompilerState& st, int type);
void EmitPageGlcdImgSetRoutine(CompilerState& st, int type);
void EmitPageGlcdImgArraySetRoutine(CompilerState& st, int type);

// Routine text with the family's operands filled in: "{P}" the label prefix, "{DATA}" the
// data port, "{DDR}"/"{PIN}" its direction and input registers, "{CDDR}" the control
// port's direction register, "{L1}" .. "{L6}" the control lines ("PORTC,3"), "{COLS}" and
// "{PAGES}" the panel's column and page count, "{LASTCOL}" and "{LASTPAGE}" the last of
// each.
void WritePageGlcdText(CompilerState& st, int type, std::string_view block);

// Reports each control line the driver drives but the $gctrl line did not name (its
// operands would lack the pin and the assembler would refuse them); true when all are
// there. `lines` pairs the $gctrl name with its cell number (1 .. 6).
bool PageGlcdLinesNamed(CompilerState& st, std::initializer_list<std::pair<const char*, int>> lines);

// The bit of a control line in the port's direction mask (0 for a line not named).
int PageGlcdPinMask(const std::string& digit);

// The label prefix of a family.
std::string_view PageGlcdPrefix(int type);

}  // namespace qbc
