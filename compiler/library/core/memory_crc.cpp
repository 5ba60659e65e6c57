#include "compiler/library/core/memory_crc.h"

namespace qbc {

void EmitMemFillRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// MemFill ///////////////////////////
_Mfil:\tst\t\tX+,zl
\t\tdec\t\tzh
\t\tbrne\t_Mfil
\t\tret)");
  if (st.dev.RamEnd <= 255) return;
  // A block of the larger SRAMs may be longer than 256 bytes: the count in r25:r24, where
  // 0 fills nothing (sbiw of 0 only sets the zero flag by the count).
  st.out.Text(R"(
_MfW:\tsbiw\tr24,0x00
\t\tbreq\t_MfW2
_MfW1:\tst\t\tX+,zl
\t\tsbiw\tr24,0x01
\t\tbrne\t_MfW1
_MfW2:\tret)");
}

// The count is tested before the first byte: a count of 0 would otherwise copy 65536
// (or 256) bytes over the whole SRAM.
void EmitMemCopyRoutine(CompilerState& st) {
  st.out.Line();
  if (st.dev.RamEnd > 256) {
    st.out.Text(R"(
;////// MemCopy ///////////////////////////
_MemC:\tmov\t\tr19,r24
\t\tor\t\tr19,r25
\t\tbreq\t_Mem2
_Mem1:\tld\t\tr19,X+
\t\tst\t\tZ+,r19
\t\tsbiw\tr24,0x01
\t\tbrne\t_Mem1
_Mem2:\tret)");
    return;
  }
  st.out.Text(R"(
;////// MemCopy ///////////////////////////
_MemC:\tclr\t\tzh
\t\tclr\t\txh
\t\ttst\t\tr24
\t\tbreq\t_Mem2
_Mem1:\tld\t\tr19,X+
\t\tst\t\tZ+,r19
\t\tdec\t\tr24
\t\tbrne\t_Mem1
_Mem2:\tret)");
}

// CRC-8/MAXIM: polynomial x^8 + x^5 + x^4 + 1, bits least significant first (reflected
// constant 0x8C), initial value 0, no final inversion.
void EmitCalcCrc8Routine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// CalcCrc8 //////////////////////////
_Crc8:\tmov\t\tr25,zl
\t\tclr\t\tzl
\t\tldi\t\tr21,0x8c
_Cr81:\tldi\t\tr24,8
\t\tld\t\tzh,X+
_Cr82:\tmov\t\tr23,zh
\t\tandi\tr23,0x01
\t\tmov\t\tr22,zl
\t\tandi\tr22,0x01
\t\teor\t\tr22,r23
\t\tlsr\t\tzl
\t\tlsr\t\tzh
\t\tsbrc\tr22,0
\t\teor\t\tzl,r21
\t\tdec\t\tr24
\t\tbrne\t_Cr82
\t\tdec\t\tr25
\t\tbrne\t_Cr81
\t\tret)");
}

}  // namespace qbc
