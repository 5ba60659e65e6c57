#pragma once
// The PCD8544 driver routines (84 x 48 pixels over a four-wire serial line): the base that
// the link step writes whenever the display is configured (initialisation, clearing,
// addressing, the serial shifter, contrast), the images and inverse display, and the
// text, number and hex output in the selected font.
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

void EmitPcd8544GraphLcdInitRoutines(CompilerState& st);
void EmitPcd8544ImgSetRoutine(CompilerState& st);
void EmitPcd8544ImgArraySetRoutine(CompilerState& st);
void EmitPcd8544InverseRoutine(CompilerState& st);
void EmitPcd8544GraphCharPrintRoutine(CompilerState& st);
void EmitPcd8544StringRoutine(CompilerState& st);
void EmitPcd8544StringConstRoutine(CompilerState& st);
void EmitPcd8544NumbersRoutine(CompilerState& st);
void EmitPcd8544HexRoutine(CompilerState& st);

// Routine text with the display's pins filled in: "{SDIN}", "{SCLK}", "{DC}" and "{SCE}"
// stand for the port and pin operand ("PORTB,0"), "{DDR_SDIN}" ... for the direction bit.
void WritePcd8544Text(CompilerState& st, std::string_view block);

}  // namespace qbc
