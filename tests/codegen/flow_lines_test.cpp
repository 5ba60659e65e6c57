// The instruction lines of the small statements, where their form matters: mnemonics by
// device, skip instructions by register address, and what is left out.
#include <gtest/gtest.h>

#include "tests/codegen/flow_fixture.h"

namespace qbc {
namespace {

bool Has(const std::string& text, const std::string& lines) { return text.find(lines) != std::string::npos; }

TEST(FlowLines, StatementFormsByDevice) {
  struct Case {
    const char* device;
    const char* program;
    const char* expected;  // consecutive lines that must appear
  } cases[] = {
      // Toggle with a computed bit: the mask comes from _VaBit, no ldi line.
      {"m8", "dim n as byte\ntoggle portb.n\n", "\t\trcall\t_VaBit\r\n\t\tin\t\tzl,PORTB\r\n\t\teor\t\tzl,r23\r\n"},
      // BitWait on an alias of a port waits on the pin register.
      {"m8", "$def btn = portb.4\nbitwait btn, 0\n", ":\r\n\t\tsbic\tPINB,4\r\n\t\trjmp\tL"},
      {"m8", "bitwait pinc.2, 1\n", "\t\tsbis\tPINC,2\r\n"},
      // Goto by the device's jump; Reset and 0 go to the start-up code.
      {"m168", "goto reset\n", "\t\tjmp\t_Reset\r\n"},
      {"m8", "goto 0\n", "\t\trjmp\t_Reset\r\n"},
      // The waits call by the device's call mnemonic.
      {"m168", "waitms 100\n", "\t\tcall\t_Wms\r\n"},
      {"m8", "waitus 5\n", "\t\trcall\t_Wmu\r\n"},
      // Peek on a device whose SRAM ends below 256 takes a one-byte address.
      {"tn2313", "dim b as byte\nb = peek(&h70)\n", "\t\tmov\t\txl,zl\r\n\t\tld\t\tzl,X+\r\n"},
      // CPeek without RAMPZ writes no out line.
      {"m8", "dim b as byte\nb = cpeek(10)\n", "\t\tlpm\r\n\t\tmov\t\tzl,r0\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    auto r = test::CompileOnly(c.program, {c.device, ""});
    EXPECT_EQ(r.errors, 0) << r.report;
    EXPECT_TRUE(Has(r.asmText, c.expected)) << r.asmText;
    auto a = test::AssembleAsm(r.asmText);
    EXPECT_TRUE(a.ok) << a.output;
  }
}

TEST(FlowLines, CpeekOnADeviceWithRampz) {
  auto r = test::CompileOnly("dim b as byte\nb = cpeek(10)\n", {"m128", ""});
  EXPECT_EQ(r.errors, 0) << r.report;
  EXPECT_TRUE(Has(r.asmText, "\t\tout\t\tRAMPZ,r18\r\n\t\telpm\r\n")) << r.asmText;
}

TEST(FlowLines, OnGotoLabelThatIsASubIsReported) {
  auto r = test::CompileOnly("dim k as byte\ndeclare sub s1()\non k goto s1\n");
  EXPECT_TRUE(Has(r.report, "s1 is SUB instead of LABEL!")) << r.report;
  auto p = test::CompileOnly("dim k as byte\ndeclare sub s1(a as byte)\non k s1(1)\n");
  EXPECT_TRUE(Has(p.report, "s1 must be without parameters!")) << p.report;
}

}  // namespace
}  // namespace qbc
