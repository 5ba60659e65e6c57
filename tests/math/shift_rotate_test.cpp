// Shift and Rotate on the simulator against a host model: every numeric type, counts 0 to
// 33 (and larger constants), as statements and inside expressions, on a device with 8-bit
// call and SRAM addresses and on the bigger ones.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Head(const std::string& device) { return "$device = " + device + "\n$clock = 8\n$stack = 48\n"; }

struct TypeCase {
  const char* name;  // the Dim type
  int bytes;
  std::uint32_t start;  // the value moved
};

const TypeCase kTypes[] = {
    {"Byte", 1, 0x96},
    {"Integer", 2, 0xB4A3},  // negative: a right shift brings in zeros all the same
    {"Word", 2, 0x8E71},
    {"Long", 4, 0x9A3C5E71},
};

// Shift brings in zeros; a count of 0 leaves the value, as does a rotation by any
// multiple of the width.
std::uint32_t Model(bool rotate, bool left, int bytes, std::uint32_t v, long count) {
  const unsigned bits = 8u * static_cast<unsigned>(bytes);
  const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
  std::uint64_t x = v & mask;
  for (long i = 0; i < count; ++i) {
    if (rotate)
      x = left ? ((x << 1) | (x >> (bits - 1))) & mask : (x >> 1) | ((x & 1) << (bits - 1));
    else
      x = left ? (x << 1) & mask : x >> 1;
  }
  return static_cast<std::uint32_t>(x);
}

std::uint32_t Element(const BasicRun& run, const std::string& array, int index, int bytes) {
  switch (bytes) {
    case 1: return run.Byte(array, index);
    case 2: return run.Word(array, 2 * index);
    default: return run.Long(array, 4 * index);
  }
}

const std::vector<long> kConstantCounts = {0, 1, 2, 7, 8, 9, 15, 16, 17, 31, 32, 33, 123, 255, 300};

struct DeviceType {
  const char* device;
  TypeCase type;
};

std::vector<DeviceType> AllDeviceTypes() {
  std::vector<DeviceType> v;
  for (const char* d : {"m8", "m32", "m48", "m2560"})
    for (const TypeCase& t : kTypes) v.push_back({d, t});
  return v;
}

class BitMoves : public ::testing::TestWithParam<DeviceType> {};

