// Nested handlers: an outer Timer0 handler enables interrupts and works on for a while, so
// the Timer2 handler starts inside it (and in the main program, and inside Timer0 again
// never: the outer one is over long before its next overflow). Each handler, nested or
// not, must give back exactly what it found: the main loop's results are the ones of the
// same program with both interrupts left off.
//
// How long: the outer handler fires every 16384 cycles and stays open about 3800 of them;
// the inner one fires every 2048 cycles (converting a float on every 7th, so that its
// phase against the outer one drifts). Each run lasts 4 to 9 million cycles: several
// hundred outer handlers, with inner ones inside them, at every place of the main loop's
// compare, conversion or call.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/soft_uart_peer.h"

namespace qbc::test {
namespace {

struct Row {
  const char* name;
  const char* dims;
  const char* main;        // one pass of the main loop: counts Good or Bad
  int passes;
  const char* outerSave;
  const char* outerWork;   // after the outer handler's busy wait
  const char* innerSave;
  const char* innerWork;
  int innerPrescale;       // TCCR2: 2 = clk/8
  const char* subs;        // procedures
};

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = {
      // SREG: the inner handler's "in r2,SREG" must not take the place of the outer one's
      // copy of the main program's flags.
      {"SREG", "Dim W1 As Word, W2 As Word\n", "  If W1 < W2 Then Good = Good + 1\n  If W2 < W1 Then Bad = Bad + 1\n",
       60000, "4", "", "All", "", 2, ""},
      // The float text buffers: the inner handler's Str must not hand main's text away.
      {"float text", "Dim F As Float, G As Float, S As String * 16, T As String * 16\n",
       "  S = Str(F)\n  If S = \" 1.500000E+00\" Then Good = Good + 1 Else Bad = Bad + 1\n", 1600, "0", "",
       "All",
       "  Hn = Hn + 1\n  If Hn >= 7 Then\n    Hn = 0\n    T = Str(G)\n"
       "    If T <> \" 2.250000E+00\" Then Hbad = Hbad + 1\n  End If\n",
       2, ""},
      // The handlers' string argument area: after an inner handler the outer one's calls
      // still copy their arguments to the handlers' area, never to the main program's.
      {"string arguments", "Dim Logged As String * 8, Noted As String * 8\n", "  Chk(\"hello\", \"world\")\n",
       3000, "All", "  Relay()\n", "All", "  Note(\"tick\")\n", 2,
       "Sub Chk(a As String * 8, b As String * 8)\n"
       "  Local k As Byte\n  For k = 1 To 5\n  Next\n"
       "  If a <> \"hello\" Then Bad = Bad + 1\n  If b <> \"world\" Then Bad = Bad + 1\n  Good = Good + 1\n"
       "End Sub\n"
       "Sub Logit(tx As String * 8)\n  Logged = tx\nEnd Sub\n"
       "Sub Note(tx As String * 8)\n  Noted = tx\nEnd Sub\n"
       "Sub Relay()\n  Logit(\"tock\")\n  If Logged <> \"tock\" Then Hbad = Hbad + 1\nEnd Sub\n"},
  };
  return rows;
}

std::string Program(const Row& row, bool interrupts) {
  // Main's float text, the outer handler and the inner one's float text on top: the
  // deepest the hardware stack can go when all three meet.
  std::string s = "$device = m8\n$clock = 8\n$stack = 126\n";
  s += "Declare Interrupt Ovf0()\nDeclare Interrupt Ovf2()\n";
  if (*row.subs != 0)
    s += "Declare Sub Chk(a As String * 8, b As String * 8)\nDeclare Sub Logit(tx As String * 8)\n"
         "Declare Sub Note(tx As String * 8)\nDeclare Sub Relay()\n";
  s += "Dim N As Word, Good As Word, Bad As Word, Hbad As Word, Outer As Word, Inner As Word, Nested As Word\n"
       "Dim Open0 As Byte, Hn As Byte\n";
  s += row.dims;
  s += "Good = 0 : Bad = 0 : Hbad = 0 : Outer = 0 : Inner = 0 : Nested = 0 : Open0 = 0 : Hn = 0\n";
  if (std::string(row.dims).find("W1") != std::string::npos) s += "W1 = 1000 : W2 = 2000\n";
  if (std::string(row.dims).find("F As") != std::string::npos) s += "F = 1.5 : G = 2.25\n";
  // Timer0 overflows every 16384 cycles (clk/64), Timer2 every 2048 or 8192.
  s += "$asm\n  ldi r16,0x03\n  out TCCR0,r16\n  ldi r16," + std::to_string(row.innerPrescale) +
       "\n  out TCCR2,r16\n";
  if (interrupts) s += "  ldi r16,0x41\n  out TIMSK,r16\n  sei\n";
  s += "$end asm\n";
  s += "For N = 1 To " + std::to_string(row.passes) + "\n" + row.main + "Next\n";
  s += "$asm\n  cli\n$end asm\nEnd\n";
  s += row.subs;
  // The outer handler stays open about 3500 cycles with interrupts on.
  s += std::string("Interrupt Ovf0(), Save ") + row.outerSave + "\n";
  s += "  Open0 = 1\n  Enable Interrupts\n"
       "$asm\n  ldi r24,0\n  ldi r25,0\nBusy0:\n  adiw r24,1\n  cpi r25,3\n  brne Busy0\n$end asm\n";
  s += row.outerWork;
  s += "  Open0 = 0\n  Outer = Outer + 1\nEnd Interrupt\n";
  s += std::string("Interrupt Ovf2(), Save ") + row.innerSave + "\n";
  s += "  Inner = Inner + 1\n  If Open0 = 1 Then Nested = Nested + 1\n";
  s += row.innerWork;
  s += "End Interrupt\n";
  return s;
}

TEST(HandlerNesting, EachHandlerGivesBackWhatItFound) {
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.name);
    auto quiet = RunBasic(Program(row, false), "atmega8", 100'000'000);
    ASSERT_TRUE(quiet->ok) << quiet->Diagnostics();
    ASSERT_EQ(quiet->Word("good"), row.passes);
    ASSERT_EQ(quiet->Word("bad"), 0);
    auto busy = RunBasic(Program(row, true), "atmega8", 100'000'000);
    if (!busy->ok) {
      ADD_FAILURE() << "the run with the handlers did not end: " << busy->Diagnostics().substr(0, 600);
      continue;
    }
    EXPECT_GT(busy->Word("nested"), 150) << "inner handlers inside the outer one";
    EXPECT_GT(busy->Word("outer"), 150);
    EXPECT_EQ(busy->Word("good"), row.passes) << "main results the handlers disturbed";
    EXPECT_EQ(busy->Word("bad"), 0) << "main results the handlers disturbed";
    EXPECT_EQ(busy->Word("hbad"), 0) << "handler results disturbed";
  }
}


