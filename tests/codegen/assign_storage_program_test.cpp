// Arrays, bit variables, I/O registers and float moves, compiled and run on the simulator.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Head(const std::string& device) { return "$device = " + device + "\n$clock = 8\n$stack = 32\n"; }

std::string Mcu(const std::string& device) {
  if (device == "m8") return "atmega8";
  if (device == "m88") return "atmega88";
  if (device == "m128") return "atmega128";
  return "attiny2313";
}

class ArraysOnDevice : public ::testing::TestWithParam<std::string> {};

// Every element type, indexed by constants and variables, read back through expressions.
TEST_P(ArraysOnDevice, ElementsOfEveryTypeStoreAndLoad) {
  const std::string dev = GetParam();
  const std::string src = Head(dev) +
                          "Dim Ab(5) As Byte, Ai(5) As Integer, Aw(5) As Word, Al(5) As Long\n"
                          "Dim I As Byte, B As Byte, N As Integer, W As Word, L As Long, L2 As Long\n"
                          "I = 3\n"
                          "Ab(0) = 11 : Ab(I) = 200 : Ab(4) = Ab(I) + 1\n"
                          "Ai(1) = -2000 : Ai(I) = Ai(1) * 2\n"
                          "Aw(2) = 60000 : Aw(I + 1) = Aw(2) + 5\n"
                          "Al(0) = -1 : Al(1) = 305419896 : Al(I) = Al(1) + 1 : Al(4) = -7\n"
                          "B = Ab(4)\nN = Ai(3)\nW = Aw(4)\nL = Al(I)\nL2 = Al(1) + Al(4)\n"
                          "End\n";
  auto run = RunBasic(src, Mcu(dev));
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("ab", 0), 11);
  EXPECT_EQ(run->Byte("ab", 3), 200);
  EXPECT_EQ(run->Byte("b"), 201);
  EXPECT_EQ(run->Integer("ai", 2), -2000);
  EXPECT_EQ(run->Integer("n"), -4000);
  EXPECT_EQ(run->Word("aw", 4), 60000);
  EXPECT_EQ(run->Word("w"), 60005);
  // long elements are four bytes apart: no element overlaps its neighbour
  EXPECT_EQ(run->Long("al", 0), 0xFFFFFFFFu);
  EXPECT_EQ(run->Long("al", 4), 305419896u);
  EXPECT_EQ(run->Long("al", 12), 305419897u);
  EXPECT_EQ(run->Long("al", 16), static_cast<std::uint32_t>(-7));
  EXPECT_EQ(run->Long("l"), 305419897u);
  EXPECT_EQ(run->Long("l2"), 305419889u);
}

INSTANTIATE_TEST_SUITE_P(Devices, ArraysOnDevice, ::testing::Values("m8", "m88", "m128", "tn2313"));

// On a device with more than 256 bytes of RAM the index is 16 bits: every caller of the
// element code saves it in the order the element code takes it back, so element 260 is
// element 260 (not 4 * 256 + 1).
TEST(ArrayIndex, SixteenBitIndexKeepsItsByteOrder) {
  const std::string src = Head("m8") +
                          "Dim A(300) As Byte, Wa(300) As Word, K As Word, B As Byte, W As Word\n"
                          "K = 260\n"
                          "A(K) = 77 : A(1) = 5 : Wa(K) = 4660\n"
                          "B = A(K) + A(1)\nW = Wa(K)\n"
                          "End\n";
  auto run = RunBasic(src, "atmega8");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("a", 260), 77);
  EXPECT_EQ(run->Byte("a", 1), 5);
  EXPECT_EQ(run->Byte("b"), 82);
  EXPECT_EQ(run->Word("wa", 520), 4660);
  EXPECT_EQ(run->Word("w"), 4660);
}

