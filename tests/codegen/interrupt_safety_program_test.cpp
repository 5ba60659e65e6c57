// A main loop and a timer handler together: the handler (with locals, or converting numbers
// to text itself) fires every 2048 cycles, thousands of times, at every place in the main
// loop's conversions, copies and compares. The main loop counts every result it finds
// wrong; the same program with the timer's interrupt left off gives the same results.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/hd44780_model.h"

namespace qbc::test {
namespace {

struct Row {
  const char* name;
  const char* device;  // m8 or m168
  const char* head;    // lines after $device/$clock/$stack, before the declarations
  const char* dims;
  const char* main;     // the main loop (after the timer is started)
  const char* handler;  // the body of Interrupt Ovf0()
  const char* save;
  const char* shown;  // what the UART or the LCD receives on each pass (Print, Lcd)
  int passes;
};

// The handler of most rows: two locals written with a pattern no text holds.
constexpr const char* kLocals =
    "  Local a As Word, b As Word\n"
    "  a = &H5A5A\n  b = a\n  Ticks = Ticks + 1\n";

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = {
      {"Print w", "m8", "$baud = 38400\n", "Dim W As Word\n", "W = 12345\nFor N = 1 To 40\n  Print W\nNext\n",
       kLocals, "All", "12345\r\n", 40},
      {"Cls : Lcd w", "m8", "$lcd = portd.4 , rs = portb.0 , en = portb.1 , 16 , 2\n", "Dim W As Word\n",
       "W = 12345\nFor N = 1 To 25\n  Cls\n  Lcd W\nNext\n", kLocals, "All", "12345", 25},
      {"s = Hex(w)", "m8", "", "Dim W As Word, S As String * 8\n",
       "W = &H3039\nFor N = 1 To 3000\n  S = Hex(W)\n  If S <> \"3039\" Then Bad = Bad + 1\nNext\n", kLocals,
       "All", "", 0},
      {"s = Hex(w) and the handler's Hex", "m8", "", "Dim W As Word, Hw As Word, S As String * 8, Hs As String * 8\n",
       "W = &H3039\nHw = &HABCD\nFor N = 1 To 3000\n  S = Hex(W)\n  If S <> \"3039\" Then Bad = Bad + 1\nNext\n",
       "  Hs = Hex(Hw)\n  If Hs <> \"ABCD\" Then Hbad = Hbad + 1\n  Ticks = Ticks + 1\n", "All", "", 0},
      {"Str and Val and the handler's Str", "m8", "", "Dim Hw As Word, Sv As String * 8, Hs As String * 8\n",
       "Hw = 54321\nFor N = 1 To 3000\n  Sv = Str(N)\n  If Val(Sv) <> N Then Bad = Bad + 1\nNext\n",
       "  Hs = Str(Hw)\n  If Hs <> \"54321\" Then Hbad = Hbad + 1\n  Ticks = Ticks + 1\n", "All", "", 0},
      {"long string compare", "m168", "", "Dim K As Byte, A As String * 230, B As String * 230\n",
       "A = \"\"\nFor K = 1 To 220\n  A = A + \"x\"\nNext\nB = A\n"
       "For N = 1 To 300\n  If Left(A, 210) <> Left(B, 210) Then Bad = Bad + 1\n"
       "  If Mid(A, 3, 200) = Mid(B, 4, 201) Then Bad = Bad + 1\nNext\n",
       kLocals, "All", "", 0},
  };
  return rows;
}

std::string Program(const Row& row, bool interrupts) {
  const bool m8 = std::string(row.device) == "m8";
  std::string s = std::string("$device = ") + row.device + "\n$clock = 8\n$stack = 40\n" + row.head;
  s += "Declare Interrupt Ovf0()\n";
  s += "Dim N As Word, Ticks As Word, Bad As Word, Hbad As Word, Y0 As Word, Y1 As Word\n";
  s += row.dims;
  s += "Ticks = 0\nBad = 0\nHbad = 0\n";
  // Timer0 overflow every 2048 cycles (clk/8); without interrupts the timer runs, its
  // interrupt stays off.
  s += "$asm\n  sts y0,yl\n  sts y0+1,yh\n  ldi r16,0x02\n";
  s += m8 ? "  out TCCR0,r16\n" : "  out TCCR0B,r16\n";
  if (interrupts) s += m8 ? "  ldi r16,0x01\n  out TIMSK,r16\n  sei\n" : "  ldi r16,0x01\n  sts TIMSK0,r16\n  sei\n";
  s += "$end asm\n";
  s += row.main;
  s += "$asm\n  cli\n  sts y1,yl\n  sts y1+1,yh\n$end asm\nEnd\n";
  s += std::string("Interrupt Ovf0(), Save ") + row.save + "\n" + row.handler + "End Interrupt\n";
  return s;
}

struct Outcome {
  bool ok = false;
  std::string diagnostics;
  int ticks = 0, bad = 0, hbad = 0;
  bool y_kept = false;
  std::string shown;  // UART output or the LCD's data bytes
};

Outcome RunRow(const Row& row, bool interrupts) {
  const bool lcd_row = std::string(row.head).find("$lcd") != std::string::npos;
  Hd44780Model lcd({.data_port = 'D', .data_offset = 4, .rs_port = 'B', .rs_bit = 0, .e_port = 'B', .e_bit = 1},
                   8.0);
  SimOptions options{.mcu = row.device, .frequency = 8'000'000, .max_cycles = 100'000'000};
  auto run = RunBasicWith(Program(row, interrupts), options, {}, [&](SimRunner& sim) {
    if (lcd_row) lcd.Watch(sim);
  });
  Outcome o;
  o.ok = run->ok;
  if (!run->ok) {
    o.diagnostics = run->Diagnostics();
    return o;
  }
  o.ticks = run->Word("ticks");
  o.bad = run->Word("bad");
  o.hbad = run->Word("hbad");
  o.y_kept = run->Word("y0") == run->Word("y1");
  if (lcd_row) {
    lcd.Decode(*run->sim);
    o.shown = lcd.DataWrites();
  } else {
    o.shown = run->sim->Output();
  }
  return o;
}

TEST(InterruptSafety, MainLoopResultsAreTheSameWithAHandlerFiringThroughout) {
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.name);
    const Outcome quiet = RunRow(row, false);
    if (!quiet.ok) {
      ADD_FAILURE() << quiet.diagnostics;
      continue;
    }
    EXPECT_EQ(quiet.bad, 0);
    EXPECT_TRUE(quiet.y_kept);
    std::string shown;
    for (int i = 0; i < row.passes; ++i) shown += row.shown;
    if (row.passes > 0) {
      EXPECT_EQ(quiet.shown, shown);
    }
    const Outcome busy = RunRow(row, true);
    if (!busy.ok) {
      ADD_FAILURE() << "the run with the handler did not end: " << busy.diagnostics.substr(0, 400);
      continue;
    }
    EXPECT_GT(busy.ticks, 100) << "the handler ran often";
    EXPECT_EQ(busy.bad, 0) << "main results the handler disturbed";
    EXPECT_EQ(busy.hbad, 0) << "handler results the main code disturbed";
    EXPECT_TRUE(busy.y_kept) << "Y after the loop";
    EXPECT_EQ(busy.shown, quiet.shown);
  }
}


