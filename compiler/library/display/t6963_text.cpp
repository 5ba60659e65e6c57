#include "compiler/library/display/t6963_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "compiler/codegen/io_access.h"
#include "compiler/frontend/port_pins.h"
#include "compiler/statements/peripherals/glcd_cells.h"

namespace qbc {

namespace {

std::string RegisterName(std::string_view prefix, char letter) { return PortRegister(prefix, letter); }

// Status polls of _Tbusy before it gives up: about 4 ms at a loop of about 16 cycles, so
// that a missing display slows the program instead of stopping it.
long TimeoutPolls(const CompilerState& st) {
  const double polls = std::lround(static_cast<double>(st.cfg.CrystalFrequency) * 4000.0 / 16.0);
  return std::clamp(static_cast<long>(polls), 1L, 65535L);
}

struct Wiring {
  char data = 'A';
  char ctrl = 'C';
  int rd = 0, wr = 1, cd = 2, ce = 3;
};

Wiring ReadWiring(const CompilerState& st) {
  const GlcdCells& g = st.Cells<GlcdCells>();
  auto digit = [](const std::string& s) { return s.empty() ? 0 : (s[0] - '0') & 7; };
  auto letter = [](const std::string& port) {
    const char l = PortLetter(port);
    return l == 0 ? 'B' : l;
  };
  return {letter(g.GlcdDataPort), letter(g.GlcdCtrlPort), digit(g.GlcdLine1), digit(g.GlcdLine2),
          digit(g.GlcdLine3), digit(g.GlcdLine4)};
}

std::string Line(std::string_view mnemonic, const std::string& operands) {
  return "\t\t" + std::string(mnemonic) + "\t\t" + operands;
}

std::vector<std::string> Lines(const IoForm& form) {
  std::vector<std::string> lines;
  for (const IoInstr& i : form) lines.push_back(Line(i.mnemonic, i.operands));
  return lines;
}

class Expander {
 public:
  explicit Expander(CompilerState& st) : st_(st), w_(ReadWiring(st)) {}

  std::vector<std::string> Key(const std::string& key) {
    if (key == "DATA_IN" || key == "DATA_OUT") return {Store("DDR", w_.data, "r0")};
    if (key == "DATA_DDR_ZL") return {Store("DDR", w_.data, "zl")};
    if (key == "CTRL_DDR_ZL") return {Store("DDR", w_.ctrl, "zl")};
    if (key == "CTRL_PORT_ZL") return {Store("PORT", w_.ctrl, "zl")};
    if (key == "DATA_PULLUP") return {Store("PORT", w_.data, "r0")};
    if (key == "PUT_R20") return {Store("PORT", w_.data, "r20")};
    if (key == "STATUS_R0") return {Load("r0")};
    if (key == "READ_R26") return {Load("r26")};
    if (key == "RD_CE_LOW") return Ctrl({w_.rd, w_.ce}, false);
    if (key == "CE_RD_HIGH") return Ctrl({w_.ce, w_.rd}, true);
    if (key == "WR_CE_LOW") return Ctrl({w_.wr, w_.ce}, false);
    if (key == "CE_WR_HIGH") return Ctrl({w_.ce, w_.wr}, true);
    if (key == "CD_LOW") return Ctrl({w_.cd}, false);
    if (key == "CD_HIGH") return Ctrl({w_.cd}, true);
    if (key == "SAVE_ZL") return CtrlBitAddressable() ? std::vector<std::string>{} : std::vector<std::string>{"\t\tpush\tzl"};
    if (key == "RESTORE_ZL") return CtrlBitAddressable() ? std::vector<std::string>{} : std::vector<std::string>{"\t\tpop\t\tzl"};
    if (key == "ACCESS_WAIT") {
      // One cycle more than 150 ns: the pins settle on the cycle after the strobe's edge.
      const long nops = std::lround(std::ceil(static_cast<double>(st_.cfg.CrystalFrequency) * 0.15)) + 1;
      return std::vector<std::string>(static_cast<std::size_t>(nops), "\t\tnop");
    }
    return {"{" + key + "}"};
  }

  std::map<std::string, std::string> Inline() {
    const GlcdCells& g = st_.Cells<GlcdCells>();
    char mask[8];
    std::snprintf(mask, sizeof mask, "0x%02X", (1 << w_.rd) | (1 << w_.wr) | (1 << w_.cd) | (1 << w_.ce));
    const long polls = TimeoutPolls(st_);
    auto quotient = [&](int divisor) {
      char text[24];
      std::snprintf(text, sizeof text, "%g", g.GlcdOption2 / static_cast<double>(divisor));
      return std::string(text);
    };
    return {{"{DDR_DATA}", RegisterName("DDR", w_.data)},
            {"{DDR_CTRL}", RegisterName("DDR", w_.ctrl)},
            {"{PORT_CTRL}", RegisterName("PORT", w_.ctrl)},
            {"{CTRL_MASK}", mask},
            {"{TIMEOUT_LO}", std::to_string(polls & 0xFF)},
            {"{TIMEOUT_HI}", std::to_string(polls >> 8)},
            {"{H16}", quotient(16)},
            {"{H8}", quotient(8)},
            {"{H2}", quotient(2)},
            {"{H}", std::to_string(g.GlcdOption2)},
            {"{TCOLS}", std::to_string(g.GlcdOption1 / (g.GlcdLine5.starts_with("1") ? 6 : 8))},
            {"{W}", std::to_string(g.GlcdOption1)}};
  }

  std::string Store(std::string_view prefix, char letter, const std::string& source) {
    return Lines(WriteForm(st_, RegisterName(prefix, letter), source, Reach::kData)).front();
  }

 private:
  bool CtrlBitAddressable() { return IsBitAddressable(st_, RegisterName("PORT", w_.ctrl)); }

  std::string Load(const std::string& target) {
    return Lines(ReadForm(st_, RegisterName("PIN", w_.data), target, Reach::kData)).front();
  }

  std::vector<std::string> Ctrl(std::vector<int> bits, bool high) {
    const std::string port = RegisterName("PORT", w_.ctrl);
    std::vector<IoBit> changed;
    for (int bit : bits) changed.push_back(BitOf(port, bit, MaskText::kDecimal));
    return Lines(BitsChangeForm(st_, changed, high, "zl", Reach::kData));
  }

  CompilerState& st_;
  Wiring w_;
};

}  // namespace

void WriteT6963Text(CompilerState& st, std::string_view block) {
  Expander expand(st);
  const auto inline_keys = expand.Inline();
  std::string out;
  std::size_t start = 0;
  while (start <= block.size()) {
    std::size_t end = block.find('\n', start);
    if (end == std::string_view::npos) end = block.size();
    std::string line(block.substr(start, end - start));
    start = end + 1;
    const auto open = line.find_first_not_of('\t');
    const bool whole_key = open != std::string::npos && line[open] == '{' && line.back() == '}' &&
                           line.find('{', open + 1) == std::string::npos;
    if (whole_key) {
      for (const std::string& expanded : expand.Key(line.substr(open + 1, line.size() - open - 2))) out += expanded + "\n";
    } else {
      for (const auto& [key, value] : inline_keys)
        for (std::size_t at = line.find(key); at != std::string::npos; at = line.find(key, at + value.size()))
          line.replace(at, key.size(), value);
      out += line + "\n";
    }
    if (end == block.size()) break;
  }
  if (!out.empty()) out.pop_back();
  st.out.Text(out);
}

}  // namespace qbc
