#include "compiler/library/comm/open_drain_pins.h"

#include "compiler/codegen/io_access.h"
#include "compiler/frontend/port_pins.h"

namespace qbc::opendrain {

namespace {

IoBit BitOfLine(std::string_view prefix, const Line& line) {
  return BitOf(PortRegister(prefix, line.letter), line.bit, MaskText::kDecimal);
}

}  // namespace

Line ParseLine(std::string_view port, std::string_view pin) {
  const PortPin p = PortPinOf(port, pin);
  Line line;
  if (p.letter != 0) line.letter = p.letter;
  if (p.bit >= 0) line.bit = p.bit;
  return line;
}

void Drive(CompilerState& st, std::string_view label, const Line& line, bool low, std::string_view scratch) {
  EmitBitChange(st, BitOfLine("DDR", line), low, Flags::kMayChange, std::string(scratch), Reach::kData, label);
}

void SkipIf(CompilerState& st, std::string_view label, const Line& line, bool high, std::string_view scratch) {
  EmitBitSkip(st, BitOfLine("PIN", line), high, std::string(scratch), Reach::kData, label);
}

}  // namespace qbc::opendrain
