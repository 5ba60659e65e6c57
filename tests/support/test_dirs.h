#pragma once
// Folders and small file helpers shared by the tests.
#include <string>

namespace qbc::test {

// The installation folder of this build (qbc, inc/).
std::string BinDir();
// A fresh, empty temporary folder for one test; removed when the process ends.
std::string MakeTempDir(const std::string& tag);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);

}  // namespace qbc::test
