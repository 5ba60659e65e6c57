// Flash tables: data lists, element reads and the Find8/Find16 searches, run on the
// simulator. Every search finds the first and the last element and misses an absent value,
// for tables of 1, 255 and 256 elements.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

// "name = v0, v1, ..." over several source lines of `perLine` values (each line but the
// last ends in ",").
std::string DataList(const std::string& name, const std::vector<long>& values, int perLine = 10) {
  std::ostringstream s;
  s << name << " = ";
  for (std::size_t i = 0; i < values.size(); ++i) {
    s << values[i];
    if (i + 1 < values.size()) s << ((i + 1) % perLine == 0 ? ",\n" : ", ");
  }
  s << "\n";
  return s.str();
}

std::vector<long> Values(int n, const std::function<long(int)>& f) {
  std::vector<long> v;
  for (int i = 0; i < n; ++i) v.push_back(f(i));
  return v;
}

struct Table {
  std::string name;
  std::string type;
  std::vector<long> values;
  long missing;
};

// With tables of 256 elements the program gets the 16-bit-count search routines; without
// them, the 8-bit-count ones.
class FlashTables : public ::testing::TestWithParam<std::tuple<std::string, bool>> {};

TEST_P(FlashTables, FindFirstLastAndMissingAndReadElements) {
  const auto& [dev, big] = GetParam();
  std::vector<Table> tables = {
      {"tb1", "Byte", {5}, 6},
      {"tb255", "Byte", Values(255, [](int i) { return i + 1; }), 0},
      {"tb256", "Byte", Values(256, [](int i) { return i < 255 ? i % 200 : 250; }), 222},
      {"tw1", "Word", {4660}, 7},
      {"tw255", "Word", Values(255, [](int i) { return 1000 + 3 * i; }), 7},
      {"tw256", "Word", Values(256, [](int i) { return 60000 + i; }), 7},
  };
  if (!big) std::erase_if(tables, [](const Table& t) { return t.values.size() == 256; });
  std::ostringstream src;
  src << "$device = " << dev << "\n$clock = 8\n$stack = 32\n";
  for (const Table& t : tables)
    src << "Dim " << t.name << "(" << t.values.size() << ") As Flash " << t.type << "\n";
  for (const Table& t : tables) src << "Dim " << t.name << "_f As Word, " << t.name << "_l As Word, " << t.name << "_m As Word\n";
  src << "Dim Rb As Byte, Rw As Word, Idx As Word, Rl As Long\n";
  for (const Table& t : tables) {
    const std::string fn = t.type == "Byte" ? "Find8" : "Find16";
    src << t.name << "_f = " << fn << "(" << t.values.front() << ", " << t.name << ")\n";
    src << t.name << "_l = " << fn << "(" << t.values.back() << ", " << t.name << ")\n";
    src << t.name << "_m = " << fn << "(" << t.missing << ", " << t.name << ")\n";
  }
  src << "Idx = 254\nRb = tb255(Idx)\nRw = tw255(254) + 1\nRl = tw255(Idx)\n";
  src << "End\n";
  for (const Table& t : tables) src << DataList(t.name, t.values);

  auto run = RunBasic(src.str(), "atmega" + dev.substr(1), 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (const Table& t : tables) {
    EXPECT_EQ(run->Word(t.name + "_f"), 1) << t.name;
    EXPECT_EQ(run->Word(t.name + "_l"), t.values.size()) << t.name;
    EXPECT_EQ(run->Word(t.name + "_m"), 0) << t.name;
  }
  EXPECT_EQ(run->Byte("rb"), 255);
  EXPECT_EQ(run->Word("rw"), 1000 + 3 * 254 + 1);
  const bool wideForm = run->compiled.asm_text.find("cpc\t\txh,r23") != std::string::npos;
  EXPECT_EQ(wideForm, big);
  EXPECT_EQ(run->Long("rl"), 1000u + 3 * 254);
}

INSTANTIATE_TEST_SUITE_P(Devices, FlashTables,
                         ::testing::Combine(::testing::Values("m8", "m88", "m128"), ::testing::Bool()));

}  // namespace
}  // namespace qbc::test

