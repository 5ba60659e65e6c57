#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/bus_flags.h"
#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/base/flags/glcd_flags.h"
#include "compiler/base/flags/hardware_flags.h"
#include "compiler/base/flags/lcd_flags.h"
#include "compiler/base/flags/soft_com_flags.h"
#include "compiler/base/flags/uart_flags.h"
#include "compiler/driver/link_order.h"
#include "compiler/driver/link_step.h"
#include "compiler/frontend/uart_cells.h"
#include "compiler/statements/comm_display/one_wire_cells.h"
#include "compiler/statements/peripherals/glcd_cells.h"
#include "compiler/statements/peripherals/i2c_cells.h"
#include "compiler/statements/peripherals/lcd_cells.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

// The rows the link step runs, as "name" or "name@bus", in order.
std::vector<std::string> Linked(CompilerState& st) {
  std::vector<std::string> names;
  RunLinkOrder(
      st, LinkOrder(),
      [](CompilerState&, const LinkRow& row, int bus, void* context) {
        auto* out = static_cast<std::vector<std::string>*>(context);
        out->push_back(bus < 0 ? row.Name : std::string(row.Name) + "@" + std::to_string(bus));
      },
      &names);
  return names;
}

TEST(LinkOrder, RoutinesComeInTheFixedOrderWhateverOrderTheFlagsWereSetIn) {
  test::CompilerFixture f;
  for (UsedFlag flag : {NeedMfil, NeedFstr, NeedFloatCore, NeedDiv32, NeedMul8u, NeedWaitMs, NeedFnd16, NeedSqr16,
                        NeedLongToStr, NeedAdc, NeedCrc8, NeedLcdHex, NeedInput, NeedComPrintString2,
                        NeedPrintString, NeedNumToHex, NeedStoreBit})
    f.st.used.Set(flag);
  EXPECT_EQ(Linked(f.st),
            (std::vector<std::string>{"EmitStoreBitVarRoutine", "EmitGetCharRoutine", "EmitNumToHexRoutine",
                                      "EmitPrintStringRoutine", "EmitCom2PrintStringRoutine", "EmitInputRoutine",
                                      "EmitLcdHexRoutine", "EmitCalcCrc8Routine", "EmitAdcRoutine", "EmitInputBuffer",
                                      "EmitLongToStrRoutine", "EmitSqr16Routine", "EmitFind16RoutineAlt",
                                      "EmitWaitmsRoutine", "EmitMpy8uRoutine", "EmitDiv32Routine",
                                      "EmitFloatCoreRoutines", "EmitFloatStrRoutine", "EmitMemFillRoutine"}));
}

TEST(LinkOrder, OneOfEachChoice) {
  test::CompilerFixture f;
  for (UsedFlag flag : {NeedByteToStr, NeedIntToStr, NeedLongToStr, NeedFnd8, NeedFnd8Alt, NeedFnd16, NeedFnd16Alt,
                        NeedPrintByte, NeedPrintLong, NeedStrToNum, NeedSoftInput2})
    f.st.used.Set(flag);
  EXPECT_EQ(Linked(f.st), (std::vector<std::string>{"EmitPrintByteWordRoutine", "EmitSoftInputCom2Routine",
                                                    "EmitInputBuffer", "EmitStrToNumRoutine", "EmitLongToStrRoutine",
                                                    "EmitFind8RoutineAlt", "EmitFind16Routine"}));
  test::CompilerFixture g;
  g.st.used.Set(NeedByteToStr);
  g.st.used.Set(NeedIntToStr);
  g.st.used.Set(NeedFnd8);
  EXPECT_EQ(Linked(g.st), (std::vector<std::string>{"EmitIntToStrRoutine", "EmitFind8Routine"}));
}

