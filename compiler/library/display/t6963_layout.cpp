// The T6963C layer layout: text and graphic home and area, the text and graphic address of
// a position, clearing, and the block walk of the byte routines. With split addressing
// (third $glcd number 2) the lower half of the panel lies from 0x8000 on, each half
// addressed from its own first row.
#include <string>
#include <utility>

#include "compiler/library/display/t6963_routines.h"
#include "compiler/library/display/t6963_text.h"
#include "compiler/statements/peripherals/glcd_cells.h"

namespace qbc {

namespace {

bool Split(const CompilerState& st) { return st.Cells<GlcdCells>().GlcdOption3 == 2; }

// _TxtH/_TxtH1/_TxtA or _GrpH/_GrpH1/_GrpA: a layer's home (stored, or from r16:r17) and
// area sent with their commands; the area's high byte is 0.
void WriteHomeArea(CompilerState& st, const std::string& layer, const std::string& home_cmd,
                   const std::string& area_cmd) {
  std::string text = R"(

;////// T6963C )" + std::string(layer == "Txt" ? "Text Home and Area ////////" : "Graph Home and Area ///////") + R"(
_@H:\tlds\t\tr16,@Home
\t\tlds\t\tr17,@Home+1
_@H1:\trcall\t_Tadr2
\t\tldi\t\tr20,HOME
\t\trcall\t_Tcmd
\t\tret
_@A:\tlds\t\tr16,@Area
\t\tclr\t\tr17
\t\trcall\t_Tadr2
\t\tldi\t\tr20,AREA
\t\trcall\t_Tcmd
\t\tret)";
  for (auto [key, value] : {std::pair<std::string, std::string>{"@", layer}, {"HOME", home_cmd}, {"AREA", area_cmd}})
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
      text.replace(at, key.size(), value);
  WriteT6963Text(st, text);
}

// r16:r17 plus the layer's home (and the half's 0x80 in r20 with split addressing) as the
// address pointer.
void AddHomeAndSetAddress(CompilerState& st, const std::string& home) {
  WriteT6963Text(st, "\n\\t\\tlds\\t\\tzl," + home + "\n\\t\\tlds\\t\\tzh," + home +
                         "+1\n\\t\\tadd\\t\\tr16,zl\n\\t\\tadc\\t\\tr17,zh");
  if (Split(st)) WriteT6963Text(st, R"(
\t\tadd\t\tr17,r20)");
  WriteT6963Text(st, R"(
\t\trcall\t_Tadr)");
}

}  // namespace

// _TtAdr sets the address pointer to the character at column r16, row r17 and keeps both;
// _TtWr writes the code in r20 there and moves r16 on, only while the position lies in
// the panel's rows and in the columns that both the panel and the text area hold (a
// character past them would land in the next row or outside the layer).
void EmitT6963TextHomeAreaRoutines(CompilerState& st) {
  WriteHomeArea(st, "Txt", "0x40", "0x41");
  WriteT6963Text(st, R"(

;////// T6963C Txt Address ///////////////
_TtAdr:\tpush\tzl
\t\tpush\tzh
\t\tpush\tr16
\t\tpush\tr17
\t\tlds\t\tzl,TxtArea
\t\tclr\t\tzh
\t\tmov\t\tr14,r16)");
  if (Split(st))
    WriteT6963Text(st, R"(
\t\tclr\t\tr20
\t\tcpi\t\tr17,{H16}
\t\tbrmi\t_TtAd1
\t\tsubi\tr17,{H16}
\t\tldi\t\tr20,0x80)");
  WriteT6963Text(st, R"(
_TtAd1:\tmov\t\tr24,r17
\t\tclr\t\tr25
\t\tclr\t\tr17
\t\trcall\tMp16u
\t\tadd\t\tzl,r14
\t\tadc\t\tzh,r17
\t\tmov\t\tr16,zl
\t\tmov\t\tr17,zh
)");
  AddHomeAndSetAddress(st, "TxtHome");
  WriteT6963Text(st, R"(
\t\tpop\t\tr17
\t\tpop\t\tr16
\t\tpop\t\tzh
\t\tpop\t\tzl
\t\tret

;////// T6963C Text Put //////////////////
_TtWr:\tcpi\t\tr17,{H8}
\t\tbrsh\t_TtWr1
\t\tcpi\t\tr16,{TCOLS}
\t\tbrsh\t_TtWr1
\t\tlds\t\tr0,TxtArea
\t\tcp\t\tr16,r0
\t\tbrsh\t_TtWr1
\t\tinc\t\tr16
\t\trjmp\t_Twrb
_TtWr1:\tret

_TtCls:\tclr\t\tr16
\t\tclr\t\tr17
_TtC1:\tpush\tr16
\t\tpush\tr17
\t\trcall\t_TtAdr
\t\tpop\t\tr17
\t\tpop\t\tr16
\t\tclr\t\tr20
\t\trcall\t_Twrb
\t\tinc\t\tr16
\t\tlds\t\tr20,TxtArea
\t\tcp\t\tr16,r20
\t\tbrne\t_TtC1
\t\tclr\t\tr16
\t\tinc\t\tr17
\t\tcpi\t\tr17,{H8}
\t\tbrne\t_TtC1
\t\tret)");
}

