// Programs of declarations and metastatements only, compiled for several devices,
// assembled and started on the simulator.
#include <gtest/gtest.h>

#include <filesystem>

#include "compiler/driver/driver.h"
#include "tests/support/basic_program.h"
#include "tests/support/meta_head_fixture.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

struct Device {
  const char* name;
  const char* simName;
  std::uint32_t ramEnd;
  std::uint32_t ramStart;
  bool frameRegister;  // UCSR0C at an address of its own
};

const Device kDevices[] = {{"m8", "atmega8", 0x45f, 0x60, false},      {"m16", "atmega16", 0x45f, 0x60, false},
                           {"m32", "atmega32", 0x85f, 0x60, false},    {"m88", "atmega88", 0x4ff, 0x100, true},
                           {"m168", "atmega168", 0x4ff, 0x100, true}, {"m128", "atmega128", 0x10ff, 0x100, true}};

std::string DeclarationsOnly(const std::string& device, const std::string& extra = "") {
  // external RAM only where the chip has the bus for it
  const std::string xram = device == "m128" ? ", x1 as xram byte" : "";
  return "$device = " + device + "\n" + extra +
         "$clock = 8\n"
         "$stack = 40\n"
         "$baud = 9600, e, 8, 1\n"
         "$watchdog = 256\n"
         "$leadchar = \"0\", format(5, 2)\n"
         "$inputtermchar = (&h0D)\n"
         "const n = 4, m = n * 2 + 1, greeting = \"hi\"\n"
         "dim b as byte, i as integer, w as word, l as long, f as float, s as string * 10\n"
         "dim arr(m) as word, flag as bit, flag2 as bit" + xram + ", at1 as byte at &h200\n"
         "declare sub s1(a as byte, k as word)\n"
         "declare function f1(x as integer) as long\n"
         "end\n";
}

// With an interrupt handler, so that the vector table is used.
TEST(HeadSim, DeclarationsOnlyProgramStartsOnEveryDevice) {
  for (const Device& d : kDevices) {
    SCOPED_TRACE(d.name);
    auto run = test::RunBasic(DeclarationsOnly(d.name, "declare interrupt int1()\n") + "interrupt int1()\nend interrupt\n",
                              d.simName);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    test::SimRunner& sim = *run->sim;
    EXPECT_EQ(sim.RamEnd(), d.ramEnd);
    EXPECT_EQ(sim.Sp(), d.ramEnd);
    EXPECT_EQ(sim.Reg(28) | (sim.Reg(29) << 8), d.ramEnd - 40);
    // the start-up code wrote the format cells and the variables lie in the data segment
    EXPECT_EQ(sim.Sram(*sim.Symbol("_fmtC")), 5);
    EXPECT_EQ(sim.Sram(*sim.Symbol("_fmtD")), 2);
    EXPECT_EQ(sim.Sram(*sim.Symbol("_lchr")), '0');
    EXPECT_EQ(*sim.Symbol("at1"), 0x200u);
    // UART 0: receiver and transmitter on, divisor 51 (9600 Bd at 8 MHz), and the frame
    // (even parity, 8 bits) where the frame register has an address of its own.
    auto data = [&](const char* reg) {
      const std::uint32_t address = *sim.Symbol(reg);
      return address < 0x40 ? address + 0x20 : address;
    };
    EXPECT_EQ(sim.Sram(data("UCSR0B")), 0x18);
    EXPECT_EQ(sim.Sram(data("UBRR0L")), 51);
    if (d.frameRegister) {
      EXPECT_EQ(sim.Sram(data("UCSR0C")), 0x26);
    }
    EXPECT_EQ(*sim.Symbol("b"), d.ramStart);
    EXPECT_EQ(*sim.Symbol("i"), d.ramStart + 1);
  }
}

// A device with 256 bytes of address space or less: the high byte of Y is loaded too (the
// simulator, like the chip, starts with registers that are not zero).
TEST(HeadSim, SmallRamDeviceLoadsAllOfY) {
  auto run = test::RunBasic("$device = tn2313\n$clock = 4\n$stack = 16\ndim b as byte\nend\n", "attiny2313");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Sp(), 0xdfu);
  EXPECT_EQ(run->sim->Reg(28) | (run->sim->Reg(29) << 8), 0xdf - 16);
}

