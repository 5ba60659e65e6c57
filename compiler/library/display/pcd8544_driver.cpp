// The base of the PCD8544 driver: initialisation, clearing, the addressed byte write, the
// address setting, the serial shifter and the contrast setting.
#include <string>

#include "compiler/library/display/pcd8544_routines.h"
#include "compiler/library/display/port_forms.h"
#include "compiler/statements/peripherals/glcd_cells.h"
#include "compiler/frontend/port_pins.h"

namespace qbc {

namespace {

std::string PinOperand(const std::string& prefix, const std::string& port, const std::string& digit) {
  return prefix + PortLetterText(port) + "," + digit;
}

void Replace(std::string& text, std::string_view key, const std::string& value) {
  for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
    text.replace(at, key.size(), value);
}

}  // namespace

void WritePcd8544Text(CompilerState& st, std::string_view block) {
  const GlcdCells& g = st.Cells<GlcdCells>();
  std::string text(block);
  Replace(text, "{DDR_SDIN}", PinOperand("DDR", g.GlcdDataPort, g.GlcdLine2));
  Replace(text, "{DDR_SCLK}", PinOperand("DDR", g.GlcdDataPort, g.GlcdLine3));
  Replace(text, "{DDR_DC}", PinOperand("DDR", g.GlcdCtrlPort, g.GlcdLine4));
  Replace(text, "{DDR_SCE}", PinOperand("DDR", g.GlcdCtrlPort, g.GlcdLine5));
  Replace(text, "{SDIN}", PinOperand("PORT", g.GlcdDataPort, g.GlcdLine2));
  Replace(text, "{SCLK}", PinOperand("PORT", g.GlcdDataPort, g.GlcdLine3));
  Replace(text, "{DC}", PinOperand("PORT", g.GlcdCtrlPort, g.GlcdLine4));
  Replace(text, "{SCE}", PinOperand("PORT", g.GlcdCtrlPort, g.GlcdLine5));
  Replace(text, "\\t", "\t");
  st.out.Text(WithReachablePortForms(st, text));
}

// _PcAdr sends an address only inside the panel (columns 0 to 83, banks 0 to 5): higher
// values would reach the controller as other commands. It leaves in r21 the number of
// columns from r16 to the right edge (0 outside the panel), so that the writers cut
// images and glyphs at the edges instead of letting the controller run on into the next
// bank; _PcWr writes nothing outside the panel.
void EmitPcd8544GraphLcdInitRoutines(CompilerState& st) {
  WritePcd8544Text(st, R"(

;////// GraphLcdInit /////////////////////
_NkIni:\tsbi\t\t{DDR_SDIN}
\t\tsbi\t\t{DDR_SCLK}
\t\tsbi\t\t{DDR_DC}
\t\tsbi\t\t{DDR_SCE}
\t\tcbi\t\t{SCE}
\t\tcbi\t\t{DC}
\t\tldi\t\tr20,0x21
\t\trcall\t_PcSer
\t\tldi\t\tr20,0xc8
\t\trcall\t_PcSer
\t\tldi\t\tr20,0x06
\t\trcall\t_PcSer
\t\tldi\t\tr20,0x13
\t\trcall\t_PcSer
\t\tldi\t\tr20,0x20
\t\trcall\t_PcSer
\t\tldi\t\tr20,0x0c
\t\trcall\t_PcSer
\t\tsbi\t\t{DC}
_PcCls:\tclr\t\tr0
\t\tldi\t\tr24,0x06
_PcC2:\tldi\t\tr25,0x54
_PcC1:\trcall\t_PcOut
\t\tdec\t\tr25
\t\tbrne\t_PcC1
\t\tdec\t\tr24
\t\tbrne\t_PcC2
\t\tret
_PcWr:\trcall\t_PcAdr
\t\ttst\t\tr21
\t\tbreq\t_PcWr1
\t\trcall\t_PcOut
_PcWr1:\tret
_PcAdr:\tclr\t\tr21
\t\tcpi\t\tr17,0x06
\t\tbrsh\t_PcAd1
\t\tldi\t\tr21,0x54
\t\tsub\t\tr21,r16
\t\tbrlo\t_PcAd2
\t\tbreq\t_PcAd1
\t\tcbi\t\t{DC}
\t\tmov\t\tr20,r16
\t\tori\t\tr20,0x80
\t\trcall\t_PcSer
\t\tmov\t\tr20,r17
\t\tori\t\tr20,0x40
\t\trcall\t_PcSer
\t\tsbi\t\t{DC}
_PcAd1:\tret
_PcAd2:\tclr\t\tr21
\t\tret

;////// LoadNokiaDisplay /////////////////
_PcOut:\tmov\t\tr20,r0
_PcSer:\tldi\t\tr18,0x08
\t\tcbi\t\t{SCE}
_Pc2:\trol\t\tr20
\t\tbrcc\t_Pc1
\t\tsbi\t\t{SDIN}
\t\trjmp\t_Pc3
_Pc1:\tcbi\t\t{SDIN}
_Pc3:\tsbi\t\t{SCLK}
\t\tdec\t\tr18
\t\tcbi\t\t{SCLK}
\t\tbrne\t_Pc2
\t\tcbi\t\t{SDIN}
\t\tsbi\t\t{SCE}
\t\tret
_Pcnst:\tcbi\t\t{DC}
\t\tori\t\tzl,0x80
\t\tldi\t\tr20,0x21
\t\trcall\t_PcSer
\t\tmov\t\tr20,zl
\t\trcall\t_PcSer
\t\tldi\t\tr20,0x20
\t\trcall\t_PcSer
\t\tsbi\t\t{DC}
\t\tret)");
}

}  // namespace qbc
