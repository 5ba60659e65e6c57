#include "compiler/library/hardware/dtmf_routines.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "compiler/base/core_flash_read.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/library/hardware/routine_interrupt.h"
#include "compiler/statements/peripherals/dtmf_cells.h"
#include "compiler/codegen/io_access.h"

namespace qbc {

namespace {

// Row and column frequency of each key code.
constexpr int kTones[16][2] = {{941, 1336}, {697, 1209}, {697, 1336}, {697, 1477}, {770, 1209}, {770, 1336},
                               {770, 1477}, {852, 1209}, {852, 1336}, {852, 1477}, {697, 1633}, {770, 1633},
                               {852, 1633}, {941, 1633}, {941, 1209}, {941, 1477}};

std::string Hex2(long v) {
  static const char* kDigits = "0123456789ABCDEF";
  return std::string("0x") + kDigits[(v >> 4) & 15] + kDigits[v & 15];
}

// RAMPZ = the third byte of the table's address plus the carry out of the "adc zh" just
// before (r24 changes; "in" and "ldi" keep the carry).
void SetTablePage(CompilerState& st, const std::string& table) {
  st.out.Instr(Sep::kWide, "ldi", "r24,byte3(" + table + "*2)");
  st.out.Instr(Sep::kNarrow, "brcc", "PC+2");
  st.out.Instr(Sep::kWide, "inc", "r24");
  st.out.Instr(Sep::kWide, "out", "RAMPZ,r24");
}

std::string Timer1Mask(CompilerState& st) { return IoRegisterValue(st, "timsk1") >= 0 ? "TIMSK1" : "TIMSK"; }

// The compare register's name: OCR1A, or OCR1 on a Timer1 with one compare unit (the
// AT90S4433, by either of its names), as the device file names it.
std::string Compare(CompilerState& st, const char* half) {
  return std::string(IoRegisterValue(st, "ocr1al") >= 0 ? "OCR1A" : "OCR1") + half;
}

void EmitDtmf(CompilerState& st) {
  const std::string mask = Timer1Mask(st);
  st.out.Line();
  st.out.Line(";////// DTMF /////////////////////////////");
  // The tone registers are the float routines' and For loops' too: they are lent to the
  // handler for the tone only, its phases starting at 0.
  st.out.Instr("_DTMF", Sep::kNarrow, "push", "r8");
  for (const char* r : {"r9", "r10", "r11", "r12", "r13"}) st.out.Instr(Sep::kNarrow, "push", r);
  for (const char* r : {"r10", "r11", "r12", "r13"}) st.out.Instr(Sep::kWide, "clr", r);
  // sixteen keys: a larger code would read its frequencies from beyond the table
  st.out.Instr(Sep::kNarrow, "andi", "zl,0x0f");
  st.out.Text(R"(\t\tclr\t\tzh
\t\tlsl\t\tzl
\t\tldi\t\tr24,byte1(_Dtc*2)
\t\tldi\t\tr25,byte2(_Dtc*2)
\t\tadd\t\tzl,r24
\t\tadc\t\tzh,r25)");
  // Above 64 KB the increments are read from their own page; the caller's RAMPZ comes back.
  if (st.dev.NeedRampz) {
    st.out.Instr(Sep::kWide, "in", "r25,RAMPZ");
    SetTablePage(st, "_Dtc");
  }
  WriteFlashReadLines(st, st.out.MnemonicIndent, Sep::kNarrow, "r9", true);
  WriteFlashReadLines(st, st.out.MnemonicIndent, Sep::kNarrow, "r8", true);
  if (st.dev.NeedRampz) st.out.Instr(Sep::kWide, "out", "RAMPZ,r25");
  // The handler's interrupt and I only while the tone plays; the caller's come back.
  EmitInterruptOn(st, mask, "TOIE1");
  st.out.Instr(Sep::kWide, "ldi", "zl," + Hex2(st.Cells<DtmfCells>().DtmfVector));
  st.out.Instr(Sep::kNarrow, "rcall", "_Wms");
  EmitInterruptRestore(st, mask);
  for (const char* r : {"r13", "r12", "r11", "r10", "r9", "r8"}) st.out.Instr(Sep::kWide, "pop", r);
  st.out.Instr("ret");
}

void EmitHandler(CompilerState& st) {
  st.out.Line();
  st.out.Line(";////// DTMF Ovf1 interrupt //////////////");
  st.out.Label("IntN" + std::to_string(FindVectorByPrefix(st, "OVF1")));
  // Every register it uses but the phases is saved: it interrupts the program's waits.
  st.out.Text(R"(\t\tpush\tr5
\t\tin\t\tr5,SREG
\t\tpush\tr0
\t\tpush\tr6
\t\tpush\tr7
\t\tpush\tr24
\t\tpush\tzl
\t\tpush\tzh
\t\tpush\txl
\t\tpush\txh)");
  // _Gsamp sets RAMPZ for the sine table: the interrupted code gets its own back.
  if (st.dev.NeedRampz) {
    st.out.Instr(Sep::kWide, "in", "r24,RAMPZ");
    st.out.Instr(Sep::kNarrow, "push", "r24");
  }
  st.out.Text(R"(\t\tmov\t\txl,r12
\t\tmov\t\txh,r13
\t\tadd\t\tr12,r8
\t\tclr\t\tr24
\t\tadc\t\tr13,r24
\t\trcall\t_Gsamp
\t\tmov\t\tr7,r0
\t\tmov\t\txl,r10
\t\tmov\t\txh,r11
\t\tadd\t\tr10,r9
\t\tclr\t\tr24
\t\tadc\t\tr11,r24
\t\trcall\t_Gsamp
\t\tmov\t\tr6,r0
\t\tldi\t\tr24,0x02
\t\tadd\t\tr6,r24
\t\tlsr\t\tr6
\t\tlsr\t\tr6
\t\tsub\t\tr0,r6
\t\tmov\t\tr6,r0
\t\tclr\t\tr24)");
  EmitRegisterWrite(st, UpperText(Compare(st, "H")), "r24", Reach::kInOut);
  st.out.Instr(Sep::kWide, "mov", "r24,r7");
  st.out.Instr(Sep::kWide, "add", "r24,r6");
  EmitRegisterWrite(st, UpperText(Compare(st, "L")), "r24", Reach::kInOut);
  if (st.dev.NeedRampz) {
    st.out.Instr(Sep::kWide, "pop", "r24");
    st.out.Instr(Sep::kWide, "out", "RAMPZ,r24");
  }
  st.out.Text(R"(\t\tpop\t\txh
\t\tpop\t\txl
\t\tpop\t\tzh
\t\tpop\t\tzl
\t\tpop\t\tr24
\t\tpop\t\tr7
\t\tpop\t\tr6
\t\tpop\t\tr0
\t\tout\t\tSREG,r5
\t\tpop\t\tr5
\t\treti)");
}

void EmitSample(CompilerState& st) {
  st.out.Line();
  st.out.Line(";////// Gsamp from Sine table ////////////");
  st.out.Text(R"(_Gsamp:\tldi\t\tr24,0x0f
\t\tand\t\txh,r24
\t\tldi\t\tr24,0x04
\t\tadd\t\txl,r24
\t\tclr\t\tr24
\t\tadc\t\txh,r24
\t\tlsr\t\txh
\t\tror\t\txl
\t\tlsr\t\txh
\t\tror\t\txl
\t\tlsr\t\txh
\t\tror\t\txl
\t\tldi\t\tr24,0x7f
\t\tand\t\txl,r24
\t\tldi\t\tzl,byte1(_Stbl*2)
\t\tldi\t\tzh,byte2(_Stbl*2)
\t\tadd\t\tzl,xl
\t\tclr\t\tr24
\t\tadc\t\tzh,r24)");
  if (st.dev.NeedRampz) SetTablePage(st, "_Stbl");
  st.out.Instr(st.mn.LpmMnemonic);
  st.out.Instr("ret");
}

// Rows of sixteen ".db" entries in column 0.
void EmitTable(CompilerState& st, const char* label, const long* values, int count) {
  st.out.Line(std::string(label) + ":");
  for (int row = 0; row < count; row += 16) {
    std::string line = ".db ";
    for (int i = row; i < row + 16; ++i) line += (i == row ? "" : ",") + Hex2(values[i]);
    st.out.Line(line);
  }
}

void EmitTables(CompilerState& st) {
  long sine[128];
  for (int k = 0; k < 128; ++k)
    sine[k] = std::min(127L, static_cast<long>(std::floor(64.0 + 64.0 * std::sin(2.0 * std::numbers::pi * k / 128.0))));
  st.out.Line();
  st.out.Line(";////// Sine table ///////////////////////");
  EmitTable(st, "_Stbl", sine, 128);
  long increments[32];
  for (int key = 0; key < 16; ++key)
    for (int tone = 0; tone < 2; ++tone) increments[2 * key + tone] = DtmfIncrement(st, kTones[key][tone]);
  st.out.Line();
  st.out.Line(";////// Reload values ////////////////////");
  EmitTable(st, "_Dtc", increments, 32);
}

}  // namespace

long DtmfIncrement(const CompilerState& st, int hz) {
  const double mhz = st.cfg.CrystalFrequency;
  if (mhz <= 0.0) return 0;
  return static_cast<long>(RoundHalfEven(hz * 522240.0 / (mhz * 1000000.0)));
}

void EmitDtmfRoutines(CompilerState& st) {
  st.used.Set(NeedWaitMs);  // the tone's length; written later in the link order
  EmitDtmf(st);
  EmitHandler(st);
  EmitSample(st);
  EmitTables(st);
}

}  // namespace qbc
