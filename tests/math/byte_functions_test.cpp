// Bcd, FromBcd, MakeWord, Msb and Hex on the simulator against host models over every
// byte or a dense table, each result in the width of its target.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const std::string kHead = "$device = m168\n$clock = 8\n$stack = 48\n";

// Every byte 0..99 to BCD and back, in a loop on the chip.
TEST(ByteFunctions, BcdAndFromBcdOverEveryValue) {
  auto run = RunBasic(kHead +
                          "Dim N As Byte, B(100) As Byte, F(100) As Byte, W As Word\n"
                          "For N = 0 To 99\nB(N) = Bcd(N)\nF(N) = FromBcd(B(N))\nNext\n"
                          "W = &HFFFF\nN = 42\nW = Bcd(N)\nEnd\n",
                      "m168", 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (int n = 0; n < 100; ++n) {
    EXPECT_EQ(run->Byte("b", n), (n / 10) * 16 + n % 10) << "Bcd(" << n << ")";
    EXPECT_EQ(run->Byte("f", n), n) << "FromBcd(Bcd(" << n << "))";
  }
  EXPECT_EQ(run->Word("w"), 0x42);  // no stale high byte in a word target
}

// MakeWord(h, l) = h * 256 + l as a word, also when the low byte's expression uses zh and
// in a long target; Msb is the high byte, also in a word target.
TEST(ByteFunctions, MakeWordAndMsbInEveryWidth) {
  auto run = RunBasic(kHead +
                          "Dim H As Byte, L As Byte, W As Word, W2 As Word, K As Long, M As Byte, MW As Word\n"
                          "Dim V As Word, I As Integer\n"
                          "H = &H12\nL = &HF0\nV = 300\nW = MakeWord(H, L)\n"
                          "W2 = MakeWord(H, V + 1)\nK = &H7FFF7FFF\nK = MakeWord(L, H) + 1\n"
                          "V = &H1234\nM = Msb(V)\nMW = Msb(&H1234)\nI = Msb(V) * 100\nEnd\n",
                      "m168");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Word("w"), 0x12F0);
  EXPECT_EQ(run->Word("w2"), 0x122D);  // 301 as a byte is 0x2D
  EXPECT_EQ(run->Long("k"), 0xF013u);
  EXPECT_EQ(run->Byte("m"), 0x12);
  EXPECT_EQ(run->Word("mw"), 0x12);
  EXPECT_EQ(run->Integer("i"), 1800);
}

TEST(ByteFunctions, HexOfEveryWidth) {
  auto run = RunBasic(kHead +
                          "Dim B As Byte, W As Word, I As Integer, L As Long\n"
                          "Dim SB As String * 4, SW As String * 6, SI As String * 6, SL As String * 10\n"
                          "B = 255\nW = &HBEEF\nI = -2\nL = &H12AB34CD\n"
                          "SB = Hex(B)\nSW = Hex(W)\nSI = Hex(I)\nSL = Hex(L)\nEnd\n",
                      "m168");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  auto text = [&](const std::string& name) {
    std::string s;
    for (int i = 0; i < 12; ++i) {
      const char c = static_cast<char>(run->Byte(name, i));
      if (c == 0) break;
      s += c;
    }
    return s;
  };
  EXPECT_EQ(text("sb"), "FF");
  EXPECT_EQ(text("sw"), "BEEF");
  EXPECT_EQ(text("si"), "FFFE");
  EXPECT_EQ(text("sl"), "12AB34CD");
}

// Hex has digits only for whole numbers: of a float the work area would hand on old text.
TEST(ByteFunctions, HexOfAFloatIsReported) {
  auto compiled = CompileBasic(kHead + "Dim F As Float, S As String * 10\nF = 1.5\nS = Hex(F)\nEnd\n");
  EXPECT_TRUE(compiled.StartsWithError("Must be Byte, Integer, Word or Long!", 6)) << compiled.report;
}

}  // namespace
}  // namespace qbc::test
