#pragma once
// Reads and writes of device registers by their data-space placement: "in"/"out" for the
// I/O space (addresses below 0x40), "lds"/"sts" for the extended I/O registers, and the bit
// skips "sbis"/"sbic" only for the lower I/O space (below 0x20).
#include <cstdint>
#include <optional>
#include <string>

#include "compiler/codegen/emit_lines.h"  // EmitReadIoRegister, EmitWriteIoRegister
#include "compiler/base/state.h"

namespace qbc {

// The register's address from the device file (IoRegisters); none when the name is no
// register of the device. The name is compared in lower case, as the tokenizer keeps it.
std::optional<std::int32_t> IoRegisterAddress(CompilerState& st, const std::string& name);

// True when sbis/sbic/sbi/cbi can address the register.
bool IsBitAddressable(CompilerState& st, const std::string& name);

// Sets or clears one bit of a port register, by the register's address in the device
// file: sbi/cbi in the low I/O space (below 0x20), in/out through zl in the rest of it
// (below 0x40), lds/sts for the extended I/O (PORTF of the ATmega128, ports H to L of the
// ATmega1280). `bitOperand` is the operand of the sbi/cbi form; a register the device
// file does not name keeps that form. `scratch` carries the register's value in the other
// forms (a routine whose zl holds data names another).
void EmitPortBit(CompilerState& st, const std::string& reg, const std::string& pin, bool set,
                 const std::string& bitOperand, const std::string& scratch = "zl");

// Skips the next instruction when bit `pin` of register `reg` is set (`skipIfSet`) or
// clear, by the register's address: sbis/sbic below 0x20, else the register read into
// `scratch` (in below 0x40, lds beyond) and sbrs/sbrc on it.
void EmitSkipOnPortBit(CompilerState& st, const std::string& reg, const std::string& pin, bool skipIfSet,
                       const std::string& bitOperand, const std::string& scratch);

}  // namespace qbc
