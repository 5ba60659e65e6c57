// Lines written for procedure definitions, calls, handlers and frame variables, and the
// compile errors of their faults.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/codegen/frame_vars.h"
#include "tests/support/basic_program.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

std::string Head(const std::string& device = "m8") {
  return "$device = " + device + "\n$clock = 8\n$stack = 40\n$source = off\n";
}

// The lines joined as the output has them.
std::string Lines(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

std::string I2(const std::string& m, const std::string& ops) { return "\t\t" + m + "\t\t" + ops; }
std::string I1(const std::string& m, const std::string& ops) { return "\t\t" + m + "\t" + ops; }

::testing::AssertionResult Has(const test::CompiledBasic& c, const std::vector<std::string>& lines) {
  if (c.asm_text.find(Lines(lines)) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "missing:\n" << Lines(lines) << "\nin:\n" << c.asm_text << c.report;
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST(ProcLines, SubWithoutLocalsAndFunctionWithLocals) {
  auto c = test::CompileBasic(Head() + R"(
Dim B As Byte
Declare Sub S(a As Byte)
Declare Function F(a As Byte, b As Word) As Word
S(1)
End
Sub S(a As Byte)
End Sub
Function F(a As Byte, b As Word) As Word
  Local c As Byte
  c = a
End Function
)");
  ASSERT_EQ(c.error_count, 0) << c.report;
  EXPECT_TRUE(Has(c, {"s:", "L0001:", "\t\tret", "f:"}));
  // Locals: reserved after the entry, released before "ret"; one empty line after it.
  EXPECT_TRUE(Has(c, {I1("sbiw", "yl,1"), I2("ldd", "zl,y+3"), I2("std", "y+0,zl")})) << c.asm_text;
  EXPECT_TRUE(Has(c, {"L0002:", I1("adiw", "yl,1"), "\t\tret", ""}));
  EXPECT_EQ(Count(c.asm_text, "sbiw\tyl"), 2);  // the start-up code's and the Function's
}

TEST(ProcLines, CallPushesArgumentsAndReleasesThem) {
  auto c = test::CompileBasic(Head() + R"(
Declare Sub S(a As Byte, b As Word, f As Bit)
Declare Sub N()
S(5, 300, 1)
N()
End
Sub S(a As Byte, b As Word, f As Bit)
End Sub
Sub N()
End Sub
)");
  ASSERT_EQ(c.error_count, 0) << c.report;
  EXPECT_TRUE(Has(c, {I2("st", "-Y,zl"), I2("ldi", "zl,byte1(300)"), I2("ldi", "zh,byte2(300)"), I2("st", "-Y,zh"),
                      I2("st", "-Y,zl")}));
  // The bit argument is pushed as one byte, and its slot counts that byte: 4 released.
  EXPECT_TRUE(Has(c, {I1("rcall", "s"), I1("adiw", "yl,4")}));
  // A call without parameters is the call line alone.
  EXPECT_TRUE(Has(c, {I1("rcall", "n"), "L0000:"}));
}

TEST(ProcLines, FunctionResultIsConvertedToTheWantedType) {
  auto c = test::CompileBasic(Head() + R"(
Dim W As Word, L As Long, L2 As Long
Declare Function Fb(a As Byte) As Byte
Declare Function Fi(a As Byte) As Integer
W = Fb(1)
L = Fi(2)
End
Function Fb(a As Byte) As Byte
  Return a
End Function
Function Fi(a As Byte) As Integer
  Return a
End Function
)");
  ASSERT_EQ(c.error_count, 0) << c.report;
  EXPECT_TRUE(Has(c, {I1("rcall", "fb"), I2("clr", "zh"), I1("adiw", "yl,1")}));
  // An integer result keeps its sign as a long.
  EXPECT_TRUE(Has(c, {I1("rcall", "fi"), I2("clr", "r18"), I1("sbrc", "zh,7"), I2("com", "r18"),
                      I2("mov", "r19,r18"), I1("adiw", "yl,1")}));
}

TEST(ProcLines, DefinitionAndCallErrors) {
  auto c = test::CompileBasic(Head() + R"(
Declare Sub S(a As Byte, b As Byte)
S(1, 2, 3)
S()
Nope(1)
End
Sub S(a As Word, zz As Byte)
End Sub
Sub Other()
End Sub
)");
  EXPECT_NE(c.report.find("Parameters count dont match Sub declaration!"), std::string::npos) << c.report;
  EXPECT_EQ(Count(c.report, "Parameters count dont match"), 2) << c.report;
  EXPECT_NE(c.report.find("Wrong parameter type a"), std::string::npos) << c.report;
  EXPECT_NE(c.report.find("Parameter zz not declared"), std::string::npos) << c.report;
  EXPECT_NE(c.report.find("Sub OTHER not declared!"), std::string::npos) << c.report;
}

// ldd/std reach 63 bytes past Y: a frame beyond that is a compile error, not an assembler
// failure.
TEST(ProcLines, FrameOutOfReachOfYIsACompileError) {
  auto c = test::CompileBasic(Head() + R"(
Declare Sub S(a As Long, b As Long)
S(1, 2)
End
Sub S(a As Long, b As Long)
  Local p As Long, q As Long, r As Long, s1 As Long, t As Long, u As Long, v As Long
  Local w1 As Long, x1 As Long, y1 As Long, z1 As Long, k As Long, m As Long, n As Long, o As Byte
  a = 1
End Sub
)");
  EXPECT_GE(c.error_count, 1) << c.report;
  EXPECT_NE(c.report.find("Frame of S too big: more than 63 bytes!"), std::string::npos) << c.report;
}

TEST(ProcLines, InterruptHandlerLines) {
  auto c = test::CompileBasic(Head() + R"(
Declare Interrupt Int0()
Declare Interrupt Int1()
End
Interrupt Int0(), Save All
  Local c As Byte
End Interrupt
Interrupt Int1(), Save 7
End Interrupt
)");
  EXPECT_EQ(c.error_count, 1) << c.report;
  EXPECT_NE(c.report.find("Ilegal save operand!"), std::string::npos) << c.report;
  std::vector<std::string> in = {"IntN1:", I2("in", "r2,SREG")};
  const std::vector<std::string> regs = {"zl",  "zh",  "r0",  "r1",  "r2",  "r24", "r25", "xl",  "xh",
                                         "r16", "r17", "r18", "r19", "r20", "r21", "r22", "r23", "r7"};
  for (const auto& r : regs) in.push_back(I1("push", r));
  // The interrupted code's Y is kept; the first handler running starts at the top of the
  // handlers' own area, one that interrupts a handler goes on below that handler's Y.
  const std::vector<std::string> enter = {I1("push", "yl"),      I1("push", "yh"),     I2("lds", "yl,_IsDp"),
                                          I2("inc", "yl"),       I2("sts", "_IsDp,yl"), I2("cpi", "yl,0x01")};
  in.insert(in.end(), enter.begin(), enter.end());
  EXPECT_TRUE(Has(c, in));
  const std::size_t area = c.asm_text.find("_IsY:\t\t.byte\t");
  ASSERT_NE(area, std::string::npos);
  const std::string bytes = c.asm_text.substr(area + 13, c.asm_text.find_first_of("\r\n", area) - area - 13);
  const std::string top = "_IsY+" + bytes;
  in.push_back(I2("ldi", "yl,byte1(" + top + ")"));
  in.push_back(I2("ldi", "yh,byte2(" + top + ")"));
  EXPECT_TRUE(Has(c, in));
  const std::size_t at = c.asm_text.find(Lines(in));
  ASSERT_NE(at, std::string::npos);
  const std::size_t branch = c.asm_text.find("\t\tbreq\t", at + Lines(in).size());
  ASSERT_NE(branch, std::string::npos);
  const std::size_t end = c.asm_text.find_first_of("\r\n", branch);
  const std::string first = c.asm_text.substr(branch + 7, end - branch - 7);
  EXPECT_TRUE(Has(c, {I1("breq", first), I2("pop", "yh"), I2("pop", "yl"), I1("push", "yl"), I1("push", "yh"),
                      first + ":", I1("sbiw", "yl,1")}));
  std::vector<std::string> out = {I2("lds", "yl,_IsDp"), I2("dec", "yl"), I2("sts", "_IsDp,yl"), I2("pop", "yh"),
                                  I2("pop", "yl")};
  for (auto it = regs.rbegin(); it != regs.rend(); ++it) out.push_back(I2("pop", *it));
  out.push_back(I2("out", "SREG,r2"));
  out.push_back("\t\treti");
  EXPECT_TRUE(Has(c, out));
  EXPECT_EQ(c.asm_text.find(I1("adiw", "yl,1")), std::string::npos) << "Y comes back from the stack";
  // The illegal operand gives level 0; the empty body changes nothing and never works on
  // Y: the handler keeps SREG alone.
  EXPECT_TRUE(Has(c, {"IntN2:", I2("in", "r2,SREG"), I2("out", "SREG,r2"), "\t\treti"}));
  // The count of handlers running, which the start-up code clears.
  EXPECT_NE(c.asm_text.find("_IsDp:"), std::string::npos);
  EXPECT_TRUE(Has(c, {I2("clr", "zl"), I2("sts", "_IsDp,zl")}));
}

// A float result wanted as an integer is converted; a string where a number is expected
// (or the reverse) would push the wrong bytes and is reported.
TEST(ProcLines, FloatResultWantedAsIntegerAndArgumentsOfTheWrongKind) {
  auto c = test::CompileBasic(Head() + R"(
Dim W As Word, T As String * 5
Declare Function Ff(a As Byte) As Float
Declare Sub Ss(s As String * 5, b As Byte)
W = Ff(1)
Ss(3, T)
End
Function Ff(a As Byte) As Float
  Return a
End Function
Sub Ss(s As String * 5, b As Byte)
End Sub
)");
  EXPECT_TRUE(Has(c, {I1("rcall", "ff"), I1("rcall", "_Fxsf"), I2("mov", "zl,r22"), I2("mov", "zh,r23"),
                      I1("adiw", "yl,1")}));
  EXPECT_NE(c.report.find("Wrong argument type for s"), std::string::npos) << c.report;
  EXPECT_NE(c.report.find("Wrong argument type for b"), std::string::npos) << c.report;
}

// A definition line cut short reports what is missing and goes on with the next line.
TEST(ProcLines, DefinitionLineWithoutItsList) {
  auto c = test::CompileBasic(Head() + R"(
Dim A As Byte, B As Byte, C As Byte, D As Byte, E As Byte, F As Byte
Declare Sub S(a As Byte)
A = B + C + D + E + F
End
Sub S
  A = 1
End Sub
)");
  EXPECT_EQ(c.error_count, 1) << c.report;
  EXPECT_NE(c.report.find("Missing \")\""), std::string::npos) << c.report;
  EXPECT_TRUE(Has(c, {"s:", I2("ldi", "zl,byte1(1)")})) << c.asm_text;
}

TEST(ProcLines, HandlerForNoVectorOfTheDevice) {
  auto c = test::CompileBasic(Head() + "End\nInterrupt Foo()\nEnd Interrupt\n");
  EXPECT_NE(c.report.find("Unsupported Interrupt type!"), std::string::npos) << c.report;
}

// The frame-variable emitters, from a state filled by hand: a byte local with FrameOffset
// 2 in a procedure whose FrameSize is 6.
struct FrameFixture : test::CompilerFixture {
  FrameFixture() {
    st.sym.Procs[0].Name = "s";
    st.sym.Procs[0].FrameSize = 6;
    st.sym.CurrentSubName = "s";
    st.sym.CurrentSubIndex = 0;
    Add("b", kTypeByte, 2);
    Add("i", kTypeInteger, 4);
    Add("l", kTypeLong, 6);
  }
  void Add(const std::string& name, std::uint8_t type, std::uint8_t offset) {
    LocalVarRecord& v = st.sym.LocalVars[++st.sym.LocalVarCount];
    v.OwnerProc = "s";
    v.Name = name;
    v.VarType = type;
    v.FrameOffset = offset;
  }
  std::string Load(int index, std::uint8_t wanted, bool skip = false, int argBytes = 0) {
    st.out.Clear();
    st.sticky.SkipOperandPush = skip;
    st.expr.ArgStackOffset = argBytes;
    EmitLoadFrameVar(st, index + 1, wanted);
    return st.out.Str();
  }
};

TEST(FrameVars, DisplacementCountsTheArgumentsBeingPushedForReadsOnly) {
  FrameFixture f;
  EXPECT_EQ(f.Load(1, kTypeByte), Lines({I2("ldd", "zl,y+4")}));
  EXPECT_EQ(f.Load(1, kTypeByte, false, 3), Lines({I2("ldd", "zl,y+7")}));
  f.st.out.Clear();
  f.st.sticky.OperandType = kTypeByte;
  f.st.expr.ArgStackOffset = 3;
  EmitStoreFrameVar(f.st, "b", "zl", kTypeByte);
  EXPECT_EQ(f.st.out.Str(), Lines({I2("std", "y+4,zl")}));
}

TEST(FrameVars, WideningKeepsTheSignOfIntegers) {
  FrameFixture f;
  EXPECT_EQ(f.Load(2, kTypeLong),
            Lines({I2("ldd", "zl,y+2"), I2("ldd", "zh,y+3"), I2("clr", "r18"), I1("sbrc", "zh,7"), I2("com", "r18"),
                   I2("mov", "r19,r18")}));
  EXPECT_EQ(f.Load(1, kTypeWord, true), Lines({I2("ldd", "r24,y+4"), I2("clr", "r25")}));
  const std::string toFloat = f.Load(2, kTypeFloat);
  EXPECT_NE(toFloat.find(Lines({I2("ldd", "r22,y+2"), I2("ldd", "r23,y+3"), I1("sbrc", "r23,0x07")})),
            std::string::npos)
      << toFloat;
  EXPECT_NE(toFloat.find(Lines({I2("ldi", "r24,0xff"), I2("ldi", "r25,0xff")})), std::string::npos) << toFloat;
}

// A long read as a float is converted, not taken as the float's bit pattern.
TEST(FrameVars, LongReadAsFloatIsConverted) {
  FrameFixture f;
  EXPECT_EQ(f.Load(3, kTypeFloat), Lines({I2("ldd", "r22,y+0"), I2("ldd", "r23,y+1"), I2("ldd", "r24,y+2"),
                                          I2("ldd", "r25,y+3"), I1("rcall", "_Fs2f")}));
  // As the second operand of a float operator it ends in r18..r21.
  EXPECT_NE(f.Load(3, kTypeFloat, true).find(Lines({I1("rcall", "_Fs2f"), I1("rcall", "_Fba")})), std::string::npos);
}

// Bit n of a frame variable is bit n mod 8 of its byte n / 8, wanted as a number 0 or 1
// in the working or the second-operand registers; a float has no such bits.
TEST(FrameVars, BitsOfEveryNumberVariable) {
  struct Case {
    int index;  // 2: byte b at y+4, 3: integer i at y+2, 4: long l at y+0
    const char* bit;
    std::uint8_t wanted;
    bool skip;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {2, "3", kTypeByte, false, {I2("ldd", "zl,y+4"), I2("bst", "zl,3"), I2("clr", "zl"), I2("bld", "zl,0")}},
      {3, "12", kTypeByte, true, {I2("ldd", "r24,y+3"), I2("bst", "r24,4"), I2("clr", "r24"), I2("bld", "r24,0")}},
      {4, "31", kTypeInteger, false,
       {I2("ldd", "zl,y+3"), I2("bst", "zl,7"), I2("clr", "zl"), I2("bld", "zl,0"), I2("clr", "zh")}},
      {4, "16", kTypeLong, true,
       {I2("ldd", "r24,y+2"), I2("bst", "r24,0"), I2("clr", "r24"), I2("bld", "r24,0"), I2("clr", "r25"),
        I2("clr", "r16"), I2("clr", "r17")}},
  };
  for (const Case& c : cases) {
    FrameFixture f;
    f.st.out.Clear();
    f.st.sticky.SkipOperandPush = c.skip;
    EmitLoadFrameVarBit(f.st, c.index, c.bit, c.wanted);
    EXPECT_EQ(f.st.out.Str(), Lines(c.lines)) << c.index << "." << c.bit;
    EXPECT_EQ(f.st.ErrorCount, 0) << f.report.Text();
  }
  FrameFixture f;
  EmitLoadFrameVarBit(f.st, 3, "16", kTypeByte);
  EXPECT_NE(f.report.Text().find("From 0 to 7!"), std::string::npos);
  f.Add("f", kTypeFloat, 1);
  f.st.out.Clear();
  EmitLoadFrameVarBit(f.st, 5, "3", kTypeByte);
  EXPECT_EQ(f.st.out.Str(), "");
  EXPECT_NE(f.report.Text().find("Must by Byte!"), std::string::npos);
  f.st.out.Clear();
  EmitStoreFrameVarBit(f.st, "b", "5");
  EXPECT_EQ(f.st.out.Str(), Lines({I2("ldd", "zl,y+4"), I2("bld", "zl,5"), I2("std", "y+4,zl")}));
}

TEST(FrameVars, ReadBeyondTheReachOfYIsReported) {
  FrameFixture f;
  f.st.sym.Procs[0].FrameSize = 66;
  f.Load(1, kTypeByte);
  EXPECT_EQ(f.st.ErrorCount, 1);
  EXPECT_NE(f.report.Text().find("out of reach of Y"), std::string::npos) << f.report.Text();
}

}  // namespace
}  // namespace qbc
