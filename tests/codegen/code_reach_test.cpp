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
      "\t\t.DSEG\r\n"
      ".ORG\t0x60\r\n"
      "cell:\t\t.byte\t2\r\n"
      "\t\t.CSEG\r\n"
      ".def\ttemp = r17\r\n"
      "H:\t\tlds\t\tr24,cnt\r\n"
      "\t\tsbrc\tr24,0\r\n"
      "\t\tinc\t\tr20\r\n"                   // skipped or not: both ways
      "\t\tcpi\t\tr24,3\r\n"
      "\t\tbrne\tPC+0x02\r\n"
      "\t\tldi\t\ttemp,1\r\n"                // a .def name
      "\t\tld\t\tr0,X+\r\n"                   // and X moves
      "\t\tldi\t\tzl,low(cell+2)\r\n"
      "\t\tldi\t\tzh,high(cell+2)\r\n"
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

// The data segment of the fixtures below.
const char* const kCells =
    "\t\t.DSEG\r\n.ORG\t0x60\r\ncell:\t.byte\t2\r\n_s1tmp:\t.byte\t14\r\n_IsArg:\t.byte\t8\r\n\t\t.CSEG\r\n";

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
    const CodeMap map(std::string(kCells) + "L:\r\n" + c.lines, 2, {"_s1tmp", "_IsArg"});
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
  const CodeMap map(
      std::string(kCells) +
      "L:\t\tsts\t\t0x0c,r22\r\n\t\tsts\t\t13,r23\r\n\t\tsts\t\tcell,r24\r\n\t\tret\r\n",
      2, {});
  const auto r = map.From("L");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(Written(*r), (std::vector<int>{12, 13}));
}

