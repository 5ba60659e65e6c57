#include "compiler/library/comm/soft_com_routines.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compiler/base/core_flash_read.h"
#include "compiler/base/text_rows.h"
#include "compiler/frontend/uart_cells.h"
#include "compiler/frontend/port_pins.h"
#include "compiler/library/comm/text_to_number.h"

namespace qbc {

namespace {

const SoftComRecord& Record(const CompilerState& st, int com) {
  return st.Cells<UartCells>().SoftComPorts[static_cast<std::size_t>(com - 1)];
}

// Routine text of channel `com`: "#" stands for the channel's digit and each {KEY} for
// its value.
void WriteComText(CompilerState& st, std::string_view text, int com,
                  const std::vector<std::pair<std::string, std::string>>& values = {}) {
  std::string out;
  for (char c : text) {
    if (c == '#')
      out += std::to_string(com);
    else
      out += c;
  }
  for (const auto& [key, value] : values) {
    const std::string mark = "{" + key + "}";
    for (std::size_t at = out.find(mark); at != std::string::npos; at = out.find(mark, at + value.size()))
      out.replace(at, mark.size(), value);
  }
  st.out.Text(out);
}

}  // namespace

void EmitComOutputRoutines(CompilerState& st, int com) {
  const SoftComRecord& r = Record(st, com);
  const std::string pin = r.TxPort + "," + r.TxPin;
  // The byte goes out complemented, so a set carry is a low line (the start bit and the
  // zero bits); an inverted line swaps the two levels. Both branches take 5 cycles. The
  // bits are timed by counting cycles: interrupts stay off for the frame (a handler
  // would stretch the bit it lands in) and come back as the caller had them after the
  // stop bit.
  WriteComText(st, R"(

;////// Print Cr, Lf on Com# //////////////
_C#OCL:\tldi\t\tr24,0x0d
\t\trcall\t_Com#O
\t\tldi\t\tr24,0x0a

;////// Com#Out /////////////////////////////
_Com#O:\tin\t\tr23,SREG
\t\tpush\tr23
\t\tcli
\t\tldi\t\tr25,10
\t\tcom\t\tr24
\t\tsec
_C#O0:\tbrcc\t_C#O1
\t\t{LOW}\t\t{PIN}
\t\trjmp\t_C#O2
_C#O1:\t{HIGH}\t\t{PIN}
\t\tnop
_C#O2:\tldi\t\tr23,{N}
\t\trcall\t_Wtic
\t\tldi\t\tr23,{N}
\t\trcall\t_Wtic
\t\tlsr\t\tr24
\t\tdec\t\tr25
\t\tbrne\t_C#O0
\t\tpop\t\tr23
\t\tout\t\tSREG,r23
\t\tret)",
               com, {{"LOW", r.Inverted ? "sbi" : "cbi"}, {"HIGH", r.Inverted ? "cbi" : "sbi"}, {"PIN", pin},
                     {"N", r.TxBaud}});
}

void EmitComInputRoutine(CompilerState& st, int com) {
  const SoftComRecord& r = Record(st, com);
  const std::string pin = "PIN" + PortLetterText(r.RxPort) + "," + r.RxPin;
  // One bit is two waits and 9 cycles, as in the sender. While the line is idle the
  // caller's interrupt setting holds (handlers run: the nop gives a pending one its turn
  // before the cli, also where I set by "out" takes effect an instruction late); each look
  // at the line is made with interrupts off, and they stay off from the start bit to the
  // stop bit, which is timed by counting cycles. The falling edge is seen 0 to 5 cycles
  // late; the first sample comes one and a half bits after it (three waits and 12
  // cycles, with the push of the caller's SREG), so every bit is read at its middle.
  // After bit 7 the routine waits for the stop bit's high level, so the caller has a
  // whole bit's time before the next start edge and a low bit 7 is not taken for one.
  WriteComText(st, R"(

;////// Com#Input /////////////////////////
_Com#I:\tin\t\tr23,SREG
\t\tldi\t\tr24,8
_C#I1:\tout\t\tSREG,r23
\t\tnop
\t\tcli
\t\tsbic\t{PIN}
\t\trjmp\t_C#I1
\t\tpush\tr23
\t\tldi\t\tr23,{N}
\t\trcall\t_Wtic
\t\tnop
\t\tnop
\t\tnop
\t\tnop
_C#I2:\tldi\t\tr23,{N}
\t\trcall\t_Wtic
\t\tldi\t\tr23,{N}
\t\trcall\t_Wtic
\t\tnop
\t\tnop
\t\tclc
\t\tsbic\t{PIN}
\t\tsec
\t\tror\t\tzl
\t\tdec\t\tr24
\t\tbrne\t_C#I2
_C#I3:\tsbis\t{PIN}
\t\trjmp\t_C#I3
\t\tpop\t\tr23
\t\tout\t\tSREG,r23
\t\tret)",
               com, {{"PIN", pin}, {"N", r.RxBaud}});
}

