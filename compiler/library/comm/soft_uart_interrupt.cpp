#include "compiler/library/comm/soft_uart_interrupt.h"

#include <string>
#include <utility>
#include <vector>

#include "compiler/base/decl_text.h"
#include "compiler/base/labels.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/frontend/uart_cells.h"
#include "compiler/statements/comm_display/soft_uart_paths.h"
#include "compiler/statements/comm_display/uart_config.h"
#include "compiler/statements/hardware/timer_cells.h"
#include "compiler/frontend/port_pins.h"
#include "compiler/frontend/device_facts.h"

namespace qbc {

namespace {

bool Has(const CompilerState& st, const char* name) { return DeviceSymbolValue(st, name).has_value(); }

// A register by the device's own name, and how it is reached.
struct Reg {
  std::string name;
  Reach reach = Reach::kInOut;
};

Reg RegOf(CompilerState& st, const char* preferred, const char* other, const char* last = nullptr) {
  const char* pick = Has(st, preferred) ? preferred : (last == nullptr || Has(st, other)) ? other : last;
  return Reg{UpperText(pick), RegisterReach(st, pick, Reach::kInOut)};
}

// The bit variable `name` as "rN,bit" (r3 holds bits 0 to 7, r4 bits 8 to 15).
std::string FlagOf(CompilerState& st, const char* name) {
  const int g = FindGlobalVar(st, name);
  const int b = g == 0 ? 0 : st.sym.GlobalVars[g].Size;
  return (b <= 7 ? "r3," : "r4,") + std::to_string(b % 8);
}

struct Layout {
  std::vector<std::pair<std::string, std::string>> values;
};

void Write(CompilerState& st, std::string_view text, const Layout& l) {
  std::string out(text);
  for (const auto& [key, value] : l.values) {
    const std::string mark = "{" + key + "}";
    for (std::size_t at = out.find(mark); at != std::string::npos; at = out.find(mark, at + value.size()))
      out.replace(at, mark.size(), value);
  }
  st.out.Text(out);
}

// "in zl,REG" / "lds zl,REG" and the store back, as routine text.
std::string Load(const Reg& r) { return std::string(ReadMnemonic(r.reach)) + "\\t\\tzl," + r.name; }
std::string Store(const Reg& r) { return std::string(WriteMnemonic(r.reach)) + "\\t\\t" + r.name + ",zl"; }

}  // namespace

void EmitInterruptSwUartRoutines(CompilerState& st) {
  const SoftComRecord& com = st.Cells<UartCells>().SoftComPorts[0];
  const std::string port = UpperText(com.TxPort.substr(0, com.TxPort.find(' ')));
  const std::string letter = PortLetterText(port);
  const Reg timsk = RegOf(st, "timsk0", "timsk");
  const std::string clock = TimerOf(st, 0).clockRegister;
  const Reg tccr{clock, RegisterReach(st, clock, Reach::kInOut)};
  const Reg sense = RegOf(st, "eicra", "mcucr");
  Layout l;
  l.values = {
      {"TXPIN", port + "," + com.TxPin},
      {"TXDDR", "DDR" + letter + "," + com.TxPin},
      {"RXPIN", "PIN" + PortLetterText(com.RxPort) + "," + com.RxPin},
      {"TX", FlagOf(st, "txon")},
      {"RX", FlagOf(st, "rxready")},
      {"CS", std::to_string(st.Cells<TimerCells>().TimerClockSelect[0])},
      {"TCCR", Store(tccr)},
      {"LDSENSE", Load(sense)},
      {"STSENSE", Store(sense)},
      {"LDTIMSK", Load(timsk)},
      {"STTIMSK", Store(timsk)},
      {"TIFR", RegOf(st, "tifr0", "tifr").name},
      {"EIMSK", RegOf(st, "eimsk", "gicr", "gimsk").name},
      {"EIFR", RegOf(st, "eifr", "gifr").name},
  };

  Write(st, R"(

;////// Interrupt SW UART ////////////////
_UAini:\tldi\t\tzl,{CS}
\t\t{TCCR}
\t\t{LDSENSE}
\t\tcbr\t\tzl,1<<ISC00
\t\tsbr\t\tzl,1<<ISC01
\t\t{STSENSE}
\t\tldi\t\tzl,1<<INTF0
\t\tout\t\t{EIFR},zl
\t\tin\t\tzl,{EIMSK}
\t\tsbr\t\tzl,1<<INT0
\t\tout\t\t{EIMSK},zl
\t\tclt
\t\tbld\t\t{RX}
\t\tbld\t\t{TX}
\t\tsbi\t\t{TXPIN}
\t\tsbi\t\t{TXDDR})",
        l);
  EmitSoftUartReloads(st);
  st.out.Instr("ret");

