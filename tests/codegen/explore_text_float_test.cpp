// Small programs as a user writes them, mixing strings, floats, flash tables and
// metastatements, compiled, assembled and run on the simulator; every variable the program
// sets is compared with the value computed on the host.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/test_dirs.h"

namespace qbc::test {
namespace {

// One expected variable: its kind and the value a user expects.
struct Want {
  enum Kind { Byte, Word, Int, Long, Float, Text } kind;
  std::string name;
  int offset = 0;
  std::int64_t number = 0;
  float real = 0;
  std::string text;
};
Want B(const std::string& n, std::int64_t v, int off = 0) { return {Want::Byte, n, off, v, 0, ""}; }
Want W(const std::string& n, std::int64_t v, int off = 0) { return {Want::Word, n, off, v, 0, ""}; }
Want I(const std::string& n, std::int64_t v, int off = 0) { return {Want::Int, n, off, v, 0, ""}; }
Want L(const std::string& n, std::int64_t v, int off = 0) { return {Want::Long, n, off, v, 0, ""}; }
Want F(const std::string& n, float v, int off = 0) { return {Want::Float, n, off, 0, v, ""}; }
Want S(const std::string& n, const std::string& v, int off = 0) { return {Want::Text, n, off, 0, 0, v}; }

struct Program {
  std::string title;
  std::string device;  // $device names (m8, m88, m128), several separated by blanks
  std::string body;    // everything after the head
  std::vector<Want> want;
  // Files written beside the program first (name, text); "@DIR@" in the body and in the
  // texts stands for their folder.
  std::vector<std::pair<std::string, std::string>> files = {};
};
void PrintTo(const Program& p, std::ostream* os) { *os << p.title << " on " << p.device; }

std::string McuOf(const std::string& dev) { return "atmega" + dev.substr(1); }

float AsFloat(std::uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

std::string TextAt(const BasicRun& run, const std::string& name, int offset) {
  std::string s;
  for (int k = 0; k < 255; ++k) {
    const char c = static_cast<char>(run.Byte(name, offset + k));
    if (c == 0) break;
    s += c;
  }
  return s;
}

// A name "@0x1a0" reads a fixed SRAM address instead of a variable.
std::uint8_t ByteAt(const BasicRun& run, const Want& w, int k) {
  if (w.name[0] == '@') return run.sim->Sram(static_cast<std::uint32_t>(std::stoul(w.name.substr(1), nullptr, 16)) + w.offset + k);
  return run.Byte(w.name, w.offset + k);
}

void Check(const BasicRun& run, const Want& w) {
  const std::string where = w.name + "+" + std::to_string(w.offset);
  if (w.name[0] == '@') {
    std::uint32_t v = 0;
    const int n = w.kind == Want::Byte ? 1 : (w.kind == Want::Word || w.kind == Want::Int) ? 2 : 4;
    for (int k = n - 1; k >= 0; --k) v = (v << 8) | ByteAt(run, w, k);
    if (w.kind == Want::Text) {
      std::string t;
      for (int k = 0; k < 255 && ByteAt(run, w, k) != 0; ++k) t += static_cast<char>(ByteAt(run, w, k));
      EXPECT_EQ(t, w.text) << where;
    } else if (w.kind == Want::Float) {
      EXPECT_EQ(AsFloat(v), w.real) << where;
    } else {
      EXPECT_EQ(v, static_cast<std::uint32_t>(w.number) & (n == 4 ? 0xFFFFFFFFu : (1u << (8 * n)) - 1)) << where;
    }
    return;
  }
  switch (w.kind) {
    case Want::Byte: EXPECT_EQ(run.Byte(w.name, w.offset), static_cast<std::uint8_t>(w.number)) << where; break;
    case Want::Word: EXPECT_EQ(run.Word(w.name, w.offset), static_cast<std::uint16_t>(w.number)) << where; break;
    case Want::Int: EXPECT_EQ(run.Integer(w.name, w.offset), static_cast<std::int16_t>(w.number)) << where; break;
    case Want::Long: EXPECT_EQ(run.Long(w.name, w.offset), static_cast<std::uint32_t>(w.number)) << where; break;
    case Want::Float: {
      const float got = AsFloat(run.FloatBits(w.name, w.offset));
      EXPECT_NEAR(got, w.real, std::fabs(w.real) * 2e-7f) << where;
      break;
    }
    case Want::Text: EXPECT_EQ(TextAt(run, w.name, w.offset), w.text) << where; break;
  }
}

class ExploreTextFloat : public ::testing::TestWithParam<Program> {};

TEST_P(ExploreTextFloat, EveryVariableHoldsTheHostValue) {
  const Program& p = GetParam();
  const std::string dir = MakeTempDir("explore_files");
  auto place = [&](std::string text) {
    for (std::size_t at; (at = text.find("@DIR@")) != std::string::npos;) text.replace(at, 5, dir);
    return text;
  };
  for (const auto& [name, text] : p.files) WriteFile(dir + "/" + name, place(text));
  const std::string src = "$device = " + p.device + "\n$clock = 8\n$stack = 56\n" + place(p.body);
  auto run = RunBasic(src, McuOf(p.device), 50'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (const Want& w : p.want) Check(*run, w);
}

// "name = 0, 1, 2, ..." (values k mod 1000) over lines of 20 values.
std::string WordList(const std::string& name, int count) {
  std::string t = name + " = ";
  for (int k = 0; k < count; ++k) {
    t += std::to_string(k % 1000);
    t += k + 1 == count ? "\n" : ((k + 1) % 20 == 0 ? ",\n" : ", ");
  }
  return t;
}

const std::vector<Program> kPrograms = {
    {"StringBuilding", "m8 m88 m128",
     "Dim S As String * 30, T As String * 10, N As Byte, W As Word, I As Integer, L As Long\n"
     "N = 7 : W = 1234 : I = -56 : L = -100000\n"
     "T = \"ab\"\n"
     "S = T + \"-\" + Str(N) + \",\" + Str(W) + \",\" + Str(I) + \",\" + Str(L) + Chr(33)\n"
     "End\n",
     {S("s", "ab-7,1234,-56,-100000!"), S("t", "ab")}},
    {"StringFunctionsInConditions", "m8 m88 m128",
     "Dim S As String * 20, T As String * 10, R As Byte, C As Byte, P As Byte\n"
     "S = \"hello world\"\n"
     "If Left(S, 5) = \"hello\" Then R = 1\n"
     "If Instr(S, \"wor\") = 7 Then R = R + 2\n"
     "If Len(S) > 10 Then R = R + 4\n"
     "If Mid(S, 7, 5) = \"world\" Then R = R + 8\n"
     "If Right(S, 3) <> \"xyz\" Then R = R + 16\n"
     "If S > \"hello\" Then R = R + 32\n"
     "T = Mid(S, 3, 3)\n"
     "C = Val(\"42\") + Len(T)\n"
     "P = Instr(S, \"o\") * 10 + Instr(6, S, \"o\")\n"
     "End\n",
     {B("r", 63), S("t", "llo"), B("c", 45), B("p", 58)}},
    {"StringArrayJoin", "m8 m88 m128",
     "Dim Nm(3) As String * 8, I As Byte, Al As String * 40, K As Byte\n"
     "Nm(0) = \"zero\" : Nm(1) = \"one\" : Nm(2) = \"two\"\n"
     "Al = \"\"\n"
     "For I = 0 To 2\n  Al = Al + Nm(I) + \";\"\nNext\n"
     "Nm(1) = Nm(1) + \"!\" + Str(I)\n"
     "K = Len(Nm(2))\n"
     "End\n",
     {S("al", "zero;one;two;"), S("nm", "zero", 0), S("nm", "one!3", 9), S("nm", "two", 18), B("k", 3)}},
    {"FloatIntegerMix", "m8 m88 m128",
     "Dim F As Float, G As Float, H As Float, I As Integer, L As Long, B As Byte, W As Word, K As Float, M As Integer\n"
     "I = -7\n"
     "F = I\n"
     "G = F / 2\n"
     "H = G * G + 0.25\n"
     "L = H\n"
     "B = H * 2\n"
     "W = 40000\n"
     "K = W\n"
     "M = G\n"
     "End\n",
     {F("f", -7.0f), F("g", -3.5f), F("h", 12.5f), L("l", 12), B("b", 25), F("k", 40000.0f), I("m", -3)}},
    {"FloatComparisons", "m8 m88 m128",
     "Dim F As Float, G As Float, R As Word, I As Integer\n"
     "F = 2.5 : G = -1.25 : I = 3\n"
     "If F > G Then R = 1\n"
     "If F = 2.5 Then R = R + 2\n"
     "If G < 0 Then R = R + 4\n"
     "If F < I Then R = R + 8\n"
     "If F >= 2.5 And G <= -1.25 Then R = R + 16\n"
     "If F <> G Then R = R + 32\n"
     "If G > F Then R = R + 1024\n"
     "While F < 10\n  F = F * 2\nWend\n"
     "End\n",
     {W("r", 63), F("f", 10.0f)}},
    {"FloatArraysAndLoops", "m8 m88 m128",
     "Dim Fa(5) As Float, I As Byte, Sm As Float, Mx As Float\n"
     "For I = 0 To 4\n  Fa(I) = I * 1.5\nNext\n"
     "Sm = 0\nMx = -1000\n"
     "For I = 0 To 4\n  Sm = Sm + Fa(I)\n  If Fa(I) > Mx Then Mx = Fa(I)\nNext\n"
     "End\n",
     {F("fa", 0.0f, 0), F("fa", 1.5f, 4), F("fa", 3.0f, 8), F("fa", 4.5f, 12), F("fa", 6.0f, 16), F("sm", 15.0f),
      F("mx", 6.0f)}},
    {"FloatFlashTable", "m8 m88 m128",
     "Dim Tf(4) As Flash Float, I As Byte, F As Float, G As Float, Sm As Float\n"
     "I = 2\nF = Tf(I) * 2\nG = Tf(0) + Tf(3)\n"
     "Sm = 0\nFor I = 0 To 3\n  Sm = Sm + Tf(I)\nNext\n"
     "End\n"
     "Tf = 1.25, -2.5, 3.75, 100.0\n",
     {F("f", 7.5f), F("g", 101.25f), F("sm", 102.5f)}},
    {"FloatFunctionResultsAndParameters", "m8 m88 m128",
     "Declare Function Avg(a As Float, b As Float) As Float\n"
     "Declare Function Scale(v As Integer, k As Float) As Float\n"
     "Dim F As Float, G As Float, H As Float, X As Float\n"
     "X = 4.0\n"
     "F = Avg(1.0, X)\n"
     "G = Scale(-3, 0.5) + Avg(F, F)\n"
     "H = Avg(Scale(10, 0.25), 1.5)\n"
     "End\n"
     "Function Avg(a As Float, b As Float) As Float\n  Return (a + b) / 2\nEnd Function\n"
     "Function Scale(v As Integer, k As Float) As Float\n  Local t As Float\n  t = v\n  Return t * k\nEnd Function\n",
     {F("f", 2.5f), F("g", 1.0f), F("h", 2.0f)}},
    {"ConstExpressions", "m8 m88 m128",
     "Const K = 3 * 4 + 1\nConst Base = &H10\nConst Twice = K * 2\nConst Msg = \"hi there\"\nConst Half = 7 / 2\n"
     "Dim A As Byte, W As Word, S As String * 12, F As Float, L As Long\n"
     "A = K\nW = Base + Twice\nS = Msg\nF = Half\nL = K * 1000\n"
     "End\n",
     {B("a", 13), W("w", 16 + 26), S("s", "hi there"), F("f", 3.5f), L("l", 13000)}},
    {"StringBoundsKeepNeighbours", "m8 m88 m128",
     "Dim A As Byte, S As String * 5, B As Byte, T As String * 3, C As Byte, Ar(2) As String * 4, D As Byte\n"
     "A = 11 : B = 22 : C = 33 : D = 44\n"
     "S = \"abcdefghij\"\n"
     "T = \"xy\" + \"zw\" + Str(12345)\n"
     "Ar(0) = \"pqrstuv\"\n"
     "Ar(1) = \"12\" + \"345\" + \"678\"\n"
     "End\n",
     {B("a", 11), S("s", "abcde"), B("b", 22), S("t", "xyz"), B("c", 33), S("ar", "pqrs", 0), S("ar", "1234", 5), B("d", 44)}},
    {"StringBoundsSubstringsAndVariables", "m8 m88 m128",
     "Dim A As Byte, S As String * 4, B As Byte, T As String * 12, U As String * 12, C As Byte\n"
     "A = 11 : B = 22 : C = 33\n"
     "T = \"0123456789\"\n"
     "S = Left(T, 8)\n"
     "U = T + T\n"
     "T = Mid(U, 2, 2) + Right(U, 9) + Chr(65) + Chr(66)\n"
     "End\n",
     {B("a", 11), S("s", "0123"), B("b", 22), S("u", "012345678901"), S("t", "12345678901A"), B("c", 33)}},
    {"DefAliasesForPortsAndBits", "m8 m88 m128",
     "$def Led = PORTB.1\n$def Ctl = PORTD\n"
     "Dim A As Byte, B As Byte, C As Byte, D As Byte\n"
     "DDRB = 255\n"
     "Led = 1\n"
     "Ctl = &H5A\n"
     "A = PORTB\n"
     "B = Ctl + 1\n"
     "If Led = 1 Then A = A + 100\n"
     "Toggle Led\n"
     "C = PORTB\n"
     "D = Led\n"
     "End\n",
     {B("a", 102), B("b", 0x5B), B("c", 0), B("d", 0)}},
    {"DimAtFixedAddresses", "m8 m88 m128",
     "Dim A As Byte At &H200, W As Word At &H202, Ov As Byte At &H202, S As String * 5 At &H210, F As Float At &H220\n"
     "Dim N As Byte\n"
     "W = &H1234\n"
     "A = Ov + 1\n"
     "S = \"abc\"\n"
     "F = 1.5\n"
     "N = Peek(&H203)\n"
     "End\n",
     {B("@200", 0x35), W("@202", 0x1234), S("@210", "abc"), F("@220", 1.5f), B("n", 0x12)}},
    {"IncludedSubsAndFunctions", "m8 m88 m128",
     "Declare Sub AddTo(v As Byte)\n"
     "Declare Function Twice(x As Word) As Word\n"
     "Declare Function Tag(x As Byte) As Byte\n"
     "Dim Total As Word, R As Word, T As String * 16, Q As Byte\n"
     "Total = 0\nAddTo(5) : AddTo(7)\n"
     "R = Twice(Total)\n"
     "$include \"@DIR@/inline.bas\"\n"
     "Q = Tag(3)\n"
     "End\n"
     "$include \"@DIR@/mathlib.bas\"\n",
     {W("total", 12), W("r", 24), S("t", "from include"), B("q", 33)},
     {{"mathlib.bas",
       "Sub AddTo(v As Byte)\n  Total = Total + v\nEnd Sub\n"
       "Function Twice(x As Word) As Word\n  Return x * 2\nEnd Function\n"
       "$include \"@DIR@/nested.bas\"\n"},
      {"nested.bas", "Function Tag(x As Byte) As Byte\n  Return x * 11\nEnd Function\n"},
      {"inline.bas", "T = \"from \" + \"include\"\r\n"}}},
    {"AsmBlockReadsAndWritesVariables", "m8 m88 m128",
     "Dim A As Byte, B As Byte, W As Word\n"
     "A = 5\n"
     "$asm\n"
     "  lds r16, a\n"
     "  inc r16\n"
     "  sts b, r16\n"
     "$end asm\n"
     "W = B * 100\n"
     "End\n",
     {B("b", 6), W("w", 600)}},
    {"FlashStringTable", "m8 m88 m128",
     "Dim Msg(3) As Flash String, I As Byte, S As String * 20, T As String * 10, Al As String * 30\n"
     "I = 1\n"
     "S = Msg(I)\n"
     "T = Msg(2)\n"
     "Al = \"\"\n"
     "For I = 0 To 2\n  Al = Al + Msg(I) + \"/\"\nNext\n"
     "End\n"
     "Msg = \"one\", \"two\", \"three\"\n",
     {S("s", "two"), S("t", "three"), S("al", "one/two/three/")}},
    {"LongAndIntegerFlashTablesWithNegatives", "m8 m88 m128",
     "Dim Ti(4) As Flash Integer, Tl(3) As Flash Long, Tb(4) As Flash Byte, I As Byte\n"
     "Dim A As Integer, B As Integer, C As Long, D As Long, E As Byte, F As Word\n"
     "I = 1\n"
     "A = Ti(I) : B = Ti(3) + Ti(0)\n"
     "C = Tl(0) : D = Tl(2)\n"
     "E = Tb(3) : F = Find8(200, Tb)\n"
     "End\n"
     "Ti = -1, -300, 32767, -32768\n"
     "Tl = -2, 70000, -100000\n"
     "Tb = 1, &HFF, 200, -1\n",
     {I("a", -300), I("b", -32769 + 0), L("c", -2), L("d", -100000), B("e", 255), W("f", 3)}},
    {"IntegerFunctionResultsInFloatExpressions", "m8 m88 m128",
     "Declare Function Neg(v As Integer) As Integer\n"
     "Declare Function NegL(v As Long) As Long\n"
     "Declare Function Small(v As Byte) As Byte\n"
     "Dim F As Float, G As Float, H As Float, K As Float\n"
     "F = Neg(3) * 1.5\n"
     "G = NegL(100000)\n"
     "H = Neg(5)\n"
     "K = Small(200) + 0.5\n"
     "End\n"
     "Function Neg(v As Integer) As Integer\n  Return 0 - v\nEnd Function\n"
     "Function NegL(v As Long) As Long\n  Return 0 - v\nEnd Function\n"
     "Function Small(v As Byte) As Byte\n  Return v + 10\nEnd Function\n",
     {F("f", -4.5f), F("g", -100000.0f), F("h", -5.0f), F("k", 210.5f)}},
    {"FloatToLongAndBack", "m8 m88 m128",
     "Dim F As Float, G As Float, L As Long, M As Long, N As Long, W As Word, B As Byte, I As Integer, K As Float\n"
     "F = 123456.7\n"
     "L = F\n"
     "G = -2.75\n"
     "M = G\n"
     "I = G * 10\n"
     "N = 16777217\n"
     "K = N\n"
     "W = 65000.9\n"
     "B = 3.99\n"
     "End\n",
     {L("l", 123456), L("m", -2), I("i", -27), F("k", 16777216.0f), W("w", 65000), B("b", 3)}},
    {"StringComparisonsAndSelectCase", "m8 m88 m128",
     "Dim A As String * 10, B As String * 10, C As Byte, D As Byte, Ar(2) As String * 5, E As Byte\n"
     "A = \"apple\" : B = \"apricot\"\n"
     "If A < B Then C = 1\n"
     "If A = B Then C = C + 2\n"
     "If A <> B Then C = C + 4\n"
     "B = A\n"
     "If A = B Then C = C + 8\n"
     "Ar(0) = \"x\" : Ar(1) = \"apple\"\n"
     "If Ar(1) = A Then C = C + 16\n"
     "Select Case A\n  Case \"pear\" : D = 1\n  Case \"apple\" : D = 2\n  Case Else : D = 3\nEnd Select\n"
     "Select Case Ar(0)\n  Case \"x\" : E = 7\n  Case Else : E = 9\nEnd Select\n"
     "End\n",
     {B("c", 1 + 4 + 8 + 16), B("d", 2), B("e", 7)}},
    {"NestedCallsWithStringArguments", "m8 m88 m128",
     "Declare Function Ln(x As String * 10) As Byte\n"
     "Declare Sub Keep(x As String * 10, n As Byte)\n"
     "Declare Function Both(x As String * 10, y As String * 10) As Byte\n"
     "Dim R As String * 20, N As Byte, M As Byte, T As String * 10\n"
     "T = \"tee\"\n"
     "Keep(\"first\", Ln(\"abc\"))\n"
     "M = Both(\"ab\", T) * 10 + Both(\"xyzw\", \"q\")\n"
     "End\n"
     "Function Ln(x As String * 10) As Byte\n  Return Len(x)\nEnd Function\n"
     "Sub Keep(x As String * 10, n As Byte)\n  R = x + \":\" + Str(n)\nEnd Sub\n"
     "Function Both(x As String * 10, y As String * 10) As Byte\n  Return Len(x) + Len(y)\nEnd Function\n",
     {S("r", "first:3"), B("m", 55)}},
    // A float literal in an integer expression makes it a Float expression, on either side
    // of an operator: its result is cut to the target as a Float variable's would be.
    {"FloatLiteralsInIntegerExpressions", "m8 m88 m128",
     "Dim W1 As Word, W2 As Word, W3 As Word, W4 As Word, W5 As Word, W6 As Word, I1 As Integer, I2 As Integer\n"
     "Dim L1 As Long, L2 As Long, X As Word, F As Float, B1 As Byte, B2 As Byte, B3 As Byte, N As Integer\n"
     "X = 10 : F = 7.5 : N = -4\n"
     "W1 = 65000.9\n"
     "W2 = 2.5 * X\n"
     "W3 = X + 2.5\n"
     "W4 = X * 2.5 + 1\n"
     "W5 = F + 1\n"
     "W6 = 1 + F * 1\n"
     "I1 = -300.7\n"
     "I2 = N * 3.9 - 1.5\n"
     "L1 = 70000.2\n"
     "L2 = X + 100000.5\n"
     "B1 = X + 2.5\n"
     "B2 = 2.5 + X\n"
     "B3 = 200.9\n"
     "End\n",
     {W("w1", 65000), W("w2", 25), W("w3", 12), W("w4", 26), W("w5", 8), W("w6", 8), I("i1", -300), I("i2", -17),
      L("l1", 70000), L("l2", 100010), B("b1", 12), B("b2", 12), B("b3", 200)}},
    // Float operands of every kind make an integer expression a Float one, whose result is
    // truncated to the target's type; a left operand waiting in registers survives the
    // conversion of the right one.
    {"FloatOperandsInIntegerExpressions", "m8 m88 m128",
     "Declare Function Fh() As Float\n"
     "Declare Sub Sb(p As Float)\n"
     "Dim W1 As Word, W2 As Word, W3 As Word, W4 As Word, W5 As Word, L1 As Long, B1 As Byte, X As Word\n"
     "Dim F As Float, Fa(2) As Float, Tf(2) As Flash Float, C1 As Byte, W6 As Word, I1 As Integer, G As Float\n"
     "X = 10 : F = 7.5 : Fa(1) = 2.5 : G = -3.5\n"
     "W1 = 1 + F\n"
     "W2 = X + Fa(1)\n"
     "W3 = X + Tf(1)\n"
     "W4 = X + Fh()\n"
     "L1 = X + F\n"
     "B1 = X + F\n"
     "W6 = Fh() * 2\n"
     "I1 = X * G\n"
     "C1 = 0\n"
     "If X > F Then C1 = 1\n"
     "If X < F Then C1 = C1 + 2\n"
     "If X = Fa(1) Then C1 = C1 + 4\n"
     "Sb(3.5)\n"
     "End\n"
     "Function Fh() As Float\n  Return 4.5\nEnd Function\n"
     "Sub Sb(p As Float)\n  W5 = X + p\nEnd Sub\n"
     "Tf = 1.5, 3.5\n",
     {W("w1", 8), W("w2", 12), W("w3", 13), W("w4", 14), L("l1", 17), B("b1", 17), W("w6", 9), I("i1", -35),
      B("c1", 1), W("w5", 13)}},
    {"IntegerElementsInFloatExpressions", "m8 m88 m128",
     "Dim Ai(3) As Integer, Ab(3) As Byte, Al(3) As Long, Tb(2) As Flash Byte, Ti(2) As Flash Integer, Tl(2) As Flash Long\n"
     "Dim F1 As Float, F2 As Float, F3 As Float, F4 As Float, F5 As Float, F6 As Float, I As Byte, F7 As Float\n"
     "Ai(1) = -6 : Ab(2) = 200 : Al(0) = 100000 : I = 1\n"
     "F1 = Ai(I) * 1.5\n"
     "F2 = Ab(2) + 0.5\n"
     "F3 = Al(0)\n"
     "F4 = Tb(1) + 0.25\n"
     "F5 = Ti(I) * 2.0\n"
     "F6 = Tl(1)\n"
     "F7 = 0.5 + Ai(1)\n"
     "End\n"
     "Tb = 3, 250\n"
     "Ti = 5, -7\n"
     "Tl = 1, 123456\n",
     {F("f1", -9.0f), F("f2", 200.5f), F("f3", 100000.0f), F("f4", 250.25f), F("f5", -14.0f), F("f6", 123456.0f),
      F("f7", -5.5f)}},
    // On the m128 three tables of 66 KB put the later tables and the string constants
    // above the first 64 KB of flash: reads, searches and string copies go through RAMPZ.
    {"ConstantsAbove64KB", "m128",
     "Dim B1(16000) As Flash Word, B2(16000) As Flash Word, B3(1000) As Flash Word\n"
     "Dim Tf(3) As Flash Float, Msg(3) As Flash String, Tw(4) As Flash Word\n"
     "Dim S As String * 30, T As String * 10, F As Float, W As Word, N As Byte, P As Byte, I As Byte, V As Word\n"
     "I = 2\n"
     "S = \"far \" + \"away\"\n"
     "T = Msg(I)\n"
     "F = Tf(1) * 2\n"
     "W = Find16(700, Tw)\n"
     "N = Len(\"twelve chars\")\n"
     "P = Instr(S, \"away\")\n"
     "V = B3(999) + B1(1)\n"
     "If T = \"three\" Then N = N + 100\n"
     "End\n"
     "Msg = \"one\", \"two\", \"three\"\n"
     "Tf = 1.5, -2.25, 8.0\n"
     "Tw = 100, 300, 700, 900\n" +
         WordList("B1", 16000) + WordList("B2", 16000) + WordList("B3", 1000),
     {S("s", "far away"), S("t", "three"), F("f", -4.5f), W("w", 3), B("n", 112), B("p", 5), W("v", 999 + 1)}},
    {"TextAndNumbersIntoFloats", "m8 m88 m128",
     "Declare Function Half(v As Float) As Float\n"
     "Dim S As String * 20, F As Float, G As Float, H As Float, Fa(2) As Float, T As String * 40, K As Float\n"
     "S = \"123\"\n"
     "F = Val(S)\n"
     "G = Len(S) * 0.5\n"
     "Fa(1) = -0.5\n"
     "H = Val(\"40\") + Fa(1)\n"
     "T = Str(Fa(1)) + \"|\" + Str(Half(3.0))\n"
     "K = Half(Val(S))\n"
     "End\n"
     "Function Half(v As Float) As Float\n  Return v / 2\nEnd Function\n",
     {F("f", 123.0f), F("g", 1.5f), F("h", 39.5f), S("t", "-5.000000E-01| 1.500000E+00"), F("k", 61.5f)}},
    {"FloatLeftIntegerRight", "m8 m88 m128",
     "Declare Sub Sb(p As Integer)\n"
     "Dim F As Float, G As Float, H As Float, I As Integer, L As Long, B As Byte, C As Byte, K As Float, M As Float\n"
     "F = 2.5 : I = -3 : L = 100000 : B = 7\n"
     "G = F + I\n"
     "H = F * L\n"
     "K = F - B\n"
     "C = 0\n"
     "If F > I Then C = 1\n"
     "If F < B Then C = C + 2\n"
     "If F >= L Then C = C + 4\n"
     "Sb(4)\n"
     "End\n"
     "Sub Sb(p As Integer)\n  M = F / p\nEnd Sub\n",
     {F("g", -0.5f), F("h", 250000.0f), F("k", -4.5f), B("c", 3), F("m", 0.625f)}},
    {"FloatLoops", "m8 m88 m128",
     "Dim F As Float, N As Byte, G As Float, I As Byte\n"
     "N = 0 : G = 0\n"
     "Do\n  G = G + 0.75\n  Incr N\nLoop While G < 3\n"
     "F = 1\n"
     "For I = 1 To 10\n  F = F * 1.5\n  If F > 20 Then Exit For\nNext\n"
     "End\n",
     {B("n", 4), F("g", 3.0f), B("i", 8), F("f", 25.62890625f)}},
    {"NumberTextEdges", "m8 m88 m128",
     "Dim S1 As String * 12, S2 As String * 12, S3 As String * 12, S4 As String * 12, W As Word, I As Integer\n"
     "Dim L As Long, B As Byte, H1 As Word, H2 As Word, E As String * 4\n"
     "B = 0 : I = -32768 : L = -2147483648 : W = 65535\n"
     "S1 = Str(B)\nS2 = Str(I)\nS3 = Str(L)\nS4 = Str(W)\n"
     "H1 = HexVal(\"ff\")\nH2 = HexVal(\"7FfF\")\n"
     "E = Left(S4, 0)\n"
     "End\n",
     {S("s1", "0"), S("s2", "-32768"), S("s3", "-2147483648"), S("s4", "65535"), W("h1", 255), W("h2", 0x7FFF),
      S("e", "")}},
    {"SelfConcatenation", "m8 m88 m128",
     "Dim S As String * 12, T As String * 12\n"
     "S = \"ab\"\n"
     "S = S + \"cd\"\n"
     "T = \"12\"\n"
     "T = \"x\" + T\n"
     "End\n",
     {S("s", "abcd"), S("t", "x12")}},
    {"ConstantsInDeclarationsAndExpressions", "m8 m88 m128",
     "Const N = 4, Ln = 6, Pi = 3.14159, Neg = -12, Mask = &HF0, Greet = \"hey\", Bitno = 2\n"
     "$def Lamp = PORTB.Bitno\n"
     "Dim A(N) As Word, S As String * Ln, F As Float, I As Byte, C As Byte, J As Integer, M As Byte, R As Byte\n"
     "For I = 0 To N - 1\n  A(I) = I * N\nNext\n"
     "S = Greet + \"!\" + Greet\n"
     "F = Pi * 2\n"
     "J = Neg * 3\n"
     "M = &HFF And Mask\n"
     "If M = Mask Then C = 1\n"
     "DDRB = 255 : PORTB = 0\n"
     "Lamp = 1\n"
     "R = PORTB\n"
     "Dim Late As Word\n"
     "Late = A(3) + 1\n"
     "End\n",
     {W("a", 0, 0), W("a", 4, 2), W("a", 12, 6), S("s", "hey!he"), F("f", 6.28318f), I("j", -36), B("m", 0xF0),
      B("c", 1), B("r", 4), W("late", 13)}},
    {"XramVariables", "m128",
     "Dim A As Byte, Xb As Xram Byte, Xw(4) As Xram Word, Xs As Xram String * 10, Xf As Xram Float, I As Byte\n"
     "Dim F As Float, T As String * 10, W As Word\n"
     "Xb = 9\n"
     "For I = 0 To 3\n  Xw(I) = I * 1000\nNext\n"
     "Xs = \"ext\" + Str(Xb)\n"
     "Xf = 2.5\n"
     "F = Xf * Xb\n"
     "T = Xs\n"
     "W = Xw(3) + Xb\n"
     "End\n",
     {F("f", 22.5f), S("t", "ext9"), W("w", 3009)}},
    {"StringsThroughProcedures", "m8 m88 m128",
     "Declare Sub Greet(n As String * 10, k As Byte)\n"
     "Declare Function Vowels(x As String * 20) As Byte\n"
     "Declare Function Avg3(a As Float, b As Float, c As Float) As Float\n"
     "Dim Out As String * 40, Nm As String * 10, V As Byte, F As Float, Cnt As Word\n"
     "Nm = \"Ada\"\n"
     "Greet(Nm, 2)\n"
     "V = Vowels(\"education\") + Vowels(Nm)\n"
     "F = Avg3(1, 2.5, Vowels(\"aeiou\"))\n"
     "Cnt = 0\n"
     "End\n"
     "Sub Greet(n As String * 10, k As Byte)\n"
     "  Local t As String * 12, i As Byte\n"
     "  t = \"\"\n"
     "  For i = 1 To k\n    t = t + n\n  Next\n"
     "  n = \"changed\"\n"
     "  Out = \"Hi \" + t + \" (\" + Str(Len(t)) + \")\" + n\n"
     "End Sub\n"
     "Function Vowels(x As String * 20) As Byte\n"
     "  Local i As Byte, c As Byte, ch As String * 1, vw As String * 5\n"
     "  c = 0 : vw = \"aeiou\"\n"
     "  For i = 1 To Len(x)\n"
     "    ch = Mid(x, i, 1)\n"
     "    If Instr(vw, ch) > 0 Then Incr c\n"
     "  Next\n"
     "  Return c\n"
     "End Function\n"
     "Function Avg3(a As Float, b As Float, c As Float) As Float\n"
     "  Return (a + b + c) / 3\n"
     "End Function\n",
     {S("out", "Hi AdaAda (6)changed"), S("nm", "Ada"), B("v", 5 + 1), F("f", 8.5f / 3.0f)}},
    {"FloatArgumentsAndElementArithmetic", "m8 m88 m128",
     "Declare Sub Sb(p As Byte, q As Float)\n"
     "Declare Sub Si(p As Integer)\n"
     "Dim Fa(4) As Float, I As Byte, G As Float, Bp As Byte, Fq As Float, Ip As Integer, C As Byte\n"
     "G = 0.5 : Fa(0) = 1.25\n"
     "For I = 0 To 2\n  Fa(I + 1) = Fa(I) * 2 + G\nNext\n"
     "Sb(2.7, -2.5)\n"
     "Si(Fa(2))\n"
     "C = 0\n"
     "If 1.5 < Fa(0) Then C = 1\n"
     "If -3 < G Then C = C + 2\n"
     "End\n"
     "Sub Sb(p As Byte, q As Float)\n  Bp = p\n  Fq = q * p\nEnd Sub\n"
     "Sub Si(p As Integer)\n  Ip = p\nEnd Sub\n",
     {F("fa", 1.25f, 0), F("fa", 3.0f, 4), F("fa", 6.5f, 8), F("fa", 13.5f, 12), B("bp", 2), F("fq", -5.0f),
      I("ip", 6), B("c", 2)}},
    {"LongTablesAndWideIndexes", "m8 m88 m128",
     "Declare Function Pick(k As Word) As Byte\n"
     "Dim Tb(300) As Flash Byte, Ti(3) As Flash Integer, K As Word, B1 As Byte, B2 As Byte, W As Word, I1 As Integer, P As Byte\n"
     "K = 299\n"
     "B1 = Tb(K)\n"
     "B2 = Tb(256)\n"
     "W = Find8(44, Tb)\n"
     "I1 = Ti(2) * 2\n"
     "P = Pick(298)\n"
     "End\n"
     "Function Pick(k As Word) As Byte\n  Return Tb(k) + 1\nEnd Function\n"
     + [] {
         std::string t = "Tb = ";
         for (int k = 0; k < 300; ++k) {
           t += std::to_string((k * 7) % 256);
           t += k + 1 == 300 ? "\n" : ((k + 1) % 20 == 0 ? ",\n" : ", ");
         }
         return t;
       }() +
         "Ti = 1, -2, -30000\n",
     {B("b1", (299 * 7) % 256), B("b2", (256 * 7) % 256), W("w", 116 + 1), I("i1", 5536), B("p", (298 * 7) % 256 + 1)}},
    {"ExpressionsInsideStringFunctions", "m8 m88 m128",
     "Declare Sub Put(k As Byte, v As Word)\n"
     "Dim S As String * 30, T As String * 10, U As String * 10, W As Word, I As Integer, J As Byte, C As Byte\n"
     "Dim Ar(3) As String * 8, N As Word, M As Byte, F As Float\n"
     "W = 41 : I = -7 : J = 2 : F = 1.25\n"
     "S = Str(W + 1) + \"x\" + Str(I * -2) + Chr(64 + J) + Chr(J + 95)\n"
     "T = \"abcd\" : U = \"xxcd\"\n"
     "If Right(T, 2) = Right(U, 2) Then C = 1\n"
     "If Left(T, 2) <> Left(U, 2) Then C = C + 2\n"
     "Put(0, 7)\n"
     "Put(J - 1, 512)\n"
     "N = Val(Ar(J - 1)) + Val(Ar(0))\n"
     "M = Len(Ar(1)) + Len(Ar(J))\n"
     "End\n"
     "Sub Put(k As Byte, v As Word)\n  Ar(k) = Str(v)\n  Ar(k + 1) = \"\"\nEnd Sub\n",
     {S("s", "42x14Ba"), B("c", 3), W("n", 519), B("m", 3), S("ar", "7", 0), S("ar", "512", 9), S("ar", "", 18)}},
    {"FloatTermsAmongOtherTerms", "m8 m88 m128",
     "Dim F As Float, N As Byte, S As String * 40, Ar(2) As String * 20, A As Byte, B As Byte\n"
     "A = 11 : B = 22\n"
     "F = 0.5 : N = 3\n"
     "S = Str(F) + \"!\" + Str(N)\n"
     "Ar(1) = \"f\" + Str(F) + \"#\"\n"
     "Ar(0) = Str(F)\n"
     "End\n",
     {S("s", " 5.000000E-01!3"), S("ar", " 5.000000E-01", 0), S("ar", "f 5.000000E-01#", 21), B("a", 11), B("b", 22)}},
    // A call made inside a procedure places its string arguments after the procedure's own
    // string parameters, not over them.
    {"StringArgumentsOfNestedCalls", "m8 m88 m128",
     "Declare Sub Outer(n As Byte, x As String * 12, z As String * 6)\n"
     "Declare Sub Inner(y As String * 20)\n"
     "Declare Function Ln(y As String * 20) As Byte\n"
     "Dim R As String * 40, Q As String * 20, K As Byte\n"
     "Outer(3, \"hello\", \"zed\")\n"
     "End\n"
     "Sub Outer(n As Byte, x As String * 12, z As String * 6)\n"
     "  Local t As String * 8\n"
     "  t = \"loc\"\n"
     "  Inner(\"zzzzzzzzzzzzzzzz\")\n"
     "  K = Ln(\"abcdefghijklmnop\") + n\n"
     "  R = x + \"/\" + z + \"/\" + t + \"/\" + Str(n)\n"
     "End Sub\n"
     "Sub Inner(y As String * 20)\n  Q = y\nEnd Sub\n"
     "Function Ln(y As String * 20) As Byte\n  Return Len(y)\nEnd Function\n",
     {S("r", "hello/zed/loc/3"), S("q", "zzzzzzzzzzzzzzzz"), B("k", 19)}},
    {"FunctionsInConditionsAndLoops", "m8 m88 m128",
     "Declare Function Half(v As Float) As Float\n"
     "Declare Function Twice(v As Float) As Integer\n"
     "Dim F As Float, C As Byte, N As Byte, S As String * 12, I As Integer\n"
     "F = 5\n"
     "If Half(F) > 2 Then C = 1\n"
     "If Half(F) = 2.5 Then C = C + 2\n"
     "N = 0\n"
     "While Half(F) > 0.3\n  F = Half(F)\n  Incr N\nWend\n"
     "S = \"x\"\n"
     "While Len(S) < 5\n  S = S + \"y\"\nWend\n"
     "Do\n  S = Mid(S, 2, 10)\nLoop While Left(S, 1) <> \"y\"\n"
     "I = Twice(-2.5)\n"
     "End\n"
     "Function Half(v As Float) As Float\n  Return v / 2\nEnd Function\n"
     "Function Twice(v As Float) As Integer\n  Return v * 2\nEnd Function\n",
     {B("c", 3), B("n", 4), F("f", 0.3125f), S("s", "yyyy"), I("i", -5)}},
    {"MetastatementsInsideProcedures", "m8 m88 m128",
     "$def Outp = PORTC\n"
     "Declare Sub Work(v As Byte)\n"
     "Dim A As Byte, B As Byte, C As Byte, D As Byte\n"
     "DDRC = 255\n"
     "Work(5)\n"
     "End\n"
     "Sub Work(v As Byte)\n"
     "  A = v\n"
     "$asm\n"
     "  lds r16, a\n"
     "  lsl r16\n"
     "  sts b, r16\n"
     "$end asm\n"
     "$include \"@DIR@/body.bas\"\n"
     "  Outp = B + v\n"
     "  D = Outp\n"
     "End Sub\n",
     {B("a", 5), B("b", 10), B("c", 15), B("d", 15)},
     {{"body.bas", "  C = B + v\n"}}},
    {"LongStringsAndBigStringArrays", "m88 m128",
     "Dim Big As String * 254, Arr(5) As String * 100, I As Byte, N As Byte, Tail As Byte, Sm As String * 1, L As Long\n"
     "Tail = 77\n"
     "Big = \"\"\n"
     "For I = 1 To 30\n  Big = Big + \"0123456789\"\nNext\n"
     "N = Len(Big)\n"
     "For I = 0 To 4\n  Arr(I) = Left(Big, 90) + Str(I)\nNext\n"
     "L = -123456\n"
     "Sm = Str(L)\n"
     "Sm = Sm + \"x\"\n"
     "End\n",
     {B("n", 254), S("arr", std::string("012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789") + "4", 404),
      B("tail", 77), S("sm", "-")}},
    {"DataListsWithHexBinaryAndNegatives", "m8 m88 m128",
     "Dim Tb(4) As Flash Byte, Tw(4) As Flash Word, Tf(3) As Flash Float, I As Byte\n"
     "Dim B1 As Byte, B2 As Byte, W1 As Word, W2 As Word, F1 As Float, F2 As Float, F3 As Float\n"
     "I = 3\n"
     "B1 = Tb(1) : B2 = Tb(I)\n"
     "W1 = Tw(2) : W2 = Tw(I)\n"
     "F1 = Tf(0) : F2 = Tf(1) : F3 = Tf(2)\n"
     "End\n"
     "Tb = &HA5, &B101, -2, 255\n"
     "Tw = &H1234, -1, 40000, &B11\n"
     "Tf = -0.125, 1e3, 3\n",
     {B("b1", 5), B("b2", 255), W("w1", 40000), W("w2", 3), F("f1", -0.125f), F("f2", 1000.0f), F("f3", 3.0f)}},
    {"ScalarFlashString", "m8 m88 m128",
     "Dim Banner As Flash String, T As String * 20, N As Byte, P As Byte, U As String * 20\n"
     "T = Banner\n"
     "N = Len(Banner)\n"
     "U = \"say \" + Banner + \"!\"\n"
     "P = Instr(U, Banner)\n"
     "End\n"
     "Banner = \"hello\"\n",
     {S("t", "hello"), B("n", 5), S("u", "say hello!"), B("p", 5)}},
    // (A comparison is made in its left operand's type: I > F would compare -2 with -2.)
    {"FloatComparisonsOfNegativesAndMagnitudes", "m8 m88 m128",
     "Dim F As Float, G As Float, H As Float, R As Word, I As Integer, K As Float\n"
     "F = -2.5 : G = -0.001 : H = 1e20 : I = -2 : K = 1e-20\n"
     "R = 0\n"
     "If F < G Then R = 1\n"
     "If G > F Then R = R + 2\n"
     "If H > 1e19 Then R = R + 4\n"
     "If K > 0 Then R = R + 8\n"
     "If -K < 0 Then R = R + 16\n"
     "If F < I Then R = R + 32\n"
     "If F < -2.4 Then R = R + 64\n"
     "If G >= -0.001 Then R = R + 128\n"
     "If H < K Then R = R + 1024\n"
     "If F > 0 Then R = R + 2048\n"
     "End\n",
     {W("r", 255)}},
    {"FloatFunctionsAndLocalsBesideHeldOperands", "m8 m88 m128",
     "Declare Function Fh() As Float\n"
     "Declare Sub Sb(v As Byte, f As Float)\n"
     "Dim X As Word, W1 As Word, C As Byte, L As Long, W2 As Word, W3 As Word, L3 As Long\n"
     "X = 10\n"
     "W1 = X + Fh()\n"
     "C = 0\n"
     "If X < Fh() Then C = 1\n"
     "If X > Fh() Then C = C + 2\n"
     "Sb(3, 7.9)\n"
     "End\n"
     "Function Fh() As Float\n  Return 4.5\nEnd Function\n"
     "Sub Sb(v As Byte, f As Float)\n"
     "  Local g As Float\n"
     "  g = f\n"
     "  If v < g Then C = C + 4\n"
     "  L = v * g\n"
     "  W2 = v - g\n"
     "  W3 = f + g\n"
     "  L3 = g * f\n"
     "End Sub\n",
     {W("w1", 14), B("c", 2 + 4), L("l", 23), W("w2", static_cast<std::uint16_t>(3 - 7)), W("w3", 15), L("l3", 62)}},
    // A string kept in flash on the right of a comparison is read from flash (it was
    // compared as if it lay in SRAM).
    {"StringComparisonOperandsOfEveryKind", "m8 m88 m128",
     "Dim Banner As Flash String, Msg(2) As Flash String, T As String * 10, R As Word, I As Byte, Ar(2) As String * 6, S As String * 8\n"
     "T = \"hello\" : I = 1 : Ar(1) = \"bye\"\n"
     "R = 0\n"
     "If T = Banner Then R = 1\n"
     "If T > \"abc\" Then R = R + 2\n"
     "S = Msg(0)\n"
     "If T = S Then R = R + 4\n"
     "S = Msg(I)\n"
     "If S = Ar(1) Then R = R + 8\n"
     "If Ar(I) <> T Then R = R + 16\n"
     "If Mid(T, 2, 3) = \"ell\" Then R = R + 32\n"
     "End\n"
     "Banner = \"hello\"\n"
     "Msg = \"hello\", \"bye\"\n",
     {W("r", 63)}},
    {"SelectCaseOnStrings", "m8 m88 m128",
     "Dim Banner As Flash String, T As String * 10, D As Byte, E As Byte, N As Word, U As String * 10\n"
     "T = \"hello\" : N = 42\n"
     "Select Case T\n  Case \"bye\" : D = 1\n  Case Banner : D = 2\n  Case Else : D = 3\nEnd Select\n"
     "U = Str(N)\n"
     "Select Case U\n  Case \"41\" : E = 1\n  Case \"42\" : E = 2\nEnd Select\n"
     "End\n"
     "Banner = \"hello\"\n",
     {B("d", 2), B("e", 2)}},
    {"HeldLongAndByteAgainstFloats", "m8 m88 m128",
     "Dim L As Long, B As Byte, F As Float, G As Float, R As Byte, M As Long, I As Integer, J As Integer\n"
     "L = 100000 : B = 9 : F = 99999.5 : G = 9.75 : I = -5\n"
     "R = 0\n"
     "If L > F Then R = 1\n"
     "If B = G Then R = R + 2\n"
     "If L < G Then R = R + 4\n"
     "M = L - F\n"
     "J = I * G\n"
     "End\n",
     {B("r", 1), L("m", 0), I("j", -48)}},  // 9 = 9.75 does not hold
    {"StringArgumentsNestedInsideArgumentLists", "m8 m88 m128",
     "Declare Sub Outer(x As String * 10)\n"
     "Declare Sub Keep(a As String * 10, n As Byte, b As String * 10)\n"
     "Declare Function Ln(y As String * 10) As Byte\n"
     "Dim R As String * 40\n"
     "Outer(\"outer\")\n"
     "End\n"
     "Sub Outer(x As String * 10)\n  Keep(x, Ln(\"abc\"), \"tail\")\n  R = R + \"|\" + x\nEnd Sub\n"
     "Sub Keep(a As String * 10, n As Byte, b As String * 10)\n  R = a + Str(n) + b\nEnd Sub\n"
     "Function Ln(y As String * 10) As Byte\n  Return Len(y)\nEnd Function\n",
     {S("r", "outer3tail|outer")}},
    // Main code after a procedure body (here: the included library jumps over its bodies)
    // places string arguments at the start of the area, as the main program does.
    {"LibraryIncludedFirst", "m8 m88 m128",
     "Dim R As Word, S As String * 12, N As Byte\n"
     "$include \"@DIR@/lib.bas\"\n"
     "Main:\n"
     "R = 5\n"
     "Bump(3)\n"
     "N = Tag(\"x\")\n"
     "End\n",
     {W("r", 8), S("s", "<x>"), W("libv", 77), B("n", 4)},
     {{"lib.bas",
       "Declare Sub Bump(k As Byte)\n"
       "Declare Function Tag(t As String * 5) As Byte\n"
       "Dim LibV As Word\n"
       "LibV = 77\n"
       "Goto Main\n"
       "Sub Bump(k As Byte)\n  R = R + k\nEnd Sub\n"
       "Function Tag(t As String * 5) As Byte\n  S = \"<\" + t + \">\"\n  Return 4\nEnd Function\n"}}},
    // Named constants in a data list stand for their values (the list was written without
    // them and did not assemble).
    {"DataListsWithConstants", "m8 m88 m128",
     "Const K = 5, Big = 40000, Neg = -3, Half = 0.5, Far = 100000\n"
     "Dim Tb(2) As Flash Byte, Tw(3) As Flash Word, Tf(2) As Flash Float, Tl(2) As Flash Long, Ti(1) As Flash Integer\n"
     "Dim B1 As Byte, B2 As Byte, W1 As Word, W2 As Word, F1 As Float, F2 As Float, L1 As Long, L2 As Long, I1 As Integer\n"
     "B1 = Tb(0) : B2 = Tb(1)\n"
     "W1 = Tw(0) : W2 = Tw(2)\n"
     "F1 = Tf(0) : F2 = Tf(1)\n"
     "L1 = Tl(0) : L2 = Tl(1)\n"
     "I1 = Ti(0)\n"
     "End\n"
     "Tb = K, 7\n"
     "Tw = Big, 1, K\n"
     "Tf = Half, Neg\n"
     "Tl = Far, Neg\n"
     "Ti = Neg\n",
     {B("b1", 5), B("b2", 7), W("w1", 40000), W("w2", 5), F("f1", 0.5f), F("f2", -3.0f), L("l1", 100000), L("l2", -3),
      I("i1", -3)}},
    {"DimAtNamedConstantAndArrays", "m8 m88 m128",
     "Const Base = &H240, Cnt = 3\n"
     "Dim Ab(Cnt) As Byte At Base, Fa(2) As Float At &H250, I As Byte, Over As Long At Base\n"
     "For I = 0 To Cnt - 1\n  Ab(I) = I + 10\nNext\n"
     "Fa(1) = -1.5\n"
     "End\n",
     {B("@240", 10), B("@241", 11), B("@242", 12), W("over", 0x0B0A), B("over", 12, 2), F("@254", -1.5f)}},
    {"StrOfFloatParametersAndLocals", "m8 m88 m128",
     "Declare Sub Show(f As Float, n As Integer)\n"
     "Dim S As String * 40\n"
     "Show(0.25, -12)\n"
     "End\n"
     "Sub Show(f As Float, n As Integer)\n"
     "  Local g As Float, t As String * 20\n"
     "  g = f * n\n"
     "  t = Str(g)\n"
     "  S = \"v\" + Str(f) + \"/\" + t + \"/\" + Str(n)\n"
     "End Sub\n",
     {S("s", "v 2.500000E-01/-3.000000E+00/-12")}},
    {"FloatToTextAndBack", "m8 m88 m128",
     "Dim F As Float, S As String * 20, T As String * 20, W As Word\n"
     "F = 12.5\nS = \"F=\" + Str(F)\n"
     "W = 321\nT = Str(W) + \"/\" + Str(F)\n"
     "End\n",
     {S("s", "F= 1.250000E+01"), S("t", "321/ 1.250000E+01")}},
};

// A name in a data list that is no numeric constant is reported by the compiler, not left
// to the assembler as an empty element.
TEST(ExploreDataList, UnknownNameIsACompileError) {
  auto run = RunBasic("$device = m88\n$clock = 8\n$stack = 32\nDim Tb(2) As Flash Byte, B As Byte\nB = Tb(0)\nEnd\n"
                      "Tb = Nope, 7\n",
                      "atmega88");
  EXPECT_FALSE(run->ok);
  EXPECT_EQ(run->compiled.error_count, 1) << run->compiled.report;
  EXPECT_NE(run->compiled.report.find("Must be numeric constant"), std::string::npos) << run->compiled.report;
}

// One run of every program on each of its devices.
std::vector<Program> OnEachDevice(const std::vector<Program>& programs) {
  std::vector<Program> runs;
  for (const Program& p : programs) {
    std::size_t at = 0;
    while (at < p.device.size()) {
      std::size_t end = p.device.find(' ', at);
      if (end == std::string::npos) end = p.device.size();
      Program one = p;
      one.device = p.device.substr(at, end - at);
      runs.push_back(one);
      at = end + 1;
    }
  }
  return runs;
}

INSTANTIATE_TEST_SUITE_P(Programs, ExploreTextFloat, ::testing::ValuesIn(OnEachDevice(kPrograms)),
                         [](const auto& param) { return param.param.title + "_" + param.param.device; });

}  // namespace
}  // namespace qbc::test