// Every float routine but the exchange and the text routines calls into the core, so the
// core comes first with any of them, even when only the routine's own flag was set; the
// text routines work on the float's bits alone and come without it.
TEST(LinkOrder, FloatCoreComesWithEveryFloatRoutine) {
  const std::pair<UsedFlag, const char*> routines[] = {
      {NeedFadd, "EmitFloatAddSubRoutine"},    {NeedFmul, "EmitFloatMulRoutine"},
      {NeedFdiv, "EmitFloatDivRoutine"},       {NeedFcmp0, "EmitFloatCompareRoutine"},
      {NeedF2e, "EmitFloatToExpRoutine"},      {NeedFsqrt, "EmitFloatSqrtRoutine"},
      {NeedFsin, "EmitFloatSinCosRoutine"},
  };
  for (const auto& [flag, name] : routines) {
    test::CompilerFixture f;
    f.st.used.Set(flag);
    const std::vector<std::string> linked = Linked(f.st);
    ASSERT_GE(linked.size(), 2u) << name;
    EXPECT_EQ(linked.front(), "EmitFloatCoreRoutines") << name;
    EXPECT_NE(std::find(linked.begin(), linked.end(), name), linked.end()) << name;
  }
  // every routine of the float list but those four, a routine added to the list too
  for (int bit = FloatFlagsBefore + 1; bit < FloatFlagsEnd; ++bit) {
    const UsedFlag flag = static_cast<UsedFlag>(bit);
    if (flag == NeedFloatCore || flag == NeedFmov || flag == NeedFstr || flag == NeedFdp) continue;
    test::CompilerFixture f;
    f.st.used.Set(flag);
    const std::vector<std::string> linked = Linked(f.st);
    ASSERT_FALSE(linked.empty()) << UsedFlagName(flag);
    EXPECT_EQ(linked.front(), "EmitFloatCoreRoutines") << UsedFlagName(flag);
  }
  test::CompilerFixture none;
  none.st.used.Set(NeedMul8u);
  EXPECT_EQ(Linked(none.st), std::vector<std::string>{"EmitMpy8uRoutine"});
  test::CompilerFixture text;
  text.st.used.Set(NeedFstr);
  text.st.used.Set(NeedFdp);
  EXPECT_EQ(Linked(text.st), (std::vector<std::string>{"EmitFloatDecPointRoutine", "EmitFloatFormatRoutine",
                                                        "EmitFloatStrRoutine"}));
}

TEST(LinkOrder, OneWireRoutinesOncePerBusFromZero) {
  test::CompilerFixture f;
  f.st.Cells<OneWireCells>().OneWireBuses[0].LastBusIndex = 1;
  f.st.used.Set(NeedOneWire);
  f.st.used.Set(NeedOneWireWriteAll);
  EXPECT_EQ(Linked(f.st), (std::vector<std::string>{"Emit1WireRoutines@0", "Emit1WireRoutines@1",
                                                    "Emit1WireWriteAllRoutine@0", "Emit1WireWriteAllRoutine@1"}));
}

TEST(LinkOrder, ConfigurationGuards) {
  test::CompilerFixture polled;
  polled.st.Cells<UartCells>().SoftComPorts[0].PrintUsed = true;
  polled.st.Cells<UartCells>().SoftComPorts[2].InputUsed = true;
  EXPECT_EQ(Linked(polled.st), (std::vector<std::string>{"EmitCom1OutputRoutines", "EmitCom3InputRoutine"}));
  polled.st.Cells<UartCells>().SoftUartInterrupt = true;  // the interrupt-driven UART replaces them
  EXPECT_EQ(Linked(polled.st), (std::vector<std::string>{"EmitInterruptSwUartRoutines"}));

  for (int i2c = 0; i2c <= 4; ++i2c) {
    test::CompilerFixture f;
    f.st.Cells<I2cCells>().I2cInterface = static_cast<std::uint8_t>(i2c);
    const std::vector<std::string> expected[] = {
        {}, {"EmitI2CRoutines"}, {"EmitI2CRoutinesMode2"}, {"EmitI2CRoutinesMode3"}, {}};
    EXPECT_EQ(Linked(f.st), expected[i2c]) << i2c;
  }

  test::CompilerFixture lcd;
  lcd.st.Cells<LcdCells>().LcdConfigured = true;
  lcd.st.Cells<LcdCells>().NeedLcdEN = true;
  EXPECT_EQ(Linked(lcd.st), (std::vector<std::string>{"EmitLcdInitRoutine", "EmitLcdWriteRoutines"}));
}

