// Decimal and hexadecimal text to number (Val, HexVal, numeric input) on the simulator
// against host models, for zero-terminated texts, substrings and the input buffer, in 16
// bits and in 32 (Val and HexVal into a Long).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/base/flags/arith_flags.h"
#include "compiler/library/comm/text_to_number.h"
#include "tests/library_core/text_routine_bench.h"

namespace qbc {
namespace {

using test::libfix::Device;
using test::libfix::StringBench;

// The 16x16 multiply the decimal converter calls (low 16 bits of zl:zh x r24:r25 in
// zl:zh; r24, r25, X and T kept), so that these tests stand on their own.
const char* kMp16u = R"(Mp16u:	clr	r22
		clr	r23
		ldi	r21,16
Mp16a:	lsl	r22
		rol	r23
		lsl	zl
		rol	zh
		brcc	Mp16b
		add	r22,r24
		adc	r23,r25
Mp16b:	dec	r21
		brne	Mp16a
		mov	zl,r22
		mov	zh,r23
		ret
)";

// The value kept to 32 bits; the 16-bit routines give its low half.
struct Conv {
  std::uint32_t value = 0;
  std::size_t x_after = 0;  // X less the text start
};

// `limit`: characters of a substring (-1: up to the 0 byte). Blanks and TABs first, one
// sign, then digits up to the first other character, which X is left one past.
Conv DecModel(const std::string& t, int limit) {
  std::uint32_t v = 0;
  bool neg = false;
  bool leading = true;
  std::size_t i = 0;
  while (limit < 0 || static_cast<int>(i) < limit) {
    auto c = static_cast<std::uint8_t>(i < t.size() ? t[i] : 0);
    ++i;
    if (leading) {
      if (c == ' ' || c == 9) continue;
      leading = false;
      if (c == '+' || c == '-') {
        neg = c == '-';
        continue;
      }
    }
    if (c < '0' || c > '9') break;
    v = v * 10u + static_cast<std::uint32_t>(c - '0');
  }
  if (neg) v = 0u - v;
  return {v, i};
}

Conv HexModel(const std::string& t, int limit) {
  std::uint32_t v = 0;
  std::size_t i = 0;
  for (;; ++i) {
    if (limit >= 0 && static_cast<int>(i) == limit) break;
    auto c = static_cast<std::uint8_t>(i < t.size() ? t[i] : 0);
    if (c >= 'a' && c <= 'z') c = static_cast<std::uint8_t>(c - 0x20);
    int d = c - 0x30;
    if (c < 0x30 || c >= 0x47 || (d >= 10 && d - 7 < 10)) {
      ++i;
      break;
    }
    if (d >= 10) d -= 7;
    v = (v << 4) + static_cast<std::uint32_t>(d);
  }
  return {v, i};
}

struct TextCase {
  std::string text;
  int offset = 0;   // substring start
  int limit = -1;   // substring length (-1: the whole zero-terminated text)
};

const std::vector<TextCase> kDecCases = {
    {"123"}, {"-5"}, {"1-2"}, {""}, {"70000"}, {"\t1\t2"}, {" 1"}, {"65535"}, {"-32768"},
    {"+5"},  {"007"}, {"--3"}, {"9"}, {"12345"},
    // Blanks before a sign or a digit, and whatever follows the number.
    {"+42"}, {" 17"}, {"  -8"}, {"\t +3"}, {"+-3"}, {"- 3"}, {"12 34"}, {"42\r"}, {"5x"}, {"x5"},
    {"/"}, {":"}, {"+"}, {"   "}, {"-0"}, {"0042"},
    // Substrings: the whole substring counts, not only its first character.
    {"xx12345yy", 2, 3}, {"xx12345yy", 2, 5}, {"ab42", 2, 2}, {"12", 0, 0}, {"12", 0, 5},
    {"7-1", 0, 3}, {"x-10x", 1, 3}, {"  +77", 0, 3}, {"  +77", 0, 4}, {" -12 ", 0, 5},
};

const std::vector<TextCase> kHexCases = {
    {"1aF"}, {"12345"}, {"FG1"}, {""}, {"&h12"}, {"ffff"}, {"abcdef"}, {"0"}, {"9:"}, {"@"},
    {"g"},   {"A"},     {"7fFf"}, {"10 20"},
    {"xxBEEFyy", 2, 4}, {"xxBEEFyy", 2, 2}, {"A", 0, 1}, {"12", 0, 0}, {"C0", 0, 7},
};

// `wide`: the 32-bit routines, whose value is zl, zh, r18, r19.
void CheckConv(const Device& d, bool hex, const std::vector<TextCase>& cases, bool wide = false) {
  StringBench b(d, "sa:\t.byte 40\n_InBuf:\t.byte 7\n");
  if (wide)
    b.p.routines = test::libfix::Emit(d, hex ? EmitHexStrToLongRoutine : EmitStrToLongRoutine);
  else
    b.p.routines = test::libfix::Emit(d, hex ? EmitHexStrToNumRoutine : EmitStrToNumRoutine) + kMp16u;
  const char* const whole[2][2] = {{"_St2Nm", "_St2Nl"}, {"_Hx2Nm", "_Hx2Nl"}};
  const char* const part[2][2] = {{"_Sb2Nm", "_Sb2Nl"}, {"_Sb2Hx", "_Sb2Hl"}};
  for (const TextCase& c : cases) {
    std::string s = b.Put("sa", c.text);
    s += test::libfix::LoadPtr("xl", "xh", "sa+" + std::to_string(c.offset));
    if (c.limit >= 0) {
      s += "\t\tldi\tr20," + std::to_string(c.limit + 1) + "\n";
      s += std::string("\t\trcall\t") + part[hex][wide] + "\n";
    } else {
      s += std::string("\t\trcall\t") + whole[hex][wide] + "\n";
    }
    s += StringBench::RecordReg("zl") + StringBench::RecordReg("zh");
    if (wide) s += StringBench::RecordReg("r18") + StringBench::RecordReg("r19");
    s += "\t\tsubi\txl,low(sa+" + std::to_string(c.offset) + ")\n" + StringBench::RecordReg("xl");
    b.p.cases.push_back(s);
  }
  auto out = test::libfix::Run(b.p);
  test::libfix::Reader r{out};
  for (const TextCase& c : cases) {
    SCOPED_TRACE(d.name + (hex ? " hex \"" : " decimal \"") + c.text + "\" from " +
                 std::to_string(c.offset) + " length " + std::to_string(c.limit) + (wide ? " in 32 bits" : ""));
    const std::string t = c.text.substr(static_cast<std::size_t>(c.offset));
    Conv want = hex ? HexModel(t, c.limit) : DecModel(t, c.limit);
    std::uint32_t v = 0;
    for (int k = 0; k < (wide ? 4 : 2); ++k) v |= static_cast<std::uint32_t>(r.Byte()) << (8 * k);
    EXPECT_EQ(v, wide ? want.value : want.value & 0xFFFFu);
    EXPECT_EQ(r.Byte(), want.x_after) << "X after the scan";
  }
  EXPECT_TRUE(r.Ok());
}

void CheckConv(const Device& d, bool hex) { CheckConv(d, hex, hex ? kHexCases : kDecCases); }

TEST(TextToNumber, DecimalMatchesTheHostModel) {
  EXPECT_EQ(DecModel("1-2", -1).value, 1);
  EXPECT_EQ(DecModel(" 1", -1).value, 1);
  EXPECT_EQ(DecModel("+42", -1).value, 42);
  EXPECT_EQ(DecModel(" -17x", -1).value, static_cast<std::uint32_t>(-17));
  EXPECT_EQ(DecModel(" -17x", -1).x_after, 5u);
  CheckConv(test::libfix::M8(), false);
  CheckConv(test::libfix::M128(), false);
}

// Many texts of blanks, signs, digits and other characters, and substrings of them.
TEST(TextToNumber, DecimalMatchesTheHostModelOverManyTexts) {
  const std::string alphabet = "  \t+-0123456789x.";
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  std::vector<TextCase> cases;
  for (int i = 0; i < 600; ++i) {
    std::string t;
    const std::uint32_t length = next(9);
    for (std::uint32_t k = 0; k < length; ++k) t += alphabet[next(static_cast<std::uint32_t>(alphabet.size()))];
    if (i % 4 == 3)
      cases.push_back({t, 0, static_cast<int>(next(length + 1))});
    else
      cases.push_back({t});
  }
  // In batches that the bench's rcalls reach across.
  for (std::size_t at = 0; at < cases.size(); at += 100)
    CheckConv(test::libfix::M128(), false,
              std::vector<TextCase>(cases.begin() + static_cast<std::ptrdiff_t>(at),
                                    cases.begin() + static_cast<std::ptrdiff_t>(std::min(at + 100, cases.size()))));
}

TEST(TextToNumber, HexadecimalMatchesTheHostModel) {
  EXPECT_EQ(HexModel("1aF", -1).value, 0x01AF);
  EXPECT_EQ(HexModel("A", 1).value, 10);
  CheckConv(test::libfix::M8(), true);
  CheckConv(test::libfix::M128(), true);
}

// The 32-bit forms read the same texts, and numbers that need more than 16 bits.
const std::vector<TextCase> kLongDecCases = {
    {"250000"}, {"-250000"}, {"2147483647"}, {"-2147483648"}, {"4294967295"}, {"4294967296"},
    {"99999999999"}, {" +123456789x"}, {"xx1234567yy", 2, 7}, {"xx1234567yy", 2, 3},
};
const std::vector<TextCase> kLongHexCases = {
    {"12345678"}, {"89abcdef"}, {"FFFFFFFF"}, {"123456789"}, {"0000ABCDE"}, {"xxBEEF1234yy", 2, 8},
    {"xxBEEF1234yy", 2, 5},
};

TEST(TextToNumber, ThirtyTwoBitFormsMatchTheHostModel) {
  EXPECT_EQ(DecModel("-250000", -1).value, static_cast<std::uint32_t>(-250000));
  EXPECT_EQ(HexModel("89abcdef", -1).value, 0x89abcdefu);
  for (const Device& d : {test::libfix::M8(), test::libfix::M128()}) {
    CheckConv(d, false, kDecCases, true);
    CheckConv(d, false, kLongDecCases, true);
    CheckConv(d, true, kHexCases, true);
    CheckConv(d, true, kLongHexCases, true);
  }
}

// Many texts of blanks, signs, digits, hexadecimal digits and other characters, and
// substrings of them, up to twelve characters (past 32 bits).
TEST(TextToNumber, ThirtyTwoBitFormsMatchTheHostModelOverManyTexts) {
  const std::string alphabet = "  \t+-0123456789abcdefABCDEFgx.";
  std::uint32_t seed = 4242;
  auto next = [&seed](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  std::vector<TextCase> cases;
  for (int i = 0; i < 300; ++i) {
    std::string t;
    const std::uint32_t length = next(13);
    for (std::uint32_t k = 0; k < length; ++k) t += alphabet[next(static_cast<std::uint32_t>(alphabet.size()))];
    if (i % 4 == 3)
      cases.push_back({t, 0, static_cast<int>(next(length + 1))});
    else
      cases.push_back({t});
  }
  for (bool hex : {false, true})
    for (std::size_t at = 0; at < cases.size(); at += 100)
      CheckConv(test::libfix::M128(), hex,
                std::vector<TextCase>(cases.begin() + static_cast<std::ptrdiff_t>(at),
                                      cases.begin() + static_cast<std::ptrdiff_t>(std::min(at + 100, cases.size()))),
                true);
}

// _StrNm reads the numeric input buffer _InBuf; on a one-byte-address device xh is
// cleared, whatever an earlier routine left there.
TEST(TextToNumber, InputBufferEntry) {
  for (const Device& d : {test::libfix::M8(), test::libfix::Tn2313()}) {
    StringBench b(d, "_InBuf:\t.byte 7\n");
    b.p.routines = test::libfix::Emit(d, EmitStrToNumRoutine) + kMp16u;
    for (const char* t : {"-1234", "42", "", " +17"}) {
      std::string s = b.Put("_InBuf", t);
      s += "\t\tldi\txh,0x77\n\t\trcall\t_StrNm\n" + StringBench::RecordReg("zl") + StringBench::RecordReg("zh");
      b.p.cases.push_back(s);
    }
    auto out = test::libfix::Run(b.p);
    test::libfix::Reader r{out};
    for (const char* t : {"-1234", "42", "", " +17"}) {
      SCOPED_TRACE(d.name + " \"" + t + "\"");
      std::uint16_t v = r.Byte();
      v = static_cast<std::uint16_t>(v | (r.Byte() << 8));
      EXPECT_EQ(v, DecModel(t, -1).value & 0xFFFFu);
    }
  }
}

TEST(TextToNumber, TextAndFlag) {
  CompilerState st;
  test::libfix::SetDevice(st, test::libfix::M8());
  st.cfg.StackSize = "64";
  EmitStrToNumRoutine(st);
  EXPECT_TRUE(st.used[NeedMul16u]);
  const std::string& t = st.out.Str();
  EXPECT_NE(t.find("\r\n;////// String to Num /////////////////////\r\n"), std::string::npos);
  EXPECT_NE(t.find("_StrNm:\tldi\t\txl,byte1(_InBuf)\r\n\t\tldi\t\txh,byte2(_InBuf)\r\n"),
            std::string::npos);
  EXPECT_NE(t.find("\t\trcall\tMp16u\r\n"), std::string::npos);
  EXPECT_NE(t.find("_StrS:\tsubi\tzl,0x30\r\n\t\tcpi\t\tzl,0x0a\r\n\t\tbrsh\t_StrSg\r\n\t\tpush\tzl\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace qbc
