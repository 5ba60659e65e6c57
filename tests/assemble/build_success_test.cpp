// A build succeeds only with the whole .hex in place: whatever the assembler says, the size
// report (and qbc's exit status 0) stand only beside a .hex the programmer can load.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ide/build/build_command.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/stub_assembler.h"
#include "tests/support/test_dirs.h"
#include "toolchain/intel_hex.h"

namespace qbc {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = "$device = m8\r\n$clock = 4\r\n$stack = 32\r\nDim A As Byte\r\nA = 7\r\nEnd\r\n";

TEST(BuildSuccess, OnlyWithTheWholeHexInPlace) {
  for (const test::StubCase& c : test::StubAssemblers()) {
    SCOPED_TRACE(c.name);
    const std::string install = test::MakeTempDir("stub install");
    test::InstallStubAssembler(install, c.kind);
    const std::string dir = test::MakeTempDir("stub doc");
    test::CompilerFixture f;
    ReportSink report;
    BuildOutcome outcome;
    const int errors = RunBuildCommand(f.st, {install, dir + "/p.bas"}, kProgram, report, &outcome);
    EXPECT_EQ(errors, 0);
    const std::string hex = dir + "/p.hex";
    const std::string listed = " 1.  " + install + "/inc/AvrAsm32: error: ";
    std::string why;
    switch (c.kind) {
      case test::StubAssembler::kFailsOnItsSecondRun:
        // Assembled once: the second run that removed the .hex is gone.
        EXPECT_EQ(test::StubAssemblerRuns(install), 1);
        EXPECT_EQ(outcome.assemblerErrors, 0) << report.Text();
        EXPECT_NE(report.Text().find("Code size        :"), std::string::npos) << report.Text();
        EXPECT_TRUE(IsWholeHexFile(hex, why)) << why;
        continue;
      case test::StubAssembler::kLeavesNoHex:
        EXPECT_NE(report.Text().find(listed + "no whole " + hex + " after the assembler ran: No such file or directory"),
                  std::string::npos)
            << report.Text();
        break;
      case test::StubAssembler::kLeavesACutHex:
        EXPECT_NE(report.Text().find(listed + "no whole " + hex + " after the assembler ran: line 2 is cut short"),
                  std::string::npos)
            << report.Text();
        break;
      case test::StubAssembler::kFailsWithoutAMessage:
        EXPECT_NE(report.Text().find(listed + "the assembler failed (exit status 3)"), std::string::npos)
            << report.Text();
        break;
    }
    EXPECT_EQ(outcome.assemblerErrors, 1) << report.Text();
    EXPECT_EQ(report.Text().find("Code size"), std::string::npos) << report.Text();
    EXPECT_FALSE(fs::exists(hex));
  }
}

}  // namespace
}  // namespace qbc
