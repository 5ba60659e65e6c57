// LCase/UCase terms: the text is copied within the target's limit and converted where it
// was copied, and X is left on the terminator so that the next term appends. Driven
// through the term store directly (the LCase and UCase keywords are compiled elsewhere).
#include <gtest/gtest.h>

#include <string>

#include "compiler/codegen/string_assign.h"
#include "compiler/library/core/string_routines.h"
#include "tests/library_core/text_routine_bench.h"
#include "tests/support/sim_runner.h"

namespace qbc {
namespace {

// dst = <case>(src) + Chr(90), dst of `size` bytes, followed by a guard variable.
std::string CaseProgram(StringCase caseMode, int size, const std::string& src) {
  const auto d = test::libfix::M8();
  CompilerState st;
  st.ResetCompilerGlobals();
  test::libfix::SetDevice(st, d);
  st.expr.FirstStringTerm = true;
  st.sticky.OperandType = kTypeString;
  st.expr.StringTermCase = caseMode;
  CompileStringTerm(st, "dst", static_cast<std::uint8_t>(size), false);
  st.out.Line("\t\tldi\tzl,90");
  st.sticky.OperandType = kTypeChar;
  st.expr.StringTermCase = kCaseNone;
  CompileStringTerm(st, "dst", static_cast<std::uint8_t>(size), true);
  const std::string code = st.out.Str();
  st.out.Clear();
  EmitStoreStrRoutine(st);
  EmitLcaseRoutine(st);
  EmitUcaseRoutine(st);

  std::string a = ".include \"m8def.inc\"\n.dseg\nsrc:\t.byte 20\ndst:\t.byte " + std::to_string(size) +
                  "\nguard:\t.byte 2\n.cseg\n.org 0\n"
                  "\t\tldi\tr16,low(RAMEND)\n\t\tout\tSPL,r16\n\t\tldi\tr16,high(RAMEND)\n\t\tout\tSPH,r16\n"
                  "\t\tldi\tr16,0x47\n\t\tsts\tguard,r16\n\t\tclr\tr16\n\t\tsts\tguard+1,r16\n";
  for (std::size_t i = 0; i <= src.size(); ++i)
    a += "\t\tldi\tr16," + std::to_string(i < src.size() ? static_cast<unsigned char>(src[i]) : 0) +
         "\n\t\tsts\tsrc+" + std::to_string(i) + ",r16\n";
  a += "\t\tldi\tzl,low(src)\n\t\tldi\tzh,high(src)\n" + code + "done:\trjmp\tdone\n" + st.out.Str();
  return a;
}

TEST(StringCaseTerm, ConvertsWithinTheLimitAndAppendsAfterIt) {
  struct Case {
    StringCase mode;
    int size;
    const char* src;
    const char* want;
  };
  for (const Case& c : {Case{kCaseLower, 9, "HeLLo", "helloZ"}, Case{kCaseUpper, 9, "HeLLo", "HELLOZ"},
                        Case{kCaseLower, 4, "HeLLo World", "hel"}, Case{kCaseUpper, 7, "ab1-z", "AB1-ZZ"},
                        Case{kCaseLower, 3, "", "Z"}}) {
    SCOPED_TRACE(std::string(c.src) + " size " + std::to_string(c.size));
    auto sim = test::RunAsm(CaseProgram(c.mode, c.size, c.src));
    ASSERT_TRUE(sim);
    const std::uint32_t dst = *sim->Symbol("dst");
    std::string got;
    for (std::uint32_t i = 0; i < 20 && sim->Sram(dst + i) != 0; ++i) got += static_cast<char>(sim->Sram(dst + i));
    EXPECT_EQ(got, c.want);
    EXPECT_EQ(sim->Sram(*sim->Symbol("guard")), 0x47) << "written past the target";
    std::string source;
    for (std::uint32_t i = 0; i < 20 && sim->Sram(*sim->Symbol("src") + i) != 0; ++i)
      source += static_cast<char>(sim->Sram(*sim->Symbol("src") + i));
    EXPECT_EQ(source, c.src) << "the source is left as it was";
  }
}

}  // namespace
}  // namespace qbc
