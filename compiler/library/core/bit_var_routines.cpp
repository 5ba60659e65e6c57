#include "compiler/library/core/bit_var_routines.h"

#include "compiler/base/state.h"
#include "compiler/base/text_rows.h"

namespace qbc {

using textrows::Rows;

void EmitStoreBitVarRoutine(CompilerState& st) {
  static const Rows kRows = {
      {"_StBit", "clt", ""},
      {"", "sbrc", "zl,0"},
      {"", "set", ""},
      {"", "ret", ""},
  };
  textrows::WriteRoutine(st, ";////// Store BitVar //////////////////////", kRows);
}

void EmitVaBitRoutine(CompilerState& st) {
  // zl is incremented first so that bit number 0 takes one pass of the rotate.
  static const Rows kRows = {
      {"_VaBit", "sec", ""},
      {"", "clr", "r23"},
      {"", "inc", "zl"},
      {"_VaB1", "rol", "r23"},
      {"", "dec", "zl"},
      {"", "brne", "_VaB1"},
      {"", "ret", ""},
  };
  textrows::WriteRoutine(st, ";////// Store BitVar //////////////////////", kRows);
}

void EmitLoadBitVarRoutine(CompilerState& st) {
  static const Rows kRows = {
      {"_VaBiL", "", ""},
      {"", "lsr", "zl"},
      {"", "dec", "r24"},
      {"", "brne", "_VaBiL"},
      {"", "ret", ""},
  };
  textrows::WriteRoutine(st, ";////// Load BitVar //////////////////////", kRows);
}

}  // namespace qbc