TEST(LinkOrder, GraphicDisplayRoutinesOfTheChosenController) {
  struct Case {
    const char* fs;
    std::vector<std::string> routines;
    int errors;
  } cases[] = {
      {"", {"EmitT6963GraphLcdSetRoutines", "EmitT6963Pset8Routine", "EmitMp16uRoutine"}, 0},
      {"1", {"EmitT6963GraphLcdSetRoutines", "EmitT6963Pset6Routine", "EmitMp16uRoutine"}, 0},
      {"2", {"EmitT6963GraphLcdSetRoutines", "EmitMp16uRoutine"}, 1},
  };
  for (const Case& c : cases) {
    test::CompilerFixture f;
    f.st.Cells<GlcdCells>().GlcdType = 1;
    f.st.Cells<GlcdCells>().GlcdLine5 = c.fs;
    f.st.used.Set(NeedPset);
    EXPECT_EQ(Linked(f.st), c.routines) << c.fs;
    EXPECT_EQ(f.st.ErrorCount, c.errors) << c.fs;
    EXPECT_EQ(f.report.Text().find("FS parameter not defined!") != std::string::npos, c.errors == 1);
  }
  test::CompilerFixture sed;
  sed.st.Cells<GlcdCells>().GlcdType = 3;
  sed.st.used.Set(NeedPset);
  sed.st.used.Set(NeedBox);
  // Pset calls the pixel calculation; Box draws with its own routine and the one LineH.
  EXPECT_EQ(Linked(sed.st), (std::vector<std::string>{"EmitSed1520GraphLcdInitRoutines", "EmitSed1520PsetRoutine",
                                                      "EmitSed1520CalcPixRoutine", "EmitSed1520BoxRoutine",
                                                      "EmitSed1520LineHRoutineAlt"}));
}

TEST(LinkOrder, EveryEmitterHasOneRow) {
  std::set<std::string> names;
  for (const LinkRow& row : LinkOrder()) EXPECT_TRUE(names.insert(row.Name).second) << row.Name;
  EXPECT_EQ(names.count("EmitPrintHexLongRoutine"), 0u);  // no text exists for the hex prints
}

TEST(LinkStep, PoolSummariesAndSuccessLine) {
  test::CompilerFixture f;
  f.st.sym.StringConstCount = 2;
  f.st.sym.StringConstants[0] = StringConstRecord{0, "S000", "Hello"};
  f.st.sym.StringConstants[1] = StringConstRecord{1, "S001", ""};
  f.st.sym.SystemVarBytes = 17;
  f.st.sym.UserVarBytes = 5;
  f.st.src.SourceLineNumber = 58;
  EmitLibraryAndSummary(f.st);
  EXPECT_EQ(f.report.Text(), "");
  ReportCompiledOk(f.st);
  EXPECT_EQ(f.st.out.Str(),
            "\r\n; String constants:\r\nS000:\t.db\t\"Hello\", 0\r\nS001:\t.db\t\"\", 0\r\n\r\n"
            "\r\n;System Global Variables: 17  bytes\r\n;User   Global Variables: 5  bytes\r\n");
  EXPECT_EQ(f.report.Text(), "Quorvil Compiler : 57 lines compiled OK\r\n");
}

TEST(LinkStep, UninitialisedFlashTableIsAnError) {
  test::CompilerFixture f;
  f.report.SetText("Running Compiler ... ");
  f.st.sym.GlobalVarCount = 2;
  f.st.sym.GlobalVars[1] = GlobalVarRecord{"tab", 2, 4, 1, kStorageFlash, 2, 0, false};
  f.st.sym.GlobalVars[2] = GlobalVarRecord{"ok", 2, 4, 1, kStorageFlash, 2, 0, true};
  EmitLibraryAndSummary(f.st);
  EXPECT_EQ(f.st.ErrorCount, 1);
  EXPECT_NE(f.report.Text().find("Constant TAB is not initialized!"), std::string::npos);
  EXPECT_EQ(f.report.Text().find("compiled OK"), std::string::npos);
  EXPECT_EQ(f.st.out.Str().find("String constants"), std::string::npos);
}

