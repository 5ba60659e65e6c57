#pragma once
// The device loader: the `$device` metastatement finds the device definition file by the
// device's name (inc/<name>def.inc in the installation folder) and reads it into the
// profile and the register and vector tables; what the chip has comes from the file alone.
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// `$device = name [, xram, item, item]`, entered with the token index on the name. Sets
// the profile, fills IoRegisters and InterruptVectors, writes the ".include" line of the
// definition file and a ";" line. On return the token index is one past the name (or past
// the xram clause), and the token table still holds the `$device` line.
void ParseDeviceMetaStatement(CompilerState& st);

// The device name as the loader derives it from the name in the source (already lower
// case): at90s8515 -> 90s8515, mega128 -> m128, tiny26 -> tn26.
std::string DeviceNameFromSource(std::string name);

// Reads the definition file of a derived device name into the profile. A missing file is
// reported ("File <name> not exist at current path!") and false is returned.
bool LoadDeviceFile(CompilerState& st, const std::string& deviceName);

}  // namespace qbc
