#include <gtest/gtest.h>

#include "compiler/driver/program_head.h"
#include "compiler/frontend/number_format_cells.h"
#include "compiler/frontend/uart_cells.h"
#include "compiler/statements/peripherals/glcd_cells.h"
#include "compiler/statements/peripherals/lcd_cells.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct Head : test::CompilerFixture {
  Head() {
    LoadSource("x = 1\n");
    st.dev.DeviceName = "m8";
    st.dev.RamStart = 0x60;
    st.dev.RamEnd = 0x45f;
    st.dev.FlashEnd = 8192;
    st.dev.LpmPostIncrement = true;
    st.cfg.StackSize = "32";
    st.cfg.CrystalFrequency = 8.0f;
  }
  void Var(const std::string& name, std::uint8_t type, int size, std::uint8_t storage = 0, int address = 0) {
    ++st.sym.GlobalVarCount;
    GlobalVarRecord& v = st.sym.GlobalVars[st.sym.GlobalVarCount];
    v.Name = name;
    v.VarType = type;
    v.Size = static_cast<std::int16_t>(size);
    v.Storage = storage;
    v.Address = address;
  }
  std::string Run() {
    EmitProgramPrologue(st);
    return st.out.Str();
  }
};

TEST(HeadPrologue, PlainProgram) {
  Head h;
  EXPECT_EQ(h.Run(),
            "\t\t.DSEG\r\n.ORG\t0x60\r\n\r\n\t\t\r\n"
            "\t\t.CSEG\r\n.ORG\t0x0000\r\n\r\n_Reset:\r\n"
            "\t\tldi\t\tyl,byte1(RAMEND)\r\n\t\tout\t\tSPL,yl\r\n"
            "\t\tldi\t\tyh,byte2(RAMEND)\r\n\t\tout\t\tSPL+1,yh\r\n"
            "\t\tsbiw\tyl,32\r\n"
            "\r\n;******\tUSERS BASIC CODE **********************\r\n");
  EXPECT_EQ(h.st.sym.SystemVarBytes, 0);
}

TEST(HeadPrologue, DataSegmentLines) {
  Head h;
  h.st.dev.RamStart = 0x100;
  h.st.dev.RamEnd = 0x10FF;
  h.Var("ab", 2, 1);
  h.Var("abc", 4, 2);
  h.Var("abcdefg", 6, 21);
  h.Var("abcdefghijk", 5, 4, 0, 4352);
  h.Var("abcdefghijklmno", 8, 4);
  h.Var("flag", 1, 0, 0, 300);
  h.Var("table", 2, 10, 3);
  h.Var("ext", 3, 2, 1, 0x1100);
  h.Var("ext2", 2, 1, 1);
  const std::string out = h.Run();
  EXPECT_TRUE(Has(out,
                  "\t\t.DSEG\r\n.ORG\t0x100\r\n\r\n"
                  "ab:\t\t\t\t\t\t.byte\t 1\r\n"
                  "abc:\t\t\t\t\t.byte\t 2\r\n"
                  "abcdefg:\t\t\t\t.byte\t 21\r\n"
                  ".ORG\t 4352\r\nabcdefghijk:\t\t\t.byte\t 4\r\n"
                  "abcdefghijklmno:\t\t.byte\t 4\r\n"
                  ".ORG\t 300\r\n"
                  "\t\t\r\n"
                  // external RAM lies beyond the assembler's data segment: named by address
                  ".equ\text = 0x1100\r\n"
                  ".equ\text2 = 0x1102\r\n"
                  "\t\t.CSEG\r\n"))
      << out;
  EXPECT_FALSE(Has(out, "table"));  // flash tables are not in the data segment

  Head none;
  none.st.dev.RamStart = 0;
  EXPECT_TRUE(Has(none.Run(), "\t\t.DSEG\r\n\t\t\r\n\t\t.CSEG"));
}

// A variable "at" an address may overlay others: the data segment is opened for overlaps
// (or the assembler refuses it) and closed again for the code, whose overlaps stay errors.
TEST(HeadPrologue, VariablesAtAnAddressMayOverlap) {
  Head h;
  h.Var("w", 4, 2, 0, 0x200);
  h.Var("ov", 2, 1, 0, 0x200);
  h.Var("table", 2, 10, 3);
  const std::string out = h.Run();
  EXPECT_TRUE(Has(out, "\t\t.OVERLAP\r\n\t\t.DSEG\r\n")) << out;
  EXPECT_TRUE(Has(out, "\t\t.CSEG\r\n\t\t.NOOVERLAP\r\n.ORG\t0x0000\r\n")) << out;
  auto a = test::AssembleAsm(".include \"m8def.inc\"\r\n" + out + "\t\trjmp\t_Reset\r\n", {test::BinDir() + "/inc"});
  EXPECT_TRUE(a.ok) << a.output << out;

  Head plain;
  plain.Var("a", 2, 1);
  plain.Var("table", 2, 10, 3);
  EXPECT_FALSE(Has(plain.Run(), "OVERLAP"));
}

