#pragma once
// The string constant pool: every distinct string literal of the program is stored once
// in flash, zero-terminated, under a label S000 .. S255; the code addresses it by its byte
// address (label times 2) in Z, and in RAMPZ on devices with more than 64 KB of flash.
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// The pool number of `text` (case-sensitive match), adding it when it is new. A 257th
// distinct text passes the table's bound: the compilation stops with a bounds failure.
int AddStringConstant(CompilerState& st, const std::string& text);

// Z (and RAMPZ where the flash needs it) = the flash byte address of pool entry
// `poolNumber`. Changes r18 on RAMPZ devices.
void EmitLoadFlashAddressZ(CompilerState& st, int poolNumber);

// The ".db" operands of one pooled text: the text between double quotes and ", 0". The
// assembler drops the terminating 0 of some quoted texts that hold an apostrophe ("it's"),
// so every apostrophe is written as its code, 39, outside the quotes ("it", 39, "s", 0).
std::string PoolDataOperands(const std::string& text);

// Written by the link step after the user code: "; String constants:", one line per
// pooled text ("S000:", TAB, ".db", TAB, the operands above) and an empty line; nothing
// when the pool is empty.
void EmitStringConstantPool(CompilerState& st);

}  // namespace qbc
