#include "compiler/statements/hardware/interrupt_switches.h"

#include <array>
#include <string>
#include <string_view>

#include "compiler/base/compile_error.h"
#include "compiler/base/source_names.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/statements/hardware/register_bits.h"
#include "compiler/statements/hardware/uart_switches.h"

namespace qbc {

namespace {

// An interrupt source: the words that name it and where its enable bit lies, newer
// register names first (on the newer chips the classic names are aliases of them and the
// classic bit positions do not hold). `singleBit`: the bit may be changed with one sbi/cbi
// where the register is in the lower I/O space.
struct SourceRow {
  std::array<std::string_view, 3> words;
  std::array<RegisterBitName, 3> places;
  bool singleBit = false;
};

constexpr SourceRow kSources[] = {
    {{"timer0", "ovf0", "counter0"}, {{{"timsk0", "toie0"}, {"timsk", "toie0"}}}},
    {{"timer1", "ovf1", "counter1"}, {{{"timsk1", "toie1"}, {"timsk", "toie1"}}}},
    {{"timer2", "ovf2", "counter2"}, {{{"timsk2", "toie2"}, {"timsk", "toie2"}}}},
    {{"timer3", "ovf3", "counter3"}, {{{"timsk3", "toie3"}, {"etimsk", "toie3"}}}},
    {{"timer4", "ovf4", "counter4"}, {{{"timsk4", "toie4"}}}},
    {{"timer5", "ovf5", "counter5"}, {{{"timsk5", "toie5"}}}},
    {{"oc1a", "oc1"}, {{{"timsk1", "ocie1a"}, {"timsk", "ocie1a"}}}},
    {{"oc1b"}, {{{"timsk1", "ocie1b"}, {"timsk", "ocie1b"}}}},
    {{"oc1c"}, {{{"timsk1", "ocie1c"}, {"etimsk", "ocie1c"}}}},
    {{"icp1"}, {{{"timsk1", "icie1"}, {"timsk", "ticie1"}}}},
    {{"oc0", "cmp0"}, {{{"timsk0", "ocie0a"}, {"timsk", "ocie0"}}}},
    {{"oc2", "cmp2"}, {{{"timsk2", "ocie2a"}, {"timsk", "ocie2"}}}},
    {{"oc3a"}, {{{"timsk3", "ocie3a"}, {"etimsk", "ocie3a"}}}},
    {{"oc3b"}, {{{"timsk3", "ocie3b"}, {"etimsk", "ocie3b"}}}},
    {{"oc3c"}, {{{"timsk3", "ocie3c"}, {"etimsk", "ocie3c"}}}},
    {{"icp3"}, {{{"timsk3", "icie3"}, {"etimsk", "ticie3"}}}},
    {{"oc4a"}, {{{"timsk4", "ocie4a"}}}},
    {{"oc4b"}, {{{"timsk4", "ocie4b"}}}},
    {{"oc4c"}, {{{"timsk4", "ocie4c"}}}},
    {{"icp4"}, {{{"timsk4", "icie4"}}}},
    {{"oc5a"}, {{{"timsk5", "ocie5a"}}}},
    {{"oc5b"}, {{{"timsk5", "ocie5b"}}}},
    {{"oc5c"}, {{{"timsk5", "ocie5c"}}}},
    {{"icp5"}, {{{"timsk5", "icie5"}}}},
    {{"int0"}, {{{"eimsk", "int0"}, {"gicr", "int0"}, {"gimsk", "int0"}}}},
    {{"int1"}, {{{"eimsk", "int1"}, {"gicr", "int1"}, {"gimsk", "int1"}}}},
    {{"int2"}, {{{"eimsk", "int2"}, {"gicr", "int2"}, {"gimsk", "int2"}}}},
    {{"int3"}, {{{"eimsk", "int3"}}}},
    {{"int4"}, {{{"eimsk", "int4"}}}},
    {{"int5"}, {{{"eimsk", "int5"}}}},
    {{"int6"}, {{{"eimsk", "int6"}}}},
    {{"int7"}, {{{"eimsk", "int7"}}}},
    {{"urxc", "urxc0"}, {{{"ucsr0b", "rxcie0"}, {"ucsrb", "rxcie"}, {"ucr", "rxcie"}}}, true},
    {{"utxc", "utxc0"}, {{{"ucsr0b", "txcie0"}, {"ucsrb", "txcie"}, {"ucr", "txcie"}}}, true},
    {{"udre", "udre0"}, {{{"ucsr0b", "udrie0"}, {"ucsrb", "udrie"}, {"ucr", "udrie"}}}, true},
    {{"urxc1"}, {{{"ucsr1b", "rxcie1"}}}, true},
    {{"utxc1"}, {{{"ucsr1b", "txcie1"}}}, true},
    {{"udre1"}, {{{"ucsr1b", "udrie1"}}}, true},
    {{"urxc2"}, {{{"ucsr2b", "rxcie2"}}}, true},
    {{"utxc2"}, {{{"ucsr2b", "txcie2"}}}, true},
    {{"udre2"}, {{{"ucsr2b", "udrie2"}}}, true},
    {{"urxc3"}, {{{"ucsr3b", "rxcie3"}}}, true},
    {{"utxc3"}, {{{"ucsr3b", "txcie3"}}}, true},
    {{"udre3"}, {{{"ucsr3b", "udrie3"}}}, true},
    {{"adcc"}, {{{"adcsra", "adie"}, {"adcsr", "adie"}}}, true},
    {{"erdy", "eewr"}, {{{"eecr", "eerie"}}}, true},
    {{"aci"}, {{{"acsr", "acie"}}}, true},
    {{"spi"}, {{{"spcr", "spie"}}}, true},
    {{"spmr"}, {{{"spmcsr", "spmie"}, {"spmcr", "spmie"}}}, true},
    {{"twi"}, {{{"twcr", "twie"}}}, true},
    {{"wdt"}, {{{"wdtcsr", "wdie"}}}},
};

const SourceRow* FindSource(std::string_view word) {
  for (const SourceRow& row : kSources)
    for (std::string_view w : row.words)
      if (!w.empty() && w == word) return &row;
  return nullptr;
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
  } else if (const SourceRow* row = FindSource(word)) {
    std::size_t count = 0;
    while (count < row->places.size() && !row->places[count].reg.empty()) ++count;
    if (const auto rb = FindRegisterBit(st, row->places.data(), count)) {
      EmitChangeRegisterBit(st, *rb, on, row->singleBit);
    } else {
      ReportInPlace(st, "Unexisting feature!");
    }
  } else {
    CompileError(st, std::string(on ? "How to enable " : "How to disable ") + SourceName(word) + " ?");
  }
  ++st.src.TokenIndex;
}

}  // namespace

void CompileEnableStatement(CompilerState& st) { CompileSwitch(st, true); }

void CompileDisableStatement(CompilerState& st) { CompileSwitch(st, false); }

}  // namespace qbc
