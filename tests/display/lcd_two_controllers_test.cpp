// A 40x4 character display made of two HD44780 controllers sharing data and RS: E1 serves
// rows 1-2 and E2 rows 3-4. Two pin-level models, one per E line, show what each
// controller received; each checks the data sheet's timing on its own E.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/hd44780_model.h"
#include "tests/support/routine_bench.h"

namespace qbc::test {
namespace {

struct TwoECase {
  const char* name;
  const char* device;
  const char* mcu;
  int mhz;
  const char* lcd;  // the $lcd line's settings
  LcdWiring e1;     // the wiring as the E1 controller sees it
  char e2_port;
  int e2_bit;
};

const TwoECase kCases[] = {
    {"m8_nibble_4MHz", "m8", "atmega8", 4, "portd.4 , rs = portb.0 , e1 = portb.1 , e2 = portb.2 , 40 , 4",
     {.data_port = 'D', .data_offset = 4, .rs_port = 'B', .rs_bit = 0, .e_port = 'B', .e_bit = 1}, 'B', 2},
    {"m8_nibble_low_16MHz", "m8", "atmega8", 16, "portc.0 , rs = portd.6 , e1 = portd.7 , e2 = portb.0 , 40 , 4",
     {.data_port = 'C', .data_offset = 0, .rs_port = 'D', .rs_bit = 6, .e_port = 'D', .e_bit = 7}, 'B', 0},
    {"m8_eight_bit_4MHz", "m8", "atmega8", 4, "portd , rs = portb.0 , e1 = portb.1 , e2 = portc.5 , 40 , 4",
     {.data_port = 'D', .eight_bit = true, .rs_port = 'B', .rs_bit = 0, .e_port = 'B', .e_bit = 1}, 'C', 5},
    {"m8_eight_bit_16MHz_wait", "m8", "atmega8", 16,
     "portd , rs = portb.0 , e1 = portb.1 , e2 = portb.2 , 40 , 4 , wait",
     {.data_port = 'D', .eight_bit = true, .rs_port = 'B', .rs_bit = 0, .e_port = 'B', .e_bit = 1}, 'B', 2},
    {"m8_nibble_16MHz_wait", "m8", "atmega8", 16, "portd.4 , rs = portb.0 , e1 = portb.1 , e2 = portb.2 , 40 , 4 , wait",
     {.data_port = 'D', .data_offset = 4, .rs_port = 'B', .rs_bit = 0, .e_port = 'B', .e_bit = 1}, 'B', 2},
    // every line on the extended port F: lds/sbr/cbr/sts with r20
    {"m128_portf_4MHz", "m128", "atmega128", 4, "portf.4 , rs = portf.0 , e1 = portf.1 , e2 = portf.2 , 40 , 4",
     {.data_port = 'F', .data_offset = 4, .rs_port = 'F', .rs_bit = 0, .e_port = 'F', .e_bit = 1}, 'F', 2},
    {"m128_portf_16MHz", "m128", "atmega128", 16, "portf.4 , rs = portf.0 , e1 = portf.1 , e2 = portf.2 , 40 , 4",
     {.data_port = 'F', .data_offset = 4, .rs_port = 'F', .rs_bit = 0, .e_port = 'F', .e_bit = 1}, 'F', 2},
    // E1 on a low port, E2 on port G (extended), eight data lines on port F
    {"m128_mixed_eight_bit_16MHz", "m128", "atmega128", 16,
     "portf , rs = portg.0 , e1 = portb.1 , e2 = portg.1 , 40 , 4",
     {.data_port = 'F', .eight_bit = true, .rs_port = 'G', .rs_bit = 0, .e_port = 'B', .e_bit = 1}, 'G', 1},
    {"m2560_ports_h_to_l_16MHz", "m2560", "atmega2560", 16,
     "portk.4 , rs = portl.0 , e1 = porth.1 , e2 = portj.2 , 40 , 4",
     {.data_port = 'K', .data_offset = 4, .rs_port = 'L', .rs_bit = 0, .e_port = 'H', .e_bit = 1}, 'J', 2},
};

void PrintTo(const TwoECase& c, std::ostream* os) { *os << c.name; }

struct Shown {
  std::unique_ptr<BasicRun> run;
  Hd44780Model top;     // E1: rows 1 and 2
  Hd44780Model bottom;  // E2: rows 3 and 4

