// SRAM variables placed with At, and the variables that follow them in memory, must lie
// within the chip's SRAM: beyond RAMEND the Dim is a compile error naming the variable,
// where the assembler would only refuse its data segment.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

TEST(DimAtRamEnd, PlacementBeyondRamEndIsACompileError) {
  struct Case {
    const char* device;
    const char* dims;  // line 4
    const char* error;
  } cases[] = {
      {"m8", "Dim A As Byte At &h460", "Variable a at &H460 lies beyond RAMEND (&H45F)!"},
      {"m8", "Dim W As Word At &h45F", "Variable w at &H45F lies beyond RAMEND (&H45F)!"},
      {"m8", "Dim T(4) As Byte At &h45D", "Variable t at &H45D lies beyond RAMEND (&H45F)!"},
      {"m8", "Dim S As String * 3 At &h45D", "Variable s at &H45D lies beyond RAMEND (&H45F)!"},
      {"m8", "Dim A As Byte At &h45F, B As Byte", "Variable b at &H460 lies beyond RAMEND (&H45F)!"},
      {"m8", "Dim A As Byte At &h45E, F As Flash Byte, C As Bit, L As Long", "Variable l at &H45F lies beyond RAMEND (&H45F)!"},
      {"m88", "Dim L As Long At &h4FE", "Variable l at &H4FE lies beyond RAMEND (&H4FF)!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.device) + ": " + c.dims);
    const CompiledBasic r =
        CompileBasic(std::string("$device = ") + c.device + "\n$clock = 8\n$stack = 32\n" + c.dims + "\nEnd\n");
    EXPECT_EQ(r.failure, "");
    EXPECT_TRUE(r.StartsWithError(c.error, 4)) << r.report;
  }
}

// The last bytes of SRAM are still there to be placed on, and a placed variable does not
// move the ones the data segment places.
TEST(DimAtRamEnd, TheLastBytesOfSramCanBePlacedOn) {
  auto run = RunBasic(
      "$device = m8\n$clock = 8\n$stack = 32\nDim A As Byte, Hb As Byte At &h45F\nDim W As Word At &h45D\n"
      "A = 7 : Hb = 1 : W = &h1234\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Address("hb"), 0x45Fu);
  EXPECT_EQ(run->Address("w"), 0x45Du);
  EXPECT_EQ(run->Word("w"), 0x1234);
  EXPECT_EQ(run->Byte("hb"), 1);
  EXPECT_EQ(run->Byte("a"), 7);
}

}  // namespace
}  // namespace qbc::test
