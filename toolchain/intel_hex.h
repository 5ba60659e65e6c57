#pragma once
// Whether an Intel hex file (the .hex and .eep that avra writes) is whole: AvrAsm32 checks
// what avra wrote before it puts a file in place, and the build command checks the .hex it
// finds before it reports success.
#include <string>

namespace qbc {

// Every line a record with its length and checksum right, and the end record last. `why`
// tells what is wrong ("line 92 is cut short or damaged", "it has no end record", ...).
bool IsWholeHexFile(const std::string& path, std::string& why);

}  // namespace qbc
