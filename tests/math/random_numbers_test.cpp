// Rnd and Randomize on the simulator against a host model of the generator: each Rnd is
// the CRC-8 (reflected 0x8C, start 0) of the SRAM byte at RamStart + seed.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Head(const std::string& device) { return "$device = " + device + "\n$clock = 8\n$stack = 48\n"; }

uint8_t Crc8(uint8_t byte) {
  uint8_t crc = 0;
  for (int i = 0; i < 8; ++i) {
    const bool mix = ((crc ^ byte) & 1) != 0;
    crc = static_cast<uint8_t>(crc >> 1);
    if (mix) crc ^= 0x8C;
    byte = static_cast<uint8_t>(byte >> 1);
  }
  return crc;
}

// Pad covers the 256 bytes from RamStart that the seed chooses from, filled by the program
// and unchanged while Rnd runs; a chain of 100 values follows the model exactly, and the
// next ones arrive whole in a word and a float.
TEST(RandomNumbers, ValuesFollowTheGeneratorOverKnownSram) {
  struct Chip {
    const char* device;
    uint32_t ram_start;
  };
  for (const Chip& c : {Chip{"m8", 0x60}, Chip{"m168", 0x100}}) {
    SCOPED_TRACE(c.device);
    auto run = RunBasic(Head(c.device) +
                            "Dim Pad(260) As Byte, R(100) As Byte, N As Byte, W As Word, F As Float\n"
                            "For N = 0 To 255\nPad(N) = N * 37\nPad(N) = Pad(N) + 11\nNext\n"
                            "Randomize(N + 3)\nFor N = 0 To 99\nR(N) = Rnd()\nNext\nW = Rnd()\nF = Rnd()\nEnd\n",
                        c.device, 20'000'000);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    ASSERT_EQ(run->Address("pad"), c.ram_start);
    uint8_t seed = 3;  // N is 0 after its loop to 255
    for (int k = 0; k < 100; ++k) {
      seed = Crc8(run->Byte("pad", seed));
      ASSERT_EQ(run->Byte("r", k), seed) << "value " << k;
    }
    seed = Crc8(run->Byte("pad", seed));
    EXPECT_EQ(run->Word("w"), seed);
    seed = Crc8(run->Byte("pad", seed));
    EXPECT_EQ(run->FloatBits("f"), std::bit_cast<uint32_t>(static_cast<float>(seed)));
  }
}

// With 128 bytes of SRAM a seed of 128 or more is taken modulo 128: it reads the variable
// V at RamStart + (seed - 128).
TEST(RandomNumbers, SmallSramTakesTheSeedModuloItsSize) {
  auto program = [](int seed) {
    return Head("tn2313") + "Dim V As Byte, Q As Byte\nV = &H5A\nRandomize(" + std::to_string(seed) +
           ")\nQ = Rnd()\nEnd\n";
  };
  auto probe = RunBasic(program(0), "attiny2313");
  ASSERT_TRUE(probe->ok) << probe->Diagnostics();
  const int offset = static_cast<int>(probe->Address("v")) - 0x60;
  ASSERT_GE(offset, 0);
  auto run = RunBasic(program(128 + offset), "attiny2313");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("q"), Crc8(0x5A));
}

// Every seed from 0 to 255 leaves the registers and I/O alone: a received byte waits in
// the UART until the program reads it.
TEST(RandomNumbers, NoSeedReadsAnIoRegister) {
  SimOptions options;
  options.mcu = "atmega8";
  auto run = RunBasicWith(Head("m8") + "$baud = 9600\nDim N As Byte, X As Byte, S As Byte, B As Byte\n"
                                       "While UCSRA.7 = 0\nWend\n"
                                       "For N = 0 To 255\nRandomize(N)\nX = Rnd()\nNext\n"
                                       "S = UCSRA\nB = UDR\nEnd\n",
                          options, {{"Z"}});
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("s") & 0x80, 0x80);
  EXPECT_EQ(run->Byte("b"), 'Z');
}

// The seed is declared once, by whichever of Rnd and Randomize comes first: a program
// with Rnd before (or without) Randomize assembles.
TEST(RandomNumbers, TheSeedIsDeclaredOnce) {
  for (const char* body : {"X = Rnd()\nRandomize(7)\nRandomize(X)\n", "X = Rnd()\nX = Rnd()\n"}) {
    auto run = RunBasic(Head("m8") + "Dim X As Byte\n" + body + "End\n");
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    const std::string& text = run->compiled.asm_text;
    EXPECT_EQ(text.find("_rnd:"), text.rfind("_rnd:"));
  }
}

}  // namespace
}  // namespace qbc::test
