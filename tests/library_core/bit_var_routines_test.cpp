// Bit-variable helpers on the simulator.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "compiler/library/core/bit_var_routines.h"
#include "tests/library_core/text_routine_bench.h"

namespace qbc {
namespace {

using test::libfix::StringBench;

TEST(BitVarRoutines, StoreMaskAndShiftMatchTheirModels) {
  const auto d = test::libfix::M8();
  StringBench b(d, "");
  b.p.routines = test::libfix::Emit(d, [](CompilerState& st) {
    EmitStoreBitVarRoutine(st);
    EmitVaBitRoutine(st);
    EmitLoadBitVarRoutine(st);
  });
  const std::vector<int> bytes = {0, 1, 0xFE, 0xFF, 0x80, 3};
  for (int v : bytes)
    b.p.cases.push_back("\t\tldi\tzl," + std::to_string(v) + "\n\t\trcall\t_StBit\n" + StringBench::RecordSreg());
  for (int n = 0; n <= 8; ++n)
    b.p.cases.push_back("\t\tldi\tzl," + std::to_string(n) + "\n\t\trcall\t_VaBit\n" +
                        StringBench::RecordReg("r23") + StringBench::RecordReg("zl"));
  const std::vector<std::pair<int, int>> shifts = {{0x80, 7}, {0xAA, 1}, {0xFF, 8}, {0x81, 3}, {0xFF, 255}};
  for (auto [v, n] : shifts)
    b.p.cases.push_back("\t\tldi\tzl," + std::to_string(v) + "\n\t\tldi\tr24," + std::to_string(n) +
                        "\n\t\trcall\t_VaBiL\n" + StringBench::RecordReg("zl") + StringBench::RecordReg("r24"));
  auto out = test::libfix::Run(b.p);
  test::libfix::Reader r{out};
  for (int v : bytes) EXPECT_EQ((r.Byte() & 0x40) != 0, (v & 1) != 0) << "_StBit " << v;
  for (int n = 0; n <= 8; ++n) {
    EXPECT_EQ(r.Byte(), n < 8 ? 1 << n : 0) << "_VaBit " << n;
    EXPECT_EQ(r.Byte(), 0);
  }
  for (auto [v, n] : shifts) {
    EXPECT_EQ(r.Byte(), n < 8 ? v >> n : 0) << "_VaBiL " << v << " by " << n;
    EXPECT_EQ(r.Byte(), 0);
  }
  EXPECT_TRUE(r.Ok());
}

TEST(BitVarRoutines, Text) {
  const std::string t = test::libfix::Emit(test::libfix::M8(), EmitLoadBitVarRoutine);
  EXPECT_EQ(t, "\n;////// Load BitVar //////////////////////\n_VaBiL:\n\t\tlsr\t\tzl\n\t\tdec\t\tr24\n"
               "\t\tbrne\t_VaBiL\n\t\tret\n");
}

}  // namespace
}  // namespace qbc
