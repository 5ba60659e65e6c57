// The lowest layer of the character LCD driver: initialisation, command and character
// writes and the enable pulse, for the 4- and 8-bit pin wirings and the display on the
// external memory bus.
#include <cmath>
#include <string>

#include "compiler/frontend/device_facts.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/port_pins.h"
#include "compiler/library/display/lcd_routines.h"
#include "compiler/statements/peripherals/lcd_cells.h"

namespace qbc {

namespace {

// An LCD line as $lcd keeps it ("PORTB,3").
PortPin LinePin(std::string_view setting) {
  PortPin p = PortPinOfSetting(setting);
  if (p.letter == 0) p.letter = 'B';
  if (p.bit < 0) p.bit = 0;
  return p;
}

char DataPortLetter(const CompilerState& st) {
  const char letter = PortLetter(st.Cells<LcdCells>().LcdDataPort);
  return letter == 0 ? 'B' : letter;
}

// Sets or clears a line's bit in its port's `prefix` register (PORT or DDR); the first
// line carries `label` when it is not empty.
void WritePinBit(CompilerState& st, std::string_view label, std::string_view prefix, const PortPin& pin, bool high,
                 const std::string& scratch) {
  EmitBitChange(st, BitOf(PortRegister(prefix, pin.letter), pin.bit, MaskText::kDecimal), high, Flags::kMayChange,
                scratch, Reach::kData, label);
}

bool EightBitPins(const CompilerState& st) { return st.Cells<LcdCells>().LcdBusBits == 8; }

// Four hexadecimal digits of a bus address: high byte first.
std::string AddressDigits(std::uint32_t address) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(4, '0');
  for (int i = 3; i >= 0; --i, address >>= 4) text[static_cast<std::size_t>(i)] = kDigits[address & 0xF];
  return text;
}

void LoadBusAddress(CompilerState& st, std::string_view label, const std::string& givenDigits) {
  // A $lcd line that gave no address was reported there; the routine is still written whole.
  const std::string digits = givenDigits.size() >= 4 ? givenDigits : std::string(4 - givenDigits.size(), '0') + givenDigits;
  st.out.Instr(label, Sep::kWide, "ldi", "xh,0x" + digits.substr(0, 2));
  st.out.Instr(Sep::kWide, "ldi", "xl,0x" + digits.substr(2, 2));
}

// The data register's address as $lcd stored it (four hexadecimal digits).
std::string DataAddressDigits(const CompilerState& st) { return st.Cells<LcdCells>().LcdRsPort; }

// D4..D7 on the four pins from `offset`: the port's other bits kept in r23, r24's low
// nibble moved onto the data pins.
void WriteNibbleLines(CompilerState& st, int offset) {
  static const char* const kKeep[] = {"r23,0xf0", "r23,0xe1", "r23,0xc3", "r23,0x87", "r23,0x0f"};
  static const char* const kMask[] = {"r24,0x0f", "r24,0x1e", "r24,0x3c", "r24,0x78", "r24,0xf0"};
  if (offset < 0 || offset > 4) return;
  st.out.Instr(Sep::kWide, "andi", kKeep[offset]);
  if (offset == 3 || offset == 4) st.out.Instr(Sep::kWide, "swap", "r24");
  if (offset == 3) st.out.Instr(Sep::kWide, "lsr", "r24");
  for (int i = 0; i < offset && offset < 3; ++i) st.out.Instr(Sep::kWide, "lsl", "r24");
  st.out.Instr(Sep::kWide, "andi", kMask[offset]);
}

void WriteDataPort(CompilerState& st, const std::string& reg) {
  EmitRegisterWrite(st, PortRegister("PORT", DataPortLetter(st)), reg, Reach::kData);
}

void WriteBusRoutines(CompilerState& st) {
  const std::string command = AddressDigits(static_cast<std::uint32_t>(st.Cells<LcdCells>().LcdBusBits));
  st.out.Line();
  st.out.Line(";////// Lcd Wait No bussy /////////////////");
  LoadBusAddress(st, "_LcdWt", command);
  st.out.Text(R"(\t\tld\t\tr25,x
\t\trol\t\tr25
\t\tbrcs\t_LcdWt
\t\tret

;////// Lcd Control Write /////////////////
_LCtr:\trcall\t_LcdWt
\t\tst\t\tx,r24
\t\tret

;////// Lcd Write /////////////////////////
_Lch:\trcall\t_LcdWt)");
  LoadBusAddress(st, "", DataAddressDigits(st));
  st.out.Text(R"(\t\tst\t\tx,r24
\t\tret)");
}

void Command(CompilerState& st, const char* value) {
  st.out.Instr(Sep::kWide, "ldi", std::string("r24,") + value);
  st.out.Instr(Sep::kNarrow, "rcall", "_LCtr");
}

void Wait(CompilerState& st, const char* routine, const char* count) {
  st.out.Instr(Sep::kWide, "ldi", std::string("zl,") + count);
  st.out.Instr(Sep::kNarrow, "rcall", routine);
}

// Pin directions: the data pins, RS and E as outputs.
void WritePinDirections(CompilerState& st, const PortPin& rs, const PortPin& en) {
  if (!PortRegistersOf(st, DataPortLetter(st)).dir) return;  // an output-only port
  static const char* const kNibble[] = {"zl,0x0f", "zl,0x1e", "zl,0x3c", "zl,0x78", "zl,0xf0"};
  const std::string ddr = PortRegister("DDR", DataPortLetter(st));
  if (EightBitPins(st)) {
    st.out.Instr(Sep::kWide, "ldi", "zl,0xff");
  } else {
    EmitRegisterRead(st, ddr, "zl", Reach::kData);
    st.out.Instr(Sep::kWide, "ori", kNibble[st.Cells<LcdCells>().LcdDataPinOffset <= 4 ? st.Cells<LcdCells>().LcdDataPinOffset : 0]);
  }
  EmitRegisterWrite(st, ddr, "zl", Reach::kData);
  WritePinBit(st, "", "DDR", rs, true, "zl");
  WritePinBit(st, "", "DDR", en, true, "zl");
  if (LcdTwoEnables(st.Cells<LcdCells>())) WritePinBit(st, "", "DDR", LinePin(st.Cells<LcdCells>().LcdE2Port), true, "zl");
}

void StoreCell(CompilerState& st, const char* cell, const char* value) {
  st.out.Instr(Sep::kWide, "ldi", std::string("zl,") + value);
  st.out.Instr(Sep::kWide, "sts", std::string(cell) + ",zl");
}

// The E lines of two controllers: each rises when its bit in _LcdSel (read into r23) is
// set. r23 is free here: _LOut is done with it, and no caller keeps a value in it.
void RaiseSelectedEnables(CompilerState& st, const PortPin& e1, const PortPin& e2) {
  st.out.Instr("_LEN", Sep::kWide, "lds", std::string("r23,") + kLcdSelectCell);
  int selectBit = 0;
  for (const PortPin& e : {e1, e2}) {
    const std::string skip = "r23," + Dec(selectBit++);
    const IoForm raise =
        BitChangeForm(st, BitOf(PortRegister("PORT", e.letter), e.bit, MaskText::kDecimal), true, Flags::kMayChange,
                      "r20", Reach::kData);
    // The skip comes right before the change itself: in the longer form the port is
    // written back unchanged when the line is not selected.
    const std::size_t change = raise.size() == 1 ? 0 : 1;
    for (std::size_t i = 0; i < raise.size(); ++i) {
      if (i == change) st.out.Instr(Sep::kNarrow, "sbrc", skip);
      EmitForm(st, {raise[i]});
    }
  }
}

// Both lines go low: the one that did not rise stays low, so it sees no edge.
void LowerBothEnables(CompilerState& st, const PortPin& e1, const PortPin& e2) {
  for (const PortPin& e : {e1, e2}) WritePinBit(st, "", "PORT", e, false, "r20");
}

}  // namespace

