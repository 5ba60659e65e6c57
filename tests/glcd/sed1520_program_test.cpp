// Programs driving a two-controller SED1520 panel (122 x 32) on the simulator, shown by
// the pin-level model: the drawing statements against the host drawing, text and images
// cut at the panel's edges, byte access across the controller boundary, at 1, 4, 8 and 16 MHz and on ports in the
// extended I/O space,
// with every strobe inside the controller's timing and no command outside its addresses.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/host_drawing.h"
#include "tests/support/test_font.h"
#include "tests/support/sed1520_model.h"

namespace qbc::test {
namespace {

constexpr int kW = 122, kH = 32;

struct Shown {
  std::unique_ptr<BasicRun> run;
  std::unique_ptr<Sed1520Model> lcd;
};

Shown RunOnPanel(const std::string& body, int mhz, const std::string& tables = "", const std::string& dims = "") {
  const std::string source = "$device = m32\n$clock = " + std::to_string(mhz) +
                             "\n$stack = 40\n$glcd sed1520, data = porta, ctrl = portc, 122, 32\n"
                             "$gctrl a0 = 0, rw = 1, e1 = 2, e2 = 3\n" +
                             dims + body + "End\n" + tables;
  Shown shown;
  SimOptions options{.mcu = "atmega32", .frequency = static_cast<uint32_t>(mhz) * 1000000u, .max_cycles = 200'000'000};
  shown.run = RunBasicWith(source, options, {}, [&](SimRunner& sim) {
    shown.lcd = std::make_unique<Sed1520Model>(sim, Sed1520Wiring{}, mhz);
  });
  return shown;
}

std::string Violations(const Sed1520Model& lcd) {
  std::string all;
  for (std::size_t i = 0; i < lcd.Violations().size() && i < 20; ++i) all += lcd.Violations()[i] + "\n";
  return all;
}

class Sed1520Program : public testing::TestWithParam<int> {};

TEST_P(Sed1520Program, DrawingStatementsGiveTheHostsPixels) {
  const std::string body =
      "GlcdInit\nGCls\n"
      "PSet(3 , 4) , 1\nPSet(121 , 31) , 1\nPSet(130 , 10) , 1\n"
      "LineH(10 , 2 , 70) , 1\nLineH(90 , 5 , 55) , 1\nLineV(1 , 8 , 30) , 1\nLineV(61 , 28 , 12) , 1\n"
      "Line(20 , 10 , 40 , 14) , 1\nLine(40 , 16 , 20 , 19) , 1\nLine(20 , 20 , 23 , 30) , 1\nLine(30 , 30 , 28 , 20) , 1\n"
      "Line(100 , 10 , 80 , 12) , 1\nLine(80 , 16 , 100 , 14) , 1\nLine(110 , 18 , 112 , 30) , 1\nLine(120 , 30 , 117 , 18) , 1\n"
      "Box(66 , 20 , 90 , 28) , 1\n"
      "Circle(45 , 24 , 0) , 1\nCircle(50 , 24 , 1) , 1\nCircle(56 , 24 , 2) , 1\nCircle(100 , 16 , 20) , 1\n"
      "Circle(3 , 3 , 20) , 1\n"
      "PSet(3 , 4) , 0\n";
  auto s = RunOnPanel(body, GetParam());
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  EXPECT_TRUE(s.lcd->Violations().empty()) << Violations(*s.lcd);
  HostDrawing c(kW, kH);
  c.Plot(121, 31);
  c.LineH(10, 2, 70);
  c.LineH(90, 5, 55);
  c.LineV(1, 8, 30);
  c.LineV(61, 28, 12);
  c.Line(20, 10, 40, 14);
  c.Line(40, 16, 20, 19);
  c.Line(20, 20, 23, 30);
  c.Line(30, 30, 28, 20);
  c.Line(100, 10, 80, 12);
  c.Line(80, 16, 100, 14);
  c.Line(110, 18, 112, 30);
  c.Line(120, 30, 117, 18);
  c.Box(66, 20, 90, 28);
  c.Circle(45, 24, 0);
  c.Circle(50, 24, 1);
  c.Circle(56, 24, 2);
  c.Circle(100, 16, 20);
  c.Circle(3, 3, 20);
  c.Plot(3, 4, false);
  EXPECT_TRUE(s.lcd->Panel().SameAs(c.Art(), "sed1520_drawing_" + std::to_string(GetParam())));
}

TEST_P(Sed1520Program, FillInverseImagesAndTextAreCutAtTheEdges) {
  const std::string tables = TestFontTable("Fnt") + "Pic = 3 , 2 , 1 , 2 ,\n3 , 4 , 5 , 6\n";
  const std::string dims = TestFontDim("Fnt") + "Dim Pic(8) As Flash Byte\n";
  const std::string body =
      "GlcdInit\nGCls\nFontSet Fnt\n"
      "Fill(55 , 1 , 66 , 1) , &h0F\nFill(30 , 2 , 25 , 2) , &hFF\nInverse(58 , 0 , 63 , 0)\n"
      "ImgSet(40 , 2) , Pic\nImgSet(120 , 2) , Pic\nImgSet(70 , 3) , Pic\n"
      "GLcd(0 , 0) , \"AB\"\nGLcd(112 , 1) , \"XYZ\"\nGLcd(0 , 3) , Chr(10) ; \"C\"\n";
  auto s = RunOnPanel(body, GetParam(), tables, dims);
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  EXPECT_TRUE(s.lcd->Violations().empty()) << Violations(*s.lcd);
  HostDrawing c(kW, kH);
  for (int x = 55; x <= 66; ++x) c.Bytes(x, 1, {0x0F});
  c.Invert(58, 0, 63, 0);
  c.Bytes(40, 2, {1, 2, 3});
  c.Bytes(40, 3, {4, 5, 6});
  c.Bytes(120, 2, {1, 2});
  c.Bytes(120, 3, {4, 5});
  c.Bytes(70, 3, {1, 2, 3});
  int x = 0;
  for (int code : {'A', 'B'}) {
    c.Bytes(x, 0, TestGlyph(code));
    c.Bytes(x + 5, 0, {0});
    x += 6;
  }
  x = 112;
  for (int code : {'X', 'Y', 'Z'}) {
    c.Bytes(x, 1, TestGlyph(code));
    c.Bytes(x + 5, 1, {0});
    x += 6;
  }
  c.Bytes(0, 3, TestGlyph('C'));
  c.Bytes(5, 3, {0});
  EXPECT_TRUE(s.lcd->Panel().SameAs(c.Art(), "sed1520_fill_text_" + std::to_string(GetParam())));
}

// Bytes at the controllers' last and first columns and the panel's last; nothing sent
// beyond the panel; the start-up reaches both controllers even when T was set.
TEST_P(Sed1520Program, BytesRoundTripOnBothControllersAndStartUpIgnoresT) {
  const std::string dims = "Dim R(6) As Byte\n";
  const std::string body =
      "$asm\n  set\n$end asm\nGlcdInit\nGCls\n"
      "GWrite(60 , 0) , &h81\nGWrite(61 , 1) , &h42\nGWrite(121 , 3) , &h24\n"
      "GWrite(122 , 0) , &hFF\nGWrite(5 , 4) , &hFF\nGWrite(200 , 9) , &hFF\n"
      "R(1) = GRead(60 , 0)\nR(2) = GRead(61 , 1)\nR(3) = GRead(121 , 3)\n"
      "PSet(70 , 13) , 1\nR(4) = Point(70 , 12)\n";
  auto s = RunOnPanel(body, GetParam(), "", dims);
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  EXPECT_TRUE(s.lcd->Violations().empty()) << Violations(*s.lcd);
  EXPECT_TRUE(s.lcd->DisplayOn(0));
  EXPECT_TRUE(s.lcd->DisplayOn(1));
  EXPECT_EQ(s.run->Byte("r", 1), 0x81);
  EXPECT_EQ(s.run->Byte("r", 2), 0x42);
  EXPECT_EQ(s.run->Byte("r", 3), 0x24);
  EXPECT_EQ(s.run->Byte("r", 4), 0x20);
  EXPECT_EQ(s.lcd->Ram(0, 0, 60), 0x81);
  EXPECT_EQ(s.lcd->Ram(1, 1, 0), 0x42);
  EXPECT_EQ(s.lcd->Ram(1, 3, 60), 0x24);
  EXPECT_EQ(s.lcd->Ram(1, 0, 61), 0);
}

INSTANTIATE_TEST_SUITE_P(Clocks, Sed1520Program, testing::Values(1, 4, 8, 16));

// Data and control lines on ports beyond the reach of in/out and sbi/cbi (the m128's F
// and G, the m2560's H to L) are reached through lds/sts.
struct ExtendedPorts {
  const char* device;
  const char* mcu;
  char data;
  char ctrl;
};

class Sed1520ExtendedPorts : public testing::TestWithParam<ExtendedPorts> {};

TEST_P(Sed1520ExtendedPorts, BytesAndPixelsRoundTripOnBothControllers) {
  const ExtendedPorts& p = GetParam();
  const std::string glcd = std::string("$glcd sed1520, data = port") + static_cast<char>(p.data + 32) + ", ctrl = port" +
                           static_cast<char>(p.ctrl + 32) + ", 122, 32\n$gctrl a0 = 0, rw = 1, e1 = 2, e2 = 3\n";
  const std::string source = std::string("$device = ") + p.device + "\n$clock = 16\n$stack = 40\n" + glcd +
                             "Dim R(4) As Byte\nGlcdInit\nGCls\nGWrite(3 , 1) , &h5A\nGWrite(100 , 3) , &hC3\n"
                             "R(1) = GRead(3 , 1)\nR(2) = GRead(100 , 3)\nPSet(70 , 13) , 1\nR(3) = Point(70 , 12)\nEnd\n";
  std::unique_ptr<Sed1520Model> lcd;
  SimOptions options{.mcu = p.mcu, .frequency = 16'000'000u, .max_cycles = 200'000'000};
  auto run = RunBasicWith(source, options, {}, [&](SimRunner& sim) {
    lcd = std::make_unique<Sed1520Model>(sim, Sed1520Wiring{.data_port = p.data, .ctrl_port = p.ctrl}, 16);
  });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_TRUE(lcd->Violations().empty()) << Violations(*lcd);
  EXPECT_EQ(lcd->Ram(0, 1, 3), 0x5A);
  EXPECT_EQ(lcd->Ram(1, 3, 39), 0xC3);
  EXPECT_EQ(run->Byte("r", 1), 0x5A);
  EXPECT_EQ(run->Byte("r", 2), 0xC3);
  EXPECT_EQ(run->Byte("r", 3), 0x20);
}

INSTANTIATE_TEST_SUITE_P(Ports, Sed1520ExtendedPorts,
                         testing::Values(ExtendedPorts{"m128", "atmega128", 'F', 'G'},
                                         ExtendedPorts{"m128", "atmega128", 'A', 'F'},
                                         ExtendedPorts{"m2560", "atmega2560", 'H', 'J'},
                                         ExtendedPorts{"m2560", "atmega2560", 'L', 'K'}),
                         [](const testing::TestParamInfo<ExtendedPorts>& param) {
                           return std::string(param.param.device) + "_data" + param.param.data + "_ctrl" + param.param.ctrl;
                         });

}  // namespace
}  // namespace qbc::test
