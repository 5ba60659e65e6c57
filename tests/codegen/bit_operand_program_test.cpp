// Single bits as values on the simulator: bits of variables and of ports, and $def
// aliases of port bits, combined by logic operators, negated, and used as Select Case
// selectors.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const char* kHead = "$device = m8\n$clock = 8\n$stack = 32\n";

TEST(BitOperands, VariableBitsCombineAsBits) {
  auto run = RunBasic(std::string(kHead) +
                      "Dim St As Byte, G As Bit, H As Bit, K As Bit, Ga As Byte, Ha As Byte, Ka As Byte\n"
                      "St = 6\n"
                      "G = St.1 And St.2 : Ga = G\n"   // 1 and 1 (the bytes are 6 and 6)
                      "H = St.0 Or St.3 : Ha = H\n"    // 0 or 0
                      "K = St.0 Xor St.2 : Ka = K\n"   // 0 xor 1
                      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("ga"), 1);
  EXPECT_EQ(run->Byte("ha"), 0);
  EXPECT_EQ(run->Byte("ka"), 1);
}

// Each selector is a single bit; its Case 1 and Case 0 must both be reachable.
TEST(BitOperands, BitSelectorsMeetTheirCase) {
  struct Selector {
    const char* setup;
    const char* selector;
    int expect;  // 1: Case 1 taken, 2: Case 0 taken
  };
  const Selector cases[] = {
      {"St = 6", "St.1", 1},  {"St = 6", "St.0", 2},       {"PORTD = 4", "PORTD.2", 1},
      {"PORTD = 4", "PORTD.3", 2}, {"B = 1", "B", 1}, {"B = 0", "B", 2},
  };
  for (const Selector& c : cases) {
    auto run = RunBasic(std::string(kHead) + "Dim St As Byte, B As Bit, R As Byte\n" + c.setup +
                        "\nR = 0\nSelect Case " + c.selector +
                        "\nCase 1 : R = 1\nCase 0 : R = 2\nEnd Select\nEnd\n");
    ASSERT_TRUE(run->ok) << c.selector << "\n" << run->Diagnostics();
    EXPECT_EQ(run->Byte("r"), c.expect) << c.setup << " / Select Case " << c.selector;
  }
}

TEST(BitOperands, DefAliasOfAPortBitIsABit) {
  auto run = RunBasic(std::string(kHead) +
                      "$def led = PORTB.1\n"
                      "Dim F As Bit, Res1 As Byte, Res2 As Byte, S1 As Byte, S2 As Byte\n"
                      "DDRB = 255 : PORTB = 0\n"
                      "led = Not led : Res1 = PORTB\n"
                      "F = Not led : S1 = F\n"
                      "led = Not led : Res2 = PORTB\n"
                      "F = Not led : S2 = F\n"
                      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("res1"), 2);
  EXPECT_EQ(run->Byte("s1"), 0);
  EXPECT_EQ(run->Byte("res2"), 0);
  EXPECT_EQ(run->Byte("s2"), 1);
}

}  // namespace
}  // namespace qbc::test

namespace qbc::test {
namespace {

// Every bit of words, integers and longs, by constant or by a variable's value, read,
// written and tested in conditions (a global and a local bit number).
TEST(BitOperands, BitsOfWideVariablesByConstantAndByVariable) {
  struct Case {
    const char* code;
    const char* var;  // the byte variable that must end as 1
  };
  const Case cases[] = {
      {"W = 0 : J = 12 : W.J = 1 : If W = &h1000 Then Ok = 1", "ok"},
      {"W = &hFFFF : J = 15 : W.J = 0 : If W = &h7FFF Then Ok = 1", "ok"},
      {"I = 0 : J = 9 : I.J = 1 : If I = 512 Then Ok = 1", "ok"},
      {"L = 0 : J = 27 : L.J = 1 : If L = &h08000000 Then Ok = 1", "ok"},
      {"L = 0 : L.30 = 1 : L.17 = 1 : If L = &h40020000 Then Ok = 1", "ok"},
      {"W = 0 : W.15 = 1 : If W = &h8000 Then Ok = 1", "ok"},
      {"W = &h2000 : J = 13 : Ok = W.J", "ok"},
      {"W = &h2000 : J = 12 : Ok = W.J Xor 1", "ok"},
      {"L = &h01000000 : J = 24 : Ok = L.J", "ok"},
      {"L = &h80000000 : Ok = L.31", "ok"},
      {"W = &h2000 : J = 13 : If W.J = 1 Then Ok = 1", "ok"},
      {"W = &h2000 : J = 5 : Ok = 1 : If W.J = 1 Then Ok = 0", "ok"},
      {"L = &h40000000 : J = 30 : If L.J = 1 And L.30 = 1 Then Ok = 1", "ok"},
      {"L = 0 : J = 30 : If L.J = 0 Then Ok = 1", "ok"},
      {"W = &h0400 : Ok = 0 : Tst(10)", "ok"},
  };
  for (const Case& c : cases) {
    auto run = RunBasic(std::string(kHead) +
                        "Declare Sub Tst(n As Byte)\n"
                        "Dim W As Word, I As Integer, L As Long, J As Byte, Ok As Byte, Before As Byte, After As Byte\n"
                        "Before = 0 : After = 0 : Ok = 0\n" + c.code +
                        "\nEnd\n"
                        "Sub Tst(n As Byte)\n  If W.n = 1 Then Ok = 1\nEnd Sub\n");
    ASSERT_TRUE(run->ok) << c.code << "\n" << run->Diagnostics();
    EXPECT_EQ(run->Byte(c.var), 1) << c.code;
    EXPECT_EQ(run->Byte("before"), 0) << c.code;
    EXPECT_EQ(run->Byte("after"), 0) << c.code;
  }
}

}  // namespace
}  // namespace qbc::test

namespace qbc::test {
namespace {

// Constant bits of word and long locals, written and tested; a byte local's bit read as
// a number is 0 or 1.
TEST(BitOperands, ConstantBitsOfWideLocals) {
  auto run = RunBasic(std::string(kHead) +
                      "Declare Sub Tst()\nDim Rw As Word, Rl As Long, Q As Byte, G As Byte, H As Byte\nTst()\nEnd\n"
                      "Sub Tst()\n  Local Lw As Word, Ll As Long, Lb As Byte\n"
                      "  Lw = 0 : Lw.12 = 1 : Lw.2 = 1 : Ll = 0 : Ll.29 = 1 : Ll.20 = 1 : Lb = 8\n"
                      "  Rw = Lw : Rl = Ll : Q = 0\n"
                      "  If Lw.12 = 1 Then Q = Q + 1\n  If Ll.29 = 1 Then Q = Q + 2\n  If Lw.3 = 1 Then Q = Q + 4\n"
                      "  H = Lb.3\nEnd Sub\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Word("rw"), 0x1004);
  EXPECT_EQ(run->Long("rl"), 0x20100000u);
  EXPECT_EQ(run->Byte("q"), 3);
  EXPECT_EQ(run->Byte("h"), 1);
}

}  // namespace
}  // namespace qbc::test
