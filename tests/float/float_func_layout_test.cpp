// The emitted text of the float functions: coefficient tables byte for byte with their
// line layout, the fixed-width line layout, and the device forms of the table reads.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/float/float_func_fixture.h"
#include "compiler/base/flags/float_flags.h"

namespace qbc::test::floatfn {
namespace {

using bench::Lines;

std::string Emit(void (*emit)(CompilerState&), const FloatChip& chip = kMega8, bool movw = false) {
  auto st = FloatState(chip);
  st->dev.MovwInstruction = movw;
  emit(*st);
  return st->out.Str();
}

// The emitters of the float functions (the routines above the core and its splits).
constexpr void (*kFunctionEmitters[])(CompilerState&) = {
    EmitFloatPotRoutine,    EmitFloatPowRoutine,      EmitFloatExpRoutine,   EmitFloatLogRoutine,
    EmitFloatSinCosRoutine, EmitFloatTanRoutine,      EmitFloatQuadrantRoutine, EmitFloatAsinAcosRoutine,
    EmitFloatAtanRoutine,   EmitFloatAtan2Routine,    EmitFloatSinhRoutine,  EmitFloatCoshRoutine,
    EmitFloatTanhRoutine};

// The ".db" lines after a table label, and their bytes.
struct TableText {
  std::string before;  // the line before the label
  std::vector<std::string> db;
  std::vector<uint8_t> bytes;
};
TableText FindTable(const std::string& text, const std::string& label) {
  TableText t;
  auto lines = Lines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != label + ":") continue;
    t.before = i ? lines[i - 1] : "";
    for (size_t j = i + 1; j < lines.size() && lines[j].rfind(".db ", 0) == 0; ++j) {
      t.db.push_back(lines[j]);
      std::string rest = lines[j].substr(4);
      for (size_t p = rest.find("0x"); p != std::string::npos; p = rest.find("0x", p + 2))
        t.bytes.push_back(static_cast<uint8_t>(std::stoul(rest.substr(p + 2, 2), nullptr, 16)));
    }
  }
  return t;
}

TEST(FloatFunctionText, CoefficientTablesAreTheGivenBytesInTheirLineLayout) {
  struct T {
    void (*emit)(CompilerState&);
    const char* label;
    const std::vector<uint8_t>* bytes;
    size_t per_line;
    const char* separator;
    const char* before;
    bool lower;
  };
  const T tables[] = {
      {EmitFloatSinCosRoutine, "_FtblSin", &kTblSin, 8, ", ", "", false},
      {EmitFloatSinCosRoutine, "_FtblCos", &kTblCos, 8, ", ", "", false},
      {EmitFloatTanRoutine, "_FtblTan", &kTblTan, 8, ", ", "", false},
      {EmitFloatAsinAcosRoutine, "_Ftbl_Asin", &kTblAsin, 8, ", ", "", false},
      {EmitFloatAtan2Routine, "_FtblAtan", &kTblAtan, 12, ",", "", true},
      {EmitFloatExpRoutine, "_FtblExp", &kTblExp, 6, ", ", "", false},
      {EmitFloatLogRoutine, "_FtblLn", &kTblLn, 10, ",", "", false},
      {EmitFloatSinhRoutine, "_FtblSinh", &kTblSinh, 8, ", ", "", false},
      {EmitFloatTanhRoutine, "_FtblTanh", &kTblTanh, 8, ", ", "", false},
  };
  for (const T& t : tables) {
    TableText found = FindTable(Emit(t.emit), t.label);
    EXPECT_EQ(found.bytes, *t.bytes) << t.label;
    EXPECT_EQ(found.before, t.before) << t.label;
    ASSERT_FALSE(found.db.empty()) << t.label;
    for (size_t i = 0; i < found.db.size(); ++i) {
      size_t count = std::min(t.per_line, t.bytes->size() - i * t.per_line);
      std::string expect = ".db ";
      for (size_t k = 0; k < count; ++k) {
        char b[8];
        uint8_t v = (*t.bytes)[i * t.per_line + k];
        std::snprintf(b, sizeof b, t.lower ? "0x%02x" : "0x%02X", v);
        if (k) expect += t.separator;
        expect += b;
      }
      EXPECT_EQ(found.db[i], expect) << t.label << " line " << i;
    }
  }
}

