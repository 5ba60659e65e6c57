// One program that uses the whole T6963C driver, run on the controller model for each
// panel the driver lays out differently (plain and split addressing, 8 and 6 pixels a
// byte, 8 and 16 MHz): the layer layout and modes, both layers cleared, every figure,
// byte blocks, images, glyphs of two fonts, text-layer items and a point read, each also
// across the panel's edges. The panel
// must show exactly the host's drawing, with every access inside the controller's
// protocol and no byte written outside the two layers.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/host_drawing.h"
#include "tests/support/t6963_program.h"

namespace qbc::test {
namespace {

// A font table: width in display bytes, height in pixel rows, then the glyphs from code
// `first` on, each glyph's bytes following from its code so that every glyph differs.
struct Font {
  int first;
  int count;
  int width;
  int height;

  std::uint8_t Byte(int code, int row, int column) const {
    return static_cast<std::uint8_t>((code * (row + 5) + column * 0x35) ^ (row << 3 | 0x42));
  }
  // Two glyphs a line: the byte lines of a table take even counts.
  std::string Table(const std::string& name) const {
    std::string text = name + " = " + std::to_string(width) + " , " + std::to_string(height) + " ,\n";
    for (int g = 0; g < count; ++g) {
      for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) text += std::to_string(Byte(first + g, row, column)) + " , ";
      if (g % 2 == 1 || g == count - 1) {
        if (g == count - 1) text.resize(text.size() - 3);
        text += "\n";
      }
    }
    return text;
  }
};

struct PanelCase {
  int mhz;
  int height;
  bool split;
  int fs;
};

class T6963Panel : public testing::TestWithParam<PanelCase> {};

TEST_P(T6963Panel, TheWholeDriverGivesExactlyTheExpectedPanel) {
  const PanelCase& c = GetParam();
  const int h = c.height;
  const int ppb = c.fs ? 6 : 8;
  const int columns = 240 / ppb;
  const std::string area = std::to_string(columns);
  auto n = [](int v) { return std::to_string(v); };
  HostDrawing art(240, h);
  std::string body = "Dim I As Integer , P As Byte , Q As Byte , N As Byte , B As Byte , W As Word\n"
                     "Dim Pic(14) As Flash Byte\nDim Pics(20) As Flash Byte\nDim Chars(236) As Flash Byte\n"
                     "Dim Digits(102) As Flash Byte\nI = 95\nN = 2\n";
  auto add = [&](const std::string& line) { body += line + "\n"; };
  // text at 0, graphics from 0x0400, both one byte a column; OR mode, text and graphics on
  add("TxtHomeSet 0\nTxtAreaSet " + area + "\nGrpHomeSet 1024\nGrpAreaSet " + area);
  add("GCommand &H80\nGCommand &H9C\nGCls\nTCls");

  add("PSet(3 , 4) , 1 : PSet(250 , 4) , 1 : PSet(4 , " + n(h) + ") , 1 : PSet(239 , " + n(h - 1) + ") , 1");
  art.Plot(3, 4);
  art.Plot(239, h - 1);
  add("LineH(10 , 2 , 30) , 1 : LineH(60 , 3 , 40) , 1 : LineH(230 , 6 , 250) , 1");
  art.LineH(10, 2, 30);
  art.LineH(40, 3, 60);
  art.LineH(230, 6, 250);
  add("LineV(100 , 1 , 20) , 1 : LineV(102 , 20 , 1) , 1 : LineV(104 , " + n(h - 3) + " , 200) , 1");
  art.LineV(100, 1, 20);
  art.LineV(102, 1, 20);
  art.LineV(104, h - 3, 200);
  const int ends[8][2] = {{150, 22}, {140, 32}, {120, 32}, {110, 22}, {110, 18}, {120, 8}, {140, 8}, {150, 18}};
  for (const auto& e : ends) {
    add("Line(130 , 20 , " + n(e[0]) + " , " + n(e[1]) + ") , 1");
    art.Line(130, 20, e[0], e[1]);
  }
  add("Line(0 , 0 , 100 , I / 3) , 1");
  art.Line(0, 0, 100, 31);
  add("Box(160 , 2 , 200 , 30) , 1 : Box(220 , 40 , 250 , " + n(h + 4) + ") , 1");
  art.Box(160, 2, 200, 30);
  art.Box(220, 40, 250, h + 4);
  add("Circle(20 , 40 , 0) , 1 : Circle(30 , 40 , 1) , 1 : Circle(40 , 40 , 2) , 1 : Circle(70 , 40 , 20) , 1");
  art.Circle(20, 40, 0);
  art.Circle(30, 40, 1);
  art.Circle(40, 40, 2);
  art.Circle(70, 40, 20);
  // across the left and top edges, the right and bottom ones
  add("Circle(5 , 5 , 20) , 1 : Circle(235 , " + n(h - 5) + " , 20) , 1");
  art.Circle(5, 5, 20);
  art.Circle(235, h - 5, 20);
  add("PSet(70 , 20) , 0 : PSet(70 , 40) , 1 : PSet(70 , 40) , 0");
  art.Plot(70, 20, false);

  // byte blocks: Fill, one Inverse, one Inverse twice, both also cut at the edges
  auto fill = [&](int column, int row, int width, int height, int byte) {
    add("Fill(" + n(column) + " , " + n(row) + " , " + n(width) + " , " + n(height) + ") , " + n(byte));
    for (int y = row; y < row + height; ++y)
      art.RowBytes(column, y, ppb, std::vector<std::uint8_t>(static_cast<std::size_t>(width), static_cast<std::uint8_t>(byte)));
  };
  fill(2, 48, 3, 5, 0x96);
  fill(columns - 2, h - 3, 5, 6, 0xFF);
  auto inverse = [&](int column, int row, int width, int height) {
    add("Inverse(" + n(column) + " , " + n(row) + " , " + n(width) + " , " + n(height) + ")");
    art.InvertPixels(column * ppb, row, (column + width) * ppb - 1, row + height - 1);
  };
  inverse(columns / 2, 10, 4, 20);
  inverse(1, 0, 3, 12);
  inverse(1, 0, 3, 12);
  inverse(columns - 1, h - 8, 4, 20);

  // images: a 3 x 4 one, image 2 of three 2 x 3 ones, each inside and across the edges
  const std::vector<std::uint8_t> pic = {0x81, 0x42, 0x24, 0x18, 0xFF, 0x3C, 0xA5, 0x5A, 0x0F, 0xF0, 0x33, 0xCC};
  std::vector<std::uint8_t> pics;
  for (int i = 0; i < 18; ++i) pics.push_back(static_cast<std::uint8_t>(i * 29 + 7));
  auto image = [&](int column, int row, const std::vector<std::uint8_t>& bytes, int width, int height) {
    for (int y = 0; y < height; ++y)
      art.RowBytes(column, row + y, ppb,
                   std::vector<std::uint8_t>(bytes.begin() + y * width, bytes.begin() + (y + 1) * width));
  };
  add("ImgSet(" + n(columns / 3) + " , 44) , Pic : ImgSet(" + n(columns - 1) + " , " + n(h - 2) + ") , Pic");
  image(columns / 3, 44, pic, 3, 4);
  image(columns - 1, h - 2, pic, 3, 4);
  add("ImgSet(" + n(columns / 3 + 5) + " , 44 , N) , Pics : ImgSet(" + n(columns - 1) + " , 20 , 1) , Pics");
  image(columns / 3 + 5, 44, std::vector<std::uint8_t>(pics.begin() + 12, pics.end()), 2, 3);
  image(columns - 1, 20, std::vector<std::uint8_t>(pics.begin() + 6, pics.begin() + 12), 2, 3);

  // glyphs: images of a font table, written whole; GLcd in a character font of one byte
  // by 6 rows (" " to "F"), GNum in a number font of two bytes by 5 rows; inside the
  // panel and across its right and bottom edges
  const Font chars{0x20, 39, 1, 6};
  const Font digits{0x30, 10, 2, 5};
  auto glyphs = [&](const Font& font, int column, int row, const std::string& text) {
    for (char ch : text) {
      for (int y = 0; y < font.height; ++y) {
        std::vector<std::uint8_t> bytes;
        for (int b = 0; b < font.width; ++b) bytes.push_back(font.Byte(ch, y, b));
        art.RowBytes(column, row + y, ppb, bytes);
      }
      column += font.width;
    }
  };
  add("B = 77 : W = 4660\nFontSet Chars");
  add("GLcd(" + n(columns / 2) + " , 34) , \"A\" ; B ; Hex B ; Chr(36)");
  glyphs(chars, columns / 2, 34, "A774D$");
  add("GLcd(" + n(columns - 2) + " , 24) , Hex W : GLcd(3 , " + n(h - 4) + ") , \"12\"");
  glyphs(chars, columns - 2, 24, "1234");
  glyphs(chars, 3, h - 4, "12");
  add("FontSet Digits\nGNum(6 , 56) , W ; \"56\" : GNum(" + n(columns - 3) + " , " + n(h - 2) + ") , 789");
  glyphs(digits, 6, 56, "466056");
  glyphs(digits, columns - 3, h - 2, "789");
  // text-layer items, also cut at the right edge and in the last row
  const int text_rows = h / 8;
  add("TLcd(0 , 0) , \"AB\" ; B ; Hex(B) ; Chr(67)");
  add("TLcd(" + n(columns - 2) + " , " + n(text_rows - 1) + ") , \"XYZ\" : TLcd(4 , 2) , Hex(W) ; W");
  std::vector<std::string> text(static_cast<std::size_t>(text_rows), std::string(static_cast<std::size_t>(columns), '.'));
  text[0].replace(0, 7, "AB774DC");
  text[2].replace(4, 8, "12344660");
  text[static_cast<std::size_t>(text_rows - 1)].replace(static_cast<std::size_t>(columns - 2), 2, "XY");

  // a point read: the byte of the pixel, the panel left as it is
  add("P = Point(" + n(columns / 3 * ppb + 1) + " , 45) : Q = Point(3 , 4)");

  std::string tables = "Pic = 3 , 4 ,\n";
  for (std::size_t i = 0; i < pic.size(); ++i) tables += n(pic[i]) + (i + 1 < pic.size() ? " , " : "\n");
  tables += "Pics = 2 , 3 ,\n";
  for (std::size_t i = 0; i < pics.size(); ++i) tables += n(pics[i]) + (i + 1 < pics.size() ? " , " : "\n");

  tables += chars.Table("Chars") + digits.Table("Digits");

  T6963Shown shown = RunOnT6963(body, c.mhz, {.width = 240, .height = h, .split = c.split, .pixels_per_byte = ppb},
                                {}, 150'000'000, c.fs, tables);
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  const T6963Model& lcd = shown.lcd;
  EXPECT_TRUE(lcd.Violations().empty()) << lcd.Violations().front();
  EXPECT_EQ(lcd.TextHome(), 0);
  EXPECT_EQ(lcd.TextArea(), columns);
  EXPECT_EQ(lcd.GraphicHome(), 1024);
  EXPECT_EQ(lcd.GraphicArea(), columns);
  EXPECT_EQ(lcd.Mode(), 0x00);
  EXPECT_EQ(lcd.DisplayMode(), 0x0C);
  EXPECT_TRUE(lcd.Graphic().SameAs(art.Art(), "t6963_panel_" + std::to_string(c.mhz) + "mhz_" + std::to_string(h) + "_fs" + std::to_string(c.fs)));
  EXPECT_EQ(lcd.Text(), text);
  EXPECT_TRUE(lcd.WritesOutsideLayers().empty()) << lcd.WritesOutsideLayers().size() << " bytes, first at "
                                                 << lcd.WritesOutsideLayers().front();
  EXPECT_EQ(shown.run->Byte("P"), pic[3]);
  // drawn pixel by pixel: the byte's shown pixels, the left one in the top bit used
  int q = 0;
  for (int k = 0; k < ppb; ++k) q = q << 1 | (art.Art()[4][static_cast<std::size_t>(k)] == '#');
  EXPECT_EQ(shown.run->Byte("Q"), q);
  EXPECT_NE(q, 0);
}

std::vector<PanelCase> EveryPanel() {
  std::vector<PanelCase> cases;
  for (int mhz : {8, 16})
    for (bool split : {true, false})
      for (int fs : {0, 1}) cases.push_back({mhz, split ? 128 : 64, split, fs});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Panels, T6963Panel, testing::ValuesIn(EveryPanel()),
                         [](const testing::TestParamInfo<PanelCase>& param) {
                           const PanelCase& c = param.param;
                           return std::string(c.split ? "split" : "plain") + "_fs" + std::to_string(c.fs) + "_" +
                                  std::to_string(c.mhz) + "mhz";
                         });

}  // namespace
}  // namespace qbc::test
