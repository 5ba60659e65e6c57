#pragma once
// The few register sequences that several string generators write.
#include <string>
#include <initializer_list>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc::strlines {

// Pointers and counters of the generated code take two bytes above 256 bytes of RAM.
inline bool LargeRam(const CompilerState& st) { return st.dev.RamEnd > 256; }

// The result of a function that leaves a byte in zl (Len, Instr), a 16-bit number in zl,
// zh or a 32-bit one in zl, zh, r18, r19 (Val, HexVal), widened to the type the expression
// wants: the assignment stores and the operators take every byte of that type, so the
// upper bytes must be set. `signedValue`: a 16-bit result is signed (Val). With `toSecond`
// the value is moved to the second-operand registers (a left operand loaded without a
// push).
void WidenResult(CompilerState& st, int resultBytes, bool signedValue, std::uint8_t wanted, bool toSecond);

// r20 = zl + 1, the limit of a substring of zl characters; 255 characters give 255 (the
// widest limit the store routines take), not 0.
void SubstringLimitFromZl(CompilerState& st);

}  // namespace qbc::strlines

namespace qbc::strlines {

// Records that code a handler may run copies strings below Y (see handler_areas.h).
void NoteStringScratch(CompilerState& st);

// A substring (Z on its first character, r20 = characters + 1) copied with its terminator
// into a scratch area taken below Y on the software stack, so that the compare routines,
// which read up to a terminator, see only its characters. Z = the copy; `sizeReg` (r21 or
// r22) = the bytes taken, min(length, r20 - 1) + 1; X is kept. Uses r20, r22..r24.
void CopySubstringToScratch(CompilerState& st, const char* sizeReg);

// The character in `reg` as a one-character text in a scratch area of two bytes taken below
// Y on the software stack: X (`intoX`) or Z = the text, `sizeReg` = 2. Uses r23.
void CharacterToScratch(CompilerState& st, const char* reg, bool intoX, const char* sizeReg);

// `bytes` of the software stack taken below Y for a text made or copied there: a
// procedure's locals lie that much further from Y until they are given back.
void TakeScratchBelowY(CompilerState& st, int bytes);

// Gives back the scratch areas of CopySubstringToScratch (their sizes in `sizeRegs`)
// without changing the flags a compare left. Uses r23, r24.
void ReleaseScratch(CompilerState& st, std::initializer_list<const char*> sizeRegs);

// The float in r22..r25 as text (by the number format: _Fdp into _s2tmp, else _Fstr
// into _s1tmp); Z = the text. Sets the flags of the float routines the text needs.
void EmitFloatToText(CompilerState& st);

// Str's number in the working registers (OperandType a byte, integer, word, long or float)
// as its text, Z on it: an integer's digits made below Y, a Float's in its text buffer; X
// is kept. OperandType becomes a string. False, with nothing written, for any other
// OperandType.
bool NumberAsText(CompilerState& st);

// The text at Z (a number's text, made below Y or in a buffer) copied into a scratch area
// of a number text's largest size taken below Y, where a text made after it does not write
// over it: Z = the copy. Y as it was is kept on the hardware stack until GiveBackKeptText
// takes it back (the flags a compare left stay). Uses r20, r24.
void KeepTextAside(CompilerState& st);
void GiveBackKeptText(CompilerState& st);

}  // namespace qbc::strlines
