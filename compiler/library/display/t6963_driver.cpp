// The lowest layer of the T6963C driver: initialisation, the status wait, command and data
// writes, the address set, the text character write, and the byte read and write at a
// graphic position.
//
// Every status wait gives up after a few milliseconds, so a missing display cannot stop
// the program. A read strobe holds CE and RD low for the controller's access time before
// the bus is sampled, and the data read takes the status first with C/D high in strobes of
// their own: sampling status bits while C/D is low would read the data byte instead.
// _Tini sets the control lines high before it makes them outputs, so that they never
// drive a strobe of all lines low on their way out of reset.
#include "compiler/base/flags/glcd_flags.h"
#include "compiler/library/display/t6963_routines.h"
#include "compiler/library/display/t6963_text.h"

namespace qbc {

void EmitT6963GraphLcdSetRoutines(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// T6963C GraphLcdSet ///////////////
_Tini:\tldi\t\tzl,0xff
{DATA_DDR_ZL}
\t\tldi\t\tzl,{CTRL_MASK}
{CTRL_PORT_ZL}
{CTRL_DDR_ZL}
\t\tret

;////// T6963C Bussy Check ///////////////
_Tbusy:
{SAVE_ZL}
\t\tpush\tr24
\t\tpush\tr25
\t\tldi\t\tr24,{TIMEOUT_LO}
\t\tldi\t\tr25,{TIMEOUT_HI}
\t\tclr\t\tr0
{DATA_IN}
_Tbus1:
{RD_CE_LOW}
{ACCESS_WAIT}
{STATUS_R0}
{CE_RD_HIGH}
\t\tsbrs\tr0,0
\t\trjmp\t_Tbus2
\t\tsbrc\tr0,1
\t\trjmp\t_Tbus3
_Tbus2:\tsbiw\tr24,1
\t\tbrne\t_Tbus1
_Tbus3:\tclr\t\tr0
\t\tcom\t\tr0
{DATA_OUT}
\t\tpop\t\tr25
\t\tpop\t\tr24
{RESTORE_ZL}
\t\tret

;////// T6963C Command ///////////////////
_Tcmd:\trcall\t_Tbusy
{PUT_R20}
{SAVE_ZL}
{WR_CE_LOW}
{CE_WR_HIGH}
{RESTORE_ZL}
\t\tret

;////// T6963C Address Set ///////////////
_Tadr2:\tmov\t\tr20,r16
\t\trcall\t_Twr
\t\tmov\t\tr20,r17
\t\trcall\t_Twr
\t\tret

;////// T6963C Address Command ///////////
_Tadr:\trcall\t_Tadr2
\t\tldi\t\tr20,0x24
\t\trcall\t_Tcmd
\t\tret

;////// T6963C Write /////////////////////
_Twr:\trcall\t_Tbusy
{SAVE_ZL}
{CD_LOW}
{PUT_R20}
{WR_CE_LOW}
{CE_WR_HIGH}
{CD_HIGH}
{RESTORE_ZL}
\t\tret)");
  // _Tchr writes through the text layer's _TtWr, which cuts it at the panel's edges.
  if (st.used[NeedTchr])
    WriteT6963Text(st, R"(

;////// T6963C Write Byte ////////////////
_Tchr:\trcall\t_TtAdr
\t\tmov\t\tr20,zl
\t\tsubi\tr20,0x20
\t\trcall\t_TtWr
\t\tret)");
  WriteT6963Text(st, R"(

;////// T6963T Write Data ////////////////
_Twrb:\trcall\t_Twr
\t\tldi\t\tr20,0xc0
\t\trcall\t_Tcmd
\t\tret)");
}

void EmitT6963ReadRoutines(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// T6963C Read //////////////////////
_Trd:\tldi\t\tr20,0xc5
\t\trcall\t_Tcmd
\t\trcall\t_Tbusy
{SAVE_ZL}
\t\tclr\t\tr0
{DATA_IN}
\t\tcom\t\tr0
{DATA_PULLUP}
{CD_LOW}
{RD_CE_LOW}
{ACCESS_WAIT}
{READ_R26}
{CE_RD_HIGH}
{CD_HIGH}
{DATA_OUT}
{RESTORE_ZL}
\t\tret

;////// TReadByte ////////////////////////
_Trdy:\trcall\t_TaSet
\t\trcall\t_Trd
\t\tmov\t\tzl,r26
\t\tret)");
}

void EmitT6963WriteByteRoutine(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// TWriteByte ///////////////////////
_Twri:\trcall\t_TaSet
\t\tmov\t\tr20,zl
\t\trcall\t_Twrb
\t\tret)");
}

}  // namespace qbc