// A routine the program needs that the library does not write yet fails the compilation
// with its name, once also for a row run per 1-Wire bus, instead of a program that only
// the assembler rejects.
TEST(LinkStep, ANeededRoutineWithoutItsTextFailsTheCompilation) {
  const LinkRow rows[] = {
      {10, "EmitWrittenRoutine", QBC_LINK_GUARD(true), [](CompilerState& s) { s.out.Line("_Wr:"); }},
      {20, "EmitUnwrittenRoutines", QBC_LINK_GUARD(true)},
      {30, "EmitUnwrittenPerBusRoutine", QBC_LINK_GUARD(true), nullptr, nullptr, 0, nullptr, true},
      {40, "EmitUnneededRoutine", QBC_LINK_GUARD(false)},
  };
  test::CompilerFixture f;
  f.st.Cells<OneWireCells>().OneWireBuses[0].LastBusIndex = 1;
  RunLinkOrder(f.st, rows);
  EXPECT_EQ(f.st.out.Str(), "_Wr:\r\n");
  EXPECT_EQ(f.st.ErrorCount, 2);
  EXPECT_NE(f.report.Text().find("Not supported yet: Unwritten"), std::string::npos) << f.report.Text();
  EXPECT_NE(f.report.Text().find("Not supported yet: UnwrittenPerBus"), std::string::npos);
  EXPECT_EQ(f.report.Text().find("Unneeded"), std::string::npos);
}

}  // namespace
}  // namespace qbc

#include "compiler/frontend/dim_parser.h"
#include "compiler/driver/program_head.h"
#include "compiler/statements/program/simple_statements.h"
#include "compiler/driver/first_pass.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

// The first line an emitter writes that names its routine (";//////" header).
std::string HeaderOf(LinkEmitter emit, const CompilerState& like) {
  test::CompilerFixture f;
  f.st.dev = like.dev;
  f.st.mn = like.mn;
  f.st.cfg = like.cfg;
  f.st.areas = like.areas;
  emit(f.st);
  const std::string& text = f.st.out.Str();
  const auto start = text.find(";//////");
  return start == std::string::npos ? "" : text.substr(start, text.find('\r', start) - start);
}

// A program whose flags are set in the reverse of the link order gets the real routines in
// the link order, and the whole file assembles.
TEST(LinkOrder, RealRoutinesInOrderAndAssembled) {
  test::CompilerFixture f;
  f.st.env.InstallDir = test::BinDir();
  f.LoadSource("$device = m8\n$clock = 8\n$stack = 32\nend\n");
  ScanDeclarations(f.st);
  EmitProgramPrologue(f.st);
  CompileEndStatement(f.st);
  const UsedFlag flags[] = {NeedMfil, NeedDiv16u, NeedMul8u, NeedWaitMs, NeedSqr16, NeedLcase, NeedShiftLeftWord,
                            NeedStrCmp, NeedStoreBit};
  for (UsedFlag flag : flags) f.st.used.Set(flag);
  EmitLibraryAndSummary(f.st);
  ASSERT_EQ(f.st.ErrorCount, 0) << f.report.Text();

  const std::string& out = f.st.out.Str();
  std::size_t last = 0;
  int found = 0;
  for (const LinkRow& row : LinkOrder()) {
    if (row.Emit == nullptr || !row.Guard(f.st, row.Number)) continue;
    const std::string header = HeaderOf(row.Emit, f.st);
    if (header.empty()) continue;
    const std::size_t at = out.find(header);
    ASSERT_NE(at, std::string::npos) << row.Name;
    EXPECT_GT(at, last) << row.Name << " is out of order";
    last = at;
    ++found;
  }
  EXPECT_GE(found, 5);
  auto a = test::AssembleAsm(out);
  EXPECT_TRUE(a.ok) << a.output;
}

}  // namespace
}  // namespace qbc