TEST(HeadPrologue, SystemVariables) {
  struct Case {
    void (*setUp)(Head&);
    const char* lines;
    int bytes;
  } cases[] = {
      {[](Head& h) { h.st.Cells<UartCells>().SoftUartInterrupt = true; },
       "_rel1:\t\t.byte\t1\r\n_rel2:\t\t.byte\t1\r\n_rel3:\t\t.byte\t1\r\n"
       "_UAsh:\t\t.byte\t1\r\n_UAcnt:\t\t.byte\t1\r\n_UArx:\t\t.byte\t1\r\n", 6},
      {[](Head& h) { h.st.Cells<UartCells>().InputTermCharSet = h.st.Cells<UartCells>().PrintTermCharSet = true; },
       "_InTrmChr:\t\t.byte\t1\r\n_PrTrmChr:\t\t.byte\t1\r\n", 2},
      // The conversion writes up to 14 characters whatever the format.
      {[](Head& h) { h.st.Cells<NumberFormatCells>().FormatDigits = 5, h.st.Cells<NumberFormatCells>().FormatDecimals = 2; },
       "_fmtC:\t\t.byte\t1\r\n_fmtD:\t\t.byte\t1\r\n_lchr:\t\t.byte\t1\r\n_s2tmp:\t\t.byte\t14\r\n", 17},
      {[](Head& h) { h.st.Cells<NumberFormatCells>().FormatDigits = 12, h.st.Cells<NumberFormatCells>().FormatDecimals = 6; }, "_s2tmp:\t\t.byte\t20\r\n", 23},
      // A fill character alone is read by the conversion too.
      {[](Head& h) { h.st.Cells<NumberFormatCells>().LeadChar = 32; }, "_lchr:\t\t.byte\t1\r\n", 1},
      {[](Head& h) { h.st.sym.FloatVarDeclared = true; }, "_s1tmp:\t\t.byte\t14\r\n\r\n", 14},
      {[](Head& h) { h.st.Cells<GlcdCells>().GlcdType = 1; },
       "TxtHome:\t.byte\t2\r\nGrpHome:\t.byte\t2\r\nTxtArea:\t.byte\t1\r\nGrpArea:\t.byte\t1\r\n"
       "_Tmode:\t\t.byte\t1\r\n_fntL:\t\t.byte\t1\r\n_fntH:\t\t.byte\t1\r\n\r\n", 9},
      {[](Head& h) { h.st.Cells<GlcdCells>().GlcdType = 1, h.st.dev.NeedRampz = true; }, "_fntH:\t\t.byte\t1\r\n_fnt3:\t\t.byte\t1\r\n",
       10},
      {[](Head& h) { h.st.Cells<GlcdCells>().GlcdType = 3; }, "_fntL:\t\t.byte\t1\r\n_fntH:\t\t.byte\t1\r\n\r\n", 2},
      {[](Head& h) { h.st.Cells<UartCells>().UartFormatSet[0] = 255; }, "_SysPar:\t.byte\t1\r\n\r\n",
       1},
  };
  for (const Case& c : cases) {
    Head h;
    c.setUp(h);
    const std::string out = h.Run();
    EXPECT_TRUE(Has(out, c.lines)) << c.lines << "\n" << out;
    EXPECT_EQ(h.st.sym.SystemVarBytes, c.bytes) << c.lines;
  }
  Head t;
  t.st.Cells<GlcdCells>().GlcdType = 1;
  t.Run();
  EXPECT_EQ(t.st.sym.GlobalVarCount, 5);
  EXPECT_EQ(t.st.sym.GlobalVars[1].Name, "txthome");
  EXPECT_EQ(t.st.sym.GlobalVars[5].Name, "_tmode");
  EXPECT_EQ(t.st.sym.GlobalVars[2].VarType, 4);
}

