#include "tests/support/stub_assembler.h"

#include <sys/stat.h>

#include <filesystem>

#include "tests/support/test_dirs.h"

namespace qbc::test {

namespace {

namespace fs = std::filesystem;

// The shell lines after the count of runs; $hex is the .hex of the .asm named last.
std::string Spoiler(StubAssembler kind, const std::string& real) {
  const std::string run = "'" + real + "' \"$@\"";
  switch (kind) {
    case StubAssembler::kFailsOnItsSecondRun:
      return "if [ \"$n\" -ge 2 ]; then rm -f \"$hex\"; echo 'no room left'; exit 1; fi\nexec " + run + "\n";
    case StubAssembler::kLeavesNoHex:
      return run + "\nrm -f \"$hex\"\n";
    case StubAssembler::kLeavesACutHex:
      return run + "\nhead -c 20 \"$hex\" > \"$hex.cut\" && mv \"$hex.cut\" \"$hex\"\n";
    case StubAssembler::kFailsWithoutAMessage:
      return run + "\nexit 3\n";
  }
  return {};
}

}  // namespace

const std::vector<StubCase>& StubAssemblers() {
  static const std::vector<StubCase> cases{
      {StubAssembler::kFailsOnItsSecondRun, "an assembler that fails on its second run"},
      {StubAssembler::kLeavesNoHex, "an assembler that says it assembled and leaves no .hex"},
      {StubAssembler::kLeavesACutHex, "an assembler that leaves a cut .hex"},
      {StubAssembler::kFailsWithoutAMessage, "an assembler that fails without a message"},
  };
  return cases;
}

void MakeInstallation(const std::string& installDir) {
  const std::string inc = installDir + "/inc";
  fs::create_directories(inc);
  for (const auto& entry : fs::directory_iterator(BinDir() + "/inc")) {
    const std::string name = entry.path().filename().string();
    if (name == "recent.res" || fs::exists(fs::symlink_status(inc + "/" + name))) continue;
    fs::create_symlink(entry.path(), inc + "/" + name);
  }
}

void MakeQbcInstallation(const std::string& installDir) {
  MakeInstallation(installDir);
  const std::string qbc = installDir + "/qbc";
  std::error_code ec;
  fs::create_hard_link(BinDir() + "/qbc", qbc, ec);
  if (ec) fs::copy_file(BinDir() + "/qbc", qbc, fs::copy_options::overwrite_existing);
}

void InstallStubAssembler(const std::string& installDir, StubAssembler kind) {
  MakeInstallation(installDir);
  const std::string inc = installDir + "/inc";
  const std::string stub = inc + "/AvrAsm32";
  std::error_code ec;
  fs::remove(stub, ec);
  WriteFile(stub, "#!/bin/sh\n"
                  "n=$(( $(cat '" + installDir + "/runs' 2>/dev/null || echo 0) + 1 ))\n"
                  "echo $n > '" + installDir + "/runs'\n"
                  "for a; do hex=\"${a%.asm}.hex\"; done\n" +
                  Spoiler(kind, BinDir() + "/inc/AvrAsm32"));
  chmod(stub.c_str(), 0755);
}

std::string WriteGatedAvra(const std::string& dir) {
  const std::string gate = dir + "/gated-avra";
  WriteFile(gate, "#!/bin/sh\n: > '" + dir + "/started'\nwhile [ ! -e '" + dir +
                      "/go' ]; do sleep 0.01; done\nexec avra \"$@\"\n");
  chmod(gate.c_str(), 0755);
  return gate;
}

int StubAssemblerRuns(const std::string& installDir) {
  const std::string text = ReadFile(installDir + "/runs");
  return text.empty() ? 0 : std::stoi(text);
}

}  // namespace qbc::test
