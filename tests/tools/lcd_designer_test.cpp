// The LCD character designer: clicks on the grid, the row bytes and the inserted line.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tests/tools/support/tool_test_support.h"
#include "tools/common/tool_globals.h"
#include "tools/lcd/core/lcd_char.h"
#include "tools/lcd/ui/frm_lcd.h"
#include "tools/lcd/ui/lcd_picture.h"
#include "tools/tool_windows.h"

namespace qbc {
namespace {

TEST(LcdChar, CellUnderAClickIgnoresGridLines) {
  EXPECT_FALSE(LcdCellAt(0, 5));
  EXPECT_FALSE(LcdCellAt(10, 5));
  EXPECT_FALSE(LcdCellAt(5, 20));
  EXPECT_FALSE(LcdCellAt(50, 5));
  EXPECT_FALSE(LcdCellAt(55, 5));
  const auto first = LcdCellAt(1, 1);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->column, 0);
  EXPECT_EQ(first->row, 0);
  const auto last = LcdCellAt(49, 79);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->column, 4);
  EXPECT_EQ(last->row, 7);
}

TEST(LcdChar, LineHasEightUpperCaseTwoDigitBytes) {
  EXPECT_EQ(DefLcdCharLine({16, 0, 0, 0, 0, 0, 0, 0}),
            "DefLcdChar 0, &h10, &h00, &h00, &h00, &h00, &h00, &h00, &h00");
  EXPECT_EQ(DefLcdCharLine({14, 31, 1, 2, 4, 8, 0x1A, 0}),
            "DefLcdChar 0, &h0E, &h1F, &h01, &h02, &h04, &h08, &h1A, &h00");
}

// Clicks the middle of a cell (or any picture pixel) with the given button.
void Click(frmLCD& lcd, int x, int y, Qt::MouseButton button = Qt::LeftButton) {
  auto* grid = lcd.findChild<LcdPicture*>("picCH");
  QTest::mouseClick(grid, button, {}, QPoint(x * grid->Scale() + 1, y * grid->Scale() + 1));
}

TEST(FrmLcd, LeftSetsOtherButtonsClearAndGridLinesDoNothing) {
  frmLCD lcd;
  lcd.show();
  Click(lcd, 5, 5);                        // top-left dot
  Click(lcd, 5, 5);                        // a second left click keeps it set
  Click(lcd, 45, 75);                      // bottom-right dot
  Click(lcd, 20, 35);                      // on a vertical grid line: nothing
  Click(lcd, 25, 30);                      // on a horizontal grid line: nothing
  Click(lcd, 25, 45);                      // middle dot of row 4 ...
  Click(lcd, 25, 45, Qt::RightButton);     // ... cleared again
  EXPECT_EQ(lcd.ReadRows(), (LcdRows{16, 0, 0, 0, 0, 0, 0, 1}));
  test::SaveScreenshot(lcd, "frmLCD");

  lcd.findChild<QPushButton*>("cmdCLS")->click();
  EXPECT_EQ(lcd.ReadRows(), LcdRows{});
}

// Runs the designer as the environment does, acting on it once it is shown.
std::optional<QString> RunWith(std::function<void(frmLCD&)> act) {
  test::ActWhenShown<frmLCD>(std::move(act));
  return RunLcdDesigner(nullptr);
}

TEST(RunLcdDesigner, GenerateGivesTheLineCancelAndCloseGiveNothing) {
  const auto full = RunWith([](frmLCD& lcd) {
    for (int row = 0; row < 8; ++row) {
      for (int column = 0; column < 5; ++column) Click(lcd, column * 10 + 5, row * 10 + 5);
    }
    lcd.findChild<QPushButton*>("cmdOK")->click();
  });
  ASSERT_TRUE(full);
  EXPECT_EQ(*full, "DefLcdChar 0, &h1F, &h1F, &h1F, &h1F, &h1F, &h1F, &h1F, &h1F");

  const auto cleared = RunWith([](frmLCD& lcd) {
    Click(lcd, 5, 5);
    lcd.findChild<QPushButton*>("cmdCLS")->click();
    lcd.findChild<QPushButton*>("cmdOK")->click();
  });
  ASSERT_TRUE(cleared);
  EXPECT_EQ(*cleared, "DefLcdChar 0, &h00, &h00, &h00, &h00, &h00, &h00, &h00, &h00");

  EXPECT_FALSE(RunWith([](frmLCD& lcd) {
    Click(lcd, 5, 5);
    lcd.findChild<QPushButton*>("cmdCC")->click();
  }));
  // The close box after an earlier "Generate" must not repeat the earlier line.
  EXPECT_FALSE(RunWith([](frmLCD& lcd) { lcd.close(); }));
}

}  // namespace
}  // namespace qbc
