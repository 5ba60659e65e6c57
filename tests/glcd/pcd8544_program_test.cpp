// Programs driving a PCD8544 on the simulator, shown by the pin-level panel model:
// initialisation and clearing, images, text in a font, inverse video and single bytes,
// at 8 and 16 MHz, with every transfer inside the data sheet's timing.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/pcd8544_model.h"

namespace qbc::test {
namespace {

constexpr int kW = 84, kH = 48;

const char* const kGlcdLine = "$glcd pcd8544, sdin = portb.0, sclk = portb.1, dc = portb.2, sce = portb.3\n";

// The test font: 5 columns, one bank, codes 32 to 91; each glyph's bytes derive from its
// code, so that every character looks different.
constexpr int kFirst = 32, kLast = 91, kGlyphW = 5;
std::vector<std::uint8_t> Glyph(int code) {
  if (code == ' ') return {0, 0, 0, 0, 0};
  return {static_cast<std::uint8_t>(code), 0x81, static_cast<std::uint8_t>(code ^ 0x5A), 0x3C,
          static_cast<std::uint8_t>((code >> 1) | 0x80)};
}

// "Fnt = 5, 1," and two glyphs a line (the byte lines of a flash table hold even counts).
std::string FontTable() {
  std::string text = "Fnt = 5 , 1 ,\n";
  for (int c = kFirst; c <= kLast; ++c) {
    for (std::uint8_t b : Glyph(c)) text += std::to_string(b) + " , ";
    if ((c - kFirst) % 2 == 1) {
      if (c == kLast) text.resize(text.size() - 3);
      text += "\n";
    }
  }
  return text;
}
std::string FontDim() { return "Dim Fnt(" + std::to_string(2 + (kLast - kFirst + 1) * kGlyphW) + ") As Flash Byte\n"; }

// Where the driver puts a text: each glyph, then one clear column; nothing right of 83.
int DrawText(std::vector<std::string>& art, int x, int bank, const std::string& text) {
  for (char ch : text) {
    if (static_cast<unsigned char>(ch) < 32) continue;
    for (int i = 0; i <= kGlyphW; ++i)
      for (int bit = 0; bit < 8; ++bit)
        if (x + i < kW) art[static_cast<std::size_t>(bank * 8 + bit)][static_cast<std::size_t>(x + i)] = '.';
    PutColumnBytes(art, x, bank, Glyph(ch));
    x += kGlyphW + 1;
  }
  return x;
}

struct Shown {
  std::unique_ptr<BasicRun> run;
  Pcd8544Model lcd;
};

Shown RunOnPanel(const std::string& body, int mhz, const std::string& tables = "", const std::string& dims = "",
                 const std::string& device = "m8", const std::string& mcu = "atmega8") {
  const std::string source = "$device = " + device + "\n$clock = " + std::to_string(mhz) + "\n$stack = 32\n" + kGlcdLine + dims +
                             body + "End\n" + tables;
  Shown shown{nullptr, Pcd8544Model({}, mhz)};
  SimOptions options{.mcu = mcu, .frequency = static_cast<uint32_t>(mhz) * 1000000u, .max_cycles = 20'000'000};
  shown.run = RunBasicWith(source, options, {}, [&](SimRunner& sim) { shown.lcd.Watch(sim); });
  if (shown.run->ok) shown.lcd.Decode(*shown.run->sim);
  return shown;
}

std::string Violations(const Pcd8544Model& lcd) {
  std::string all;
  for (const auto& v : lcd.Violations()) all += v + "\n";
  return all;
}

class Pcd8544Program : public testing::TestWithParam<int> {};

TEST_P(Pcd8544Program, InitAndGClsGiveABlankPanelInNormalMode) {
  auto s = RunOnPanel("GlcdInit\nGWrite(3, 2), &hFF\nGCls\n", GetParam());
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  EXPECT_TRUE(s.lcd.Violations().empty()) << Violations(s.lcd);
  EXPECT_FALSE(s.lcd.PowerDown());
  EXPECT_FALSE(s.lcd.Extended());
  EXPECT_EQ(s.lcd.DisplayMode(), Pcd8544Model::Mode::Normal);
  EXPECT_EQ(s.lcd.Vop(), 0x48);
  EXPECT_EQ(s.lcd.TemperatureCoefficient(), 2);
  EXPECT_EQ(s.lcd.Bias(), 3);
  EXPECT_EQ(s.lcd.Ram(2, 3), 0);
  EXPECT_TRUE(s.lcd.Panel().SameAs(BlankArt(kW, kH), "pcd_cls"));
}

// Images whole and cut at the right and bottom edges, and one image of a table of images
// chosen by an expression.
TEST_P(Pcd8544Program, ImagesLandWhereExpectedAndAreCutAtTheEdges) {
  const std::string dims = "Dim Pic(18) As Flash Byte , Pics(14) As Flash Byte , N As Byte , X As Byte\n";
  const std::string tables =
      "Pic = 8 , 2 , 1 , 3 , 7 , 15 , 31 , 63 , 127 , 255 ,\n"
      "255 , 126 , 60 , 24 , 24 , 60 , 126 , 255\n"
      "Pics = 4 , 1 , 1 , 2 , 3 , 4 ,\n5 , 6 , 7 , 8 ,\n&hAA , &h55 , &hF0 , &h0F\n";
  const std::string body =
      "GlcdInit\nN = 1 : X = 30\n"
      "ImgSet(10 , 1) , Pic\n"
      "ImgSet(80 , 3) , Pic\n"
      "ImgSet(40 , 5) , Pic\n"
      "ImgSet(60 , 0 , 2) , Pics\n"
      "ImgSet(X + 20 , 0 , N) , Pics\n";
  auto s = RunOnPanel(body, GetParam(), tables, dims);
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  EXPECT_TRUE(s.lcd.Violations().empty()) << Violations(s.lcd);
  const std::vector<std::uint8_t> top = {1, 3, 7, 15, 31, 63, 127, 255};
  const std::vector<std::uint8_t> bottom = {255, 126, 60, 24, 24, 60, 126, 255};
  std::vector<std::string> art = BlankArt(kW, kH);
  PutColumnBytes(art, 10, 1, top);
  PutColumnBytes(art, 10, 2, bottom);
  PutColumnBytes(art, 80, 3, {1, 3, 7, 15});
  PutColumnBytes(art, 80, 4, {255, 126, 60, 24});
  PutColumnBytes(art, 40, 5, top);
  PutColumnBytes(art, 60, 0, {0xAA, 0x55, 0xF0, 0x0F});
  PutColumnBytes(art, 50, 0, {5, 6, 7, 8});
  EXPECT_TRUE(s.lcd.Panel().SameAs(art, "pcd_images"));
}

// Every kind of item, in a 5 x 8 font; text running past column 83 is cut there, and a
// control code draws nothing.
TEST_P(Pcd8544Program, TextItemsInAFontGiveTheExpectedBitmap) {
  const std::string dims =
      FontDim() + "Dim B As Byte , I As Integer , W As Word , L As Long , S As String * 4\n";
  const std::string body =
      "GlcdInit\nFontSet Fnt\nB = 200 : I = -1234 : W = 64488 : L = -100000 : S = \"XY\"\n"
      "GLcd(0 , 0) , \"AB\" ; B\n"
      "GNum(0 , 1) , I ; S\n"
      "GLcd(0 , 2) , W ; Hex B ; Hex W\n"
      "GLcd(0 , 3) , L ; Chr(65)\n"
      "GLcd(78 , 4) , \"QRS\"\n"
      "GLcd(10 , 5) , Chr(10) ; \"Z\" ; B\n";
  auto s = RunOnPanel(body, GetParam(), FontTable(), dims);
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  EXPECT_TRUE(s.lcd.Violations().empty()) << Violations(s.lcd);
  std::vector<std::string> art = BlankArt(kW, kH);
  DrawText(art, 0, 0, "AB200");
  DrawText(art, 0, 1, "-1234XY");
  DrawText(art, 0, 2, "64488C8FBE8");
  DrawText(art, 0, 3, "-100000A");
  DrawText(art, 78, 4, "QRS");
  DrawText(art, 10, 5, "Z200");
  EXPECT_TRUE(s.lcd.Panel().SameAs(art, "pcd_text"));
}

TEST_P(Pcd8544Program, InverseSwitchesInverseVideoOnAndOff) {
  auto s = RunOnPanel("GlcdInit\nGWrite(0 , 0) , 1\nInverse(1)\n", GetParam());
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  EXPECT_EQ(s.lcd.DisplayMode(), Pcd8544Model::Mode::Inverse);
  EXPECT_EQ(s.lcd.Panel().SetPixels(), kW * kH - 1);
  auto n = RunOnPanel("Dim V As Byte\nGlcdInit\nV = 2\nInverse(1)\nInverse(V)\n", GetParam());
  ASSERT_TRUE(n.run->ok) << n.run->Diagnostics();
  EXPECT_EQ(n.lcd.DisplayMode(), Pcd8544Model::Mode::Normal);
  EXPECT_TRUE(s.lcd.Violations().empty() && n.lcd.Violations().empty()) << Violations(s.lcd) << Violations(n.lcd);
}

// One byte at the last column of the last bank; outside the panel nothing is sent.
TEST_P(Pcd8544Program, GWriteChangesOneByteAndNothingOutsideThePanel) {
  auto s = RunOnPanel("GlcdInit\nGWrite(83 , 5) , &h81\nGWrite(84 , 0) , 255\nGWrite(0 , 6) , 255\n"
                      "GWrite(200 , 1) , 255\n",
                      GetParam());
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  EXPECT_TRUE(s.lcd.Violations().empty()) << Violations(s.lcd);
  std::vector<std::string> art = BlankArt(kW, kH);
  PutColumnBytes(art, 83, 5, {0x81});
  EXPECT_TRUE(s.lcd.Panel().SameAs(art, "pcd_gwrite"));
}

INSTANTIATE_TEST_SUITE_P(Clocks, Pcd8544Program, testing::Values(8, 16),
                         [](const testing::TestParamInfo<int>& i) { return std::to_string(i.param) + "MHz"; });

// Lines on ports beyond the reach of sbi/cbi (the m128's port F, the m2560's port K) are
// driven through a read-modify-write of the port.
TEST(Pcd8544Program, LinesOnExtendedIoPortsWriteTheirBytes) {
  struct Case {
    const char* device;
    const char* mcu;
    char port;
  } cases[] = {{"m128", "atmega128", 'F'}, {"m2560", "atmega2560", 'K'}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    const std::string p = std::string("port") + static_cast<char>(c.port + 32);
    const std::string source = std::string("$device = ") + c.device + "\n$clock = 8\n$stack = 32\n$glcd pcd8544, sdin = " +
                               p + ".0, sclk = " + p + ".1, dc = " + p + ".2, sce = " + p + ".3\n" +
                               "GlcdInit\nGCls\nGWrite(83 , 5) , &h81\nGWrite(2 , 1) , &h3C\nEnd\n";
    Pcd8544Wiring wiring{c.port, 0, c.port, 1, c.port, 2, c.port, 3};
    Pcd8544Model lcd(wiring, 8);
    SimOptions options{.mcu = c.mcu, .frequency = 8'000'000u, .max_cycles = 20'000'000};
    auto run = RunBasicWith(source, options, {}, [&](SimRunner& sim) { lcd.Watch(sim); });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    lcd.Decode(*run->sim);
    EXPECT_TRUE(lcd.Violations().empty()) << Violations(lcd);
    EXPECT_EQ(lcd.Ram(5, 83), 0x81);
    EXPECT_EQ(lcd.Ram(1, 2), 0x3C);
  }
}

// The long multiply of the item uses r16 and r17, where the position waits.
TEST(Pcd8544Text, ALongItemDrawsAtItsPosition) {
  const std::string dims = FontDim() + "Dim L As Long\n";
  auto s = RunOnPanel("GlcdInit\nFontSet Fnt\nL = 12\nGLcd(6 , 2) , L * 3\n", 8, FontTable(), dims);
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  std::vector<std::string> art = BlankArt(kW, kH);
  DrawText(art, 6, 2, "36");
  EXPECT_TRUE(s.lcd.Panel().SameAs(art, "pcd_long_item"));
}

// The value's long product uses r16 and r17: the position is loaded after it.
TEST(Pcd8544Text, AValueComputedWithALongLeavesThePositionAlone) {
  auto s = RunOnPanel("Dim L As Long , X As Byte\nGlcdInit\nL = 33 : X = 40\nGWrite(X , 2) , L * 2\n", 8);
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  std::vector<std::string> art = BlankArt(kW, kH);
  PutColumnBytes(art, 40, 2, {66});
  EXPECT_TRUE(s.lcd.Panel().SameAs(art, "pcd_long_value"));
}

// A glyph two banks high over a filled area: its gap (two columns) is cleared in both banks.
TEST(Pcd8544Text, TheGapAfterAGlyphIsClearedInEveryBankOfTheGlyph) {
  const std::string dims = "Dim Block(26) As Flash Byte , Tall(14) As Flash Byte\n";
  std::string tables = "Block = 12 , 2";
  for (int i = 0; i < 24; ++i) tables += " , 255";
  tables += "\nTall = 3 , 2 , 0 , 0 , 0 , 0 , 0 , 0 , 7 , 7 , 7 , 224 , 224 , 224\n";
  auto s = RunOnPanel("GlcdInit\nImgSet(0 , 0) , Block\nFontSet Tall\nGLcd(0 , 0) , Chr(33)\n", 8, tables, dims);
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  std::vector<std::string> art = BlankArt(kW, kH);
  PutColumnBytes(art, 0, 0, {7, 7, 7, 0, 0, 255, 255, 255, 255, 255, 255, 255});
  PutColumnBytes(art, 0, 1, {224, 224, 224, 0, 0, 255, 255, 255, 255, 255, 255, 255});
  EXPECT_TRUE(s.lcd.Panel().SameAs(art, "pcd_glyph_gap"));
}

// The flash reads with elpm, and the calls, of a chip with RAMPZ give the same text.
TEST(Pcd8544Text, TextOnAChipWithRampz) {
  const struct {
    const char* device;
    const char* mcu;
  } chips[] = {{"m128", "atmega128"}};
  for (const auto& chip : chips) {
    auto s = RunOnPanel("Dim B As Byte\nGlcdInit\nFontSet Fnt\nB = 7\nGLcd(1 , 1) , \"AZ\" ; B ; Chr(66)\n", 8, FontTable(),
                        FontDim(), chip.device, chip.mcu);
    ASSERT_TRUE(s.run->ok) << chip.device << "\n" << s.run->Diagnostics();
    EXPECT_TRUE(s.lcd.Violations().empty()) << Violations(s.lcd);
    std::vector<std::string> art = BlankArt(kW, kH);
    DrawText(art, 1, 1, "AZ7B");
    EXPECT_TRUE(s.lcd.Panel().SameAs(art, std::string("pcd_text_") + chip.device)) << chip.device;
  }
}

// A string constant above the first 64 KB with the font below it: each glyph is read from
// the font's page and the next character from the text's.
TEST(Pcd8544Text, TextAndFontOnDifferentFlashPages) {
  auto s = RunOnPanel("GlcdInit\nFontSet Fnt\nGLcd(1 , 1) , \"AZB\"\n", 8,
                      FontTable() + "$asm\n.ORG 0x8100\n$end asm\n", FontDim(), "m128", "atmega128");
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  EXPECT_TRUE(s.lcd.Violations().empty()) << Violations(s.lcd);
  std::vector<std::string> art = BlankArt(kW, kH);
  DrawText(art, 1, 1, "AZB");
  EXPECT_TRUE(s.lcd.Panel().SameAs(art, "pcd_text_far_page"));
}

// FontSet alone (no text item) still has its routine.
TEST(Pcd8544Text, FontSetWithoutTextAssemblesAndSelectsTheFont) {
  auto s = RunOnPanel("GlcdInit\nFontSet Fnt\n", 8, FontTable(), FontDim());
  ASSERT_TRUE(s.run->ok) << s.run->Diagnostics();
  const auto fnt = s.run->sim->Symbol("fnt");
  ASSERT_TRUE(fnt.has_value());
  EXPECT_EQ(s.run->Byte("_fntL") | (s.run->Byte("_fntH") << 8), static_cast<int>(*fnt * 2));
}

}  // namespace
}  // namespace qbc::test
