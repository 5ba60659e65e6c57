// String routines on the simulator against host models: store (SRAM and flash sources),
// compare, length, case conversion, string-array initialisation and substring search.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "compiler/library/core/string_routines.h"
#include "tests/library_core/text_routine_bench.h"

namespace qbc {
namespace {

using test::libfix::Device;
using test::libfix::StringBench;

const char* kAreas = "sa:\t.byte 64\nsb:\t.byte 64\n";
const char* kBigAreas = "sa:\t.byte 260\nsb:\t.byte 260\n";
// The tiny2313 has 128 bytes of SRAM.
std::string AreasFor(const Device& d) { return d.ram_end > 255 ? kAreas : "sa:\t.byte 16\nsb:\t.byte 16\n"; }

std::string Routines(const Device& d, std::initializer_list<void (*)(CompilerState&)> fns,
                     bool classic_lpm = false) {
  return test::libfix::Emit(d, [&](CompilerState& st) {
    if (classic_lpm) st.dev.LpmPostIncrement = st.dev.ElpmPostIncrement = false;
    for (auto fn : fns) fn(st);
  });
}

// ---- store --------------------------------------------------------------------------

struct StoreCase {
  std::string src;
  int cap;
};

const std::vector<StoreCase> kStoreCases = {
    {"hello", 10}, {"hello", 6}, {"hello", 5}, {"hello", 2}, {"hello", 1}, {"hello", 0},
    {"", 4},       {"", 1},      {"it's", 8},  {"abcdefghij", 11}, {"abcdefghij", 3},
};

// Expected area bytes (cap + 2 bytes recorded, pre-filled with 0xEE) and X offset.
std::vector<std::uint8_t> StoreModel(const StoreCase& c, int* x_off) {
  std::vector<std::uint8_t> a(static_cast<std::size_t>(c.cap) + 2, 0xEE);
  *x_off = 0;
  if (c.cap == 0) return a;
  std::size_t n = std::min(c.src.size(), static_cast<std::size_t>(c.cap - 1));
  for (std::size_t i = 0; i < n; ++i) a[i] = static_cast<std::uint8_t>(c.src[i]);
  a[n] = 0;
  *x_off = static_cast<int>(n);
  return a;
}

void CheckStore(const Device& d, bool from_flash, bool classic_lpm) {
  StringBench b(d, kAreas);
  b.p.routines = Routines(d, {EmitStoreStrRoutine, EmitStoreStrConstRoutine}, classic_lpm);
  for (const StoreCase& c : kStoreCases) {
    std::string s = StringBench::Fill("sb", c.cap + 2, 0xEE);
    if (from_flash) {
      s += test::libfix::LoadPtr("zl", "zh", "2*" + b.Flash(c.src));
    } else {
      s += b.Put("sa", c.src) + test::libfix::LoadPtr("zl", "zh", "sa");
    }
    s += test::libfix::LoadPtr("xl", "xh", "sb");
    s += "\t\tldi\tr20," + std::to_string(c.cap) + "\n";
    s += std::string("\t\trcall\t") + (from_flash ? "_StStC" : "_StStr") + "\n";
    s += StringBench::RecordOffset("xl", "sb") + StringBench::Record("sb", c.cap + 2);
    b.p.cases.push_back(s);
  }
  auto out = test::libfix::Run(b.p);
  test::libfix::Reader r{out};
  for (const StoreCase& c : kStoreCases) {
    SCOPED_TRACE(d.name + (from_flash ? " _StStC \"" : " _StStr \"") + c.src + "\" capacity " +
                 std::to_string(c.cap));
    int x_off = 0;
    auto want = StoreModel(c, &x_off);
    EXPECT_EQ(r.Byte(), x_off) << "X must rest on the terminator";
    std::vector<std::uint8_t> got;
    for (std::size_t i = 0; i < want.size(); ++i) got.push_back(r.Byte());
    EXPECT_EQ(got, want);
  }
  EXPECT_TRUE(r.Ok());
}

TEST(StoreString, CopiesAtMostCapacityLessOneAndTerminates) {
  for (const Device& d : {test::libfix::M8(), test::libfix::M128()}) {
    CheckStore(d, false, false);
    CheckStore(d, true, false);
  }
  CheckStore(test::libfix::M8(), true, true);  // flash read without "lpm r0,Z+"
}

// A flash constant above 64 KB on the m128: the routines read it with elpm and RAMPZ.
TEST(StringConstants, AboveSixtyFourKilobytesWithRampz) {
  const Device d = test::libfix::M128();
  StringBench b(d, kAreas);
  b.p.routines = Routines(d, {EmitStoreStrConstRoutine, EmitLenStrConstRoutine,
                              EmitStringConstCompareRoutine});
  const std::string far = "\t\tldi\tr16,byte3(2*far)\n\t\tout\tRAMPZ,r16\n" +
                          test::libfix::LoadPtr("zl", "zh", "2*far");
  std::string s = far + test::libfix::LoadPtr("xl", "xh", "sb") + "\t\tldi\tr20,40\n\t\tcall\t_StStC\n";
  s += test::libfix::LoadPtr("zl", "zh", "sb") + "\t\trcall\trecz\n";
  s += far + "\t\tcall\t_LenC\n" + StringBench::RecordReg("zl");
  s += b.Put("sa", "far away text") + far + test::libfix::LoadPtr("xl", "xh", "sa") +
       "\t\tcall\t_StCCp\n" + StringBench::RecordSreg();
  s += b.Put("sa", "far away tex") + far + test::libfix::LoadPtr("xl", "xh", "sa") +
       "\t\tcall\t_StCCp\n" + StringBench::RecordSreg();
  s += "\t\tclr\tr16\n\t\tout\tRAMPZ,r16\n";
  b.p.cases.push_back(s);
  b.p.cseg += ".ORG 0x8100\n" + test::libfix::FlashText("far", "far away text");
  auto out = test::libfix::Run(b.p);
  test::libfix::Reader r{out};
  EXPECT_EQ(r.Text(), "far away text");
  EXPECT_EQ(r.Byte(), 13);
  EXPECT_TRUE(r.Byte() & 0x02) << "equal: Z flag set";
  EXPECT_FALSE(r.Byte() & 0x02) << "different: Z flag clear";
}

// ---- compare and length -------------------------------------------------------------

struct PairCase {
  std::string a, b;
};

const std::vector<PairCase> kPairs = {
    {"", ""},       {"abc", "abc"}, {"abc", "abd"}, {"abc", "abcd"}, {"abcd", "abc"},
    {"", "a"},      {"a", ""},      {"Hello", "hello"}, {"x", "x"},   {"\xff\x80", "\xff\x80"},
    {"\xff", "\x7f"},
};

TEST(CompareStrings, EqualityInTAndZeroFlag) {
  for (const Device& d : {test::libfix::M8()}) {
    for (bool classic : {false, true}) {
      StringBench b(d, kAreas);
      b.p.routines = Routines(d, {EmitStringCompareRoutine, EmitStringConstCompareRoutine}, classic);
      for (const PairCase& c : kPairs) {
        std::string s = b.Put("sa", c.a) + b.Put("sb", c.b);
        s += test::libfix::LoadPtr("xl", "xh", "sa") + test::libfix::LoadPtr("zl", "zh", "sb");
        s += "\t\trcall\t_StrCmp\n" + StringBench::RecordSreg();
        // Against a flash constant, once with T set and once with T clear beforehand.
        for (const char* t : {"set", "clt"}) {
          s += test::libfix::LoadPtr("xl", "xh", "sa") +
               test::libfix::LoadPtr("zl", "zh", "2*" + b.Flash(c.b));
          s += std::string("\t\t") + t + "\n\t\trcall\t_StCCp\n" + StringBench::RecordSreg();
          s += StringBench::RecordOffset("xl", "sa");
        }
        b.p.cases.push_back(s);
      }
      auto out = test::libfix::Run(b.p);
      test::libfix::Reader r{out};
      for (const PairCase& c : kPairs) {
        SCOPED_TRACE(d.name + " \"" + c.a + "\" vs \"" + c.b + "\"");
        const bool eq = c.a == c.b;
        std::uint8_t sreg = r.Byte();
        EXPECT_EQ((sreg & 0x40) != 0, !eq) << "_StrCmp T";
        EXPECT_EQ((sreg & 0x02) != 0, eq) << "_StrCmp Z flag";
        for (bool t : {true, false}) {
          sreg = r.Byte();
          EXPECT_EQ((sreg & 0x02) != 0, eq) << "_StCCp Z flag";
          EXPECT_EQ((sreg & 0x40) != 0, t) << "_StCCp keeps T";
          EXPECT_EQ(r.Byte(), 0) << "_StCCp restores X";
        }
      }
      EXPECT_TRUE(r.Ok());
    }
  }
}

TEST(StringLength, SramAndFlashUpTo255) {
  const Device d = test::libfix::M128();
  StringBench b(d, kBigAreas);
  b.p.routines = Routines(d, {EmitLenStrRoutine, EmitLenStrConstRoutine});
  std::vector<std::string> texts = {"", "a", "hello", std::string(100, 'x'), std::string(255, 'y')};
  for (const std::string& t : texts) {
    std::string s = b.Put("sa", t) + test::libfix::LoadPtr("zl", "zh", "sa");
    s += "\t\trcall\t_LenS\n" + StringBench::RecordReg("zl") + StringBench::RecordReg("r23");
    s += test::libfix::LoadPtr("zl", "zh", "2*" + b.Flash(t));
    s += "\t\trcall\t_LenC\n" + StringBench::RecordReg("zl");
    b.p.cases.push_back(s);
  }
  auto out = test::libfix::Run(b.p);
  test::libfix::Reader r{out};
  for (const std::string& t : texts) {
    EXPECT_EQ(r.Byte(), t.size());
    EXPECT_EQ(r.Byte(), 0);
    EXPECT_EQ(r.Byte(), t.size());
  }
}

// ---- case conversion ----------------------------------------------------------------

std::string Lower(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
  return r;
}
std::string Upper(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
  return r;
}

TEST(CaseConversion, OnlyLettersChangeEveryByteValue) {
  const Device d = test::libfix::M128();
  StringBench b(d, kBigAreas);
  b.p.routines = Routines(d, {EmitLcaseRoutine, EmitUcaseRoutine});
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  const std::vector<std::string> texts = {all, "", "Hello, World! @[`{"};
  for (const std::string& t : texts) {
    for (const char* fn : {"_Lcase", "_Ucase"}) {
      std::string s = b.Put("sa", t) + StringBench::Fill("sb", 4, 0xEE);
      s += test::libfix::LoadPtr("zl", "zh", "sa") + test::libfix::LoadPtr("xl", "xh", "sb");
      s += std::string("\t\trcall\t") + fn + "\n";
      s += StringBench::RecordOffset("xl", "sb") + StringBench::RecordOffset("zl", "sa");
      s += test::libfix::LoadPtr("zl", "zh", "sb") + "\t\trcall\trecz\n";
      // In place.
      s += test::libfix::LoadPtr("zl", "zh", "sa") + test::libfix::LoadPtr("xl", "xh", "sa");
      s += std::string("\t\trcall\t") + fn + "\n";
      s += test::libfix::LoadPtr("zl", "zh", "sa") + "\t\trcall\trecz\n";
      b.p.cases.push_back(s);
    }
  }
  auto out = test::libfix::Run(b.p);
  test::libfix::Reader r{out};
  for (const std::string& t : texts) {
    for (bool lower : {true, false}) {
      SCOPED_TRACE(std::string(lower ? "_Lcase" : "_Ucase") + " of " + std::to_string(t.size()) + " bytes");
      const std::string want = lower ? Lower(t) : Upper(t);
      EXPECT_EQ(r.Byte(), (t.size() + 1) & 0xFF) << "X past the terminator";
      EXPECT_EQ(r.Byte(), (t.size() + 1) & 0xFF) << "Z past the terminator";
      EXPECT_EQ(r.Text(), want);
      EXPECT_EQ(r.Text(), want) << "in place";
    }
  }
  EXPECT_TRUE(r.Ok());
}

// ---- string array initialisation ----------------------------------------------------

struct InitCase {
  std::string text;
  int cap;    // element capacity
  int count;  // elements
};

TEST(InitStringArray, EveryElementHoldsTheTextZeroPadded) {
  // The last cases hold texts as long as the capacity or longer: they are cut to
  // capacity - 1 characters and nothing is written past the array.
  const std::vector<InitCase> cases = {
      {"ab", 5, 3}, {"", 4, 2}, {"abcd", 5, 2}, {"abcde", 5, 2}, {"abcdefgh", 5, 3}, {"x", 1, 3},
      {"hello", 6, 1}};
  for (const Device& d : {test::libfix::M8(), test::libfix::M128()}) {
    StringBench b(d, kAreas);
    b.p.routines = Routines(d, {EmitStoreStrConstRoutine, EmitInitStrArrayRoutine});
    for (const InitCase& c : cases) {
      const int n = c.cap * c.count + 4;
      std::string s = StringBench::Fill("sb", n, 0xEE);
      s += test::libfix::LoadPtr("xl", "xh", "sb") + test::libfix::LoadPtr("zl", "zh", "2*" + b.Flash(c.text));
      s += "\t\tldi\tr22," + std::to_string(c.cap) + "\n\t\tldi\tr21," + std::to_string(c.count) + "\n";
      s += std::string("\t\t") + (d.flash_bytes > 8192 ? "call" : "rcall") + "\t_StrI\n";
      s += StringBench::RecordOffset("xl", "sb") + StringBench::Record("sb", n);
      // One variable through _StrZ.
      s += StringBench::Fill("sb", c.cap + 4, 0xEE);
      s += test::libfix::LoadPtr("xl", "xh", "sb") + test::libfix::LoadPtr("zl", "zh", "2*" + b.Flash(c.text));
      s += "\t\tldi\tr20," + std::to_string(c.cap) + "\n";
      s += std::string("\t\t") + (d.flash_bytes > 8192 ? "call" : "rcall") + "\t_StrZ\n";
      s += StringBench::RecordOffset("xl", "sb") + StringBench::Record("sb", c.cap + 4);
      b.p.cases.push_back(s);
    }
    auto out = test::libfix::Run(b.p);
    test::libfix::Reader r{out};
    for (const InitCase& c : cases) {
      SCOPED_TRACE(d.name + " \"" + c.text + "\" capacity " + std::to_string(c.cap) + " x " +
                   std::to_string(c.count));
      for (int count : {c.count, 1}) {
        std::vector<std::uint8_t> want;
        for (int e = 0; e < count; ++e)
          for (int i = 0; i < c.cap; ++i)
            want.push_back(i < c.cap - 1 && i < static_cast<int>(c.text.size())
                               ? static_cast<std::uint8_t>(c.text[static_cast<std::size_t>(i)])
                               : 0);
        for (int i = 0; i < 4; ++i) want.push_back(0xEE);
        EXPECT_EQ(r.Byte(), c.cap * count) << "X on the byte after the last element";
        std::vector<std::uint8_t> got;
        for (std::size_t i = 0; i < want.size(); ++i) got.push_back(r.Byte());
        EXPECT_EQ(got, want);
      }
    }
    EXPECT_TRUE(r.Ok());
  }
}

// ---- substring search ---------------------------------------------------------------

struct InstrCase {
  std::string hay, needle;
  int start;  // 0: the _Instr entry (from the first character)
};

int InstrModel(const InstrCase& c) {
  int start = c.start == 0 ? 1 : c.start;
  if (c.needle.empty() || c.hay.empty()) return 0;
  if (c.start != 0 && (c.start < 1 || static_cast<std::size_t>(start) > c.hay.size() + 1)) return 0;
  auto p = c.hay.find(c.needle, static_cast<std::size_t>(start - 1));
  return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

std::vector<InstrCase> InstrCases() {
  std::vector<InstrCase> v = {
      {"hello", "lo", 0},   {"hello", "h", 0},     {"hello", "", 0},     {"", "a", 0},
      {"abcabc", "a", 2},   {"aaab", "aab", 0},    {"abcabd", "abd", 0}, {"abababc", "ababc", 0},
      {"mississippi", "issip", 0}, {"mississippi", "ppi", 0}, {"abc", "abcd", 0},
      {"abc", "abc", 0},    {"xabc", "abc", 3},    {"abcabc", "abc", 2}, {"abc", "c", 3},
      {"abc", "a", 4},      {"abc", "a", 0},       {"aab", "ab", 0},     {"abc", "x", 9},
      {"abc", "b", 0},
  };
  v.push_back({"xyz", "y", 0});
  // Random texts over a two-letter alphabet: many abandoned partial matches.
  std::mt19937 rng(7);
  for (int i = 0; i < 40; ++i) {
    std::string h, n;
    int hl = 1 + static_cast<int>(rng() % 14), nl = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < hl; ++k) h += static_cast<char>('a' + rng() % 2);
    for (int k = 0; k < nl; ++k) n += static_cast<char>('a' + rng() % 2);
    v.push_back({h, n, (i % 3 == 0) ? 1 + static_cast<int>(rng() % static_cast<unsigned>(hl)) : 0});
  }
  return v;
}

void CheckInstr(const Device& d, const std::vector<InstrCase>& cases) {
  StringBench b(d, AreasFor(d));
  b.p.routines = Routines(d, {EmitInstrRoutine});
  for (const InstrCase& c : cases) {
    std::string s;
    for (int flash = 0; flash < 2; ++flash) {
      s += b.Put("sa", c.hay);
      if (flash) {
        s += test::libfix::LoadPtr("zl", "zh", "2*" + b.Flash(c.needle)) + "\t\tldi\tr24,1\n";
      } else {
        s += b.Put("sb", c.needle) + test::libfix::LoadPtr("zl", "zh", "sb") + "\t\tldi\tr24,0\n";
      }
      s += test::libfix::LoadPtr("xl", "xh", "sa");
      if (c.start == 0) {
        s += "\t\trcall\t_InStr\n";
      } else {
        s += "\t\tldi\tr20," + std::to_string(c.start) + "\n\t\trcall\t_InSt\n";
      }
      s += StringBench::RecordReg("zl");
    }
    b.p.cases.push_back(s);
  }
  auto out = test::libfix::Run(b.p);
  test::libfix::Reader r{out};
  for (const InstrCase& c : cases) {
    SCOPED_TRACE(d.name + " Instr(\"" + c.hay + "\", \"" + c.needle + "\") from " + std::to_string(c.start));
    EXPECT_EQ(r.Byte(), InstrModel(c)) << "sought text in SRAM";
    EXPECT_EQ(r.Byte(), InstrModel(c)) << "sought text in flash";
  }
  EXPECT_TRUE(r.Ok());
}

TEST(Instr, FindsTheFirstMatchAfterAbandonedPartialMatches) {
  EXPECT_EQ(InstrModel({"aaab", "aab", 0}), 2);
  EXPECT_EQ(InstrModel({"abcabd", "abd", 0}), 4);
  const auto cases = InstrCases();
  for (std::size_t i = 0; i < cases.size(); i += 30) {
    std::vector<InstrCase> part(cases.begin() + static_cast<long>(i),
                                cases.begin() + static_cast<long>(std::min(cases.size(), i + 30)));
    CheckInstr(test::libfix::M8(), part);
  }
  CheckInstr(test::libfix::M128(), {{"aaab", "aab", 0}, {"abcabd", "abd", 0}, {"abcabc", "a", 2}});
  CheckInstr(test::libfix::Tn2313(), {{"aaab", "aab", 0}, {"abcabd", "abd", 0}, {"abc", "a", 5}});
}

TEST(Instr, TextIsBlankPaddedLines) {
  const std::string t = test::libfix::Emit(test::libfix::M8(), EmitInstrRoutine);
  EXPECT_EQ(t.rfind("\n;////// Instr ////////////////////////////\n_Instr: ldi     r20,0x01\n", 0), 0u);
  EXPECT_NE(t.find("        brne    _inSt7 \n\t\tlpm\tr0,Z+\n        rjmp    _inSt8\n"), std::string::npos);
}

}  // namespace
}  // namespace qbc
