#include "compiler/library/comm/spi_routines.h"

#include <string>

#include "compiler/codegen/io_access.h"
#include "compiler/library/comm/block_routines.h"
#include "compiler/statements/peripherals/spi_cells.h"

namespace qbc {

namespace {

// The data register, in the I/O space on every chip with SPI.
void DataStore(CompilerState& st, std::string_view label = {}) {
  EmitRegisterWrite(st, "SPDR", "zl", Reach::kInOut, label);
}

void DataLoad(CompilerState& st) { EmitRegisterRead(st, "SPDR", "zl", Reach::kInOut); }

// Waits for SPIF, looping to `loop` (the label of the first line written here). SPSR lies
// above the bit instructions' reach on the m88, m168 and m2560 (I/O 0x2D).
void WaitForTransfer(CompilerState& st, const char* loop) {
  EmitBitSkip(st, BitOf("SPSR", "SPIF", 7, MaskText::kHex), true, "zl", Reach::kBit, loop);
  st.out.Instr(Sep::kNarrow, "rjmp", loop);
}

}  // namespace

void EmitOutSpiRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Line(";////// Out SPI ///////////////////////////");
  DataStore(st, "_SpiO");
  WaitForTransfer(st, "_Sp1O");
  if (st.Cells<SpiCells>().SpiFunctionUsed) DataLoad(st);
  st.out.Instr("ret");
}

void EmitSpiOutAllRoutine(CompilerState& st) {
  EmitSendBlockRoutine(st, ";////// SpiOutAll ////////////////////////", "_SpAll", "_SpA1", "_SpiO");
}

void EmitGetSpiCharRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Line(";////// GetSPIchar //////////////////////////");
  if (st.Cells<SpiCells>().SpiMaster) {
    // A master receives only while it clocks: a filler byte starts the transfer.
    st.out.Instr("_SPIch", Sep::kWide, "ldi", "zl,0xFF");
    DataStore(st);
    WaitForTransfer(st, "_SPIc1");
  } else {
    WaitForTransfer(st, "_SPIch");
  }
  DataLoad(st);
  st.out.Instr("ret");
}

void EmitSpiInputAllRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// SPIinputAll //////////////////////
_SPIal:\tmov\t\tr25,zl
\t\ttst\t\tr25
\t\tbrne\t_SPI1
\t\tret
_SPI1:\trcall\t_SPIch
\t\tst\t\tX+,zl
\t\tdec\t\tr25
\t\tbrne\t_SPI1
\t\tret)");
}

void EmitSpiStRoutine(CompilerState& st) {
  // Up to r25 characters (the string's length) and then its terminator, or fewer when a
  // 0 byte ends the text.
  st.out.Text(R"(
_SPIst:\trcall\t_SPIch
\t\ttst\t\tzl
\t\tbreq\t_SPst2
\t\tst\t\tX+,zl
\t\tdec\t\tr25
\t\tbrne\t_SPIst
_SPst1:\tclr\t\tzl
_SPst2:\tst\t\tX+,zl
\t\tret)");
}

}  // namespace qbc