// One interrupt at every cycle of a string compare whose scratch copies move Y across a
// 256-byte boundary (sub yl / sbci yh): Timer1 overflows K cycles into the statement, for
// every K the statement takes, and the handler turns its interrupt off again.
std::string SweepProgram(bool interrupts) {
  std::string s = "$device = m168\n$clock = 8\n$stack = 40\n";
  s += "Declare Interrupt Ovf1()\n";
  s += "Dim K As Word, Ticks As Word, Bad As Word, Y0 As Word, Y1 As Word, I As Byte\n";
  s += "Dim A As String * 200, B As String * 200\n";
  s += "Ticks = 0\nBad = 0\nA = \"\"\nFor I = 1 To 150\n  A = A + \"x\"\nNext\nB = A\n";
  s += "$asm\n  sts y0,yl\n  sts y0+1,yh\n  ldi r16,0x01\n  sts TCCR1B,r16\n  sei\n$end asm\n";
  s += "For K = 1 To 6000\n";
  // TCNT1 = 0xFFFF - K + 40 (the lines up to the compare), overflow flag cleared.
  s += "$asm\n  lds r24,k\n  lds r25,k+1\n  com r24\n  com r25\n  adiw r24,40\n"
       "  sts TCNT1H,r25\n  sts TCNT1L,r24\n  ldi r16,0x01\n  out TIFR1,r16\n";
  if (interrupts) s += "  sts TIMSK1,r16\n";
  s += "$end asm\n";
  s += "  If Left(A, 120) <> Left(B, 120) Then Bad = Bad + 1\n";
  s += "  TIMSK1 = 0\nNext\n";
  s += "$asm\n  cli\n  sts y1,yl\n  sts y1+1,yh\n$end asm\nEnd\n";
  // 24 bytes of locals: a frame taken below a Y that is 256 bytes off reaches the first copy.
  s += "Interrupt Ovf1(), Save All\n"
       "  Local a As Long, b As Long, c As Long, d As Long, e As Long, f As Long\n"
       "  a = 1515870810\n  b = a\n  c = a\n  d = a\n  e = a\n  f = a\n  Ticks = Ticks + 1\n  TIMSK1 = 0\n"
       "End Interrupt\n";
  return s;
}

TEST(InterruptSafety, AHandlerAtEveryCycleOfAStringCompare) {
  for (const bool interrupts : {false, true}) {
    SCOPED_TRACE(interrupts ? "with the handler" : "without");
    auto run = RunBasic(SweepProgram(interrupts), "atmega168", 200'000'000);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Word("bad"), 0);
    EXPECT_EQ(run->Word("y0"), run->Word("y1"));
    // The statement lasts about 6150 cycles: every K from 40 on puts the interrupt in it.
    if (interrupts) {
      EXPECT_GE(run->Word("ticks"), 5950);
    } else {
      EXPECT_EQ(run->Word("ticks"), 0);
    }
  }
}

}  // namespace
}  // namespace qbc::test
