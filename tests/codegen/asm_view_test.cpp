// The compiler reads its own output as avra does (asm_view.h): the lines avra assembles,
// in its order, with each .def name meaning the register avra gives it at that line.
// avra's listing is the measure: a fixture with included files, conditions, macros,
// redefined names and .exit is assembled with -l, and every code line of the listing
// (its text, and the register its opcode writes) must be the view's line at that place.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/codegen/handlers/asm_view.h"
#include "tests/support/run_command.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

struct Listed {
  unsigned address;  // in words
  unsigned opcode;
  std::string text;  // without a label, trimmed
};

std::string TrimText(std::string s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.erase(s.begin());
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.pop_back();
  return s;
}

std::string WithoutLabel(std::string s) {
  s = TrimText(s);
  std::size_t n = 0;
  while (n < s.size() && (std::isalnum(static_cast<unsigned char>(s[n])) != 0 || s[n] == '_')) ++n;
  if (n > 0 && n < s.size() && s[n] == ':') s = TrimText(s.substr(n + 1));
  return s;
}

// "C:000004 e0a7      ldi r26, 7": the code lines of avra's listing (a macro's call line
// carries "+" in place of an opcode and is left out).
std::vector<Listed> Listing(const std::string& text) {
  std::vector<Listed> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("C:", 0) != 0 || line.size() < 14) continue;
    const std::string op = line.substr(9, 4);
    if (op.find('+') != std::string::npos || op.find(' ') != std::string::npos) continue;
    out.push_back({static_cast<unsigned>(std::stoul(line.substr(2, 6), nullptr, 16)),
                   static_cast<unsigned>(std::stoul(op, nullptr, 16)), WithoutLabel(line.substr(13))});
  }
  return out;
}

// The register an ldi, inc, dec or mov writes, from its opcode.
int Destination(unsigned opcode) {
  if ((opcode & 0xF000) == 0xE000) return 16 + static_cast<int>((opcode >> 4) & 0xF);
  return static_cast<int>((opcode >> 4) & 0x1F);
}

TEST(AsmView, ReadsTheLinesAvraAssembles) {
  const std::string dir = test::MakeTempDir("asm-view");
  std::filesystem::create_directories(dir + "/lib");
  test::WriteFile(dir + "/lib/b.inc",
                  ".def two = r18\n"
                  "\tldi temp, 7\n"            // temp as this line finds it
                  ".include \"lib/c.inc\"\n"   // looked for where avra runs, not beside b.inc
                  "\tinc two\n");
  test::WriteFile(dir + "/lib/c.inc", "\tldi r19, 1\n.exit\n\tldi r30, 1\n");  // .exit ends this file only
  const std::string main =
      ".device ATmega8\n"
      "\tldi later, 1\n"          // before its .def: the last one of the text
      ".def temp = r16\n"
      "\tldi temp, 1\n"
      ".def temp = r17\n"
      "\tmov temp, r0\n"
      ".def later = r21\n"
      ".def later = r22\n"
      ".include \"lib/b.inc\"\n"
      ".if 0\n"
      "\tldi r20, 5\n"
      "\tret\n"
      ".elif 1\n"
      ".if 0\n\tinc r1\n.else\n\tinc r2\n.endif\n"
      ".else\n"
      "\tinc r3\n"
      ".endif\n"
      ".equ K = 3\n"
      ".set S = K + 1\n"
      ".if S == 4 && (K << 1) == 6\n\tldi r23, S\n.endif\n"
      ".set S = 9\n"
      ".ifdef K\n\tinc r4\n.endif\n"
      ".ifndef K\n\tinc r5\n.endif\n"
      ".ifdef Later\n\tinc r6\n.endif\n"   // a .def name is no symbol
      "#define HASH\n#ifdef HASH\n\tinc r7\n#endif\n#pragma partinc 0\n"  // as avra's own device files write them
      ".macro Inc\n\tldi r31, 9\n.endm\n"  // an instruction's name: avra never uses it
      ".macro Count\n"
      "\tldi @0, @1\n"
      "C_%:\tdec @0\n"
      "\tbrne C_%\n"
      ".endm\n"
      ".macro Twice\n"
      "\tcount @0, 2\n"
      "\tinc @0\n"
      ".endmacro\n"
      "\tCOUNT r24, 4\n"
      "\tTwice later\n"
      "\tinc r9\n"
      "\tldi r25, low(S * 2)\n"
      "\tret\n";
  test::WriteFile(dir + "/main.asm", main);
  const test::CommandResult r = test::RunShell("cd '" + dir + "' && avra -l main.lst main.asm 2>&1");
  ASSERT_EQ(r.status, 0) << r.output;
  const std::vector<Listed> listed = Listing(test::ReadFile(dir + "/main.lst"));
  ASSERT_GT(listed.size(), 15u);

  AsmFiles files;
  files.folder = dir;
  const AsmView view(main, files);
  ASSERT_TRUE(view.Understood());
  ASSERT_EQ(view.Size(), listed.size());
  for (std::size_t i = 0; i < listed.size(); ++i) {
    SCOPED_TRACE(listed[i].text);
    EXPECT_EQ(std::string(view.At(i).code), listed[i].text);
    const std::string code(view.At(i).code);
    const std::size_t blank = code.find_first_of(" \t");
    if (blank == std::string::npos) continue;
    const std::string mnemonic = code.substr(0, blank);
    if (mnemonic != "ldi" && mnemonic != "inc" && mnemonic != "dec" && mnemonic != "mov") continue;
    std::string first = TrimText(code.substr(blank));
    first = TrimText(first.substr(0, first.find(',')));
    for (char& c : first) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    int reg = -1;
    if (const auto alias = view.Alias(first, i)) reg = *alias;
    else if (first[0] == 'r') reg = std::stoi(first.substr(1));
    EXPECT_EQ(reg, Destination(listed[i].opcode));
  }
  EXPECT_EQ(view.Value("S", view.Size() - 1), 9);
  EXPECT_EQ(view.Value("S", 0), 9) << "before its first definition: the last";
}

