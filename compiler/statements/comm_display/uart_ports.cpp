#include "compiler/statements/comm_display/uart_ports.h"

#include "compiler/base/source_names.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/uart_flags.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/device_facts.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/statements/comm_display/uart_config.h"
#include "compiler/statements/peripherals/block_operands.h"

namespace qbc {

namespace {

constexpr UartPort kPorts[] = {
    {0, "", NeedPrintCrLf, NeedPrintByte, NeedPrintInteger, NeedPrintWord, NeedPrintString, NeedPrintStringConst,
     NeedPrintBinAll, NeedInput, NeedStrToNum, NeedGetChar, NeedInputBinAll},
    {1, "1", NeedPrintCrLf1, NeedPrintByte1, NeedPrintInteger1, NeedPrintWord1, NeedPrintString1,
     NeedPrintStringConst1, NeedPrintBinAll1, NeedInput1, NeedStrToNum1, NeedGetChar1, NeedInputBinAll1},
    {2, "2", NeedPrintCrLf2, NeedPrintByte2, NeedPrintInteger2, NeedPrintWord2, NeedPrintString2,
     NeedPrintStringConst2, NeedPrintBinAll2, NeedInput2, NeedStrToNum2, NeedGetChar2, NeedInputBinAll2},
    {3, "3", NeedPrintCrLf3, NeedPrintByte3, NeedPrintInteger3, NeedPrintWord3, NeedPrintString3,
     NeedPrintStringConst3, NeedPrintBinAll3, NeedInput3, NeedStrToNum3, NeedGetChar3, NeedInputBinAll3},
};

}  // namespace

const UartPort& UartPortOf(int uart) { return kPorts[uart >= 0 && uart <= 3 ? uart : 0]; }

std::string UartLabel(const UartPort& port, std::string_view base) {
  std::string label(base);
  label += port.suffix;
  return label;
}

std::string UartStringInputLabel(const UartPort& port) {
  const char digit = static_cast<char>('0' + port.number);
  return std::string("_InSt") + digit + digit;
}

bool UartPresent(CompilerState& st, int uart) {
  if (uart <= 0 || uart > 3) return true;
  if (UartOf(st, uart).present) return true;
  CompileError(st, MissingUartText(uart));
  SkipToStatementEnd(st);
  return false;
}

bool AtUartListEnd(CompilerState& st) { return kit::AtStatementEnd(st) || IsWord(st.Tok(), "else"); }

std::uint8_t EmitUartBlockCall(CompilerState& st, const std::string& label, UsedFlag flag, std::uint8_t wanted) {
  wanted = EmitBlockOperands(st, wanted);
  CallLibrary(st, label, flag);
  return wanted;
}

bool StartUartStatement(CompilerState& st, int uart, void (*softForm)(CompilerState&)) {
  st.expr.StatementContext = true;
  ++st.src.TokenIndex;
  if (!UartPresent(st, uart)) return false;
  if (uart == 0 && st.TokText() == "#") {
    softForm(st);
    return false;
  }
  return true;
}

}  // namespace qbc