namespace qbc::test {
namespace {

// Long and float tables: two words per element, low word first, read back whole.
TEST(FlashTableWide, LongAndFloatElements) {
  for (const char* dev : {"m8", "m88"}) {
    const std::string src = std::string("$device = ") + dev +
                            "\n$clock = 8\n$stack = 32\n"
                            "Dim Tl(6) As Flash Long, Tf(2) As Flash Float, Tb(2) As Flash Byte\n"
                            "Dim L As Long, K As Long, F As Float, G As Float, I As Byte, M As Long, N As Long\n"
                            "Dim H As Long, H2 As Long, H3 As Long\n"
                            "I = 2\n"
                            "L = Tl(I) : K = Tl(0) + 1 : F = Tf(1) : G = Tf(0)\n"
                            "M = 100000 : N = Tb(1) + M\n"  // a variable after an element keeps its width
                            "H = Tl(3) : H2 = Tl(4) : H3 = Tl(5)\n"
                            "End\n"
                            "Tb = 7, 9\n"
                            "Tl = -5, 100000, 305419896, &hFF, &b101, &h12345678\n"
                            "Tf = 1.5, -2.5\n";
    auto run = RunBasic(src, std::string("atmega") + (dev + 1));
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Long("l"), 305419896u) << dev;
    EXPECT_EQ(run->Long("k"), static_cast<std::uint32_t>(-4)) << dev;
    EXPECT_EQ(run->FloatBits("f"), 0xC0200000u) << dev;
    EXPECT_EQ(run->FloatBits("g"), 0x3FC00000u) << dev;
    EXPECT_EQ(run->Long("n"), 100009u) << dev;
    EXPECT_EQ(run->Long("h"), 0xFFu) << dev << ": hexadecimal elements take two words too";
    EXPECT_EQ(run->Long("h2"), 5u) << dev;
    EXPECT_EQ(run->Long("h3"), 0x12345678u) << dev;
  }
}

}  // namespace
}  // namespace qbc::test

namespace qbc::test {
namespace {

// Elements read into a long are widened by the element's own type: an integer keeps its
// sign, a word and a byte are filled with zeros.
TEST(FlashTableWide, ElementsWidenIntoALongByTheirType) {
  const std::string src =
      "$device = m8\n$clock = 8\n$stack = 32\n"
      "Dim Ti(3) As Flash Integer, Tw(2) As Flash Word, Tb(2) As Flash Byte\n"
      "Dim A As Long, B As Long, C As Long, D As Long\n"
      "A = Ti(1) : B = Ti(2) : C = Tw(1) : D = Tb(1)\n"
      "End\n"
      "Ti = 5, -7, 300\n"
      "Tw = 1, 65529\n"
      "Tb = 1, 250\n";
  auto run = RunBasic(src);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(static_cast<std::int32_t>(run->Long("a")), -7);
  EXPECT_EQ(run->Long("b"), 300u);
  EXPECT_EQ(run->Long("c"), 65529u);
  EXPECT_EQ(run->Long("d"), 250u);
}

// A table declared among the statements, after a Sub body or after any statement, is a
// table as one declared at the top: it takes no SRAM (its label stood in the data segment
// too, and the program was refused at the Dim), and its values are read from flash.
TEST(FlashTableDeclaredLate, AfterABodyOrAStatementItIsReadFromFlash) {
  const std::string src =
      "$device = m8\n$clock = 8\n$stack = 32\n"
      "Dim A As Byte, B As Word, C As Byte\n"
      "Declare Sub Takeb()\n"
      "Sub Takeb()\n  C = C + 1\nEnd Sub\n"
      "Dim Tb(2) As Flash Byte\n"
      "Tb = 11, 22\n"
      "C = 5\n"
      "Dim Tw(3) As Flash Word\n"
      "Takeb()\n"
      "A = Tb(1)\n"
      "B = Tw(2)\n"
      "End\n"
      "Tw = 1000, 2000, 3000\n";
  auto run = RunBasic(src);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("a"), 22);
  EXPECT_EQ(run->Word("b"), 3000);
  EXPECT_EQ(run->Byte("c"), 6);
}

// A table takes its values once: a second list is refused at its own line, and the Dim
// is no error.
TEST(FlashTableDeclaredLate, ASecondListOfValuesIsRefusedAtItsLine) {
  for (const char* dim : {"Dim T(2) As Flash Byte\nB = 1\n", "B = 1\nDim T(2) As Flash Byte\n"}) {
    SCOPED_TRACE(dim);
    const CompiledBasic compiled = CompileBasic(std::string("$device = m8\n$clock = 8\n$stack = 32\nDim B As Byte\n") +
                                                dim + "End\nT = 1 , 2\nT = 3 , 4\n");
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError("Flash table T can not be changed!", 9)) << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
