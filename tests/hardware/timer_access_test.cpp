// Timer and capture registers as values and targets, read on the simulator while the
// timers run: the value reaches the variable in its whole width, with no stale upper
// bytes from earlier code, also as the left operand of an operation.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Header(const std::string& device) {
  return "$device = " + device + "\n$clock = 8\n$stack = 32\n" +
         "Dim B As Byte, W As Word, I As Integer, L As Long, L2 As Long, K As Long\n";
}

// A prescaler of 1024 keeps a value written into the count register for 1024 cycles.
bool Near(long got, long want) { return got == want || got == want + 1; }

TEST(TimerAccess, ValuesKeepTheirWidthAndClearStaleBytes) {
  auto run = RunBasic(Header("m128") +
                          "$timer0 = timer, prescale = 1024\n$timer1 = timer, prescale = 1024\n"
                          "$timer3 = timer, prescale = 1024\n"
                          "Start Timer0\nStart Timer1\nStart Counter3\n"
                          "Timer0 = 200\nTimer1 = 50000\nCounter3 = 60000\n"
                          "W = &HFF00\nW = Timer0\n"
                          "L = &H7FFF0000\nL = Timer3\n"
                          "L2 = &H7FFF0000\nL2 = Timer1\n"
                          "$asm\n  ldi r16,0x55\n  ldi r17,0x55\n  ldi r18,0x66\n  ldi r19,0x66\n$end asm\n"
                          "K = Counter3 + 1\n"
                          "I = Timer0 + 1000\n"
                          "B = Timer1\nEnd\n",
                      "m128");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_TRUE(Near(run->Word("w"), 200)) << run->Word("w");
  EXPECT_TRUE(Near(static_cast<long>(run->Long("l")), 60000)) << run->Long("l");
  EXPECT_TRUE(Near(static_cast<long>(run->Long("l2")), 50000)) << run->Long("l2");
  EXPECT_TRUE(Near(static_cast<long>(run->Long("k")), 60001)) << run->Long("k");
  EXPECT_TRUE(Near(run->Integer("i"), 1200)) << run->Integer("i");
  EXPECT_TRUE(Near(run->Byte("b"), 50000 % 256)) << int{run->Byte("b")};
}

// The count registers lie beyond the I/O space on the newer megas (TCNT1 at 0x84, TCNT2
// at 0xB2); the capture register of the m8 lies at I/O 0x26, which the data space gives
// to another register.
TEST(TimerAccess, RegistersAreReachedByTheirAddresses) {
  auto run = RunBasic(Header("m168") +
                          "$timer1 = timer, prescale = 1024\n$timer2 = timer, prescale = 1024\n"
                          "Start Timer1\nStart Timer2\nTimer1 = 40000\nCounter2 = 99\n"
                          "W = Counter1\nB = Timer2\nEnd\n",
                      "m168");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_TRUE(Near(run->Word("w"), 40000)) << run->Word("w");
  EXPECT_TRUE(Near(run->Byte("b"), 99)) << int{run->Byte("b")};

  auto capture = RunBasic(Header("m8") +
                              "$asm\n  ldi r16,0x9C\n  out ICR1H,r16\n  ldi r16,0x40\n  out ICR1L,r16\n"
                              "  ldi r16,0x05\n  out ADCSRA,r16\n$end asm\n"
                              "L = &H7FFF0000\nL = Capture1\nW = Capture1\nEnd\n",
                          "m8");
  ASSERT_TRUE(capture->ok) << capture->Diagnostics();
  EXPECT_EQ(capture->Word("w"), 0x9C40);
  EXPECT_EQ(capture->Long("l"), 0x9C40u);
}

// A stopped timer holds what was written into it, and Stop keeps the count.
TEST(TimerAccess, StoppedTimersKeepTheirCount) {
  for (const char* device : {"m8", "m168", "m128"}) {
    SCOPED_TRACE(device);
    auto run = RunBasic(Header(device) + "Timer1 = 1234\nW = Timer1\nTimer0 = 77\nB = Counter0\n"
                                         "$timer1 = timer, prescale = 1024\nStart Timer1\nTimer1 = 999\nStop Timer1\n"
                                         "WaitMs 1\nI = Timer1\nEnd\n",
                        device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Word("w"), 1234);
    EXPECT_EQ(run->Byte("b"), 77);
    EXPECT_TRUE(Near(run->Integer("i"), 999)) << run->Integer("i");
  }
}

// Timer values in conditions, on either side, and widened to a float or as the right
// operand of a sum.
TEST(TimerAccess, ValuesInConditionsAndOtherTypes) {
  auto run = RunBasic(Header("m168") + "Dim C As Byte, D As Byte, F As Float\nB = 0\nC = 0\nD = 0\n"
                                       "Timer1 = 50000\nTimer0 = 200\nIf Timer1 > 40000 Then B = 1\n"
                                       "If Timer0 = 200 Then C = 1\nIf 100 < Counter0 Then D = 1\nF = Timer1\n"
                                       "W = 3 + Timer1\nEnd\n",
                      "m168");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b"), 1);
  EXPECT_EQ(run->Byte("c"), 1);
  EXPECT_EQ(run->Byte("d"), 1);
  EXPECT_EQ(run->FloatBits("f"), 0x47435000u);  // 50000.0
  EXPECT_EQ(run->Word("w"), 50003);
}

TEST(TimerAccess, CaptureAloneIsNoStatement) {
  auto compiled = CompileBasic(Header("m8") + "Capture1\nEnd\n");
  EXPECT_EQ(compiled.error_count, 1);
  EXPECT_TRUE(compiled.StartsWithError("CAPTURE1 cannot stand alone!", 5)) << compiled.report;
}

}  // namespace
}  // namespace qbc::test
