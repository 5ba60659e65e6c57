// _Def copies eight bytes with an _Lch that changes every register a wiring's driver may
// change (DefLcdChar on the display model is in lcd_test.cpp).
#include <gtest/gtest.h>

#include <string>

#include "compiler/base/state.h"
#include "compiler/library/display/lcd_routines.h"
#include "tests/support/routine_bench.h"

namespace qbc::test {
namespace {

// On the memory bus _Lch keeps its busy flag in r25 and its address in X; on an extended
// port it reads the port into r20: the stand-in _Lch below stores r24 and changes all of
// them, and _Def still copies exactly the eight bytes of its table.
TEST(CopyLcdChars, CopiesEightBytesWhatever_LchChanges) {
  for (const bool mega : {true, false}) {
    SCOPED_TRACE(mega ? "lpm Z+" : "lpm into r0");
    CompilerState st;
    bench::SetChipProfile(st, {.ram_start = 0x60, .ram_end = 0x45F, .flash_bytes = 8192, .mega_core = mega});
    EmitCopyLcdCharsRoutine(st);
    const std::string program = DeviceInclude("m8") + "\n" + bench::StackSetup(true) +
                                "\tldi r16,0x60\n\tsts 0x160,r16\n"
                                "\tldi zl,low(rows*2)\n\tldi zh,high(rows*2)\n\trcall _Def\n"
                                "\tsts 0x161,zl\nend:\trjmp end\n"
                                "_Lch:\tlds r16,0x160\n\tmov xl,r16\n\tclr xh\n\tst X+,r24\n\tsts 0x160,xl\n"
                                "\tser r20\n\tser r21\n\tser r22\n\tser r23\n\tser r25\n\tser xl\n\tser xh\n\tret\n" +
                                st.out.Str() + "\n" + bench::DbTable("rows", {1, 2, 3, 4, 5, 6, 7, 8, 0xEE, 0xEE});
    auto sim = bench::AssembleAndRun(program, {.mcu = "atmega8", .frequency = 8000000});
    ASSERT_TRUE(sim);
    EXPECT_EQ(sim->Sram(0x160), 0x68) << "bytes sent";
    for (int i = 0; i < 8; ++i) EXPECT_EQ(sim->Sram(0x60 + i), i + 1);
  }
}

}  // namespace
}  // namespace qbc::test
