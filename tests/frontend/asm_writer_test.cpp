#include "compiler/base/asm_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace qbc {
namespace {

TEST(AsmWriter, LinesEndInCrLfAndUseTheLayoutCells) {
  AsmWriter out;
  out.Label("L0001");
  out.Instr(Sep::kNarrow, "rjmp", "L0001");
  out.Instr("ret");
  out.Line();
  EXPECT_EQ(out.Str(), "L0001:\r\n\t\trjmp\tL0001\r\n\t\tret\r\n\r\n");
  EXPECT_EQ(out.LineCount(), 4u);
}

// Every instruction line of the generated code comes from these forms; the bytes of each
// are what the assembler and the recorded outputs see.
TEST(AsmWriter, InstructionFormsWriteTheirLeadAndGap) {
  struct Case {
    const char* label;
    Sep sep;
    const char* mnemonic;
    const char* operands;
    const char* line;
  } const cases[] = {
      {"", Sep::kWide, "ldi", "zl,0x01", "\t\tldi\t\tzl,0x01"},
      {"", Sep::kNarrow, "brne", "L0002", "\t\tbrne\tL0002"},
      {"", Sep::kWide, "ret", "", "\t\tret"},  // no gap without operands
      {"_Wms1", Sep::kWide, "ldi", "r21,0x10", "_Wms1:\tldi\t\tr21,0x10"},
      {"_Fmov", Sep::kNarrow, "push", "r22", "_Fmov:\tpush\tr22"},
      {"", Sep::kColumn, "ldi", "ZL,byte1(_Fsin*2)", "        ldi     ZL,byte1(_Fsin*2)"},
      {"", Sep::kColumn, "push", "yh", "        push    yh"},
      {"", Sep::kColumn, "ret", "", "        ret"},
      {"_Ffmt", Sep::kColumn, "ldi", "zl,byte1(_s1tmp)", "_Ffmt:  ldi     zl,byte1(_s1tmp)"},
      {"_Ffm40", Sep::kColumn, "ldi", "zl,byte1(_s1tmp)", "_Ffm40: ldi     zl,byte1(_s1tmp)"},
      // Past the column a label or mnemonic keeps one space before what follows.
      {"_Ffmtlong", Sep::kColumn, "ldi", "zl,0x01", "_Ffmtlong: ldi     zl,0x01"},
      {"", Sep::kColumn, ".db_long", "0x01", "        .db_long 0x01"},
  };
  for (const Case& c : cases) {
    AsmWriter out;
    out.Instr(c.label, c.sep, c.mnemonic, c.operands);
    EXPECT_EQ(out.Str(), std::string(c.line) + "\r\n") << c.mnemonic;
    if (*c.label == 0) {
      EXPECT_EQ(out.InstrText(c.sep, c.mnemonic, c.operands), c.line) << c.mnemonic;
    }
  }
  AsmWriter out;
  out.InstrAfter("_Flpm:  ", Sep::kNarrow, "lpm", "r21,Z+");
  out.MnemonicIndent = "  ";
  out.OperandSeparator = " ";
  out.Instr(Sep::kWide, "mov", "r25,r21");
  out.Instr("L1", Sep::kNarrow, "push", "r22");
  EXPECT_EQ(out.Str(), "_Flpm:  lpm\tr21,Z+\r\n  mov  r25,r21\r\nL1: push r22\r\n");
  // The space columns stay as they are when the TAB cells change.
  out.Clear();
  out.InstrOpen(Sep::kColumn, ".db");
  out.Put("0x01,0x02");
  out.Line();
  out.Instr("_Fpot", Sep::kColumn, "push", "r10");
  EXPECT_EQ(out.Str(), "        .db     0x01,0x02\r\n_Fpot:  push    r10\r\n");
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
