#include "compiler/statements/comm_display/uart_print.h"

#include <string>

#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/uart_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/codegen/string_functions.h"
#include "compiler/codegen/string_lines.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/statements/comm_display/soft_com_print.h"
#include "compiler/statements/comm_display/uart_ports.h"

namespace qbc {

namespace {

void EmitLineEnd(CompilerState& st, const UartPort& port) { EmitCall(st, UartLabel(port, "_PCL")); }

// Hex(x): the number as upper-case hexadecimal text, sent as a string.
void EmitHexItem(CompilerState& st, const UartPort& port) {
  ++st.src.TokenIndex;
  const std::uint8_t worked = ParseExpression(st, kTypeNone);
  switch (kit::ItemType(st, worked)) {
    case kTypeByte: EmitCall(st, "_ToHB"); break;
    case kTypeInteger:
    case kTypeWord: EmitCall(st, "_ToHW"); break;
    case kTypeLong: EmitCall(st, "_ToHL"); break;
    default: ReportInPlace(st, "Must be Byte or Word!"); break;
  }
  st.used.Set(NeedNumToHex);
  CallLibrary(st, UartLabel(port, "_Pst"), port.printString);
}

// Chr(x): the one character whose code x is.
void EmitChrItem(CompilerState& st, const UartPort& port) {
  ++st.src.TokenIndex;
  CompileCharacterCode(st);
  st.out.Instr(Sep::kWide, "mov", "r24,zl");
  CallLibrary(st, UartLabel(port, "_Pch"), port.crlf);
}

}  // namespace

void EmitPrintValue(CompilerState& st, int uart, bool newLine, int itemStart, std::uint8_t worked) {
  const UartPort& port = UartPortOf(uart);
  const std::uint8_t type = kit::ItemType(st, worked);
  const std::uint8_t numeric = type == kTypeBit ? std::uint8_t{kTypeByte} : type;
  if (kit::EmitNumberToText(st, numeric, kit::LongTextLabel::kAsLabelled)) {
    CallLibrary(st, UartLabel(port, "_PrBW"),
                numeric == kTypeByte ? port.printByte : numeric == kTypeInteger ? port.printInteger : port.printWord);
    if (newLine) EmitLineEnd(st, port);
    return;
  }
  switch (type) {
    case kTypeString: CallLibrary(st, UartLabel(port, "_PSt"), port.printString); break;
    case kTypeFlashString: CallLibrary(st, UartLabel(port, "_PSc"), port.printStringConst); break;
    case kTypeFloat:
      // The float text routines are UART 0's alone.
      if (uart != 0) {
        kit::ReportItemCannotStand(st, itemStart, " cannot be printed on this UART (a Float prints on the first only)!");
        break;
      }
      strlines::EmitFloatToText(st);
      CallLibrary(st, "_PSt", NeedPrintString);
      break;
    default: kit::ReportItemCannotStand(st, itemStart, " cannot stand in a PRINT item!"); break;
  }
  if (newLine) EmitLineEnd(st, port);
}

void EmitPrintItems(CompilerState& st, int uart, bool stepOverSemicolon) {
  const UartPort& port = UartPortOf(uart);
  CheckBaudSet(st, static_cast<std::uint8_t>(uart));
  // A Print with nothing to print ends the line, at the end of the line as before a ":".
  if (stepOverSemicolon && AtUartListEnd(st)) EmitLineEnd(st, port);
  bool newLine = false;
  while (!AtUartListEnd(st) && st.Tok().Kind != kTokSemicolon) {
    const std::string& word = st.TokText();
    if (word == "hex" || word == "chr") {
      if (word == "hex")
        EmitHexItem(st, port);
      else
        EmitChrItem(st, port);
      if (st.Tok().Kind == kTokSemicolon)
        ++st.src.TokenIndex;
      else
        EmitLineEnd(st, port);
      continue;
    }
    const auto start = st.src.TokenIndex;
    const std::uint8_t worked = ParseSum(st, kTypeNone);
    if (st.src.TokenIndex == start) ++st.src.TokenIndex;  // a token no item starts with
    if (st.Tok().Kind == kTokSemicolon) {
      newLine = false;
      if (stepOverSemicolon) ++st.src.TokenIndex;
    } else if (st.Tok().Kind == kTokComma) {
      ++st.src.TokenIndex;
      ReportInPlace(st, "Remove comma!");
    } else {
      newLine = true;
    }
    EmitPrintValue(st, uart, newLine, start, worked);
  }
  st.used.Set(port.crlf);
}

void CompilePrintStatement(CompilerState& st, int uart) {
  if (StartUartStatement(st, uart, CompileSoftPrintStatement)) EmitPrintItems(st, uart, true);
}

void CompilePrintBinStatement(CompilerState& st, int uart) {
  if (!StartUartStatement(st, uart, CompileSoftPrintBinStatement)) return;
  const UartPort& port = UartPortOf(uart);
  CheckBaudSet(st, static_cast<std::uint8_t>(uart));
  const std::string chr = UartLabel(port, "_Pch");
  // (the type the last value went on in, which the address of a counted form is loaded as)
  std::uint8_t worked = kTypeNone;
  while (!AtUartListEnd(st)) {
    if (st.TokText(1) == ",") {
      // var, count: the count's bytes from the variable's address on, on this UART.
      worked = EmitUartBlockCall(st, UartLabel(port, "_PBAll"), port.printBinAll, worked);
      st.used.Set(port.crlf);
      continue;
    }
    // Each item is sent as its own type.
    const auto start = st.src.TokenIndex;
    worked = ParseExpression(st, kTypeNone);
    if (st.src.TokenIndex == start) ++st.src.TokenIndex;
    const std::uint8_t type = kit::ItemType(st, worked);
    if (type == kTypeByte || type == kTypeInteger || type == kTypeWord) {
      st.out.Instr(Sep::kWide, "mov", "r24,zl");
      CallLibrary(st, chr, port.crlf);
      if (type != kTypeByte) {
        st.out.Instr(Sep::kWide, "mov", "r24,zh");
        EmitCall(st, chr);
      }
    } else {
      ReportInPlace(st, "Must be Byte or Word!");
    }
    if (st.Tok().Kind == kTokSemicolon) ++st.src.TokenIndex;
  }
}

}  // namespace qbc
