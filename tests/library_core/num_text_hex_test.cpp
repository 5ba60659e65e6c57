// Number-to-hex routines on the simulator against host formatting.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "compiler/library/core/num_to_text.h"
#include "tests/library_core/text_routine_bench.h"

namespace qbc {
namespace {

using test::libfix::Device;
using test::libfix::Hex2;

struct HexCase {
  int digits;  // 2, 4, 8
  std::uint32_t v;
};

std::string Model(const HexCase& c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*X", c.digits,
                c.digits == 8 ? c.v : c.v & ((1u << (4 * c.digits)) - 1));
  return buf;
}

void Check(const Device& dev, const std::string& stack, const std::vector<HexCase>& cases) {
  auto configure = [&](CompilerState& st) { st.cfg.StackSize = stack; };
  const std::string routines = test::libfix::Emit(dev, EmitNumToHexRoutine, configure);
  test::libfix::Program p;
  p.dev = dev;
  p.routines = routines;
  for (const HexCase& c : cases) {
    std::string s;
    s += "\t\tldi\tr16,0x5a\n\t\tmov\tr6,r16\n";
    s += test::libfix::LoadPtr("yl", "yh", std::to_string(test::libfix::YStart(dev)));
    s += "\t\tldi\tzl," + Hex2(c.v & 0xFF) + "\n\t\tldi\tzh," + Hex2((c.v >> 8) & 0xFF) + "\n";
    s += "\t\tldi\tr18," + Hex2((c.v >> 16) & 0xFF) + "\n\t\tldi\tr19," + Hex2(c.v >> 24) + "\n";
    s += std::string("\t\trcall\t") + (c.digits == 2 ? "_ToHB" : c.digits == 4 ? "_ToHW" : "_ToHL") + "\n";
    s += "\t\trcall\trecz\n";
    for (const char* r : {"zl", "zh", "r6", "yl", "yh", "r18", "r19"})
      s += std::string("\t\tmov\tr16,") + r + "\n\t\trcall\trec\n";
    p.cases.push_back(s);
  }
  auto out = test::libfix::Run(p);
  test::libfix::Reader r{out};
  // The text lies right below the caller's Y, its terminator at Y - 1.
  auto text_at = [&](const HexCase& c) { return static_cast<std::uint32_t>(test::libfix::YStart(dev) - c.digits - 1); };
  for (const HexCase& c : cases) {
    SCOPED_TRACE(dev.name + " " + std::to_string(c.digits) + " digits of " + std::to_string(c.v));
    EXPECT_EQ(r.Text(), Model(c));
    std::uint32_t z = r.Byte();
    z |= static_cast<std::uint32_t>(r.Byte()) << 8;
    EXPECT_EQ(z, text_at(c)) << "Z must address the text below the caller's Y";
    EXPECT_EQ(r.Byte(), 0x5A) << "r6 must be kept";
    std::uint32_t y = r.Byte();
    y |= static_cast<std::uint32_t>(r.Byte()) << 8;
    EXPECT_EQ(y, static_cast<std::uint32_t>(test::libfix::YStart(dev)));
    EXPECT_EQ(r.Byte(), (c.v >> 16) & 0xFF) << "r18 kept";
    EXPECT_EQ(r.Byte(), c.v >> 24) << "r19 kept";
  }
  EXPECT_TRUE(r.Ok());
}

std::vector<HexCase> Cases() {
  std::vector<HexCase> v;
  for (std::uint32_t b : {0x00u, 0x09u, 0x0Au, 0x9Fu, 0xA0u, 0xFFu, 0x5Cu}) v.push_back({2, b});
  for (std::uint32_t w : {0x0000u, 0x00ABu, 0xFFFFu, 0x1234u, 0xBEEFu, 0x8000u}) v.push_back({4, w});
  for (std::uint32_t l : {0x00000000u, 0x0000ABCDu, 0xFFFFFFFFu, 0x12345678u, 0x80000001u, 0x9ABCDEF0u})
    v.push_back({8, l});
  return v;
}

TEST(NumToHex, DigitsMatchHostFormattingOnEveryDevice) {
  Check(test::libfix::M8(), "24", Cases());
  Check(test::libfix::M128(), "24", Cases());
  std::vector<HexCase> few = {{2, 0xA5}, {4, 0x1F2E}, {8, 0xC0FFEE01u}};
  Check(test::libfix::Tn2313(), "24", few);
}

// A stack size above 63 (two sbiw lines in the start-up code) changes nothing.
TEST(NumToHex, StackSizeAbove63) {
  Check(test::libfix::M8(), "100", {{4, 0x0BAD}, {8, 0xDEADBEEFu}});
}

// Every caller (main code or a handler, on its own Y) builds the text below its own Y:
// nothing in the routine names a fixed place or loads Y.
TEST(NumToHex, TextDoesNotDependOnTheStackSize) {
  auto text = [](const std::string& stack) {
    return test::libfix::Emit(test::libfix::M8(), EmitNumToHexRoutine,
                              [&](CompilerState& st) { st.cfg.StackSize = stack; });
  };
  EXPECT_EQ(text("24"), text("100"));
  EXPECT_EQ(text("24").find("RAMEND"), std::string::npos);
  EXPECT_EQ(text("24").find("ldi     y"), std::string::npos);
  EXPECT_EQ(text("24").find("ldi\ty"), std::string::npos);
  EXPECT_EQ(text("24").rfind("\n;////// Num to Hex  //////////////////////\n", 0), 0u);
}

}  // namespace
}  // namespace qbc
