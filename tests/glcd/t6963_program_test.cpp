// Programs driving a T6963C on the simulator, answered live by the controller model: the
// layer layout set by the program, both layers cleared, bytes written and read back, in
// plain and split addressing at 8 and 16 MHz, figures drawn pixel by pixel, on low I/O ports and on the m128's extended
// ports, with every access inside the controller's protocol.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/t6963_program.h"

namespace qbc::test {
namespace {

using Shown = T6963Shown;
using Board = T6963Board;

Shown RunOnPanel(const std::string& body, int mhz, T6963Wiring wiring, const Board& board = {},
                 std::uint64_t max_cycles = 20'000'000, int fs = -1) {
  return RunOnT6963(body, mhz, wiring, board, max_cycles, fs);
}

// Text at 0, 30 characters a row; graphics at 0x0200, 30 bytes a row. Both layers
// cleared, then single bytes written where they show and read back: 0xA5 has bit 1 clear,
// which a read that waited on the status bits with C/D low never got past.
std::string LayoutBody(int height) {
  const std::string last = std::to_string(height - 1);
  return "Dim B As Byte , C As Byte , D As Byte\n"
         "TxtHomeSet 0\nTxtAreaSet 30\nGrpHomeSet 512\nGrpAreaSet 30\n"
         "GCommand 128\nGCommand 156\n"
         "GCls\nTCls\n"
         "GWrite (2 , 5) , 165\nGWrite (29 , " + last + ") , 1\nGWrite (0 , 40) , 128\n"
         "B = GRead(2 , 5)\nC = GRead(29 , " + last + ")\nD = GRead(3 , 5)\n";
}

std::vector<std::string> LayoutArt(int height) {
  std::vector<std::string> art(static_cast<std::size_t>(height), std::string(240, '.'));
  art[5].replace(16, 8, "#.#..#.#");
  art[static_cast<std::size_t>(height - 1)][239] = '#';
  art[40][0] = '#';
  return art;
}

struct LayoutCase {
  const char* name;
  int mhz;
  int height;
  bool split;
  Board board;
};

class T6963Layout : public testing::TestWithParam<LayoutCase> {};

TEST_P(T6963Layout, ClearsBothLayersAndWritesAndReadsBytesWhereTheyShow) {
  const LayoutCase& c = GetParam();
  Shown shown = RunOnPanel(LayoutBody(c.height), c.mhz, {.width = 240, .height = c.height, .split = c.split}, c.board);
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  const T6963Model& lcd = shown.lcd;
  EXPECT_TRUE(lcd.Violations().empty()) << lcd.Violations().front();
  EXPECT_EQ(lcd.TextHome(), 0);
  EXPECT_EQ(lcd.TextArea(), 30);
  EXPECT_EQ(lcd.GraphicHome(), 512);
  EXPECT_EQ(lcd.GraphicArea(), 30);
  EXPECT_EQ(lcd.DisplayMode(), 0x0C);
  EXPECT_TRUE(lcd.Graphic().SameAs(LayoutArt(c.height), std::string("t6963_layout_") + c.name));
  for (const std::string& row : lcd.Text()) EXPECT_EQ(row, std::string(30, '.'));
  EXPECT_TRUE(lcd.WritesOutsideLayers().empty()) << lcd.WritesOutsideLayers().size() << " bytes, first at "
                                                 << lcd.WritesOutsideLayers().front();
  EXPECT_EQ(shown.run->Byte("B"), 0xA5);
  EXPECT_EQ(shown.run->Byte("C"), 0x01);
  EXPECT_EQ(shown.run->Byte("D"), 0x00);
  if (c.split) {
    EXPECT_EQ(lcd.Memory(0x8000 + 512 + 29 + 30 * (c.height / 2 - 1)), 0x01);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Panels, T6963Layout,
    testing::Values(LayoutCase{"plain_8mhz", 8, 64, false, {}}, LayoutCase{"plain_16mhz", 16, 64, false, {}},
                    LayoutCase{"split_16mhz", 16, 128, true, {}}, LayoutCase{"split_8mhz", 8, 128, true, {}},
                    // PORTF's DDR and PORT and all of port G lie in extended I/O, PINF at I/O 0;
                    // the data bus needs a port of eight pins (port G has five), all of
                    // port K's registers lie in extended I/O
                    LayoutCase{"m128_ports_f_g", 16, 64, false, {"m128", "atmega128", 'F', 'G'}},
                    LayoutCase{"m2560_ports_k_f", 16, 64, false, {"m2560", "atmega2560", 'K', 'F'}}),
    [](const testing::TestParamInfo<LayoutCase>& param) { return std::string(param.param.name); });

// A display that never reports ready (missing, unpowered) slows every access to a few
// milliseconds instead of holding the program in its status wait for ever.
TEST(T6963Timeout, AProgramReachesItsEndWithoutAReadyDisplay) {
  Shown shown = RunOnPanel("Dim B As Byte\nGrpHomeSet 0\nGrpAreaSet 30\nGWrite (1 , 1) , 7\nB = GRead(1 , 1)\n", 16,
                           {.width = 240, .height = 64, .never_ready = true}, {}, 40'000'000);
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  EXPECT_GT(shown.lcd.StatusReads(), 100);
}

// The expected drawing, point by point as the controller is told to draw it: the line
// steps its major axis and moves on the minor one whenever an accumulator that starts at
// half the major distance reaches it; the circle is the midpoint circle, its eight
// symmetric points; nothing outside 0 to 255 or the panel.
class Art {
 public:
  Art(int width, int height) : width_(width), height_(height), rows_(static_cast<std::size_t>(height), std::string(static_cast<std::size_t>(width), '.')) {}
  void Put(int x, int y) {
    if (x >= 0 && x < width_ && y >= 0 && y < height_) rows_[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = '#';
  }
  void Line(int x1, int y1, int x2, int y2) {
    const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    const int sx = x2 >= x1 ? 1 : -1, sy = y2 >= y1 ? 1 : -1;
    const bool x_major = dx >= dy;
    const int major = x_major ? dx : dy, minor = x_major ? dy : dx;
    int acc = major / 2, x = x1, y = y1;
    for (int i = 0; i <= major; ++i) {
      Put(x & 0xFF, y & 0xFF);
      acc += minor;
      if (acc >= major) {
        acc -= major;
        if (x_major) y += sy; else x += sx;
      }
      if (x_major) x += sx; else y += sy;
    }
  }
  void Circle(int cx, int cy, int r) {
    int x = 0, y = r, d = 1 - r;
    Octants(cx, cy, x, y);
    while (x < y) {
      ++x;
      if (d < 0) {
        d += 2 * x + 1;
      } else {
        --y;
        d += 2 * (x - y) + 1;
      }
      Octants(cx, cy, x, y);
    }
  }
  const std::vector<std::string>& Rows() const { return rows_; }

 private:
  void Octants(int cx, int cy, int x, int y) {
    for (auto [px, py] : {std::pair{cx + x, cy + y}, {cx + x, cy - y}, {cx - x, cy + y}, {cx - x, cy - y},
                          {cx + y, cy + x}, {cx + y, cy - x}, {cx - y, cy + x}, {cx - y, cy - x}})
      if (px >= 0 && px <= 255 && py >= 0 && py <= 255) Put(px, py);
  }
  int width_, height_;
  std::vector<std::string> rows_;
};

struct DrawCase {
  const char* name;
  int mhz;
  int height;
  bool split;
  int fs;
};

class T6963Drawing : public testing::TestWithParam<DrawCase> {};

// Every figure on a cleared panel, also across the edges: each must give exactly its
// pixels, nothing outside the panel, no byte written outside the two layers.
TEST_P(T6963Drawing, FiguresGiveExactlyTheirPixels) {
  const DrawCase& c = GetParam();
  const int h = c.height;
  Art art(240, h);
  std::string body = "Dim I As Integer\nI = 95\nGrpHomeSet 512\nGrpAreaSet 40\nTxtHomeSet 0\nTxtAreaSet 40\nGCls\n";
  auto add = [&](const std::string& line) { body += line + "\n"; };
  add("PSet(3 , 4) , 1");
  art.Put(3, 4);
  add("PSet(250 , 4) , 1 : PSet(4 , " + std::to_string(h) + ") , 1");  // outside: nothing
  add("LineH(10 , 2 , 30) , 1 : LineH(60 , 3 , 40) , 1");
  art.Line(10, 2, 30, 2);
  art.Line(40, 3, 60, 3);
  add("LineV(100 , 1 , 20) , 1 : LineV(102 , 20 , 1) , 1 : LineV(104 , 0 , 200) , 1");
  art.Line(100, 1, 100, 20);
  art.Line(102, 1, 102, 20);
  art.Line(104, 0, 104, 200);
  // the eight octants from one centre
  const int ends[8][2] = {{150, 22}, {140, 32}, {120, 32}, {110, 22}, {110, 18}, {120, 8}, {140, 8}, {150, 18}};
  for (const auto& e : ends) {
    add("Line(130 , 20 , " + std::to_string(e[0]) + " , " + std::to_string(e[1]) + ") , 1");
    art.Line(130, 20, e[0], e[1]);
  }
  add("Line(0 , 0 , 100 , I / 3) , 1");
  art.Line(0, 0, 100, 31);
  add("Box(160 , 2 , 200 , 30) , 1");
  art.Line(160, 2, 200, 2);
  art.Line(160, 30, 200, 30);
  art.Line(160, 2, 160, 30);
  art.Line(200, 2, 200, 30);
  add("Circle(20 , 40 , 0) , 1 : Circle(30 , 40 , 1) , 1 : Circle(40 , 40 , 2) , 1");
  art.Circle(20, 40, 0);
  art.Circle(30, 40, 1);
  art.Circle(40, 40, 2);
  add("Circle(80 , 40 , 20) , 1 : Circle(5 , 5 , 20) , 1 : Circle(235 , " + std::to_string(h - 5) + " , 20) , 1");
  art.Circle(80, 40, 20);
  art.Circle(5, 5, 20);
  art.Circle(235, h - 5, 20);
  add("PSet(80 , 40) , 1 : PSet(80 , 40) , 0");
  Shown shown = RunOnPanel(body, c.mhz,
                           {.width = 240, .height = h, .split = c.split, .pixels_per_byte = c.fs ? 6 : 8}, {},
                           60'000'000, c.fs);
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  EXPECT_TRUE(shown.lcd.Violations().empty()) << shown.lcd.Violations().front();
  EXPECT_TRUE(shown.lcd.Graphic().SameAs(art.Rows(), std::string("t6963_drawing_") + c.name));
  EXPECT_TRUE(shown.lcd.WritesOutsideLayers().empty()) << shown.lcd.WritesOutsideLayers().front();
}

INSTANTIATE_TEST_SUITE_P(Panels, T6963Drawing,
                         testing::Values(DrawCase{"plain_fs0_16mhz", 16, 64, false, 0},
                                         DrawCase{"split_fs1_8mhz", 8, 128, true, 1},
                                         DrawCase{"split_fs0_16mhz", 16, 128, true, 0},
                                         DrawCase{"plain_fs1_8mhz", 8, 64, false, 1}),
                         [](const testing::TestParamInfo<DrawCase>& param) { return std::string(param.param.name); });

// A circle of radius 1 is the four points around its centre (1 - r computed in 8 bits
// made d = -256 and a 3 x 3 square); a reversed LineH draws its span, not the wrap through
// x = 255 round the panel.
TEST(T6963Drawing, SmallCircleAndReversedLine) {
  Shown shown = RunOnPanel("GrpHomeSet 0\nGrpAreaSet 30\nGCls\nCircle(2 , 2 , 1) , 1\nLineH(9 , 5 , 6) , 1\n", 16,
                           {.width = 240, .height = 64});
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  EXPECT_TRUE(shown.lcd.Graphic().SameAs({"", "..#", ".#.#", "..#", "", "......####"}, "t6963_small"));
}

// Point gives the byte holding the pixel and leaves the panel as it was (it used to set or
// clear the pixel with whatever colour was last in r13 before reading).
TEST(T6963Point, GivesTheByteAndLeavesThePanel) {
  for (int fs : {0, 1}) {
    Shown shown = RunOnPanel("Dim A As Byte , B As Byte , C As Byte\nGrpHomeSet 0\nGrpAreaSet 40\nGCls\n"
                             "GWrite (2 , 3) , 33\nPSet(30 , 9) , 1\nA = Point(17 , 3)\nB = Point(0 , 9)\n"
                             "C = Point(250 , 3)\n",
                             16, {.width = 240, .height = 64, .pixels_per_byte = fs ? 6 : 8}, {}, 20'000'000, fs);
    ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
    const int ppb = fs ? 6 : 8;
    std::vector<std::string> art(10);
    art[3] = std::string(static_cast<std::size_t>(2 * ppb), '.') + (fs ? "#....#" : "..#....#");
    art[9] = std::string(30, '.') + "#";
    EXPECT_TRUE(shown.lcd.Graphic().SameAs(art, "t6963_point_fs" + std::to_string(fs)));
    EXPECT_EQ(shown.run->Byte("A"), 33) << fs;
    EXPECT_EQ(shown.run->Byte("B"), 0) << fs;
    EXPECT_EQ(shown.run->Byte("C"), 0) << fs;
    EXPECT_TRUE(shown.lcd.Violations().empty()) << shown.lcd.Violations().front();
  }
}

// Fill writes its byte to a block of whole bytes, cut at the right and bottom edges (it ran
// on into the next rows and the text layer), and an empty block writes nothing (it wrapped
// through 256 columns or rows).
TEST(T6963Fill, FillsItsBlockInsideThePanelOnly) {
  Shown shown = RunOnPanel("GrpHomeSet 512\nGrpAreaSet 30\nTxtHomeSet 0\nTxtAreaSet 30\nGCls\n"
                           "Fill(1 , 2 , 2 , 3) , 129\nFill(28 , 62 , 10 , 10) , 255\nFill(5 , 5 , 0 , 3) , 255\n"
                           "Fill(5 , 5 , 3 , 0) , 255\n",
                           16, {.width = 240, .height = 64});
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  std::vector<std::string> art(64);
  for (int y = 2; y < 5; ++y) art[static_cast<std::size_t>(y)] = "........#......##......#";
  for (int y = 62; y < 64; ++y) art[static_cast<std::size_t>(y)] = std::string(224, '.') + std::string(16, '#');
  EXPECT_TRUE(shown.lcd.Graphic().SameAs(art, "t6963_fill"));
  EXPECT_TRUE(shown.lcd.WritesOutsideLayers().empty()) << shown.lcd.WritesOutsideLayers().front();
  EXPECT_TRUE(shown.lcd.Violations().empty()) << shown.lcd.Violations().front();
}

// Inverse complements each byte of its block, cut at the edges; twice gives the panel back.
TEST(T6963Inverse, ComplementsItsBlockAndTwiceRestores) {
  const std::string setup = "GrpHomeSet 512\nGrpAreaSet 30\nTxtHomeSet 0\nTxtAreaSet 30\nGCls\n"
                            "GWrite (1 , 2) , 165\nInverse(1 , 2 , 2 , 2)\nInverse(29 , 63 , 5 , 5)\n"
                            "Inverse(3 , 3 , 0 , 4)\n";
  Shown once = RunOnPanel(setup, 16, {.width = 240, .height = 64});
  ASSERT_TRUE(once.run->ok) << once.run->Diagnostics();
  std::vector<std::string> art(64);
  art[2] = ".........#.##.#.########";
  art[3] = "........################";
  art[63] = std::string(232, '.') + std::string(8, '#');
  EXPECT_TRUE(once.lcd.Graphic().SameAs(art, "t6963_inverse"));
  EXPECT_TRUE(once.lcd.WritesOutsideLayers().empty()) << once.lcd.WritesOutsideLayers().front();
  EXPECT_TRUE(once.lcd.Violations().empty()) << once.lcd.Violations().front();
  Shown twice = RunOnPanel(setup + "Inverse(1 , 2 , 2 , 2)\nInverse(29 , 63 , 5 , 5)\n", 16, {.width = 240, .height = 64});
  ASSERT_TRUE(twice.run->ok) << twice.run->Diagnostics();
  EXPECT_TRUE(twice.lcd.Graphic().SameAs({"", "", "........#.#..#.#"}, "t6963_inverse_twice"));
}

}  // namespace
}  // namespace qbc::test
