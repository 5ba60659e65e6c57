// Whether the code written so far can run on into what is written next (a procedure body,
// a table's values): read from the assembler lines at the end of the output.
#include "compiler/codegen/body_pass_over.h"

#include <gtest/gtest.h>

#include <string>

namespace qbc {
namespace {

TEST(BodyPassOver, CodeRunsOnUnlessItsLastLineEndsTheFlow) {
  struct Case {
    const char* lines;
    bool runsOn;
  };
  const Case cases[] = {
      // End, Goto, a procedure's or handler's end: nothing runs on
      {"L0001:\r\n\t\trjmp\tL0001\r\n\r\n;-Line--0012----Sub S()--\r\n", false},
      {"\t\tjmp\tL0004\r\n", false},
      {"L0003:\r\n\t\tret\r\n\r\n", false},
      {"\t\tout\t\tSREG,r2\r\n\t\treti\r\n", false},
      {"\t\tijmp\r\n", false},
      {"\trjmp here  ; a program's own line\r\n", false},
      {"", false},
      // a line that goes on, or a call, which returns
      {"\t\tsts\t\tn,zl\r\n", true},
      {"\t\trcall\tS\r\n", true},
      // a label after the jump: something jumps to what comes next
      {"\t\trjmp\tL0001\r\nL0002:\r\n", true},
      // a skip or a relative branch may pass over the jump
      {"\t\tsbrc\tr24,0\r\n\t\trjmp\tL0000\r\n", true},
      {"\t\tbrlo\tPC+0x02\r\n\t\trjmp\tL0000\r\n", true},
      {"\t\tbreq\tPC+0x03\r\n\t\tbrlo\tPC+0x02\r\n\t\trjmp\tL0000\r\n", true},
      {"\t\tbrlo\tPC+0x03\r\n\t\tjmp\tL0000\r\n", true},
      {"\t\trjmp\tPC+1\r\n", true},
      // the offset as the assembler reads it: blanks, "010" is ten, "$" hexadecimal, a name
      {"\t\tbrne\tPC + 2\r\n\t\trjmp\tL0000\r\n", true},
      {"\t\tbrne\tPC+010\r\n\t\tnop\r\n\t\tnop\r\n\t\tnop\r\n\t\tnop\r\n\t\tnop\r\n\t\tnop\r\n\t\tnop\r\n"
       "\t\trjmp\tL0000\r\n",
       true},
      {"\t\tbrne\tPC+$02\r\n\t\trjmp\tL0000\r\n", true},
      {"\t\tbrne\tPC+Two\r\n\t\trjmp\tL0000\r\n", true},
      {"\t\tbrne\tPC-3\r\n\t\trjmp\tL0000\r\n", false},
      // a branch that lands before the jump, or a skip further back, does not
      {"\t\tbrcs\tPC+0x02\r\n\t\tinc\t\tzl\r\n\t\tsts\t\tn,zl\r\n\t\trjmp\tL0000\r\n", false},
      {"\t\tsbrc\tr24,0\r\n\t\tinc\t\tzl\r\n\t\tret\r\n", false},
      // a table's values after the code are looked through, with their label
      {"L0002:\r\n\t\trjmp\tL0002\r\n\r\ntb:\r\n\t\t.db\t0x01,0x02\r\n", false},
      {"\t\tldi\t\tzl,1\r\ntb:\r\n\t\t.db\t0x01,0x02\r\n", true},
      // a directive ends the look back: the start-up code runs on into the program
      {".ORG\t0x0000\r\n_Reset:\r\n\t\tsbiw\tyl,32\r\n", true},
      {".ORG\t0x0000\r\n\t\trjmp\tL0000\r\n", false},
  };
  for (const Case& c : cases) EXPECT_EQ(CodeRunsOn(c.lines), c.runsOn) << c.lines;
}

// A branch as far back as a branch reaches (63 words past the word after it) that lands
// past the jump; a line further back reaches nothing past it.
TEST(BodyPassOver, ABranchFromAsFarBackAsABranchReaches) {
  std::string nops;
  for (int i = 0; i < 62; ++i) nops += "\t\tnop\r\n";
  EXPECT_TRUE(CodeRunsOn("\t\tbrne\tPC+64\r\n" + nops + "\t\trjmp\tL0000\r\n"));
  EXPECT_FALSE(CodeRunsOn("\t\tbrne\tPC+63\r\n" + nops + "\t\trjmp\tL0000\r\n"));
}

}  // namespace
}  // namespace qbc