TEST(HeadPrologue, VectorTable) {
  struct Case {
    int flash;
    const char* jump;
  } cases[] = {{8192, "rjmp"}, {16384, "jmp"}};
  for (const Case& c : cases) {
    Head h;
    h.st.dev.FlashEnd = c.flash;
    const char* names[] = {"INT0addr", "INT1addr", "OC2addr", "OVF2addr"};
    h.st.sym.InterruptVectors[0].Name = "4";
    for (int i = 0; i < 4; ++i) h.st.sym.InterruptVectors[i + 1].Name = names[i];
    h.st.sym.InterruptVectors[3].Used = true;
    h.st.sym.HighestVectorUsed = 3;
    EXPECT_TRUE(Has(h.Run(), std::string("\t\t.CSEG\r\n.ORG\t0x0000\r\n\t\trjmp\t_Reset\r\n"
                                         ".ORG\t\tINT0addr\r\n\t\treti\r\n"
                                         ".ORG\t\tINT1addr\r\n\t\treti\r\n"
                                         ".ORG\t\tOC2addr\r\n\t\t") +
                                 c.jump + "\tIntN3\r\n\r\n_Reset:\r\n"))
        << c.flash;
  }
}

TEST(HeadPrologue, StackPointers) {
  struct Case {
    int ramEnd;
    const char* stack;
    const char* lines;
    int errors;
  } cases[] = {
      // Y is loaded whole on every device: the chip leaves its registers undefined at reset.
      {0xdf, "32", "\t\tout\t\tSPL,yl\r\n\t\tldi\t\tyh,byte2(RAMEND)\r\n\t\tsbiw\tyl,32\r\n", 0},
      {0x45f, "100", "\t\tout\t\tSPL+1,yh\r\n\t\tsbiw\tyl,63\r\n\t\tsbiw\tyl, 37\r\n", 0},
      {0x45f, "126", "\t\tsbiw\tyl,63\r\n\t\tsbiw\tyl, 63\r\n", 0},
      {0x45f, "127", "\t\tout\t\tSPL+1,yh\r\n\r\n;******", 1},
  };
  for (const Case& c : cases) {
    Head h;
    h.st.dev.RamEnd = c.ramEnd;
    h.st.cfg.StackSize = c.stack;
    const std::string out = h.Run();
    EXPECT_TRUE(Has(out, c.lines)) << c.stack << "\n" << out;
    EXPECT_EQ(h.st.ErrorCount, c.errors);
    EXPECT_EQ(Has(out, "SPL+1"), c.ramEnd > 256);
    EXPECT_EQ(h.st.src.TokenIndex, 0);  // the statement loop starts on the first statement
  }
}

// The tiny26 and the 4433 have a one-byte stack pointer and name it SP, not SPL.
TEST(HeadPrologue, OneByteStackPointerNamedSp) {
  Head h;
  h.st.dev.RamEnd = 0xdf;
  h.st.sym.DeviceSymbols.emplace("sp", 0x3d);
  const std::string out = h.Run();
  EXPECT_TRUE(Has(out, "\t\tldi\t\tyl,byte1(RAMEND)\r\n\t\tout\t\tSP,yl\r\n\t\tldi\t\tyh,byte2(RAMEND)\r\n")) << out;
  EXPECT_FALSE(Has(out, "SPL")) << out;
  Head both;
  both.st.sym.DeviceSymbols.emplace("spl", 0x3d);
  both.st.sym.DeviceSymbols.emplace("sp", 0x3d);
  EXPECT_TRUE(Has(both.Run(), "\t\tout\t\tSPL,yl\r\n"));
}

TEST(HeadPrologue, JtagAndExternalMemory) {
  Head j;
  j.st.cfg.JtagOff = true;
  EXPECT_TRUE(Has(j.Run(), "\t\tin\t\tzl,MCUCSR\r\n\t\tori\t\tzl,0x80\r\n\t\tout\t\tMCUCSR,zl\r\n\t\tout\t\tMCUCSR,zl\r\n"));
  Head slow;
  slow.st.cfg.XramEnabled = true;
  slow.st.cfg.CrystalFrequency = 4.0f;
  EXPECT_TRUE(Has(slow.Run(), "\t\tldi\t\tzl,0x80\r\n\t\tout\t\tMCUCR,zl\r\n"));
  Head fast;
  fast.st.Cells<LcdCells>().NeedLcdEN = true;
  fast.st.cfg.CrystalFrequency = 4.5f;
  EXPECT_TRUE(Has(fast.Run(), "\t\tldi\t\tzl,0xc0\r\n\t\tout\t\tMCUCR,zl\r\n"));
}

}  // namespace
}  // namespace qbc
