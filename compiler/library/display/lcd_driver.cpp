// The lowest layer of the character LCD driver: initialisation, command and character
// writes and the enable pulse, for the 4- and 8-bit pin wirings and the display on the
// external memory bus.
#include <cmath>
#include <string>

#include "compiler/codegen/emit_lines.h"
#include "compiler/library/display/lcd_pins.h"
#include "compiler/library/display/lcd_routines.h"
#include "compiler/statements/peripherals/lcd_cells.h"

namespace qbc {

namespace {

using lcdpins::Pin;

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

void WriteDataPort(CompilerState& st, std::string_view reg) {
  const char letter = lcdpins::PortLetter(st.Cells<LcdCells>().LcdDataPort);
  const std::string port = lcdpins::RegisterName("PORT", letter);
  if (lcdpins::InOutAddressable(st, "PORT", letter))
    st.out.Instr(Sep::kWide, "out", port + "," + std::string(reg));
  else
    st.out.Instr(Sep::kWide, "sts", port + "," + std::string(reg));
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
void WritePinDirections(CompilerState& st, const Pin& rs, const Pin& en) {
  if (st.dev.DeviceName == "m103" && st.Cells<LcdCells>().LcdDataPort == "PORTC") return;  // output-only port
  static const char* const kNibble[] = {"zl,0x0f", "zl,0x1e", "zl,0x3c", "zl,0x78", "zl,0xf0"};
  const char letter = lcdpins::PortLetter(st.Cells<LcdCells>().LcdDataPort);
  const std::string ddr = lcdpins::RegisterName("DDR", letter);
  const bool inOut = lcdpins::InOutAddressable(st, "DDR", letter);
  if (EightBitPins(st)) {
    st.out.Instr(Sep::kWide, "ldi", "zl,0xff");
  } else {
    st.out.Instr(Sep::kWide, inOut ? "in" : "lds", "zl," + ddr);
    st.out.Instr(Sep::kWide, "ori", kNibble[st.Cells<LcdCells>().LcdDataPinOffset <= 4 ? st.Cells<LcdCells>().LcdDataPinOffset : 0]);
  }
  st.out.Instr(Sep::kWide, inOut ? "out" : "sts", ddr + ",zl");
  lcdpins::WritePinBit(st, "", "DDR", rs, true, "zl");
  lcdpins::WritePinBit(st, "", "DDR", en, true, "zl");
  if (LcdTwoEnables(st.Cells<LcdCells>()))
    lcdpins::WritePinBit(st, "", "DDR", lcdpins::ParsePin(st.Cells<LcdCells>().LcdE2Port), true, "zl");
}

void StoreCell(CompilerState& st, const char* cell, const char* value) {
  st.out.Instr(Sep::kWide, "ldi", std::string("zl,") + value);
  st.out.Instr(Sep::kWide, "sts", std::string(cell) + ",zl");
}

// The E lines of two controllers: each rises when its bit in _LcdSel (read into r23) is
// set. r23 is free here: _LOut is done with it, and no caller keeps a value in it.
void RaiseSelectedEnables(CompilerState& st, const Pin& e1, const Pin& e2) {
  st.out.Instr("_LEN", Sep::kWide, "lds", std::string("r23,") + kLcdSelectCell);
  int selectBit = 0;
  for (const Pin& e : {e1, e2}) {
    const std::string skip = "r23," + Dec(selectBit++);
    const std::string port = lcdpins::RegisterName("PORT", e.letter);
    if (lcdpins::BitAddressable(st, "PORT", e.letter)) {
      st.out.Instr(Sep::kNarrow, "sbrc", skip);
      st.out.Instr(Sep::kWide, "sbi", port + "," + Dec(e.bit));
    } else {
      // The port is written back unchanged when the line is not selected.
      st.out.Instr(Sep::kWide, "lds", "r20," + port);
      st.out.Instr(Sep::kNarrow, "sbrc", skip);
      st.out.Instr(Sep::kWide, "sbr", "r20," + Dec(1L << e.bit));
      st.out.Instr(Sep::kWide, "sts", port + ",r20");
    }
  }
}

// Both lines go low: the one that did not rise stays low, so it sees no edge.
void LowerBothEnables(CompilerState& st, const Pin& e1, const Pin& e2) {
  for (const Pin& e : {e1, e2}) lcdpins::WritePinBit(st, "", "PORT", e, false, "r20");
}

}  // namespace

void EmitLcdWriteRoutines(CompilerState& st) {
  if (st.Cells<LcdCells>().NeedLcdEN) {
    WriteBusRoutines(st);
    return;
  }
  const Pin rs = lcdpins::ParsePin(st.Cells<LcdCells>().LcdRsPort);
  st.out.Line();
  const bool eight = EightBitPins(st);
  lcdpins::WritePinBit(st, "_Lch", "PORT", rs, true, "r20");
  st.out.Instr(Sep::kNarrow, "rjmp", eight ? "_LOut" : "_LNib");
  lcdpins::WritePinBit(st, "_LCtr", "PORT", rs, false, "r20");
  if (eight) {
    // The whole port carries the byte.
    st.out.Label("_LOut");
    WriteDataPort(st, "r24");
  } else {
    st.out.Text(R"(_LNib:\tmov\t\tr21,r24
\t\tswap\t\tr24
\t\trcall\t_LOut
\t\tmov\t\tr24,r21)");
    const char letter = lcdpins::PortLetter(st.Cells<LcdCells>().LcdDataPort);
    const std::string port = lcdpins::RegisterName("PORT", letter);
    st.out.Instr("_LOut", Sep::kWide, lcdpins::InOutAddressable(st, "PORT", letter) ? "in" : "lds", "r23," + port);
    WriteNibbleLines(st, st.Cells<LcdCells>().LcdDataPinOffset);
    st.out.Instr(Sep::kWide, "or", "r24,r23");
    WriteDataPort(st, "r24");
  }
  st.out.Instr(Sep::kNarrow, "rcall", "_LEN");
  st.out.Instr("ret");
}

void EmitLcdEnRoutine(CompilerState& st) {
  const Pin en = lcdpins::ParsePin(st.Cells<LcdCells>().LcdEnPort);
  // E stays high about half a microsecond (one with "wait") at any clock.
  long nops = std::lround(std::nearbyint(static_cast<double>(st.cfg.CrystalFrequency) / 2.0));
  if (nops < 0) nops = 0;
  if (st.Cells<LcdCells>().LcdWaitBusy) nops *= 2;
  st.out.Line();
  st.out.Line(";////// LcdEN /////////////////////////////");
  const bool two = LcdTwoEnables(st.Cells<LcdCells>());
  const Pin e2 = lcdpins::ParsePin(st.Cells<LcdCells>().LcdE2Port);
  if (two)
    RaiseSelectedEnables(st, en, e2);
  else
    lcdpins::WritePinBit(st, "_LEN", "PORT", en, true, "r20");
  for (long i = 0; i < nops; ++i) st.out.Instr("nop");
  if (two) {
    LowerBothEnables(st, en, e2);
  } else if (lcdpins::BitAddressable(st, "PORT", en.letter)) {
    lcdpins::WritePinBit(st, "", "PORT", en, false, "r20");
  } else {
    // r20 still holds the port as it was read before E went high.
    const std::string port = lcdpins::RegisterName("PORT", en.letter);
    st.out.Instr(Sep::kWide, "cbr", "r20," + Dec(1L << en.bit));
    st.out.Instr(Sep::kWide, "sts", port + ",r20");
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
  const Pin rs = lcdpins::ParsePin(st.Cells<LcdCells>().LcdRsPort);
  const Pin en = lcdpins::ParsePin(st.Cells<LcdCells>().LcdEnPort);
  const bool eight = EightBitPins(st);
  const bool two = LcdTwoEnables(st.Cells<LcdCells>());
  // Both controllers take the whole sequence at once: every E pulse below goes to both.
  if (two) StoreCell(st, kLcdSelectCell, "0x03");
  WritePinDirections(st, rs, en);
  lcdpins::WritePinBit(st, "", "PORT", rs, false, "zl");
  lcdpins::WritePinBit(st, "", "PORT", en, false, "zl");
  if (two) lcdpins::WritePinBit(st, "", "PORT", lcdpins::ParsePin(st.Cells<LcdCells>().LcdE2Port), false, "zl");
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
    const Pin d4{lcdpins::PortLetter(st.Cells<LcdCells>().LcdDataPort), st.Cells<LcdCells>().LcdDataPinOffset};
    lcdpins::WritePinBit(st, "", "PORT", d4, false, "zl");
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
