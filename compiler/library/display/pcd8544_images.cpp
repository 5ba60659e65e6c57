// The PCD8544 images (one image, or one of a table of equal-sized images, from flash) and
// the inverse display.
#include "compiler/base/core_flash_read.h"
#include "compiler/base/flags/arith_flags.h"
#include "compiler/library/display/pcd8544_routines.h"

namespace qbc {

// _PcIot draws bank by bank from (r16, r17). _PcAdr gives the room to the right edge in
// r21 and _PcCut writes a byte only while there is room, so an image running past column
// 83 or bank 5 is cut there (its bytes are still read, to keep Z on the next bank's row).
void EmitPcd8544ImgSetRoutine(CompilerState& st) {
  st.out.Text(R"(

;////// Images Set ///////////////////////
_Pcimg:\trcall\t_PcSet
\t\trcall\t_PcIot
\t\tret)");
  WriteFlashReadLines(st, st.out.LabelLead("_PcSet"), Sep::kWide, "r8", true);
  WriteFlashReadLines(st, st.out.MnemonicIndent, Sep::kWide, "r9", true);
  st.out.Text(R"(
\t\tret
_PcIot:\trcall\t_PcAdr
\t\tmov\t\tr19,r8)");
  WriteFlashReadLines(st, st.out.LabelLead("_PcIo1"), Sep::kWide, "r0", false);
  st.out.Text(R"(
\t\trcall\t_PcCut
\t\tdec\t\tr19
\t\tbrne\t_PcIo1
\t\tcpi\t\tr17,0xff
\t\tbreq\t_PcIo2
\t\tinc\t\tr17
_PcIo2:\tdec\t\tr9
\t\tbrne\t_PcIot
\t\tret
_PcCut:\ttst\t\tr21
\t\tbreq\t_PcCu1
\t\tdec\t\tr21
\t\trjmp\t_PcOut
_PcCu1:\tret)");
}

void EmitPcd8544ImgArraySetRoutine(CompilerState& st) {
  st.out.Text(R"(

;////// Images Array Set /////////////////
_PcImA:\trcall\t_PcSet
\t\trcall\t_PcImM
\t\trcall\t_PcIot
\t\tret
_PcImM:\tmov\t\tr14,zl
\t\tmov\t\tr15,zh
\t\tmov\t\tzl,r20
\t\tclr\t\tzh
\t\tmov\t\tr24,r8
\t\tclr\t\tr25
\t\trcall\tMp16u
\t\tmov\t\tr24,r9
\t\trcall\tMp16u
\t\tadd\t\tzl,r14
\t\tadc\t\tzh,r15
\t\tret)");
  st.used.Set(NeedMul16u);
}

void EmitPcd8544InverseRoutine(CompilerState& st) {
  WritePcd8544Text(st, R"(

;////// GInverse /////////////////////////
_PcInv:\tcbi\t\t{SCE}
\t\tcbi\t\t{DC}
\t\tandi\tzl,0x01
\t\tldi\t\tr20,0x0c
\t\tor\t\tr20,zl
\t\trcall\t_PcSer
\t\tsbi\t\t{DC}
\t\tsbi\t\t{SCE}
\t\tret)");
}

}  // namespace qbc
