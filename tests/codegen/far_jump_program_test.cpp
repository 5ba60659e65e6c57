// Blocks longer than a relative jump reaches (rjmp and rcall: 2K words either way, a
// branch: 64) on the simulator. Each long body is 200 statements of 12 words: about
// 2,400 words. On the ATmega128 the jumps over it or back to its top are written in the
// long forms (jmp, a branch over a jmp) and the offsets from the program counter beside
// them grow; on the ATmega8, whose program counter runs round its 4K words of flash, an
// rjmp reaches every word as it stands. A jump no form reaches is refused at its line.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/test_dirs.h"

namespace qbc::test {
namespace {

// The long body, in place of every "{BODY}".
std::string WithLongBodies(std::string code) {
  std::string body;
  for (int i = 0; i < 200; ++i) body += "  W = W + 1\n";
  for (std::size_t at = code.find("{BODY}"); at != std::string::npos; at = code.find("{BODY}", at + body.size()))
    code.replace(at, 6, body);
  return code;
}

std::string Program(const std::string& device, const std::string& main, const std::string& after = "") {
  return WithLongBodies("$device = " + device +
                        "\n$clock = 8\n$stack = 32\nDeclare Sub Work()\n"
                        "Dim B As Byte, N As Byte, K As Byte, W As Word\nW = 0\nN = 0\n" +
                        main + "End\n" + after);
}

struct Block {
  const char* what;
  const char* main;
  const char* after;  // the procedures, after the main program's End
  int w;              // W and N at the end
  int n;
};

// One long body each (a program fits the ATmega8's flash). "If" and "Select" pass each
// way: into the body, and over it.
const Block kBlocks[] = {
    {"If", "For K = 3 To 4\n  If K = 3 Then\n{BODY}\n    N = N + 1\n  End If\nNext\n", "", 200, 1},
    {"ElseIf and Else",
     "For K = 1 To 3\n  If K = 1 Then\n    N = N + 1\n  ElseIf K = 2 Then\n{BODY}\n  Else\n    N = N + 10\n  End If\nNext\n",
     "", 200, 11},
    {"Select Case",
     "For K = 1 To 3\n  Select Case K\n  Case 1\n    N = N + 1\n  Case 2\n{BODY}\n  Case Else\n    N = N + 10\n"
     "  End Select\nNext\n",
     "", 200, 11},
    {"Do Loop While", "Do\n{BODY}\n  N = N + 1\nLoop While N < 3\n", "", 600, 3},
    {"While Wend", "While N < 2\n{BODY}\n  N = N + 1\nWend\n", "", 400, 2},
    {"For Next", "For K = 1 To 3\n{BODY}\n  N = N + 1\nNext\n", "", 600, 3},
    {"Exit Do", "Do\n  N = N + 1\n  If N = 2 Then Exit Do\n{BODY}\nLoop\n", "", 200, 2},
    {"Exit While", "While N < 5\n  N = N + 1\n  If N = 3 Then Exit While\n{BODY}\nWend\n", "", 400, 3},
    {"Exit For", "For K = 1 To 5\n  N = N + 1\n  If K = 3 Then Exit For\n{BODY}\nNext\n", "", 400, 3},
    {"Goto", "Goto Later\n{BODY}\nLater:\nN = 4\n", "", 0, 4},
    {"Sub call and Exit Sub", "Work()\nWork()\n",
     "Sub Work()\n  N = N + 1\n  If N = 1 Then Exit Sub\n{BODY}\nEnd Sub\n", 200, 2},
};

TEST(FarJumps, BlocksLongerThanARelativeJumpRunOnEveryChip) {
  const struct {
    const char* device;
    const char* mcu;
  } chips[] = {{"m128", "atmega128"}, {"m8", "atmega8"}};
  for (const auto& chip : chips) {
    for (const Block& b : kBlocks) {
      SCOPED_TRACE(std::string(chip.device) + ": " + b.what);
      auto run = RunBasic(Program(chip.device, b.main, b.after), chip.mcu);
      ASSERT_TRUE(run->ok) << run->Diagnostics().substr(0, 1500);
      EXPECT_EQ(run->Word("w"), b.w);
      EXPECT_EQ(run->Byte("n"), b.n);
    }
  }
}

// A handler's own long block: the handler's reading of its code (what it saves) is made
// before the jumps are lengthened, and its entry and exit are put in around the body.
TEST(FarJumps, AHandlerWithALongBlockRunsBesideTheMainProgram) {
  const std::string source =
      "$device = m128\n$clock = 8\n$stack = 32\nDeclare Interrupt Ovf0()\n"
      "Dim Ticks As Byte, W As Word, Bad As Byte, J As Word\nTicks = 0\nW = 0\nBad = 0\nJ = 0\n"
      "$asm\n  ldi r16,0x04\n  out TCCR0,r16\n  ldi r16,0x01\n  out TIMSK,r16\n  sei\n$end asm\n"
      "While Ticks < 3\n  J = J + 3\n  If J Mod 3 <> 0 Then Bad = Bad + 1\nWend\n"
      "$asm\n  cli\n$end asm\nEnd\n"
      "Interrupt Ovf0()\n  Ticks = Ticks + 1\n  If Ticks = 2 Then\n{BODY}\n  End If\nEnd Interrupt\n";
  auto run = RunBasic(WithLongBodies(source), "atmega128");
  ASSERT_TRUE(run->ok) << run->Diagnostics().substr(0, 1500);
  EXPECT_EQ(run->Word("w"), 200);
  EXPECT_GE(run->Byte("ticks"), 3);
  EXPECT_EQ(run->Byte("bad"), 0);
}

// A branch to a label beyond its 64 words (the generators write none, a program's own
// assembler may): the opposite branch over the chip's jump, taken and not taken.
TEST(FarJumps, ABranchBeyondItsReachRunsEachWay) {
  for (const char* device : {"m128", "m8"}) {
    for (const int b : {0, 1}) {
      SCOPED_TRACE(std::string(device) + (b == 0 ? ": taken" : ": not taken"));
      const std::string main = "B = " + std::to_string(b) +
                               "\n$asm\n  lds r16,b\n  tst r16\n  breq Far1\n$end asm\n{BODY}\nN = 1\nEnd\n"
                               "$asm\nFar1:\n$end asm\nN = 2\n";
      auto run = RunBasic(Program(device, main), std::string(device) == "m8" ? "atmega8" : "atmega128");
      ASSERT_TRUE(run->ok) << run->Diagnostics().substr(0, 1500);
      EXPECT_EQ(run->Word("w"), b == 0 ? 0 : 200);
      EXPECT_EQ(run->Byte("n"), b == 0 ? 2 : 1);
    }
  }
}

// An offset from the program counter over a lengthened jump grows with it in every form
// the assembler reads: "$" hexadecimal, blanks, a name, "010" (ten, not eight). The branch
// is taken and lands on the last of the "inc" lines: one count.
TEST(FarJumps, AnOffsetOverALengthenedJumpGrowsInEveryFormTheAssemblerReads) {
  const struct {
    const char* operand;
    int words;  // the offset it names
  } cases[] = {{"PC+3", 3}, {"PC+$03", 3}, {"PC + 3", 3}, {"PC+Three", 3}, {"PC+010", 10}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.operand);
    std::string incs;
    for (int i = 2; i <= c.words; ++i) incs += "  inc r18\n";
    const std::string main = "B = 0\n$asm\n.equ Three = 3\n  clr r18\n  lds r16,b\n  tst r16\n  breq " +
                             std::string(c.operand) + "\n  rjmp Far1\n" + incs + "  sts n,r18\n$end asm\n{BODY}\nEnd\n"
                             "$asm\nFar1:\n$end asm\nN = 99\nEnd\n";
    auto run = RunBasic(Program("m128", main), "atmega128");
    ASSERT_TRUE(run->ok) << run->Diagnostics().substr(0, 1500);
    EXPECT_EQ(run->Byte("n"), 1);
    EXPECT_EQ(run->Word("w"), 200);
  }
}

// What no form can reach is a compile error at the line that wrote it (the assembler
// refused these with its own line of the .asm).
TEST(FarJumps, AJumpNoFormReachesIsRefusedAtItsLine) {
  const std::string dir = MakeTempDir("far-include");
  WriteFile(dir + "/part.bas", "N = 1\n$asm\n  sbrc r16,0\n  breq Far1\n$end asm\n");
  const struct {
    const char* what;
    std::string main;
    std::string file;  // the file the error names, and its line
    int line;
  } cases[] = {
      // a skip passes over one instruction: it cannot stand before two
      {"a branch after a skip", "$asm\n  sbrc r16,0\n  breq Far1\n$end asm\n{BODY}\n$asm\nFar1:\n$end asm\n", "prog.bas",
       10},
      {"the same in an included file", "$include \"" + dir + "/part.bas\"\n{BODY}\n$asm\nFar1:\n$end asm\n",
       dir + "/part.bas", 4},
      // 63 words: the most a branch reaches; the lengthened rjmp makes it 64
      {"an offset that a lengthened jump puts out of reach", "$asm\n  brne PC+0x40\n  rjmp Far1\n$end asm\n{BODY}\n"
                                                               "$asm\nFar1:\n$end asm\n",
       "prog.bas", 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const CompiledBasic compiled = CompileBasic(Program("m128", c.main));
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
    const std::string file = c.file == "prog.bas" ? compiled.dir + "/prog.bas" : c.file;
    const std::regex first(R"( 1\. Jump out of reach \(\d+ words\)! \(")" + std::regex_replace(file, std::regex(R"([.+])"), R"(\$&)") +
                           "\" --> Line  " + std::to_string(c.line) + "\\)\r\n.*");
    EXPECT_TRUE(std::regex_match(compiled.report, first)) << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
