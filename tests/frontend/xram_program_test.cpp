// External SRAM variables: on a chip with an external memory interface they are named by
// their addresses above the internal SRAM and reached by lds/sts (arrays through X); the
// program assembles. A chip without the interface refuses them.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {
namespace {

// `at`: the first external address, just above the internal SRAM.
std::string XramProgram(const std::string& device, const std::string& at) {
  return "$device = " + device + "\n$clock = 8\n$stack = 32\n"
    "Dim a As Byte, f As Float\n"
    "Dim xa As Xram Byte At &h" + at + ", xw As Xram Word, xt(4) As Xram Byte\n"
    "Dim s As String * 16, i As Byte\n"
    "If a = 99 Then\n  xa = 5\n  xw = xa + 1000\n  i = 2\n  xt(i) = xa\n  a = xt(i)\nEnd If\n"
    "f = 2.5\ns = Str(f)\n"
    "End\n";
}

TEST(XramProgram, VariablesAtExternalAddressesAssemble) {
  struct Case {
    const char* device;
    const char* at;       // above the internal SRAM
    const char* busLine;  // the start-up line that switches the bus on
    const char* equ[3];   // xa, then xw and xt after it
  } cases[] = {{"m128", "1100", "out\t\tMCUCR,zl", {"0x1100", "0x1101", "0x1103"}},
               {"m1280", "2200", "sts\t\tXMCRA,zl", {"0x2200", "0x2201", "0x2203"}},
               {"m162", "500", "out\t\tMCUCR,zl", {"0x500", "0x501", "0x503"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    const CompiledBasic compiled = CompileBasic(XramProgram(c.device, c.at));
    ASSERT_EQ(compiled.error_count, 0) << compiled.report << compiled.failure;
    const std::string& text = compiled.asm_text;
    EXPECT_NE(text.find(std::string(".equ\txa = ") + c.equ[0] + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(std::string(".equ\txw = ") + c.equ[1] + "\r\n"), std::string::npos)
        << "the next xram variable follows it";
    EXPECT_NE(text.find(std::string(".equ\txt = ") + c.equ[2] + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("sts\t\txa,"), std::string::npos);
    EXPECT_NE(text.find(c.busLine), std::string::npos);
    const AsmResult a = AssembleAsm(text);
    EXPECT_TRUE(a.ok) << a.output;
  }
}

// The internal variables and the system variables stay in the internal SRAM: the program
// runs (the branch that reaches the external RAM is not taken).
TEST(XramProgram, InternalVariablesStayInternal) {
  auto run = RunBasic(XramProgram("m128", "1100"), "atmega128");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_LT(run->Address("_s1tmp"), 0x1100u);
  std::string s;
  for (int k = 0; k < 16 && run->Byte("s", k) != 0; ++k) s += static_cast<char>(run->Byte("s", k));
  EXPECT_EQ(s, " 2.500000E+00");
}

// Without an external memory interface, switching the bus on would set other MCUCR bits
// (the sleep mode bits on the ATmega8).
TEST(XramProgram, RefusedWithoutAnExternalMemoryBus) {
  for (const char* device : {"m8", "m88", "m16"}) {
    const CompiledBasic compiled =
        CompileBasic(std::string("$device = ") + device + "\n$clock = 8\n$stack = 32\nDim xa As Xram Byte\nxa = 1\nEnd\n");
    EXPECT_EQ(compiled.error_count, 1) << device;
    EXPECT_NE(compiled.report.find("No external memory bus on this device!"), std::string::npos) << compiled.report;
    EXPECT_EQ(compiled.asm_text.find("MCUCR,zl"), std::string::npos) << device;
  }
}

}  // namespace
}  // namespace qbc::test