// Every line is a fixed-width line (label field and mnemonic field of eight characters), a
// table line, or one of the TAB-built device lines of the table reads.
TEST(FloatFunctionText, LinesUseTheFixedWidthLayout) {
  const std::regex fixed(R"(^(        |[_A-Za-z0-9]{1,6}: {1,6}|_FAtan2:)[a-zA-Z]+ *( {1,}[^ ].*)?$)");
  for (const auto& [chip, movw] : {std::pair{&kMega8, false}, {&kMega8PlainLpm, false}, {&kMega128, false},
                                    {&kMega128, true}}) {
    for (auto emit : {EmitFloatPotRoutine, EmitFloatModfRoutine, EmitFloatModRoutine, EmitFloatPowRoutine,
                      EmitFloatExpRoutine, EmitFloatLogRoutine, EmitFloatSqrtRoutine, EmitFloatSinCosRoutine,
                      EmitFloatTanRoutine, EmitFloatAsinAcosRoutine, EmitFloatAtanRoutine, EmitFloatAtan2Routine,
                      EmitFloatSinhRoutine, EmitFloatCoshRoutine, EmitFloatTanhRoutine, EmitFloatQuadrantRoutine,
                      EmitFloatStrRoutine, EmitFloatDecPointRoutine, EmitFloatFormatRoutine}) {
      auto lines = Lines(Emit(emit, *chip, movw));
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines[0], "") << "every function block starts with an empty line";
      for (const std::string& l : lines) {
        if (l.empty() || l == "        " || l.rfind(".db ", 0) == 0 || l.back() == ':' || l[0] == '\t') continue;
        if ((l.rfind("_Flpm:  ", 0) == 0 || l.rfind("_Fqml:  ", 0) == 0) && l.find('\t') != std::string::npos) continue;
        EXPECT_TRUE(std::regex_match(l, fixed)) << "[" << l << "]";
        if (l.size() > 16 && l[0] != '_') {
          EXPECT_EQ(l.substr(0, 8), "        ") << l;
        }
      }
    }
  }
}

// A register pair's two byte moves are one movw where the chip has it, never after a skip.
TEST(FloatFunctionText, PairMovesAreMovwWhereTheChipHasIt) {
  std::size_t plain_lines = 0, paired_lines = 0;
  for (auto emit : kFunctionEmitters) {
    const std::string plain = Emit(emit, kMega8, false), paired = Emit(emit, kMega8, true);
    EXPECT_EQ(plain.find("movw"), std::string::npos);
    const auto lines = Lines(paired);
    for (std::size_t i = 1; i < lines.size(); ++i) {
      if (lines[i].find("movw") == std::string::npos) continue;
      EXPECT_EQ(lines[i - 1].find("sbr"), std::string::npos) << lines[i - 1] << " / " << lines[i];
      EXPECT_EQ(lines[i - 1].find("cpse"), std::string::npos) << lines[i - 1] << " / " << lines[i];
    }
    EXPECT_LE(lines.size(), Lines(plain).size());
    plain_lines += Lines(plain).size();
    paired_lines += lines.size();
  }
  EXPECT_LT(paired_lines, plain_lines);
  // the pattern of a pair: r22 <- r8 and r23 <- r9 together
  const std::string exp = Emit(EmitFloatExpRoutine, kMega8, true);
  EXPECT_NE(exp.find("        movw    r8,r22\r\n        movw    r10,r24\r\n"), std::string::npos);
}

