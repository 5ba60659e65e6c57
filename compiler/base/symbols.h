#pragma once
// Lookups in the symbol tables. Each compares the stored Name with the name exactly (case
// folding is the tokenizer's), scans upward and returns the first match; 0 means "none".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// Record index (records from 1; the scan stops at the first empty Name), 0 for none.
int FindGlobalVar(CompilerState& st, std::string_view name);
int FindConst(CompilerState& st, std::string_view name);
int FindDefAlias(CompilerState& st, std::string_view name);

// Record index plus one, 0 for none. FindLocalVar sees only the parameters and locals of
// the procedure named by CurrentSubName (the empty name in the main program).
int FindLocalVar(CompilerState& st, std::string_view name);
int FindSub(CompilerState& st, std::string_view name);

// Record index of a register of the device file (records 1 to 699 only), 0 for none.
int FindIoRegister(CompilerState& st, std::string_view name);
// The value of any name of the device definition file (register or bit, lower case);
// none when the file does not define it.
std::optional<std::int32_t> DeviceSymbolValue(const CompilerState& st, std::string_view name);
// The number of a bit the device file names (lower case); none when it does not define
// the name or its value is no bit number 0 to 7.
std::optional<int> DeviceBitNumber(const CompilerState& st, std::string_view name);

// True when the device has an external memory interface (its file names the SRE bit, or
// XMCRA on the chips whose register table ends before the bits), or no device is loaded
// yet.
bool HasExternalMemoryBus(CompilerState& st);

// Appends a named constant, whose name its declaration has claimed (see ClaimName), at the
// first empty record. ConstType is a TokenKind: 8 for a number, 12 for a string literal.
void DefineConst(CompilerState& st, const std::string& name, const std::string& value, std::uint8_t type);

}  // namespace qbc
