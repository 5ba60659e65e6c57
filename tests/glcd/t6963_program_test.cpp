// Programs driving a T6963C on the simulator, answered live by the controller model: the
// layer layout set by the program, both layers cleared, bytes written and read back, in
// plain and split addressing at 8 and 16 MHz, on low I/O ports and on the m128's extended
// ports, with every access inside the controller's protocol.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/t6963_model.h"

namespace qbc::test {
namespace {

struct Shown {
  std::unique_ptr<BasicRun> run;
  T6963Model lcd;
};

struct Board {
  std::string device = "m32";
  std::string mcu = "atmega32";
  char data = 'A';
  char ctrl = 'C';
};

Shown RunOnPanel(const std::string& body, int mhz, T6963Wiring wiring, const Board& board = {},
                 std::uint64_t max_cycles = 20'000'000) {
  wiring.data_port = board.data;
  wiring.ctrl_port = board.ctrl;
  const std::string glcd = "$glcd t6963c, data = port" + std::string(1, static_cast<char>(board.data + 32)) +
                           ", ctrl = port" + std::string(1, static_cast<char>(board.ctrl + 32)) + ", " +
                           std::to_string(wiring.width) + ", " + std::to_string(wiring.height) + ", " +
                           (wiring.split ? "2" : "8") + "\n$gctrl rd = " + std::to_string(wiring.rd) +
                           ", wr = " + std::to_string(wiring.wr) + ", cd = " + std::to_string(wiring.cd) +
                           ", ce = " + std::to_string(wiring.ce) + "\n";
  const std::string source = "$device = " + board.device + "\n$clock = " + std::to_string(mhz) + "\n$stack = 32\n" +
                             glcd + body + "End\n";
  Shown shown{nullptr, T6963Model(wiring, mhz)};
  shown.lcd.Preset(0x5A);
  SimOptions options{.mcu = board.mcu, .frequency = static_cast<uint32_t>(mhz) * 1000000u, .max_cycles = max_cycles};
  shown.run = RunBasicWith(source, options, {}, [&](SimRunner& sim) { shown.lcd.Attach(sim); });
  return shown;
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
                    // PORTF's DDR and PORT and all of port G lie in extended I/O, PINF at I/O 0
                    LayoutCase{"m128_ports_f_g", 16, 64, false, {"m128", "atmega128", 'F', 'G'}},
                    LayoutCase{"m128_ports_g_f", 16, 64, false, {"m128", "atmega128", 'G', 'F'}}),
    [](const testing::TestParamInfo<LayoutCase>& param) { return std::string(param.param.name); });

// A display that never reports ready (missing, unpowered) slows every access to a few
// milliseconds instead of holding the program in its status wait for ever.
TEST(T6963Timeout, AProgramReachesItsEndWithoutAReadyDisplay) {
  Shown shown = RunOnPanel("Dim B As Byte\nGrpHomeSet 0\nGrpAreaSet 30\nGWrite (1 , 1) , 7\nB = GRead(1 , 1)\n", 16,
                           {.width = 240, .height = 64, .never_ready = true}, {}, 40'000'000);
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  EXPECT_GT(shown.lcd.StatusReads(), 100);
}

}  // namespace
}  // namespace qbc::test
