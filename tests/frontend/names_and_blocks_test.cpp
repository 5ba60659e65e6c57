// Names, declarations and blocks as a new user gets them wrong: a name declared twice or
// for two things, a label or procedure named like something the assembler or the compiler
// already names, a procedure defined inside an open block, loops closed out of order, a
// variable past the end of the SRAM, a number written with two points. Each is a numbered
// compile error naming its BASIC line (exit 1, nothing from the assembler, no .hex), where
// the same lines once compiled into a program that did something else, or failed only in
// the assembler at a line of the .asm.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/refused_program.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {
namespace {

struct Row {
  const char* device;
  const char* lines;    // after $device, $clock, $stack and $baud; "End" follows
  int line;             // the line of `lines` (from 1) the first error names
  const char* message;  // the first error's text, or its beginning
};

constexpr int kHeaderLines = 4;

std::string Program(const char* device, const std::string& lines) {
  return "$device = " + std::string(device) + "\n$clock = 8\n$stack = 32\n$baud = 9600\n" + lines + "\nEnd\n";
}

void ExpectAllRefused(const std::vector<Row>& rows) {
  for (const Row& row : rows) ExpectRefused(Program(row.device, row.lines), kHeaderLines + row.line, row.message);
}

// What a compiled program prints on the ATmega8 until it ends.
std::string RunOutput(const BasResult& r) {
  SimRunner sim({.mcu = "atmega8", .frequency = 8000000});
  if (!sim.Load(r.hex_path, r.map_path)) return "not loaded: " + sim.Error();
  if (sim.Run() != SimStop::EndLoop) return "did not end: " + sim.Output();
  return sim.Output();
}

TEST(NamesAndBlocks, ANameStandsForOneThing) {
  ExpectAllRefused({
      // The constant was read wherever the variable was meant.
      {"m8", "Const K = 5\nDim k As Byte\nk = 77\nPrint k", 2, "k is already a Constant!"},
      {"m8", "Dim k As Byte\nConst K = 5\nk = 77\nPrint k", 2, "k is already a Variable!"},
      {"m8", "Const K = 5\nDeclare Sub S(k As Byte)\nS(3)\nEnd\nSub S(k As Byte)\nPrint k\nEnd Sub", 2,
       "k is already a Constant!"},
      {"m8", "Declare Sub S(k As Byte)\nConst K = 5\nS(3)\nEnd\nSub S(k As Byte)\nPrint k\nEnd Sub", 2,
       "k is already a Local of S!"},
      {"m8", "Const K = 5\nDeclare Sub S()\nS()\nEnd\nSub S()\nLocal k As Byte\nk = 3\nPrint k\nEnd Sub", 6,
       "k is already a Constant!"},
      // The alias was read wherever the variable was meant.
      {"m8", "$def led = portb.1\nDim led As Byte\nled = 1", 2, "led is already an Alias!"},
      {"m8", "Dim led As Byte\n$def led = portb.1\nled = 1", 2, "led is already a Variable!"},
      {"m8", "Const led = 1\n$def led = portb.1\nled = 1", 2, "led is already a Constant!"},
      // Two labels of one name in the .asm.
      {"m8", "Declare Sub S()\nDim s As Byte\nS()\nEnd\nSub S()\nEnd Sub", 2, "s is already a Sub!"},
      {"m8", "Dim s As Byte\nDeclare Sub S()\nS()\nEnd\nSub S()\nEnd Sub", 2, "s is already a Variable!"},
      {"m8", "here:\nhere:\nGoto here", 2, "Duplicate label name here"},
      {"m8", "Declare Sub S()\nDeclare Sub T()\nS()\nT()\nEnd\nSub S()\nhere:\nEnd Sub\nSub T()\nhere:\nEnd Sub", 10,
       "Duplicate label name here"},
      {"m8", "Declare Sub S()\nS()\nEnd\nSub S()\nEnd Sub\nSub S()\nEnd Sub", 6, "Sub S already defined!"},
      {"m8", "Dim x As Byte\nx:\nx = 1\nGoto x", 2, "x is already a Variable!"},
      {"m8", "Dim x As Byte\nx_:\nx = 1", 2, "x is already a Variable!"},
      {"m8", "Declare Sub S()\ns:\nS()\nEnd\nSub S()\nEnd Sub", 2, "s is already a Sub!"},
      // A keyword, number or text names no procedure, parameter, local or alias: the
      // keyword's statement was compiled where the program meant its own name.
      {"m8", "Declare Sub Print()\nPrint 1\nEnd\nSub Print()\nEnd Sub", 1, "print is ilegal name for Sub!"},
      {"m8", "Declare Function 7() As Byte", 1, "7 is ilegal name for Function!"},
      {"m8", "Declare Sub \"ab\"()", 1, "ab is ilegal name for Sub!"},
      {"m8", "Declare Sub S(print As Byte)\nS(1)\nEnd\nSub S(print As Byte)\nPrint 1\nEnd Sub", 1,
       "print is ilegal name for Variable!"},
      {"m8", "Declare Sub S()\nS()\nEnd\nSub S()\nLocal for As Byte\nEnd Sub", 5, "for is ilegal name for Variable!"},
      // An alias is read where a statement takes a register, but a keyword's own statement
      // or function is compiled where the program assigns or reads it.
      {"m8", "$def key = pinb.4\nIf key = 0 Then Print 1", 1, "key is ilegal name for Alias!"},
      // A call of a procedure that has no body.
      {"m8", "Declare Sub S()\nS()", 1, "Sub S is declared but never defined!"},
      {"m8", "Dim a As Byte\nDeclare Function F() As Byte\na = F()", 2, "Function F is declared but never defined!"},
      // A handler called like a Sub: its code has no label of its name, and ends in reti.
      {"m8", "Declare Interrupt Ovf0()\nOvf0()\nEnd\nInterrupt Ovf0()\nEnd Interrupt", 2,
       "Interrupt OVF0 can not be called!"},
      {"m8", "Declare Interrupt Ovf0()\nDim a As Byte\nOn a Ovf0()\nEnd\nInterrupt Ovf0()\nEnd Interrupt", 3,
       "Interrupt OVF0 can not be called!"},
  });
}

// The assembler compares names without regard to case: a name of the program is refused
// where the assembler's device file, or the compiler's own lines, define it as well.
TEST(NamesAndBlocks, NamesTheAssemblerOrTheCompilerAlreadyGive) {
  ExpectAllRefused({
      {"m8", "portb:\nGoto portb", 1, "portb is ilegal name for Label!"},
      {"m8", "Declare Sub Portb()\nPortb()\nEnd\nSub Portb()\nEnd Sub", 1, "portb is ilegal name for Sub!"},
      {"m8", "Dim a As Byte\nDiv8u:\na = a / 3\nGoto Div8u", 2, "div8u is ilegal name for Label!"},
      {"m8", "Declare Sub Div8u()\nDim a As Byte\na = a / 3\nDiv8u()\nEnd\nSub Div8u()\nEnd Sub", 1,
       "div8u is ilegal name for Sub!"},
      {"m8", "Dim Mp16u As Word, w As Word\nw = w * w", 1, "mp16u is ilegal name for Variable!"},
      {"2313", "Dim Mpy8u As Byte, b As Byte\nb = b * b", 1, "mpy8u is ilegal name for Variable!"},
      {"m8", "Dim a As Byte\nIf a = 1 Then a = 2\nL0001:\nGoto L0001", 3, "l0001 is ilegal name for Label!"},
      {"m8", "Dim S000 As Byte\nPrint \"hello\"", 1, "s000 is ilegal name for Variable!"},
      // The assembler's expression functions: an operand naming the label was read as the
      // function ("Missing ')'" in the .asm).
      {"m8", "Dim Low As Byte\nLow = 5\nLow = Low * 3\nPrint Low", 1, "low is ilegal name for Variable!"},
      {"m8", "Dim a(3) As Byte, High As Byte\na(1) = High", 1, "high is ilegal name for Variable!"},
      {"m8", "Dim Page As Word\nPage = Page + 1", 1, "page is ilegal name for Variable!"},
      {"m8", "Dim Lwrd As Long\nLwrd = Lwrd * 2", 1, "lwrd is ilegal name for Variable!"},
      {"m8", "Dim Byte3 As Byte\nByte3 = 1", 1, "byte3 is ilegal name for Variable!"},
      {"m8", "Dim Defined As Byte\nDefined = 1", 1, "defined is ilegal name for Variable!"},
      {"m8", "Dim a As Byte\nExp2:\na = a + 1\nGoto Exp2", 2, "exp2 is ilegal name for Label!"},
      {"m8", "Declare Sub Hwrd()\nHwrd()\nEnd\nSub Hwrd()\nEnd Sub", 1, "hwrd is ilegal name for Sub!"},
      {"m8", "Declare Function Log2() As Byte\nDim b As Byte\nb = Log2()\nEnd\nFunction Log2() As Byte\nReturn 1\nEnd Function",
       1, "log2 is ilegal name for Function!"},
  });
}

// Programs of ordinary names, and of names that only look like the ones refused above:
// they compile and assemble. A constant or alias never reaches the assembler (its value or
// register is written), so the assembler's function names are free for them.
TEST(NamesAndBlocks, OrdinaryNamesCompile) {
  const char* programs[] = {
      ("Dim Temp As Byte, Count As Word, Value As Integer, Index As Byte, Data1(4) As Byte\n"
       "Declare Sub Show(Led As Byte)\nDeclare Function Init() As Byte\n"
       "Index = Init()\nData1(Index) = Temp + 1\nCount = Count + Value\nShow(Index)\nEnd\n"
       "Sub Show(Led As Byte)\nPrint Led\nEnd Sub\nFunction Init() As Byte\nReturn 2\nEnd Function"),
      "Const High = 1\nConst Low = 0\nDim Pin As Byte\nPin = High\nIf Pin = Low Then Print Low\nPortb.1 = High",
      "$def page = portb.2\n$def log2 = ddrb\nlog2 = 255\npage = 1\nToggle page",
      "$def Led = portb.1\nLed = 1\nGoto Led\nLed = 0\nLed:\nToggle Led",
      ("Dim Lower As Byte, Highest As Word, Pages As Byte, Byte5 As Byte, Low1 As Byte, Lwrd2 As Byte\n"
       "Lower = Highest + Pages\nByte5 = Low1 * Lwrd2\nPrint Lower ; Byte5"),
  };
  for (const char* lines : programs) {
    const std::string program = Program("m8", lines);
    SCOPED_TRACE(program);
    const BasResult r = CompileBas(program);
    EXPECT_TRUE(r.ok) << r.report;
  }
}

TEST(NamesAndBlocks, AProcedureIsDefinedOutsideEveryBlock) {
  ExpectAllRefused({
      {"m8", "Dim a As Byte\nDeclare Sub S()\nFor a = 1 To 3\nSub S()\nEnd Sub\nNext a", 4,
       "Sub S can not be defined inside FOR!"},
      {"m8", "Dim a As Byte\nDeclare Sub S()\nIf a = 1 Then\nSub S()\nEnd Sub\nEnd If", 4,
       "Sub S can not be defined inside IF!"},
      {"m8", "Dim a As Byte\nDeclare Sub S()\nDo\nSub S()\nEnd Sub\nLoop", 4, "Sub S can not be defined inside DO!"},
      {"m8", "Dim a As Byte\nDeclare Sub S()\nWhile a < 3\nSub S()\nEnd Sub\nWend", 4,
       "Sub S can not be defined inside WHILE!"},
      {"m8", "Dim a As Byte\nDeclare Sub S()\nSelect Case a\nCase 1\nSub S()\nEnd Sub\nEnd Select", 5,
       "Sub S can not be defined inside SELECT!"},
      {"m8", "Dim a As Byte\nDeclare Function F() As Byte\nFor a = 1 To 3\nFunction F() As Byte\nReturn 1\nEnd Function\nNext a",
       4, "Function F can not be defined inside FOR!"},
      // A Sub whose End Sub is missing holds the next one.
      {"m8", "Declare Sub S()\nDeclare Sub T()\nS()\nEnd\nSub S()\nSub T()\nEnd Sub\nEnd Sub", 6,
       "Sub T can not be defined inside SUB!"},
      {"m8", "Dim a As Byte, b As Byte\nFor a = 1 To 3\nFor b = 1 To 2\nNext a\nNext b", 4,
       "NEXT a does not close FOR b!"},
      // An End of another block as the first line of a body: it was taken for the End
      // statement followed by a new statement ("Sub <EOL> not declared!", an If without
      // its condition).
      {"m8", "Dim a As Byte\nDeclare Sub S()\nS()\nEnd\nSub S()\nFor a = 1 To 3\nEnd Sub", 7,
       "END SUB does not close FOR!"},
      {"m8", "Dim a As Byte\nFor a = 1 To 3\nEnd If\nNext a", 3, "END IF does not close FOR!"},
      {"m8", "Dim a As Byte\nDo\nEnd Select\nLoop", 3, "END SELECT does not close DO!"},
      {"m8", "Dim a As Byte\nIf a = 0 Then\na = 1\nElse\nEnd Sub\nEnd If", 5, "END SUB does not close IF!"},
      {"m8", "Declare Sub S()\nS()\nEnd\nSub S()\nEnd Function\nEnd Sub", 5, "END FUNCTION does not close SUB!"},
      {"m8", "Dim a As Byte\nEnd If", 2, "END IF without its opening statement!"},
  });
}

// Messages show a name as the program wrote it: x, y and z are x_, y_ and z_ to the
// compiler only.
TEST(NamesAndBlocks, MessagesNameWhatTheProgramWrote) {
  ExpectAllRefused({
      {"m8", "Dim a As x", 1, "Unsuported var type x"},
      {"m8", "Exit x", 1, "You can not Exit from x!"},
      {"m8", "Start y", 1, "How to start y ?"},
      {"m8", "Stop z", 1, "How to stop z ?"},
      {"m8", "Enable x", 1, "How to enable x ?"},
      {"m8", "Disable y", 1, "How to disable y ?"},
  });
}

// The End statement as the first line of a procedure stops the program there; it was
// taken for the procedure's own end ("Missing "SUB"").
TEST(NamesAndBlocks, AnEndStatementMayOpenAProcedureBody) {
  for (const char* body : {"Sub S()\nEnd\nEnd Sub", "Function S() As Byte\nEnd\nEnd Function"}) {
    const bool sub = std::string(body).rfind("Sub", 0) == 0;
    const std::string program = Program(
        "m8", std::string(sub ? "Declare Sub S()\nPrint \"a\"\nS()\n"
                              : "Declare Function S() As Byte\nDim b As Byte\nPrint \"a\"\nb = S()\n") +
                  "Print \"b\"\nEnd\n" + body);
    SCOPED_TRACE(program);
    const BasResult r = CompileBas(program);
    ASSERT_TRUE(r.ok) << r.report;
    SimRunner sim({.mcu = "atmega8", .frequency = 8000000});
    ASSERT_TRUE(sim.Load(r.hex_path, r.map_path)) << sim.Error();
    EXPECT_EQ(sim.Run(), SimStop::EndLoop);
    EXPECT_EQ(sim.Output(), "a\r\n") << "the program stopped in the procedure";
  }
}

TEST(NamesAndBlocks, NumbersAndSizesThatCannotBe) {
  ExpectAllRefused({
      // A second device file: the assembler refused it inside that file, at no BASIC line.
      {"m8", "$device = m16\nPrint 1", 1, "Device already specified!"},
      {"m8", "$device = m8\nPrint 1", 1, "Device already specified!"},
      // A count the delay routines would take as 65535 and more.
      {"m8", "Waitms -1", 1, "Must be from 0 to 255!"},
      {"m8", "Waitus -5", 1, "Must be from 0 to 255!"},
      {"m8", "Wait -2", 1, "Must be from 0 to 255!"},
      {"m8", "Const D = -20\nWaitms D", 2, "Must be from 0 to 255!"},
      // The rest of the number was dropped.
      {"m8", "Dim f As Float\nf = 1.5.5", 2, "Invalid number 1.5.5!"},
      {"m8", "Dim b As Byte\nb = 2.3.4 + 1", 2, "Invalid number 2.3.4!"},
      // A register has bits 0 to 7: the store of bit 9 reached the assembler ("sbi PORTB,9"),
      // and an alias of bit 8 or 9 was cut to its low three bits by Toggle.
      {"m8", "Portb.9 = 1", 1, "From 0 to 7!"},
      {"m8", "Ddrb.8 = 1", 1, "From 0 to 7!"},
      {"m8", "Dim b As Byte\nPortb.8 = b", 2, "From 0 to 7!"},
      {"m8", "$def led = portb.9\nToggle led", 1, "From 0 to 7!"},
      {"m8", "$def led = portb.8\nled = 1", 1, "From 0 to 7!"},
      // A bit named by a constant or a device bit name: a condition tested it in the
      // assembler ("sbis PINB,9"), and Toggle took a pin the chip lacks at run time.
      {"m8", "Const K = 9\nIf Pinb.K = 1 Then Print 1", 2, "From 0 to 7!"},
      {"m8", "Const K = 9\nWhile Pinb.K = 1\nWend", 2, "From 0 to 7!"},
      {"m8", "If Pinb.Portc = 1 Then Print 1", 1, "From 0 to 7!"},
      {"m8", "Const K = 7\nIf Pinc.K = 1 Then Print 1", 2, "No pin PC7 on this device!"},
      {"m8", "Const K = 7\nToggle Portc.K", 2, "No pin PC7 on this device!"},
      // Names as the program wrote them, not as the compiler spells them.
      {"m8", "Input \"X pos\" ; x", 1, "Unknown identifier x ("},
      // Variables past the chip's SRAM (1 KB on the ATmega8), at the Dim that goes past it.
      {"m8", "Dim a(2000) As Byte\na(1) = 1", 1, "Variable a ends at &H82F, beyond RAMEND (&H45F)!"},
      {"m8", "Dim b As Byte\nDim B2(600) As Long\nb = 1", 2, "Variable b2 ends at &H9C0, beyond RAMEND (&H45F)!"},
      {"m8", "Dim a(500) As Byte\na(1) = 1\nDim c(600) As Byte\nc(1) = 2", 3,
       "Variable c ends at &H4AB, beyond RAMEND (&H45F)!"},
  });
}

// An alias's bit may be a bit name of the device file: Toggle took its first letter for
// the bit number and toggled PB0.
TEST(NamesAndBlocks, AnAliasTogglesItsOwnBit) {
  const BasResult r = CompileBas(Program("m8", "$def led = portb.pb3\nDdrb = 255\nPortb = 1\nToggle led\nPrint Portb"));
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_EQ(RunOutput(r), "9\r\n");
}

// A hexadecimal count of four digits is the 16-bit count it spells, though it reads as
// negative from &H8000 on: Waitus &HFFFF waits 65535 us (524280 cycles at 8 MHz); only a
// count written with a minus sign is refused.
TEST(NamesAndBlocks, AHexadecimalCountIsTheSixteenBitsItSpells) {
  const BasResult r = CompileBas(Program("m8", "Print \"a\"\nWaitus &HFFFF\nPrint \"b\""));
  ASSERT_TRUE(r.ok) << r.report;
  SimRunner sim({.mcu = "atmega8", .frequency = 8000000});
  ASSERT_TRUE(sim.Load(r.hex_path, r.map_path)) << sim.Error();
  EXPECT_EQ(sim.Run(), SimStop::EndLoop);
  EXPECT_EQ(sim.Output(), "a\r\nb\r\n");
  EXPECT_GT(sim.Cycles(), 524280u);
  EXPECT_LT(sim.Cycles(), 524280u + 60000u);
}

// Run on the chip when it compiles, refused otherwise: both programs compiled before and
// did something else than they say.
TEST(NamesAndBlocks, AConstantAndAVariableOfOneNameAreNotMixedUp) {
  const std::string program = Program("m8", "Const K = 5\nDim k As Byte\nk = 77\nPrint k");
  const BasResult r = CompileBas(program);
  if (r.ok) {
    SimRunner sim({.mcu = "atmega8", .frequency = 8000000});
    ASSERT_TRUE(sim.Load(r.hex_path, r.map_path)) << sim.Error();
    EXPECT_EQ(sim.Run(), SimStop::EndLoop);
    EXPECT_EQ(sim.Output(), "77\r\n") << "the variable was assigned 77";
  } else {
    ExpectRefused(program, kHeaderLines + 2, "k is already a Constant!");
  }
}

// A label lives in the .asm alone and is only jumped to; a constant or alias never
// reaches the .asm: a constant and a label of one name stand beside each other.
TEST(NamesAndBlocks, AConstantAndALabelOfOneNameNeverMeet) {
  const BasResult r =
      CompileBas(Program("m8", "Const Done = 7\nDim a As Byte\na = Done\nGoto Done\nPrint 2\nDone:\nPrint a"));
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_EQ(RunOutput(r), "7\r\n");
}

// A flash table's elements lie in the program memory: every statement that would change
// one stored into the SRAM cell at the table's flash address, a CPU or I/O register.
TEST(NamesAndBlocks, AFlashTableIsOnlyRead) {
  const std::string table = "Dim t(3) As Flash Byte, b As Byte\nt = 1, 2, 3\n";
  ExpectAllRefused({
      {"m8", (table + "t(1) = 5").c_str(), 3, "Flash table T can not be changed!"},
      {"m8", (table + "t(b) = b + 1").c_str(), 3, "Flash table T can not be changed!"},
      {"m8", (table + "t.1 = 1").c_str(), 3, "Flash table T can not be changed!"},
      {"m8", (table + "For t(1) = 1 To 3\nNext").c_str(), 3, "Flash table T can not be changed!"},
      {"m8", (table + "Incr t(1)").c_str(), 3, "Flash table T can not be changed!"},
      {"m8", (table + "Decr t").c_str(), 3, "Flash table T can not be changed!"},
      {"m8", (table + "Set t.1").c_str(), 3, "Flash table T can not be changed!"},
      {"m8", (table + "Swap b, t").c_str(), 3, "Flash table T can not be changed!"},
      {"m8", (table + "Sort(t , 3)").c_str(), 3, "Flash table T can not be changed!"},
  });
  // Run on the chip where it compiles: the element must then read what was stored.
  const std::string program = Program("m8", table + "t(1) = 5\nb = t(1)\nPrint b");
  const BasResult r = CompileBas(program);
  if (r.ok) {
    EXPECT_EQ(RunOutput(r), "5\r\n") << "the store went elsewhere";
  } else {
    ExpectRefused(program, kHeaderLines + 3, "Flash table T can not be changed!");
  }
}

// The words the report gives for the code, 0 when it gives none.
int CodeWords(const BasResult& r) {
  const std::size_t at = r.report.find("Code size");
  int words = 0;
  if (at != std::string::npos) std::sscanf(r.report.c_str() + r.report.find(':', at) + 1, "%d", &words);
  return words;
}

// Procedure bodies and a table's values stand where the program puts them, before the main
// code among them: the main code passes over them (they ran as its next statements and
// returned from nowhere, or ran the table's values, here an rjmp to itself). One jump
// passes a whole run of them, and none is written where nothing runs on into them.
TEST(NamesAndBlocks, BodiesBeforeTheMainCodeArePassedOver) {
  const std::string decls =
      "Dim n As Byte, t(2) As Flash Byte\nDeclare Sub Add(k As Byte)\nDeclare Function Twice(k As Byte) As Byte\n"
      "Declare Interrupt Ovf0()\n";
  const std::string bodies =
      "Interrupt Ovf0()\nIncr n\nEnd Interrupt\nSub Add(k As Byte)\nn = n + k\nEnd Sub\n"
      "t = 255, 207\nFunction Twice(k As Byte) As Byte\nReturn k * 2\nEnd Function\n";
  const std::string main = "n = 1\nAdd(2)\nn = Twice(n) + t(1)\nPrint n\nEnd\n";
  const BasResult before = CompileBas(Program("m8", decls + bodies + main));
  ASSERT_TRUE(before.ok) << before.report;
  EXPECT_EQ(RunOutput(before), "213\r\n");  // (1 + 2) * 2 + 207
  // the same bodies after End: no jump at all
  const BasResult after = CompileBas(Program("m8", decls + main + bodies));
  ASSERT_TRUE(after.ok) << after.report;
  EXPECT_EQ(RunOutput(after), "213\r\n");
  EXPECT_EQ(CodeWords(before), CodeWords(after) + 1);
  // a body amid the main code
  const BasResult amid = CompileBas(
      Program("m8", decls + "n = 1\nSub Add(k As Byte)\nn = n + k\nEnd Sub\nAdd(2)\nPrint n\nEnd\n"
                    "Interrupt Ovf0()\nEnd Interrupt\nFunction Twice(k As Byte) As Byte\nReturn k\nEnd Function\nt = 1, 2"));
  ASSERT_TRUE(amid.ok) << amid.report;
  EXPECT_EQ(RunOutput(amid), "3\r\n");
}

// A program's own branch past the jump before a body, its offset written as the assembler
// reads it (with blanks, "010" as ten): the body is passed over where the branch lands.
TEST(NamesAndBlocks, ABranchPastTheJumpBeforeABodyIsPassedOver) {
  const struct {
    const char* branch;
    int nops;  // between it and the jump
  } cases[] = {{"brne PC + 2", 0}, {"brne PC+010", 8}, {"brne PC+40", 38}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.branch);
    std::string lines = c.branch;
    for (int i = 0; i < c.nops; ++i) lines += "\n  nop";
    const std::string program = Program(
        "m8", "Dim n As Byte\nDeclare Sub Add(k As Byte)\nn = 1\n$asm\n  ldi r16,1\n  tst r16\n  " + lines +
                  "\n  rjmp Later\n$end asm\nSub Add(k As Byte)\nn = n + k\nEnd Sub\nLater:\nPrint n\nEnd\n");
    const BasResult r = CompileBas(program);
    ASSERT_TRUE(r.ok) << r.report;
    EXPECT_EQ(RunOutput(r), "1\r\n");
  }
}

TEST(NamesAndBlocks, TheMainProgramNeverRunsIntoAProcedure) {
  // S is defined inside the loop: the loop must count to 3 and S must not run.
  const std::string program = Program("m8",
                                      "Dim a As Byte, n As Byte\n"
                                      "Declare Sub S()\n"
                                      "n = 0\n"
                                      "For a = 1 To 3\n"
                                      "  Sub S()\n"
                                      "    n = n + 10\n"
                                      "  End Sub\n"
                                      "  n = n + 1\n"
                                      "Next a\n"
                                      "Print n");
  const BasResult r = CompileBas(program);
  if (r.ok) {
    SimRunner sim({.mcu = "atmega8", .frequency = 8000000});
    ASSERT_TRUE(sim.Load(r.hex_path, r.map_path)) << sim.Error();
    EXPECT_EQ(sim.Run(), SimStop::EndLoop);
    EXPECT_EQ(sim.Output(), "3\r\n");
  } else {
    ExpectRefused(program, kHeaderLines + 5, "Sub S can not be defined inside FOR!");
  }
}

}  // namespace
}  // namespace qbc::test
