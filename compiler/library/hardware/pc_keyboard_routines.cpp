#include "compiler/library/hardware/pc_keyboard_routines.h"

#include <initializer_list>
#include <string>
#include <utility>

#include "compiler/base/decl_text.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/port_pins.h"
#include "compiler/statements/peripherals/pc_key_cells.h"

namespace qbc {

namespace {

constexpr const char* kScratch = "r25";

struct Line {
  std::string letter;
  std::string pin;
};

// The routines' lines on the two keyboard lines, each register in the form io_access
// chooses for it (a port's PIN register may be in reach of the bit instructions while its
// PORT and DDR are not).
class PcKeyLines {
 public:
  PcKeyLines(CompilerState& st, const PcKeyCells& k)
      : st_(st),
        data_{PortLetterText(k.PcKeyDataPort), k.PcKeyDataPin},
        clock_{PortLetterText(k.PcKeyClockPort), k.PcKeyClockPin} {}

  const Line& Data() const { return data_; }
  const Line& Clock() const { return clock_; }

  bool InReach(const char* kind, const Line& l) const { return IsBitAddressable(st_, kind + l.letter); }

  // Skips the next line when the line's PIN bit is set (`ifSet`) or clear; `label` opens
  // the first line written.
  void Skip(const std::string& label, const Line& l, bool ifSet, const char* scratch = kScratch) {
    EmitBitSkip(st_, PinBit("PIN" + l.letter, l.pin), ifSet, scratch, Reach::kData, label);
  }

  // Sets or clears the line's bit in its "DDR" or "PORT" register.
  void Bit(const std::string& label, const char* kind, const Line& l, bool set, const char* scratch = kScratch) {
    EmitBitChange(st_, PinBit(kind + l.letter, l.pin), set, Flags::kMayChange, scratch, Reach::kData, label);
  }
  void Bit(const char* kind, const Line& l, bool set, const char* scratch = kScratch) { Bit("", kind, l, set, scratch); }

  // Whether a routine touching these registers of the lines needs the scratch register.
  bool NeedsScratch(std::initializer_list<std::pair<const char*, const Line*>> regs) const {
    for (const auto& [kind, line] : regs)
      if (!InReach(kind, *line)) return true;
    return false;
  }

