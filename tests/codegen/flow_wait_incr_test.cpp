// Wait statements (timed on the simulator), Incr and Decr of variables and array elements.
#include "tests/codegen/flow_fixture.h"

namespace qbc {
namespace {

// Cycles a program spends in `statement`: the same program with and without it.
std::int64_t CyclesOf(const std::string& decl, const std::string& statement) {
  auto with = test::RunProgram(decl + statement + "\n", test::kFlowDevices[0], 8, 100'000'000);
  auto without = test::RunProgram(decl, test::kFlowDevices[0], 8, 100'000'000);
  if (!with.sim || !without.sim) return -1;
  return static_cast<std::int64_t>(with.sim->Cycles()) - static_cast<std::int64_t>(without.sim->Cycles());
}

TEST(FlowWait, WaitMsLastsItsTimeAt8MHz) {
  const std::int64_t c100 = CyclesOf("dim w as word\nw = 300\n", "waitms 100");
  EXPECT_NEAR(c100, 800000, 8000) << "WaitMs 100 at 8 MHz";
  const std::int64_t c0 = CyclesOf("dim w as word\nw = 300\n", "waitms 0");
  EXPECT_LT(c0, 20) << "WaitMs 0 waits nothing";
  // A word count passes all 16 bits.
  const std::int64_t c300 = CyclesOf("dim w as word\nw = 300\n", "waitms w");
  EXPECT_NEAR(c300, 2400000, 24000) << "WaitMs w with w = 300";
}

// WaitUs counts microseconds (its library's _Wus steps of about 10 us serve the sound,
// keypad and LCD routines), by a constant and by a variable.
TEST(FlowWait, WaitUsLastsItsMicrosecondsAt8MHz) {
  const std::int64_t c100 = CyclesOf("dim n as byte\nn = 100\n", "waitus 100");
  EXPECT_NEAR(c100, 800, 30) << "WaitUs 100 at 8 MHz";
  const std::int64_t cn = CyclesOf("dim n as byte\nn = 250\n", "waitus n");
  EXPECT_NEAR(cn, 2000, 30) << "WaitUs n with n = 250";
}

TEST(FlowWait, ConstantsAboveAByteAreRefused) {
  for (const char* stmt : {"waitms 1000", "waitus 256", "wait 300"}) {
    auto r = test::CompileOnly(std::string(stmt) + "\n");
    EXPECT_NE(r.report.find("Must be from 0 to 255!"), std::string::npos) << stmt << r.report;
  }
  auto r = test::CompileOnly("wait 1\n");
  EXPECT_EQ(r.errors, 0) << r.report;
  EXPECT_NE(r.asmText.find("_Ws:"), std::string::npos);
  EXPECT_NE(r.asmText.find("_Wms:"), std::string::npos);
}

TEST(FlowIncr, ScalarsAndArrayElements) {
  for (const auto& dev : test::kFlowDevices) {
    SCOPED_TRACE(dev.name);
    auto r = test::RunProgram(R"(
dim b as byte, w as word, i as integer, k as byte
dim ab(5) as byte, aw(5) as word
b = 255
w = 255
i = 0
incr b
incr w
decr i
k = 2
ab(2) = 9
aw(3) = 511
incr ab(k)
incr aw(k + 1)
decr ab(2)
decr ab(2)
aw(1) = 0
decr aw(1)
)",
                              dev);
    if (!r.sim) continue;
    EXPECT_EQ(r.Byte("b"), 0);
    EXPECT_EQ(r.Word("w"), 256);
    EXPECT_EQ(r.Int("i"), -1);
    const std::uint32_t ab = *r.sim->Symbol("ab");
    const std::uint32_t aw = *r.sim->Symbol("aw");
    EXPECT_EQ(r.sim->Sram(ab + 2), 8);
    EXPECT_EQ(r.sim->SramWord(aw + 6), 512);
    EXPECT_EQ(r.sim->SramWord(aw + 2), 65535);
  }
}

TEST(FlowIncr, LongsAndUnknownNamesAreReported) {
  auto r = test::CompileOnly("dim l as long\nincr l\ndecr l\nincr nothere\n");
  EXPECT_NE(r.report.find("Var Long can not be Incr!"), std::string::npos) << r.report;
  EXPECT_NE(r.report.find("Var Long can not be Decr!"), std::string::npos) << r.report;
  EXPECT_NE(r.report.find("Unknown identifier nothere"), std::string::npos) << r.report;
}

}  // namespace
}  // namespace qbc
