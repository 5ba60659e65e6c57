#include "compiler/library/comm/uart_output.h"

#include <string>
#include <string_view>

#include "compiler/base/core_flash_read.h"
#include "compiler/library/comm/uart_registers.h"
#include "compiler/frontend/uart_cells.h"
#include "compiler/frontend/device_facts.h"

namespace qbc {

namespace {


std::string Header(std::string_view title, int uart) {
  std::string h = ";////// Print";
  if (uart != 0) h += std::to_string(uart);
  h.append(" ").append(title);
  return h;
}

// The ninth-bit routines: _Prty picks by the parity code, _Pclc computes odd or even
// parity of r24 (eight rotations through the cleared carry and a ninth bring r24 back).
void WriteParityRoutines(CompilerState& st, const std::string& control) {
  std::string text = R"(
;////// Process Parity ///////////////
_Prty:\tlds\t\tr25,_SysPar
\t\ttst\t\tr25
\t\tbreq\t_Pend
\t\tcpi\t\tr25,0x03
\t\tbrsh\t_Pclc
\t\tcpi\t\tr25,0x01
\t\tbreq\t_Pmrk
\t\tcpi\t\tr25,0x02
\t\tbreq\t_Pspc
_Pend:\tret
_Pmrk:\tsbi\t\t@
\t\tret
_Pspc:\tcbi\t\t@
\t\tret

;////// Calculate Parity /////////////
_Pclc:\tbst\t\tr25,2
\t\tldi\t\tr25,8
\t\tclr\t\tr0
\t\tclc
_Pcl1:\teor\t\tr0,r24
\t\tror\t\tr24
\t\tdec\t\tr25
\t\tbrne\t_Pcl1
\t\tror\t\tr24
\t\tbrts\t_Pcl2
\t\tsbrc\tr0,0
\t\trjmp\t_Pcl3
_Pcl4:\tsbi\t\t@
\t\tret
_Pcl3:\tcbi\t\t@
\t\tret
_Pcl2:\tsbrs\tr0,0
\t\trjmp\t_Pcl3
\t\trjmp\t_Pcl4)";
  std::string out;
  for (char c : text) {
    if (c == '@')
      out += control + ",0";
    else
      out += c;
  }
  st.out.Line();
  st.out.Text(out);
}

}  // namespace

void EmitPrintCharRoutine(CompilerState& st, int uart) {
  st.out.Line();
  st.out.Line(uart == 2 ? ";////// Print2 Cr, Lf & any char////////////" : ";////// Print Cr, Lf & any char////////////");
  if (uart == 0 && st.Cells<UartCells>().PrintTermCharSet) {
    st.out.Instr("_PCL", Sep::kWide, "ldi", "r24,0x" + st.Cells<UartCells>().PrintTermChar);
  } else {
    WriteUartText(st, R"(
_PCL#:\tldi\t\tr24,0x0d
\t\trcall\t_Pch#
\t\tldi\t\tr24,0x0a)",
                 uart);
  }
  const UartRegisters regs = UartRegistersOf(st, uart);
  const std::string label = uart == 0 ? "_Pch" : "_Pch" + std::to_string(uart);
  // The status register is read into r25: the text routines keep their pointer in Z.
  WriteUartWait(st, regs, label, "0x05", "r25");
  const bool parity = uart == 0 && UartSoftwareParity(st);
  if (parity) st.out.Instr(Sep::kNarrow, "rcall", "_Prty");
  WriteUartWrite(st, regs, "r24");
  st.out.Instr("ret");
  if (parity) WriteParityRoutines(st, regs.control);
}

void EmitPrintByteWordRoutine(CompilerState& st, int uart) {
  st.out.Line();
  st.out.Line(Header("Byte & Word /////////////////", uart));
  WriteUartText(st, R"(
_PrBW#:\tld\t\tr24,Z+
\t\ttst\t\tr24
\t\tbreq\t_PBW1#
\t\trcall\t_Pch#
\t\trjmp\t_PrBW#
_PBW1#:\tret)",
               uart);
}

void EmitPrintStringRoutine(CompilerState& st, int uart) {
  st.out.Line();
  st.out.Line(Header("string //////////////////////", uart));
  WriteUartText(st, R"(
_PSt#:\tld\t\tr24,Z+
\t\ttst\t\tr24
\t\tbreq\t_PStE#
\t\trcall\t_Pch#
\t\trjmp\t_PSt#
_PStE#:\tret)",
               uart);
}

void EmitPrintStrConstRoutine(CompilerState& st, int uart) {
  st.out.Line();
  st.out.Line(Header("string constants ////////////", uart));
  const std::string digit = uart == 0 ? "" : std::to_string(uart);
  // The chip's own flash read: Z+ where the core has it, through RAMPZ above 64 KB.
  WriteFlashReadLines(st, st.out.LabelLead("_PSc" + digit), Sep::kNarrow, "r24", true);
  WriteUartText(st, R"(
\t\ttst\t\tr24
\t\tbreq\t_PScE#
\t\trcall\t_Pch#
\t\trjmp\t_PSc#
_PScE#:\tret)",
               uart);
}

void EmitHardPrintBinAllRoutine(CompilerState& st, int uart) {
  st.out.Line();
  st.out.Line(uart == 0 ? ";////// HardPrintBinAll ///////////////////"
                        : ";////// HardPrintBinAll" + std::to_string(uart) + " //////////////////");
  WriteUartText(st, R"(
_PBAll#:\tmov\t\tzh,zl
\t\ttst\t\tzh
\t\tbrne\t_PBA1#
\t\tret
_PBA1#:\tld\t\tr24,X+
\t\trcall\t_Pch#
\t\tdec\t\tzh
\t\tbrne\t_PBA1#
\t\tret)",
               uart);
}

bool UartSoftwareParity(const CompilerState& st) {
  return st.Cells<UartCells>().UartFormatSet[0] != 0 && UartOf(st, 0).frame.empty();
}


}  // namespace qbc
