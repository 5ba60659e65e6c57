#include "compiler/library/comm/open_drain_pins.h"

#include <cctype>
#include <cstdint>

#include "compiler/codegen/emit_lines.h"

namespace qbc::opendrain {

namespace {

std::string Register(std::string_view prefix, const Line& line) { return std::string(prefix) + line.letter; }

// How an instruction reaches the register: bit instructions below 0x20, in/out below
// 0x40, lds/sts beyond.
enum class Reach : std::uint8_t { kBit, kInOut, kData };

Reach ReachOf(CompilerState& st, const std::string& reg) {
  const int value = IoRegisterValue(st, reg);
  if (IsBitAddressable(value)) return Reach::kBit;
  return IsInOutAddressable(value) ? Reach::kInOut : Reach::kData;
}

// The first line of a form, opened by `label` when there is one.
void First(CompilerState& st, std::string_view label, Sep sep, std::string_view mnemonic, const std::string& ops) {
  if (label.empty())
    st.out.Instr(sep, mnemonic, ops);
  else
    st.out.Instr(label, sep, mnemonic, ops);
}

}  // namespace

Line ParseLine(std::string_view port, std::string_view pin) {
  Line line;
  if (!port.empty()) line.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(port.back())));
  if (!pin.empty() && pin.front() >= '0' && pin.front() <= '7') line.bit = pin.front() - '0';
  return line;
}

void Drive(CompilerState& st, std::string_view label, const Line& line, bool low, std::string_view scratch) {
  const std::string ddr = Register("DDR", line);
  const Reach reach = ReachOf(st, ddr);
  if (reach == Reach::kBit) {
    First(st, label, Sep::kWide, low ? "sbi" : "cbi", ddr + "," + Dec(line.bit));
    return;
  }
  const std::string s(scratch);
  First(st, label, Sep::kWide, reach == Reach::kInOut ? "in" : "lds", s + "," + ddr);
  st.out.Instr(Sep::kWide, low ? "sbr" : "cbr", s + "," + Dec(1L << line.bit));
  st.out.Instr(Sep::kWide, reach == Reach::kInOut ? "out" : "sts", ddr + "," + s);
}

void SkipIf(CompilerState& st, std::string_view label, const Line& line, bool high, std::string_view scratch) {
  const std::string pin = Register("PIN", line);
  const Reach reach = ReachOf(st, pin);
  if (reach == Reach::kBit) {
    First(st, label, Sep::kNarrow, high ? "sbis" : "sbic", pin + "," + Dec(line.bit));
    return;
  }
  const std::string s(scratch);
  First(st, label, Sep::kWide, reach == Reach::kInOut ? "in" : "lds", s + "," + pin);
  st.out.Instr(Sep::kNarrow, high ? "sbrs" : "sbrc", s + "," + Dec(line.bit));
}

}  // namespace qbc::opendrain
