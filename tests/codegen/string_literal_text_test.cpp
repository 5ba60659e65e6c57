// A string literal is its own text wherever it stands, also when that text spells the name
// of a constant or a $def alias; the names themselves keep their values. Run on the
// simulator: what Print sends, what a string variable holds and how it compares.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const char* const kHead =
    "$device = m8\n$clock = 8\n$stack = 40\n$baud = 38400\n"
    "Const N = 5\nConst Word2 = \"two\"\n$def Led = PORTB.3\n$def Pd = PORTD\n"
    "Dim T As String * 8 , R As Byte\n";

struct LiteralCase {
  const char* lines;
  const char* sent;
};

const LiteralCase kCases[] = {
    {"Print \"n\" ; \"N\" ; \"led\" ; \"pd\" ;\n", "nNledpd"},
    {"T = \"n\"\nPrint T ; Len(T) ;\n", "n1"},
    {"T = \"led\" + \"n\"\nPrint T ;\n", "ledn"},
    {"T = \"n\"\nIf T = \"n\" Then Print \"same\" ; Else Print \"other\" ;\n", "same"},
    {"T = \"5\"\nIf T = \"n\" Then Print \"same\" ; Else Print \"other\" ;\n", "other"},
    {"T = \"led\"\nSelect Case T\n  Case \"led\" : R = 1\n  Case Else : R = 2\nEnd Select\nPrint R ;\n", "1"},
    {"R = Asc(\"n\")\nPrint R ;\n", "110"},
    // the names still stand for their values
    {"Print N ; Word2 ;\nT = Word2\nPrint T ;\n", "5twotwo"},
};

TEST(StringLiteral, IsItsOwnTextWhenItSpellsAConstantOrAnAlias) {
  for (const LiteralCase& c : kCases) {
    SimOptions opt;
    opt.mcu = "atmega8";
    opt.frequency = 8000000;
    opt.max_cycles = 20'000'000;
    auto run = RunBasicWith(std::string(kHead) + c.lines + "End\n", opt);
    ASSERT_TRUE(run->ok) << c.lines << run->Diagnostics();
    EXPECT_EQ(run->sim->Output(), c.sent) << c.lines;
  }
}

}  // namespace
}  // namespace qbc::test
