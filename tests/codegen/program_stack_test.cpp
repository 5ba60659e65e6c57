// Every program's $stack bytes, with or without interrupt handlers: the main program's
// deepest calls and pushes (the library's routines with theirs), the handlers' on top and
// the copies of the string arguments of main's calls, which begin at RAMEND - $stack and
// grow towards the pushes. A program whose known need exceeds $stack is refused; one given
// the bytes the refusal names runs right, and the deepest the stack went on the chip is
// within them. The line buffer of a number's Input is a cell of its own.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/soft_uart_peer.h"

namespace qbc::test {
namespace {

std::string Head(int stack) {
  return "$device = m88\n$clock = 8\n$baud = 9600\n$stack = " + std::to_string(stack) + "\n";
}

// The bytes "$stack too small: calls and interrupts need N bytes!" names; 0 when the
// program is not refused so.
int NeededBytes(const CompiledBasic& c) {
  std::smatch m;
  static const std::regex need(R"(\$stack too small: calls and interrupts need (\d+) bytes!)");
  return std::regex_search(c.report, m, need) ? std::stoi(m[1].str()) : 0;
}

struct Case {
  std::string what;
  int stack;          // a $stack that compiled "OK" and ran wrong
  std::string body;
  const char* output;  // what the program prints with enough $stack
  int argCopies;       // bytes of string argument copies at its deepest
};

// Each program compiled "OK" at its small $stack and printed something else (return
// addresses on a Sub's parameter or Locals, the float functions' pushes on a Sub's Locals,
// the copy of a string argument under the pushes).
TEST(ProgramStack, TooSmallIsRefusedAndWhatItNamesRuns) {
  // A Sub with a Float parameter and two Locals calling a float function: $stack = 32 was
  // enough for the functions before their exact reduction (Exp and Log10 need less
  // again: 16 and 24 are too little for them).
  const auto inSub = [](const std::string& call) {
    return "Declare Sub P(x As Float)\nP(1.5)\nEnd\nSub P(x As Float)\n  Local a As Byte, b As Byte\n  a = 11\n"
           "  b = 22\n  x = " + call + "\n  Print a ; b\nEnd Sub\n";
  };
  const Case cases[] = {
      {"nested Subs with Locals", 2,
       "Declare Sub A(n As Byte)\nDeclare Sub B(n As Byte)\nA(5)\nEnd\n"
       "Sub A(n As Byte)\n  Local t As Byte\n  t = n\n  B(t)\n  Print n ; t\nEnd Sub\n"
       "Sub B(n As Byte)\n  Local u As Byte\n  u = n + 1\nEnd Sub\n",
       "55\r\n", 0},
      {"Sin in the main program", 8, "Dim F As Float\nF = Sin(0.5)\nPrint F\nEnd\n", " 4.794255E-01\r\n", 0},
      {"Pow in a Sub with Locals", 32, inSub("Pow(x, x)"), "1122\r\n", 0},
      {"Exp in a Sub with Locals", 16, inSub("Exp(x)"), "1122\r\n", 0},
      {"Log10 in a Sub with Locals", 24, inSub("Log10(x)"), "1122\r\n", 0},
      {"a string argument's copy", 16,
       "Declare Sub P(s As String * 15)\nP(\"abcdefghijklmno\")\nEnd\nSub P(s As String * 15)\n  Print s\nEnd Sub\n",
       "abcdefghijklmno\r\n", 16},
      {"a string argument passed on from a Sub", 32,
       "Declare Sub A(s As String * 30)\nDeclare Sub B(s As String * 30)\n"
       "A(\"abcdefghijklmnopqrstuvwxyz0123\")\nEnd\n"
       "Sub A(s As String * 30)\n  B(\"ABCDEFGHIJKLMNOPQRSTUVWXYZ4567\")\n  Print s\nEnd Sub\n"
       "Sub B(s As String * 30)\n  Print s\nEnd Sub\n",
       "ABCDEFGHIJKLMNOPQRSTUVWXYZ4567\r\nabcdefghijklmnopqrstuvwxyz0123\r\n", 62},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CompiledBasic small = CompileBasic(Head(c.stack) + c.body);
    EXPECT_EQ(small.error_count, 1) << small.report;
    const int need = NeededBytes(small);
    ASSERT_GT(need, c.stack) << small.report;
    // One byte less than named is refused too: the figure is the need, not a guess above it.
    EXPECT_EQ(NeededBytes(CompileBasic(Head(need - 1) + c.body)), need);
    SimOptions o;
    o.mcu = "atmega88";
    o.frequency = 8'000'000;
    auto run = RunBasicWith(Head(need) + c.body, o);
    ASSERT_TRUE(run->ok) << run->Diagnostics().substr(0, 800);
    EXPECT_EQ(run->compiled.report.find("not checked"), std::string::npos) << run->compiled.report;
    EXPECT_EQ(run->sim->Output(), c.output);
    // (the copies lie below the pushes: what the pushes took and they add up to the need)
    EXPECT_LE(static_cast<int>(run->sim->DeepestStack()) + c.argCopies, need);
  }
}

// A Sub without string parameters of its own began its calls' copies where the area
// begins, over the copies its callers had made and still had to read: the caller's
// parameter came back holding the callee's argument. Its calls' copies go past every copy
// a chain from the main program may hold when it runs (also in a program with a handler,
// where a procedure first asks whether a handler runs it).
TEST(ProgramStack, CopiesMadeInASubWithoutStringParametersLeaveItsCallersCopies) {
  const std::string subs =
      "Sub A(s As String * 5)\n  B(1)\n  Print s\nEnd Sub\n"
      "Sub B(n As Byte)\n  C(\"XXXXX\")\nEnd Sub\n"
      "Sub C(t As String * 5)\n  Print t\nEnd Sub\n";
  const std::string declare =
      "Declare Sub A(s As String * 5)\nDeclare Sub B(n As Byte)\nDeclare Sub C(t As String * 5)\n";
  // The handler runs once, from the overflow of Timer0 started just below it.
  const std::string handler =
      "Declare Interrupt Ovf0()\n" + declare + "Dim Done As Byte\nDone = 0\n"
      "$asm\n  ldi r16,0xfe\n  out TCNT0,r16\n  ldi r16,0x01\n  sts TIMSK0,r16\n  out TCCR0B,r16\n  sei\n$end asm\n"
      "While Done = 0\nWend\n$asm\n  cli\n$end asm\nA(\"hello\")\nEnd\n" + subs +
      "Interrupt Ovf0()\n$asm\n  clr r16\n  out TCCR0B,r16\n$end asm\n  A(\"howdy\")\n  Done = 1\nEnd Interrupt\n";
  const struct {
    std::string src;
    const char* output;
  } programs[] = {
      {declare + "A(\"hello\")\nB(1)\nEnd\n" + subs, "XXXXX\r\nhello\r\nXXXXX\r\n"},
      {handler, "XXXXX\r\nhowdy\r\nXXXXX\r\nhello\r\n"},
  };
  for (const auto& p : programs) {
    SimOptions o;
    o.mcu = "atmega88";
    o.frequency = 8'000'000;
    auto run = RunBasicWith(Head(64) + p.src, o);
    ASSERT_TRUE(run->ok) << run->Diagnostics().substr(0, 800);
    EXPECT_EQ(run->sim->Output(), p.output);
  }
}

// A program that fits is not refused, and says nothing of its stack.
TEST(ProgramStack, AProgramThatFitsCompilesAsBefore) {
  const CompiledBasic c = CompileBasic(Head(32) + "Dim B As Byte\nB = 3\nPrint B\nEnd\n");
  EXPECT_EQ(c.error_count, 0) << c.report;
  EXPECT_EQ(c.report.find("stack"), std::string::npos) << c.report;
}

// Where the depth is not known in a program without handlers (On .. Goto jumps through a
// table), the report says so instead of passing in silence.
TEST(ProgramStack, AnUnknownDepthIsSaidWithoutHandlers) {
  const CompiledBasic c =
      CompileBasic(Head(32) + "Dim K As Byte\nK = 1\nOn K Goto La, Lb\nLa:\nK = 2\nLb:\nK = 3\nEnd\n");
  EXPECT_EQ(c.error_count, 0) << c.report;
  EXPECT_NE(c.report.find("stack depth not known: $stack not checked\r\n"), std::string::npos) << c.report;
}

// The line buffer of a number's Input lay at RAMEND - $stack, under the pushes and over
// the copies of a Sub's string arguments: "-12345" came back as -123 under $stack = 8 and
// from four nested Subs under $stack = 16 (with 14 the chip restarted), and in a Sub its
// string parameter held the typed digits.
TEST(ProgramStack, InputsLineBufferHasItsOwnCell) {
  SimOptions o;
  o.mcu = "atmega88";
  o.frequency = 8'000'000;
  const std::string nested = "Declare Sub A()\nDeclare Sub B()\nDeclare Sub C()\nDeclare Sub D()\n"
                             "Dim N As Integer\nA()\nEnd\nSub A()\n  B()\nEnd Sub\nSub B()\n  C()\nEnd Sub\n"
                             "Sub C()\n  D()\nEnd Sub\nSub D()\n  Input N\nEnd Sub\n";
  const struct {
    int stack;
    std::string src;
  } reads[] = {{8, "Dim N As Integer\nInput N\nEnd\n"}, {16, nested}, {14, nested}};
  for (const auto& r : reads) {
    SCOPED_TRACE(r.stack);
    auto run = RunBasicWith(Head(r.stack) + r.src, o, {{"-12345\r"}});
    ASSERT_TRUE(run->ok) << run->Diagnostics().substr(0, 800);
    EXPECT_EQ(run->Integer("n"), -12345);
    EXPECT_LE(run->sim->DeepestStack(), static_cast<unsigned>(r.stack));
  }
  const std::string inSub =
      "Declare Sub A(s As String * 5)\nDim N As Integer\nA(\"hello\")\nEnd\n"
      "Sub A(s As String * 5)\n  Input N\n  Print s\nEnd Sub\n";
  auto run = RunBasicWith(Head(64) + inSub, o, {{"-12345\r"}});
  ASSERT_TRUE(run->ok) << run->Diagnostics().substr(0, 800);
  EXPECT_EQ(run->Integer("n"), -12345);
  EXPECT_EQ(run->sim->Output(), "hello\r\n");
}

// The software UART's Input fills the same buffer: it read -1 in the main program under
// $stack = 8 and at the end of four nested Subs under $stack = 16, and in a Sub with a
// string parameter it wrote the digits over the parameter's copy.
TEST(ProgramStack, SoftwareInputsLineBufferHasItsOwnCell) {
  const std::string open = "Open com = portb.0, 9600 For Input As #1\n";
  const std::string vars = "Dim N As Integer, T As String * 5\n";
  const std::string programs[] = {
      "$stack = 8\n" + vars + open + "Input #1, N\nT = \"hello\"\nEnd\n",
      "$stack = 16\nDeclare Sub A()\nDeclare Sub B()\nDeclare Sub C()\nDeclare Sub D()\n" + vars + open +
          "A()\nT = \"hello\"\nEnd\nSub A()\n  B()\nEnd Sub\nSub B()\n  C()\nEnd Sub\nSub C()\n  D()\nEnd Sub\n"
          "Sub D()\n  Input #1, N\nEnd Sub\n",
      "$stack = 64\nDeclare Sub A(s As String * 5)\n" + vars + "A(\"hello\")\nEnd\n"
      "Sub A(s As String * 5)\n  " + open + "  Input #1, N\n  T = s\nEnd Sub\n",
  };
  for (const std::string& p : programs) {
    std::unique_ptr<SoftUartSender> tx;
    auto run = RunBasic("$device = m88\n$clock = 8\n" + p, "m88", 30'000'000, [&](SimRunner& sim) {
      tx = std::make_unique<SoftUartSender>(sim, 'B', 0, 8e6 / 9600, 0.0);
      tx->Queue("-12345\r", 0);
      tx->StartOnPullUp(2);
    });
    ASSERT_TRUE(run->ok) << run->Diagnostics().substr(0, 800);
    EXPECT_EQ(run->Integer("n"), -12345);
    std::string t;
    for (int i = 0; i < 5 && run->Byte("t", i) != 0; ++i) t.push_back(static_cast<char>(run->Byte("t", i)));
    EXPECT_EQ(t, "hello");
  }
}

// A vector the library's own handler takes ($com1's INT0 and OVF0, $rc5's OVF0, $dtmf's
// OVF1) failed in the assembler ("Can't redefine label IntN6") with no source line; it is
// refused at the program's handler declaration, whichever line comes first.
TEST(ProgramStack, AVectorTheLibraryTakesIsRefusedAtItsLine) {
  struct Claim {
    const char* what;
    const char* device;
    const char* lines;
    const char* message;
    int line;
  };
  const Claim claims[] = {
      {"$com1 then OVF0", "tn2313", "$com1 = portb.1, 9600\nDeclare Interrupt Ovf0()\n",
       "Interrupt OVF0 already used by $com1!", 5},
      {"INT0 then $com1", "tn2313", "Declare Interrupt Int0()\n$com1 = portb.1, 9600\n",
       "Interrupt INT0 already used by $com1!", 4},
      {"$rc5 then OVF0", "m8", "$rc5 = portd.2\nDeclare Interrupt Ovf0()\n", "Interrupt OVF0 already used by $rc5!", 5},
      {"OVF1 then $dtmf", "m8", "Declare Interrupt Ovf1()\n$dtmf = portb.1, 20\n",
       "Interrupt OVF1 already used by $dtmf!", 4},
  };
  for (const Claim& c : claims) {
    SCOPED_TRACE(c.what);
    const std::string src = std::string("$device = ") + c.device + "\n$clock = 8\n$stack = 32\n" + c.lines +
                            "Dim K As Byte\nK = 1\nEnd\n";
    const CompiledBasic r = CompileBasic(src);
    EXPECT_TRUE(r.StartsWithError(c.message, c.line)) << r.report;
  }
}

}  // namespace
}  // namespace qbc::test
