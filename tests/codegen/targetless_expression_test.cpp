// Expressions that no variable gives a type (Print and Lcd items, graphic coordinates, the
// argument of Str and Hex), run on the simulator: each is worked in a type that holds all
// of its operands, whatever operand comes first, and leaves the stack as it found it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/hd44780_model.h"
#include "tests/support/ks0108_model.h"

namespace qbc::test {
namespace {

const char* const kHead = "$device = m8\n$clock = 8\n$stack = 40\n$baud = 38400\n";

const char* const kVars =
    "Dim B As Byte , I As Integer , W As Word , V As Word , L As Long , F As Float , S As String * 12\n"
    "B = 50\nI = -300\nW = 1000\nV = 40000\nL = 100000\nF = 1.5\nS = \"abc\"\n";

std::unique_ptr<BasicRun> RunPrint(const std::string& body, const std::string& mcu = "atmega8",
                                   const std::string& device = "m8") {
  SimOptions opt;
  opt.mcu = mcu;
  opt.frequency = 8000000;
  opt.max_cycles = 20'000'000;
  std::string head = kHead;
  head.replace(head.find("m8"), 2, device);
  return RunBasicWith(head + kVars + body, opt);
}

struct PrintCase {
  const char* item;
  const char* printed;
};

// A narrow constant or variable before a wider operand, signed beside unsigned, integers
// beside a float, and parentheses: the value of each as plain arithmetic gives it.
const PrintCase kItems[] = {
    {"5 * W", "5000"},
    {"B + W * 2", "2050"},
    {"2000 - W", "1000"},
    {"1100 - W / 10", "1000"},
    {"B - I", "350"},
    {"I + V", "39700"},
    {"W - I * 2", "1600"},
    {"3 + L", "100003"},
    {"(B + 1) * W", "51000"},
    {"-B + W", "950"},
    {"B * 2 + W", "1100"},
    {"2 * F", " 3.000000E+00"},
    {"B / 4 + F", " 1.400000E+01"},
    {"Len(S) + W", "1003"},
    {"Hex(B + W)", "041A"},
};

TEST(TargetlessExpression, PrintItemsHoldEveryOperand) {
  for (const char* device : {"m8", "m128"}) {
    std::string body;
    std::string expected;
    for (const PrintCase& c : kItems) {
      body += std::string("Print ") + c.item + " ; \"|\" ;\n";
      expected += std::string(c.printed) + "|";
    }
    auto run = RunPrint(body + "End\n", device == std::string("m8") ? "atmega8" : "atmega128", device);
    ASSERT_TRUE(run->ok) << device << run->Diagnostics();
    EXPECT_EQ(run->sim->Output(), expected) << device;
  }
}

// Inside a procedure a byte pushed and a word popped would take the return address with it.
TEST(TargetlessExpression, ItemsInsideASubReturnToTheirCaller) {
  auto run = RunPrint(
      "Declare Sub Show(K As Word)\n"
      "Show(40)\nPrint \"back\"\nEnd\n"
      "Sub Show(K As Word)\n"
      "  Print 100 - K ; \",\" ; 7 + K * 3 ; \",\" ; 100 - W / 20\n"
      "End Sub\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(), "60,127,50\r\nback\r\n");
}

TEST(TargetlessExpression, StrTakesTheCommonType) {
  auto run = RunPrint("S = Str(5 * W)\nPrint S ;\nS = Str(B - I * 2)\nPrint \",\" ; S ;\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(), "5000,650");
}

TEST(TargetlessExpression, LcdItemsHoldEveryOperand) {
  const LcdWiring wiring{.data_port = 'D', .data_offset = 4, .rs_port = 'B', .rs_bit = 0, .e_port = 'B', .e_bit = 1};
  Hd44780Model lcd(wiring, 8);
  SimOptions options{.mcu = "atmega8", .frequency = 8000000u, .max_cycles = 60'000'000};
  auto run = RunBasicWith(std::string("$device = m8\n$clock = 8\n$stack = 40\n"
                                      "$lcd = portd.4 , rs = portb.0 , en = portb.1 , 16 , 2\n") +
                              kVars + "Cls\nLcd 100 - W / 10 ; \",\" ; 5 * W\nLocate 2 , 1\nLcd B + W * 2\nEnd\n",
                          options, {}, [&](SimRunner& sim) { lcd.Watch(sim); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  lcd.Decode(*run->sim);
  EXPECT_EQ(lcd.Row(1, 16, 2), "0,5000          ");
  EXPECT_EQ(lcd.Row(2, 16, 2), "2050            ");
}

// The x coordinate waits on the stack while y is worked out.
TEST(TargetlessExpression, GraphicCoordinatesHoldEveryOperand) {
  const std::string source =
      "$device = m32\n$clock = 8\n$stack = 40\n"
      "$glcd ks0108, data = porta, ctrl = portc, 128, 64, 1\n$gctrl en = 0, wr = 1, di = 2, cs1 = 3, cs2 = 4\n"
      "Dim A As Word\nA = 340\nGlcdInit\nGCls\nPSet(A / 5 , 63 - A / 17) , 1\nEnd\n";
  std::unique_ptr<Ks0108Model> panel;
  SimOptions options{.mcu = "atmega32", .frequency = 8000000u, .max_cycles = 200'000'000};
  auto run = RunBasicWith(source, options, {},
                          [&](SimRunner& sim) { panel = std::make_unique<Ks0108Model>(sim, Ks0108Wiring{}, 8); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  // (68, 43): the second chip, column 4, page 5, bit 3
  EXPECT_EQ(panel->Ram(1, 5, 4), 0x08);
  int lit = 0;
  for (int chip = 0; chip < 2; ++chip)
    for (int page = 0; page < 8; ++page)
      for (int column = 0; column < 64; ++column) lit += __builtin_popcount(panel->Ram(chip, page, column));
  EXPECT_EQ(lit, 1);
}

}  // namespace
}  // namespace qbc::test
