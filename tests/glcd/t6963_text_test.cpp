// Text on a T6963C, answered live by the controller model: TLcd items as character codes
// in the text layer, GLcd and GNum items as glyphs of a font table in the graphic layer,
// in plain and split addressing, both "fs" settings, at 8 and 16 MHz, on low I/O ports and
// on the m128's extended ones; everything cut at the panel's edges, nothing written
// outside the two layers and every access inside the controller's protocol.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/t6963_model.h"

namespace qbc::test {
namespace {

struct Panel {
  const char* name;
  int mhz;
  int height;
  bool split;
  int fs;
  std::string device = "m32";
  std::string mcu = "atmega32";
  char data = 'A';
  char ctrl = 'C';

  int PerByte() const { return fs ? 6 : 8; }
  int TextColumns() const { return 240 / PerByte(); }
  int ByteColumns() const { return (240 + PerByte() - 1) / PerByte(); }
};

void PrintTo(const Panel& p, std::ostream* os) { *os << p.name; }

struct Shown {
  std::unique_ptr<BasicRun> run;
  T6963Model lcd;
};

// `tables` follow the program's End.
Shown RunOnPanel(const Panel& p, const std::string& body, const std::string& tables = "") {
  T6963Wiring wiring{.data_port = p.data, .ctrl_port = p.ctrl, .width = 240, .height = p.height, .split = p.split,
                     .pixels_per_byte = p.PerByte()};
  const std::string source =
      "$device = " + p.device + "\n$clock = " + std::to_string(p.mhz) + "\n$stack = 48\n" +
      "$glcd t6963c, data = port" + std::string(1, static_cast<char>(p.data + 32)) + ", ctrl = port" +
      std::string(1, static_cast<char>(p.ctrl + 32)) + ", 240, " + std::to_string(p.height) + ", " +
      (p.split ? "2" : "8") + "\n$gctrl rd = 0, wr = 1, cd = 2, ce = 3, fs = " + std::to_string(p.fs) + "\n" + body +
      "End\n" + tables;
  Shown shown{nullptr, T6963Model(wiring, p.mhz)};
  shown.lcd.Preset(0);
  SimOptions options{.mcu = p.mcu, .frequency = static_cast<uint32_t>(p.mhz) * 1000000u, .max_cycles = 60'000'000};
  shown.run = RunBasicWith(source, options, {}, [&](SimRunner& sim) { shown.lcd.Attach(sim); });
  return shown;
}

void ExpectClean(const Shown& shown) {
  EXPECT_TRUE(shown.lcd.Violations().empty()) << shown.lcd.Violations().front();
  EXPECT_TRUE(shown.lcd.WritesOutsideLayers().empty())
      << shown.lcd.WritesOutsideLayers().size() << " bytes, first at " << shown.lcd.WritesOutsideLayers().front();
}

const Panel kPanels[] = {
    {"plain_fs0_8mhz", 8, 64, false, 0},
    {"split_fs1_16mhz", 16, 128, true, 1},
    {"split_fs0_8mhz", 8, 128, true, 0},
    {"plain_fs1_16mhz", 16, 64, false, 1},
    // PORTF's DDR and PORT and all of port G lie in extended I/O, PINF at I/O 0
    {"m128_ports_f_g", 16, 128, true, 0, "m128", "atmega128", 'F', 'G'},
};

class T6963Text : public testing::TestWithParam<Panel> {};

// The text layer as the model shows it: a row of codes per text row, '.' for code 0 (a
// blank), the character otherwise.
class TextArt {
 public:
  TextArt(int columns, int rows) : rows_(static_cast<std::size_t>(rows), std::string(static_cast<std::size_t>(columns), '.')) {}
  // The text from column `x` of row `y`, cut at the panel's right edge.
  void Put(int x, int y, const std::string& text) {
    for (char ch : text) {
      if (y < static_cast<int>(rows_.size()) && x < static_cast<int>(rows_[0].size())) rows_[y][x] = ch == ' ' ? '.' : ch;
      ++x;
    }
  }
  const std::vector<std::string>& Rows() const { return rows_; }

