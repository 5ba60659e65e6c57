#pragma once
// How an instruction reaches a device register: the one place that decides it, by the
// register's value in the device file (I/O addresses below 0x40, the extended I/O at its
// data address from 0x60 on):
//   - the bit instructions sbi, cbi, sbis and sbic reach the lower I/O space, below 0x20;
//   - in and out reach the whole I/O space, below 0x40;
//   - lds and sts reach the extended I/O (PORTF and port G of the ATmega128, ports H to L
//     of the ATmega2560, the timer and UART registers of the newer chips).
//
// One writer per form. A read, a write and a bit skip never change the status flags. A bit
// changed where sbi/cbi cannot reach is read into a scratch register, changed and written
// back; sbr/cbr change S, V, N and Z, so the writer is told whether that is allowed
// (Flags::kMayChange) or whether the flags must come through unchanged (Flags::kKeep: the
// scratch register and SREG are kept on the stack around the change).
//
// Each form is also available as its instruction list (IoForm), for routine text that lays
// its lines out itself.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/base/state.h"

namespace qbc {

enum class Reach : std::uint8_t {
  kBit,    // below 0x20: the bit instructions, and in/out
  kInOut,  // 0x20 to 0x3F: in/out
  kData,   // the extended I/O: lds/sts
};

enum class Flags : std::uint8_t {
  kMayChange,  // sbr/cbr through the scratch register
  kKeep,       // the scratch register and SREG saved on the stack around the change
};

// The register's value in the device file (its name compared in lower case); none when the
// device file does not name it.
std::optional<std::int32_t> IoRegisterAddress(CompilerState& st, std::string_view name);

Reach ReachOfAddress(std::int32_t address);

// The reach of register `name`; `unnamed` is the form kept for a name the device file
// lacks (such a line fails in the assembler whatever its form).
Reach RegisterReach(CompilerState& st, std::string_view name, Reach unnamed = Reach::kBit);

// True when the bit instructions reach the register (a name the file lacks: false).
bool IsBitAddressable(CompilerState& st, std::string_view name);

// The mnemonics of a read and a write at that reach: "in"/"lds", "out"/"sts".
const char* ReadMnemonic(Reach reach);
const char* WriteMnemonic(Reach reach);

// One instruction of a form.
struct IoInstr {
  Sep sep = Sep::kWide;
  std::string mnemonic;
  std::string operands;
};
using IoForm = std::vector<IoInstr>;

// One bit of a register, as the lines name it.
struct IoBit {
  std::string reg;   // the register as written ("PORTB", "SPSR")
  std::string bit;   // the bit operand of sbi/cbi/sbis/sbic/sbrs/sbrc ("3", "SPIF")
  std::string mask;  // the operand of sbr/cbr in the read-modify-write ("8", "0x08", "1<<3")
  int number = 0;    // the bit's number (the masks of the flag-keeping form)
  std::string comma = ",";  // between register and bit in the bit instructions
};

// How the mask of a read-modify-write is written.
enum class MaskText : std::uint8_t {
  kShift,    // "1<<3"
  kDecimal,  // "8"
  kHex,      // "0x08"
};
// Bit `number` of register `reg`, its bit operand the number in decimal.
IoBit BitOf(std::string reg, int number, MaskText mask);
// Bit `bit` (a digit, or a name the assembler knows) whose number is `number`.
IoBit BitOf(std::string reg, std::string bit, int number, MaskText mask);

// A port pin: register `reg`, the pin digit `pin` as its bit, the mask "1<<pin".
IoBit PinBit(std::string reg, const std::string& pin);

// The forms.
IoForm ReadForm(CompilerState& st, const std::string& reg, const std::string& dest, Reach unnamed = Reach::kBit);
IoForm WriteForm(CompilerState& st, const std::string& reg, const std::string& src, Reach unnamed = Reach::kBit);
IoForm BitChangeForm(CompilerState& st, const IoBit& bit, bool set, Flags flags, const std::string& scratch,
                     Reach unnamed = Reach::kBit);
// Several bits of one register, all set or all cleared: one sbi/cbi each, or one
// read-modify-write with a sbr/cbr each (the flags may change).
IoForm BitsChangeForm(CompilerState& st, const std::vector<IoBit>& bits, bool set, const std::string& scratch,
                      Reach unnamed = Reach::kBit);
// The read-modify-write alone, also where sbi/cbi would reach the register (a flag
// register whose other bits must be written back as read).
IoForm ReadModifyWriteForm(CompilerState& st, const IoBit& bit, bool set, Flags flags, const std::string& scratch,
                           Reach unnamed = Reach::kBit);
// Skips the next instruction when the bit is set (`skipIfSet`) or clear.
IoForm BitSkipForm(CompilerState& st, const IoBit& bit, bool skipIfSet, const std::string& scratch,
                   Reach unnamed = Reach::kBit);

// Where a form's label goes: on its first line, or on a line of its own.
enum class LabelAt : std::uint8_t { kFirstLine, kOwnLine };

// The clock cycles of one instruction of a form (a skip when it does not skip).
long FormCycles(const IoInstr& instr);
long FormCycles(const IoForm& form);

// Writes a form, opened by `label` when one is given.
void EmitForm(CompilerState& st, const IoForm& form, std::string_view label = {}, LabelAt at = LabelAt::kFirstLine);

// The writers.
void EmitRegisterRead(CompilerState& st, const std::string& reg, const std::string& dest, Reach unnamed = Reach::kBit,
                      std::string_view label = {});
void EmitRegisterWrite(CompilerState& st, const std::string& reg, const std::string& src, Reach unnamed = Reach::kBit,
                       std::string_view label = {});
void EmitBitChange(CompilerState& st, const IoBit& bit, bool set, Flags flags, const std::string& scratch,
                   Reach unnamed = Reach::kBit, std::string_view label = {});
void EmitBitSkip(CompilerState& st, const IoBit& bit, bool skipIfSet, const std::string& scratch,
                 Reach unnamed = Reach::kBit, std::string_view label = {});

}  // namespace qbc