// Shift by a count computed at run time (0..33, the loop's N; N + 1 and N - 2 as
// expressions) in place; Shift by constants inside an expression leaves the variable alone.
TEST_P(BitMoves, ShiftMatchesTheModel) {
  const TypeCase& t = GetParam().type;
  const std::string type = t.name;
  const std::string start = std::to_string(t.start);
  std::string src = Head(GetParam().device) + "Dim N As Byte, V As " + type + ", L(34) As " + type + ", R(34) As " +
                    type + ", P As " + type + ", Q As " + type + ", C(" + std::to_string(2 * kConstantCounts.size()) +
                    ") As " + type + "\n"
                    "For N = 0 To 33\nV = " + start + "\nShift(left, N, V)\nL(N) = V\n"
                    "V = " + start + "\nShift(Right, N, V)\nR(N) = V\nNext\n"
                    "N = 6\nV = " + start + "\nShift(left, N + 1, V)\nP = V\nQ = Shift(right, N - 2, V)\n"
                    "V = " + start + "\n";
  for (std::size_t i = 0; i < kConstantCounts.size(); ++i) {
    const std::string c = std::to_string(kConstantCounts[i]);
    src += "C(" + std::to_string(2 * i) + ") = Shift(left, " + c + ", V)\n";
    src += "C(" + std::to_string(2 * i + 1) + ") = Shift(right, " + c + ", V)\n";
  }
  src += "End\n";
  auto run = RunBasic(src, GetParam().device, 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (int n = 0; n <= 33; ++n) {
    EXPECT_EQ(Element(*run, "l", n, t.bytes), Model(false, true, t.bytes, t.start, n)) << "left by " << n;
    EXPECT_EQ(Element(*run, "r", n, t.bytes), Model(false, false, t.bytes, t.start, n)) << "right by " << n;
  }
  const std::uint32_t p = Model(false, true, t.bytes, t.start, 7);
  EXPECT_EQ(Element(*run, "p", 0, t.bytes), p) << "left by N + 1";
  EXPECT_EQ(Element(*run, "q", 0, t.bytes), Model(false, false, t.bytes, p, 4)) << "right by N - 2";
  for (std::size_t i = 0; i < kConstantCounts.size(); ++i) {
    const long c = kConstantCounts[i];
    const int k = static_cast<int>(2 * i);
    EXPECT_EQ(Element(*run, "c", k, t.bytes), Model(false, true, t.bytes, t.start, c)) << "= Shift(left, " << c;
    EXPECT_EQ(Element(*run, "c", k + 1, t.bytes), Model(false, false, t.bytes, t.start, c)) << "= Shift(right, " << c;
  }
  EXPECT_EQ(Element(*run, "v", 0, t.bytes), t.start) << "the function form wrote its variable";
}

// Rotate takes a constant count: 0..33 inside an expression, and in place for counts
// across the widths and larger ones, whole (123 is 123 passes). One program per direction:
// the unrolled counts would not fit the smaller flash together.
TEST_P(BitMoves, RotateMatchesTheModel) {
  const TypeCase& t = GetParam().type;
  const std::string type = t.name;
  const std::vector<long> inPlace = {0, 1, 9, 17, 33, 123, 255, 300};
  for (const bool left : {true, false}) {
    const std::string dir = left ? "left" : "RIGHT";
    SCOPED_TRACE(dir);
    std::string src = Head(GetParam().device) + "Dim V As " + type + ", S As " + type + ", R(34) As " + type +
                      ", C(" + std::to_string(inPlace.size()) + ") As " + type + "\nS = " + std::to_string(t.start) +
                      "\nV = S\n";
    for (int n = 0; n <= 33; ++n) src += "R(" + std::to_string(n) + ") = Rotate(" + dir + ", " + std::to_string(n) + ", V)\n";
    for (std::size_t i = 0; i < inPlace.size(); ++i)
      src += "V = S\nRotate(" + dir + ", " + std::to_string(inPlace[i]) + ", V)\nC(" + std::to_string(i) + ") = V\n";
    src += "V = S\nEnd\n";
    auto run = RunBasic(src, GetParam().device, 20'000'000);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    for (int n = 0; n <= 33; ++n)
      EXPECT_EQ(Element(*run, "r", n, t.bytes), Model(true, left, t.bytes, t.start, n)) << "= Rotate by " << n;
    for (std::size_t i = 0; i < inPlace.size(); ++i)
      EXPECT_EQ(Element(*run, "c", static_cast<int>(i), t.bytes), Model(true, left, t.bytes, t.start, inPlace[i]))
          << "Rotate by " << inPlace[i];
  }
}

INSTANTIATE_TEST_SUITE_P(EveryTypeOnFourDevices, BitMoves, ::testing::ValuesIn(AllDeviceTypes()),
                         [](const ::testing::TestParamInfo<DeviceType>& p) {
                           return std::string(p.param.device) + p.param.type.name;
                         });

// The moved value of a narrower variable is widened for its target; locals and
// parameters are moved in their own frame.
TEST(BitMoveStatements, WiderTargetsAndFrameVariables) {
  auto run = RunBasic(Head("m8") +
                          "Declare Sub Move(P As Word)\n"
                          "Dim B As Byte, W As Word, K As Long, Q As Word, S As Word\n"
                          "B = &H81\nW = &HFFFF\nW = Shift(left, 1, B)\nK = -1\nK = Rotate(left, 1, B)\n"
                          "Move(&H8001)\nEnd\n"
                          "Sub Move(P As Word)\nLocal X As Byte\nX = &HF0\nShift(right, 4, X)\nRotate(left, 1, P)\n"
                          "Q = P + X\nS = Shift(left, 2, X)\nEnd Sub\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Word("w"), 0x02);
  EXPECT_EQ(run->Long("k"), 0x03u);
  EXPECT_EQ(run->Word("q"), 0x0003 + 0x0F);
  EXPECT_EQ(run->Word("s"), 0x3C);
}

// In a condition the moved value is compared and the variable kept; after Then and inside
// a block the statement moves the variable.
TEST(BitMoveStatements, InConditionsAndBlocks) {
  auto run = RunBasic(Head("m8") +
                          "Dim B As Byte, C As Byte, D As Byte\nB = 1\nC = 0\n"
                          "If Shift(left, 1, B) = 2 Then C = 1\nIf B = 1 Then Shift(left, 3, B)\n"
                          "D = 0\nIf B = 8 Then\nRotate(right, 4, B)\nD = 1\nEnd If\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("c"), 1);
  EXPECT_EQ(run->Byte("d"), 1);
  EXPECT_EQ(run->Byte("b"), 0x80);
}

TEST(BitMoveStatements, MisuseIsReported) {
  struct Row {
    const char* line;
    const char* message;
  };
  const Row rows[] = {
      {"Shift(up, 1, B)", "Left or Right!"},
      {"Rotate(down, 1, B)", "Left or Right!"},
      {"Rotate(left, N, B)", "Must be numeric constant"},
      {"Shift(left, 1, 5)", "Last parameter must be Variable!"},
      {"Shift(left, 1, A(2))", "Last parameter must be Variable!"},
      {"Shift(left, N, F)", "Must be numeric var!"},
      {"Rotate(left, 2, S)", "Must be numeric var!\""},
  };
  for (const Row& r : rows) {
    auto compiled = CompileBasic(Head("m8") + "Dim B As Byte, N As Byte, A(4) As Byte, F As Float, S As String * 4\n" +
                                 r.line + "\nEnd\n");
    EXPECT_TRUE(compiled.StartsWithError(r.message, 5)) << r.line << ": " << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
