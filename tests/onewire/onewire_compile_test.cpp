// The 1-Wire words as the compiler reads them: the bus operand, the checks against the
// declared buses, and programs that use one word alone assembling on their own.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {
namespace {

const std::string kHead = "$device = m8\n$clock = 8\n$stack = 32\n";

struct ErrorCase {
  const char* name;
  const char* body;  // after the head; the faulty statement is on `line`
  const char* message;
  int line;
};

// A call of a bus $1wire did not declare would leave the assembler an undefined label.
const ErrorCase kErrors[] = {
    {"no_1wire_line", "1wreset\n", "1Wire is not configured!", 4},
    {"no_1wire_line_write", "1wwrite 5\n", "1Wire is not configured!", 4},
    {"bus_beyond_the_one", "$1wire = portb.0\n1wreset 1\n", "1Wire bus 1 is not declared!", 5},
    {"bus_beyond_two", "$1wire = portb.0, portb.1\n1wwrite 2, &h44\n", "1Wire bus 2 is not declared!", 5},
    {"bus_from_a_constant", "$1wire = portb.0\nConst Far = 3\nDim A As Byte\nA = 1wread Far\n",
     "1Wire bus 3 is not declared!", 7},
    {"count_form_bus_beyond", "$1wire = portb.0\nDim B(8) As Byte\n1wread 4, B, 8\n", "1Wire bus 4 is not declared!", 6},
    {"unknown_word", "$1wire = portb.0\n1wfoo\n", "Not a valid 1Wire command!", 5},
};

class OneWireErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(OneWireErrors, AreReportedOnTheirLine) {
  const ErrorCase& c = GetParam();
  const CompiledBasic r = CompileBasic(kHead + c.body + "End\n");
  EXPECT_TRUE(r.StartsWithError(c.message, c.line)) << r.report;
}

INSTANTIATE_TEST_SUITE_P(Table, OneWireErrors, ::testing::ValuesIn(kErrors),
                         [](const ::testing::TestParamInfo<ErrorCase>& p) { return std::string(p.param.name); });

TEST(OneWireCompile, CountFormNeedsAVariableBeforeTheComma) {
  const CompiledBasic r = CompileBasic(kHead + "$1wire = portb.0, portb.1\n1wwrite 1, 6, 8\nEnd\n");
  EXPECT_TRUE(r.StartsWithError("Only variable can be before comma!", 5)) << r.report;
}

// Each word brings the routines it calls: a program without 1wreset assembles too.
TEST(OneWireCompile, EachWordAloneAssembles) {
  const char* kBodies[] = {
      "1wwrite &hCC\n",
      "Dim A As Byte\nA = 1wread\n",
      "Dim B(8) As Byte\n1wread B, 8\n",
      "Dim B(8) As Byte\n1wwrite 1, B, 8\n",
      "Dim A As Byte\nA = 1wreset 1\n",
  };
  for (const char* body : kBodies) {
    const BasResult r = CompileBas(kHead + "$1wire = portb.0, portd.7\n" + body + "End\n");
    EXPECT_TRUE(r.ok) << body << r.report;
  }
}

// On the m128 the port G registers and DDRF/PORTF lie in the extended I/O space, where no
// sbi/cbi/sbic reaches: the routines take lds/sts there and still assemble.
TEST(OneWireCompile, ExtendedIoPortsAssemble) {
  const BasResult r = CompileBas(
      "$device = m128\n$clock = 8\n$stack = 32\n$1wire = portg.3, portf.2\nDim B(8) As Byte\n"
      "B(1) = 1wreset 1\n1wwrite 0, B, 8\n1wread 1, B, 8\nEnd\n");
  EXPECT_TRUE(r.ok) << r.report;
}

}  // namespace
}  // namespace qbc::test
