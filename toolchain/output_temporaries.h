#pragma once
// The temporary names of the files avra writes for AvrAsm32 (.hex, .eep, and the object
// file under the .hex's name): while a file is written and checked it lies beside its place
// as ".<name>.XXXXXX", six letters or digits that mkstemp chose. A run killed part-way
// leaves such files; the next build removes them.
#include <string>

namespace qbc {

// The mkstemp template for `path`: its folder, ".", its name, ".XXXXXX".
std::string AssemblerTemporaryTemplate(const std::string& path);

// Whether `fileName` is a temporary name of the file named `name`.
bool IsAssemblerTemporaryName(const std::string& fileName, const std::string& name);

}  // namespace qbc
