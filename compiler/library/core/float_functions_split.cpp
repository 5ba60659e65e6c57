// Fraction split and modulo of the float library.
#include "compiler/library/core/float_functions.h"

namespace qbc {

// _Fmodf: A = fractional part of A (with A's sign); the integer part, a float stored
// lowest byte first, goes to the data address in r21:r20 unless that address is 0 (_Fmod,
// the one caller, passes 0: an address below 32 would write registers behind the back of
// the interrupt handlers' reading of the code).
// |A| < 1: integer part 0, result A. No fractional bits (|A| >= 2^23): integer part A,
// result 0. NaN: integer part and result NaN. The store goes through Z (kept across the
// float core calls that use it as scratch): Y is the frame pointer an interrupt handler
// builds its locals below, so it never holds anything else, not even for a moment.
void EmitFloatModfRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fmodf: mov     zl,r20
        mov     zh,r21
        mov     r20,r24
        lsl     r20
        mov     r21,r25
        rol     r21
        cpi     r21,0x7F
        brsh    _Fmdf1
        clr     r18
        clr     r19
        clr     r20
        clr     r21
        rjmp    _Fmdf5
_Fmdf1: cpi     r21,0xFF
        brne    _Fmdf2
        rcall   _Fba
        rcall   _Fmdf5
        rjmp    _Fnan
_Fmdf2: cpi     r21,0x96
        brlo    _Fmdf3
        rcall   _Fba
        rcall   _Fmdf5
        rjmp    _Fclr
_Fmdf3: push    r22
        push    r23
        push    r24
        push    r25
        push    zl
        push    zh
        rcall   _Fxsf
        rcall   _Fs2f
        pop     zh
        pop     zl
        rcall   _Fba
        rcall   _Fmdf5
        subi    r21,0x80
        pop     r25
        pop     r24
        pop     r23
        pop     r22
        rjmp    _Fadd
_Fmdf5: mov     r0,zl
        or      r0,zh
        breq    _Fmdf6
        st      Z+,r18
        st      Z+,r19
        st      Z+,r20
        st      Z,r21
_Fmdf6: ret)");
}

// _Fmod: A modulo |B| = fraction of A / |B| times |B|, with A's sign; B = 0 gives NaN.
void EmitFloatModRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fmod:  andi    r21,0x7F
        brne    _Fmod1
        sbrs    r20,7
        rjmp    _Fnan
_Fmod1: push    r18
        push    r19
        push    r20
        push    r21
        rcall   _Fdiv
        clr     r20
        clr     r21
        rcall   _Fmodf
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rjmp    _Fmul)");
}

}  // namespace qbc
