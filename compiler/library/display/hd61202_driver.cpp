// The HD61202/KS0108 controller access: initialisation, the enable strobe, address set,
// byte write and byte read. The chips are selected by a low chip-select line and are idle
// with both selects high.
#include <cmath>
#include <string>

#include "compiler/frontend/device_facts.h"
#include "compiler/base/decl_text.h"
#include "compiler/library/display/page_glcd_routines.h"
#include "compiler/statements/peripherals/glcd_cells.h"

namespace qbc {

namespace {

constexpr int kHd = 2;

// Clock cycles that cover `ns` nanoseconds at the configured clock.
int CyclesFor(const CompilerState& st, double ns) {
  return static_cast<int>(std::ceil(ns * st.cfg.CrystalFrequency / 1000.0 - 1e-9));
}

std::string Nops(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "\n\t\tnop";
  return text;
}

bool HasCs2(const CompilerState& st) { return !st.Cells<GlcdCells>().GlcdLine5.empty(); }

// Both selects high: the idle state, in which no chip takes a strobe.
std::string DeselectLines(const CompilerState& st) {
  return std::string("\n\t\tsbi\t\t{L4}") + (HasCs2(st) ? "\n\t\tsbi\t\t{L5}" : "");
}

void WriteInit(CompilerState& st) {
  const GlcdCells& g = st.Cells<GlcdCells>();
  int mask = 0;
  for (const std::string* line : {&g.GlcdLine1, &g.GlcdLine2, &g.GlcdLine3, &g.GlcdLine4, &g.GlcdLine5})
    mask |= PageGlcdPinMask(*line);
  std::string text = "\n\n;////// GraphLcdInit /////////////////////\n_HDini:\tldi\t\tzh,0xff\n\t\tout\t\t{DDR},zh";
  if (PortRegistersOf(st, g.GlcdCtrlPort).dir)  // not on an output-only port
    text += "\n\t\tin\t\tzl,{CDDR}\n\t\tori\t\tzl," + Hex2(mask, HexForm::Prefixed0xUpper) + "\n\t\tout\t\t{CDDR},zl";
  text += "\n\t\tldi\t\tzl,0xc0\n\t\tout\t\t{DATA},zl\n\t\trcall\t_HDen";
  const int mode = g.GlcdOption3;
  // Mode 0 leaves the display off; 2 raises the selects before display-on, 1 after it.
  if (mode == 2) text += DeselectLines(st);
  if (mode != 0) text += "\n\t\tldi\t\tzl,0x3f\n\t\tout\t\t{DATA},zl\n\t\trcall\t_HDen";
  if (mode != 2) text += DeselectLines(st);
  text += "\n\t\tsbi\t\t{L3}\n\t\tret";
  WritePageGlcdText(st, kHd, text);
}

// E stays high at least 450 ns; the delay after the strobe (about 10 us through _Wtic)
// keeps the chips' cycle and busy times.
// The count of _Wtic's 3-cycle loop that makes a strobe and its wait about 10 us.
std::string DelayCount(const CompilerState& st) {
  return std::to_string(std::llround(RoundHalfEven((st.cfg.CrystalFrequency * 10.0f - 7.0f) / 3.0f)));
}

void WriteEnable(CompilerState& st) {
  const int nops = std::max(0, CyclesFor(st, 450) - 3);
  WritePageGlcdText(st, kHd,
                    "\n\n;////// GraphicEN ////////////////////////\n_HDen:\tsbi\t\t{L1}\n\t\tldi\t\tr23," +
                        DelayCount(st) + Nops(nops) + "\n\t\tcbi\t\t{L1}\n\t\trcall\t_Wtic\n\t\tret");
}

void WriteAddress(CompilerState& st) {
  std::string text = "\n\n;////// SetAdr ///////////////////////////\n_HDadr:\tcbi\t\t{L2}\n\t\tpush\tr17\n\t\tpush\tr16\n\t\tcbi\t\t{L3}";
  if (HasCs2(st)) text += "\n\t\tcpi\t\tr16,0x40\n\t\tbrsh\t_HDad1";
  text += "\n\t\tcbi\t\t{L4}\n\t\tsubi\tr16,-0x40\n\t\trjmp\t_HDad2";
  if (HasCs2(st)) text += "\n_HDad1:\tcbi\t\t{L5}";
  text += R"(
_HDad2:\tsubi\tr17,-0xb8
\t\tout\t\t{DATA},r17
\t\trcall\t_HDen
\t\tout\t\t{DATA},r16
\t\trcall\t_HDen
\t\tsbi\t\t{L3}
\t\tpop\t\tr16
\t\tpop\t\tr17
\t\tret)";
  WritePageGlcdText(st, kHd, text);
}

// A column or page beyond the panel is passed over: the chip would take it as another
// command. Outside, a read gives 0.
void WriteWriteRead(CompilerState& st) {
  WritePageGlcdText(st, kHd, "\n\n;////// GlcdWrite ////////////////////////\n_HDwr:\tcpi\t\tr16,{COLS}\n\t\tbrsh\t_HDwr1"
                             "\n\t\tcpi\t\tr17,{PAGES}\n\t\tbrsh\t_HDwr1\n\t\trcall\t_HDadr\n\t\tout\t\t{DATA},r0"
                             "\n\t\trcall\t_HDen" + DeselectLines(st) + "\n\t\tsbi\t\t{L2}\n_HDwr1:\tret");
  // The first strobe is the chip's dummy read after the address change. The exit for a
  // position outside the panel stands before the entry, within a branch's reach however
  // long the port lines' instructions make the routine. The second holds
  // E high until the data, which the chip drives up to 320 ns after E rises, is sampled,
  // and at least 450 ns; the chip is busy after the read as after every access.
  const int before_sample = std::max(CyclesFor(st, 320) + 1, CyclesFor(st, 450) - 3);
  WritePageGlcdText(st, kHd, "\n\n;////// GlcdRead /////////////////////////\n_HDrd1:\tclr\t\tr0\n\t\tldi\t\tzh,0xff\n\t\tret\n_HDrd:\tcpi\t\tr16,{COLS}\n\t\tbrsh\t_HDrd1"
                             "\n\t\tcpi\t\tr17,{PAGES}\n\t\tbrsh\t_HDrd1\n\t\trcall\t_HDadr\n\t\tldi\t\tzh,0"
                             "\n\t\tout\t\t{DDR},zh\n\t\tsbi\t\t{L2}\n\t\tsbi\t\t{L3}\n\t\trcall\t_HDen\n\t\tsbi\t\t{L1}" +
                                 Nops(before_sample) + "\n\t\tin\t\tr0,{PIN}\n\t\tcbi\t\t{L1}\n\t\tldi\t\tr23," +
                                 DelayCount(st) + "\n\t\trcall\t_Wtic" + DeselectLines(st) +
                                 "\n\t\tldi\t\tzh,0xff\n\t\tout\t\t{DDR},zh\n\t\tret");
}

}  // namespace

void EmitHd61202GraphLcdInitRoutines(CompilerState& st) {
  if (!PageGlcdLinesNamed(st, {{"en", 1}, {"wr", 2}, {"di", 3}, {"cs1", 4}})) return;
  // A panel wider than one chip's 64 columns has a second chip, whose select must be
  // driven: left floating it takes the first chip's strobes or none.
  if (st.Cells<GlcdCells>().GlcdOption1 > 64 && !PageGlcdLinesNamed(st, {{"cs2", 5}})) return;
  WriteInit(st);
  WriteEnable(st);
  WriteAddress(st);
  WriteWriteRead(st);
}

}  // namespace qbc
