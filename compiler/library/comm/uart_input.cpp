#include "compiler/library/comm/uart_input.h"

#include <string>
#include <string_view>

#include "compiler/base/text_rows.h"
#include "compiler/library/comm/text_to_number.h"
#include "compiler/library/comm/uart_registers.h"
#include "compiler/frontend/uart_cells.h"

namespace qbc {

namespace {

std::string Digit(int uart) { return uart == 0 ? "" : std::to_string(uart); }


}  // namespace

void EmitGetCharRoutine(CompilerState& st, int uart) {
  st.out.Line();
  st.out.Line(uart == 0 ? ";////// GetChar /////////////////////////////"
                        : ";////// GetChar" + std::to_string(uart) + " ////////////////////////////");
  const UartRegisters regs = UartRegistersOf(st, uart);
  WriteUartWait(st, regs, "_GetCh" + Digit(uart), "0x07", "zl");
  WriteUartRead(st, regs, "zl");
  st.out.Instr("ret");
}

void EmitInputRoutine(CompilerState& st, int uart) {
  st.out.Line();
  st.out.Line(";////// Input /////////////////////////////");
  WriteUartText(st, std::string("_Input#:\\tldi\\t\\txl,byte1(") + kInputBuffer + ")", uart);
  if (st.dev.RamEnd > 255)
    st.out.Instr(Sep::kWide, "ldi", std::string("xh,byte2(") + kInputBuffer + ")");
  else
    st.out.Instr(Sep::kWide, "clr", "xh");  // nothing else clears it, and X reads both halves
  st.out.Instr(Sep::kWide, "ldi", "r25,0x06");
  // r24 keeps the capacity of the destination: a backspace with nothing stored is ignored,
  // so X never moves before the text.
  WriteUartText(st, R"(
_InSt%%:\tmov\t\tr24,r25
_InLp#:\trcall\t_GetCh#)",
               uart);
  if (uart == 0 && st.Cells<UartCells>().InputTermCharSet) {
    st.out.Instr(Sep::kWide, "cpi", "zl,0x" + st.Cells<UartCells>().InputTermChar);
    st.out.Instr(Sep::kNarrow, "breq", "_InEnd");
  }
  WriteUartText(st, R"(
\t\tcpi\t\tzl,0x0d
\t\tbreq\t_InEnd#
\t\tcpi\t\tzl,0x0a
\t\tbreq\t_InLp#
\t\tcpi\t\tzl,0x08
\t\tbreq\t_InBck#
\t\ttst\t\tr25
\t\tbreq\t_InLp#
\t\tst\t\tX+,zl
\t\tdec\t\tr25
\t\trjmp\t_InLp#
_InEnd#:\tclr\t\tzl
\t\tst\t\tX,zl
\t\tret
_InBck#:\tcp\t\tr25,r24
\t\tbrsh\t_InLp#
\t\tinc\t\tr25
\t\tsbiw\txl,0x01
\t\trjmp\t_InLp#)",
               uart);
}

void EmitHardInputBinAllRoutine(CompilerState& st, int uart) {
  st.out.Line();
  st.out.Line(uart == 0 ? ";////// HardInputBinAll ///////////////////"
                        : ";////// HardInputBinAll" + std::to_string(uart) + " //////////////////");
  WriteUartText(st, R"(
_IBAll#:\tmov\t\tr25,zl
\t\ttst\t\tr25
\t\tbrne\t_IBAL#
\t\tret
_IBAL#:\trcall\t_GetCh#
\t\tst\t\tX+,zl
\t\tdec\t\tr25
\t\tbrne\t_IBAL#
\t\tret)",
               uart);
}

}  // namespace qbc
