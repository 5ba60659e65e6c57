// MemFill, MemLoad, MemCopy, Sort, Crc8 and VarPtr on the simulator against host models,
// on devices with small and large SRAM (16-bit addresses) and 2- or 4-byte calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Head(const std::string& device) { return "$device = " + device + "\n$clock = 8\n$stack = 48\n"; }

// Dallas/Maxim CRC-8: reflected polynomial 0x8C, initial value 0, no final inversion.
std::uint8_t Crc8(const std::vector<std::uint8_t>& bytes) {
  std::uint8_t crc = 0;
  for (std::uint8_t b : bytes) {
    for (int i = 0; i < 8; ++i) {
      const bool mix = ((crc ^ b) & 1) != 0;
      crc >>= 1;
      if (mix) crc ^= 0x8C;
      b >>= 1;
    }
  }
  return crc;
}

std::vector<std::uint8_t> Bytes(const BasicRun& run, const std::string& name, int count, int from = 0) {
  std::vector<std::uint8_t> v;
  for (int i = 0; i < count; ++i) v.push_back(run.Byte(name, from + i));
  return v;
}

TEST(MemoryBlocks, Crc8KnownAnswer) {
  auto run = RunBasic(Head("m8") + "Dim T(10) As Byte, C As Byte\nMemLoad(VarPtr(T), \"123456789\")\nC = Crc8(T, 9)\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("c"), 0xA1);
}

class MemoryBlocksOn : public ::testing::TestWithParam<const char*> {};

// 64 bytes of a byte generator; the CRC of every prefix and of 8 bytes from every offset
// up to 31; the data copied and sorted largest first.
TEST_P(MemoryBlocksOn, Crc8AndSortMatchTheModel) {
  auto run = RunBasic(Head(GetParam()) +
                          "Dim D(64) As Byte, S(40) As Byte, P(65) As Byte, O(32) As Byte, N As Byte, R As Byte\n"
                          "Dim K(2) As Byte, W As Word\n"
                          "R = 7\nFor N = 0 To 63\nD(N) = R\nR = R * 5\nR = R + 17\nNext\n"
                          "For N = 1 To 64\nP(N) = Crc8(D, N)\nNext\n"
                          "For N = 0 To 31\nO(N) = Crc8(VarPtr(D) + N, 8)\nNext\n"
                          "K(1) = 12\nW = &HFFFF\nW = Crc8(VarPtr(D) + 3, K(1))\n"
                          "MemCopy(40, VarPtr(D), VarPtr(S))\nSort(S, 40)\nEnd\n",
                      GetParam(), 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  const std::vector<std::uint8_t> data = Bytes(*run, "d", 64);
  ASSERT_NE(std::count(data.begin(), data.end(), data[0]), 64) << "the generator made varied bytes";
  for (int n = 1; n <= 64; ++n)
    EXPECT_EQ(run->Byte("p", n), Crc8({data.begin(), data.begin() + n})) << "Crc8 of the first " << n << " bytes";
  for (int n = 0; n < 32; ++n)
    EXPECT_EQ(run->Byte("o", n), Crc8({data.begin() + n, data.begin() + n + 8})) << "Crc8 of 8 bytes from " << n;
  // the count read from an array element goes through X, where the address waits
  EXPECT_EQ(run->Word("w"), Crc8({data.begin() + 3, data.begin() + 15})) << "in a word, high byte cleared";
  std::vector<std::uint8_t> sorted(data.begin(), data.begin() + 40);
  std::sort(sorted.begin(), sorted.end(), std::greater<>());
  EXPECT_EQ(Bytes(*run, "s", 40), sorted);
}

// Fills, copies and loads within B, a guard byte after it.
TEST_P(MemoryBlocksOn, FillCopyAndLoadMatchTheModel) {
  auto run = RunBasic(Head(GetParam()) +
                          "Dim A(16) As Byte, B(40) As Byte, G As Byte, N As Byte, Nx As Byte, Z As Byte\n"
                          "Dim V As Word, P As Word, Q As Word, T(3) As Word, Ab As Word, Lw As Long\n"
                          "For N = 0 To 15\nA(N) = N + 100\nNext\nG = &H47\nNx = 1\nZ = 0\nMemFill(VarPtr(B), 40, 0)\n"
                          "MemFill(VarPtr(B) + 2, 5, 200)\n"
                          "MemFill(VarPtr(B) + 10, Z, 9)\n"
                          "V = &H1234\nMemFill(VarPtr(B) + 20, 3, V)\n"
                          "N = 4\nMemCopy(N, VarPtr(A), VarPtr(B) + 12)\n"
                          "P = VarPtr(A) + 8\nQ = VarPtr(B) + 24\nMemCopy(3, P, Q)\n"
                          "MemLoad(VarPtr(B) + 30, 1, A(5), \"xyz\", 255)\n"
                          "P = VarPtr(T)\nMemLoad(P, 1000, 2)\n"
                          "Ab = VarPtr(G)\nLw = VarPtr(B) + 1\nEnd\n",
                      GetParam());
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  std::vector<std::uint8_t> want(40, 0);
  for (int i = 2; i < 7; ++i) want[i] = 200;
  // count 0 fills nothing; a word value fills its low byte and leaves the count
  for (int i = 20; i < 23; ++i) want[i] = 0x34;
  for (int i = 0; i < 4; ++i) want[12 + i] = static_cast<std::uint8_t>(100 + i);
  for (int i = 0; i < 3; ++i) want[24 + i] = static_cast<std::uint8_t>(108 + i);
  const std::vector<std::uint8_t> loaded = {1, 105, 'x', 'y', 'z', 0, 255};
  std::copy(loaded.begin(), loaded.end(), want.begin() + 30);
  EXPECT_EQ(Bytes(*run, "b", 40), want);
  EXPECT_EQ(run->Byte("g"), 0x47) << "written past B";
  EXPECT_EQ(run->Word("t", 0), 1000) << "a word address variable stores word items";
  EXPECT_EQ(run->Word("t", 2), 2);
  EXPECT_EQ(run->Word("ab"), run->Address("g"));
  EXPECT_EQ(run->Long("lw"), run->Address("b") + 1);
}

INSTANTIATE_TEST_SUITE_P(Devices, MemoryBlocksOn, ::testing::Values("m8", "m32", "m48", "m168", "m2560"));

// VarPtr of a local is its place in the frame: a fill through it changes the local.
TEST(MemoryBlocks, VarPtrOfALocal) {
  auto run = RunBasic(Head("m168") +
                          "Declare Sub Stuff(K As Byte)\nDim R As Byte, S As Word\nStuff(3)\nEnd\n"
                          "Sub Stuff(K As Byte)\nLocal X As Word\nX = 0\nMemFill(VarPtr(X), 2, K)\nS = X\n"
                          "MemFill(VarPtr(K), 1, 9)\nR = K\nEnd Sub\n",
                      "m168");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Word("s"), 0x0303);
  EXPECT_EQ(run->Byte("r"), 9);
}

}  // namespace
}  // namespace qbc::test
