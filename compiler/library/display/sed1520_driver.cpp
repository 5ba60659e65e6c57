// The SED1520 controller access: two controllers share the data port, A0 and R/W and have
// an enable line each (active high); the T flag carries the choice between the routines.
#include <algorithm>
#include <cmath>
#include <string>

#include "compiler/frontend/device_facts.h"
#include "compiler/base/decl_text.h"
#include "compiler/library/display/page_glcd_routines.h"
#include "compiler/statements/peripherals/glcd_cells.h"

namespace qbc {

namespace {

constexpr int kSed = 3;

}  // namespace

// _S0ini starts with T clear, so that its first display-on reaches the first controller
// whatever T held when a GlcdInit statement called it.
void EmitSed1520GraphLcdInitRoutines(CompilerState& st) {
  if (!PageGlcdLinesNamed(st, {{"rw", 2}, {"a0", 3}, {"e1", 4}, {"e2", 5}})) return;
  const GlcdCells& g = st.Cells<GlcdCells>();
  // e3 and e4 are only made outputs, when configured.
  int mask = 0;
  for (const std::string* line : {&g.GlcdLine1, &g.GlcdLine2, &g.GlcdLine3, &g.GlcdLine4, &g.GlcdLine5, &g.GlcdLine6})
    mask |= PageGlcdPinMask(*line);
  std::string text = "\n\n;////// GraphLcdInit /////////////////////\n_S0ini:\tclt\n\t\tldi\t\tzh,0xff\n\t\tout\t\t{DDR},zh";
  if (PortRegistersOf(st, g.GlcdCtrlPort).dir)  // not on an output-only port
    text += "\n\t\tin\t\tzl,{CDDR}\n\t\tori\t\tzl," + Hex2(mask, HexForm::Prefixed0xUpper) + "\n\t\tout\t\t{CDDR},zl";
  text += R"(
\t\tldi\t\tzh,0xaf
\t\tmov\t\tr0,zh
\t\trcall\t_Sco
\t\tset
\t\trcall\t_Sco
\t\tsbi\t\t{L3}
\t\tret

;////// Command //////////////////////////
_Sco:\tcbi\t\t{L3}
\t\tout\t\t{DATA},r0
\t\trcall\t_Sen
\t\tsbi\t\t{L3}
\t\tret

;////// Enable ////////////////////////////
_Sen:\tbrts\t_Sen0
\t\tsbi\t\t{L4}
\t\tcbi\t\t{L4}
\t\tret
_Sen0:\tsbi\t\t{L5}
\t\tcbi\t\t{L5}
\t\tret

;////// SetAdr ///////////////////////////
_S0adr:\tpush\tr17
\t\tpush\tr16
\t\tclt
\t\tcpi\t\tr16,0x3d
\t\tbrlo\t_S0ad1
\t\tsubi\tr16,0x3d
\t\tset
_S0ad1:\tmov\t\tr0,r16
\t\trcall\t_Sco
_S0ad2:\tsubi\tr17,-0xb8
\t\tmov\t\tr0,r17
\t\trcall\t_Sco
\t\tpop\t\tr16
\t\tpop\t\tr17
\t\tret

;////// GlcdWrite ////////////////////////
_S0wr:\tcpi\t\tr16,{COLS}
\t\tbrsh\t_S0wr1
\t\tcpi\t\tr17,{PAGES}
\t\tbrsh\t_S0wr1
\t\tpush\tr0
\t\trcall\t_S0adr
\t\tpop\t\tr0
\t\tout\t\t{DATA},r0
\t\trcall\t_Sen
_S0wr1:\tret

;////// GlcdRead /////////////////////////
_S0rd1:\tclr\t\tr0
\t\tldi\t\tzh,0xff
\t\tret
_S0rd:\tcpi\t\tr16,{COLS}
\t\tbrsh\t_S0rd1
\t\tcpi\t\tr17,{PAGES}
\t\tbrsh\t_S0rd1
\t\trcall\t_S0adr
\t\tldi\t\tzh,0x00
\t\tout\t\t{DDR},zh
\t\tsbi\t\t{L2}
\t\tbrts\t_S0rd2
\t\trcall\t_Sen)";
  // The dummy read's strobe and the reading one are a whole controller cycle (1000 ns)
  // apart; the return from _Sen takes 6 cycles of it after E fell.
  const int rest = static_cast<int>(std::ceil(st.cfg.CrystalFrequency - 1e-6)) - 8;
  std::string wait;
  for (int i = 0; i < rest; ++i) wait += "\n\t\tnop";
  // The controller drives the data 90 ns after E rises, and the port's input synchroniser
  // shows a level to `in` half a cycle to one and a half cycles after the pin took it:
  // from the end of the strobing sbi to the `in`, at least 0.5 cycle + 90 ns pass, on the
  // E1 path (which jumps to the read) and on the E2 path alike. Above 6 MHz a second sbi
  // of the line holds E as before.
  const double f = st.cfg.CrystalFrequency;
  const int access = static_cast<int>(std::ceil(0.5 + 0.09 * f - 1e-9));
  const bool hold = f > 6.0f;
  const int held = hold ? 2 : 0;
  auto nops = [](int n) {
    std::string t;
    for (int i = 0; i < n; ++i) t += "\n\t\tnop";
    return t;
  };
  text += wait + "\n\t\tsbi\t\t{L4}";
  if (hold) text += "\n\t\tsbi\t\t{L4}";
  text += nops(std::max(0, access - held - 2));
  text += "\n\t\trjmp\t_S0rd3\n_S0rd2:\trcall\t_Sen" + wait + "\n\t\tsbi\t\t{L5}";
  if (hold) text += "\n\t\tsbi\t\t{L5}";
  text += nops(std::max(0, access - held));
  text += R"(
_S0rd3:\tin\t\tr0,{PIN}
\t\tbrts\t_S0rd4
\t\tcbi\t\t{L4}
\t\trjmp\t_S0rd5
_S0rd4:\tcbi\t\t{L5}
_S0rd5:\tcbi\t\t{L2}
\t\tldi\t\tzh,0xff
\t\tout\t\t{DDR},zh
\t\tret)";
  WritePageGlcdText(st, kSed, text);
}

}  // namespace qbc