void EmitLcdWriteRoutines(CompilerState& st) {
  if (st.Cells<LcdCells>().NeedLcdEN) {
    WriteBusRoutines(st);
    return;
  }
  const PortPin rs = LinePin(st.Cells<LcdCells>().LcdRsPort);
  st.out.Line();
  const bool eight = EightBitPins(st);
  WritePinBit(st, "_Lch", "PORT", rs, true, "r20");
  st.out.Instr(Sep::kNarrow, "rjmp", eight ? "_LOut" : "_LNib");
  WritePinBit(st, "_LCtr", "PORT", rs, false, "r20");
  if (eight) {
    // The whole port carries the byte.
    st.out.Label("_LOut");
    WriteDataPort(st, "r24");
  } else {
    st.out.Text(R"(_LNib:\tmov\t\tr21,r24
\t\tswap\t\tr24
\t\trcall\t_LOut
\t\tmov\t\tr24,r21)");
    EmitRegisterRead(st, PortRegister("PORT", DataPortLetter(st)), "r23", Reach::kData, "_LOut");
    WriteNibbleLines(st, st.Cells<LcdCells>().LcdDataPinOffset);
    st.out.Instr(Sep::kWide, "or", "r24,r23");
    WriteDataPort(st, "r24");
  }
  st.out.Instr(Sep::kNarrow, "rcall", "_LEN");
  st.out.Instr("ret");
}

