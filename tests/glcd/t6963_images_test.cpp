// ImgSet on a T6963C, shown by the controller model: one image and one image of a table,
// at the origin, inside the panel, across the right and bottom edges and beyond the last
// byte column or row, and images of no width or height; in both "fs" forms, plain and
// split addressing, on a chip whose flash read steps Z by itself and on one that steps it
// with adiw.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/host_drawing.h"
#include "tests/support/t6963_program.h"

namespace qbc::test {
namespace {

struct Image {
  const char* name;
  int width;   // display bytes
  int height;  // pixel rows
  int count;   // images in the table
  std::vector<std::uint8_t> bytes;
};

// Bytes whose pixels differ in every position of both byte forms.
std::vector<std::uint8_t> Pattern(int count, int seed) {
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<std::uint8_t>((i + seed) * 37 + 5));
  return bytes;
}

// The table as the program's data lines, its Dim line into `dims`.
std::string Table(const Image& image, std::string& dims) {
  dims += "Dim " + std::string(image.name) + "(" + std::to_string(2 + image.bytes.size()) + ") As Flash Byte\n";
  std::string text = std::string(image.name) + " = " + std::to_string(image.width) + " , " +
                     std::to_string(image.height);
  if (!image.bytes.empty()) text += " ,\n";
  for (std::size_t i = 0; i < image.bytes.size(); ++i)
    text += std::to_string(image.bytes[i]) + (i + 1 < image.bytes.size() ? " , " : "");
  return text + "\n";
}

// Image n of the table drawn from byte column `column`, row `row` on.
void Draw(HostDrawing& art, const Image& image, int n, int column, int row, int pixels_per_byte) {
  const auto first = image.bytes.begin() + n * image.width * image.height;
  for (int y = 0; y < image.height; ++y) {
    const auto line = first + y * image.width;
    art.RowBytes(column, row + y, pixels_per_byte, std::vector<std::uint8_t>(line, line + image.width));
  }
}

struct ImageCase {
  const char* name;
  int mhz;
  int height;
  bool split;
  int fs;
  T6963Board board;
};

class T6963Images : public testing::TestWithParam<ImageCase> {};

// The graphic layer's area is the panel's byte columns, so that a byte written beyond the
// right edge would show on the next row; one beyond the bottom would land outside both
// layers, one beyond column or row 255 on the left or top of the panel. Zero and Flat come before Pic in flash, so a walk through 256
// columns or rows would draw Pic's bytes and what follows.
TEST_P(T6963Images, ImagesGiveTheirBytesInsideThePanelOnly) {
  const ImageCase& c = GetParam();
  const int ppb = c.fs ? 6 : 8;
  const int columns = 240 / ppb;
  const int h = c.height;
  const Image zero{"Zero", 0, 5, 1, {}};
  const Image flat{"Flat", 4, 0, 1, {}};
  const Image pic{"Pic", 3, 4, 1, Pattern(12, 0)};
  const Image pics{"Pics", 2, 3, 3, Pattern(18, 20)};
  std::string dims = "Dim N As Byte\n";
  const std::string tables = Table(zero, dims) + Table(flat, dims) + Table(pic, dims) + Table(pics, dims);
  const std::string area = std::to_string(columns);
  std::string body = dims + "TxtHomeSet 0\nTxtAreaSet " + area + "\nGrpHomeSet 512\nGrpAreaSet " + area +
                     "\nGCls\nTCls\nN = 2\n";
  HostDrawing art(240, h);
  auto img = [&](int column, int row, const Image& image, int n, const std::string& index) {
    body += "ImgSet(" + std::to_string(column) + " , " + std::to_string(row) + index + ") , " + image.name + "\n";
    Draw(art, image, n, column, row, ppb);
  };
  img(0, 0, pic, 0, "");
  img(12, 20, pic, 0, "");
  img(columns - 1, 10, pic, 0, "");  // two of three columns beyond the right edge
  img(5, h - 2, pic, 0, "");         // two of four rows beyond the bottom
  img(254, 30, pic, 0, "");          // columns 254, 255 and, wrapped, 0
  img(20, 254, pic, 0, "");          // rows 254, 255 and, wrapped, 0 and 1
  img(8, 30, pics, 2, " , N");
  img(columns - 1, h - 1, pics, 1, " , 1");
  img(4, 40, pics, 0, " , 0");
  img(3, 3, zero, 0, "");
  img(3, 3, flat, 0, "");
  img(3, 3, zero, 0, " , 0");
  T6963Shown shown = RunOnT6963(body, c.mhz, {.width = 240, .height = h, .split = c.split, .pixels_per_byte = ppb},
                                c.board, 20'000'000, c.fs, tables);
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  const T6963Model& lcd = shown.lcd;
  EXPECT_TRUE(lcd.Violations().empty()) << lcd.Violations().front();
  EXPECT_TRUE(lcd.Graphic().SameAs(art.Art(), std::string("t6963_images_") + c.name));
  for (const std::string& row : lcd.Text()) EXPECT_EQ(row, std::string(static_cast<std::size_t>(columns), '.'));
  EXPECT_TRUE(lcd.WritesOutsideLayers().empty()) << lcd.WritesOutsideLayers().size() << " bytes, first at "
                                                 << lcd.WritesOutsideLayers().front();
}

INSTANTIATE_TEST_SUITE_P(
    Panels, T6963Images,
    testing::Values(ImageCase{"plain_fs0_16mhz", 16, 64, false, 0, {}},
                    ImageCase{"split_fs1_16mhz", 16, 128, true, 1, {}},
                    // elpm with post-increment; data and control lines in extended I/O
                    ImageCase{"m128_fs1_8mhz", 8, 64, false, 1, {"m128", "atmega128", 'F', 'G'}},
                    // lpm into r0, Z stepped with adiw
                    ImageCase{"m168_fs0_8mhz", 8, 64, false, 0, {"m168", "atmega168", 'D', 'C'}}),
    [](const testing::TestParamInfo<ImageCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace qbc::test
