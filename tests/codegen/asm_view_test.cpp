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
    out.push_back({static_cast<unsigned>(std::stoul(op, nullptr, 16)), WithoutLabel(line.substr(13))});
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