// Where each label and each relative jump lies in the flash, as avra's .map and listing
// say: instructions of one and two words (in either case), data lines (odd byte counts,
// strings with ";", "," and "'", an empty one, a character), .org to a name's value, the preprocessor forms
// avra's own device files use, code left out by a condition, a macro's lines and an
// included file's. Both kinds of reading place the code alike.
TEST(AsmView, PlacesTheCodeWhereAvraDoes) {
  const std::string dir = test::MakeTempDir("asm-place");
  test::WriteFile(dir + "/inc.asm", "Inc1:\tlds r1, 0x100\n\trcall Sub1\n");
  const std::string main =
      ".device ATmega128\n"
      ".equ Table = 0x40\n"
      "\trjmp Start\n"
      "\tLDS r16, 0x100\n"
      "Start:\tCall Sub1\n"
      "\t.db 1, 2, 3\n"
      "L1:\t.db \"a;b,c\", 0 ; six bytes\n"
      "L2:\t.db \"\"\n"
      "L3:\t.dw 1, 2, Table\n"
      "L5:\t.db 'x', \"it's\"\n"
      "#define TWICE\n"
      "#ifdef TWICE\n"
      "\tsts 0x100, r16\n"
      "#endif\n"
      "#pragma partinc 0\n"
      ".if 0\n\tjmp Start\n.endif\n"
      ".macro Two\n"
      "M_%:\tjmp @0\n"
      "\tnop\n"
      ".endm\n"
      "\tTwo Start\n"
      "L4:\tBRNE L1\n"
      "\tsbrc r16,0\n"
      "\tbreq L4\n"
      ".org Table\n"
      "Sub1:\tret\n"
      ".include \"inc.asm\"\n"
      "Last:\trjmp Last\n";
  test::WriteFile(dir + "/main.asm", main);
  const test::CommandResult r =
      test::RunShell("cd '" + dir + "' && avra -l main.lst -m main.map main.asm 2>&1");
  ASSERT_EQ(r.status, 0) << r.output;
  // "Start  L  0002  2": the labels
  std::vector<std::pair<std::string, unsigned>> labels;
  {
    std::istringstream map(test::ReadFile(dir + "/main.map"));
    std::string name, kind, hex, rest;
    while (map >> name >> kind >> hex) {
      std::getline(map, rest);
      if (kind != "L") continue;
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      labels.emplace_back(name, static_cast<unsigned>(std::stoul(hex, nullptr, 16)));
    }
  }
  ASSERT_EQ(labels.size(), 9u);  // (a macro's own labels are not listed)
  // "C:000024 f7b1      L4:\tBRNE L1": the relative jumps, in order
  std::vector<unsigned> jumps;
  for (const Listed& l : Listing(test::ReadFile(dir + "/main.lst"))) {
    std::string code = l.text;
    for (char& c : code) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (code.rfind("rjmp", 0) == 0 || code.rfind("rcall", 0) == 0 || code.rfind("br", 0) == 0) jumps.push_back(l.address);
  }
  ASSERT_EQ(jumps.size(), 5u);

  AsmFiles files;
  files.folder = dir;
  for (const AsmView::Keep keep : {AsmView::Keep::kAll, AsmView::Keep::kLayout}) {
    SCOPED_TRACE(keep == AsmView::Keep::kAll ? "every line kept" : "layout only");
    const AsmView view(main, files, keep);
    ASSERT_TRUE(view.Understood());
    ASSERT_TRUE(view.SizesKnown());
    for (const auto& [name, address] : labels) {
      SCOPED_TRACE(name);
      const auto place = view.LabelPlace(name);
      ASSERT_TRUE(place.has_value());
      EXPECT_EQ(place->address, address);
    }
    ASSERT_EQ(view.RelativeJumps().size(), jumps.size());
    for (std::size_t i = 0; i < jumps.size(); ++i) {
      SCOPED_TRACE(std::string(view.RelativeJumps()[i].mnemonic));
      EXPECT_EQ(view.RelativeJumps()[i].place.address, jumps[i]);
      EXPECT_EQ(view.RelativeJumps()[i].afterSkip, i == 2) << "only the breq after the sbrc";
    }
    ASSERT_TRUE(view.LabelPlace("m_1").has_value());
    EXPECT_EQ(view.LabelPlace("m_1")->address, 0x12u) << "the macro's line (the listing's C:000012)";
  }
  // A quote inside a string, a comma as a character: avra may read the line otherwise.
  EXPECT_FALSE(AsmView("\t.db \"a\\\"b\"\n\tret\n", files).SizesKnown());
  EXPECT_FALSE(AsmView("\t.db ',', 1\n\tret\n", files).SizesKnown());
}

