#pragma once
// Decimal and hexadecimal text to a 16-bit number (behind Val, HexVal and numeric Input),
// and to a 32-bit one (Val and HexVal into a Long).
//
//   _StrNm  converts the numeric input buffer _InBuf
//   _St2Nm  X = zero-terminated text
//   _Sb2Nm  X = first character of a substring, r20 = its number of characters plus one
//           (the substring form of the string functions); converts exactly that many
//           characters, or up to a 0 byte met earlier
//     -> zl:zh = value (TABs skipped, "-" anywhere negates, other characters count as
//        digits worth code - 0x30, value kept to 16 bits). Calls Mp16u; changes X, r18,
//        r19, r20, r22, r24, r25, T and what Mp16u changes.
//   _Hx2Nm  X = text; _Sb2Hx X = substring, r20 = characters plus one
//     -> zl:zh = value of the leading hexadecimal digits (either case). Changes X, r18,
//        r24, r25.
// The same in 32 bits, for a Long or Float result (Val and HexVal):
//   _St2Nl  X = text; _Sb2Nl X = substring, r20 = characters plus one
//     -> zl:zh:r18:r19 = value (read as _St2Nm reads it). Changes X, r16, r17, r22..r25, T.
//   _Hx2Nl  X = text; _Sb2Hl X = substring, r20 = characters plus one
//     -> zl:zh:r18:r19 = value of the leading hexadecimal digits. Changes X, r16, r17,
//        r22..r25.
namespace qbc {
struct CompilerState;

// The line buffer of a number's Input (every UART's and software channel's line input
// fills it, _StrNm converts it): at most six characters and the 0 byte. A cell of its own
// in the data, which the memory check counts: below the software stack it lay in the
// hardware stack's bytes, where return addresses overwrote the typed digits, and in the
// copies of a procedure's string arguments.
inline constexpr const char* kInputBuffer = "_InBuf";
inline constexpr int kInputBufferBytes = 7;
// Guard: NeedInput, NeedInput1..3, NeedStrToNum, NeedStrToNum1..3, NeedSoftInput1..4.
void EmitInputBuffer(CompilerState& st);

// Guard: NeedStrToNum, NeedStrToNum1..3, NeedSoftInput1..4. Sets NeedMul16u.
void EmitStrToNumRoutine(CompilerState& st);
// Guard: NeedHx2Nm.
void EmitHexStrToNumRoutine(CompilerState& st);
// Guard: NeedStrToLong.
void EmitStrToLongRoutine(CompilerState& st);
// Guard: NeedHx2Long.
void EmitHexStrToLongRoutine(CompilerState& st);

}  // namespace qbc
