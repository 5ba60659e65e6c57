#pragma once
// Hardware UART rates and frame formats ($baud, $baud0 .. $baud3 and the Baud statements),
// and the timing of the interrupt-driven software UART.
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword (baud .. baud3): rate, double speed or synchronous mode, and the
// divisor and register lines (collected for the start-up code during the first pass,
// written in place afterwards).
void ParseUartConfig(CompilerState& st, std::uint8_t uart);
// Entered on the token after the configuration: "," parity "," data bits "," stop bits.
void ParseUartFormat(CompilerState& st, std::uint8_t uart);

// The Baud statement of the code pass for UART `uart` ("baud"/"baud0" .. "baud3").
void CompileBaudStatement(CompilerState& st, int uart);

// Software UART timing for $com1 and Baud #1 = rate: reads the rate at the current token
// (the index is left there). $com1 stores ticks per bit, division and Timer0 clock select
// for the start-up code; the statement Baud #1 = rate (after the declarations) writes, in
// place, a wait for the byte going out, Timer0's clock select and the three reloads, and
// leaves the start-up timing alone.
void CalcSoftUartTiming(CompilerState& st);
// The three Timer0 reload values of the $com1 rate into _rel1, _rel2, _rel3 (six lines).
void EmitSoftUartReloads(CompilerState& st);

// What a line about hardware UART `uart` (0 to 3) says where the chip lacks that UART.
const char* MissingUartText(int uart);

// Values the program head writes for a UART with a frame format.
std::uint8_t UartEnableValue(const CompilerState& st, std::uint8_t uart);
std::uint8_t UartFrameValue(const CompilerState& st, std::uint8_t uart);

}  // namespace qbc