 private:
  std::vector<std::string> rows_;
};

// Every kind of TLcd item, several per statement (each continues where the one before
// ended), at the last column, past the right edge and below the last row.
TEST_P(T6963Text, TLcdItemsGiveExactlyTheirCodes) {
  const Panel& p = GetParam();
  const int cols = p.TextColumns(), rows = p.height / 8;
  const std::string c = std::to_string(cols), r = std::to_string(rows);
  const std::string body =
      "Dim B As Byte , I As Integer , W As Word , L As Long , S As String * 10 , K As Byte\n"
      "TxtHomeSet 0\nTxtAreaSet " + c + "\nGrpHomeSet 2048\nGrpAreaSet " + c + "\nGCommand 128\nGCommand 156\n"
      "TCls\nGCls\n"
      "B = 200 : I = -1234 : W = 65000 : L = -123456 : S = \"str\" : K = 3\n"
      "TLcd(0 , 0) , \"Hi \" ; B ; \"|\" ; I ; \"!\" ; \"not\"\n"
      "TLcd(1 , 1) , W ; L ; S\n"
      "TLcd(K , K + 1) , Hex(B) ; \"=\" ; Hex(W) ; Hex(I) ; Chr(65) ; Chr(B - 133)\n"
      "TLcd(" + std::to_string(cols - 1) + " , 3) , \"XYZ\"\n"
      "TLcd(" + std::to_string(cols - 2) + " , 5) , S ; 7\n"
      "TLcd(" + std::to_string(cols + 2) + " , 6) , \"Q\" ; Chr(66) ; Hex(B) ; B\n"
      "TLcd(250 , 6) , \"abcdefghij\"\n"
      "TLcd(0 , " + r + ") , \"below\" ; Chr(67)\n"
      "TLcd(0 , " + std::to_string(rows - 1) + ") , \"\" ; \"last\"\n";
  Shown shown = RunOnPanel(p, body);
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  ExpectClean(shown);
  TextArt art(cols, rows);
  art.Put(0, 0, "Hi 200|-1234!not");  // texts that spell the Not operator are texts
  art.Put(1, 1, "65000-123456str");
  art.Put(3, 4, "C8=FDE8FB2EAC");
  art.Put(cols - 1, 3, "X");
  art.Put(cols - 2, 5, "st");
  art.Put(0, rows - 1, "last");
  EXPECT_EQ(shown.lcd.Text(), art.Rows());
  EXPECT_TRUE(shown.lcd.Graphic().SameAs({}, std::string("t6963_text_graphic_") + p.name));
}

// A text area narrower than the panel: a row ends at the area's last column, not in the
// next row.
TEST(T6963TextArea, ARowEndsAtTheTextAreasLastColumn) {
  const Panel p{"area", 16, 64, false, 0};
  Shown shown = RunOnPanel(p, "TxtHomeSet 0\nTxtAreaSet 20\nTCls\nTLcd(18 , 0) , \"ABCD\" ; 1234\nTLcd(19 , 1) , Chr(69)\n"
                              "TLcd(20 , 2) , Chr(70)\n");
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  ExpectClean(shown);
  EXPECT_EQ(shown.lcd.Memory(18), 'A' - 0x20);
  EXPECT_EQ(shown.lcd.Memory(19), 'B' - 0x20);
  EXPECT_EQ(shown.lcd.Memory(20), 0) << "row 1 starts here";
  EXPECT_EQ(shown.lcd.Memory(20 + 19), 'E' - 0x20);
  EXPECT_EQ(shown.lcd.Memory(40), 0) << "row 2 starts here";
  EXPECT_EQ(shown.lcd.Memory(60), 0);
}

// TLcd alone needs the text address routine although no layout statement asked for it
// (the label was undefined and the program did not assemble).
TEST(T6963TextAlone, TLcdWithoutLayoutStatementsAssemblesAndRuns) {
  const Panel p{"alone", 8, 64, false, 0};
  Shown shown = RunOnPanel(p, "Dim N As Byte\nN = 1\nTLcd(2 , 0) , \"A\" ; N\n");
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  EXPECT_TRUE(shown.lcd.Violations().empty()) << shown.lcd.Violations().front();
  EXPECT_NE(shown.run->compiled.asm_text.find("_TtAdr:"), std::string::npos);
}

// The fonts of the glyph tests, image tables: one header (width in display bytes, height
// in pixel rows) and the glyphs back to back. The character font has glyphs of one byte by
// 7 rows for " " to "_", the number font glyphs of two bytes by 5 rows for "0" to "9";
// each glyph's bytes follow from its code, so that every glyph looks different.
struct Font {
  int first;
  int count;
  int width;
  int height;

  std::uint8_t Byte(int code, int row, int column) const {
    if (code == ' ') return 0;
    return static_cast<std::uint8_t>((code * (row + 3) + column * 0x55) ^ (row << 4 | 0x81));
  }
  std::string Dim(const std::string& name) const {
    return "Dim " + name + "(" + std::to_string(2 + count * width * height) + ") As Flash Byte\n";
  }
  // Two glyphs a line: the byte lines of a table take even counts.
  std::string Table(const std::string& name) const {
    std::string text = name + " = " + std::to_string(width) + " , " + std::to_string(height) + " ,\n";
    for (int n = 0; n < count; ++n) {
      for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) text += std::to_string(Byte(first + n, row, column)) + " , ";
      if (n % 2 == 1 || n == count - 1) {
        if (n == count - 1) text.resize(text.size() - 3);
        text += "\n";
      }
    }
    return text;
  }
};

const Font kCharFont{0x20, 64, 1, 7};
const Font kNumberFont{0x30, 10, 2, 5};

// The graphic layer drawn on the host: glyph bytes at a byte column and pixel row, the
// left pixel in the top bit of the byte's `per_byte` bits, cut at the panel's edges.
class GlyphArt {
 public:
  GlyphArt(const Panel& p) : per_byte_(p.PerByte()), height_(p.height), rows_(static_cast<std::size_t>(p.height), std::string(240, '.')) {}
  // The glyphs of `text` from byte column `column` on; returns the column after them.
  int Print(const Font& font, int column, int row, const std::string& text) {
    for (char ch : text) {
      for (int y = 0; y < font.height; ++y)
        for (int b = 0; b < font.width; ++b)
          for (int i = 0; i < per_byte_; ++i) {
            const int x = (column + b) * per_byte_ + i;
            if (x < 240 && row + y < height_ && (font.Byte(ch, y, b) >> (per_byte_ - 1 - i) & 1))
              rows_[static_cast<std::size_t>(row + y)][static_cast<std::size_t>(x)] = '#';
          }
      column += font.width;
    }
    return column;
  }
  const std::vector<std::string>& Rows() const { return rows_; }

