// Comparison of two floats: _Fcmp answers in the flags, _Fcmf and its two variants in r24.
#include "compiler/library/core/float_core.h"

namespace qbc {

// _Fcmp keeps A's sign byte in zl and the sign difference in zh, unpacks both operands
// with T set (an infinity or NaN returns from the unpacking with T still set), then
// orders by sign, and for equal signs by the unpacked magnitudes (exponent first), the
// comparison reversed for negative numbers.
void EmitFloatCompareRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fcmp0: rcall   _Fcmf
        brtc    _Fcmf0
        ldi     r24,0x01
_Fcmf0: ret
_Fcmp1: rcall   _Fcmf
        brtc    _Fcmf0
        ldi     r24,0xFF
        ret
_Fcmf:  rcall   _Fcmp
        ldi     r24,0x00
        breq    _Fcmf1
        ldi     r24,0xFF
        brcs    _Fcmf1
        ldi     r24,0x01
_Fcmf1: ret
_Fcmp:  mov     zl,r25
        mov     zh,r25
        eor     zh,r21
        set
        rcall   _Fwrk2
        clt
        sbrc    zh,7
        rjmp    _Fcmp2
        sbrc    zl,7
        rjmp    _Fcmp3
        cp      r22,r18
        cpc     r23,r19
        cpc     r24,r20
        cpc     r25,r21
        ret
_Fcmp3: cp      r18,r22
        cpc     r19,r23
        cpc     r20,r24
        cpc     r21,r25
        ret
_Fcmp2: lsl     zl
        clz
        ret)");
}

}  // namespace qbc
