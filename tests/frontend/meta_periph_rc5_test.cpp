// $rc5: the receiver's pin, the Timer0 reload for one bit time and the prescaler that the
// receiver must run Timer0 with.
#include <gtest/gtest.h>

#include <cmath>

#include "compiler/frontend/dim_parser.h"
#include "compiler/statements/peripherals/meta_peripheral.h"
#include "compiler/driver/first_pass.h"
#include "compiler/statements/peripherals/rc5_cells.h"
#include "tests/support/meta_head_fixture.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

using test::MetaHead;

// Timer0 clock-select codes by divisor, as the chips' data sheets give them: the
// ATmega103/64/128 Timer0 has the asynchronous prescaler (1, 8, 32, 64, 128, 256, 1024),
// every other family 1, 8, 64, 256, 1024.
int DivisorOfCode(const std::string& device, int code) {
  static const int kAsync[] = {0, 1, 8, 32, 64, 128, 256, 1024};
  static const int kPlain[] = {0, 1, 8, 64, 256, 1024, -1, -1};
  const bool async = device == "m103" || device == "m64" || device == "m128";
  return (async ? kAsync : kPlain)[code];
}

TEST(MetaPeriphRc5, PinInterruptOptionReloadAndVector) {
  MetaHead h("m8", "$rc5 = pind.3, interrupt");
  ASSERT_EQ(h.st.ErrorCount, 0) << h.report.Text();
  EXPECT_EQ(h.st.Cells<Rc5Cells>().Rc5Port, "PIND ");
  EXPECT_EQ(h.st.Cells<Rc5Cells>().Rc5Pin, "3");
  EXPECT_TRUE(h.st.Cells<Rc5Cells>().Rc5Interrupt);
  EXPECT_EQ(h.st.Cells<Rc5Cells>().Rc5Vector, 34);  // 256 - 8 * 1778 / 64 = 33.75
  EXPECT_EQ(h.UsedVectors(), (std::vector<int>{9}));
  EXPECT_EQ(h.st.sym.HighestVectorUsed, 9);
}

// For every family and clock range: the clock-select code gives the divisor the reload was
// computed with, and the reload gives one bit time (1778 us) within half a timer tick.
TEST(MetaPeriphRc5, ReceiverSamplesAtTheBitRateOnEveryFamily) {
  const char* devices[] = {"m8", "m16", "m32", "m64", "m128", "m103", "m88", "m168", "m1280", "8535", "2313", "tn26"};
  const char* clocks[] = {"0.1", "0.2", "0.3", "1", "1.1", "1.15", "1.2", "3.6864", "4", "8", "11.0592", "16", "20"};
  for (const char* d : devices) {
    for (const char* c : clocks) {
      // The ATtiny26 has no port D.
      MetaHead h(d, std::string(d) == "tn26" ? "$rc5 = portb.2" : "$rc5 = portd.2", c);
      ASSERT_EQ(h.st.ErrorCount, 0) << d << " " << c << h.report.Text();
      const Rc5TimerSetting t = Rc5TimerPrescaler(h.st);
      EXPECT_EQ(DivisorOfCode(d, t.ClockSelect), t.Divisor) << d << " " << c;
      const double f = h.st.cfg.CrystalFrequency;
      const double ticks = 256 - h.st.Cells<Rc5Cells>().Rc5Vector;
      EXPECT_NEAR(ticks * t.Divisor / f, 1778.0, 0.5 * t.Divisor / f + 1e-6) << d << " " << c;
      EXPECT_LE(f * 1778.0 / t.Divisor, 256.0) << d << " " << c;
    }
  }
}

TEST(MetaPeriphRc5, PrescalerByClockRange) {
  struct Case {
    const char* device;
    const char* clock;
    int divisor, code, reload;
  } cases[] = {
      {"m8", "8", 64, 3, 34},     {"m128", "8", 64, 4, 34},     {"m88", "4", 64, 3, 145},
      {"m8", "16", 256, 4, 145},  {"m128", "16", 256, 6, 145},  {"m8", "1.1", 8, 2, 12},
      {"m8", "1.15", 64, 3, 224}, {"m8", "0.1", 1, 1, 78},      {"m8", "0.2", 8, 2, 212},
  };
  for (const Case& c : cases) {
    MetaHead h(c.device, "$rc5 = portd.2", c.clock);
    const Rc5TimerSetting t = Rc5TimerPrescaler(h.st);
    EXPECT_EQ(t.Divisor, c.divisor) << c.device << " " << c.clock;
    EXPECT_EQ(t.ClockSelect, c.code) << c.device << " " << c.clock;
    EXPECT_EQ(h.st.Cells<Rc5Cells>().Rc5Vector, c.reload) << c.device << " " << c.clock;
  }
}

// The bit time is counted in ticks of the clock: a $rc5 line before $clock has none.
TEST(MetaPeriphRc5, ClockMustComeFirst) {
  test::CompilerFixture f;
  f.st.env.InstallDir = test::BinDir();
  f.LoadSource("$device = m8\n$rc5 = portd.2\n$clock = 8\n$stack = 32\nend\n");
  ScanDeclarations(f.st);
  EXPECT_EQ(f.st.ErrorCount, 1);
  EXPECT_NE(f.report.Text().find("Set $clock before $rc5!"), std::string::npos) << f.report.Text();
  EXPECT_EQ(f.st.TokText(), "end");
}

}  // namespace
}  // namespace qbc
