// Small user programs on numeric code, control flow and procedures, run on the simulator:
// every variable is compared with what the program's author expects (values worked out
// on the host).
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

enum class Kind { Byte, Integer, Word, Long };

struct Expect {
  std::string name;
  Kind kind;
  std::int64_t value;
  int index = 0;  // array element
};

struct Program {
  const char* title;
  const char* device;  // short form: m8, m88, m128
  const char* body;    // after the $device/$clock/$stack lines
  const char* procs;   // after End: the Subs, Functions and handlers
  std::vector<Expect> expected;
};

std::int64_t Read(const BasicRun& run, const Expect& e) {
  switch (e.kind) {
    case Kind::Byte: return run.Byte(e.name, e.index);
    case Kind::Integer: return run.Integer(e.name, 2 * e.index);
    case Kind::Word: return run.Word(e.name, 2 * e.index);
    case Kind::Long: return static_cast<std::int32_t>(run.Long(e.name, 4 * e.index));
  }
  return 0;
}

const std::vector<Program>& Programs() {
  static const std::vector<Program> programs = {
      // A Case line with its statement after ":" has one operator on the line.
      {"case bodies on the case line", "m88", R"(
Dim I As Byte, C0 As Byte, C1 As Byte, C7 As Byte, Ce As Byte, W As Word, Cw As Byte
C0 = 0 : C1 = 0 : C7 = 0 : Ce = 0 : Cw = 0
For I = 0 To 20
  Select Case I
    Case 0 : C0 = C0 + 1
    Case 1 To 5 : C1 = C1 + 1
    Case 7, 9, 11 : C7 = C7 + 1
    Case Else : Ce = Ce + 1
  End Select
Next
W = 1000
Select Case W
  Case 999 : Cw = Cw + 1
  Case 1000 : Cw = Cw + 2
End Select
)",
       "",
       {{"c0", Kind::Byte, 1}, {"c1", Kind::Byte, 5}, {"c7", Kind::Byte, 3}, {"ce", Kind::Byte, 12},
        {"cw", Kind::Byte, 2}}},
      // Signed and unsigned edges of the four integer types: division and Mod of negatives
      // (Mod gives the remainder of the magnitudes), overflow wrap, products of negatives.
      {"arithmetic edges", "m128", R"(
Dim A As Long, B As Long, Q1 As Long, Q2 As Long, Q3 As Long, M1 As Long, M2 As Long, P1 As Long, P2 As Long, P3 As Long
Dim I As Integer, J As Integer, K1 As Integer, K2 As Integer, K3 As Integer, K4 As Integer, K5 As Integer
Dim W As Word, V As Word, U1 As Word, U2 As Word, U3 As Word, Bb As Byte, Cc As Byte, B1 As Byte, B2 As Byte, B3 As Byte
A = -1000000
B = 37
Q1 = A / B
M1 = A Mod B
Q2 = 2147483647 / -2
B = -7
M2 = A Mod B
Q3 = A / B
P1 = A * B
P2 = -65536 * 65536
P3 = 123456 * -789
I = -300
J = -7
K1 = I * I
K2 = I / J
K3 = I Mod J
K4 = 200 * 200
K5 = -32768 / 2
W = 65535
V = 255
U1 = W / V
U2 = W Mod 1000
U3 = W * W
Bb = 250
Cc = 7
B1 = Bb / Cc
B2 = Bb Mod Cc
B3 = Bb * Cc
)",
       "",
       {{"q1", Kind::Long, -27027}, {"m1", Kind::Long, 1}, {"q2", Kind::Long, -1073741823}, {"m2", Kind::Long, 1},
        {"q3", Kind::Long, 142857}, {"p1", Kind::Long, 7000000}, {"p2", Kind::Long, 0}, {"p3", Kind::Long, -97406784},
        {"k1", Kind::Integer, 24464}, {"k2", Kind::Integer, 42}, {"k3", Kind::Integer, 6},
        {"k4", Kind::Integer, -25536}, {"k5", Kind::Integer, -16384}, {"u1", Kind::Word, 257}, {"u2", Kind::Word, 535},
        {"u3", Kind::Word, 1}, {"b1", Kind::Byte, 35}, {"b2", Kind::Byte, 5}, {"b3", Kind::Byte, 214}}},
      // Recursion (plain, mutual, two calls per level), a Function call as another call's
      // argument, Do/Loop While in a Function, a Long power in a For loop.
      {"recursive functions", "m8", R"(
Declare Sub Hanoi(n As Byte, src As Byte, dst As Byte, via As Byte)
Declare Function Gcd(a As Word, b As Word) As Word
Declare Function Power(b As Long, e As Byte) As Long
Declare Function IsEven(n As Word) As Byte
Declare Function IsOdd(n As Word) As Byte
Declare Function Ack(m As Byte, n As Word) As Word
Declare Function Choose(n As Byte, k As Byte) As Long
Dim Moves As Word, Chk As Word, G1 As Word, G2 As Word, P1 As Long, P2 As Long
Dim E1 As Byte, E2 As Byte, A1 As Word, C1 As Long, C2 As Long
Moves = 0
Chk = 0
Hanoi(6, 1, 3, 2)
G1 = Gcd(46368, 28657)
G2 = Gcd(1071, 462)
P1 = Power(3, 19)
P2 = Power(-2, 31)
E1 = IsEven(40)
E2 = IsOdd(17)
A1 = Ack(2, 3)
C1 = Choose(10, 4)
C2 = Choose(12, 6) - Choose(12, 5)
)",
       R"(
