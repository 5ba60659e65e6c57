#pragma once
// The text File New puts into an empty document: twelve CR LF lines with the device,
// stack and clock directives and an empty Do/Loop.
#include <string>

namespace qbc {

std::string NewFileTemplate();

}  // namespace qbc
