// $include, $includeasm and $asm in whole compilations: names are taken in the folder of
// the document, errors in an included file name that file and its own line, and the
// copied lines run on the simulator.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "compiler/driver/driver.h"
#include "compiler/base/report.h"
#include "compiler/base/state.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc::test {
namespace {

struct Compiled {
  std::string dir;
  std::string report;
  std::string failure;
  int errors = 0;
};

// Compiles `source` as the document <dir>/prog.bas; `files` are written first, relative to
// the document's folder. The process's current folder is somewhere else entirely.
Compiled Compile(const std::string& source, const std::vector<std::pair<std::string, std::string>>& files) {
  Compiled c;
  c.dir = MakeTempDir("meta_program");
  const std::string install = c.dir + "/install";
  std::filesystem::create_directories(install);
  std::filesystem::create_directories(c.dir + "/lib");
  std::error_code ec;
  std::filesystem::create_directory_symlink(BinDir() + "/inc", install + "/inc", ec);
  WriteFile(install + "/tmp.tmp", source);
  WriteFile(c.dir + "/prog.bas", source);
  for (const auto& [name, text] : files) WriteFile(c.dir + "/" + name, text);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(install);
  auto st = std::make_unique<CompilerState>();
  ReportSink report;
  st->report = &report;
  CompileProgram(*st, c.dir + "/prog.bas", install + "/");
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(install));  // never changed
  std::filesystem::current_path(before);
  c.report = report.Text();
  c.failure = report.LastFailure();
  c.errors = st->ErrorCount;
  return c;
}

const char* kHead = "$device = m8\n$clock = 8\n$stack = 32\n";

TEST(MetaCodeProgram, IncludedSourceAsmBlockAndIncludedAsmRun) {
  const std::string src = std::string(kHead) +
                          "Dim A As Byte, B As Byte, C As Byte\n"
                          "Declare Sub SetA(v As Byte)\n"
                          "$include \"lib/first.bas\"\n"
                          "SetA(9)\n"
                          "$asm\n"
                          "  ldi r16,0x42\n"
                          "  sts b,r16\n"
                          "  rcall _SetC\n"
                          "$end asm\n"
                          "End\n"
                          "$include \"lib\\second.bas\"\n"
                          "$includeasm \"lib/routine.asm\"\n";
  auto c = Compile(src, {{"lib/first.bas", "C = 0\r\nA = 1\r\n"},
                         {"lib/second.bas", "Sub SetA(v As Byte)\n  A = v\nEnd Sub\n"},
                         {"lib/routine.asm", "_SetC:\n\tldi\tr16,0x24\n\tsts\tc,r16\n\tret\n"}});
  ASSERT_EQ(c.errors, 0) << c.report << c.failure;
  ASSERT_EQ(c.failure, "");
  auto a = AssembleAsmFile(c.dir + "/prog.asm");
  ASSERT_TRUE(a.ok) << a.output << ReadFile(c.dir + "/prog.asm");
  SimRunner sim({.mcu = "atmega8"});
  ASSERT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
  EXPECT_EQ(sim.Run(), SimStop::EndLoop);
  EXPECT_EQ(sim.Sram(*sim.Symbol("a")), 9);
  EXPECT_EQ(sim.Sram(*sim.Symbol("b")), 0x42);
  EXPECT_EQ(sim.Sram(*sim.Symbol("c")), 0x24);
}

TEST(MetaCodeProgram, ErrorInAnIncludedFileNamesItsPathAndLine) {
  const std::string src = std::string(kHead) + "Dim A As Byte\n$include \"lib/bad.bas\"\nA = 2\n$bogus\nEnd\n";
  auto c = Compile(src, {{"lib/bad.bas", "' first line\n\n$nonsense\nA = 1\n"}});
  EXPECT_EQ(c.errors, 2);
  EXPECT_NE(c.report.find("Not a regular MetaStatement! (\"" + c.dir + "/lib/bad.bas\" --> Line  3)"),
            std::string::npos)
      << c.report;
  EXPECT_NE(c.report.find("Not a regular MetaStatement! (\"" + c.dir + "/prog.bas\" --> Line  7)"),
            std::string::npos)
      << c.report;
}

// $timer0 after the declarations writes its configuration lines where it stands.
TEST(MetaCodeProgram, TimerLineInTheCodeIsWrittenInPlace) {
  // (a Timer0 with PWM: the m16's; the m8's counts only)
  const std::string src =
      "$device = m16\n$clock = 8\n$stack = 32\nDim A As Byte\nA = 1\n$timer0 = pwm, inverted, prescale = 64\nA = 2\nEnd\n";
  auto c = Compile(src, {});
  ASSERT_EQ(c.errors, 0) << c.report;
  const std::string out = ReadFile(c.dir + "/prog.asm");
  const std::size_t banner = out.find("USERS BASIC CODE");
  const std::size_t timer = out.find("\t\tldi\t\tzl,112\r\n\t\tout\t\tTCCR0,zl\r\n");
  ASSERT_NE(banner, std::string::npos);
  ASSERT_NE(timer, std::string::npos) << out;
  EXPECT_GT(timer, banner);
}

// $spi after the declarations writes its set-up lines where it stands, not in the head.
TEST(MetaCodeProgram, SpiLineInTheCodeIsWrittenInPlace) {
  const std::string src = std::string(kHead) + "Dim A As Byte\nA = 1\n$spi = 16, msb, master, low, low\nA = 2\nEnd\n";
  auto c = Compile(src, {});
  ASSERT_EQ(c.errors, 0) << c.report;
  const std::string out = ReadFile(c.dir + "/prog.asm");
  const std::size_t banner = out.find("USERS BASIC CODE");
  const std::size_t spi = out.find("SPCR");
  ASSERT_NE(banner, std::string::npos);
  ASSERT_NE(spi, std::string::npos) << out;
  EXPECT_GT(spi, banner) << out;
  EXPECT_LT(spi, out.find("END OF USER BASIC CODE")) << out;
}

}  // namespace
}  // namespace qbc::test