 private:
  CompilerState& st_;
  Line data_;
  Line clock_;
};

void Save(CompilerState& st, const std::string& label, bool save) {
  if (save) st.out.Instr(label, Sep::kNarrow, "push", kScratch);
}

void Restore(CompilerState& st, bool save) {
  if (save) st.out.Instr(Sep::kWide, "pop", kScratch);
}

void EmitReceive(CompilerState& st, PcKeyLines& l) {
  const bool save = l.NeedsScratch({{"PIN", &l.Clock()}, {"PIN", &l.Data()}});
  st.out.Line();
  st.out.Line(";////// PCkey /////////////////////////////");
  Save(st, "_PCkey", save);
  st.out.Instr(save ? "" : "_PCkey", Sep::kWide, "ldi", "r24,0x08");
  // The start bit's falling clock edge, then one data bit after each further one.
  l.Skip("_PCk1", l.Clock(), false);
  st.out.Instr(Sep::kNarrow, "rjmp", "_PCk1");
  st.out.Instr("_PCk2", Sep::kNarrow, "rcall", "_PCwt");
  st.out.Instr("sec");
  l.Skip("", l.Data(), true);
  st.out.Text(R"(\t\tclc
\t\tror\t\tzl
\t\tdec\t\tr24
\t\tbrne\t_PCk2
\t\trcall\t_PCwt
\t\trcall\t_PCwt)");
  l.Skip("_PCk5", l.Clock(), true);
  st.out.Instr(Sep::kNarrow, "rjmp", "_PCk5");
  Restore(st, save);
  st.out.Instr("ret");
}

void EmitPulseWait(CompilerState& st, PcKeyLines& l) {
  const bool save = l.NeedsScratch({{"PIN", &l.Clock()}});
  st.out.Line();
  st.out.Line(";////// PCkey pulse wait //////////////////");
  Save(st, "_PCwt", save);
  const char* low = save ? "_PC13" : "_PCwt";
  l.Skip(low, l.Clock(), true);
  st.out.Instr(Sep::kNarrow, "rjmp", low);
  l.Skip("_PC15", l.Clock(), false);
  st.out.Instr(Sep::kNarrow, "rjmp", "_PC15");
  Restore(st, save);
  st.out.Instr("ret");
}

void EmitInit(CompilerState& st, PcKeyLines& l) {
  // zl is free until the first command byte is loaded.
  l.Bit("_PCini", "DDR", l.Clock(), false, "zl");
  l.Bit("PORT", l.Clock(), true, "zl");
  st.out.Text(R"(\t\tldi\t\tzl,0xf0
\t\trcall\t_PCsnd
\t\tldi\t\tzl,0x03)");
}

void EmitSend(CompilerState& st, PcKeyLines& l) {
  const Line& c = l.Clock();
  const Line& d = l.Data();
  const bool save =
      l.NeedsScratch({{"PIN", &c}, {"PORT", &c}, {"DDR", &c}, {"PIN", &d}, {"PORT", &d}, {"DDR", &d}});
  Save(st, "_PCsnd", save);
  // A keyboard sends whenever its clock line is free: the host holds the clock low well
  // over 100 us first, so that one in mid-frame gives its frame up (and sends it again
  // later) instead of clocking both frames at once. The pull-up goes off before the pin
  // drives, so the pin never drives the line high.
  l.Bit(save ? "" : "_PCsnd", "PORT", c, false);
  l.Bit("DDR", c, true);
  st.out.Text(R"(\t\tmov\t\tr24,zl
\t\tldi\t\tzl,0x01
\t\trcall\t_Wms
\t\tmov\t\tzl,r24)");
  // The request to send (the start bit), then the clock let go for the keyboard to drive.
  l.Bit("PORT", d, false);
  l.Bit("DDR", d, true);
  l.Bit("DDR", c, false);
  l.Bit("PORT", c, true);
  st.out.Text(R"(\t\tldi\t\tr24,0x08
\t\tset)");
  // Each bit goes out while the clock is low; T ends as the odd parity of the eight.
  l.Skip("_PCk8", c, false);
  st.out.Text(R"(\t\trjmp\t_PCk8
\t\tlsr\t\tzl
\t\tbrcc\t_PCk9)");
  l.Bit("PORT", d, true);
  st.out.Text(R"(\t\tbrts\t_PCk7
\t\tset
\t\trjmp\t_PC10
_PCk7:\tclt
\t\trjmp\t_PC10)");
  l.Bit("_PCk9", "PORT", d, false);
  l.Skip("_PC10", c, true);
  st.out.Text(R"(\t\trjmp\t_PC10
\t\tdec\t\tr24
\t\tbrne\t_PCk8)");
  l.Skip("_PC11", c, false);
  st.out.Text(R"(\t\trjmp\t_PC11
\t\tbrtc\t_PC17)");
  l.Bit("PORT", d, true);
  st.out.Instr(Sep::kNarrow, "rjmp", "_PC12");
  l.Bit("_PC17", "PORT", d, false);
  // The data line let go for the stop bit; then the keyboard's acknowledge pulse.
  st.out.Instr("_PC12", Sep::kNarrow, "rcall", "_PCwt");
  l.Bit("DDR", d, false);
  l.Bit("PORT", d, true);
  st.out.Instr(Sep::kNarrow, "rcall", "_PCwt");
  l.Skip("_PC16", c, true);
  st.out.Text(R"(\t\trjmp\t_PC16
\t\tldi\t\tzl,0x16
\t\trcall\t_Wms)");
  Restore(st, save);
  st.out.Instr("ret");
}

}  // namespace

void EmitPcKeyRoutines(CompilerState& st) {
  const PcKeyCells& k = st.Cells<PcKeyCells>();
  // Without both lines there is nothing to drive: $pckey or the statements have reported
  // the missing line already.
  if (PortLetter(k.PcKeyDataPort) == 0 || PortLetter(k.PcKeyClockPort) == 0 || k.PcKeyDataPin.empty() ||
      k.PcKeyClockPin.empty())
    return;
  // _PCsnd waits with _Wms, written later in the link order: with or without a PcKeySend
  // in the program (_PCini sends too).
  st.used.Set(NeedWaitMs);
  PcKeyLines lines(st, k);
  EmitReceive(st, lines);
  EmitPulseWait(st, lines);
  st.out.Line();
  st.out.Line(";////// PCkey ini /////////////////////////");
  if (k.PcKeyInit) EmitInit(st, lines);
  EmitSend(st, lines);
}

}  // namespace qbc
