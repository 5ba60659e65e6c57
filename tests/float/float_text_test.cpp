// The text of the float emitters: fixed-width fields, the blocks' first lines, the labels
// each block defines and the only routines it may call, the device-dependent return
// address, and _Fmov built from the layout separators. Every block assembles with only
// the core beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/library/core/float_core.h"
#include "tests/float/float_fixture.h"

namespace qbc::test::flt {
namespace {

using bench::Lines;

std::string Emit(void (*emit)(CompilerState&), const Chip& chip = kM32) {
  auto st = StateFor(chip);
  emit(*st);
  return st->out.Str();
}

struct Block {
  const char* name;
  void (*emit)(CompilerState&);
  std::vector<std::string> entries;
  std::vector<std::string> internal;
};

std::vector<std::string> Numbered(const std::string& stem, int from, int to) {
  std::vector<std::string> v;
  for (int i = from; i <= to; ++i) v.push_back(stem + std::to_string(i));
  return v;
}
std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<Block>& Blocks() {
  static const std::vector<Block> blocks = {
      {"core",
       EmitFloatCoreRoutines,
       {"_Fwrk1", "_Fwrk2", "_Fwrk3", "_Fnan", "_Fback", "_Fclr", "_Fclr1", "_Fus2f", "_Fs2f", "_Fxsf", "_Fneg", "_Fba"},
       {"_Fwrk0", "_Fwrk4", "_Fwrk5", "_Fbck1", "_Fbck2", "_Fbck3", "_Fs2f1", "_Fxsf1", "_Fxsf2", "_Fxsf3", "_Fneg1"}},
      {"add", EmitFloatAddSubRoutine, {"_Fsub", "_Fadd", "_FaddD"}, Numbered("_Fadd", 1, 7)},
      {"mul", EmitFloatMulRoutine, {"_Fpow2", "_Fmul", "_FmulD"}, Join(Numbered("_Fmul", 1, 9), Numbered("_Fmu", 10, 13))},
      {"div", EmitFloatDivRoutine, {"_Finv", "_Fdiv", "_FdivD"}, Join(Numbered("_Fdiv", 1, 9), Numbered("_Fdi", 10, 11))},
      {"f2e", EmitFloatToExpRoutine, {"_F2e"}, Numbered("_F2e", 0, 4)},
      {"compare",
       EmitFloatCompareRoutine,
       {"_Fcmp0", "_Fcmp1", "_Fcmf", "_Fcmp"},
       Join(Numbered("_Fcmf", 0, 3), {"_Fcmp2", "_Fcmp3"})},
  };
  return blocks;
}

struct Parsed {
  std::set<std::string> defined;
  std::set<std::string> referenced;
  std::vector<std::string> bad_lines;
};

// Checks the fixed-field layout of every instruction line: an 8-character label field
// (label and colon filled with blanks, or 8 blanks), the mnemonic filled with blanks to 8
// characters when operands follow.
Parsed Parse(const std::vector<std::string>& lines) {
  Parsed p;
  for (const std::string& line : lines) {
    if (line.empty() || line[0] == ';') continue;
    if (line.size() < 9) {
      p.bad_lines.push_back(line);
      continue;
    }
    const std::string field = line.substr(0, 8);
    if (field != std::string(8, ' ')) {
      const size_t colon = field.find(':');
      if (field[0] != '_' || colon == std::string::npos || field.find_first_not_of(' ', colon + 1) != std::string::npos) {
        p.bad_lines.push_back(line);
        continue;
      }
      p.defined.insert(field.substr(0, colon));
    }
    const std::string rest = line.substr(8);
    size_t m = 0;
    while (m < rest.size() && std::isalpha(static_cast<unsigned char>(rest[m]))) ++m;
    const std::string mnemonic = rest.substr(0, m);
    if (m == 0 || (rest.size() > m && (rest.size() <= 8 || rest.substr(m, 8 - m) != std::string(8 - m, ' ') ||
                                       rest[8] == ' '))) {
      p.bad_lines.push_back(line);
      continue;
    }
    if (mnemonic.rfind("br", 0) == 0 || mnemonic == "rcall" || mnemonic == "rjmp") p.referenced.insert(rest.substr(8));
    if (mnemonic == "call" || mnemonic == "jmp") p.bad_lines.push_back(line);  // not on 8 KB devices
  }
  return p;
}

TEST(FloatText, FixedFieldsLabelsAndCalls) {
  const Parsed core = Parse(Lines(Emit(EmitFloatCoreRoutines)));
  for (const Block& b : Blocks()) {
    const Parsed p = Parse(Lines(Emit(b.emit)));
    EXPECT_TRUE(p.bad_lines.empty()) << b.name << ": " << p.bad_lines.front();
    std::set<std::string> allowed(b.entries.begin(), b.entries.end());
    allowed.insert(b.internal.begin(), b.internal.end());
    for (const std::string& e : b.entries) EXPECT_TRUE(p.defined.count(e)) << b.name << " lacks " << e;
    for (const std::string& d : p.defined) EXPECT_TRUE(allowed.count(d)) << b.name << " defines " << d;
    // Calls and jumps reach the block itself or the core, nothing else.
    for (const std::string& r : p.referenced) {
      const bool inside = p.defined.count(r) != 0;
      const bool to_core = std::string(b.name) != "core" && core.defined.count(r) != 0;
      EXPECT_TRUE(inside || to_core) << b.name << " reaches " << r;
    }
  }
}

TEST(FloatText, FirstLinesOfTheBlocks) {
  const auto core = Lines(Emit(EmitFloatCoreRoutines));
  ASSERT_GE(core.size(), 5u);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(core[i].size() > 2 && core[i][0] == ';') << core[i];
  EXPECT_EQ(core[3], "");
  EXPECT_EQ(core[4].rfind("_Fwrk1: ", 0), 0u);
  for (const Block& b : Blocks()) {
    const std::string text = Emit(b.emit);
    EXPECT_EQ(text.find(";//////"), std::string::npos) << b.name;
    if (std::string(b.name) != "core") {
      EXPECT_EQ(Lines(text).front(), "") << b.name;
    }
  }
  const auto add = Lines(Emit(EmitFloatAddSubRoutine));
  EXPECT_EQ(add[1], "_Fsub:  subi    r21,0x80");
  EXPECT_NE(std::find(add.begin(), add.end(), "        rcall   _FaddD"), add.end());
  const auto div = Lines(Emit(EmitFloatDivRoutine));
  const std::vector<std::string> one = {"        ldi     r25,0x3F", "        ldi     r24,0x80", "        clr     r23",
                                        "        clr     r22", "_Fdiv:  rcall   _Fwrk1"};
  EXPECT_NE(std::search(div.begin(), div.end(), one.begin(), one.end()), div.end());
}

// The unpacking's NaN exit drops the caller's return address: three bytes above 128 KB.
TEST(FloatText, ReturnAddressSizeFollowsTheFlash) {
  auto pops_after_exit = [](const Chip& chip) {
    const auto lines = Lines(Emit(EmitFloatCoreRoutines, chip));
    auto it = std::find(lines.begin(), lines.end(), "_Fwrk0: pop     r0");
    int n = it == lines.end() ? 0 : 1;
    if (it != lines.end())
      for (++it; it != lines.end() && *it == "        pop     r0"; ++it) ++n;
    return n;
  };
  EXPECT_EQ(pops_after_exit(kM8), 2);
  EXPECT_EQ(pops_after_exit(kM32), 2);
  Chip m128 = kM32;
  m128.flash_bytes = 131072;
  EXPECT_EQ(pops_after_exit(m128), 2);
  EXPECT_EQ(pops_after_exit(kM2560), 3);
}

TEST(FloatText, MoveIsBuiltFromTheSeparators) {
  EXPECT_EQ(Emit(EmitFloatMoveRoutine),
            "_Fmov:\tpush\tr22\r\n\t\tpush\tr23\r\n\t\tpush\tr24\r\n\t\tpush\tr25\r\n"
            "\t\tmov\t\tr25,r21\r\n\t\tmov\t\tr24,r20\r\n\t\tmov\t\tr23,r19\r\n\t\tmov\t\tr22,r18\r\n"
            "\t\tpop\t\tr21\r\n\t\tpop\t\tr20\r\n\t\tpop\t\tr19\r\n\t\tpop\t\tr18\r\n\t\tret\r\n");
  auto st = StateFor(kM8);
  st->out.MnemonicIndent = "  ";
  st->out.OperandSeparator = " ";
  EmitFloatMoveRoutine(*st);
  EXPECT_EQ(Lines(st->out.Str())[0], "_Fmov: push r22");
  EXPECT_EQ(Lines(st->out.Str())[4], "  mov  r25,r21");
}

// Each block assembles with the core alone (no hidden dependency between the blocks), on
// the 8 KB chip without call/jmp.
TEST(FloatText, EachBlockAssemblesWithTheCoreAlone) {
  const std::string core = Emit(EmitFloatCoreRoutines, kM8);
  for (const Block& b : Blocks()) {
    const std::string text = ".include \"m8def.inc\"\n" + core + (std::string(b.name) == "core" ? "" : Emit(b.emit, kM8));
    AsmResult a = AssembleAsm(text);
    EXPECT_TRUE(a.ok) << b.name << "\n" << a.output;
  }
  AsmResult a = AssembleAsm(".include \"m8def.inc\"\n" + Emit(EmitFloatMoveRoutine, kM8));
  EXPECT_TRUE(a.ok) << a.output;
}

}  // namespace
}  // namespace qbc::test::flt