void EmitLcdEnRoutine(CompilerState& st) {
  const PortPin en = LinePin(st.Cells<LcdCells>().LcdEnPort);
  // E stays high about half a microsecond (one with "wait") at any clock.
  long nops = std::lround(std::nearbyint(static_cast<double>(st.cfg.CrystalFrequency) / 2.0));
  if (nops < 0) nops = 0;
  if (st.Cells<LcdCells>().LcdWaitBusy) nops *= 2;
  st.out.Line();
  st.out.Line(";////// LcdEN /////////////////////////////");
  const bool two = LcdTwoEnables(st.Cells<LcdCells>());
  const PortPin e2 = LinePin(st.Cells<LcdCells>().LcdE2Port);
  if (two)
    RaiseSelectedEnables(st, en, e2);
  else
    WritePinBit(st, "_LEN", "PORT", en, true, "r20");
  for (long i = 0; i < nops; ++i) st.out.Instr("nop");
  if (two) {
    LowerBothEnables(st, en, e2);
  } else {
    // The longer form's read is left out: r20 still holds the port as it was read before
    // E went high.
    IoForm lower = BitChangeForm(st, BitOf(PortRegister("PORT", en.letter), en.bit, MaskText::kDecimal), false,
                                 Flags::kMayChange, "r20", Reach::kData);
    if (lower.size() > 1) lower.erase(lower.begin());
    EmitForm(st, lower);
  }
  // The controller executes the byte before it takes the next one.
  st.out.Instr(Sep::kNarrow, "push", "zl");
  st.out.Instr(Sep::kWide, "ldi", st.Cells<LcdCells>().LcdWaitBusy ? "zl,0x08" : "zl,0x04");
  st.out.Instr(Sep::kNarrow, "rcall", "_Wus");
  st.out.Instr(Sep::kNarrow, "pop", "zl");
  st.out.Instr("ret");
}

void EmitLcdInitRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Line(";////// LcdInit ///////////////////////////");
  st.out.Label("LcdIni");
  if (st.Cells<LcdCells>().NeedLcdEN) {
    for (const char* c : {"0x38", "0x06", "0x0c", "0x01"}) Command(st, c);
    st.out.Instr("ret");
    return;
  }
  const PortPin rs = LinePin(st.Cells<LcdCells>().LcdRsPort);
  const PortPin en = LinePin(st.Cells<LcdCells>().LcdEnPort);
  const bool eight = EightBitPins(st);
  const bool two = LcdTwoEnables(st.Cells<LcdCells>());
  // Both controllers take the whole sequence at once: every E pulse below goes to both.
  if (two) StoreCell(st, kLcdSelectCell, "0x03");
  WritePinDirections(st, rs, en);
  WritePinBit(st, "", "PORT", rs, false, "zl");
  WritePinBit(st, "", "PORT", en, false, "zl");
  if (two) WritePinBit(st, "", "PORT", LinePin(st.Cells<LcdCells>().LcdE2Port), false, "zl");
  // Reset by instruction: the interface bits three times with the data sheet's waits.
  Wait(st, "_Wms", "0x18");
  st.out.Instr(Sep::kWide, "ldi", eight ? "r24,0x30" : "r24,0x03");
  st.out.Instr(Sep::kNarrow, "rcall", "_LOut");
  Wait(st, "_Wms", "0x08");
  st.out.Instr(Sep::kNarrow, "rcall", "_LEN");
  Wait(st, "_Wus", "0x0d");
  st.out.Instr(Sep::kNarrow, "rcall", "_LEN");
  const char* functionSet = "0x38";
  if (!eight) {
    // D4 cleared: 0x2 switches the controller to four data lines.
    const PortPin d4{DataPortLetter(st), st.Cells<LcdCells>().LcdDataPinOffset};
    WritePinBit(st, "", "PORT", d4, false, "zl");
    st.out.Instr(Sep::kNarrow, "rcall", "_LEN");
    functionSet = "0x28";
  }
  Command(st, functionSet);
  Command(st, "0x06");
  if (st.Cells<LcdCells>().LcdKs0073) {
    // Extended instruction set: four lines, the segment (icon) memory cleared.
    Command(st, eight ? "0x3c" : "0x2c");
    Command(st, "0x09");
    st.out.Instr(Sep::kWide, "ldi", "zl,0x10");
    Command(st, "0x40");
    st.out.Text(R"(_ks:\tclr\t\tr24
\t\trcall\t_Lch
\t\tdec\t\tzl
\t\tbrne\t_ks)");
    Command(st, functionSet);
  }
  Command(st, "0x0c");
  Command(st, "0x01");
  Wait(st, "_Wms", st.Cells<LcdCells>().LcdWaitBusy ? "0x08" : "0x04");
  if (two) {
    // Display on without cursor, as just sent; text starts on row 1, behind E1.
    StoreCell(st, kLcdControlCell, "0x0c");
    StoreCell(st, kLcdSelectCell, "0x01");
  }
  st.out.Instr("ret");
}

}  // namespace qbc
