// The string constant pool: one entry per distinct text, its labels, the load of a
// constant's flash address, and the pool as the link step writes it, assembled and read
// back on the simulator (texts with apostrophes keep their terminator; above 64 KB the
// texts are read through RAMPZ).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/codegen/string_pool.h"
#include "compiler/base/compile_failure.h"
#include "compiler/library/core/string_routines.h"
#include "tests/library_core/text_routine_bench.h"
#include "tests/support/sim_runner.h"

namespace qbc {
namespace {

using test::libfix::Device;

TEST(StringPool, OneEntryPerDistinctTextInFirstMetOrder) {
  CompilerState st;
  st.ResetCompilerGlobals();
  EXPECT_EQ(AddStringConstant(st, "abc"), 0);
  EXPECT_EQ(AddStringConstant(st, "ABC"), 1);  // case counts
  EXPECT_EQ(AddStringConstant(st, ""), 2);
  EXPECT_EQ(AddStringConstant(st, "abc"), 0);
  EXPECT_EQ(AddStringConstant(st, ""), 2);
  EXPECT_EQ(st.sym.StringConstCount, 3);
  EXPECT_EQ(st.sym.StringConstants[1].Label, "S001");
  EXPECT_EQ(st.sym.StringConstants[1].Text, "ABC");
  EXPECT_EQ(st.sym.StringConstants[1].Number, 1);
}

TEST(StringPool, LabelsRunFromS000ToS255AndA257thTextPassesTheBound) {
  CompilerState st;
  st.ResetCompilerGlobals();
  for (int i = 0; i < 256; ++i) ASSERT_EQ(AddStringConstant(st, "t" + std::to_string(i)), i);
  EXPECT_EQ(st.sym.StringConstants[0].Label, "S000");
  EXPECT_EQ(st.sym.StringConstants[10].Label, "S010");
  EXPECT_EQ(st.sym.StringConstants[255].Label, "S255");
  EXPECT_EQ(AddStringConstant(st, "t7"), 7);  // a known text is still found
  EXPECT_THROW(AddStringConstant(st, "one more"), CompilationStopped);
  EXPECT_EQ(st.ErrorCount, 1);
}

TEST(StringPool, FlashAddressLoadUsesRampzOnlyWhereTheFlashNeedsIt) {
  CompilerState st;
  st.ResetCompilerGlobals();
  for (int i = 0; i < 4; ++i) AddStringConstant(st, std::string(1, static_cast<char>('a' + i)));
  EmitLoadFlashAddressZ(st, 3);
  EXPECT_EQ(st.out.Str(), "\t\tldi\t\tzl,byte1(S003*2)\r\n\t\tldi\t\tzh,byte2(S003*2)\r\n");
  st.out.Clear();
  st.dev.NeedRampz = true;
  EmitLoadFlashAddressZ(st, 0);
  EXPECT_EQ(st.out.Str(),
            "\t\tldi\t\tzl,byte1(S000*2)\r\n\t\tldi\t\tzh,byte2(S000*2)\r\n"
            "\t\tldi\t\tr18,byte3(S000*2)\r\n\t\tout\t\tRAMPZ,r18\r\n");
}

TEST(StringPool, PoolLinesQuoteTheTextAndWriteApostrophesAsCodes) {
  EXPECT_EQ(PoolDataOperands("hello"), "\"hello\", 0");
  EXPECT_EQ(PoolDataOperands(""), "\"\", 0");
  EXPECT_EQ(PoolDataOperands("it's"), "\"it\", 39, \"s\", 0");
  EXPECT_EQ(PoolDataOperands("'"), "39, 0");
  EXPECT_EQ(PoolDataOperands("x''"), "\"x\", 39, 39, 0");

  CompilerState st;
  st.ResetCompilerGlobals();
  EmitStringConstantPool(st);
  EXPECT_EQ(st.out.Str(), "") << "an empty pool writes nothing";
  AddStringConstant(st, "Hi");
  AddStringConstant(st, "it's");
  EmitStringConstantPool(st);
  EXPECT_EQ(st.out.Str(),
            "; String constants:\r\nS000:\t.db\t\"Hi\", 0\r\nS001:\t.db\t\"it\", 39, \"s\", 0\r\n\r\n");
}

// Every pooled text copied with _StStC into its own buffer: a lost terminator would run
// the copy into the next text.
void CheckPoolOnChip(const Device& d, bool poolAbove64k) {
  const std::vector<std::string> texts = {"it's",  "x'",  "a'b'c", "'",    "",     "plain", "don't stop",
                                          "ab'",   "''",  "semi;colon", "back\\slash", "tab\there"};
  CompilerState st;
  st.ResetCompilerGlobals();
  test::libfix::SetDevice(st, d);
  for (const auto& t : texts) AddStringConstant(st, t);
  std::string code;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    st.out.Clear();
    EmitLoadFlashAddressZ(st, static_cast<int>(i));
    code += st.out.Str();
    code += "\t\tldi\txl,low(buf" + std::to_string(i) + ")\n\t\tldi\txh,high(buf" + std::to_string(i) + ")\n";
    code += "\t\tldi\tr20,16\n\t\t" + st.mn.CallMnemonic + "\t_StStC\n";
  }
  st.out.Clear();
  EmitStoreStrConstRoutine(st);
  const std::string routine = st.out.Str();
  st.out.Clear();
  EmitStringConstantPool(st);
  const std::string pool = st.out.Str();

  std::string a = ".include \"" + d.inc + "\"\n.dseg\n";
  for (std::size_t i = 0; i < texts.size(); ++i) a += "buf" + std::to_string(i) + ":\t.byte 16\n";
  a += ".cseg\n.org 0\n\t\tldi\tr16,low(RAMEND)\n\t\tout\tSPL,r16\n\t\tldi\tr16,high(RAMEND)\n\t\tout\tSPH,r16\n";
  a += code + "done:\trjmp\tdone\n" + routine;
  if (poolAbove64k) a += ".org 0x8000\n";  // word address: byte 0x10000
  a += pool;

  auto sim = test::RunAsm(a, {.mcu = d.mcu, .frequency = 8000000});
  ASSERT_TRUE(sim);
  if (poolAbove64k) {
    ASSERT_TRUE(sim->Symbol("S000"));
    EXPECT_GE(*sim->Symbol("S000") * 2, 0x10000u);
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(d.name + " text \"" + texts[i] + "\"");
    const std::uint32_t buf = *sim->Symbol("buf" + std::to_string(i));
    std::string got;
    for (std::uint32_t k = 0; k < 16 && sim->Sram(buf + k) != 0; ++k) got += static_cast<char>(sim->Sram(buf + k));
    EXPECT_EQ(got, texts[i]);
  }
}

TEST(StringPool, TextsReadBackWholeAndTerminatedOnM8) { CheckPoolOnChip(test::libfix::M8(), false); }
TEST(StringPool, TextsAbove64KReadBackThroughRampzOnM128) { CheckPoolOnChip(test::libfix::M128(), true); }

}  // namespace
}  // namespace qbc
