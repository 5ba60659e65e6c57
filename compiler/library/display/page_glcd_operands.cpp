// Filling the page-organised families' routine text with their labels and operands.
#include <algorithm>
#include <string>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/library/display/page_glcd_routines.h"
#include "compiler/library/display/port_forms.h"
#include "compiler/statements/peripherals/glcd_cells.h"
#include "compiler/frontend/port_pins.h"

namespace qbc {

namespace {

void Replace(std::string& text, std::string_view key, const std::string& value) {
  for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
    text.replace(at, key.size(), value);
}

std::string Letter(const std::string& port) { return PortLetterText(port); }

// Columns the panel shows: the $glcd width, at most what the configured chips hold.
int PanelColumns(const GlcdCells& g, int type) {
  const int chips = type == 3 ? 122 : (g.GlcdLine5.empty() ? 64 : 128);
  return std::min<int>(g.GlcdOption1, chips);
}

int PanelPages(const GlcdCells& g, int type) { return std::min<int>(g.GlcdOption2 / 8, type == 3 ? 4 : 8); }

}  // namespace

bool PageGlcdLinesNamed(CompilerState& st, std::initializer_list<std::pair<const char*, int>> lines) {
  const GlcdCells& g = st.Cells<GlcdCells>();
  const std::string* cells[] = {&g.GlcdLine1, &g.GlcdLine2, &g.GlcdLine3, &g.GlcdLine4, &g.GlcdLine5, &g.GlcdLine6};
  bool all = true;
  for (const auto& [name, cell] : lines) {
    if (!cells[cell - 1]->empty()) continue;
    CompileError(st, "Control line " + UpperText(name) + " not defined!");
    all = false;
  }
  return all;
}

int PageGlcdPinMask(const std::string& digit) { return digit.empty() ? 0 : 1 << (digit[0] - '0'); }

std::string_view PageGlcdPrefix(int type) { return type == 3 ? "_S0" : "_HD"; }

void WritePageGlcdText(CompilerState& st, int type, std::string_view block) {
  const GlcdCells& g = st.Cells<GlcdCells>();
  std::string text(block);
  Replace(text, "{P}", std::string(PageGlcdPrefix(type)));
  Replace(text, "{DATA}", g.GlcdDataPort);
  Replace(text, "{DDR}", "DDR" + Letter(g.GlcdDataPort));
  Replace(text, "{PIN}", "PIN" + Letter(g.GlcdDataPort));
  Replace(text, "{CDDR}", "DDR" + Letter(g.GlcdCtrlPort));
  const std::string* lines[] = {&g.GlcdLine1, &g.GlcdLine2, &g.GlcdLine3, &g.GlcdLine4, &g.GlcdLine5, &g.GlcdLine6};
  for (int i = 0; i < 6; ++i) Replace(text, "{L" + std::to_string(i + 1) + "}", g.GlcdCtrlPort + "," + *lines[i]);
  Replace(text, "{COLS}", std::to_string(PanelColumns(g, type)));
  Replace(text, "{PAGES}", std::to_string(PanelPages(g, type)));
  Replace(text, "{LASTCOL}", std::to_string(std::max(PanelColumns(g, type) - 1, 0)));
  Replace(text, "{LASTPAGE}", std::to_string(std::max(PanelPages(g, type) - 1, 0)));
  Replace(text, "\\t", "\t");
  st.out.Text(WithReachablePortForms(st, text));
}

}  // namespace qbc