TEST(FloatFunctionText, TableReadsFollowTheDevice) {
  std::string mega = Emit(EmitFloatPotRoutine, kMega8);
  EXPECT_NE(mega.find("\t\tlpm\txl,Z+\r\n"), std::string::npos);
  EXPECT_NE(mega.find("_Flpm:  lpm\tr21,Z+\r\n\t\tlpm\tr20,Z+\r\n\t\tlpm\tr19,Z+\r\n\t\tlpm\tr18,Z+\r\n"),
            std::string::npos);
  EXPECT_EQ(mega.find("RAMPZ"), std::string::npos);

  std::string old = Emit(EmitFloatPotRoutine, kMega8PlainLpm);
  EXPECT_NE(old.find("\t\tlpm\r\n\t\tadiw\tzl,0x01\r\n\t\tmov\t\txl,r0\r\n"), std::string::npos);
  EXPECT_NE(old.find("_Flpm:  lpm\r\n\t\tadiw\tzl,0x01\r\n\t\tmov\t\tr21,r0\r\n"), std::string::npos);
  EXPECT_EQ(old.find("Z+"), std::string::npos);

  // Above 64 KB the tables are read with elpm through RAMPZ, which the callers load with
  // the table address's third byte and _Fpot gives back afterwards.
  std::string big = Emit(EmitFloatPotRoutine, kMega128);
  EXPECT_NE(big.find("\t\telpm\txl,Z+"), std::string::npos);
  EXPECT_NE(big.find("_Fpot1: in      r0,RAMPZ\r\n        push    r0\r\n        out     RAMPZ,r21\r\n"),
            std::string::npos);
  EXPECT_NE(big.find("_Fpot6: pop     r0\r\n        out     RAMPZ,r0\r\n"), std::string::npos);
  std::string cos = Emit(EmitFloatSinCosRoutine, kMega128);
  EXPECT_NE(cos.find("        ldi     ZL,byte1(_FtblCos*2)\r\n        ldi     ZH,byte2(_FtblCos*2)\r\n"
                     "        ldi     r21,byte3(_FtblCos*2)\r\n"),
            std::string::npos);
  EXPECT_EQ(Emit(EmitFloatSinCosRoutine, kMega8).find("byte3"), std::string::npos);
}

TEST(FloatFunctionText, SmallRamLeavesOutTheHighAddressBytes) {
  FloatChip tiny = kMega8;
  tiny.ram_end = 0xDF;
  std::string fmt = Emit(EmitFloatFormatRoutine, tiny);
  EXPECT_EQ(fmt.find("zh,byte2"), std::string::npos);
  EXPECT_EQ(fmt.find("xh,byte2"), std::string::npos);
  // _Fstr writes through X, whose high byte (unlike Y's on these chips) is whatever the
  // last routine left: it loads both bytes on every chip.
  for (const FloatChip& chip : {tiny, kMega8}) {
    std::string str = Emit(EmitFloatStrRoutine, chip);
    EXPECT_NE(str.find("        ldi     xl,byte1(_s1tmp)\r\n        ldi     xh,byte2(_s1tmp)\r\n"),
              std::string::npos);
  }
}

// Y is the frame pointer: an interrupt handler builds its locals below it whenever it
// fires, so no float routine may point it anywhere else, not even for two instructions.
// Any operand naming Y or its halves fails, on small and large chips.
TEST(FloatFunctionText, NoFloatRoutineTouchesTheFramePointer) {
  const std::regex y(R"((^|[\s,+-])(y|yl|yh|r28|r29)(\+|$|[\s,]))", std::regex::icase);
  FloatChip tiny = kMega8;
  tiny.ram_end = 0xDF;
  for (const FloatChip* chip : {static_cast<const FloatChip*>(&tiny), &kMega8, &kMega128, &kMega2560}) {
    SCOPED_TRACE(chip->mcu);
    for (const std::string& line : Lines(FloatLibraryText(*chip))) {
      const std::string code = line.substr(0, line.find(';'));
      const size_t operands = code.find_first_of(" \t", code.find_first_not_of(" \t", code.find(':') + 1));
      if (operands == std::string::npos) continue;
      EXPECT_FALSE(std::regex_search(code.substr(operands), y)) << line;
    }
  }
}

TEST(FloatFunctionText, ArcsineSetsTheSquareRootFlag) {
  auto st = FloatState(kMega8);
  EmitFloatAsinAcosRoutine(*st);
  EXPECT_TRUE(st->used[NeedFsqrt]);
}

}  // namespace
}  // namespace qbc::test::floatfn
