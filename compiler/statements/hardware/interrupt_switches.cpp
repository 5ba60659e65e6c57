#include "compiler/statements/hardware/interrupt_switches.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/source_names.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/frontend/interrupt_vectors.h"
#include "compiler/statements/hardware/register_bits.h"
#include "compiler/statements/hardware/uart_switches.h"

namespace qbc {

namespace {

// An interrupt source: the words that name it, the kind of its vector and the unit and
// channel the vector's name may give after it (the first the device file has is the
// source's vector), and the registers that may hold its enable bit, newer names first (on
// the newer chips the classic names are aliases of them and the classic bit positions do
// not hold). `singleBit`: the bit may be changed with one sbi/cbi where the register is in
// the lower I/O space.
struct SourceRow {
  std::array<std::string_view, 3> words;
  std::string_view kind;   // OVF, OC, ICP, INT, URXC, ..., WDT
  std::string_view units;  // the alternatives, "|" between them: "1A|1" is OC1A, else OC1
  std::array<std::string_view, 3> registers;
  bool singleBit = false;
};

constexpr SourceRow kSources[] = {
    {{"timer0", "ovf0", "counter0"}, "OVF", "0", {"timsk0", "timsk"}},
    {{"timer1", "ovf1", "counter1"}, "OVF", "1", {"timsk1", "timsk"}},
    {{"timer2", "ovf2", "counter2"}, "OVF", "2", {"timsk2", "timsk"}},
    {{"timer3", "ovf3", "counter3"}, "OVF", "3", {"timsk3", "etimsk"}},
    {{"timer4", "ovf4", "counter4"}, "OVF", "4", {"timsk4"}},
    {{"timer5", "ovf5", "counter5"}, "OVF", "5", {"timsk5"}},
    {{"oc1a", "oc1"}, "OC", "1A|1", {"timsk1", "timsk"}},
    {{"oc1b"}, "OC", "1B", {"timsk1", "timsk"}},
    {{"oc1c"}, "OC", "1C", {"timsk1", "etimsk"}},
    {{"icp1"}, "ICP", "1", {"timsk1", "timsk"}},
    {{"oc0", "cmp0"}, "OC", "0|0A", {"timsk0", "timsk"}},
    {{"oc2", "cmp2"}, "OC", "2|2A", {"timsk2", "timsk"}},
    {{"oc3a"}, "OC", "3A", {"timsk3", "etimsk"}},
    {{"oc3b"}, "OC", "3B", {"timsk3", "etimsk"}},
    {{"oc3c"}, "OC", "3C", {"timsk3", "etimsk"}},
    {{"icp3"}, "ICP", "3", {"timsk3", "etimsk"}},
    {{"oc4a"}, "OC", "4A", {"timsk4"}},
    {{"oc4b"}, "OC", "4B", {"timsk4"}},
    {{"oc4c"}, "OC", "4C", {"timsk4"}},
    {{"icp4"}, "ICP", "4", {"timsk4"}},
    {{"oc5a"}, "OC", "5A", {"timsk5"}},
    {{"oc5b"}, "OC", "5B", {"timsk5"}},
    {{"oc5c"}, "OC", "5C", {"timsk5"}},
    {{"icp5"}, "ICP", "5", {"timsk5"}},
    {{"int0"}, "INT", "0", {"eimsk", "gicr", "gimsk"}},
    {{"int1"}, "INT", "1", {"eimsk", "gicr", "gimsk"}},
    {{"int2"}, "INT", "2", {"eimsk", "gicr", "gimsk"}},
    {{"int3"}, "INT", "3", {"eimsk"}},
    {{"int4"}, "INT", "4", {"eimsk"}},
    {{"int5"}, "INT", "5", {"eimsk"}},
    {{"int6"}, "INT", "6", {"eimsk"}},
    {{"int7"}, "INT", "7", {"eimsk"}},
    {{"urxc", "urxc0"}, "URXC", "0|", {"ucsr0b", "ucsrb", "ucr"}, true},
    {{"utxc", "utxc0"}, "UTXC", "0|", {"ucsr0b", "ucsrb", "ucr"}, true},
    {{"udre", "udre0"}, "UDRE", "0|", {"ucsr0b", "ucsrb", "ucr"}, true},
    {{"urxc1"}, "URXC", "1", {"ucsr1b"}, true},
    {{"utxc1"}, "UTXC", "1", {"ucsr1b"}, true},
    {{"udre1"}, "UDRE", "1", {"ucsr1b"}, true},
    {{"urxc2"}, "URXC", "2", {"ucsr2b"}, true},
    {{"utxc2"}, "UTXC", "2", {"ucsr2b"}, true},
    {{"udre2"}, "UDRE", "2", {"ucsr2b"}, true},
    {{"urxc3"}, "URXC", "3", {"ucsr3b"}, true},
    {{"utxc3"}, "UTXC", "3", {"ucsr3b"}, true},
    {{"udre3"}, "UDRE", "3", {"ucsr3b"}, true},
    {{"adcc"}, "ADCC", "", {"adcsra", "adcsr"}, true},
    {{"erdy", "eewr"}, "ERDY", "", {"eecr"}, true},
    {{"aci"}, "ACI", "", {"acsr"}, true},
    {{"spi"}, "SPI", "", {"spcr"}, true},
    {{"spmr"}, "SPMR", "", {"spmcsr", "spmcr"}, true},
    {{"twi"}, "TWI", "", {"twcr"}, true},
    {{"wdt"}, "WDT", "", {"wdtcsr", "wdtcr"}},
    {{"wdt"}, "WATCHDOG", "", {"wdtcsr", "wdtcr"}},
};

// How an enable bit is named after its vector's kind: the name's unit and channel follow
// (OC0A: OCIE0A, ICP1: ICIE1 or TICIE1, URXC0: RXCIE0).
struct EnableNames {
  std::string_view kind;
  std::array<std::string_view, 2> prefixes;
};
constexpr EnableNames kEnableNames[] = {
    {"OVF", {"TOIE"}},  {"OC", {"OCIE"}},     {"ICP", {"ICIE", "TICIE"}}, {"INT", {"INT"}},
    {"URXC", {"RXCIE"}}, {"UTXC", {"TXCIE"}}, {"UDRE", {"UDRIE"}},        {"ADCC", {"ADIE"}},
    {"ERDY", {"EERIE"}}, {"ACI", {"ACIE"}},   {"SPI", {"SPIE"}},          {"SPMR", {"SPMIE"}},
    {"TWI", {"TWIE"}},  {"WDT", {"WDIE", "WDTIE"}}, {"WATCHDOG", {"WDIE", "WDTIE"}},
};

// The unit and channel of the source's vector as the device file names it; none when the
// file has no vector for the source.
std::optional<std::string> VectorUnit(const CompilerState& st, const SourceRow& row) {
  std::string_view units = row.units;
  for (;;) {
    const std::size_t bar = units.find('|');
    const std::string unit(units.substr(0, bar));
    if (HasInterruptVector(st, std::string(row.kind) + unit)) return unit;
    if (bar == std::string_view::npos) return std::nullopt;
    units.remove_prefix(bar + 1);
  }
}

// The enable bit of the vector `kind` + `unit` in one of the source's registers: the bit
// the file names after the vector, and where the vector names no channel of a timer's one
// compare output or no number of the only UART, the bit of channel A or of UART 0 (the
// AT90S2313's OC1 vector, OCIE1A; the m328p's URXC, RXCIE0).
std::optional<RegisterBit> EnableBit(const CompilerState& st, const SourceRow& row, const std::string& unit) {
  std::vector<std::string> bits;
  for (const EnableNames& names : kEnableNames) {
    if (names.kind != row.kind) continue;
    for (std::string_view prefix : names.prefixes) {
      if (prefix.empty()) continue;
      bits.push_back(LowerText(std::string(prefix) + unit));
      if (row.kind == "OC" && unit.size() == 1) bits.push_back(bits.back() + "a");
      if (unit.empty() && row.kind.starts_with("U")) bits.push_back(bits.back() + "0");
    }
  }
  std::vector<RegisterBitName> places;
  for (std::string_view reg : row.registers)
    if (!reg.empty())
      for (const std::string& bit : bits) places.push_back({reg, bit});
  return FindRegisterBit(st, places.data(), places.size());
}

bool IsSourceWord(std::string_view word) {
  for (const SourceRow& row : kSources)
    if (std::find(row.words.begin(), row.words.end(), word) != row.words.end()) return true;
  return false;
}

// The UART number of "uart" and "uart0" .. "uart3"; -1 for any other word.
int UartOfWord(std::string_view word) {
  if (word == "uart") return 0;
  if (word.size() == 5 && word.substr(0, 4) == "uart" && word[4] >= '0' && word[4] <= '3') return word[4] - '0';
  return -1;
}

void CompileSwitch(CompilerState& st, bool on) {
  ++st.src.TokenIndex;
  const std::string word = st.TokText();
  if (word == "interrupts") {
    st.out.Instr(on ? "sei" : "cli");
  } else if (word == "i2c") {
    // The I2C statements work without an interrupt: there is nothing to switch.
  } else if (const int uart = UartOfWord(word); uart >= 0) {
    if (on)
      EmitEnableUart(st, uart);
    else
      EmitDisableUart(st, uart);
  } else if (IsSourceWord(word)) {
    // The source's enable bit is the one the device file names after its vector: a source
    // the file has no vector for has no interrupt.
    std::optional<RegisterBit> rb;
    for (const SourceRow& row : kSources) {
      if (std::find(row.words.begin(), row.words.end(), word) == row.words.end()) continue;
      if (const auto unit = VectorUnit(st, row)) {
        rb = EnableBit(st, row, *unit);
        if (rb) {
          EmitChangeRegisterBit(st, *rb, on, row.singleBit);
          break;
        }
      }
    }
    if (!rb) ReportInPlace(st, "Unexisting feature!");
  } else {
    CompileError(st, std::string(on ? "How to enable " : "How to disable ") + SourceName(word) + " ?");
  }
  ++st.src.TokenIndex;
}

}  // namespace

void CompileEnableStatement(CompilerState& st) { CompileSwitch(st, true); }

void CompileDisableStatement(CompilerState& st) { CompileSwitch(st, false); }

}  // namespace qbc
