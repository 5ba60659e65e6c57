// The timer reload calculator: register values and the actual time for a wanted time.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "tests/tools/support/tool_test_support.h"
#include "tools/calc/core/timer_reload.h"
#include "tools/calc/ui/frm_calc.h"
#include "tools/common/number_text.h"

namespace qbc {
namespace {

struct ReloadCase {
  const char* crystal;
  const char* prescaler;
  const char* time;
  TimerReload expected;
};

TEST(TimerReload, RegisterValuesAndActualTime) {
  const ReloadCase cases[] = {
      // 16-bit only: 7372.8 counts round to 7373.
      {"7.3728", "1", "1000", {"--", "--", "E3", "33", "1C", "CD", "1000.027"}},
      // 62.5 counts: the tie goes to the even 62.
      {"4.0", "64", "1000", {"C2", "3E", "FF", "C2", "00", "3E", "992"}},
      // 255.5 .. 256 counts round to 256: the low digits of 0 and 256 are both 00.
      {"1.0", "1", "255.75", {"00", "00", "FF", "00", "01", "00", "256"}},
      // Beyond 65535 counts nothing fits a register but the time is still shown.
      {"16.0", "1", "5000", {"--", "--", "--", "--", "--", "--", "5000"}},
      // Leading numbers count, the rest of a field is ignored; an empty time is 0.
      {"8.0 MHz", "8x", "", {"00", "00", "00", "00", "00", "00", "0"}},
  };
  for (const ReloadCase& c : cases) {
    SCOPED_TRACE(std::string(c.crystal) + " / " + c.prescaler + " / " + c.time);
    const TimerReload r = ComputeTimerReload(c.crystal, c.prescaler, c.time);
    EXPECT_EQ(r.tcnt8, c.expected.tcnt8);
    EXPECT_EQ(r.ocr8, c.expected.ocr8);
    EXPECT_EQ(r.tcntHigh, c.expected.tcntHigh);
    EXPECT_EQ(r.tcntLow, c.expected.tcntLow);
    EXPECT_EQ(r.ocrHigh, c.expected.ocrHigh);
    EXPECT_EQ(r.ocrLow, c.expected.ocrLow);
    EXPECT_EQ(r.actualTime, c.expected.actualTime);
  }
}

TEST(TimerReload, ValuesThatCannotBeComputedShowDashesEverywhere) {
  const char* inputs[][3] = {
      {"0", "1", "1000"},        // zero crystal: division by zero
      {"", "64", "1000"},        // emptied crystal
      {"8.0", "0", "1000"},      // zero prescaler
      {"8.0", "", "1000"},       // emptied prescaler
      {"8.0", "99999", "1000"},  // no 16-bit prescaler
      {"8.0", "1", "1e30"},      // more counts than any integer register arithmetic holds
      {"1.0", "1", "-1e30"},
  };
  for (const auto& in : inputs) {
    SCOPED_TRACE(std::string(in[0]) + " / " + in[1] + " / " + in[2]);
    const TimerReload r = ComputeTimerReload(in[0], in[1], in[2]);
    for (const std::string& field :
         {r.tcnt8, r.ocr8, r.tcntHigh, r.tcntLow, r.ocrHigh, r.ocrLow, r.actualTime}) {
      EXPECT_EQ(field, "--");
    }
  }
}

TEST(TimerReload, HexKeepsTheLowDigitsOfTwosComplement) {
  EXPECT_EQ(Hex2(256), "00");
  EXPECT_EQ(Hex2(14), "0E");
  EXPECT_EQ(Hex2(-10), "F6");
  EXPECT_EQ(Hex4(58163), "E333");
  EXPECT_EQ(Hex4(65536), "0000");
  EXPECT_EQ(Hex4(-1), "FFFF");
}

TEST(NumberText, LeadingNumberAndSingleText) {
  EXPECT_DOUBLE_EQ(LeadingNumber("  3.579545"), 3.579545);
  EXPECT_DOUBLE_EQ(LeadingNumber("12abc"), 12.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("1e3"), 1000.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("12e"), 12.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("-.5"), -0.5);
  EXPECT_DOUBLE_EQ(LeadingNumber("abc"), 0.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("4,5"), 4.0);  // the comma is never a decimal point

  EXPECT_EQ(SingleText(992.0f), "992");
  EXPECT_EQ(SingleText(0.5f), "0.5");
  EXPECT_EQ(SingleText(-2.25f), "-2.25");
  EXPECT_EQ(SingleText(1234567.0f), "1234567");
  EXPECT_EQ(SingleText(12345678.0f), "1.234568E+07");
  EXPECT_EQ(SingleText(0.0001f), "0.0001");
  EXPECT_EQ(SingleText(0.00001f), "1E-05");
  EXPECT_EQ(SingleText(1.0f / 3.0f), "0.3333333");
}

TEST(FrmCalc, RecalculatesWhenAnInputChanges) {
  frmCalc calc;
  calc.show();
  auto label = [&](const char* name) { return calc.findChild<QLabel*>(name)->text(); };
  EXPECT_EQ(calc.windowTitle(), "Quorvil Calculator");
  EXPECT_EQ(calc.findChild<QComboBox*>("q")->currentText(), "7.3728");
  EXPECT_EQ(label("t1_4"), "E3");
  EXPECT_EQ(label("t1_7"), "CD");
  EXPECT_EQ(label("atime"), "1000.027");
  test::SaveScreenshot(calc, "frmCalc");

  calc.findChild<QComboBox*>("q")->setCurrentText("4.0");
  calc.findChild<QComboBox*>("pre")->setCurrentIndex(2);  // 64
  EXPECT_EQ(label("t0_1"), "C2");
  EXPECT_EQ(label("t0_2"), "3E");
  EXPECT_EQ(label("atime"), "992");

  calc.findChild<QLineEdit*>("tim")->setText("");
  EXPECT_EQ(label("t0_1"), "00");
  calc.findChild<QComboBox*>("pre")->setCurrentText("");
  EXPECT_EQ(label("t0_1"), "--");
  EXPECT_EQ(label("atime"), "--");
}

}  // namespace
}  // namespace qbc