TEST(BitVariables, SetClearCopyAndUseAsNumbers) {
  const std::string src = Head("m8") +
                          "Dim F0 As Bit, F1 As Bit, F2 As Bit, F3 As Bit, F4 As Bit, F5 As Bit, F6 As Bit, "
                          "F7 As Bit, F8 As Bit, F9 As Bit\n"
                          "Dim B As Byte, C As Byte, W As Word, V As Byte, D As Byte\n"
                          "F0 = 0 : F1 = 1 : F9 = 1 : F8 = 0\n"
                          "B = 6\n"
                          "F2 = B\n"    // bit 0 of 6 is 0
                          "F3 = 3\n"    // a number other than 0 or 1: its bit 0
                          "F4 = F1\n"
                          "C = F9 + 2\n"
                          "W = F9\n"
                          "V = 0 : V.3 = 1 : V.0 = F1\n"
                          "D = V.3 + V.1\n"
                          "End\n";
  auto run = RunBasic(src, "atmega8");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  const std::uint8_t r3 = run->Register(3);
  const std::uint8_t r4 = run->Register(4);
  EXPECT_EQ(r3 & 0x01, 0);
  EXPECT_EQ(r3 & 0x02, 0x02);
  EXPECT_EQ(r3 & 0x04, 0);
  EXPECT_EQ(r3 & 0x08, 0x08);
  EXPECT_EQ(r3 & 0x10, 0x10);
  EXPECT_EQ(r4 & 0x01, 0);
  EXPECT_EQ(r4 & 0x02, 0x02);
  EXPECT_EQ(run->Byte("c"), 3);
  EXPECT_EQ(run->Word("w"), 1);
  EXPECT_EQ(run->Byte("v"), 9);
  EXPECT_EQ(run->Byte("d"), 1);
}

TEST(WordBits, BitsOfTheSecondByte) {
  const std::string src = Head("m8") +
                          "Dim W As Word, B As Byte, C As Byte\n"
                          "W = 0 : W.12 = 1 : W.1 = 1\n"
                          "B = W.12 : C = W.11\n"
                          "End\n";
  auto run = RunBasic(src, "atmega8");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Word("w"), 0x1002);
  EXPECT_EQ(run->Byte("b"), 1);
  EXPECT_EQ(run->Byte("c"), 0);
}

// Registers below 0x20 take sbi/cbi, 0x20..0x3F in/out, extended I/O lds/sts. On the
// m88, GPIOR1 (I/O 0x2A) and TWAR (data 0xBA) are plain read/write registers.
TEST(IoRegisters, EveryAddressRangeOnM88) {
  const std::string src = Head("m88") +
                          "Dim B As Byte, C As Byte, D As Byte, E As Byte\n"
                          "DDRD = 0\n"
                          "GPIOR1 = 0 : GPIOR1.3 = 1 : GPIOR1.0 = 1 : GPIOR1.0 = 0\n"
                          "TWAR = &h40 : TWAR.1 = 1 : TWAR.6 = 0 : TWAR.twa1 = 1\n"
                          "PORTB = &h0F : PORTB.7 = 1 : PORTB.0 = 0\n"
                          "B = GPIOR1 : C = TWAR : D = TWAR.1 : E = GPIOR1.3\n"
                          "End\n";
  auto run = RunBasic(src, "atmega88");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Sram(0x2A + 0x20), 0x08);  // GPIOR1
  EXPECT_EQ(run->sim->Sram(0x0A + 0x20), 0x00);  // DDRD untouched by the GPIOR1 bit stores
  EXPECT_EQ(run->sim->Sram(0xBA), 0x02 | 0x04);  // TWAR: bit 1, bit 2 (TWA1) set, bit 6 cleared
  EXPECT_EQ(run->sim->Sram(0x05 + 0x20), 0x8E);  // PORTB
  EXPECT_EQ(run->Byte("b"), 0x08);
  EXPECT_EQ(run->Byte("d"), 1);
  EXPECT_EQ(run->Byte("e"), 1);
  EXPECT_NE(run->compiled.asm_text.find("sts\t\tTWAR,zl"), std::string::npos);
  EXPECT_EQ(run->compiled.asm_text.find("0x0TWA1"), std::string::npos);
}

TEST(FloatMoves, LiteralsAndCopies) {
  const std::string src = Head("m8") +
                          "Dim F As Float, G As Float, H As Float, K As Float, Fa(3) As Float\n"
                          "F = 1.5\nG = F\nH = -2.5\nK = 6.02e23\nFa(2) = 0.1\nFa(1) = Fa(2)\n"
                          "End\n";
  auto run = RunBasic(src, "atmega8");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->FloatBits("f"), 0x3FC00000u);
  EXPECT_EQ(run->FloatBits("g"), 0x3FC00000u);
  EXPECT_EQ(run->FloatBits("h"), 0xC0200000u);
  EXPECT_EQ(run->FloatBits("k"), 0x66FEF4F8u);
  EXPECT_EQ(run->FloatBits("fa", 8), 0x3DCCCCCDu);
  EXPECT_EQ(run->FloatBits("fa", 4), 0x3DCCCCCDu);
}

}  // namespace
}  // namespace qbc::test

