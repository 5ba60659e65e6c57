#pragma once
// Numeric constants from tokens, port names and delay counts. A hexadecimal or binary
// constant reaches these services split by the tokenizer: &hff arrives as "&" and "hff",
// &b0101 as "&" and "b0101".
#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// The value of the constant operand at the current token: a named constant's Value, or
// after "&" the hexadecimal token that follows (TokenIndex is left on it), or the token's
// text as a number. Texts are read like the language's Val: the leading number, 0 when
// there is none; a fraction is rounded half to even; a value beyond 32 bits is a
// run-time failure of the compiler.
std::int32_t ParseAmpConstant(CompilerState& st);

// Value of the token after "&" in a hexadecimal constant ("hff" or "ff"). The text becomes
// "&h..." (the text that was converted). One to four digits give a 16-bit two's-complement
// value (hffff is -1), five to eight a 32-bit one; reading stops at the first character
// that is not a hexadecimal digit; no digits give 0.
std::int32_t IsHexConstant(std::string& text);
inline std::int32_t HexConstantValue(std::string& text) { return IsHexConstant(text); }

// Value of the binary digits after the first "b" of the text (the text is cut to them).
// Characters other than "1" add nothing.
std::int32_t IsBinConstant(std::string& text);
inline std::int32_t BinConstantValue(std::string& text) { return IsBinConstant(text); }

// Type of a decimal constant: 8 (float, and NeedFloatCore is set) when the text holds "e"
// or "."; else by value 2 byte (0..255), 3 integer (-32766..-1), 4 word (256..65535),
// 5 long. Sets ConstIsByteMax for 255 / ConstIsWordMax for 65535 in their own ranges.
// A text that is not a number reports "Numeric constant expected!" and gives 0.
std::uint8_t ParseFloatConstant(CompilerState& st, std::string_view text);

// Upper-cases the name in place; true when it begins with PORT, PIN or DDR.
bool IsPortRegister(std::string& name);

// For hardware UART 0 to 3 without a configured baud rate: reports "Baud rate not set!"
// and leaves the token index where it was.
void CheckBaudSet(CompilerState& st, std::uint8_t uart);

// Count of the three-cycle delay loop lasting `us` microseconds less a seven-cycle
// overhead: (us * CrystalFrequency - 7) / 3 in single precision, rounded half to even,
// as decimal text ("0" becomes "1"; a negative count stays negative).
std::string CalcDelayCount(CompilerState& st, std::uint8_t us);

}  // namespace qbc
