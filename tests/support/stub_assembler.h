#pragma once
// Installation folders whose AvrAsm32 misbehaves in one chosen way, for the tests of what a
// build reports when the assembler's word and its files disagree. Each stub runs the real
// AvrAsm32 of this build and then spoils what it did.
#include <string>
#include <vector>

namespace qbc::test {

enum class StubAssembler {
  kFailsOnItsSecondRun,   // the first run assembles; a second removes the .hex and fails
  kLeavesNoHex,           // prints the real success report, removes the .hex
  kLeavesACutHex,         // prints the real success report, cuts the .hex after 20 bytes
  kFailsWithoutAMessage,  // assembles, prints the real report, exits with status 3
};

struct StubCase {
  StubAssembler kind;
  const char* name;
};
const std::vector<StubCase>& StubAssemblers();

// Makes <installDir>/inc hold links to the built device files and AvrAsm32: an
// installation folder of its own (its tmp.tmp and lock are the test's).
void MakeInstallation(const std::string& installDir);

// The same with a qbc of its own (this build's, linked where the file system allows, else
// copied): a second installation for qbc runs, with its own tmp.tmp and lock.
void MakeQbcInstallation(const std::string& installDir);

// The same with `kind`'s AvrAsm32.
void InstallStubAssembler(const std::string& installDir, StubAssembler kind);

// Writes <dir>/gated-avra, a stand-in for avra (for QBC_AVRA) that makes one order of a race:
// it says that it runs (<dir>/started), waits until <dir>/go exists, then runs avra.
std::string WriteGatedAvra(const std::string& dir);

// How often the stub in `installDir` was started.
int StubAssemblerRuns(const std::string& installDir);

}  // namespace qbc::test
