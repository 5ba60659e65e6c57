// Exact text of the integer multiply and divide routines, and their assembly on devices
// with and without the hardware multiplier.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "compiler/library/core/int_divide.h"
#include "compiler/library/core/int_multiply.h"
#include "tests/library_core/routine_fixture.h"
#include "tests/support/sim_runner.h"

namespace qbc {
namespace {

using test::bench::Count;
using test::bench::Lines;

struct HeaderCase {
  std::function<void(CompilerState&)> emit;
  bool megaCore;
  std::string header;
};

TEST(IntArithText, EveryRoutineBeginsWithAnEmptyLineAndItsHeader) {
  const std::vector<HeaderCase> cases = {
      {EmitMpy8uRoutine, false, ";////// 8x8 unsigned multiplay ////////////"},
      {EmitDiv8uRoutine, false, ";////// 8/8 unsigned division /////////////"},
      {EmitMp16uRoutine, false, ";////// 16x16 unsigned multiplay //////////"},
      {EmitDi16uRoutine, false, ";////// 16/16 unsigned division ///////////"},
      {EmitMp16sRoutine, false, ";////// 16x16 signed multiplay ////////////"},
      {EmitDi16sRoutine, false, ";////// 16/16 signed division /////////////"},
      {EmitMul32Routine, false, ";////// 32x32 signed multiplay ////////////"},
      {EmitDiv32Routine, false, ";////// 32/32 signed division /////////////"},
      {EmitMp16uRoutine, true, ";////// 16x16 hardware multiplay /////////"},
      {EmitMp16sRoutine, true, ";////// 16x16 hardware multiplay /////////"},
      {EmitMul32Routine, true, ";////// 32x32 hardware multiplay /////////"},
  };
  for (const auto& c : cases) {
    auto lines = Lines(test::EmittedText(c.emit, c.megaCore));
    ASSERT_GE(lines.size(), 3u) << c.header;
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], c.header);
    EXPECT_EQ(lines[1].size(), c.header.find("hardware") != std::string::npos ? 42u : 43u);
  }
}

TEST(IntArithText, Mpy8uOnTheHardwareMultiplierIsThreeLinesWithoutHeader) {
  EXPECT_EQ(test::EmittedText(EmitMpy8uRoutine, true), "Mpy8u:\tmul\t\tzl,r24\r\n\t\tmovw\tzl,r0\r\n\t\tret\r\n");
}

TEST(IntArithText, Div8uIsWholeBlankPaddedLinesWithMixedCaseMnemonics) {
  EXPECT_EQ(test::EmittedText(EmitDiv8uRoutine, false),
            "\r\n"
            ";////// 8/8 unsigned division /////////////\r\n"
            "Div8u:  Sub     r22,r22\r\n"
            "        ldi     r23,0x09\r\n"
            "        rjmp    Div81\r\n"
            "Div80:  rol     r22\r\n"
            "        cp      r22,zl\r\n"
            "        brcs    Div81\r\n"
            "        Sub     r22,zl\r\n"
            "Div81:  rol     r24\r\n"
            "        dec     r23\r\n"
            "        brne    Div80\r\n"
            "        Com     r24\r\n"
            "        mov     zl,r24\r\n"
            "        ret\r\n");
}

TEST(IntArithText, KeyLinesKeepTheirSeparators) {
  const std::string di16s = test::EmittedText(EmitDi16sRoutine, false);
  for (const char* line : {"\r\nDi16s:\tmov\t\tr22,zl\r\n", "\r\n\t\tsbrs\tzh,0x07\r\n", "\r\n\t\tsubi\tzl,byte1(-0x01)\r\n",
                           "\r\nd16s1:\tsbrs\tr23,0x07\r\n", "\r\nd16s2:\tclr\t\tr24\r\n", "\r\n\t\tsbrs\tr21,7\r\n",
                           "\r\nd16s4:\tret\r\n", "\r\nd16s6:\tsec\r\n", "\r\n\t\tclc\r\n"})
    EXPECT_NE(di16s.find(line), std::string::npos) << line;
  const std::string div32 = test::EmittedText(EmitDiv32Routine, false);
  for (const char* line : {"\r\n\t\tsbci\tr19,byte4(-0x01)\r\n", "\r\n\t\tldi\t\tr26,0x21\r\n", "\r\n\t\tsbrs\tr7,0x07\r\n"})
    EXPECT_NE(div32.find(line), std::string::npos) << line;
  // The carry of the second position-1 sum goes into r23, right after it.
  const std::string mul32 = test::EmittedText(EmitMul32Routine, true);
  EXPECT_NE(mul32.find("\t\tmul\t\tzh,r24\r\n\t\tadd\t\tr21,r0\r\n\t\tadc\t\tr22,r1\r\n\t\tadc\t\tr23,r23\r\n"), std::string::npos);
  EXPECT_NE(mul32.find("\r\n\t\tmovw\tzl,r20\r\n\t\tmovw\tr18,r22\r\n\t\tret\r\n"), std::string::npos);
}

TEST(IntArithText, WithTheMultiplierTheRoutineLabelledMp16uIsWrittenOncePerCompilation) {
  CompilerState st;
  st.ResetCompilerGlobals();
  st.dev.HardwareMultiplier = true;
  EmitMp16uRoutine(st);
  EmitMp16sRoutine(st);
  EXPECT_EQ(Count(st.out.Str(), "Mp16u:"), 1u);
  EXPECT_EQ(Count(st.out.Str(), "Mp16s"), 0u);
  st.ResetCompilerGlobals();
  st.dev.HardwareMultiplier = true;
  st.out.Clear();
  EmitMp16sRoutine(st);
  EXPECT_EQ(Count(st.out.Str(), "Mp16u:"), 1u) << "the next compilation writes it again";
}

// Every routine in one program, as the link step writes them, assembles on a device with
// the hardware multiplier forms and on one with the shift forms.
TEST(IntArithText, AllRoutinesAssembleTogether) {
  for (bool megaCore : {false, true}) {
    CompilerState st;
    st.ResetCompilerGlobals();
    st.dev.HardwareMultiplier = megaCore;
    EmitMpy8uRoutine(st);
    EmitDiv8uRoutine(st);
    EmitMp16uRoutine(st);
    EmitDi16uRoutine(st);
    EmitMp16sRoutine(st);
    EmitDi16sRoutine(st);
    EmitMul32Routine(st);
    EmitDiv32Routine(st);
    std::string program = std::string(".include \"") + (megaCore ? "m8" : "m88") + "def.inc\"\n" + st.out.Str();
    auto result = test::AssembleAsm(program);
    EXPECT_TRUE(result.ok) << (megaCore ? "m8" : "m88") << "\n" << result.output;
    if (!megaCore) {
      EXPECT_EQ(Count(st.out.Str(), "Mp16u:"), 1u);
      EXPECT_EQ(Count(st.out.Str(), "Mp16s:"), 1u);
    }
  }
}

}  // namespace
}  // namespace qbc
