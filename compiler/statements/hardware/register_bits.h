#pragma once
// One bit of a device register, found by its names in the device file, and changed in the
// form io_access chooses for the register: a single sbi/cbi where that reaches it, else
// the register read into zl, the bit set or cleared and zl written back.
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// A register name and the name of one of its bits, as the device file spells them (lower
// case).
struct RegisterBitName {
  std::string_view reg;
  std::string_view bit;
};

struct RegisterBit {
  std::string reg;  // upper case, as written into the lines
  int address = 0;  // the device file's value of the register
  int bit = 0;
};

// The first of the candidates whose register and bit the device file both define. Older
// register names are aliases of the newer ones on the newer chips (TIMSK is TIMSK0 there),
// so a list names the newer register first.
std::optional<RegisterBit> FindRegisterBit(const CompilerState& st, std::initializer_list<RegisterBitName> candidates);
std::optional<RegisterBit> FindRegisterBit(const CompilerState& st, const RegisterBitName* first, std::size_t count);

// The address of a register of the device file; none when the device lacks it.
std::optional<int> RegisterAddress(const CompilerState& st, std::string_view reg);

// Sets (or clears) the bit. `singleBit` allows the one-line sbi/cbi form where the
// register lies in the lower I/O space; otherwise the bit is changed through zl.
void EmitChangeRegisterBit(CompilerState& st, const RegisterBit& rb, bool set, bool singleBit);

}  // namespace qbc
