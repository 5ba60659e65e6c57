#include "compiler/library/comm/uart_registers.h"

#include <string_view>

#include "compiler/base/symbols.h"
#include "compiler/codegen/io_access.h"

namespace qbc {

namespace {

bool OneOf(const std::string& name, std::initializer_list<std::string_view> names) {
  for (std::string_view n : names)
    if (name == n) return true;
  return false;
}

int AddressOf(CompilerState& st, const std::string& reg) {
  std::string lower = reg;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  const int i = FindIoRegister(st, lower);
  return i > 0 ? st.sym.IoRegisters[i].Value : -1;
}

}  // namespace

UartRegisters UartRegistersOf(CompilerState& st, int uart) {
  UartRegisters r;
  if (uart == 0) {
    const std::string& d = st.dev.DeviceName;
    if (OneOf(d, {"4433", "2333", "m163", "m8", "m16", "m32", "m323", "m8515", "m8535"})) {
      r = {"UCSRA", "UDR", "UCSRB"};
    } else if (AddressOf(st, "UCSR0A") >= 0 && AddressOf(st, "UDR0") >= 0) {
      r = {"UCSR0A", "UDR0", "UCSR0B"};
    } else if (AddressOf(st, "USR") >= 0) {
      r = {"USR", "UDR", "UCR"};
    } else {
      r = {"UCSRA", "UDR", "UCSRB"};
    }
  } else {
    const std::string n = std::to_string(uart);
    r = {"UCSR" + n + "A", "UDR" + n, "UCSR" + n + "B"};
  }
  return r;
}

void WriteUartWait(CompilerState& st, const UartRegisters& regs, const std::string& label, const std::string& bit,
                   const std::string& scratch) {
  EmitBitSkip(st, BitOf(regs.status, bit, 0, MaskText::kHex), true, scratch, Reach::kData, label);
  st.out.Instr(Sep::kNarrow, "rjmp", label);
}

void WriteUartText(CompilerState& st, std::string_view text, int uart) {
  std::string out;
  for (char c : text) {
    if (c == '#') {
      if (uart != 0) out += std::to_string(uart);
    } else if (c == '%') {
      out += std::to_string(uart);
    } else {
      out += c;
    }
  }
  st.out.Text(out);
}

void WriteUartRead(CompilerState& st, const UartRegisters& regs, const std::string& reg) {
  EmitRegisterRead(st, regs.data, reg, Reach::kData);
}

void WriteUartWrite(CompilerState& st, const UartRegisters& regs, const std::string& reg) {
  EmitRegisterWrite(st, regs.data, reg, Reach::kData);
}

}  // namespace qbc
