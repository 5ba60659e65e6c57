#pragma once
// Jumps that reach their targets. The generators and the library write their jumps, calls
// and branches to a label in the relative forms (rjmp, rcall: 2K words either way; a
// branch: 64), which a long block body, a far procedure or a large library puts beyond
// reach. Once the whole program is written, its placing as avra places it (asm_view.h)
// tells each such line's distance, and only a line out of reach is written otherwise:
// - on a chip with jmp and call (more than 8 KB of flash), in the long form: rjmp as jmp,
//   rcall as call, a branch as the opposite branch over a jmp. A longer line moves the
//   code after it, so the placing is worked out again until no jump is left out of reach;
//   the offsets from the program counter ("PC+0x02") over a longer line grow with it;
// - on a chip without them (4K words of flash or less), whose program counter runs round
//   the end of its flash, an rjmp or rcall reaches every word of it: avra writes the
//   offset round the end itself, so such a line stays as it is (a program larger than
//   the flash is refused by the assembler for its size). A branch becomes the opposite
//   branch over an rjmp;
// - a jump that no form reaches (a branch a skip stands before, an offset from the
//   program counter that a longer line puts out of reach) is a compile error at the
//   source line that wrote it.
// A program whose jumps all reach is left as it is, to the byte.
#include "compiler/base/state.h"
#include "compiler/codegen/handlers/asm_view.h"

namespace qbc {

// `layout`: the finished output as avra places it (Keep::kLayout or kAll), read from
// st.out as it stands.
void ReachFarTargets(CompilerState& st, const AsmView& layout);

}  // namespace qbc