Sub Hanoi(n As Byte, src As Byte, dst As Byte, via As Byte)
  If n > 0 Then
    Hanoi(n - 1, src, via, dst)
    Moves = Moves + 1
    Chk = Chk + src * 10 + dst
    Hanoi(n - 1, via, dst, src)
  End If
End Sub

Function Gcd(a As Word, b As Word) As Word
  Local t As Word
  Do
    t = a Mod b
    a = b
    b = t
  Loop While b <> 0
  Return a
End Function

Function Power(b As Long, e As Byte) As Long
  Local r As Long, k As Byte
  r = 1
  For k = 1 To e
    r = r * b
  Next
  Return r
End Function

Function IsEven(n As Word) As Byte
  If n = 0 Then
    Return 1
  Else
    Return IsOdd(n - 1)
  End If
End Function

Function IsOdd(n As Word) As Byte
  If n = 0 Then
    Return 0
  Else
    Return IsEven(n - 1)
  End If
End Function

Function Ack(m As Byte, n As Word) As Word
  Local r As Word
  If m = 0 Then
    r = n + 1
  ElseIf n = 0 Then
    r = Ack(m - 1, 1)
  Else
    r = Ack(m - 1, Ack(m, n - 1))
  End If
  Return r
End Function

Function Choose(n As Byte, k As Byte) As Long
  If k = 0 Or k = n Then
    Return 1
  Else
    Return Choose(n - 1, k - 1) + Choose(n - 1, k)
  End If
