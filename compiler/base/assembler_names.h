#pragma once
// The names the assembler gives a meaning of its own, whatever the program defines: the
// CPU registers and the functions of its expressions. The compiler refuses them as the
// program's names, and its reading of the output knows them by the same lists.
#include <optional>
#include <string_view>

namespace qbc {

// The register a name means: r0 .. r31, and xl, xh, yl, yh, zl, zh (26 .. 31), in any
// letter case; nullopt for any other name ("r01" and "r32" are none).
std::optional<int> CpuRegisterNumber(std::string_view name);

// The functions of avra's expressions, in any letter case where they are named.
enum class AsmFunction { kLow, kHigh, kByte1, kByte2, kByte3, kByte4, kLwrd, kHwrd, kPage, kExp2, kLog2, kDefined };
// The function of a name in lower case; nullopt for none.
std::optional<AsmFunction> AsmFunctionNamed(std::string_view lowerName);

}  // namespace qbc
