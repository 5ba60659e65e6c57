#include "compiler/base/asm_writer.h"

#include <gtest/gtest.h>

namespace qbc {
namespace {

TEST(AsmWriter, LinesEndInCrLfAndUseTheLayoutCells) {
  AsmWriter out;
  out.Label("L0001");
  out.Instr("rjmp", "L0001");
  out.Instr("ret");
  out.Line();
  EXPECT_EQ(out.Str(), "L0001:\r\n\t\trjmp\tL0001\r\n\t\tret\r\n\r\n");
  EXPECT_EQ(out.LineCount(), 4u);
}

TEST(AsmWriter, TextBlockExpandsTabEscapesAndKeepsInnerEmptyLines) {
  AsmWriter out;
  out.Text(R"(
;////// 8x8 unsigned multiplay ////////////
Mpy8u:\tpush\tzh

\t\tret)");
  EXPECT_EQ(out.Str(), ";////// 8x8 unsigned multiplay ////////////\r\nMpy8u:\tpush\tzh\r\n\r\n\t\tret\r\n");
}

}  // namespace
}  // namespace qbc
