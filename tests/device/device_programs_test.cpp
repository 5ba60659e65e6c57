// A small program for every device file the build installs: it compiles and assembles, or
// the compiler refuses the chip with its reason. A chip that compiles "OK" and then fails
// in the assembler is a fault of the compiler, whatever the chip.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc::test {
namespace {

std::vector<std::string> DeviceNames() {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(BinDir() + "/inc")) {
    const std::string f = e.path().filename().string();
    if (f.size() > 7 && f.compare(f.size() - 7, 7, "def.inc") == 0) names.push_back(f.substr(0, f.size() - 7));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The chips the compiler refuses, and why: no SRAM for the stacks, or the reduced core
// (sixteen registers, no adiw/sbiw).
const std::map<std::string, std::string> kRefused = {
    {"1200", "Unsupported Device!"}, {"90s1200", "Unsupported Device!"}, {"tn11", "Unsupported Device!"},
    {"tn12", "Unsupported Device!"}, {"tn15", "Unsupported Device!"},    {"tn28", "Unsupported Device!"},
    {"tn10", "Unsupported Device!"}, {"tn20", "Unsupported Device!"},
};

// The start-up code (stack pointers, the software stack), a loop, a library routine, a
// string and a wait: what every program has.
std::string Program(const std::string& device) {
  return "$device = " + device +
         "\n$clock = 4\n$stack = 16\n"
         "Dim B As Byte, W As Word, S As String * 3\n"
         "W = 1\n"
         "For B = 1 To 3\n  W = W * B\nNext\n"
         "S = \"ab\"\n"
         "Waitms 1\n"
         "End\n";
}

TEST(DevicePrograms, EveryDeviceFileAssemblesOrIsRefusedWithItsReason) {
  const std::vector<std::string> devices = DeviceNames();
  ASSERT_GT(devices.size(), 50u);
  for (const auto& [name, message] : kRefused)
    EXPECT_NE(std::find(devices.begin(), devices.end(), name), devices.end()) << name << " has no device file";
  for (const std::string& device : devices) {
    SCOPED_TRACE(device);
    const CompiledBasic compiled = CompileBasic(Program(device));
    EXPECT_TRUE(compiled.failure.empty()) << compiled.failure;
    const auto refused = kRefused.find(device);
    if (refused != kRefused.end()) {
      EXPECT_EQ(compiled.error_count, 1) << compiled.report;
      EXPECT_NE(compiled.report.find(refused->second), std::string::npos) << compiled.report;
      continue;
    }
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    const AsmResult assembled = AssembleAsmFile(compiled.asm_path);
    EXPECT_TRUE(assembled.ok) << assembled.output << "\n---- asm ----\n" << compiled.asm_text;
  }
}

}  // namespace
}  // namespace qbc::test
