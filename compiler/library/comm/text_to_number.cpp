#include "compiler/library/comm/text_to_number.h"

#include <string>

#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/state.h"
#include "compiler/base/text_rows.h"
#include "compiler/codegen/emit_lines.h"

namespace qbc {

using textrows::kNoY16;
using textrows::kY16;
using textrows::Rows;
using textrows::SepStyle;

// The scans count the characters in r18 as well as looking for the 0 byte, so that a
// substring (which has no terminator of its own) converts exactly its characters. The
// zero-terminated entries start the count at 0: it runs out only after 256 characters,
// past the longest string.
// Decimal text: blanks and TABs before the number are skipped, then one "+" or "-" is
// taken, then digits up to the first character that is not one (the 0 byte among them);
// X is left one past that character. A typed "+42" or " 17" is the number the user meant.
void EmitInputBuffer(CompilerState& st) { EmitDataCell(st, kInputBuffer, kInputBufferBytes); }

void EmitStrToNumRoutine(CompilerState& st) {
  const std::string lo = std::string("xl,byte1(") + kInputBuffer + ")";
  const std::string hi = std::string("xh,byte2(") + kInputBuffer + ")";
  const Rows rows = {
      {"_Sb2Nm", "mov", "r18,r20"},
      {"", "rjmp", "_StrN0"},
      {"_StrNm", "ldi", lo},
      {"", "ldi", hi, kY16},
      // One-byte RAM addresses: xh must still be 0 (the hex routines use it as scratch).
      {"", "clr", "xh", kNoY16},
      {"_St2Nm", "clr", "r18"},
      {"_StrN0", "clt", ""},
      {"", "clr", "r19"},
      {"", "clr", "r20"},
      {"", "ldi", "r24,0x0a"},
      {"", "clr", "r25"},
      {"_StrBl", "dec", "r18"},
      {"", "breq", "_StrSg"},
      {"", "ld", "zl,X+"},
      {"", "cpi", "zl,0x20"},
      {"", "breq", "_StrBl"},
      {"", "cpi", "zl,0x09"},
      {"", "breq", "_StrBl"},
      {"", "cpi", "zl,0x2b"},
      {"", "breq", "_StrN1"},
      {"", "cpi", "zl,0x2d"},
      {"", "brne", "_StrS"},
      {"", "set", ""},
      {"_StrN1", "dec", "r18"},
      {"", "breq", "_StrSg"},
      {"", "ld", "zl,X+"},
      {"_StrS", "subi", "zl,0x30"},
      {"", "cpi", "zl,0x0a"},
      {"", "brsh", "_StrSg"},
      {"", "push", "zl"},
      {"", "mov", "zl,r19"},
      {"", "mov", "zh,r20"},
      {"", "rcall", "Mp16u"},
      {"", "pop", "r22"},
      {"", "add", "zl,r22"},
      {"", "adc", "zh,r25"},
      {"", "mov", "r19,zl"},
      {"", "mov", "r20,zh"},
      {"", "rjmp", "_StrN1"},
      {"_StrSg", "mov", "zl,r19"},
      {"", "mov", "zh,r20"},
      {"", "brtc", "_StrEx"},
      {"", "com", "zl"},
      {"", "com", "zh"},
      {"", "adiw", "zl,0x01"},
      {"_StrEx", "ret", ""},
  };
  textrows::WriteHeader(st, ";////// String to Num /////////////////////");
  textrows::WriteRows(st, rows, textrows::DeviceConds(st), SepStyle::kByKind);
  st.used.Set(NeedMul16u);
}

void EmitHexStrToNumRoutine(CompilerState& st) {
  static const Rows kRows = {
      {"_Sb2Hx", "mov", "r18,r20"},
      {"", "rjmp", "_Hx2N0"},
      {"_Hx2Nm", "clr", "r18"},
      {"_Hx2N0", "clr", "r24"},
      {"", "clr", "r25"},
      {"_Hx2N1", "dec", "r18"},
      {"", "breq", "_Hx2Ex"},
      {"", "ld", "zl,X+"},
      {"", "rcall", "_ToUp"},
      {"", "cpi", "zl,0x30"},
      {"", "brlo", "_Hx2Ex"},
      {"", "cpi", "zl,0x47"},
      {"", "brsh", "_Hx2Ex"},
      {"", "subi", "zl,0x30"},
      {"", "cpi", "zl,0x0a"},
      {"", "brlo", "_Hx2N2"},
      {"", "subi", "zl,0x07"},
      {"", "cpi", "zl,0x0a"},
      {"", "brlo", "_Hx2Ex"},
      {"_Hx2N2", "lsl", "r24"},
      {"", "rol", "r25"},
      {"", "lsl", "r24"},
      {"", "rol", "r25"},
      {"", "lsl", "r24"},
      {"", "rol", "r25"},
      {"", "lsl", "r24"},
      {"", "rol", "r25"},
      {"", "add", "r24,zl"},
      {"", "rjmp", "_Hx2N1"},
      {"_Hx2Ex", "mov", "zl,r24"},
      {"", "mov", "zh,r25"},
      {"", "ret", ""},
      {"_ToUp", "cpi", "zl,0x61"},
      {"", "brlo", "_ToUx"},
      {"", "cpi", "zl,0x7b"},
      {"", "brsh", "_ToUx"},
      {"", "subi", "zl,0x20"},
      {"_ToUx", "ret", ""},
  };
  textrows::WriteHeader(st, ";////// HexString to Num //////////////////");
  textrows::WriteRows(st, kRows, textrows::DeviceConds(st), SepStyle::kByKind);
}

// The same texts read into 32 bits, for a Long (or Float) result: zl, zh, r18, r19 = the
// value. The number is worked in r24, r25, r16, r17 (times ten as twice plus eight times)
// and the count of a substring's characters in r22; the character in r23.
void EmitStrToLongRoutine(CompilerState& st) {
  static const Rows kRows = {
      {"_Sb2Nl", "mov", "r22,r20"},
      {"", "rjmp", "_StL0"},
      {"_St2Nl", "clr", "r22"},
      {"_StL0", "clt", ""},
      {"", "clr", "r24"},
      {"", "clr", "r25"},
      {"", "clr", "r16"},
      {"", "clr", "r17"},
      {"_StLBl", "dec", "r22"},
      {"", "breq", "_StLSg"},
      {"", "ld", "r23,X+"},
      {"", "cpi", "r23,0x20"},
      {"", "breq", "_StLBl"},
      {"", "cpi", "r23,0x09"},
      {"", "breq", "_StLBl"},
      {"", "cpi", "r23,0x2b"},
      {"", "breq", "_StL1"},
      {"", "cpi", "r23,0x2d"},
      {"", "brne", "_StLS"},
      {"", "set", ""},
      {"_StL1", "dec", "r22"},
      {"", "breq", "_StLSg"},
      {"", "ld", "r23,X+"},
      {"_StLS", "subi", "r23,0x30"},
      {"", "cpi", "r23,0x0a"},
      {"", "brsh", "_StLSg"},
      {"", "lsl", "r24"},
      {"", "rol", "r25"},
      {"", "rol", "r16"},
      {"", "rol", "r17"},
      {"", "mov", "zl,r24"},
      {"", "mov", "zh,r25"},
      {"", "mov", "r18,r16"},
      {"", "mov", "r19,r17"},
      {"", "lsl", "r24"},
      {"", "rol", "r25"},
      {"", "rol", "r16"},
      {"", "rol", "r17"},
      {"", "lsl", "r24"},
      {"", "rol", "r25"},
      {"", "rol", "r16"},
      {"", "rol", "r17"},
      {"", "add", "r24,zl"},
      {"", "adc", "r25,zh"},
      {"", "adc", "r16,r18"},
      {"", "adc", "r17,r19"},
      {"", "add", "r24,r23"},
      // (clr leaves the carry of the add for the bytes above)
      {"", "clr", "r23"},
      {"", "adc", "r25,r23"},
      {"", "adc", "r16,r23"},
      {"", "adc", "r17,r23"},
      {"", "rjmp", "_StL1"},
      {"_StLSg", "mov", "zl,r24"},
      {"", "mov", "zh,r25"},
      {"", "mov", "r18,r16"},
      {"", "mov", "r19,r17"},
      {"", "brtc", "_StLEx"},
      {"", "com", "zl"},
      {"", "com", "zh"},
      {"", "com", "r18"},
      {"", "com", "r19"},
      {"", "subi", "zl,-0x01"},
      {"", "sbci", "zh,-0x01"},
      {"", "sbci", "r18,-0x01"},
      {"", "sbci", "r19,-0x01"},
      {"_StLEx", "ret", ""},
  };
  textrows::WriteHeader(st, ";////// String to Long ////////////////////");
  textrows::WriteRows(st, kRows, textrows::DeviceConds(st), SepStyle::kByKind);
}

void EmitHexStrToLongRoutine(CompilerState& st) {
  static const Rows kRows = {
      {"_Sb2Hl", "mov", "r22,r20"},
      {"", "rjmp", "_HxL0"},
      {"_Hx2Nl", "clr", "r22"},
      {"_HxL0", "clr", "r24"},
      {"", "clr", "r25"},
      {"", "clr", "r16"},
      {"", "clr", "r17"},
      {"_HxL1", "dec", "r22"},
      {"", "breq", "_HxLEx"},
      {"", "ld", "zl,X+"},
      // a small letter as its capital (anything from "a" up lands above "F" or on a letter)
      {"", "cpi", "zl,0x61"},
      {"", "brlo", "_HxL2"},
      {"", "subi", "zl,0x20"},
      {"_HxL2", "cpi", "zl,0x30"},
      {"", "brlo", "_HxLEx"},
      {"", "cpi", "zl,0x47"},
      {"", "brsh", "_HxLEx"},
      {"", "subi", "zl,0x30"},
      {"", "cpi", "zl,0x0a"},
      {"", "brlo", "_HxL3"},
      {"", "subi", "zl,0x07"},
      {"", "cpi", "zl,0x0a"},
      {"", "brlo", "_HxLEx"},
      {"_HxL3", "ldi", "r23,0x04"},
      {"_HxL4", "lsl", "r24"},
      {"", "rol", "r25"},
      {"", "rol", "r16"},
      {"", "rol", "r17"},
      {"", "dec", "r23"},
      {"", "brne", "_HxL4"},
      {"", "or", "r24,zl"},
      {"", "rjmp", "_HxL1"},
      {"_HxLEx", "mov", "zl,r24"},
      {"", "mov", "zh,r25"},
      {"", "mov", "r18,r16"},
      {"", "mov", "r19,r17"},
      {"", "ret", ""},
  };
  textrows::WriteHeader(st, ";////// HexString to Long /////////////////");
  textrows::WriteRows(st, kRows, textrows::DeviceConds(st), SepStyle::kByKind);
}

}  // namespace qbc
