#include "compiler/library/core/shift_rotate.h"

namespace qbc {

// Each routine moves the value one bit per pass and counts r24 down to zero.

void EmitShiftLeftByteRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// ShiftLeftByte /////////////////////
_ShtBL:\tlsl\t\tzl
\t\tdec\t\tr24
\t\tbrne\t_ShtBL
\t\tret)");
}

void EmitShiftLeftWordRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// ShiftLeftWord /////////////////////
_ShtWL:\tlsl\t\tzl
\t\trol\t\tzh
\t\tdec\t\tr24
\t\tbrne\t_ShtWL
\t\tret)");
}

void EmitShiftLeftLongRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// ShiftLeftLong /////////////////////
_ShtLL:\tlsl\t\tzl
\t\trol\t\tzh
\t\trol\t\tr18
\t\trol\t\tr19
\t\tdec\t\tr24
\t\tbrne\t_ShtLL
\t\tret)");
}

void EmitShiftRightByteRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// ShiftRightByte ////////////////////
_ShtBR:\tlsr\t\tzl
\t\tdec\t\tr24
\t\tbrne\t_ShtBR
\t\tret)");
}

void EmitShiftRightWordRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// ShiftRightWord ////////////////////
_ShtWR:\tlsr\t\tzh
\t\tror\t\tzl
\t\tdec\t\tr24
\t\tbrne\t_ShtWR
\t\tret)");
}

// Logical: a zero comes in at the top of the long too.
void EmitShiftRightLongRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// ShiftRightLong ////////////////////
_ShtLR:\tlsr\t\tr19
\t\tror\t\tr18
\t\tror\t\tzh
\t\tror\t\tzl
\t\tdec\t\tr24
\t\tbrne\t_ShtLR
\t\tret)");
}

void EmitRotateLeftByteRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// RotateLeftByte ////////////////////
_RotBL:\tlsl\t\tzl
\t\tbrcc\t_RtBL1
\t\tsbr\t\tzl,1
_RtBL1:\tdec\t\tr24
\t\tbrne\t_RotBL
\t\tret)");
}

void EmitRotateRightByteRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// RotateRightByte ///////////////////
_RotBR:\tlsr\t\tzl
\t\tbrcc\t_RtBR1
\t\tsbr\t\tzl,0x80
_RtBR1:\tdec\t\tr24
\t\tbrne\t_RotBR
\t\tret)");
}

// The word rotates take zh first (left) or zl first (right): the bit that leaves one
// byte enters the other through the carry, and the one that leaves the word is put back
// at the other end.
void EmitRotateLeftWordRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// RotateLeftWord /////////////////////////
_RotWL:\tclc
\t\trol\t\tzh
\t\trol\t\tzl
\t\tbrcc\t_RotWL1
\t\tsbr\t\tzh,1
_RotWL1:\tdec\t\tr24
\t\tbrne\t_RotWL
\t\tret)");
}

void EmitRotateRightWordRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// RotateRightWord ///////////////////
_RotWR:\tclc
\t\tror\t\tzl
\t\tror\t\tzh
\t\tbrcc\t_RotWR1
\t\tsbr\t\tzl,0x80
_RotWR1:\tdec\t\tr24
\t\tbrne\t_RotWR
\t\tret)");
}

// "_RotLL1:dec" and "_RotLR1:dec" stand without a separator between label and mnemonic.
void EmitRotateLeftLongRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// RotateLeftLong /////////////////////////
_RotLL:\tclc
\t\trol\t\tzl
\t\trol\t\tzh
\t\trol\t\tr18
\t\trol\t\tr19
\t\tbrcc\t_RotLL1
\t\tsbr\t\tzl,1
_RotLL1:dec\t\tr24
\t\tbrne\t_RotLL
\t\tret)");
}

void EmitRotateRightLongRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// RotateRightLong ///////////////////
_RotLR:\tclc
\t\tror\t\tr19
\t\tror\t\tr18
\t\tror\t\tzh
\t\tror\t\tzl
\t\tbrcc\t_RotLR1
\t\tsbr\t\tr19,0x80
_RotLR1:dec\t\tr24
\t\tbrne\t_RotLR
\t\tret)");
}

}  // namespace qbc
