#pragma once
// The value of an operand expression as avra works it out: decimal (a leading 0 is still
// decimal), 0x and $ hexadecimal, 0b binary and 'c' numbers, names, the C operators with
// C precedence, and the functions low, high, byte1 to byte4, lwrd, hwrd, page, exp2, log2
// and defined(name). A name the caller cannot give a value (a label, a name not defined)
// or anything else not understood gives no value: the caller then knows nothing.
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace qbc {

// A name's value; `name` is in lower case.
using AsmSymbolValue = std::function<std::optional<std::int64_t>(std::string_view name)>;
// Whether a name is defined (for defined(name)); `name` is in lower case.
using AsmSymbolDefined = std::function<bool(std::string_view name)>;

std::optional<std::int64_t> AsmExpressionValue(std::string_view text, const AsmSymbolValue& value,
                                               const AsmSymbolDefined& defined);

// Whether `c` may stand in a name of the assembler's (labels, symbols, aliases).
bool AsmNameChar(char c);

// The operand of a jump or branch that names the program counter ("PC", "PC+2",
// "pc - 0x03", "PC+010" (ten), "PC+N"): `namesPc` tells whether it names PC at all (a
// label does not); `target` is its value for a line at address `pc`, as avra works it out,
// nullopt where it is not understood.
struct AsmPcOperand {
  bool namesPc = false;
  std::optional<std::int64_t> target;
};
AsmPcOperand AsmPcTarget(std::string_view operand, std::int64_t pc, const AsmSymbolValue& value,
                         const AsmSymbolDefined& defined);

}  // namespace qbc
