#pragma once
// Number to decimal text and number to hexadecimal text.
//
// The decimal family comes in three sizes; the link step writes only the widest one that
// is needed (long, else integer, else byte), and the wider routine also defines the entry
// labels of the narrower ones:
//   _B2str byte in zl, _W2str word in Z, _I2str integer in Z, _S2str long in zl,zh,r18,r19
//   (long routine only). Result: Z = address of the zero-terminated text, built downward
//   just below the caller's Y (Y itself is unchanged). r6 is kept.
// Each size has three forms chosen at compile time: plain (FormatDigits = 0, LeadChar = 0),
// lead character (LeadChar != 0: the text is filled to 3/5/10 characters with _lchr) and
// formatted (FormatDigits != 0: _fmtD digits after a point, _fmtC positions before it,
// filled with _lchr). In the formatted form a _fmtC of 0 fixes no width (every digit
// before the point, no fill: numbers print whole until the program's first Format runs)
// and the digits after the point are always _fmtD digits (5 with two decimals is 0.05).
//
// Hexadecimal: _ToHB / _ToHW / _ToHL (byte / word / long as above) write 2 / 4 / 8
// upper-case digits and a terminator at RAMEND - stack size; Z = its address. xl, xh
// change; r6, r18, r19 and Y are kept.
namespace qbc {
struct CompilerState;

void EmitByteToStrRoutine(CompilerState& st);  // NeedByteToStr
void EmitIntToStrRoutine(CompilerState& st);   // NeedIntToStr
void EmitLongToStrRoutine(CompilerState& st);  // NeedLongToStr
void EmitNumToHexRoutine(CompilerState& st);   // NeedNumToHex

}  // namespace qbc
