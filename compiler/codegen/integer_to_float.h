#pragma once
// An integer value converted to a float: its bytes widened into r22..r25 (an integer keeps
// its sign) and the conversion routine called (_Fs2f; the float lies in A afterwards). The
// value comes from the work registers, a global variable or a frame slot.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// Where the integer's bytes are read from: one line "mnemonic  r2x,source(k)" for byte k.
struct IntegerBytes {
  std::string_view mnemonic;
  std::function<std::string(int k)> source;
  bool inMemory = false;
};

// From the work registers (zl, zh, r18, r19).
IntegerBytes IntegerInWorkRegisters();
// From memory: a global variable at `name` (lds) or the frame slot at y+`displacement` (ldd).
IntegerBytes IntegerAt(const std::string& name);
IntegerBytes IntegerInFrame(int displacement);

// How the bytes above a shorter integer are written. The generators write each form
// somewhat differently; every form gives the same float.
struct UpperBytesForm {
  // Above an unsigned value: r24 cleared and copied into r25 ("mov r25,r24") instead of
  // each byte cleared, for a word (`wordCopies`) or also for a byte (`byteCopies`, whose
  // r23 is cleared first).
  bool wordCopies = false;
  bool byteCopies = false;
  // Above an integer read from the registers r24 becomes 0xff by "sbrc r23,<bit 7>" and
  // "com r24", spelled "7" or "0x07"; read from memory r24:r25 are loaded with 0 or 0xff
  // on two branches.
  std::string_view signBit = "7";
};

// The integer of `type` (byte, integer, word, long) converted; marks the float core used.
// Returns false, writing nothing, for any other type.
bool EmitIntegerToFloat(CompilerState& st, std::uint8_t type, const IntegerBytes& from, const UpperBytesForm& form = {});

}  // namespace qbc
