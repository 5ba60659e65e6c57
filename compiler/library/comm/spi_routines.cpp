#include "compiler/library/comm/spi_routines.h"

#include <string>

#include "compiler/codegen/io_access.h"
#include "compiler/library/comm/block_routines.h"
#include "compiler/statements/peripherals/spi_cells.h"

namespace qbc {

namespace {

// "out" where the data register is in the I/O space (every chip with SPI has it there),
// "sts" beyond.
std::string DataStore(CompilerState& st) {
  const auto a = IoRegisterAddress(st, "SPDR");
  return a && *a >= 0x40 ? "sts" : "out";
}

std::string DataLoad(CompilerState& st) {
  const auto a = IoRegisterAddress(st, "SPDR");
  return a && *a >= 0x40 ? "lds" : "in";
}

// Waits for SPIF, looping to `loop` (the label of the first line written here). SPSR in
// the low I/O space is tested with sbis; above it (I/O 0x2D of the m88, m168, m2560) it is
// read with in, through zl: an lds of its I/O address would read another register.
void WaitForTransfer(CompilerState& st, const char* loop) {
  const auto a = IoRegisterAddress(st, "SPSR");
  if (!a || *a < 0x20) {
    st.out.Instr(loop, Sep::kNarrow, "sbis", "SPSR,SPIF");
  } else {
    st.out.Instr(loop, Sep::kWide, *a < 0x40 ? "in" : "lds", "zl,SPSR");
    st.out.Instr(Sep::kNarrow, "sbrs", "zl,SPIF");
  }
  st.out.Instr(Sep::kNarrow, "rjmp", loop);
}

}  // namespace

void EmitOutSpiRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Line(";////// Out SPI ///////////////////////////");
  st.out.Instr("_SpiO", Sep::kWide, DataStore(st), "SPDR,zl");
  WaitForTransfer(st, "_Sp1O");
  if (st.Cells<SpiCells>().SpiFunctionUsed) st.out.Instr(Sep::kWide, DataLoad(st), "zl,SPDR");
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
    st.out.Instr(Sep::kWide, DataStore(st), "SPDR,zl");
    WaitForTransfer(st, "_SPIc1");
  } else {
    WaitForTransfer(st, "_SPIch");
  }
  st.out.Instr(Sep::kWide, DataLoad(st), "zl,SPDR");
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
