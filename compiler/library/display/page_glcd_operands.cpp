// Filling the page-organised families' routine text with their labels and operands.
#include <algorithm>
#include <optional>
#include <string>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/codegen/io_access.h"
#include "compiler/library/display/page_glcd_routines.h"
#include "compiler/statements/peripherals/glcd_cells.h"

namespace qbc {

namespace {

void Replace(std::string& text, std::string_view key, const std::string& value) {
  for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
    text.replace(at, key.size(), value);
}

std::string Letter(const std::string& port) { return port.empty() ? std::string() : port.substr(port.size() - 1); }

// Columns the panel shows: the $glcd width, at most what the configured chips hold.
int PanelColumns(const GlcdCells& g, int type) {
  const int chips = type == 3 ? 122 : (g.GlcdLine5.empty() ? 64 : 128);
  return std::min<int>(g.GlcdOption1, chips);
}

int PanelPages(const GlcdCells& g, int type) { return std::min<int>(g.GlcdOption2 / 8, type == 3 ? 4 : 8); }

// The register's address for the choice of instruction form; one the device file does
// not name keeps the short form.
int RegisterAddress(CompilerState& st, const std::string& name) { return IoRegisterAddress(st, name).value_or(0); }

// One routine line, its label (with the colon) apart, the tabs made real.
struct RoutineLine {
  std::string label;
  std::string mnemonic;
  std::string operands;
};

std::optional<RoutineLine> SplitLine(const std::string& line) {
  const std::size_t tab = line.find('\t');
  if (tab == std::string::npos) return std::nullopt;
  RoutineLine r;
  r.label = line.substr(0, tab);
  std::size_t at = line.find_first_not_of('\t', tab);
  if (at == std::string::npos || line[at] == ';') return std::nullopt;
  const std::size_t gap = line.find('\t', at);
  if (gap == std::string::npos) return std::nullopt;
  r.mnemonic = line.substr(at, gap - at);
  const std::size_t ops = line.find_first_not_of('\t', gap);
  if (ops == std::string::npos) return std::nullopt;
  r.operands = line.substr(ops);
  return r;
}

std::string Instr(const std::string& label, const std::string& mnemonic, const std::string& operands) {
  const std::string lead = label.empty() ? "\t\t" : label + "\t";
  return lead + mnemonic + (mnemonic.size() >= 4 ? "\t" : "\t\t") + operands;
}

// The routines are written with the short forms (in/out, sbi/cbi); a port in the upper
// I/O space (from 0x20) or the extended I/O space (from 0x40, written at its data address
// in the device file) needs the longer ones: lds/sts, and a read-modify-write of the port
// through r24 (kept on the stack) for a single line. Neither form touches the T or carry
// flag, which the routines carry across these lines.
std::string WithReachableRegisters(CompilerState& st, const std::string& text) {
  std::string out;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    std::string result = line;
    if (auto r = SplitLine(line)) {
      const std::size_t comma = r->operands.find(',');
      if (comma != std::string::npos) {
        const std::string first = r->operands.substr(0, comma);
        const std::string second = r->operands.substr(comma + 1);
        if (r->mnemonic == "out" && RegisterAddress(st, first) >= 0x40) {
          result = Instr(r->label, "sts", r->operands);
        } else if (r->mnemonic == "in" && RegisterAddress(st, second) >= 0x40) {
          result = Instr(r->label, "lds", r->operands);
        } else if ((r->mnemonic == "sbi" || r->mnemonic == "cbi") && RegisterAddress(st, first) >= 0x20 &&
                   second.size() == 1 && second[0] >= '0' && second[0] <= '7') {
          const bool far = RegisterAddress(st, first) >= 0x40;
          const bool set = r->mnemonic == "sbi";
          const int bit = 1 << (second[0] - '0');
          const std::string mask = Hex2(set ? bit : 0xFF ^ bit, HexForm::Prefixed0xUpper);
          result = Instr(r->label, "push", "r24") + "\n" +
                   Instr("", far ? "lds" : "in", "r24," + first) + "\n" +
                   Instr("", set ? "ori" : "andi", "r24," + mask) + "\n" +
                   Instr("", far ? "sts" : "out", first + ",r24") + "\n" + Instr("", "pop", "r24");
        }
      }
    }
    out += result;
    if (end < text.size()) out += '\n';
    start = end + 1;
  }
  return out;
}

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
  st.out.Text(WithReachableRegisters(st, text));
}

}  // namespace qbc