void EmitComPrintByteWordRoutine(CompilerState& st, int com) {
  WriteComText(st, R"(

;////// Print Byte & Word on Com# /////////
_PCBW#:\tld\t\tr24,Z+
\t\ttst\t\tr24
\t\tbreq\t_PC#
\t\trcall\t_Com#O
\t\trjmp\t_PCBW#
_PC#:\tret)",
               com);
}

void EmitComPrintStringRoutine(CompilerState& st, int com) {
  WriteComText(st, R"(

;////// Print string //////////////////////
_PC#St:\tld\t\tr24,Z+
\t\ttst\t\tr24
\t\tbreq\t_PC#S1
\t\trcall\t_Com#O
\t\trjmp\t_PC#St
_PC#S1:\tret)",
               com);
}

void EmitComPrintStrConstRoutine(CompilerState& st, int com) {
  st.out.Line();
  st.out.Line(";////// COM" + std::to_string(com) + " string constants /////////////");
  WriteFlashReadLines(st, st.out.LabelLead("_PC" + std::to_string(com) + "Sc"), Sep::kNarrow, "r24", true);
  WriteComText(st, R"(
\t\ttst\t\tr24
\t\tbreq\t_PC#Sc1
\t\trcall\t_Com#O
\t\trjmp\t_PC#Sc
_PC#Sc1:\tret)",
               com);
}

void EmitSoftInputComRoutine(CompilerState& st, int com) {
  const std::string buffer = kInputBuffer;
  // zh keeps the capacity the line started with: a backspace with nothing stored is
  // ignored, so X never moves before the text.
  WriteComText(st, R"(

;////// Soft Input on Com# ///////////////
_SIC#:\tldi\t\txl,byte1({BUF})
\t\t{XH}
\t\tldi\t\tr25,0x06
_InS#:\tmov\t\tzh,r25
_InL#:\trcall\t_Com#I
\t\tcpi\t\tzl,0x0a
\t\tbreq\t_InL#
\t\tcpi\t\tzl,0x0d
\t\tbreq\t_InE#
\t\tcpi\t\tzl,0x08
\t\tbreq\t_InB#
\t\ttst\t\tr25
\t\tbreq\t_InL#
\t\tst\t\tX+,zl
\t\tdec\t\tr25
\t\trjmp\t_InL#
_InE#:\tclr\t\tzl
\t\tst\t\tX,zl
\t\tret
_InB#:\tcp\t\tr25,zh
\t\tbrsh\t_InL#
\t\tinc\t\tr25
\t\tsbiw\txl,0x01
\t\trjmp\t_InL#)",
               com,
               {{"BUF", buffer},
                {"XH", st.dev.RamEnd > 255 ? "ldi\\t\\txh,byte2(" + buffer + ")" : std::string("clr\\t\\txh")}});
}

void EmitSoftInputBinAllRoutine(CompilerState& st, int com) {
  // The loop label differs from the hardware routines' (_IBAL, _IBAL2): labels compare
  // without regard to case.
  WriteComText(st, R"(

;////// SoftInputBinAll# ///////////////////
_ISBA#:\tmov\t\tzh,zl
\t\ttst\t\tzh
\t\tbrne\t_ISBL#
\t\tret
_ISBL#:\trcall\t_Com#I
\t\tst\t\tX+,zl
\t\tdec\t\tzh
\t\tbrne\t_ISBL#
\t\tret)",
               com);
}

}  // namespace qbc
