#pragma once
// The registers a handler keeps for the code it interrupts. Each Save level names a set;
// the level is a minimum: the handler keeps as well every register of the "all" set that
// the code it runs changes (its statements, the procedures and library routines they call,
// and its own entry), as the generated text shows (code_reach.h).
//
// The "all" set covers every register the generated code and the library change: r0 to
// r2, r16 to r25 of the long and float code, r7 (the sign of the 32-bit division and the
// zero byte of the float core), X and Z; in a program with a graphic display also r8 to
// r15, which the drawing routines use as scratch while the float functions, float-to-text
// and DTMF hold live values there (every other routine that uses them keeps them itself).
// Left out: r3 and r4, the program's bit variables, which a handler changes on purpose;
// r5 and r6 (For loop ends), pushed by every loop and by each routine that borrows them;
// Y, which the handler's own software stack replaces.
#include <bitset>
#include <string>
#include <vector>

namespace qbc {

// Save levels 0 to 4 as written, 5 for "all".
inline constexpr int kSaveAll = 5;

// In push order: the "all" set's order, which every level's own set follows.
std::vector<int> HandlerSaveSet(int level, bool drawing, const std::bitset<32>& changed);
// "zl", "xh", "r24", ...: the names the generated code writes.
std::string RegisterName(int r);

}  // namespace qbc
