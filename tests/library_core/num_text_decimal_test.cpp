// Number-to-text routines on the simulator against a host model: every size, entry and
// form (plain, lead character, formatted) on a large-RAM, a 128 KB and a small-RAM device.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/frontend/number_format_cells.h"
#include "compiler/library/core/num_to_text.h"
#include "tests/library_core/text_routine_bench.h"

namespace qbc {
namespace {

using test::libfix::Device;

enum class Entry { B, W, I, S };
enum class Family { Byte, Int, Long };
enum class Form { Plain, Lead, Formatted };

struct NumCase {
  Entry e;
  std::uint32_t v;
  std::uint8_t fmtD = 0;
  std::uint8_t fmtC = 0;
};

const char* EntryLabel(Entry e) {
  switch (e) {
    case Entry::B: return "_B2str";
    case Entry::W: return "_W2str";
    case Entry::I: return "_I2str";
    case Entry::S: return "_S2str";
  }
  return "";
}

// What the text must be.
std::string Model(const NumCase& c, Form form, char lchr) {
  bool neg = false;
  std::uint64_t mag = 0;
  int width = 0;
  switch (c.e) {
    case Entry::B: mag = c.v & 0xFF; width = 3; break;
    case Entry::W: mag = c.v & 0xFFFF; width = 5; break;
    case Entry::I: {
      auto s = static_cast<std::int16_t>(c.v & 0xFFFF);
      neg = s < 0;
      mag = static_cast<std::uint64_t>(neg ? -static_cast<std::int64_t>(s) : s);
      width = 5;
      break;
    }
    case Entry::S: {
      auto s = static_cast<std::int32_t>(c.v);
      neg = s < 0;
      mag = static_cast<std::uint64_t>(neg ? -static_cast<std::int64_t>(s) : s);
      width = 10;
      break;
    }
  }
  std::string digits = std::to_string(mag);
  std::string sign = neg ? "-" : "";
  if (form == Form::Plain) return sign + digits;
  if (form == Form::Lead) {
    std::string fill(static_cast<std::size_t>(width) - digits.size(), lchr);
    return sign + fill + digits;
  }
  std::size_t d = c.fmtD;
  // 0 positions fix no width: the whole integer part, no fill.
  std::string ip = digits, frac;
  if (d > 0) {
    if (digits.size() <= d) digits = std::string(d + 1 - digits.size(), '0') + digits;
    frac = digits.substr(digits.size() - d);
    ip = digits.substr(0, digits.size() - d);
  }
  const std::size_t places = c.fmtC == 0 ? ip.size() : c.fmtC;
  if (ip.size() > places) ip = ip.substr(ip.size() - places);
  std::string fill(places - ip.size(), lchr);
  return sign + fill + ip + (d > 0 ? "." + frac : "");
}

std::string Snippet(const Device& dev, const NumCase& c) {
  using test::libfix::Hex2;
  std::string s;
  s += "\t\tldi\tr16," + Hex2(c.fmtD) + "\n\t\tsts\t_fmtD,r16\n";
  s += "\t\tldi\tr16," + Hex2(c.fmtC) + "\n\t\tsts\t_fmtC,r16\n";
  s += "\t\tldi\tr16,0xa5\n\t\tmov\tr6,r16\n";
  s += test::libfix::LoadPtr("yl", "yh", std::to_string(test::libfix::YStart(dev)));
  s += "\t\tldi\tzl," + Hex2(c.v & 0xFF) + "\n\t\tldi\tzh," + Hex2((c.v >> 8) & 0xFF) + "\n";
  s += "\t\tldi\tr18," + Hex2((c.v >> 16) & 0xFF) + "\n\t\tldi\tr19," + Hex2(c.v >> 24) + "\n";
  s += "\t\tset\n";  // an unsigned entry must ignore T
  s += std::string("\t\trcall\t") + EntryLabel(c.e) + "\n";
  s += "\t\trcall\trecz\n\t\tmov\tr16,r6\n\t\trcall\trec\n";
  s += "\t\tmov\tr16,yl\n\t\trcall\trec\n\t\tmov\tr16,yh\n\t\trcall\trec\n";
  return s;
}

void Check(const Device& dev, Family fam, Form form, char lchr, const std::vector<NumCase>& cases) {
  auto emit = [&](CompilerState& st) {
    if (fam == Family::Byte) EmitByteToStrRoutine(st);
    if (fam == Family::Int) EmitIntToStrRoutine(st);
    if (fam == Family::Long) EmitLongToStrRoutine(st);
  };
  auto configure = [&](CompilerState& st) {
    st.Cells<NumberFormatCells>().LeadChar = form == Form::Lead ? static_cast<std::uint8_t>(lchr) : 0;
    st.Cells<NumberFormatCells>().FormatDigits = form == Form::Formatted ? 2 : 0;
  };
  const std::string routines = test::libfix::Emit(dev, emit, configure);
  const std::size_t cap = test::libfix::OutCapacity(dev);
  std::size_t i = 0;
  while (i < cases.size()) {
    test::libfix::Program p;
    p.dev = dev;
    p.routines = routines;
    p.cases.push_back("\t\tldi\tr16," + test::libfix::Hex2(static_cast<unsigned char>(lchr)) +
                      "\n\t\tsts\t_lchr,r16\n");
    std::vector<NumCase> batch;
    std::size_t bytes = 0;
    while (i < cases.size() && batch.size() < 60) {
      std::size_t need = Model(cases[i], form, lchr).size() + 4;
      if (bytes + need > cap) break;
      bytes += need;
      batch.push_back(cases[i]);
      p.cases.push_back(Snippet(dev, cases[i]));
      ++i;
    }
    ASSERT_FALSE(batch.empty());
    auto out = test::libfix::Run(p);
    test::libfix::Reader r{out};
    const int y = test::libfix::YStart(dev);
    for (const NumCase& c : batch) {
      std::string want = Model(c, form, lchr);
      std::string got = r.Text();
      std::uint8_t r6 = r.Byte(), yl = r.Byte(), yh = r.Byte();
      SCOPED_TRACE(dev.name + std::string(" ") + EntryLabel(c.e) + " value " + std::to_string(c.v) +
                   " fmtD " + std::to_string(c.fmtD) + " fmtC " + std::to_string(c.fmtC));
      EXPECT_EQ(got, want);
      EXPECT_EQ(r6, 0xA5) << "r6 must be kept";
      EXPECT_EQ(yl | (yh << 8), y) << "Y must be restored";
    }
    ASSERT_TRUE(r.Ok());
  }
}

std::vector<NumCase> Values(Family fam) {
  std::vector<NumCase> v;
  for (std::uint32_t b : {0u, 1u, 7u, 9u, 10u, 99u, 100u, 128u, 255u}) v.push_back({Entry::B, b});
  if (fam == Family::Byte) return v;
  for (std::uint32_t w : {0u, 1u, 10u, 999u, 1000u, 12345u, 32768u, 65535u})
    v.push_back({Entry::W, w});
  for (std::int32_t i : {0, -1, 1, -5, 32767, -32768, -10, 1234, -1234})
    v.push_back({Entry::I, static_cast<std::uint32_t>(i) & 0xFFFF});
  if (fam == Family::Int) return v;
  for (std::int64_t s : {0LL, 1LL, -1LL, 65536LL, 2147483647LL, -2147483648LL, 1000000000LL,
                         -999999999LL, 4294967LL, -100000LL})
    v.push_back({Entry::S, static_cast<std::uint32_t>(s)});
  return v;
}

// Formatted: every value with several digit/decimal settings, including 0 positions
// before the point (no fixed width) and more decimals than the value has digits.
std::vector<NumCase> FormattedValues(Family fam) {
  std::vector<NumCase> v;
  const std::pair<int, int> fmts[] = {{0, 3}, {2, 3}, {2, 0}, {1, 1}, {3, 5}, {4, 2}, {0, 0}, {3, 0}};
  for (const NumCase& c : Values(fam))
    for (auto [d, p] : fmts) v.push_back({c.e, c.v, static_cast<std::uint8_t>(d), static_cast<std::uint8_t>(p)});
  return v;
}

std::string FamilyName(const ::testing::TestParamInfo<Family>& p) {
  switch (p.param) {
    case Family::Byte: return "Byte";
    case Family::Int: return "Int";
    case Family::Long: return "Long";
  }
  return "";
}

class NumToText : public ::testing::TestWithParam<Family> {};

TEST_P(NumToText, PlainTextMatchesHostFormatting) {
  Check(test::libfix::M8(), GetParam(), Form::Plain, ' ', Values(GetParam()));
}

TEST_P(NumToText, LeadCharacterFillsToTheTypeWidth) {
  Check(test::libfix::M8(), GetParam(), Form::Lead, ' ', Values(GetParam()));
  Check(test::libfix::M8(), GetParam(), Form::Lead, '0', Values(GetParam()));
}

TEST_P(NumToText, FormattedTextMatchesHostFormatting) {
  Check(test::libfix::M8(), GetParam(), Form::Formatted, '*', FormattedValues(GetParam()));
}

TEST_P(NumToText, BigAndSmallRamDevices) {
  // m128: 16-bit pointers above the first 4 KB; tiny2313: 8-bit pointers only.
  Check(test::libfix::M128(), GetParam(), Form::Lead, '#', Values(GetParam()));
  std::vector<NumCase> few;
  for (const NumCase& c : Values(GetParam()))
    if (c.v == 0 || c.v == 255 || c.v == 0xFFFF || c.v == 0x8000 || c.v == 0x80000000u) few.push_back(c);
  Check(test::libfix::Tn2313(), GetParam(), Form::Plain, ' ', few);
  Check(test::libfix::Tn2313(), GetParam(), Form::Lead, '.', few);
  std::vector<NumCase> fmt;
  for (const NumCase& c : few) fmt.push_back({c.e, c.v, 2, 3});
  Check(test::libfix::Tn2313(), GetParam(), Form::Formatted, '_', fmt);
}

INSTANTIATE_TEST_SUITE_P(Sizes, NumToText,
                         ::testing::Values(Family::Byte, Family::Int, Family::Long),
                         FamilyName);

// The formatted-text faults, as plain examples: a value with fewer digits than the
// decimals keeps its zeros after the point, and 0 positions before the point (the cells'
// start-up value) neither fill memory below Y nor cut the number to its last digit.
TEST(NumToTextFormatted, ZerosAfterThePointAndZeroPositions) {
  for (Family fam : {Family::Byte, Family::Int, Family::Long}) {
    Check(test::libfix::M8(), fam, Form::Formatted, ' ',
          {{Entry::B, 5, 2, 3}, {Entry::B, 0, 2, 0}, {Entry::B, 123, 1, 0}, {Entry::B, 123, 0, 0}});
  }
  Check(test::libfix::M8(), Family::Long, Form::Formatted, '*',
        {{Entry::W, 1234, 0, 0}, {Entry::S, 100000, 0, 0}, {Entry::S, 4294967295u, 0, 0}, {Entry::I, 0xFFFF, 2, 0}});
  EXPECT_EQ(Model({Entry::B, 5, 2, 3}, Form::Formatted, ' '), "  0.05");
  EXPECT_EQ(Model({Entry::B, 123, 1, 0}, Form::Formatted, ' '), "12.3");
  EXPECT_EQ(Model({Entry::S, 100000, 0, 0}, Form::Formatted, '*'), "100000");
  EXPECT_EQ(Model({Entry::S, 4294967295u, 0, 0}, Form::Formatted, '*'), "-1");
  EXPECT_EQ(Model({Entry::I, 0xFFFF, 2, 0}, Form::Formatted, '*'), "-0.01");
}

}  // namespace
}  // namespace qbc
