#pragma once
// Values sent and received a byte at a time through one routine (SPI, shift registers):
// sent lowest byte first, received most significant byte first.
#include <cstdint>
#include <optional>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// value { ";" value }: each value in its own type, one call of `routine` (the byte in zl)
// per byte. Bits, floats and strings have no bytes to send: compile error.
void EmitSendValues(CompilerState& st, std::string_view routine);

// The type a receiver fills for `wanted`: a byte for none; none (after a compile error) for
// a bit, float or string.
std::optional<std::uint8_t> ReceivedType(CompilerState& st, std::uint8_t wanted);

// The bytes of `type` received through `routine` (which returns each in zl) into the
// working registers, the first the most significant.
void EmitReceiveValue(CompilerState& st, std::string_view routine, std::uint8_t type);

}  // namespace qbc
