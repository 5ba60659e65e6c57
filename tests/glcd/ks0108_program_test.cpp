// Programs driving a two-chip KS0108 panel (128 x 64) on the simulator, shown by the
// pin-level model: every drawing statement against a host drawing of the same figures,
// text and images cut at the panel's edges, byte access across the chip boundary, at 1, 4, 8
// and 16 MHz and on ports in the extended I/O space, with every strobe inside the data sheet's timing and no command outside the
// panel's addresses.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/host_drawing.h"
#include "tests/support/test_font.h"
#include "tests/support/ks0108_model.h"

namespace qbc::test {
namespace {

constexpr int kW = 128, kH = 64;

const char* const kGlcd =
    "$glcd ks0108, data = porta, ctrl = portc, 128, 64, 1\n$gctrl en = 0, wr = 1, di = 2, cs1 = 3, cs2 = 4\n";

struct Shown {
  std::unique_ptr<BasicRun> run;
  std::unique_ptr<Ks0108Model> lcd;
};

Shown RunOnPanel(const std::string& body, int mhz, const std::string& tables = "", const std::string& dims = "",
                 const char* glcd = kGlcd, Ks0108Wiring wiring = {}) {
  const std::string source =
      "$device = m32\n$clock = " + std::to_string(mhz) + "\n$stack = 40\n" + glcd + dims + body + "End\n" + tables;
  Shown shown;
  SimOptions options{.mcu = "atmega32", .frequency = static_cast<uint32_t>(mhz) * 1000000u, .max_cycles = 200'000'000};
  shown.run = RunBasicWith(source, options, {}, [&](SimRunner& sim) {
    shown.lcd = std::make_unique<Ks0108Model>(sim, wiring, mhz);
  });
  return shown;
}

std::string Violations(const Ks0108Model& lcd) {
  std::string all;
  for (std::size_t i = 0; i < lcd.Violations().size() && i < 20; ++i) all += lcd.Violations()[i] + "\n";
  return all;
}

class Ks0108Program : public testing::TestWithParam<int> {};

TEST_P(Ks0108Program, DrawingStatementsGiveTheHostsPixels) {
  const std::string body =
      "GlcdInit\nGCls\n"
      "PSet(3 , 4) , 1\nPSet(127 , 63) , 1\nPSet(200 , 10) , 1\n"
      "LineH(10 , 2 , 70) , 1\nLineH(90 , 5 , 60) , 1\nLineV(1 , 10 , 60) , 1\nLineV(66 , 50 , 20) , 1\n"
      "Line(20 , 20 , 40 , 25) , 1\nLine(40 , 30 , 20 , 35) , 1\nLine(20 , 40 , 25 , 60) , 1\nLine(30 , 60 , 28 , 40) , 1\n"
      "Line(100 , 20 , 80 , 22) , 1\nLine(80 , 30 , 100 , 28) , 1\nLine(110 , 40 , 112 , 60) , 1\nLine(120 , 60 , 118 , 40) , 1\n"
      "Box(70 , 40 , 90 , 50) , 1\n"
      "Circle(45 , 45 , 0) , 1\nCircle(50 , 45 , 1) , 1\nCircle(56 , 45 , 2) , 1\nCircle(100 , 40 , 20) , 1\n"
      "Circle(3 , 3 , 20) , 1\nCircle(125 , 60 , 20) , 1\n"
      "PSet(100 , 40) , 1\nPSet(100 , 40) , 0\n";
  auto s = RunOnPanel(body, GetParam());
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  EXPECT_TRUE(s.lcd->Violations().empty()) << Violations(*s.lcd);
  HostDrawing c(kW, kH);
  c.Plot(3, 4);
  c.Plot(127, 63);
  c.LineH(10, 2, 70);
  c.LineH(90, 5, 60);
  c.LineV(1, 10, 60);
  c.LineV(66, 50, 20);
  c.Line(20, 20, 40, 25);
  c.Line(40, 30, 20, 35);
  c.Line(20, 40, 25, 60);
  c.Line(30, 60, 28, 40);
  c.Line(100, 20, 80, 22);
  c.Line(80, 30, 100, 28);
  c.Line(110, 40, 112, 60);
  c.Line(120, 60, 118, 40);
  c.Box(70, 40, 90, 50);
  c.Circle(45, 45, 0);
  c.Circle(50, 45, 1);
  c.Circle(56, 45, 2);
  c.Circle(100, 40, 20);
  c.Circle(3, 3, 20);
  c.Circle(125, 60, 20);
  c.Plot(100, 40, false);
  EXPECT_TRUE(s.lcd->Panel().SameAs(c.Art(), "ks0108_drawing_" + std::to_string(GetParam())));
}

// Fill and Inverse by columns and pages, an empty area, images and text in a 5 x 8 font
// running off the right edge, and an image whose pages run off the bottom.
TEST_P(Ks0108Program, FillInverseImagesAndTextAreCutAtTheEdges) {
  const std::string tables = TestFontTable("Fnt") + "Pic = 3 , 2 , 1 , 2 ,\n3 , 4 , 5 , 6\n";
  const std::string dims = TestFontDim("Fnt") + "Dim Pic(8) As Flash Byte , B As Byte\n";
  const std::string body =
      "GlcdInit\nGCls\nFontSet Fnt\n"
      "Fill(10 , 1 , 20 , 2) , &hF0\nFill(30 , 3 , 25 , 3) , &hFF\n"
      "Inverse(15 , 2 , 70 , 2)\n"
      "ImgSet(40 , 4) , Pic\nImgSet(126 , 6) , Pic\nImgSet(60 , 7) , Pic\n"
      "B = 65\nGLcd(0 , 0) , \"AB\" ; Chr(B)\nGLcd(118 , 5) , \"XYZ\"\nGLcd(0 , 6) , Chr(10) ; \"C\"\n";
  auto s = RunOnPanel(body, GetParam(), tables, dims);
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  EXPECT_TRUE(s.lcd->Violations().empty()) << Violations(*s.lcd);
  HostDrawing c(kW, kH);
  for (int x = 10; x <= 20; ++x) {
    c.Bytes(x, 1, {0xF0});
    c.Bytes(x, 2, {0xF0});
  }
  c.Invert(15, 2, 70, 2);
  c.Bytes(40, 4, {1, 2, 3});
  c.Bytes(40, 5, {4, 5, 6});
  c.Bytes(126, 6, {1, 2});
  c.Bytes(126, 7, {4, 5});
  c.Bytes(60, 7, {1, 2, 3});
  int x = 0;
  for (int code : {'A', 'B', 'A'}) {
    c.Bytes(x, 0, TestGlyph(code));
    c.Bytes(x + 5, 0, {0});
    x += 6;
  }
  x = 118;
  for (int code : {'X', 'Y', 'Z'}) {
    c.Bytes(x, 5, TestGlyph(code));
    c.Bytes(x + 5, 5, {0});
    x += 6;
  }
  c.Bytes(0, 6, TestGlyph('C'));
  c.Bytes(5, 6, {0});
  EXPECT_TRUE(s.lcd->Panel().SameAs(c.Art(), "ks0108_fill_text_" + std::to_string(GetParam())));
}

// On the m128 a string constant above the first 64 KB with the font below it: each glyph
// is read from the font's page and the next character from the text's.
TEST(Ks0108Text, TextAndFontOnDifferentFlashPages) {
  const std::string source = "$device = m128\n$clock = 8\n$stack = 40\n" + std::string(kGlcd) +
                             TestFontDim("Fnt") + "GlcdInit\nGCls\nFontSet Fnt\nGLcd(0 , 2) , \"AZB\"\nEnd\n" +
                             TestFontTable("Fnt") + "$asm\n.ORG 0x8100\n$end asm\n";
  std::unique_ptr<Ks0108Model> lcd;
  SimOptions options{.mcu = "atmega128", .frequency = 8'000'000u, .max_cycles = 50'000'000};
  auto run = RunBasicWith(source, options, {}, [&](SimRunner& sim) { lcd = std::make_unique<Ks0108Model>(sim, Ks0108Wiring{}, 8); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_TRUE(lcd->Violations().empty()) << Violations(*lcd);
  HostDrawing c(kW, kH);
  int x = 0;
  for (int code : {'A', 'Z', 'B'}) {
    c.Bytes(x, 2, TestGlyph(code));
    c.Bytes(x + 5, 2, {0});
    x += 6;
  }
  EXPECT_TRUE(lcd->Panel().SameAs(c.Art(), "ks0108_text_far_page"));
}

// GWrite and GRead across the chip boundary, Point's byte, and nothing sent for a byte
// beyond the panel.
TEST_P(Ks0108Program, BytesRoundTripOnBothChipsAndNothingIsSentOutside) {
  const std::string dims = "Dim R(6) As Byte\n";
  const std::string body =
      "GlcdInit\nGCls\n"
      "GWrite(0 , 0) , &h81\nGWrite(63 , 3) , &h42\nGWrite(64 , 4) , &h24\nGWrite(127 , 7) , &h18\n"
      "GWrite(128 , 0) , &hFF\nGWrite(5 , 8) , &hFF\nGWrite(200 , 9) , &hFF\n"
      "R(1) = GRead(0 , 0)\nR(2) = GRead(63 , 3)\nR(3) = GRead(64 , 4)\nR(4) = GRead(127 , 7)\n"
      "PSet(70 , 13) , 1\nR(5) = Point(70 , 12)\n";
  auto s = RunOnPanel(body, GetParam(), "", dims);
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  EXPECT_TRUE(s.lcd->Violations().empty()) << Violations(*s.lcd);
  EXPECT_EQ(s.run->Byte("r", 1), 0x81);
  EXPECT_EQ(s.run->Byte("r", 2), 0x42);
  EXPECT_EQ(s.run->Byte("r", 3), 0x24);
  EXPECT_EQ(s.run->Byte("r", 4), 0x18);
  EXPECT_EQ(s.run->Byte("r", 5), 0x20);
  EXPECT_EQ(s.lcd->Ram(0, 0, 0), 0x81);
  EXPECT_EQ(s.lcd->Ram(0, 3, 63), 0x42);
  EXPECT_EQ(s.lcd->Ram(1, 4, 0), 0x24);
  EXPECT_EQ(s.lcd->Ram(1, 7, 63), 0x18);
  EXPECT_EQ(s.lcd->StartLine(0), 0);
  EXPECT_EQ(s.lcd->StartLine(1), 0);
  EXPECT_TRUE(s.lcd->DisplayOn(0));
  EXPECT_TRUE(s.lcd->DisplayOn(1));
}

INSTANTIATE_TEST_SUITE_P(Clocks, Ks0108Program, testing::Values(1, 4, 8, 16));

// Data and control lines on ports beyond the reach of in/out and sbi/cbi (the m128's F
// and G, the m2560's H to L) are reached through lds/sts.
struct ExtendedPorts {
  const char* device;
  const char* mcu;
  char data;
  char ctrl;
};

class Ks0108ExtendedPorts : public testing::TestWithParam<ExtendedPorts> {};

TEST_P(Ks0108ExtendedPorts, BytesAndPixelsRoundTrip) {
  const ExtendedPorts& p = GetParam();
  const std::string glcd = std::string("$glcd ks0108, data = port") + static_cast<char>(p.data + 32) + ", ctrl = port" +
                           static_cast<char>(p.ctrl + 32) + ", 128, 64, 1\n$gctrl en = 0, wr = 1, di = 2, cs1 = 3, cs2 = 4\n";
  const std::string source = std::string("$device = ") + p.device +
                             "\n$clock = 16\n$stack = 40\n" + glcd +
                             "Dim R(4) As Byte\nGlcdInit\nGCls\nGWrite(3 , 1) , &h5A\nGWrite(100 , 6) , &hC3\n"
                             "R(1) = GRead(3 , 1)\nR(2) = GRead(100 , 6)\nPSet(70 , 13) , 1\nR(3) = Point(70 , 12)\nEnd\n";
  std::unique_ptr<Ks0108Model> lcd;
  SimOptions options{.mcu = p.mcu, .frequency = 16'000'000u, .max_cycles = 200'000'000};
  auto run = RunBasicWith(source, options, {}, [&](SimRunner& sim) {
    lcd = std::make_unique<Ks0108Model>(sim, Ks0108Wiring{.data_port = p.data, .ctrl_port = p.ctrl}, 16);
  });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_TRUE(lcd->Violations().empty()) << Violations(*lcd);
  EXPECT_EQ(lcd->Ram(0, 1, 3), 0x5A);
  EXPECT_EQ(lcd->Ram(1, 6, 36), 0xC3);
  EXPECT_EQ(run->Byte("r", 1), 0x5A);
  EXPECT_EQ(run->Byte("r", 2), 0xC3);
  EXPECT_EQ(run->Byte("r", 3), 0x20);
}

INSTANTIATE_TEST_SUITE_P(Ports, Ks0108ExtendedPorts,
                         testing::Values(ExtendedPorts{"m128", "atmega128", 'F', 'G'},
                                         ExtendedPorts{"m128", "atmega128", 'A', 'F'},
                                         ExtendedPorts{"m2560", "atmega2560", 'H', 'J'},
                                         ExtendedPorts{"m2560", "atmega2560", 'L', 'K'}),
                         [](const testing::TestParamInfo<ExtendedPorts>& param) {
                           return std::string(param.param.device) + "_data" + param.param.data + "_ctrl" + param.param.ctrl;
                         });

}  // namespace
}  // namespace qbc::test