namespace qbc::test {
namespace {

// One-operator assignments load their left operand straight into the second-operand
// registers: bits of variables and registers must land there too.
TEST(BitLogic, OneOperatorFormsWithBitOperands) {
  const std::string src = Head("m8") +
                          "Dim F1 As Bit, F2 As Bit, F3 As Bit, F4 As Bit, F5 As Bit\n"
                          "Dim A As Byte, B As Byte, C As Byte\n"
                          "F1 = 1 : F2 = 0\n"
                          "F3 = F1 And F2\n"
                          "F4 = F1 Or F2\n"
                          "F5 = F1 Xor 1\n"
                          "A = 8\n"
                          "B = A.3 + 1\n"
                          "C = A.3 + A.2\n"
                          "End\n";
  auto run = RunBasic(src, "atmega8");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  const std::uint8_t r3 = run->Register(3);
  EXPECT_EQ((r3 >> 2) & 1, 0);  // F3
  EXPECT_EQ((r3 >> 3) & 1, 1);  // F4
  EXPECT_EQ((r3 >> 4) & 1, 0);  // F5
  EXPECT_EQ(run->Byte("b"), 2);
  EXPECT_EQ(run->Byte("c"), 1);
}

}  // namespace
}  // namespace qbc::test

namespace qbc::test {
namespace {

// Bit numbers held in variables, at run time: every bit 0 to 7 of a variable and of a
// register, as targets and as operands.
TEST(RunTimeBits, BitNumberInAVariable) {
  const std::string src = Head("m88") +
                          "Dim V As Byte, I As Byte, R As Byte, S As Byte, T As Byte, U As Byte, F1 As Bit\n"
                          "V = 0 : I = 0 : GPIOR1 = 0\n"
                          "V.I = 1\n"        // bit 0
                          "I = 5 : V.I = 1\n"
                          "I = 7 : V.I = 1 : V.I = 0\n"
                          "I = 3 : PORTB.I = 1\n"
                          "I = 0 : PORTB.I = 1\n"
                          "I = 6 : R = 7 : PORTB.I = R / 7\n"  // the divide routine uses r23
                          "I = 5 : R = V.I\n"       // 1
                          "I = 4 : S = V.I + 10\n"  // 10
                          "I = 0 : T = PORTB.I\n"   // 1 (bit 0: no shift)
                          "I = 3 : U = PORTB.I + PORTB.I\n"
                          "I = 5 : F1 = V.I\n"
                          "End\n";
  auto run = RunBasic(src, "atmega88");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("v"), 0x21);
  EXPECT_EQ(run->sim->Sram(0x05 + 0x20), 0x49);  // PORTB
  EXPECT_EQ(run->Byte("r"), 1);
  EXPECT_EQ(run->Byte("s"), 10);
  EXPECT_EQ(run->Byte("t"), 1);
  EXPECT_EQ(run->Byte("u"), 2);
  EXPECT_EQ(run->Register(3) & 0x01, 1);
}

}  // namespace
}  // namespace qbc::test

namespace qbc::test {
namespace {

// Float operands with the float library: sums, products, quotients, conversions from and
// to integer types.
TEST(FloatArithmetic, WithTheFloatLibrary) {
  const std::string src = Head("m8") +
                          "Dim F As Float, G As Float, H As Float, B As Byte, K As Float, M As Float, N As Float\n"
                          "Dim I As Integer, P As Float, Q As Float, C As Byte, L As Long, D As Byte\n"
                          "G = 1.5 : H = 2.25\n"
                          "F = G + H\nB = 7\nK = B\nM = 2.5 * G\nN = H / 4\nI = -3\nP = I\nQ = G - H\n"
                          "C = H * 2\n"   // a float in a byte product: the product converted once
                          "D = H + 1\n"   // and in a byte sum
                          "L = -H * 4\n"
                          "End\n";
  auto run = RunBasic(src, "atmega8");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->FloatBits("f"), 0x40700000u);
  EXPECT_EQ(run->FloatBits("k"), 0x40E00000u);
  EXPECT_EQ(run->FloatBits("m"), 0x40700000u);
  EXPECT_EQ(run->FloatBits("n"), 0x3F100000u);
  EXPECT_EQ(run->FloatBits("p"), 0xC0400000u);
  EXPECT_EQ(run->FloatBits("q"), 0xBF400000u);
  EXPECT_EQ(run->Byte("c"), 4);
  EXPECT_EQ(run->Byte("d"), 3);
  EXPECT_EQ(run->Long("l"), static_cast<std::uint32_t>(-9));  // -2.25 * 4, not -2 * 4
}

}  // namespace
}  // namespace qbc::test
