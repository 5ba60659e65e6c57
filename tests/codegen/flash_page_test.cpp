// Flash reads on chips whose flash reaches past 64 KB go through RAMPZ. Every read sets it
// for itself, and an interrupt handler gives the interrupted code its RAMPZ back: the main
// program copies a text from a table above 64 KB while a Timer0 handler reads and searches
// tables in the first 64 KB; searches and character reads find their entries whatever an
// earlier read left in RAMPZ.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

// Places everything after it above the first 64 KB of flash (word address 0x8100).
const char* kFarPage = "$asm\n.ORG 0x8100\n$end asm\n";

// `handler`: whether the Timer0 overflow interrupt is enabled (the same program without
// it must give the same results).
std::string CopyWhileHandlerReads(const std::string& device, bool handler) {
  std::string p = "$device = " + device + "\n$clock = 8\n$stack = 64\n";
  p += "Dim Nm(3) As Flash String, Lowb(4) As Flash Byte, Loww(3) As Flash Word\n";
  p += "Dim S As String * 20, Want As String * 20, Bad As Word, N As Word, Ticks As Word\n";
  p += "Dim Hb As Byte, Hf As Word, Hw As Word, Hbad As Word\n";
  p += "Declare Interrupt Ovf0()\n$timer0 = timer, prescale = 8\n";
  p += "Want = \"far away text\"\nBad = 0\nTicks = 0\nHbad = 0\n";
  if (handler) p += "Enable Ovf0\n";
  p += "Enable Interrupts\nStart Timer0\n";
  p += "For N = 1 To 1500\n  S = Nm(1)\n  If S <> Want Then Bad = Bad + 1\nNext\n";
  p += "Disable Interrupts\nEnd\n";
  p += "Interrupt Ovf0(), Save All\n  Ticks = Ticks + 1\n  Hb = Lowb(2)\n  Hf = Find8(44, Lowb)\n";
  p += "  Hw = Find16(3000, Loww)\n  If Hb <> 33 Then Hbad = Hbad + 1\n  If Hf <> 4 Then Hbad = Hbad + 1\n";
  p += "  If Hw <> 2 Then Hbad = Hbad + 1\nEnd Interrupt\n";
  p += "Lowb = 11, 22, 33, 44\nLoww = 1000, 3000, 5000\n";
  p += kFarPage;
  p += "Nm = \"first\", \"far away text\", \"third\"\n";
  return p;
}

TEST(FlashPage, MainCopiesAFarTextWhileTheHandlerReadsLowTables) {
  for (const char* device : {"m2560", "m128"}) {
    for (bool handler : {true, false}) {
      SCOPED_TRACE(std::string(device) + (handler ? " with the handler" : " without the handler"));
      auto run = RunBasic(CopyWhileHandlerReads(device, handler), device, 40'000'000);
      ASSERT_TRUE(run->ok) << run->Diagnostics();
      EXPECT_EQ(run->Word("bad"), 0);
      EXPECT_EQ(run->Word("hbad"), 0);
      EXPECT_EQ(run->Word("n"), 1501);
      if (handler) {
        EXPECT_GT(run->Word("ticks"), 300);  // the handler fired all through the copies
      } else {
        EXPECT_EQ(run->Word("ticks"), 0);
      }
    }
  }
}

// Each search follows a read of a table on the other side of 64 KB, which leaves RAMPZ
// pointing at the wrong page for it.
TEST(FlashPage, SearchesSetTheirOwnPage) {
  for (const char* device : {"m2560", "m128"}) {
    SCOPED_TRACE(device);
    std::string p = std::string("$device = ") + device + "\n$clock = 8\n$stack = 64\n";
    p += "Dim Far8(3) As Flash Byte, Far16(3) As Flash Word, Low8(3) As Flash Byte, Low16(3) As Flash Word\n";
    p += "Dim B As Byte, W As Word, Res1 As Word, Res2 As Word, Res3 As Word, Res4 As Word\n";
    p += "B = Low8(0)\nRes1 = Find8(165, Far8)\n";
    p += "W = Low16(0)\nRes2 = Find16(43981, Far16)\n";
    p += "B = Far8(0)\nRes3 = Find8(90, Low8)\n";
    p += "W = Far16(0)\nRes4 = Find16(4660, Low16)\n";
    p += "End\n";
    p += "Low8 = 60, 75, 90\nLow16 = 1111, 4660, 2222\n";
    p += kFarPage;
    p += "Far8 = 12, 13, 165\nFar16 = 43981, 9, 10\n";
    auto run = RunBasic(p, device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Word("res1"), 3);
    EXPECT_EQ(run->Word("res2"), 1);
    EXPECT_EQ(run->Word("res3"), 3);
    EXPECT_EQ(run->Word("res4"), 2);
  }
}

// Asc of a text above 64 KB at a position read from a table below it.
TEST(FlashPage, AscKeepsTheTextsPageWhileThePositionIsRead) {
  for (const char* device : {"m2560", "m128"}) {
    SCOPED_TRACE(device);
    std::string p = std::string("$device = ") + device + "\n$clock = 8\n$stack = 64\n";
    p += "Dim Far As Flash String, Pos(3) As Flash Byte, A As Byte, B As Byte, K As Byte\n";
    p += "A = Asc(Far, Pos(1))\nK = 2\nB = Asc(Far, Pos(K))\nEnd\n";
    p += "Pos = 1, 3, 4\n";
    p += kFarPage;
    p += "Far = \"xyzw\"\n";
    auto run = RunBasic(p, device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("a"), 'z');
    EXPECT_EQ(run->Byte("b"), 'w');
  }
}

}  // namespace
}  // namespace qbc::test