// A ret or reti goes back where the code was called from only when what was pushed since
// is popped again: with bytes pushed, or the return address taken and others pushed, it
// jumps to what they say, which the text does not tell. Taking whole return addresses
// and nothing more returns to a caller further up.
TEST(CodeReach, ARetWithBytesPushedJumpsWhereTheySay) {
  struct Case {
    const char* what;
    const char* lines;  // after "L:"
    bool known;
  };
  const Case cases[] = {
      {"an address pushed",
       "\t\tldi\t\tr16,low(J)\r\n\t\tpush\tr16\r\n\t\tldi\t\tr16,high(J)\r\n\t\tpush\tr16\r\n\t\tret\r\n"
       "J:\t\tldi\t\tr22,1\r\n\t\tret\r\n",
       false},
      {"an address pushed in a routine called",
       "\t\trcall\tP\r\n\t\tret\r\nP:\t\tpush\tr16\r\n\t\tpush\tr17\r\n\t\tret\r\n", false},
      {"a reti with a byte pushed", "\t\tpush\tr16\r\n\t\treti\r\n", false},
      {"the return address taken, another pushed",
       "\t\trcall\tP\r\n\t\tret\r\nP:\t\tpop\t\tr0\r\n\t\tpop\t\tr0\r\n\t\tpush\tr16\r\n\t\tpush\tr17\r\n"
       "\t\tret\r\n",
       false},
      {"half the return address taken", "\t\trcall\tP\r\n\t\tret\r\nP:\t\tpop\t\tr0\r\n\t\tret\r\n", false},
      {"pushes popped", "\t\tpush\tr16\r\n\t\tpop\t\tr16\r\n\t\tret\r\n", true},
      {"pushes popped by a counted loop",
       "\t\tpush\tr16\r\n\t\tpush\tr17\r\n\t\tpush\tr18\r\n\t\tldi\t\tr24,3\r\nP:\t\tpop\t\tr0\r\n\t\tdec\t\tr24\r\n"
       "\t\tbrne\tP\r\n\t\tret\r\n",
       true},
      {"back to the caller's caller",
       "\t\trcall\tP\r\n\t\tret\r\nP:\t\trcall\tQ\r\n\t\tret\r\nQ:\t\tpop\t\tr0\r\n\t\tpop\t\tr0\r\n\t\tret\r\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CodeMap map(std::string("L:\r\n") + c.lines, 2, {});
    const auto r = map.From("L");
    const auto depth = map.DepthFrom("L");
    ASSERT_TRUE(r.has_value() && depth.has_value());
    EXPECT_EQ(r->unknown, !c.known);
    EXPECT_EQ(depth->known, c.known);
  }
}

// A store through X, Y or Z to an address the walk knows is read as sts is (SREG turns
// interrupts on, a register's data address writes the register, RAMPZ's is a flash
// read); to an address not known to lie above the I/O registers it may write SREG,
// RAMPZ and every register. A cell's address, one worked out from it, and Y stay above.
TEST(CodeReach, StoresThroughAPointer) {
  struct Case {
    const char* what;
    const char* lines;  // after "L:"
    std::vector<int> written;  // empty: every register
    bool enables, readsFlash;
  };
  const Case cases[] = {
      {"SREG by a constant through pushes (Poke)",
       "\t\tldi\t\tzl,byte1(95)\r\n\t\tldi\t\tzh,byte2(95)\r\n\t\tpush\tzl\r\n\t\tpush\tzh\r\n"
       "\t\tldi\t\tzl,byte1(128)\r\n\t\tpop\t\txh\r\n\t\tpop\t\txl\r\n\t\tst\t\tX+,zl\r\n\t\tret\r\n",
       {26, 27, 30, 31}, true, false},
      {"SREG with bit 7 clear", "\t\tldi\t\txl,0x5f\r\n\t\tclr\t\txh\r\n\t\tldi\t\tr24,2\r\n\t\tst\t\tX,r24\r\n\t\tret\r\n",
       {24, 26, 27}, false, false},
      {"SREG by a displacement", "\t\tldi\t\tzl,0x50\r\n\t\tclr\t\tzh\r\n\t\tser\t\tr24\r\n\t\tstd\t\tZ+15,r24\r\n\t\tret\r\n",
       {24, 30, 31}, true, false},
      {"SREG below a cell", "\t\tldi\t\txl,0x60\r\n\t\tclr\t\txh\r\n\t\tser\t\tr24\r\n\t\tst\t\t-X,r24\r\n\t\tret\r\n",
       {24, 26, 27}, true, false},
      {"a register", "\t\tldi\t\txl,0x16\r\n\t\tldi\t\txh,0\r\n\t\tst\t\tX,r0\r\n\t\tret\r\n", {22, 26, 27}, false,
       false},
      {"RAMPZ", "\t\tldi\t\tyl,0x5b\r\n\t\tclr\t\tyh\r\n\t\tst\t\tY,r0\r\n\t\tret\r\n", {28, 29}, false, true},
      {"a cell", "\t\tldi\t\txl,low(cell)\r\n\t\tldi\t\txh,high(cell)\r\n\t\tser\t\tr24\r\n\t\tst\t\tX+,r24\r\n\t\tret\r\n",
       {24, 26, 27}, false, false},
      {"an element",
       "\t\tldi\t\tzl,byte1(cell)\r\n\t\tldi\t\tzh,byte2(cell)\r\n\t\tadd\t\tzl,r20\r\n\t\tadc\t\tzh,r21\r\n"
       "\t\tst\t\tZ,r24\r\n\t\tret\r\n",
       {30, 31}, false, false},
      {"the software stack", "\t\tser\t\tr24\r\n\t\tstd\t\tY+3,r24\r\n\t\tst\t\t-Y,r24\r\n\t\tret\r\n", {24, 28, 29},
       false, false},
      {"an address read", "\t\tlds\t\txl,cell\r\n\t\tlds\t\txh,cell+1\r\n\t\tst\t\tX,r24\r\n\t\tret\r\n", {}, true, true},
      {"an address read, a value with bit 7 clear",
       "\t\tlds\t\tzl,cell\r\n\t\tclr\t\tzh\r\n\t\tclr\t\tr24\r\n\t\tst\t\tZ,r24\r\n\t\tret\r\n", {}, false, true},
      {"the interrupted code's X", "\t\tst\t\tX,r24\r\n\t\tret\r\n", {}, true, true},
      {"a data address not known", "\t\tsts\t\tnowhere,r24\r\n\t\tret\r\n", {}, true, true},
      // an address a routine is given counts where it is called; what it returns too
      {"a cell given to a routine",
       "\t\tldi\t\tr24,low(cell)\r\n\t\tldi\t\tr25,high(cell)\r\n\t\trcall\tS1\r\n\t\tret\r\n"
       "S1:\t\trcall\tS2\r\n\t\tret\r\nS2:\t\tmovw\txl,r24\r\n\t\tst\t\tX+,r0\r\n\t\tret\r\n",
       {24, 25, 26, 27}, false, false},
      {"an address read given to a routine",
       "\t\tlds\t\tr24,cell\r\n\t\tclr\t\tr25\r\n\t\trcall\tS2\r\n\t\tret\r\n"
       "S2:\t\tmovw\txl,r24\r\n\t\tst\t\tX+,r0\r\n\t\tret\r\n",
       {}, true, true},
      {"a pointer a routine moves",
       "\t\tldi\t\txl,low(cell)\r\n\t\tldi\t\txh,high(cell)\r\n\t\trcall\tA\r\n\t\tst\t\tX,r0\r\n\t\tret\r\n"
       "A:\t\tpush\txl\r\n\t\tadiw\txl,2\r\n\t\tpop\t\tr0\r\n\t\tret\r\n",
       {0, 26, 27}, false, false},
      {"a pointer a routine loads",
       "\t\trcall\tA\r\n\t\tst\t\tX,r24\r\n\t\tret\r\nA:\t\tldi\t\txl,0x5f\r\n\t\tclr\t\txh\r\n\t\tret\r\n",
       {26, 27}, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string text = std::string(".equ\tSREG = 0x3f\r\n.equ\tRAMPZ = 0x3b\r\n") + kCells + "L:\r\n" + c.lines;
    const CodeMap map(text, 2, {});
    // as a handler, and as a routine a handler calls
    const auto handler = map.From("L", text.rfind("\tret"));
    const auto routine = map.From("L");
    ASSERT_TRUE(handler.has_value() && routine.has_value());
    for (const CodeReach& r : {*handler, *routine}) {
      EXPECT_EQ(Written(r).size() == 32 ? std::vector<int>{} : Written(r), c.written);
      EXPECT_EQ(r.enablesInterrupts, c.enables);
      EXPECT_EQ(r.readsFlash, c.readsFlash);
      EXPECT_FALSE(r.unknown);
    }
  }
}

// A branch on a compare of values the walk knows goes one way only: a routine given a null
// address that it tests before storing through it stores nothing; a loop whose counter
// starts at a constant still ends.
TEST(CodeReach, ABranchOnKnownValuesGoesOneWay) {
  const std::string nullAddress =
      ".equ\tSREG = 0x3f\r\nL:\t\tclr\t\tr20\r\n\t\tclr\t\tr21\r\n\t\trcall\tS\r\n\t\tret\r\n"
      "S:\t\tmovw\tzl,r20\r\n\t\tmov\t\tr0,zl\r\n\t\tor\t\tr0,zh\r\n\t\tbreq\tS1\r\n\t\tst\t\tZ+,r18\r\n"
      "S1:\tret\r\n";
  const auto stores = CodeMap(nullAddress, 2, {}).From("L");
  ASSERT_TRUE(stores.has_value());
  EXPECT_EQ(Written(*stores), (std::vector<int>{0, 20, 21, 30, 31}));
  EXPECT_FALSE(stores->enablesInterrupts);
  const std::string loop =
      "L:\t\tldi\t\tr24,0\r\n\t\tldi\t\tr25,0\r\nB:\t\tadiw\tr24,1\r\n\t\tcpi\t\tr25,3\r\n\t\tbrne\tB\r\n"
      "\t\tldi\t\tr20,1\r\n\t\tret\r\n";
  const auto counts = CodeMap(loop, 2, {}).From("L");
  ASSERT_TRUE(counts.has_value());
  EXPECT_EQ(Written(*counts), (std::vector<int>{20, 24, 25}));
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

// The depth walk takes lines that only push, pop or go on together: a jump to the program
// counter still comes in at its line, read ahead (forward), or after the whole text is
// read (backward), and one into the middle of a two-word line finds no line there; the
// reading that keeps every line gives the same figures.
TEST(CodeReach, AJumpToTheProgramCounterComesInAtItsLine) {
  struct Case {
    const char* what;
    const char* lines;  // after "L:\tpush r16"
    bool known;
    int bytes;
  };
  const Case cases[] = {
      {"forward, past a pair", "\t\tbreq\tPC+3\r\n\t\tpush\tr17\r\n\t\tpop\t\tr17\r\n\t\tnop\r\n"
                               "\t\tpop\t\tr16\r\n\t\tret\r\n", true, 2},
      // (taken, it passes over the pop: its ret finds r16 above the return address)
      {"forward, past a pop", "\t\tbreq\tPC+2\r\n\t\tpop\t\tr16\r\n\t\tpush\tr16\r\n\t\tpush\tr17\r\n"
                              "\t\tpop\t\tr17\r\n\t\tpop\t\tr16\r\n\t\tret\r\n", false, 0},
      {"backward, into a loop", "\t\tldi\t\tr18,3\r\n\t\tpush\tr17\r\n\t\tpop\t\tr17\r\n\t\tdec\t\tr18\r\n"
                                "\t\tbrne\tPC-3\r\n\t\tpop\t\tr16\r\n\t\tret\r\n", true, 2},
      {"into a two-word line", "\t\tbreq\tPC+2\r\n\t\tlds\t\tr17,0x100\r\n\t\tpop\t\tr16\r\n\t\tret\r\n", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string text = std::string("L:\tpush\tr16\r\n") + c.lines;
    for (const AsmView::Keep keep : {AsmView::Keep::kAll, AsmView::Keep::kStack}) {
      const auto d = CodeMap(text, 2, {}, {}, keep).DepthFrom("L");
      ASSERT_TRUE(d.has_value());
      EXPECT_EQ(d->known, c.known);
      if (c.known) {
        EXPECT_EQ(d->bytes, c.bytes);
      }
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
