// Abs and the integer square root on the simulator, against host models over tables of
// values of every width.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const std::string kHead = "$device = m168\n$clock = 8\n$stack = 48\n";

// Abs is taken in a signed type wide enough for the target: an unsigned byte or word is
// never negative, a byte or word difference may be.
TEST(AbsFunction, ValuesOfEveryWidthAgainstTheHost) {
  struct Row {
    const char* target;  // declared type of the result
    const char* source;  // declared type of A and B
    long a, b;           // Abs(A - B) and Abs(A)
  };
  const std::vector<Row> rows = {
      {"Byte", "Byte", 3, 5},          {"Byte", "Byte", 200, 0},       {"Word", "Word", 40000, 0},
      {"Word", "Word", 1000, 41000},   {"Integer", "Integer", -300, 20}, {"Integer", "Integer", -32767, 0},
      {"Long", "Long", -65536, 0},     {"Long", "Long", 5, 100005},    {"Long", "Integer", -30000, 0},
      {"Word", "Integer", -20000, 0},
  };
  std::string src = kHead;
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string n = std::to_string(i);
    src += "Dim A" + n + " As " + rows[i].source + ", B" + n + " As " + rows[i].source + ", D" + n + " As " +
           rows[i].target + ", S" + n + " As " + rows[i].target + "\n";
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string n = std::to_string(i);
    src += "A" + n + " = " + std::to_string(rows[i].a) + "\nB" + n + " = " + std::to_string(rows[i].b) + "\n";
    src += "D" + n + " = Abs(A" + n + " - B" + n + ")\nS" + n + " = Abs(A" + n + ")\n";
  }
  src += "End\n";
  auto run = RunBasic(src, "m168");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string n = std::to_string(i);
    const std::string t = rows[i].target;
    auto read = [&](const std::string& v) -> long {
      if (t == "Byte") return run->Byte(v);
      if (t == "Word") return run->Word(v);
      if (t == "Integer") return run->Integer(v);
      return static_cast<std::int32_t>(run->Long(v));
    };
    EXPECT_EQ(read("d" + n), std::labs(rows[i].a - rows[i].b)) << t << " Abs(" << rows[i].a << " - " << rows[i].b << ")";
    EXPECT_EQ(read("s" + n), std::labs(rows[i].a)) << t << " Abs(" << rows[i].a << ")";
  }
}

TEST(AbsFunction, FloatAndOwnTypeInAnExpression) {
  auto run = RunBasic(kHead +
                          "Dim F As Float, G As Float, I As Integer, J As Integer, L As Long\n"
                          "F = -2.5\nG = Abs(F) * 2\nI = -40\nJ = Abs(I) + 1\nL = Abs(I) * 1000\nEnd\n",
                      "m168");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->FloatBits("g"), 0x40a00000u);  // 5.0
  EXPECT_EQ(run->Integer("j"), 41);
  EXPECT_EQ(static_cast<std::int32_t>(run->Long("l")), 40000);
}

// Sqrt of an integer: _Sqr16 rounds to the nearest root, _Sqr32 gives the whole part.
TEST(SqrtFunction, IntegerRootsOfEveryWidth) {
  const std::vector<long> bytes = {0, 1, 2, 3, 15, 16, 99, 200, 255};
  const std::vector<long> words = {0, 5, 1000, 40000, 65025, 65535};
  const std::vector<long> longs = {0, 70000, 1000000, 123456789, 2147483647};
  std::string src = kHead + "Dim B As Byte, R As Byte, W As Word, L As Long\n";
  src += "Dim RB(" + std::to_string(bytes.size()) + ") As Byte, RW(" + std::to_string(words.size()) + ") As Word, RL(" +
         std::to_string(longs.size()) + ") As Long\n";
  for (size_t i = 0; i < bytes.size(); ++i)
    src += "W = &HFFFF\nB = " + std::to_string(bytes[i]) + "\nR = Sqrt(B)\nRB(" + std::to_string(i) + ") = R\n";
  for (size_t i = 0; i < words.size(); ++i)
    src += "W = " + std::to_string(words[i]) + "\nRW(" + std::to_string(i) + ") = Sqrt(W)\n";
  for (size_t i = 0; i < longs.size(); ++i)
    src += "L = " + std::to_string(longs[i]) + "\nRL(" + std::to_string(i) + ") = Sqrt(L)\n";
  src += "End\n";
  auto run = RunBasic(src, "m168");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  auto nearest = [](long v) { return std::lround(std::sqrt(static_cast<double>(v))); };
  for (size_t i = 0; i < bytes.size(); ++i)
    EXPECT_EQ(run->Byte("rb", static_cast<int>(i)), nearest(bytes[i])) << "Sqrt of byte " << bytes[i];
  for (size_t i = 0; i < words.size(); ++i)
    EXPECT_EQ(run->Word("rw", static_cast<int>(2 * i)), nearest(words[i])) << "Sqrt of word " << words[i];
  for (size_t i = 0; i < longs.size(); ++i)
    EXPECT_EQ(run->Long("rl", static_cast<int>(4 * i)),
              static_cast<std::uint32_t>(std::floor(std::sqrt(static_cast<double>(longs[i])))))
        << "Sqrt of long " << longs[i];
}

}  // namespace
}  // namespace qbc::test
