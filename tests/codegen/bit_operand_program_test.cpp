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
