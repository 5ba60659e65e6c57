// What the code from a label does, read from the text: the handlers' save sets, stack
// switch, RAMPZ and cell keeping, and the memory check, rest on it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/codegen/handlers/code_reach.h"

namespace qbc {
namespace {

std::vector<int> Written(const CodeReach& r) {
  std::vector<int> out;
  for (int i = 0; i < 32; ++i)
    if (r.written.test(static_cast<std::size_t>(i))) out.push_back(i);
  return out;
}

TEST(CodeReach, RegistersChangedAlongEveryPath) {
  const std::string text =
      ".include \"x.inc\"\r\n"
      "\t\t.CSEG\r\n"
      ".def\ttemp = r17\r\n"
      "H:\t\tlds\t\tr24,cnt\r\n"
      "\t\tsbrc\tr24,0\r\n"
      "\t\tinc\t\tr20\r\n"                   // skipped or not: both ways
      "\t\tcpi\t\tr24,3\r\n"
      "\t\tbrne\tPC+0x02\r\n"
      "\t\tldi\t\ttemp,1\r\n"                // a .def name
      "\t\tld\t\tr0,X+\r\n"                   // and X moves
      "\t\tst\t\t-Z,r0\r\n"                   // Z moves, r0 is read
      "\t\tcp\t\tr1,r2\r\n"                   // reads only
      "\t\trcall\tSub1\r\n"
      "\t\treti\r\n"
      "\t\tldi\t\tr31,0\r\n"                  // after reti: not reached
      "Sub1:\tmul\t\tr16,r16\r\n"             // r0 and r1
      "\t\tmovw\tr22,r24\r\n"
      ";Sub1 ends here\r\n"
      "\t\tret\r\n";
  AsmFiles files;
  files.read = [](const std::string& path) -> std::optional<std::string> {
    if (path == "x.inc") return std::string(".equ\tX = 1\r\n");
    return std::nullopt;
  };
  const CodeMap map(text, 2, {}, files);
  const auto r = map.From("h", text.find("\t\treti"));  // labels compare without regard to case
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(Written(*r), (std::vector<int>{0, 1, 17, 20, 22, 23, 24, 26, 27, 30, 31}));
  EXPECT_FALSE(r->usesY);
  EXPECT_FALSE(r->unknown);
  EXPECT_FALSE(r->enablesInterrupts);
  EXPECT_FALSE(map.From("nowhere").has_value());
}

// The forms a jump beyond a relative jump's reach is written in: a branch over a jmp
// (an offset from the program counter past its two words), a call.
TEST(CodeReach, FollowsTheLongForms) {
  const std::string text =
      "H:\t\tcpi\t\tr24,3\r\n"
      "\t\tbrne\tPC+0x03\r\n"
      "\t\tjmp\tFar\r\n"
      "\t\tldi\t\tr20,1\r\n"
      "\t\tcall\tSub1\r\n"
      "\t\tret\r\n"
      "Far:\tldi\t\tr21,1\r\n"
      "\t\tret\r\n"
      "Sub1:\tldi\t\tr22,1\r\n"
      "\t\tret\r\n";
  const auto r = CodeMap(text, 2, {}).From("H");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(Written(*r), (std::vector<int>{20, 21, 22}));
  EXPECT_FALSE(r->unknown);
  EXPECT_EQ(CodeMap(text, 2, {}).DepthFrom("H")->bytes, 2);
}

// An offset from the program counter is worked out as the assembler works it out: with
// blanks, "010" as ten, "$" hexadecimal, a name's value and an expression.
TEST(CodeReach, OffsetsFromTheProgramCounterAsTheAssemblerReadsThem) {
  for (const char* operand : {"PC+10", "PC+010", "pc + 0x0a", "PC+$0A", "PC+Ten", "PC+5*2", "2*5+PC", "PC+Ten-1+1"}) {
    SCOPED_TRACE(operand);
    // ten words on lies the one line that writes a register; the lines before return
    std::string text = ".equ\tTen = 10\r\nL:\t\trjmp\t" + std::string(operand) + "\r\n";
    for (int i = 1; i < 10; ++i) text += "\t\tret\r\n";
    text += "\t\tldi\t\tr19,1\r\n\t\tret\r\n";
    const auto r = CodeMap(text, 2, {}).From("L");
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(Written(*r), (std::vector<int>{19}));
    EXPECT_FALSE(r->unknown);
  }
}

TEST(CodeReach, WhatTheCodeTouches) {
  struct Case {
    const char* what;
    const char* lines;  // after "L:"
    bool usesY, readsFlash, enables, unknown;
    std::vector<std::string> cells;
  };
  const Case cases[] = {
      {"a frame", "\t\tldd\t\tr24,y+2\r\n\t\tret\r\n", true, false, false, false, {}},
      {"a push on Y", "\t\tst\t\t-Y,zl\r\n\t\tret\r\n", true, false, false, false, {}},
      {"yl by name", "\t\tsbiw\tyl,4\r\n\t\tret\r\n", true, false, false, false, {}},
      {"a flash read", "\t\tout\t\tRAMPZ,r24\r\n\t\telpm\tr0,Z+\r\n\t\tret\r\n", false, true, false, false, {}},
      {"sei", "\t\tsei\r\n\t\tret\r\n", false, false, true, false, {}},
      {"SREG from a constant", "\t\tldi\t\tr16,0x80\r\n\t\tout\t\tSREG,r16\r\n\t\tret\r\n", false, false, true, false, {}},
      {"SREG given back", "\t\tin\t\tr25,SREG\r\n\t\tcli\r\n\t\tout\t\tSREG,r25\r\n\t\tret\r\n", false, false, false,
       false, {}},
      // a write of SREG turns interrupts on unless what is written is a copy of it (kept in
      // a register or on the stack) or has bit 7 clear; SREG named or by its address
      {"SREG copy with bit 7 set", "\t\tin\t\tr24,SREG\r\n\t\tsbr\t\tr24,0x80\r\n\t\tout\t\tSREG,r24\r\n\t\tret\r\n", false,
       false, true, false, {}},
      {"SREG copy with bit 7 cleared", "\t\tin\t\tzl,SREG\r\n\t\tcbr\t\tzl,0x80\r\n\t\tout\t\tSREG,zl\r\n\t\tret\r\n", false,
       false, false, false, {}},
      {"SREG copy by address, moved", ".equ\tSREG = 0x3f\r\n\t\tin\t\tr23,0x3f\r\n\t\tmov\t\tr0,r23\r\n\t\tout\t\t0x3f,r0\r\n\t\tret\r\n",
       false, false, false, false, {}},
      {"SREG by address from a constant", ".equ\tSREG = 0x3f\r\n\t\tldi\t\tr16,0x80\r\n\t\tout\t\t0x3f,r16\r\n\t\tret\r\n",
       false, false, true, false, {}},
      {"SREG by data address", ".equ\tSREG = 0x3f\r\n\t\tser\t\tr16\r\n\t\tsts\t\t0x5f,r16\r\n\t\tret\r\n", false, false, true,
       false, {}},
      {"SREG copy kept on the stack",
       "\t\tin\t\tr22,SREG\r\n\t\tpush\tr22\r\n\t\tldi\t\tr22,0xff\r\n\t\tpop\t\tr22\r\n\t\tout\t\tSREG,r22\r\n\t\tret\r\n",
       false, false, false, false, {}},
      {"SREG copy on one way only",
       "\t\tin\t\tr22,SREG\r\n\t\tsbrc\tr20,0\r\n\t\tlds\t\tr22,cell\r\n\t\tout\t\tSREG,r22\r\n\t\tret\r\n", false, false,
       true, false, {}},
      {"bset 7 by a name", ".equ\tSREG_I = 7\r\n\t\tbset\tSREG_I\r\n\t\tret\r\n", false, false, true, false, {}},
      {"a reti", "\t\trcall\tOn\r\n\t\tret\r\nOn:\t\treti\r\n", false, false, true, false, {}},
      {"an indirect jump", "\t\tijmp\r\n", false, false, false, true, {}},
      {"a cell named", "\t\tldi\t\tzl,byte1(_s1tmp+14)\r\n\t\tsts\t\t_IsArg,zl\r\n\t\tret\r\n", false, false, false,
       false, {"_isarg", "_s1tmp"}},
      {"a jump to nowhere", "\t\trjmp\tnowhere\r\n", false, false, false, true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CodeMap map(std::string("L:\r\n") + c.lines, 2, {"_s1tmp", "_IsArg"});
    const auto r = map.From("L");
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->usesY, c.usesY);
    EXPECT_EQ(r->readsFlash, c.readsFlash);
    EXPECT_EQ(r->enablesInterrupts, c.enables);
    EXPECT_EQ(r->unknown, c.unknown);
    EXPECT_EQ(std::vector<std::string>(r->cells.begin(), r->cells.end()), c.cells);
  }
}

// A register written through its data address (0 to 31) is a register written.
TEST(CodeReach, RegistersWrittenThroughTheirDataAddresses) {
  const CodeMap map("L:\t\tsts\t\t0x0c,r22\r\n\t\tsts\t\t13,r23\r\n\t\tsts\t\tcell,r24\r\n\t\tret\r\n", 2, {});
  const auto r = map.From("L");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(Written(*r), (std::vector<int>{12, 13}));
}

TEST(CodeReach, DeepestHardwareStack) {
  const std::string text =
      "Main:\tpush\tr5\r\n"
      "\t\tpush\tr6\r\n"
      "Loop:\tpush\tr24\r\n"  // pushed and popped in the loop: no deeper on each turn
      "\t\tpop\t\tr24\r\n"
      "\t\tbrne\tLoop\r\n"
      "\t\tcall\tA\r\n"      // 2 pushed + 3 (return address) + A's 4
      "\t\tpop\t\tr6\r\n"
      "\t\tpop\t\tr5\r\n"
      "Self:\trjmp\tSelf\r\n"
      "A:\t\tpush\tr16\r\n"
      "\t\trcall\tB\r\n"     // 1 + 3 + B's 0
      "\t\tpop\t\tr16\r\n"
      "\t\tret\r\n"
      "B:\t\tbreq\tB1\r\n"
      "\t\tpop\t\tr0\r\n"    // takes its caller's return address: returns further up
      "\t\tpop\t\tr0\r\n"
      "B1:\tret\r\n"
      "R:\t\trcall\tR\r\n"   // calls itself: no bound
      "\t\tret\r\n";
  const CodeMap map(text, 3, {});
  const auto main = map.DepthFrom("Main");
  ASSERT_TRUE(main.has_value());
  EXPECT_TRUE(main->known);
  EXPECT_EQ(main->bytes, 2 + 3 + 1 + 3);
  const auto r = map.DepthFrom("R");
  ASSERT_TRUE(r.has_value());
  EXPECT_FALSE(r->known);
}

// A depth is known whole or not at all: a way the walk cannot follow (a jump whose target
// the text does not give, code running into data or past its end) leaves it unknown, as
// an indirect jump does; a depth walked whole is known.
TEST(CodeReach, ADepthWithAWayNotFollowedIsUnknown) {
  struct Case {
    const char* what;
    const char* lines;  // after "L:\tpush r16"
    bool known;
  };
  const Case cases[] = {
      {"walked whole", "\t\tbrne\tL1\r\nL1:\tpop\t\tr16\r\n\t\tret\r\n", true},
      {"a jump to a label and one", "\t\trjmp\tL1+1\r\nL1:\tpop\t\tr16\r\n\t\tret\r\n", false},
      {"a branch to nowhere", "\t\tbrne\tnowhere\r\n\t\tpop\t\tr16\r\n\t\tret\r\n", false},
      {"into data", "\t\tpop\t\tr16\r\n\t.db\t1, 2\r\n", false},
      {"past the end", "\t\tpop\t\tr16\r\n", false},
      {"an indirect jump", "\t\tijmp\r\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto d = CodeMap(std::string("L:\tpush\tr16\r\n") + c.lines, 2, {}).DepthFrom("L");
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->known, c.known);
    if (c.known) {
      EXPECT_EQ(d->bytes, 1);
    }
  }
}

TEST(CodeReach, DataSegmentCellsAndEnd) {
  const std::string text =
      "\t\t.DSEG\r\n"
      ".ORG\t0x60\r\n"
      "a:\t\t\t.byte\t 2\r\n"
      "_s1tmp:\t\t.byte\t14\r\n"
      ".ORG\t 300\r\n"  // a variable placed at an address of its own
      "p:\t\t\t.byte\t 4\r\n"
      "\t\t.CSEG\r\n"
      "\t\tret\r\n"
      "\t\t.DSEG\r\n"
      "b:\t\t\t.byte\t1\r\n";  // the data go on where they stopped
  const CodeMap map(text, 2, {});
  EXPECT_EQ(map.CellBytes("_S1TMP"), 14);
  EXPECT_EQ(map.CellBytes("p"), 4);
  EXPECT_FALSE(map.CellBytes("c").has_value());
  EXPECT_EQ(map.DataEnd(), 305);
}

}  // namespace
}  // namespace qbc
