// The same drawing statements on the T6963C, KS0108 and SED1520 panel models give the
// same pixels: each panel shows the host drawing cut to its own size, and the three agree
// wherever they overlap.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/host_drawing.h"
#include "tests/support/ks0108_model.h"
#include "tests/support/sed1520_model.h"
#include "tests/support/t6963_model.h"

namespace qbc::test {
namespace {

const char* const kFigures =
    "PSet(3 , 4) , 1\nLineH(10 , 2 , 70) , 1\nLineH(90 , 5 , 60) , 1\nLineV(1 , 8 , 30) , 1\nLineV(61 , 28 , 12) , 1\n"
    "Line(20 , 10 , 40 , 14) , 1\nLine(40 , 16 , 20 , 19) , 1\nLine(20 , 20 , 23 , 30) , 1\nLine(30 , 30 , 28 , 20) , 1\n"
    "Box(66 , 20 , 90 , 28) , 1\nCircle(50 , 24 , 1) , 1\nCircle(100 , 16 , 20) , 1\nCircle(3 , 3 , 20) , 1\n";

HostDrawing Expected(int width, int height) {
  HostDrawing d(width, height);
  d.Plot(3, 4);
  d.LineH(10, 2, 70);
  d.LineH(90, 5, 60);
  d.LineV(1, 8, 30);
  d.LineV(61, 28, 12);
  d.Line(20, 10, 40, 14);
  d.Line(40, 16, 20, 19);
  d.Line(20, 20, 23, 30);
  d.Line(30, 30, 28, 20);
  d.Box(66, 20, 90, 28);
  d.Circle(50, 24, 1);
  d.Circle(100, 16, 20);
  d.Circle(3, 3, 20);
  return d;
}

std::unique_ptr<BasicRun> RunFigures(const std::string& glcd, const std::string& prelude,
                              const std::function<void(SimRunner&)>& attach) {
  const std::string source =
      "$device = m32\n$clock = 8\n$stack = 40\n" + glcd + prelude + kFigures + "End\n";
  return RunBasicWith(source, {.mcu = "atmega32", .frequency = 8000000, .max_cycles = 100'000'000}, {}, attach);
}

TEST(SamePixels, OnTheT6963cKs0108AndSed1520) {
  std::unique_ptr<Ks0108Model> ks;
  auto ks_run = RunFigures("$glcd ks0108, data = porta, ctrl = portc, 128, 64, 1\n$gctrl en = 0, wr = 1, di = 2, cs1 = 3, cs2 = 4\n",
                    "GlcdInit\nGCls\n", [&](SimRunner& s) { ks = std::make_unique<Ks0108Model>(s, Ks0108Wiring{}, 8.0); });
  ASSERT_TRUE(ks_run->ok) << ks_run->Diagnostics();
  std::unique_ptr<Sed1520Model> sed;
  auto sed_run = RunFigures("$glcd sed1520, data = porta, ctrl = portc, 122, 32\n$gctrl a0 = 0, rw = 1, e1 = 2, e2 = 3\n",
                     "GlcdInit\nGCls\n", [&](SimRunner& s) { sed = std::make_unique<Sed1520Model>(s, Sed1520Wiring{}, 8.0); });
  ASSERT_TRUE(sed_run->ok) << sed_run->Diagnostics();
  T6963Model t6({.width = 240, .height = 64}, 8.0);
  auto t6_run = RunFigures("$glcd t6963c, data = porta, ctrl = portc, 240, 64, 8\n$gctrl rd = 0, wr = 1, cd = 2, ce = 3, fs = 0\n",
                    "GrpHomeSet 512\nGrpAreaSet 40\nTxtHomeSet 0\nTxtAreaSet 40\nGCls\n",
                    [&](SimRunner& s) { t6.Attach(s); });
  ASSERT_TRUE(t6_run->ok) << t6_run->Diagnostics();

  EXPECT_TRUE(ks->Violations().empty()) << ks->Violations().front();
  EXPECT_TRUE(sed->Violations().empty()) << sed->Violations().front();
  EXPECT_TRUE(t6.Violations().empty()) << t6.Violations().front();
  const PanelBitmap ks_panel = ks->Panel(), sed_panel = sed->Panel(), t6_panel = t6.Graphic();
  EXPECT_TRUE(ks_panel.SameAs(Expected(128, 64).Art(), "same_pixels_ks0108"));
  EXPECT_TRUE(sed_panel.SameAs(Expected(122, 32).Art(), "same_pixels_sed1520"));
  EXPECT_TRUE(t6_panel.SameAs(Expected(240, 64).Art(), "same_pixels_t6963c"));
  int differ = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 122; ++x)
      differ += (ks_panel.Pixel(x, y) != sed_panel.Pixel(x, y)) + (t6_panel.Pixel(x, y) != sed_panel.Pixel(x, y));
  EXPECT_EQ(differ, 0);
  EXPECT_GT(sed_panel.SetPixels(), 300);
}

}  // namespace
}  // namespace qbc::test
