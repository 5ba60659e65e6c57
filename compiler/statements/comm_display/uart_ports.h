#pragma once
// The hardware UARTs 0 to 3 as the Print, PrintBin, Input and InputBin generators see
// them: the labels of each UART's library routines and the used flags that bring them in.
// Every UART has its own copy of every routine, so a statement on UART n only ever calls
// routines that talk to UART n.
#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

struct UartPort {
  int number;
  std::string_view suffix;  // "" for UART 0, else the UART's digit
  UsedFlag crlf;            // _PCL / _Pch (line end and character output)
  UsedFlag printByte;
  UsedFlag printInteger;
  UsedFlag printWord;       // words and longs
  UsedFlag printString;
  UsedFlag printStringConst;
  UsedFlag printBinAll;     // _PBAll
  UsedFlag input;           // _Input / _InStnn (line input)
  UsedFlag strToNum;
  UsedFlag getChar;
  UsedFlag inputBinAll;     // _IBAll
};

const UartPort& UartPortOf(int uart);

// `base` followed by the UART's suffix: "_PCL" gives "_PCL", "_PCL1", ...
std::string UartLabel(const UartPort& port, std::string_view base);
// The string entry of the line input: _InSt00, _InSt11, _InSt22, _InSt33.
std::string UartStringInputLabel(const UartPort& port);

// The start of every Print, PrintBin, Input and InputBin statement: steps past the keyword
// and tells whether the list is to be compiled. Not when the device lacks the UART (see
// UartPresent), nor for the "#" form of UART 0: that is a software UART's statement, which
// `softForm` compiles from the "#" on.
bool StartUartStatement(CompilerState& st, int uart, void (*softForm)(CompilerState&));

// The end of an item list: ":", the end of the line, or the Else of a one-line If.
bool AtUartListEnd(CompilerState& st);

// The counted form "var, count" of PrintBin and InputBin, entered on var: X = var's
// address, zl = count, then the call of the UART's block routine `label`. `wanted` and the
// result as for EmitBlockOperands.
std::uint8_t EmitUartBlockCall(CompilerState& st, const std::string& label, UsedFlag flag, std::uint8_t wanted);

// True when the device has UART `uart`. Otherwise reports that the UART is missing and
// skips the rest of the statement.
bool UartPresent(CompilerState& st, int uart);

}  // namespace qbc