  // The start bit goes out right after the TCNT0 write, so that _rel2 counts from there.
  Write(st, R"(

;////// Interrupt SW UART ////////////////
_TX:\tsbrc\t{TX}
\t\trjmp\t_TX
\t\tpush\tzh
\t\tin\t\tzh,SREG
\t\tcli
\t\tsts\t\t_UAsh,r24
\t\tser\t\tzl
\t\tsts\t\t_UAcnt,zl
\t\tset
\t\tbld\t\t{TX}
\t\tclt
\t\tbld\t\t{RX}
\t\tin\t\tzl,{EIMSK}
\t\tcbr\t\tzl,1<<INT0
\t\tout\t\t{EIMSK},zl
\t\tlds\t\tzl,_rel2
\t\tout\t\tTCNT0,zl
\t\tcbi\t\t{TXPIN}
\t\tldi\t\tzl,1<<TOV0
\t\tout\t\t{TIFR},zl
\t\t{LDTIMSK}
\t\tsbr\t\tzl,1<<TOIE0
\t\t{STTIMSK}
\t\tout\t\tSREG,zh
\t\tpop\t\tzh
\t\tret

;////// Interrupt UART INT0 //////////////)",
        l);
  EmitLabel(st, "IntN" + std::to_string(FindVectorByPrefix(st, "INT0")));
  // The reload is written at cycle 5 of the handler (see soft_uart_paths.h).
  Write(st, R"(\t\tin\t\tr2,SREG
\t\tpush\tzl
\t\tlds\t\tzl,_rel3
\t\tout\t\tTCNT0,zl
\t\tser\t\tzl
\t\tsts\t\t_UAcnt,zl
\t\tldi\t\tzl,1<<TOV0
\t\tout\t\t{TIFR},zl
\t\t{LDTIMSK}
\t\tsbr\t\tzl,1<<TOIE0
\t\t{STTIMSK}
\t\tin\t\tzl,{EIMSK}
\t\tcbr\t\tzl,1<<INT0
\t\tout\t\t{EIMSK},zl
\t\tpop\t\tzl
\t\tout\t\tSREG,r2
\t\treti

;////// Interrupt UART OVF0 //////////////)",
        l);
  EmitLabel(st, "IntN" + std::to_string(FindVectorByPrefix(st, "OVF0")));
  // Cycles from the handler's first instruction: the reload at 5, the transmit pin's
  // sbi/cbi at 22 on every path (data 0, data 1, stop), the receive sample at 21. A byte
  // received is sampled at counts 0 (its start bit, shifted out again) to 8 and ends at
  // 9, the middle of its stop bit. The end of a byte clears the INT0 flag that edges
  // inside the byte set, then enables INT0.
  Write(st, R"(\t\tin\t\tr2,SREG
\t\tpush\tzl
\t\tlds\t\tzl,_rel1
\t\tout\t\tTCNT0,zl
\t\tpush\tzh
\t\tlds\t\tzh,_UAcnt
\t\tinc\t\tzh
\t\tsts\t\t_UAcnt,zh
\t\tlds\t\tzl,_UAsh
\t\tsbrs\t{TX}
\t\trjmp\t_UArcv
\t\tcpi\t\tzh,8
\t\tbrsh\t_UAtxS
\t\tsbrc\tzl,0
\t\trjmp\t_UAt1
\t\tnop
\t\tcbi\t\t{TXPIN}
\t\trjmp\t_UAt2
_UAt1:\tsbi\t\t{TXPIN}
_UAt2:\tlsr\t\tzl
\t\tsts\t\t_UAsh,zl
\t\trjmp\t_UAend
_UAtxS:\tnop
\t\tnop
\t\tsbi\t\t{TXPIN}
\t\tcpi\t\tzh,9
\t\tbrlo\t_UAend
\t\tclt
\t\tbld\t\t{TX}
\t\trjmp\t_UAidl
_UArcv:\tcpi\t\tzh,9
\t\tbrsh\t_UArxE
\t\tlsr\t\tzl
\t\tsbic\t{RXPIN}
\t\tori\t\tzl,0x80
\t\tsts\t\t_UAsh,zl
\t\trjmp\t_UAend
_UArxE:\tsts\t\t_UArx,zl
\t\tset
\t\tbld\t\t{RX}
_UAidl:\t{LDTIMSK}
\t\tcbr\t\tzl,1<<TOIE0
\t\t{STTIMSK}
\t\tldi\t\tzl,1<<INTF0
\t\tout\t\t{EIFR},zl
\t\tin\t\tzl,{EIMSK}
\t\tsbr\t\tzl,1<<INT0
\t\tout\t\t{EIMSK},zl
_UAend:\tpop\t\tzh
\t\tpop\t\tzl
\t\tout\t\tSREG,r2
\t\treti)",
        l);
}

}  // namespace qbc
