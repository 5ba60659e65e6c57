// Display routine text written with the short port forms, rewritten where a port lies
// beyond their reach.
#include "compiler/library/display/port_forms.h"

#include <optional>

#include "compiler/base/decl_text.h"
#include "compiler/codegen/io_access.h"

namespace qbc {

namespace {

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
        // A register the device file does not name keeps the short form.
        IoForm form;
        if (r->mnemonic == "out") {
          form = WriteForm(st, first, second);
        } else if (r->mnemonic == "in") {
          form = ReadForm(st, second, first);
        } else if ((r->mnemonic == "sbi" || r->mnemonic == "cbi") && second.size() == 1 && second[0] >= '0' &&
                   second[0] <= '7') {
          form = BitChangeForm(st, BitOf(first, second[0] - '0', MaskText::kHex), r->mnemonic == "sbi", Flags::kKeep,
                               "r24");
        }
        // Lines the short forms reach stay as they are written.
        if (!form.empty() && (form.size() > 1 || form.front().mnemonic != r->mnemonic)) {
          result.clear();
          std::string label = r->label;
          for (const IoInstr& i : form) {
            if (!result.empty()) result += "\n";
            result += Instr(label, i.mnemonic, i.operands);
            label.clear();
          }
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