End Function
)",
       {{"moves", Kind::Word, 63}, {"chk", Kind::Word, 1332}, {"g1", Kind::Word, 1}, {"g2", Kind::Word, 21},
        {"p1", Kind::Long, 1162261467}, {"p2", Kind::Long, -2147483648LL}, {"e1", Kind::Byte, 1},
        {"e2", Kind::Byte, 1}, {"a1", Kind::Word, 9}, {"c1", Kind::Long, 210}, {"c2", Kind::Long, 132}}},
      // Exits from nested loops (Exit For, Exit Do, Exit While, Goto out of a loop), a
      // For with a negative Step, Select Case in a loop, arrays indexed by expressions;
      // the hardware stack must end where it started.
      {"loop exits keep the stack", "m88", R"(
Dim Sp0 As Word, Sp1 As Word, I As Byte, J As Byte, Cnt As Word, Found As Byte, Fi As Byte, Fj As Byte
Dim K As Integer, S As Integer, N As Long, Q As Byte, T As Byte, V As Byte, W As Word
Dim A(10) As Integer, Idx As Byte, Sum As Long
$asm
  in r16,SPL
  sts sp0,r16
  in r16,SPH
  sts sp0+1,r16
$end asm
Cnt = 0
Found = 0
For I = 1 To 9
  For J = I To 9
    Cnt = Cnt + 1
    If I * J = 42 Then
      Found = 1
      Fi = I
      Fj = J
      Exit For
    End If
  Next
  If Found = 1 Then Exit For
Next
S = 0
For K = 10 To -10 Step -3
  S = S + K
Next
N = 0
Do
  N = N + 7
  For I = 1 To 10
    If I = 3 Then Exit Do
  Next
Loop
Q = 0
While Q < 200
  For W = 1 To 1000
    Q = Q + 17
    If W = 2 Then Exit While
  Next
Wend
For Idx = 0 To 9
  A(Idx) = Idx * Idx - 20
Next
Sum = 0
For Idx = 0 To 9
  If A(Idx) < 0 And Idx <> 3 Or Idx = 9 Then Sum = Sum + A(Idx + 0)
Next
T = 0
For I = 0 To 20
  Select Case I
    Case 0 : T = T + 1
    Case 1 To 5 : T = T + 10
    Case 7, 9, 11 : T = T + 100
  End Select
Next
V = 0
For I = 1 To 50
  If I = 33 Then Goto Out
  V = I
Next
Out:
$asm
  in r16,SPL
  sts sp1,r16
  in r16,SPH
  sts sp1+1,r16
$end asm
)",
       "",
       // And/Or chain: a failing comparison before "and" fails the whole condition, so the
       // condition reads A(Idx) < 0 And (Idx <> 3 Or Idx = 9).
       {{"cnt", Kind::Word, 37}, {"fi", Kind::Byte, 6}, {"fj", Kind::Byte, 7}, {"s", Kind::Integer, 7},
        {"n", Kind::Long, 7}, {"q", Kind::Byte, 34}, {"sum", Kind::Long, -59}, {"t", Kind::Byte, 95},
        {"v", Kind::Byte, 32}, {"sp0", Kind::Word, 0x4FF}, {"sp1", Kind::Word, 0x4FF},
        {"a", Kind::Integer, -11, 3}, {"a", Kind::Integer, 61, 9}}},
      // Long divisions in the main program and in a "Save all" interrupt handler (Timer0
      // overflow every 2048 cycles) with dividends of opposite signs: the division keeps
      // the quotient's sign in r7, which the handler must keep for the interrupted code.
      {"long division in an interrupt handler", "m88", R"(
Declare Interrupt Ovf0()
Dim Ran As Byte, Bad As Word, N As Word, V As Long, Q As Long, Hq As Long
Ran = 0
Bad = 0
TCCR0B = 2
TIMSK0 = 1
$asm
  sei
$end asm
For N = 1 To 400
  V = N * 1000
  Q = V / 7
  If Q * 7 + V Mod 7 <> V Then Bad = Bad + 1
Next
$asm
  cli
$end asm
)",
       R"(
Interrupt Ovf0(), Save all
  Local d As Long
  Ran = 1
  d = -1000003
  Hq = d / 7
End Interrupt
)",
       {{"ran", Kind::Byte, 1}, {"bad", Kind::Word, 0}, {"hq", Kind::Long, -142857}}},
      // A Function with Select Case called by the main program and by an interrupt handler
      // (Timer0 overflow every 2048 cycles): the handler's call must not change the selector
      // of the call it interrupted. Long selectors with expression Case values too.
      {"select case in a function an interrupt also calls", "m88", R"(
Declare Interrupt Ovf0()
Declare Function Classify(v As Byte) As Byte
Declare Function Band(v As Long, w As Word) As Byte
Dim Ran As Byte, Bad As Word, K As Byte, N As Word, C As Byte, E As Byte, Dummy As Byte, Lv As Long
Ran = 0
Bad = 0
TCCR0B = 2
TIMSK0 = 1
$asm
  sei
$end asm
For N = 1 To 100
  For K = 0 To 9
    C = Classify(K)
    If K < 5 Then E = 1 Else E = 2
    If C <> E Then Bad = Bad + 1
    Lv = K * 100000
    C = Band(Lv, K * 1000)
    If K = 0 Then E = 10 Else E = 20
    If C <> E + 1 Then Bad = Bad + 1
  Next
Next
$asm
  cli
$end asm
)",
       R"(
