// The character LCD statements and driver routines on the simulator, shown by a pin-level
// HD44780 that checks the data sheet's timing.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/hd44780_model.h"
#include "tests/support/routine_bench.h"

namespace qbc::test {
namespace {

struct LcdCase {
  const char* name;
  const char* device;
  const char* mcu;
  int mhz;
  const char* lcd;  // the $lcd line's settings
  LcdWiring wiring;
  int columns;
  int rows;
};

// Pads a row's text with blanks to the display's width.
std::string Padded(std::string text, int columns) {
  text.resize(static_cast<std::size_t>(columns), ' ');
  return text;
}

struct Shown {
  std::unique_ptr<BasicRun> run;
  Hd44780Model lcd;
};

Shown RunOnDisplay(const LcdCase& c, const std::string& body) {
  const std::string source = std::string("$device = ") + c.device + "\n$clock = " + std::to_string(c.mhz) +
                             "\n$stack = 32\n$lcd = " + c.lcd + "\n" + body + "End\n";
  Shown shown{nullptr, Hd44780Model(c.wiring, c.mhz)};
  SimOptions options{.mcu = c.mcu, .frequency = static_cast<uint32_t>(c.mhz) * 1000000u, .max_cycles = 60'000'000};
  shown.run = RunBasicWith(source, options, {}, [&](SimRunner& sim) { shown.lcd.Watch(sim); });
  if (shown.run->ok) shown.lcd.Decode(*shown.run->sim);
  return shown;
}

const LcdWiring kNibbleHigh{.data_port = 'D', .data_offset = 4, .rs_port = 'B', .rs_bit = 0, .e_port = 'B', .e_bit = 1};
const LcdWiring kNibbleLow{.data_port = 'C', .data_offset = 0, .rs_port = 'D', .rs_bit = 6, .e_port = 'D', .e_bit = 7};
const LcdWiring kEightBit{.data_port = 'D', .data_offset = 0, .eight_bit = true, .rs_port = 'B', .rs_bit = 0, .e_port = 'B', .e_bit = 1};
const LcdWiring kPortF{.data_port = 'F', .data_offset = 4, .rs_port = 'F', .rs_bit = 0, .e_port = 'F', .e_bit = 1};

const LcdCase kCases[] = {
    {"m8_16x2_high_1MHz", "m8", "atmega8", 1, "portd.4 , rs = portb.0 , en = portb.1 , 16 , 2", kNibbleHigh, 16, 2},
    {"m8_16x2_high_4MHz", "m8", "atmega8", 4, "portd.4 , rs = portb.0 , en = portb.1 , 16 , 2", kNibbleHigh, 16, 2},
    {"m8_20x4_low_8MHz", "m8", "atmega8", 8, "portc.0 , rs = portd.6 , en = portd.7 , 20 , 4", kNibbleLow, 20, 4},
    {"m8_16x4_low_16MHz", "m8", "atmega8", 16, "portc.0 , rs = portd.6 , en = portd.7 , 16 , 4", kNibbleLow, 16, 4},
    {"m8_16x2_high_20MHz_wait", "m8", "atmega8", 20, "portd.4 , rs = portb.0 , en = portb.1 , 16 , 2 , wait", kNibbleHigh, 16, 2},
    {"m8_20x4_eight_bit_8MHz", "m8", "atmega8", 8, "portd , rs = portb.0 , en = portb.1 , 20 , 4", kEightBit, 20, 4},
    {"m128_20x4_portf_16MHz", "m128", "atmega128", 16, "portf.4 , rs = portf.0 , en = portf.1 , 20 , 4", kPortF, 20, 4},
    {"m128_16x2_portf_1MHz", "m128", "atmega128", 1, "portf.4 , rs = portf.0 , en = portf.1 , 16 , 2", kPortF, 16, 2},
};

void PrintTo(const LcdCase& c, std::ostream* os) { *os << c.name; }

class LcdOnModel : public testing::TestWithParam<LcdCase> {};

// Every number type, strings, Hex, Chr and Locate with a column whose code needs a second
// operand register, on every row the display has.
TEST_P(LcdOnModel, ShowsEveryItemOnEveryRowWithoutTransferWhileBusy) {
  const LcdCase& c = GetParam();
  std::string body =
      "Dim B As Byte , I As Integer , W As Word , L As Long , S As String * 8 , C As Byte , D As Byte\n"
      "B = 200 : I = -1234 : W = 64488 : L = -100000 : S = \"ab\" : C = 1 : D = 2\n"
      "Lcd \"junk\"\nCls\n"
      "Lcd \"Hi\" ; B ; I\n"
      "Locate 2 , C + D\nLcd W ; L\n";
  std::string row3, row4;
  if (c.rows == 4) {
    body += "Locate 3 , 2\nLcd S ; Hex(w) ; Hex(b) ; Chr(65)\nLocate 4 , C\nLcd Hex(i) ; \"!\" ; D\n";
    row3 = " abFBE8C8A";
    row4 = "FB2E!2";
  }
  body += "Cursor Off Blink\n";
  Shown shown = RunOnDisplay(c, body);
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  const Hd44780Model& lcd = shown.lcd;
  EXPECT_TRUE(lcd.FourBitMode() != c.wiring.eight_bit);
  EXPECT_EQ(lcd.Row(1, c.columns, c.rows), Padded("Hi200-1234", c.columns));
  EXPECT_EQ(lcd.Row(2, c.columns, c.rows), Padded("  64488-100000", c.columns));
  if (c.rows == 4) {
    EXPECT_EQ(lcd.Row(3, c.columns, c.rows), Padded(row3, c.columns));
    EXPECT_EQ(lcd.Row(4, c.columns, c.rows), Padded(row4, c.columns));
  }
  EXPECT_EQ(lcd.DisplayControl(), 7);
  EXPECT_TRUE(lcd.Faults().empty()) << lcd.Faults().front() << " (" << lcd.Faults().size() << " faults)";
}

// Chr's argument is a whole number, as in every statement: a Float is its whole part (not
// the low byte of its encoding), a Word quotient its low byte.
TEST(LcdChr, ShowsTheCharacterOfTheWholeNumber) {
  Shown shown = RunOnDisplay(kCases[1], "Dim F As Float , G As Float , W As Word\nF = 65.5 : G = 2.5 : W = 65000\n"
                                        "Lcd Chr(F) ; Chr(G * 26) ; Chr(W / 1000) ; Chr(66)\n");
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  EXPECT_EQ(shown.lcd.Row(1, 16, 2), Padded("AAAB", 16));
}

// DefLcdChar: the rows land in the character generator, a character defined twice takes
// its second rows, the display shows the user characters, and the program runs on past
// each table.
using Rows = std::array<int, 8>;
constexpr Rows kCross{0x11, 0x0A, 0x04, 0x0A, 0x11, 0x00, 0x1F, 0x00};
constexpr Rows kArrow{0x04, 0x0E, 0x1F, 0x04, 0x04, 0x04, 0x04, 0x00};
constexpr Rows kSteps{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
// Run as instructions, the last word of this table (0x1000, cpse r0,r0) would skip the
// pointer load after it.
constexpr Rows kBar{0x04, 0x0E, 0x04, 0x0E, 0x1F, 0x1F, 0x00, 0x10};

std::string Define(int n, const Rows& rows) {
  std::string line = "DefLcdChar " + std::to_string(n);
  for (int r : rows) line += " , &h" + bench::Hex2(static_cast<unsigned>(r)).substr(2);
  return line + "\n";
}

TEST_P(LcdOnModel, UserCharactersReachTheCharacterGeneratorAndShow) {
  const LcdCase& c = GetParam();
  const std::string body = "Dim B As Byte\nB = 1\n" + Define(3, kCross) + Define(0, kSteps) + Define(3, kArrow) +
                           Define(7, kBar) + "B = B + 1\nLcd \"A\" ; Chr(3) ; Chr(0) ; Chr(7) ; B\n";
  Shown shown = RunOnDisplay(c, body);
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  const Hd44780Model& lcd = shown.lcd;
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(lcd.Cgram(0 + i), kSteps[static_cast<std::size_t>(i)]) << "character 0 row " << i;
    EXPECT_EQ(lcd.Cgram(24 + i), kArrow[static_cast<std::size_t>(i)]) << "character 3 row " << i;
    EXPECT_EQ(lcd.Cgram(56 + i), kBar[static_cast<std::size_t>(i)]) << "character 7 row " << i;
  }
  EXPECT_EQ(lcd.Row(1, c.columns, c.rows), Padded(std::string("A\x03", 2) + std::string(1, '\0') + "\x07" "2", c.columns));
  EXPECT_TRUE(lcd.Faults().empty()) << lcd.Faults().front();
}

INSTANTIATE_TEST_SUITE_P(Wirings, LcdOnModel, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<LcdCase>& p) { return std::string(p.param.name); });

struct LcdError {
  const char* lines;  // from line 5 on, after the head (and $lcd unless it is given here)
  const char* message;
  int line;
};

// Statements that would call a driver no $lcd wrote, and rows the display does not have.
TEST(LcdErrors, AreReportedAtTheirLine) {
  const char* const lcd16x2 = "$lcd = portd.4 , rs = portb.0 , en = portb.1 , 16 , 2\n";
  const LcdError cases[] = {
      {"Dim B As Byte\nCls\n", "Lcd is not configured!", 5},
      {"Dim B As Byte\nCursor On\n", "Lcd is not configured!", 5},
      {"Dim B As Byte\nDisplay Off\n", "Lcd is not configured!", 5},
      {"Dim B As Byte\nInitLcd()\n", "Lcd is not configured!", 5},
      {"Dim B As Byte\nLcd B\n", "Lcd is not configured!", 5},
      {"Dim B As Byte\nLocate 1 , 1\n", "Lcd is not configured!", 5},
      {"Dim B As Byte\nDefLcdChar 1 , 1 , 2 , 3 , 4 , 5 , 6 , 7 , 8\n", "Lcd is not configured!", 5},
  };
  const LcdError configured[] = {
      {"Locate 1234 , 1\n", "Wrong number of LCD rows!", 5},
      {"Locate 3 , 1\n", "Wrong number of LCD rows!", 5},
      {"Locate 0 , 1\n", "Wrong number of LCD rows!", 5},
      {"Dim R As Byte\nLocate R , 1\n", "Must be numeric constant", 6},
      {"Dim L As Long\nLcd Hex(l)\n", "Must be Byte or Word!", 6},
      {"Cursor Up\n", "On, Off, Blink or NoBlink!", 5},
      {"Display Dim\n", "ON or OFF!", 5},
      {"DefLcdChar 8 , 1 , 2 , 3 , 4 , 5 , 6 , 7 , 8\n", "From 0 to 7!", 5},
      {"Dim B As Byte\nDefLcdChar B , 1 , 2 , 3 , 4 , 5 , 6 , 7 , 8\n", "From 0 to 7!", 6},
  };
  const std::string head = "$device = m8\n$clock = 8\n$stack = 32\n";
  for (const LcdError& c : cases) {
    const auto compiled = CompileBasic(head + c.lines + "End\n");
    EXPECT_TRUE(compiled.StartsWithError(c.message, c.line)) << c.lines << compiled.report;
  }
  for (const LcdError& c : configured) {
    const auto compiled = CompileBasic(head + lcd16x2 + c.lines + "End\n");
    EXPECT_TRUE(compiled.StartsWithError(c.message, c.line)) << c.lines << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