// A code label stands before the data cells a statement reserves on its way (Randomize's
// cell at the top of a loop): it still names the code line after them, and the cell keeps
// its own size (the label was lost, and a jump back to it was not followed).
TEST(AsmView, ACodeLabelBeforeDataCellsNamesTheCodeAfterThem) {
  const AsmView view("\tnop\nLoop:\n\t.DSEG\ncell:\t.byte 3\n\t.CSEG\n\tinc r16\n\trjmp Loop\n", AsmFiles{});
  ASSERT_TRUE(view.LabelLine("loop").has_value());
  EXPECT_EQ(view.At(*view.LabelLine("loop")).code, "inc r16");
  EXPECT_EQ(view.CellBytes("cell"), 3);
  EXPECT_FALSE(view.LabelLine("cell").has_value());
}

TEST(AsmView, SaysWhereItCannotFollowAvra) {
  const char* const cases[] = {
      ".if UNKNOWN_NAME\n\tinc r1\n.endif\n\tret\n",  // a condition it cannot work out
      ".include \"missing.inc\"\n\tret\n",             // a file it cannot read
      ".macro M\n\tinc @0\n.endm\n\tM [r1]\n\tret\n",  // a macro's typed form
      ".if 1\n\tinc r1\n\tret\n",                       // a condition never closed
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    AsmFiles files;
    files.read = [](const std::string&) -> std::optional<std::string> { return std::nullopt; };
    EXPECT_FALSE(AsmView(text, files).Understood());
  }
}

}  // namespace
}  // namespace qbc
