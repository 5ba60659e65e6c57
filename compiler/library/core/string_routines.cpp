#include "compiler/library/core/string_routines.h"

#include <string>

#include "compiler/base/state.h"
#include "compiler/base/text_rows.h"

namespace qbc {

using textrows::kBigRam;
using textrows::Row;
using textrows::Rows;

void EmitStringCompareRoutine(CompilerState& st) {
  static const Rows kRows = {
      {"", "", "_StrCmp:clt"},
      {"_StrC3", "ld", "r24,X+"},
      {"", "ld", "r25,Z+"},
      {"", "cp", "r24,r25"},
      {"", "brne", "_StrC2"},
      {"", "tst", "r24"},
      {"", "breq", "_StrC1"},
      {"", "tst", "r25"},
      {"", "breq", "_StrC1"},
      {"", "rjmp", "_StrC3"},
      {"_StrC2", "set", ""},
      {"_StrC1", "ret", ""},
  };
  textrows::WriteRoutine(st, ";////// StringCompare /////////////////////", kRows);
}

void EmitStringConstCompareRoutine(CompilerState& st) {
  static const Rows kRows = {
      {"_StCCp", "push", "xl"},
      {"", "push", "xh"},
      {"_StCC2", "ld", "r24,X+"},
      {"", "@lpm", ""},
      {"", "cp", "r24,r0"},
      {"", "brne", "_StCC1"},
      {"", "tst", "r24"},
      {"", "brne", "_StCC2"},
      {"_StCC1", "pop", "xh"},
      {"", "pop", "xl"},
      {"", "ret", ""},
  };
  textrows::WriteRoutine(st, ";////// StringConstCompare ////////////////", kRows);
}

void EmitLenStrRoutine(CompilerState& st) {
  static const Rows kRows = {
      {"_LenS", "clr", "r22"},
      {"_LenS1", "ld", "r23,Z+"},
      {"", "tst", "r23"},
      {"", "breq", "_LenS2"},
      {"", "inc", "r22"},
      {"", "rjmp", "_LenS1"},
      {"_LenS2", "mov", "zl,r22"},
      {"", "ret", ""},
  };
  textrows::WriteRoutine(st, ";////// Len Str ///////////////////////////", kRows);
}

void EmitLenStrConstRoutine(CompilerState& st) {
  static const Rows kRows = {
      {"_LenC", "clr", "r22"},
      {"_LenC1", "@lpm", ""},
      {"", "tst", "r0"},
      {"", "breq", "_LenC2"},
      {"", "inc", "r22"},
      {"", "rjmp", "_LenC1"},
      {"_LenC2", "mov", "zl,r22"},
      {"", "ret", ""},
  };
  textrows::WriteRoutine(st, ";////// Len StrConst //////////////////////", kRows);
}

void EmitStoreStrRoutine(CompilerState& st) {
  static const Rows kRows = {
      {"_StStr", "tst", "r20"},
      {"", "breq", "_Str4"},
      {"_Str3", "ld", "r24,Z+"},
      {"", "tst", "r24"},
      {"", "breq", "_Str2"},
      {"", "dec", "r20"},
      {"", "breq", "_Str1"},
      {"", "st", "X+,r24"},
      {"", "rjmp", "_Str3"},
      {"_Str1", "clr", "r24"},
      {"_Str2", "st", "X+,r24"},
      {"", "sbiw", "xl,0x01"},
      {"_Str4", "ret", ""},
  };
  textrows::WriteRoutine(st, ";////// StoreStr //////////////////////////", kRows);
}

void EmitStoreStrConstRoutine(CompilerState& st) {
  static const Rows kRows = {
      {"_StStC", "tst", "r20"},
      {"", "breq", "_StSC4"},
      {"_StSC3", "@lpm", ""},
      {"", "tst", "r0"},
      {"", "breq", "_StSC2"},
      {"", "dec", "r20"},
      {"", "breq", "_StSC1"},
      {"", "st", "X+,r0"},
      {"", "rjmp", "_StSC3"},
      {"_StSC1", "clr", "r0"},
      {"_StSC2", "st", "X+,r0"},
      {"", "sbiw", "xl,0x01"},
      {"_StSC4", "ret", ""},
  };
  textrows::WriteRoutine(st, ";////// StoreStrConst /////////////////////", kRows);
}

void EmitInitStrArrayRoutine(CompilerState& st) {
  // _StStC leaves r20 = capacity less the characters stored; when it had to cut the text
  // r20 is 0 and the terminator sits on the last byte of the variable, so exactly one
  // byte remains to be written. Without the guard the fill loop would count down from 0
  // and write 256 bytes over the following variables.
  static const Rows kRows = {
      {"_StrI", "mov", "r24,zl"},
      {"", "mov", "r25,zh"},
      {"_StrI1", "mov", "r20,r22"},
      {"", "mov", "zl,r24"},
      {"", "mov", "zh,r25"},
      {"", "@call", "_StrZ"},
      {"", "dec", "r21"},
      {"", "brne", "_StrI1"},
      {"", "ret", ""},
      {"_StrZ", "@call", "_StStC"},
      {"", "tst", "r20"},
      {"", "brne", "_StrX"},
      {"", "inc", "r20"},
      {"_StrX", "st", "X+,r0"},
      {"", "dec", "r20"},
      {"", "brne", "_StrX"},
      {"", "ret", ""},
  };
  textrows::WriteRoutine(st, ";////// Init StrArray ////////////////////", kRows);
}

void EmitLcaseRoutine(CompilerState& st) {
  static const Rows kRows = {
      {"_Lcase", "ld", "r24,Z+"},
      {"", "tst", "r24"},
      {"", "breq", "_Lcas2"},
      {"", "cpi", "r24,0x5b"},
      {"", "brsh", "_Lcas1"},
      {"", "cpi", "r24,0x41"},
      {"", "brlo", "_Lcas1"},
      {"", "subi", "r24,-0x20"},
      {"_Lcas1", "st", "X+,r24"},
      {"", "rjmp", "_Lcase"},
      {"_Lcas2", "st", "X+,r24"},
      {"", "ret", ""},
  };
  textrows::WriteRoutine(st, ";////// Lcase ////////////////////////////", kRows);
}

void EmitUcaseRoutine(CompilerState& st) {
  static const Rows kRows = {
      {"_Ucase", "ld", "r24,Z+"},
      {"", "tst", "r24"},
      {"", "breq", "_Ucas2"},
      {"", "cpi", "r24,0x7b"},
      {"", "brsh", "_Ucas1"},
      {"", "cpi", "r24,0x61"},
      {"", "brlo", "_Ucas1"},
      {"", "subi", "r24,0x20"},
      {"_Ucas1", "st", "X+,r24"},
      {"", "rjmp", "_Ucase"},
      {"_Ucas2", "st", "X+,r24"},
      {"", "ret", ""},
  };
  textrows::WriteRoutine(st, ";////// Ucase ////////////////////////////", kRows);
}

// Substring search, written as whole blank-padded lines (label and mnemonic fields eight
// columns wide); only the flash read is built with the layout separators.
//
// r20 counts the searched characters read while no partial match is open, so it ends as
// the 1-based position of the match's first character. r21 counts the characters read
// inside an open partial match: when that match breaks, X goes back by that count, so the
// search resumes one character after the abandoned start and no possible start is
// skipped ("aaab" searched for "aab" finds 2). zh is saved and restored on every device:
// a sought text in flash may cross a 256-byte boundary even where SRAM fits in one page.
void EmitInstrRoutine(CompilerState& st) {
  static const Rows kHead = {
      {"", "", "_Instr: ldi     r20,0x01"},
      {"", "", "_Inst:  clr     r21"},
      {"", "", "        ld      r25,X"},
      {"", "", "        tst     r25"},
      {"", "", "        breq    _Inst4"},
      {"", "", "        mov     r18,zl"},
      {"", "", "        mov     r19,zh"},
      // Step over the characters before the start position; a start of 0 or one past
      // the end meets the terminator and gives 0 instead of searching foreign memory.
      {"", "", "        dec     r20"},
      {"", "", "        breq    _InstB"},
      {"", "", "        mov     r21,r20"},
      {"", "", "_InstA: ld      r25,X+"},
      {"", "", "        tst     r25"},
      {"", "", "        breq    _Inst4"},
      {"", "", "        dec     r21"},
      {"", "", "        brne    _InstA"},
      {"", "", "_InstB: clt"},
      {"", "", "_Inst2: cpi     r24,0x01"},
      {"", "", "        brne    _inSt7 "},
      {"", "@lpm", ""},
      {"", "", "        rjmp    _inSt8"},
      {"", "", "_inSt7: ld      r0,Z+"},
      {"", "", "_inSt8: tst     r0"},
      {"", "", "        breq    _Inst3"},
      {"", "", "_Inst1: ld      r25,X+"},
      {"", "", "        tst     r25"},
      {"", "", "        breq    _Inst4"},
      {"", "", "        brts    _Inst9"},
      {"", "", "        inc     r20"},
      {"", "", "        rjmp    _Inst6"},
      {"", "", "_Inst9: inc     r21"},
      {"", "", "_Inst6: cp      r0,r25"},
      {"", "", "        brne    _Inst5"},
      {"", "", "        Set"},
      {"", "", "        rjmp    _Inst2"},
      {"", "", "_Inst5: brtc    _Inst1"},
      {"", "", "        clt"},
      {"", "", "        mov     zl,r18"},
      {"", "", "        mov     zh,r19"},
      {"", "", "        sub     xl,r21"},
      {"", "", "        sbci    xh,0x00", kBigRam},
      {"", "", "        clr     r21"},
      {"", "", "        rjmp    _Inst2"},
      {"", "", "_Inst3: brtc    _Inst4"},
      {"", "", "        mov     zl,r20"},
      {"", "", "        ret"},
      {"", "", "_Inst4: clr     zl"},
      {"", "", "        ret"},
  };
  textrows::WriteRoutine(st, ";////// Instr ////////////////////////////", kHead);
}

}  // namespace qbc
