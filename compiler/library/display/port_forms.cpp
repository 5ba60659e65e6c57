// Display routine text written with the short port forms, rewritten where a port lies
// beyond their reach.
#include "compiler/library/display/port_forms.h"

#include <optional>

#include "compiler/base/decl_text.h"
#include "compiler/codegen/io_access.h"

namespace qbc {

namespace {

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

}  // namespace

std::string WithReachablePortForms(CompilerState& st, const std::string& text) {
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
          result = Instr(r->label, "push", "r24") + "\n" + Instr("", "in", "r24,SREG") + "\n" +
                   Instr("", "push", "r24") + "\n" + Instr("", far ? "lds" : "in", "r24," + first) + "\n" +
                   Instr("", set ? "ori" : "andi", "r24," + mask) + "\n" +
                   Instr("", far ? "sts" : "out", first + ",r24") + "\n" + Instr("", "pop", "r24") + "\n" +
                   Instr("", "out", "SREG,r24") + "\n" + Instr("", "pop", "r24");
        }
      }
    }
    out += result;
    if (end < text.size()) out += '\n';
    start = end + 1;
  }
  return out;
}

}  // namespace qbc