void EmitT6963GraphHomeAreaRoutines(CompilerState& st) {
  WriteHomeArea(st, "Grp", "0x42", "0x43");
  WriteT6963Text(st, R"(

;////// T6963T Cls ///////////////////////
_TgCls:\tclr\t\tr16
\t\tclr\t\tr17
\t\tlds\t\tr8,GrpArea
\t\tldi\t\tr21,{H}
\t\tmov\t\tr9,r21
\t\tclr\t\tr26
\t\trcall\t_TaSet
\t\trcall\t_Tcls
\t\tret

;////// T6963T Utils /////////////////////
_Tcls:\tmov\t\tr20,r26
\t\trcall\t_Twrb
\t\tinc\t\tr16
\t\tcp\t\tr16,r8
\t\tbrne\t_Tcls
\t\tinc\t\tr17
\t\tcp\t\tr17,r9
\t\tbrne\t_Tcls3
\t\tret
_Tcls3:\trcall\t_TaPut
\t\trjmp\t_Tcls

_TaSet:\tmov\t\tr14,r16
\t\tmov\t\tr15,r17
\t\tadd\t\tr8,r16
\t\tadd\t\tr9,r17
_TaPut:\tmov\t\tr16,r14
\t\tpush\tzl
\t\tpush\tzh
\t\tpush\tr16
\t\tpush\tr17
\t\trcall\t_TgAdr
\t\trcall\t_TgAd1
\t\tpop\t\tr17
\t\tpop\t\tr16
\t\tpop\t\tzh
\t\tpop\t\tzl
\t\tret

;////// T6963T Graphic Address ///////////
_TgAdr:\tmov\t\tr10,r16)");
  if (Split(st))
    WriteT6963Text(st, R"(
\t\tldi\t\tr20,0
\t\tcpi\t\tr17,{H2}
\t\tbrmi\t_TgAd2
\t\tsubi\tr17,{H2}
\t\tldi\t\tr20,0x80)");
  WriteT6963Text(st, R"(
_TgAd2:\tmov\t\tr24,r17
\t\tlds\t\tzl,GrpArea
\t\tclr\t\tzh
\t\tclr\t\tr25
\t\tclr\t\tr17
\t\trcall\tMp16u
\t\tret
_TgAd1:\tmov\t\tr16,r10
\t\tadd\t\tr16,zl
\t\tadc\t\tr17,zh
)");
  AddHomeAndSetAddress(st, "GrpHome");
  WriteT6963Text(st, R"(
\t\tret)");
}

}  // namespace qbc
