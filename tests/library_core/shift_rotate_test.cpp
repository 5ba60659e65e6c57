// Shift and rotate routines on the simulator against a host model, for every width and
// direction, over counts that cross the byte, word and long widths (0 means 256 passes).
#include "compiler/library/core/shift_rotate.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tests/library_core/core_fixture.h"

namespace qbc::test::corelib {
namespace {

enum class Op { ShiftLeft, ShiftRight, RotateLeft, RotateRight };

struct ShiftRoutine {
  const char* entry;
  void (*emit)(CompilerState&);
  int bytes;
  Op op;
};

const ShiftRoutine kRoutines[] = {
    {"_ShtBL", EmitShiftLeftByteRoutine, 1, Op::ShiftLeft},
    {"_ShtWL", EmitShiftLeftWordRoutine, 2, Op::ShiftLeft},
    {"_ShtLL", EmitShiftLeftLongRoutine, 4, Op::ShiftLeft},
    {"_ShtBR", EmitShiftRightByteRoutine, 1, Op::ShiftRight},
    {"_ShtWR", EmitShiftRightWordRoutine, 2, Op::ShiftRight},
    {"_ShtLR", EmitShiftRightLongRoutine, 4, Op::ShiftRight},
    {"_RotBL", EmitRotateLeftByteRoutine, 1, Op::RotateLeft},
    {"_RotWL", EmitRotateLeftWordRoutine, 2, Op::RotateLeft},
    {"_RotLL", EmitRotateLeftLongRoutine, 4, Op::RotateLeft},
    {"_RotBR", EmitRotateRightByteRoutine, 1, Op::RotateRight},
    {"_RotWR", EmitRotateRightWordRoutine, 2, Op::RotateRight},
    {"_RotLR", EmitRotateRightLongRoutine, 4, Op::RotateRight},
};

// A count of 0 runs 256 passes.
uint32_t Model(Op op, int bytes, uint32_t v, unsigned count) {
  const unsigned bits = 8u * static_cast<unsigned>(bytes);
  const uint64_t mask = (uint64_t{1} << bits) - 1;
  unsigned passes = count == 0 ? 256 : count;
  uint64_t x = v & mask;
  for (unsigned i = 0; i < passes; ++i) {
    switch (op) {
      case Op::ShiftLeft: x = (x << 1) & mask; break;
      case Op::ShiftRight: x >>= 1; break;
      case Op::RotateLeft: x = ((x << 1) | (x >> (bits - 1))) & mask; break;
      case Op::RotateRight: x = (x >> 1) | ((x & 1) << (bits - 1)); break;
    }
  }
  return static_cast<uint32_t>(x);
}

const std::vector<std::string> kValueRegs = {"zl", "zh", "r18", "r19"};

void PrintTo(const ShiftRoutine& r, std::ostream* os) { *os << r.entry; }

class ShiftRotate : public ::testing::TestWithParam<ShiftRoutine> {};

TEST_P(ShiftRotate, MatchesTheModelForEveryCount) {
  const ShiftRoutine& r = GetParam();
  const std::vector<uint32_t> values = {0x00000000u, 0x00000001u, 0x80000000u, 0x00000080u, 0x00008000u,
                                        0xA5C3E1F0u, 0xFFFFFFFFu, 0x12345678u, 0x8000807Fu};
  const std::vector<unsigned> counts = {0, 1, 2, 7, 8, 9, 15, 16, 17, 31, 32, 33, 255};
  std::vector<std::vector<uint8_t>> cases;
  for (uint32_t v : values) {
    for (unsigned c : counts) {
      auto b = Bytes(v, r.bytes);
      b.push_back(static_cast<uint8_t>(c));
      cases.push_back(b);
    }
  }
  std::vector<std::string> in(kValueRegs.begin(), kValueRegs.begin() + r.bytes);
  std::vector<std::string> out = in;
  in.push_back("r24");
  out.push_back("r24");
  RegisterRoutine routine{EmitText(r.emit), r.entry, in, out, ""};
  auto results = RunRegisterCases(routine, cases);
  ASSERT_EQ(results.size(), cases.size());
  size_t i = 0;
  for (uint32_t v : values) {
    for (unsigned c : counts) {
      EXPECT_EQ(Value(results[i], 0, r.bytes), Model(r.op, r.bytes, v, c))
          << r.entry << " of 0x" << std::hex << (v & ((uint64_t{1} << (8 * r.bytes)) - 1)) << std::dec << " by " << c;
      EXPECT_EQ(results[i][r.bytes], 0) << r.entry << ": r24 is 0 at exit";
      ++i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllTwelve, ShiftRotate, ::testing::ValuesIn(kRoutines),
                         [](const ::testing::TestParamInfo<ShiftRoutine>& p) { return std::string(p.param.entry + 1); });

TEST(ShiftRotateText, LongRotatesWriteTheirCountingLineWithoutSeparator) {
  std::string ll = EmitText(EmitRotateLeftLongRoutine);
  std::string lr = EmitText(EmitRotateRightLongRoutine);
  EXPECT_NE(ll.find("\r\n_RotLL1:dec\t\tr24\r\n"), std::string::npos);
  EXPECT_NE(lr.find("\r\n_RotLR1:dec\t\tr24\r\n"), std::string::npos);
  EXPECT_EQ(ll.rfind("\r\n;////// RotateLeftLong /////////////////////////\r\n_RotLL:\tclc\r\n", 0), 0u);
  EXPECT_EQ(EmitText(EmitShiftLeftByteRoutine),
            "\r\n;////// ShiftLeftByte /////////////////////\r\n_ShtBL:\tlsl\t\tzl\r\n\t\tdec\t\tr24\r\n"
            "\t\tbrne\t_ShtBL\r\n\t\tret\r\n");
}

}  // namespace
}  // namespace qbc::test::corelib