// The software UART of $com1 receives while an outer Timer1 handler (Save 4) has
// interrupts on: its INT0 and Timer0 handlers keep their SREG in r2, so the outer handler
// must keep its own copy elsewhere. Bytes arrive at 19200 baud (a Timer0 interrupt every
// 416 cycles while a byte comes in) through the whole run; the outer handler fires every
// 16384 cycles (it reloads Timer1) and stays open about 3800: some ten software UART
// interrupts inside each, in each of about 180 outer handlers.
std::string SoftUartProgram(bool interrupts) {
  std::string s = "$device = m8\n$clock = 8\n$stack = 64\n$com1 = portb.1, 19200\n";
  s += "Declare Interrupt Ovf1()\n"
       "Dim N As Word, Good As Word, Bad As Word, Outer As Word, W1 As Word, W2 As Word\n"
       "Good = 0 : Bad = 0 : Outer = 0 : W1 = 1000 : W2 = 2000\n";
  s += "$asm\n  ldi r16,0x01\n  out TCCR1B,r16\n";
  if (interrupts) s += "  in r16,TIMSK\n  ori r16,0x04\n  out TIMSK,r16\n  sei\n";
  s += "$end asm\n";
  s += "For N = 1 To 60000\n  If W1 < W2 Then Good = Good + 1\n  If W2 < W1 Then Bad = Bad + 1\nNext\n";
  s += "$asm\n  cli\n$end asm\nEnd\n";
  s += "Interrupt Ovf1(), Save 4\n"
       "$asm\n  ldi r24,0xC0\n  out TCNT1H,r24\n  clr r24\n  out TCNT1L,r24\n$end asm\n"
       "  Enable Interrupts\n"
       "$asm\n  ldi r24,0\n  ldi r25,0\nBusy1:\n  adiw r24,1\n  cpi r25,3\n  brne Busy1\n$end asm\n"
       "  Outer = Outer + 1\nEnd Interrupt\n";
  return s;
}

TEST(HandlerNesting, TheSoftUartHandlersInsideAnOuterOne) {
  for (const bool interrupts : {false, true}) {
    SCOPED_TRACE(interrupts ? "with the handlers" : "without");
    std::unique_ptr<SoftUartSender> tx;
    auto run = RunBasic(SoftUartProgram(interrupts), "atmega8", 100'000'000, [&](SimRunner& sim) {
      tx = std::make_unique<SoftUartSender>(sim, 'D', 2, 8e6 / 19200);
      std::string bytes;
      for (int i = 0; i < 800; ++i) bytes.push_back(static_cast<char>(0x41 + i % 26));
      tx->Queue(bytes);
      tx->StartAfter(1000);
    });
    ASSERT_TRUE(run->ok) << run->Diagnostics().substr(0, 600);
    EXPECT_EQ(run->Word("good"), 60000);
    EXPECT_EQ(run->Word("bad"), 0);
    if (interrupts) {
      EXPECT_GT(run->Word("outer"), 150);
    }
  }
}

}  // namespace
}  // namespace qbc::test
