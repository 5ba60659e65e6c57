#pragma once
// SpiIn, SpiOut and the Spi function: bytes through the chip's SPI unit.
#include "compiler/base/state.h"

namespace qbc {

// SpiIn target { ";" target } or SpiIn name "," count. A target is a variable, a local or
// an array element; a value of several bytes takes the first byte received as its most
// significant; a string takes characters up to a 0 byte or its length.
void CompileSpiInStatement(CompilerState& st);

// SpiOut value { ";" value } or SpiOut name "," count; lowest byte first.
void CompileSpiOutStatement(CompilerState& st);

// Spi(value): sends the byte and gives the byte received meanwhile.
std::uint8_t CompileSpiFunction(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
