#pragma once
// The font of the graphic LCD text tests: 5 columns by one page, codes 32 to 91, each
// glyph's bytes derived from its code so that every character looks different; written as
// a BASIC flash table (two glyphs a line, as the byte lines of a table need even counts).
#include <cstdint>
#include <string>
#include <vector>

namespace qbc::test {

std::vector<std::uint8_t> TestGlyph(int code);
// "Dim <name>(302) As Flash Byte" and the table "<name> = 5 , 1 , ..." lines.
std::string TestFontDim(const std::string& name);
std::string TestFontTable(const std::string& name);

}  // namespace qbc::test
