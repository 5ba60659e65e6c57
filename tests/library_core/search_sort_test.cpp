// Sort, flash-table searches and the string-list lookup on the simulator against host
// models, on a large-SRAM mega and on a tiny with 8-bit pointers.
#include "compiler/library/core/search_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "tests/library_core/core_fixture.h"

namespace qbc::test::corelib {
namespace {

constexpr uint8_t kGuard = 0xEE;

// Each case: the array with a guard byte on each side is copied from flash to SRAM (cases
// one after the other), X is set on its first element, zl to the count, and _Sort runs.
std::vector<uint8_t> RunSortCases(const Chip& chip, const std::vector<std::vector<uint8_t>>& arrays) {
  std::vector<uint8_t> table;
  size_t total = 0;
  for (const auto& a : arrays) {
    table.push_back(static_cast<uint8_t>(a.size()));
    table.push_back(kGuard);
    table.insert(table.end(), a.begin(), a.end());
    table.push_back(kGuard);
    total += a.size() + 2;
  }
  std::string p = ProgramHead(chip);
  p += "_Main:\tldi\tr28,low(" + std::to_string(chip.ram_start) + ")\n\tldi\tr29,high(" +
       std::to_string(chip.ram_start) + ")\n";
  p += LoadWord("r14", "r15", "_Cases*2");
  p += LoadWord("r12", "r13", std::to_string(arrays.size()));
  p += R"(_Next:	mov	zl,r14
	mov	zh,r15
	lpm
	mov	r20,r0
	adiw	zl,0x01
	mov	r24,r20
	clr	r25
	adiw	r24,0x02
	mov	r10,r28
	mov	r11,r29
_Copy:	lpm
	st	Y+,r0
	adiw	zl,0x01
	sbiw	r24,0x01
	brne	_Copy
	mov	r14,zl
	mov	r15,zh
	mov	xl,r10
	mov	xh,r11
	adiw	xl,0x01
	mov	zl,r20
	rcall	_Sort
)";
  p += LoopBack("_Next");
  p += kProgramEnd;
  p += EmitText(EmitSortRoutine, chip);
  p += "\n" + DbTable("_Cases", table);
  return RunAndRead(chip, p, chip.ram_start, total);
}

void CheckSorted(const Chip& chip, const std::vector<std::vector<uint8_t>>& arrays) {
  std::vector<uint8_t> sram = RunSortCases(chip, arrays);
  size_t at = 0;
  for (const auto& a : arrays) {
    ASSERT_LE(at + a.size() + 2, sram.size());
    std::vector<uint8_t> want = a;
    std::sort(want.begin(), want.end(), std::greater<>());
    std::vector<uint8_t> got(sram.begin() + at + 1, sram.begin() + at + 1 + a.size());
    EXPECT_EQ(got, want) << "sorting " << a.size() << " elements";
    EXPECT_EQ(sram[at], kGuard) << "byte below an array of " << a.size() << " elements";
    EXPECT_EQ(sram[at + a.size() + 1], kGuard) << "byte above an array of " << a.size() << " elements";
    at += a.size() + 2;
  }
}

std::vector<std::vector<uint8_t>> SortCases(size_t longest, unsigned seed) {
  std::vector<std::vector<uint8_t>> c = {
      {},         {7},       {1, 2},          {2, 1},          {5, 5},
      {3, 1, 4, 1, 5, 9, 2, 6}, {0, 255, 128, 127, 1, 254}, {1, 2, 3, 4, 5, 6, 7, 8, 9},
      {9, 8, 7, 6, 5, 4, 3, 2, 1}, {4, 4, 4, 1, 1, 9, 9, 4}};
  std::mt19937 rng(seed);
  std::vector<uint8_t> big(longest);
  for (auto& b : big) b = static_cast<uint8_t>(rng());
  c.push_back(big);
  std::vector<uint8_t> ascending(longest);
  for (size_t i = 0; i < longest; ++i) ascending[i] = static_cast<uint8_t>(i);
  c.push_back(ascending);
  return c;
}

TEST(Sort, ByteArraysLargestFirstOnAWideSramChip) {
  auto cases = SortCases(255, 1);
  std::vector<uint8_t> dup(40, 0);
  for (size_t i = 0; i < dup.size(); ++i) dup[i] = static_cast<uint8_t>(i % 3);
  cases.push_back(dup);
  CheckSorted(kMega328, cases);
}

TEST(Sort, ByteArraysOnAnEightBitPointerChip) { CheckSorted(kTiny2313, SortCases(24, 2)); }

// ---------------------------------------------------------------- table searches

enum class Form { Find8, Find8Alt, Find16, Find16Alt };

struct Query {
  uint16_t value;
  uint16_t count;
};

std::vector<uint8_t> ByteTable() {
  // 256 entries: a permutation with its second value replaced by the first, so that the
  // first value stands twice, one value is missing, and the last one is unique.
  std::vector<uint8_t> t(256);
  for (unsigned i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(i * 37 + 11);
  t[1] = t[0];
  return t;
}
constexpr uint8_t kByteMissing = 11 + 37;

std::vector<uint16_t> WordTable() {
  std::vector<uint16_t> t(300);
  for (unsigned i = 0; i < t.size(); ++i) t[i] = static_cast<uint16_t>(i * 0x0101u + 0x1234u);
  t[1] = t[0];
  t[5] = 0x3412;  // the bytes of the first entry swapped: must not match it
  return t;
}
constexpr uint16_t kWordMissing = 0xBEEF;

uint16_t Model(const std::vector<uint16_t>& table, Query q) {
  for (unsigned i = 0; i < q.count && i < table.size(); ++i) {
    if (table[i] == q.value) return static_cast<uint16_t>(i + 1);
  }
  return 0;
}

// Queries: the first, last and a missing element for each count, the element just past
// the count (which must not be found), and the duplicated first value.
template <class T>
std::vector<Query> QueriesFor(const std::vector<T>& table, uint16_t missing, const std::vector<uint16_t>& counts) {
  std::vector<Query> q;
  for (uint16_t n : counts) {
    q.push_back({missing, n});
    if (n == 0) {
      q.push_back({table[0], n});
      continue;
    }
    q.push_back({table[0], n});
    q.push_back({table[n - 1], n});
    if (n < table.size()) q.push_back({table[n], n});
    if (n > 7) q.push_back({table[7], n});
  }
  return q;
}

std::vector<uint16_t> RunFind(Form form, bool post_increment, const std::vector<Query>& queries) {
  const bool word = form == Form::Find16 || form == Form::Find16Alt;
  std::vector<uint8_t> table;
  if (word) {
    for (uint16_t v : WordTable()) {
      table.push_back(static_cast<uint8_t>(v));
      table.push_back(static_cast<uint8_t>(v >> 8));
    }
  } else {
    table = ByteTable();
  }
  std::vector<std::vector<uint8_t>> cases;
  for (const Query& q : queries) {
    cases.push_back({static_cast<uint8_t>(q.value), static_cast<uint8_t>(q.value >> 8), static_cast<uint8_t>(q.count),
                     static_cast<uint8_t>(q.count >> 8)});
  }
  // r3 = value low, r4 = value high, r5 = count low, r6 = count high.
  std::string setup = "\tldi\tzl,low(_Table*2)\n\tldi\tzh,high(_Table*2)\n";
  std::string library;
  void (*emit)(CompilerState&) = nullptr;
  switch (form) {
    case Form::Find8:
      setup += "\tmov\tr24,r3\n\tmov\txl,r5\n";
      emit = EmitFind8Routine;
      break;
    case Form::Find8Alt:
      setup += "\tmov\tr24,r3\n\tmov\tr22,r5\n\tmov\tr23,r6\n";
      emit = EmitFind8RoutineAlt;
      break;
    case Form::Find16:
      setup += "\tmov\tr25,r3\n\tmov\tr24,r4\n\tmov\tr22,r5\n\tmov\tr23,r6\n";
      emit = EmitFind16Routine;
      break;
    case Form::Find16Alt:
      setup += "\tmov\tr25,r3\n\tmov\tr24,r4\n\tmov\txl,r5\n";
      emit = EmitFind16RoutineAlt;
      break;
  }
  library = EmitText(emit, kMega328, post_increment) + "\n" + DbTable("_Table", table);
  // Inputs go to scratch registers; the real set-up runs just before the call.
  RegisterRoutine r{library, "_Find", {"r20", "r21", "r16", "r17"}, {"zl", "zh"}, ""};
  r.library += "_Find:\tmov\tr3,r20\n\tmov\tr4,r21\n\tmov\tr5,r16\n\tmov\tr6,r17\n" + setup + "\trjmp\t" +
               (word ? std::string("_Fnd16") : std::string("_Fnd8")) + "\n";
  auto out = RunRegisterCases(r, cases);
  std::vector<uint16_t> results;
  for (const auto& o : out) results.push_back(static_cast<uint16_t>(Value(o, 0, 2)));
  return results;
}

struct FindCase {
  const char* name;
  Form form;
  bool post_increment;
};

void PrintTo(const FindCase& c, std::ostream* os) { *os << c.name; }

class Find : public ::testing::TestWithParam<FindCase> {};

TEST_P(Find, ComparesEveryElementUpToTheCountExactlyOnce) {
  const FindCase& c = GetParam();
  const bool word = c.form == Form::Find16 || c.form == Form::Find16Alt;
  const bool wide_count = c.form == Form::Find8Alt || c.form == Form::Find16;
  std::vector<uint16_t> counts = wide_count ? std::vector<uint16_t>{0, 1, 2, 8, 255, 256}
                                            : std::vector<uint16_t>{0, 1, 2, 8, 254, 255};
  if (word && wide_count) counts.push_back(300);
  std::vector<uint16_t> table;
  std::vector<Query> queries;
  if (word) {
    table = WordTable();
    queries = QueriesFor(table, kWordMissing, counts);
  } else {
    for (uint8_t b : ByteTable()) table.push_back(b);
    queries = QueriesFor(table, kByteMissing, counts);
  }
  if (word) {
    // The bytes of the first entry swapped: no match there, a match at entry 6.
    queries.push_back({0x3412, 1});
    queries.push_back({0x3412, 6});
  }
  auto results = RunFind(c.form, c.post_increment, queries);
  ASSERT_EQ(results.size(), queries.size());
  for (size_t i = 0; i < queries.size(); ++i) {
    EXPECT_EQ(results[i], Model(table, queries[i]))
        << c.name << ": value 0x" << std::hex << queries[i].value << std::dec << " count " << queries[i].count;
  }
}

INSTANTIATE_TEST_SUITE_P(AllForms, Find,
                         ::testing::Values(FindCase{"Find8", Form::Find8, true},
                                           FindCase{"Find8NoPostIncrement", Form::Find8, false},
                                           FindCase{"Find8Alt", Form::Find8Alt, true},
                                           FindCase{"Find8AltNoPostIncrement", Form::Find8Alt, false},
                                           FindCase{"Find16", Form::Find16, true},
                                           FindCase{"Find16NoPostIncrement", Form::Find16, false},
                                           FindCase{"Find16Alt", Form::Find16Alt, true},
                                           FindCase{"Find16AltNoPostIncrement", Form::Find16Alt, false}),
                         [](const ::testing::TestParamInfo<FindCase>& p) { return std::string(p.param.name); });

// ---------------------------------------------------------------- string list

// Strings as the assembler lays out one ".db" line each: the text, its zero and, when that
// makes an odd number of bytes, one padding zero.
struct StringList {
  std::vector<uint8_t> bytes;
  std::vector<uint16_t> starts;
};

StringList Layout(const std::vector<std::string>& strings) {
  StringList l;
  for (const auto& s : strings) {
    l.starts.push_back(static_cast<uint16_t>(l.bytes.size()));
    l.bytes.insert(l.bytes.end(), s.begin(), s.end());
    l.bytes.push_back(0);
    if (l.bytes.size() % 2) l.bytes.push_back(0);
  }
  return l;
}

void CheckStringList(bool post_increment) {
  const std::vector<std::string> strings = {"abc", "de", "f", "ghij", "k", "lmnopqrstuvwxyz", "xy", "z"};
  StringList l = Layout(strings);
  std::vector<std::vector<uint8_t>> cases;
  for (size_t i = 0; i < strings.size(); ++i) cases.push_back({static_cast<uint8_t>(i)});
  std::string library = EmitText(EmitFindStrConstRoutine, kMega328, post_increment);
  library += "\n_Pick:\tldi\tzl,low(_List*2)\n\tldi\tzh,high(_List*2)\n\trcall\t_FSC\n";
  library += "\tsubi\tzl,low(_List*2)\n\tsbci\tzh,high(_List*2)\n\tret\n";
  library += DbTable("_List", l.bytes);
  RegisterRoutine r{library, "_Pick", {"r24"}, {"zl", "zh"}, ""};
  auto out = RunRegisterCases(r, cases);
  ASSERT_EQ(out.size(), strings.size());
  for (size_t i = 0; i < strings.size(); ++i) {
    EXPECT_EQ(Value(out[i], 0, 2), l.starts[i]) << "string " << i << " (" << strings[i] << ")";
  }
}

TEST(FindStrConst, PicksTheNthStringAcrossPaddingZeros) { CheckStringList(true); }
TEST(FindStrConst, PicksTheNthStringWithoutPostIncrement) { CheckStringList(false); }

TEST(FindStrConst, HasNoEmptyLineBeforeItsHeader) {
  std::string t = EmitText(EmitFindStrConstRoutine);
  EXPECT_EQ(t.rfind(";////// Find Str Const ////////////////////\r\n_FSC:   tst     r24\r\n", 0), 0u);
  EXPECT_NE(t.find("\r\n\tlpm\t\tr0,Z+\r\n"), std::string::npos);
  EXPECT_NE(t.find("\r\n_FSC1:  ret\r\n"), std::string::npos);
}

}  // namespace
}  // namespace qbc::test::corelib
