#include "compiler/base/symbols.h"

#include <gtest/gtest.h>

#include "compiler/base/names.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

TEST(Symbols, GlobalConstAndAliasLookupsStopAtTheFirstEmptyName) {
  test::CompilerFixture f;
  auto& s = f.st.sym;
  EXPECT_EQ(FindConst(f.st, "c"), 0);
  s.GlobalVars[1].Name = "count";
  s.GlobalVars[2].Name = "Count";
  s.GlobalVars[4].Name = "hidden";  // after a gap: never reached
  EXPECT_EQ(FindGlobalVar(f.st, "count"), 1);
  EXPECT_EQ(FindGlobalVar(f.st, "Count"), 2);
  EXPECT_EQ(FindGlobalVar(f.st, "COUNT"), 0);
  EXPECT_EQ(FindGlobalVar(f.st, "hidden"), 0);
  s.Defs[1].Name = "led";
  EXPECT_EQ(FindDefAlias(f.st, "led"), 1);
  EXPECT_EQ(FindDefAlias(f.st, "le"), 0);
}

TEST(Symbols, FullTablesAreScannedWithoutPassingTheirBounds) {
  test::CompilerFixture f;
  for (long i = 1; i <= 256; ++i) f.st.sym.GlobalVars[i].Name = "v" + std::to_string(i);
  EXPECT_EQ(FindGlobalVar(f.st, "v255"), 255);
  EXPECT_EQ(FindGlobalVar(f.st, "v256"), 0);  // indexes stop at 255
  for (long i = 1; i <= 512; ++i) f.st.sym.Constants[i].Name = "c" + std::to_string(i);
  EXPECT_EQ(FindConst(f.st, "c512"), 512);
  EXPECT_EQ(FindConst(f.st, "none"), 0);
  DefineConst(f.st, "more", "1", kTokNumber);  // refused, not written past the table
  EXPECT_EQ(f.st.ErrorCount, 1);
}

TEST(Symbols, LocalsBelongToTheirProcedureAndSubsCountFromOne) {
  test::CompilerFixture f;
  auto& s = f.st.sym;
  s.LocalVars[1] = {"first", "a", kTypeByte, 1, 1, 0, 0};
  s.LocalVars[2] = {"second", "a", kTypeWord, 2, 2, 0, 0};
  s.LocalVarCount = 2;
  s.CurrentSubName = "second";
  EXPECT_EQ(FindLocalVar(f.st, "a"), 3);
  s.CurrentSubName = "first";
  EXPECT_EQ(FindLocalVar(f.st, "a"), 2);
  s.CurrentSubName = "";
  EXPECT_EQ(FindLocalVar(f.st, "a"), 0);
  s.Procs[0].Name = "first";
  s.Procs[1].Name = "second";
  s.SubCount = 2;
  EXPECT_EQ(FindSub(f.st, "first"), 1);
  EXPECT_EQ(FindSub(f.st, "second"), 2);
  EXPECT_EQ(FindSub(f.st, "third"), 0);
}

TEST(Symbols, PositionsCountedFromOneGoPast255WithoutOverflow) {
  // The last records of full tables: an 8-bit result would wrap to 0 ("not found").
  test::CompilerFixture f;
  f.st.sym.LocalVarCount = 255;
  f.st.sym.LocalVars[255].Name = "last";
  EXPECT_EQ(FindLocalVar(f.st, "last"), 256);
  f.st.sym.SubCount = 255;
  f.st.sym.Procs[255].Name = "lastsub";
  EXPECT_EQ(FindSub(f.st, "lastsub"), 256);
}

TEST(Symbols, IoRegistersAreFoundOnlyInTheFirst699Records) {
  test::CompilerFixture f;
  f.st.sym.IoRegisters[5].Name = "portb";  // no stop at the empty records before it
  f.st.sym.IoRegisters[699].Name = "last_found";
  f.st.sym.IoRegisters[700].Name = "too_late";
  EXPECT_EQ(FindIoRegister(f.st, "portb"), 5);
  EXPECT_EQ(FindIoRegister(f.st, "last_found"), 699);
  EXPECT_EQ(FindIoRegister(f.st, "too_late"), 0);
}

// The constant's declaration claims its name first (ClaimName, on the name's token): a
// second one is refused there, and nothing is written.
TEST(Symbols, DefineConstAppendsAndAClaimRefusesASecondDefinition) {
  test::CompilerFixture f;
  f.st.src.TokenIndex = 4;
  f.st.src.Tokens[4] = TokenRecord{"delay", kTokName};
  ASSERT_TRUE(ClaimName(f.st, NameKind::kConstant));
  DefineConst(f.st, "delay", "250", kTokNumber);
  DefineConst(f.st, "greeting", "Hi", kTokString);
  EXPECT_EQ(FindConst(f.st, "delay"), 1);
  EXPECT_EQ(FindConst(f.st, "greeting"), 2);
  EXPECT_FALSE(ClaimName(f.st, NameKind::kConstant));
  EXPECT_EQ(f.st.sym.Constants[1].Value, "250");
  EXPECT_EQ(f.st.sym.Constants[3].Name, "");
  EXPECT_EQ(f.st.src.TokenIndex, 4);
  EXPECT_EQ(f.report.Text(), " 1. Const delay already defined! (\"test.bas\" --> Line  0)\r\n");
}

}  // namespace
}  // namespace qbc