 private:
  int per_byte_;
  int height_;
  std::vector<std::string> rows_;
};

// GLcd items in the character font and GNum items in the number font, side by side within
// a statement, at the last byte column and across the right and bottom edges (a text far
// to the right does not come round to the left), and in the lower half of a split panel:
// exactly the pixels of the same glyphs drawn on the host.
TEST_P(T6963Text, GLcdAndGNumDrawExactlyTheirGlyphs) {
  const Panel& p = GetParam();
  const int cols = p.ByteColumns(), h = p.height;
  const std::string c = std::to_string(cols);
  const std::string body =
      kCharFont.Dim("Chars") + kNumberFont.Dim("Digits") +
      "Dim B As Byte , W As Word , S As String * 8 , D As String * 4 , K As Byte\n"
      "TxtHomeSet 0\nTxtAreaSet " + c + "\nGrpHomeSet 2048\nGrpAreaSet " + c + "\nGCommand 128\nGCommand 156\n"
      "TCls\nGCls\n"
      "B = 77 : W = 4660 : S = \"S=1\" : D = \"90\" : K = 2\n"
      "FontSet Chars\n"
      "GLcd(0 , 0) , \"AB\" ; B ; S\n"
      "GLcd(K , 9) , Hex B ; Hex W ; Chr(B) ; Chr(10) ; \"=\"\n"
      "GLcd(" + std::to_string(cols - 1) + " , 20) , \"XYZ\"\n"
      "GLcd(" + std::to_string(cols + 1) + " , 30) , \"Q\" ; Hex B\n"
      "GLcd(5 , " + std::to_string(h - 3) + ") , \"_^\"\n"
      "GLcd(250 , 50) , \"ABCDEFGHIJ\"\n"
      "GLcd(9 , " + std::to_string(h / 2 + 1) + ") , \"SPLIT\"\n"
      "FontSet Digits\n"
      "GNum(1 , 40) , W ; \"56\" ; D ; -3 ; 4\n"
      "GNum(" + std::to_string(cols - 1) + " , 30) , 7\n"
      "GNum(20 , " + std::to_string(h - 2) + ") , 89\n";
  Shown shown = RunOnPanel(p, body, kCharFont.Table("Chars") + kNumberFont.Table("Digits"));
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  ExpectClean(shown);
  GlyphArt art(p);
  art.Print(kCharFont, 0, 0, "AB77S=1");
  art.Print(kCharFont, 2, 9, "4D1234M=");
  art.Print(kCharFont, cols - 1, 20, "XYZ");
  art.Print(kCharFont, 5, h - 3, "_^");
  art.Print(kCharFont, 9, h / 2 + 1, "SPLIT");
  // the number font ends a text at its first character below "0": "-3" prints nothing
  art.Print(kNumberFont, 1, 40, "466056904");
  art.Print(kNumberFont, cols - 1, 30, "7");
  art.Print(kNumberFont, 20, h - 2, "89");
  EXPECT_TRUE(shown.lcd.Graphic().SameAs(art.Rows(), std::string("t6963_glyphs_") + p.name));
  for (const std::string& row : shown.lcd.Text()) EXPECT_EQ(row, std::string(static_cast<std::size_t>(p.TextColumns()), '.'));
}

// On the m128 a string constant above the first 64 KB with the font below it: each glyph
// is read from the font's page and the next character from the text's.
TEST(T6963TextPage, TextAndFontOnDifferentFlashPages) {
  const Panel& p = kPanels[4];
  const std::string c = std::to_string(p.ByteColumns());
  const std::string body = kCharFont.Dim("Chars") + "TxtHomeSet 0\nTxtAreaSet " + c + "\nGrpHomeSet 2048\nGrpAreaSet " + c +
                           "\nGCommand 128\nGCommand 156\nTCls\nGCls\nFontSet Chars\nGLcd(3 , 8) , \"AZB\"\n";
  Shown shown = RunOnPanel(p, body, kCharFont.Table("Chars") + "$asm\n.ORG 0x8100\n$end asm\n");
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  ExpectClean(shown);
  GlyphArt art(p);
  art.Print(kCharFont, 3, 8, "AZB");
  EXPECT_TRUE(shown.lcd.Graphic().SameAs(art.Rows(), "t6963_glyphs_far_page"));
}

INSTANTIATE_TEST_SUITE_P(Panels, T6963Text, testing::ValuesIn(kPanels),
                         [](const testing::TestParamInfo<Panel>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace qbc::test
