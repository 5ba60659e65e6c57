// MemFill's count on the simulator: sixteen bits on chips whose SRAM is longer than 256
// bytes, one byte on the smallest SRAM.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Head(const std::string& device) { return "$device = " + device + "\n$clock = 8\n$stack = 40\n"; }

// Each count fills that many bytes of Buf, cleared first, and not one more (the byte after
// the block is a guard the fill must leave at 0).
TEST(MemFillCount, TakesSixteenBitsWhereTheSramIsLonger) {
  struct Row {
    const char* count;  // the count argument, N being a Word and K a Byte
    int filled;
  };
  const Row rows[] = {
      {"N", 300}, {"N", 256}, {"N", 511}, {"N", 1}, {"N", 0}, {"K", 200}, {"300", 300}, {"N + K", 455},
  };
  for (const char* device : {"m8", "m2560"}) {
    for (const Row& r : rows) {
      const std::string program = Head(device) +
                                  "Dim Buf(520) As Byte , N As Word , K As Byte , J As Word\n"
                                  "For J = 0 To 519\nBuf(J) = 0\nNext\nN = " + std::to_string(std::string(r.count) == "N + K" ? 255 : r.filled) +
                                  "\nK = 200\nMemFill(VarPtr(Buf) , " + r.count + " , 7)\nEnd\n";
      auto run = RunBasic(program, device == std::string("m8") ? "atmega8" : "atmega2560");
      ASSERT_TRUE(run->ok) << device << " " << r.count << run->Diagnostics();
      int seven = 0;
      for (int i = 0; i < 520; ++i) seven += run->Byte("buf", i) == 7;
      EXPECT_EQ(seven, r.filled) << device << " MemFill count " << r.count;
      EXPECT_EQ(run->Byte("buf", r.filled), 0) << device << " count " << r.count << ": the byte after the block";
    }
  }
}

// An SRAM that ends below 256 keeps the one-byte count (0 fills 256 bytes there).
TEST(MemFillCount, KeepsOneByteOnTheSmallestSram) {
  auto run = RunBasic(Head("tn2313") +
                          "Dim Buf(60) As Byte , K As Byte\nFor K = 0 To 59\nBuf(K) = 0\nNext\n"
                          "K = 40\nMemFill(VarPtr(Buf) + 3 , K , 9)\nEnd\n",
                      "attiny2313");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (int i = 0; i < 60; ++i) EXPECT_EQ(run->Byte("buf", i), i >= 3 && i < 43 ? 9 : 0) << i;
}

}  // namespace
}  // namespace qbc::test