Function Classify(v As Byte) As Byte
  Local r As Byte
  Select Case v
    Case 0 : r = 1
    Case 1, 2 : r = 1
    Case 3 To 4 : r = 1
    Case 200 : r = 3
    Case Else : r = 2
  End Select
  Return r
End Function

Function Band(v As Long, w As Word) As Byte
  Local r As Byte
  Select Case v
    Case 0 To w * 50 : r = 10
    Case Else : r = 20
  End Select
  Select Case v / 100
    Case w : r = r + 1
  End Select
  Return r
End Function

Interrupt Ovf0(), Save all
  Ran = 1
  Dummy = Classify(200)
  Dummy = Band(-5, 7)
End Interrupt
)",
       {{"ran", Kind::Byte, 1}, {"bad", Kind::Word, 0}}},
      // A bit parameter or local compared with a constant right after a call (or an array
      // element read): the call leaves the compiler's index-on-stack state behind.
      {"bit locals compared after a call", "m88", R"(
Declare Sub SetIt(f As Bit, v As Byte)
Declare Function Both(a As Bit, b As Bit) As Byte
Declare Sub Nop2()
Dim R As Byte, Q As Byte, Fl As Bit, Res2 As Byte, Res3 As Byte, Res4 As Byte, A(3) As Byte
Fl = 1
R = 0
SetIt(Fl, 7)
Q = R
SetIt(0, 9)
Res2 = Both(1, Fl)
Res3 = Both(Fl, 0)
Res4 = 0
A(1) = 5
Nop2()
)",
       R"(
Sub SetIt(f As Bit, v As Byte)
  If f = 1 Then R = v Else R = 100 + v
End Sub

Function Both(a As Bit, b As Bit) As Byte
  If a = 1 And b = 1 Then
    Return 1
  Else
    Return 0
  End If
End Function

Sub Nop2()
  Local g As Bit
  g = 1
  Res4 = A(1)
  If g = 1 Then Res4 = 3
End Sub
)",
       {{"q", Kind::Byte, 7}, {"r", Kind::Byte, 109}, {"res2", Kind::Byte, 1}, {"res3", Kind::Byte, 0}, {"res4", Kind::Byte, 3}}},
  };
  return programs;
}

class ExploreNumeric : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ExploreNumeric, EveryVariableHoldsWhatTheAuthorExpects) {
  const Program& p = Programs()[GetParam()];
  SCOPED_TRACE(p.title);
  const std::string dev = p.device;
  auto run = RunBasic("$device = " + dev + "\n$clock = 8\n$stack = 64\n" + p.body + "End\n" + p.procs,
                      "atmega" + dev.substr(1), 50'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (const Expect& e : p.expected) EXPECT_EQ(Read(*run, e), e.value) << e.name << "(" << e.index << ")";
}

std::string TestName(const ::testing::TestParamInfo<std::size_t>& p) {
  std::string n;
  for (char c : std::string(Programs()[p.param].title)) n += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return n;
}

INSTANTIATE_TEST_SUITE_P(Programs, ExploreNumeric, ::testing::Range<std::size_t>(0, Programs().size()), TestName);

// A block-closing word with no open block in the main program (a Next too many, a Loop
// without Do) used to end the compilation there with "compiled OK": the rest of the
// program, End and the procedures included, was dropped and the chip ran off the end.
TEST(ExploreNumericErrors, AClosingWordWithoutItsBlockIsReported) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {{"Next", "NEXT without its opening statement!"},
               {"Loop", "LOOP without its opening statement!"},
               {"Wend", "WEND without its opening statement!"},
               {"Case 1", "CASE without its opening statement!"},
               {"Else", "ELSE without its opening statement!"},
               {"End If", "END IF without its opening statement!"},
               {"End Select", "END SELECT without its opening statement!"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    auto run = RunBasic(std::string("$device = m88\n$clock = 8\n$stack = 32\nDim A As Byte\nA = 1\n") + c.line +
                            "\nA = 2\nEnd\n",
                        "atmega88");
    EXPECT_FALSE(run->ok);
    EXPECT_EQ(run->compiled.error_count, 1) << run->compiled.report;
    EXPECT_NE(run->compiled.report.find(c.message), std::string::npos) << run->compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