  // Row 1..4 of the 40x4 display.
  std::string Row(int row) const { return row <= 2 ? top.Row(row, 40, 2) : bottom.Row(row - 2, 40, 2); }
};

LcdWiring SecondController(const TwoECase& c) {
  LcdWiring w = c.e1;
  w.e_port = c.e2_port;
  w.e_bit = c.e2_bit;
  return w;
}

Shown RunOnDisplay(const TwoECase& c, const std::string& body) {
  const std::string source = std::string("$device = ") + c.device + "\n$clock = " + std::to_string(c.mhz) +
                             "\n$stack = 32\n$lcd = " + c.lcd + "\n" + body + "End\n";
  Shown shown{nullptr, Hd44780Model(c.e1, c.mhz), Hd44780Model(SecondController(c), c.mhz)};
  SimOptions options{.mcu = c.mcu, .frequency = static_cast<uint32_t>(c.mhz) * 1000000u, .max_cycles = 80'000'000};
  shown.run = RunBasicWith(source, options, {}, [&](SimRunner& sim) {
    shown.top.Watch(sim);
    shown.bottom.Watch(sim);
  });
  if (shown.run->ok) {
    shown.top.Decode(*shown.run->sim);
    shown.bottom.Decode(*shown.run->sim);
  }
  return shown;
}

// `text` at column `column` (1-based) of a 40-column row of blanks.
std::string At(std::string row, int column, const std::string& text) {
  row.resize(40, ' ');
  row.replace(static_cast<std::size_t>(column - 1), text.size(), text);
  return row;
}

void ExpectNoFaults(const Shown& shown) {
  for (const Hd44780Model* m : {&shown.top, &shown.bottom})
    EXPECT_TRUE(m->Faults().empty()) << (m == &shown.top ? "E1: " : "E2: ") << m->Faults().front() << " ("
                                     << m->Faults().size() << " faults)";
}

class TwoControllers : public testing::TestWithParam<TwoECase> {};

// Text on all four rows, the last column of each, Locate back and forth between the
// controllers, Cls clearing both and starting again on row 1. Each controller receives
// exactly the characters of its own rows: a pulse on the wrong E line would add one.
TEST_P(TwoControllers, ShowTheTextOfTheirRowsAndNothingElse) {
  const TwoECase& c = GetParam();
  const std::string body =
      "Dim B As Byte , C As Byte , W As Word\n"
      "B = 40 : C = 7 : W = 1234\n"
      "Lcd \"old\"\nLocate 4 , 3\nLcd \"gone\"\n"
      "Cls\n"
      "Lcd \"Row1\"\n"
      "Locate 3 , 1\nLcd \"Third\"\n"
      "Locate 2 , 2\nLcd \"second\" ; W\n"
      "Locate 4 , B\nLcd \"Z\"\n"
      "Locate 1 , B\nLcd \"A\"\n"
      "Locate 3 , 40\nLcd \"Y\"\n"
      "Locate 2 , C + 33\nLcd \"X\"\n"
      "Locate 4 , 1\nLcd \"fourth\" ; C\n"
      "Locate 4 , 10\nLcd Hex(w)\n";
  Shown shown = RunOnDisplay(c, body);
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  EXPECT_EQ(shown.top.FourBitMode(), !c.e1.eight_bit);
  EXPECT_EQ(shown.bottom.FourBitMode(), !c.e1.eight_bit);
  EXPECT_EQ(shown.Row(1), At("Row1", 40, "A"));
  EXPECT_EQ(shown.Row(2), At(At("", 2, "second1234"), 40, "X"));
  EXPECT_EQ(shown.Row(3), At("Third", 40, "Y"));
  EXPECT_EQ(shown.Row(4), At(At("fourth7", 10, "04D2"), 40, "Z"));
  EXPECT_EQ(shown.top.DataWrites(), "oldRow1second1234AX");
  EXPECT_EQ(shown.bottom.DataWrites(), "goneThirdZYfourth704D2");
  ExpectNoFaults(shown);
}

// The cursor shows on the controller that takes the text and follows it across; Display
// Off and On reach both. Display control bits: display 4, cursor 2, blink 1.
TEST_P(TwoControllers, ShowTheCursorOnTheControllerInUseOnly) {
  const TwoECase& c = GetParam();
  struct Step {
    const char* lines;
    int top, bottom;
  };
  const Step steps[] = {
      {"", 4, 4},  // after the start-up: display on, no cursor
      {"Cursor On Blink\n", 7, 4},
      {"Cursor On Blink\nLocate 3 , 5\n", 4, 7},
      {"Locate 4 , 5\nCursor On\nLocate 4 , 2\n", 4, 6},
      {"Locate 4 , 5\nCursor On\nLocate 1 , 2\n", 6, 4},
      {"Locate 3 , 1\nCursor Blink\nCls\n", 7, 4},
      {"Locate 3 , 1\nCursor Blink\nDisplay Off\n", 0, 0},
      {"Locate 3 , 1\nCursor On\nDisplay Off\nDisplay On\n", 4, 4},
      {"Cursor On\nInitLcd()\nLocate 3 , 1\n", 4, 4},
  };
  for (const Step& s : steps) {
    Shown shown = RunOnDisplay(c, std::string("Dim B As Byte\n") + s.lines + "Lcd \"x\"\n");
    ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
    EXPECT_EQ(shown.top.DisplayControl(), s.top) << s.lines;
    EXPECT_EQ(shown.bottom.DisplayControl(), s.bottom) << s.lines;
    EXPECT_EQ(shown.top.DataWrites().size() + shown.bottom.DataWrites().size(), 1u) << s.lines;
    ExpectNoFaults(shown);
  }
}

// DefLcdChar: both character generators hold the rows, so a user character shows on any
// row; the display is cleared and the text goes on at row 1.
TEST_P(TwoControllers, DefineUserCharactersOnBoth) {
  const TwoECase& c = GetParam();
  using Rows = std::array<int, 8>;
  constexpr Rows kCross{0x11, 0x0A, 0x04, 0x0A, 0x11, 0x00, 0x1F, 0x00};
  constexpr Rows kBar{0x04, 0x0E, 0x04, 0x0E, 0x1F, 0x1F, 0x00, 0x10};
  auto define = [](int n, const Rows& rows) {
    std::string line = "DefLcdChar " + std::to_string(n);
    for (int r : rows) line += " , &h" + bench::Hex2(static_cast<unsigned>(r)).substr(2);
    return line + "\n";
  };
  const std::string body = "Locate 3 , 4\nLcd \"gone\"\n" + define(2, kCross) + define(7, kBar) +
                           "Lcd \"A\" ; Chr(2)\nLocate 4 , 40\nLcd Chr(7)\nLocate 3 , 1\nLcd Chr(2)\n";
  Shown shown = RunOnDisplay(c, body);
  ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
  for (const Hd44780Model* m : {&shown.top, &shown.bottom}) {
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(m->Cgram(16 + i), kCross[static_cast<std::size_t>(i)]) << "character 2 row " << i;
      EXPECT_EQ(m->Cgram(56 + i), kBar[static_cast<std::size_t>(i)]) << "character 7 row " << i;
    }
  }
  EXPECT_EQ(shown.Row(1), At("", 1, "A\x02"));
  EXPECT_EQ(shown.Row(2), At("", 1, ""));
  EXPECT_EQ(shown.Row(3), At("", 1, "\x02"));
  EXPECT_EQ(shown.Row(4), At("", 40, "\x07"));
  ExpectNoFaults(shown);
}

// The text from `header` up to the blank line after it.
std::string Section(const std::string& text, const std::string& header) {
  const auto start = text.find(header);
  if (start == std::string::npos) return "(no " + header + ")";
  return text.substr(start, text.find("\r\n\r\n", start) + 2 - start);
}

// The enable pulse of two controllers, on low ports (sbi/cbi) and with E2 on extended
// port F (lds/sbr/cbr/sts through r20); the selection routines with their cells.
TEST(TwoControllerLines, EnablePulseAndSelection) {
  const std::string head = "$clock = 4\n$stack = 32\n$lcd = ";
  const auto low = CompileBasic("$device = m8\n" + head +
                                "portd.4 , rs = portb.0 , e1 = portb.1 , e2 = portb.2 , 40 , 4\nCls\nEnd\n");
  ASSERT_EQ(low.error_count, 0) << low.report;
  EXPECT_EQ(Section(low.asm_text, ";////// LcdEN"),
            ";////// LcdEN /////////////////////////////\r\n"
            "_LEN:\tlds\t\tr23,_LcdSel\r\n"
            "\t\tsbrc\tr23,0\r\n"
            "\t\tsbi\t\tPORTB,1\r\n"
            "\t\tsbrc\tr23,1\r\n"
            "\t\tsbi\t\tPORTB,2\r\n"
            "\t\tnop\r\n"
            "\t\tnop\r\n"
            "\t\tcbi\t\tPORTB,1\r\n"
            "\t\tcbi\t\tPORTB,2\r\n"
            "\t\tpush\tzl\r\n"
            "\t\tldi\t\tzl,0x04\r\n"
            "\t\trcall\t_Wus\r\n"
            "\t\tpop\tzl\r\n"
            "\t\tret\r\n");
  EXPECT_EQ(Section(low.asm_text, ";////// Lcd E1/E2 select"),
            ";////// Lcd E1/E2 select //////////////////\r\n"
            "\t\t.DSEG\r\n"
            "_LcdSel:\t.byte\t1\r\n"
            "_LcdDc:\t.byte\t1\r\n"
            "\t\t.CSEG\r\n"
            "_LDc:\tsts\t\t_LcdDc,r24\r\n"
            "\t\tlds\t\tr24,_LcdSel\r\n"
            "\t\tldi\t\tr23,0x03\r\n"
            "\t\teor\t\tr23,r24\r\n"
            "\t\tsts\t\t_LcdSel,r23\r\n"
            "\t\trjmp\t_LSel\r\n"
            "_LE12:\tldi\t\tr24,0x03\r\n"
            "\t\tsts\t\t_LcdSel,r24\r\n"
            "\t\tret\r\n"
            "_LE1:\tldi\t\tr24,0x01\r\n"
            "\t\trjmp\t_LSel\r\n"
            "_LE2:\tldi\t\tr24,0x02\r\n"
            "_LSel:\tlds\t\tr23,_LcdSel\r\n"
            "\t\tcp\t\tr23,r24\r\n"
            "\t\tbreq\t_LSel1\r\n"
            "\t\tpush\tr24\r\n"
            "\t\tlds\t\tr24,_LcdDc\r\n"
            "\t\tandi\t\tr24,0xfc\r\n"
            "\t\trcall\t_LCtr\r\n"
            "\t\tpop\t\tr24\r\n"
            "\t\tsts\t\t_LcdSel,r24\r\n"
            "\t\tlds\t\tr24,_LcdDc\r\n"
            "\t\trjmp\t_LCtr\r\n"
            "_LSel1:\tret\r\n");

  const auto extended = CompileBasic("$device = m128\n" + head +
                                     "portf.4 , rs = portf.0 , e1 = portb.1 , e2 = portf.2 , 40 , 4\nCls\nEnd\n");
  ASSERT_EQ(extended.error_count, 0) << extended.report;
  EXPECT_EQ(Section(extended.asm_text, ";////// LcdEN"),
            ";////// LcdEN /////////////////////////////\r\n"
            "_LEN:\tlds\t\tr23,_LcdSel\r\n"
            "\t\tsbrc\tr23,0\r\n"
            "\t\tsbi\t\tPORTB,1\r\n"
            "\t\tlds\t\tr20,PORTF\r\n"
            "\t\tsbrc\tr23,1\r\n"
            "\t\tsbr\t\tr20,4\r\n"
            "\t\tsts\t\tPORTF,r20\r\n"
            "\t\tnop\r\n"
            "\t\tnop\r\n"
            "\t\tcbi\t\tPORTB,1\r\n"
            "\t\tlds\t\tr20,PORTF\r\n"
            "\t\tcbr\t\tr20,4\r\n"
            "\t\tsts\t\tPORTF,r20\r\n"
            "\t\tpush\tzl\r\n"
            "\t\tldi\t\tzl,0x04\r\n"
            "\t\trcall\t_Wus\r\n"
            "\t\tpop\tzl\r\n"
            "\t\tret\r\n");
  // LcdIni: both selected for the whole sequence, E2 an output and low, then row 1 on E1
  // with the display on and no cursor.
  const std::string init = Section(extended.asm_text, ";////// LcdInit");
  EXPECT_EQ(init.find("LcdIni:\r\n\t\tldi\t\tzl,0x03\r\n\t\tsts\t\t_LcdSel,zl\r\n"), init.find("LcdIni:")) << init;
  EXPECT_NE(init.find("\t\tlds\t\tzl,DDRF\r\n\t\tsbr\t\tzl,4\r\n\t\tsts\t\tDDRF,zl\r\n"), std::string::npos) << init;
  EXPECT_NE(init.find("\t\tlds\t\tzl,PORTF\r\n\t\tcbr\t\tzl,4\r\n\t\tsts\t\tPORTF,zl\r\n"), std::string::npos) << init;
  const std::string tail =
      "\t\tldi\t\tzl,0x0c\r\n\t\tsts\t\t_LcdDc,zl\r\n\t\tldi\t\tzl,0x01\r\n\t\tsts\t\t_LcdSel,zl\r\n\t\tret\r\n";
  EXPECT_EQ(init.substr(init.size() - tail.size()), tail) << init;
}

// What the statements write with two controllers: Locate chooses first, Cls and
// DefLcdChar reach both and come back to row 1, Cursor and Display go through _LDc.
TEST(TwoControllerLines, StatementsChooseTheController) {
  const auto compiled = CompileBasic(
      "$device = m8\n$clock = 4\n$stack = 32\n"
      "$lcd = portd.4 , rs = portb.0 , e1 = portb.1 , e2 = portb.2 , 40 , 4\n"
      "Locate 4 , 40\nLocate 2 , 1\nCls\nCursor On\nDisplay Off\nDefLcdChar 1 , 1 , 2 , 3 , 4 , 5 , 6 , 7 , 8\nEnd\n");
  ASSERT_EQ(compiled.error_count, 0) << compiled.report;
  const std::string& text = compiled.asm_text;
  const char* const expected[] = {
      "--\r\n\t\trcall\t_LE2\r\n\t\tldi\t\tr24,0xBF\r\n",
      "--\r\n\t\trcall\t_LE1\r\n\t\tldi\t\tr24,0xBF\r\n",
      "--\r\n\t\trcall\t_LE12\r\n\t\tldi\t\tr24,1\r\n\t\trcall\t_LCtr\r\n\t\tldi\t\tzl,0x02\r\n\t\trcall\t_Wms\r\n"
      "\t\trcall\t_LE1\r\n\r\n",
      "--\r\n\t\tldi\t\tr24,0xE\r\n\t\trcall\t_LDc\r\n\r\n",
      "--\r\n\t\tldi\t\tr24,0x08\r\n\t\trcall\t_LDc\r\n\r\n",
      "--\r\n\t\trcall\t_LE12\r\n\t\tldi\t\tr24,0x48\r\n",
      "\t\tldi\t\tzl,2\r\n\t\trcall\t_Wms\r\n\t\trcall\t_LE1\r\n\r\n",
  };
  for (const char* lines : expected) EXPECT_NE(text.find(lines), std::string::npos) << lines << "\n" << text;
}

INSTANTIATE_TEST_SUITE_P(Wirings, TwoControllers, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TwoECase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace qbc::test
