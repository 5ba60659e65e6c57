#pragma once
// The program head: data segment and system variables, vector table and start-up code,
// peripheral initialisation and the banner that opens the user's code.
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Writes the whole head (declared in seams.h as well).
void EmitProgramPrologue(CompilerState& st);

// One block of the data segment: the segment line, then the variables of one storage
// class (0 SRAM, 1 external RAM).
void EmitDataSegment(CompilerState& st, const std::string& segment, std::uint8_t storageClass);

// TABs between a variable's label and ".byte", by the length of its name.
std::string DataSegmentPad(std::size_t nameLength);

}  // namespace qbc