// The DTMF timer set-up leaves the Timer1 overflow interrupt off (the tone routine switches
// it on while it plays) in the device's own mask register; the watchdog and timer lines
// reach their registers on both families.
TEST(HeadSim, DtmfTimerAndWatchdogOnClassicAndNewerMegas) {
  struct Case {
    const char* device;
    const char* simName;
    const char* mask;  // the register that holds TOIE1
    std::uint32_t ioOffset;
    int bit;
    const char* oc1aDirection;  // OC1A, the PWM's output pin
    int oc1aBit;
  } cases[] = {{"m8", "atmega8", "TIMSK", 0x20, 2, "DDRB", 1}, {"m16", "atmega16", "TIMSK", 0x20, 2, "DDRD", 5},
               {"m88", "atmega88", "TIMSK1", 0, 0, "DDRB", 1}, {"m168", "atmega168", "TIMSK1", 0, 0, "DDRB", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    test::MetaHead h(c.device, "$watchdog = 1024\n$timer1 = timer, compare1a = toggle\n$dtmf = portb.1, 10");
    const std::string program = h.Program();
    ASSERT_EQ(h.st.ErrorCount, 0) << h.report.Text();
    auto a = test::AssembleAsm(program);
    ASSERT_TRUE(a.ok) << a.output;
    test::SimRunner sim({.mcu = c.simName, .frequency = 8000000});
    ASSERT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
    EXPECT_EQ(sim.Run(), test::SimStop::EndLoop);
    const std::uint32_t mask = *sim.Symbol(c.mask) + c.ioOffset;
    EXPECT_EQ(sim.Sram(mask) & (1 << c.bit), 0);
    EXPECT_EQ(sim.Sram(*sim.Symbol(c.oc1aDirection) + 0x20) & (1 << c.oc1aBit), 1 << c.oc1aBit);
    EXPECT_EQ(sim.Sram(*sim.Symbol("TCCR1A") + c.ioOffset), 0x40);  // the $timer1 line ran last
  }
}

struct DriverRun {
  std::unique_ptr<CompilerState> st = std::make_unique<CompilerState>();
  ReportSink report;
  std::string doc = test::MakeTempDir("doc");
  void Run(const std::string& source) {
    const std::string install = test::MakeTempDir("install");
    std::filesystem::create_directory_symlink(test::BinDir() + "/inc", install + "/inc");
    test::WriteFile(install + "/tmp.tmp", source);
    st->report = &report;
    CompileProgram(*st, doc + "/prog.bas", install);
  }
};

TEST(HeadSim, MissingSettingsAndUnsupportedDevices) {
  DriverRun none;
  none.Run("dim a as byte\nend\n");
  EXPECT_EQ(none.report.Text(),
            " 1. No Device specified! (\"" + none.doc + "/prog.bas\" --> Line  2)\r\n"
            " 2. No Clock specified! (\"" + none.doc + "/prog.bas\" --> Line  2)\r\n"
            " 3. No Stack specified! (\"" + none.doc + "/prog.bas\" --> Line  2)\r\n"
            " 4. Unsupported Device! (\"" + none.doc + "/prog.bas\" --> Line  2)\r\n");
  DriverRun tiny;
  tiny.Run("$device = tn12\n$clock = 1\n$stack = 8\nend\n");  // no SRAM
  EXPECT_EQ(tiny.st->ErrorCount, 1);
  EXPECT_NE(tiny.report.Text().find("Unsupported Device!"), std::string::npos);
  const std::string asmText = test::ReadFile(tiny.doc + "/prog.asm");
  EXPECT_NE(asmText.find(".include"), std::string::npos);
  EXPECT_EQ(asmText.find(".DSEG"), std::string::npos);  // no head after the device check
  DriverRun clockless;
  clockless.Run("$device = m8\n$stack = 8\nend\n");
  EXPECT_EQ(clockless.st->ErrorCount, 1);
  EXPECT_NE(clockless.report.Text().find("No Clock specified!"), std::string::npos);
}

// The same program through the compile driver: the success line, an .asm file that
// assembles without an error, and a program that reaches its End loop with the hardware
// stack at RAMEND and Y the stack size below it.
TEST(HeadSim, DeclarationsOnlyProgramCompilesAssemblesAndRuns) {
  for (const Device& d : kDevices) {
    SCOPED_TRACE(d.name);
    DriverRun run;
    run.Run(DeclarationsOnly(d.name));
    EXPECT_EQ(run.report.Text(), "Quorvil Compiler : 13 lines compiled OK\r\n");
    auto a = test::AssembleAsmFile(run.doc + "/prog.asm");
    ASSERT_TRUE(a.ok) << a.output;
    test::SimRunner sim({.mcu = d.simName, .frequency = 8000000});
    ASSERT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
    EXPECT_EQ(sim.Run(), test::SimStop::EndLoop);
    EXPECT_EQ(sim.Sp(), d.ramEnd);
    EXPECT_EQ(sim.Reg(28) | (sim.Reg(29) << 8), d.ramEnd - 40);
  }
}

}  // namespace
}  // namespace qbc
