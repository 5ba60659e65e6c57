// Programs built from Subs and Functions, run on the simulator on a device with the
// hardware multiplier (m8) and one without (m88): parameters and results of every type,
// locals, calls inside argument lists, recursion, Exit Sub/Function and Return.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::uint32_t Bits(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

std::string Head(const std::string& device) { return "$device = " + device + "\n$clock = 8\n$stack = 40\n"; }

class ProcProgram : public ::testing::TestWithParam<const char*> {};

// Every parameter and result type; locals of several types; calls before the definition;
// a Function call inside another call's argument list; Exit Sub.
TEST_P(ProcProgram, ParametersResultsAndLocalsOfEveryType) {
  const std::string src = Head(GetParam()) + R"(
Dim B As Byte, B2 As Byte, I As Integer, W As Word, W2 As Word, L As Long, L2 As Long
Dim F1 As Float, F2 As Float, I2 As Integer, Xo As Byte, L3 As Long, W3 As Word, W4 As Word, F3 As Float
Declare Sub SetAll(x As Byte, y As Integer, z As Word, q As Long)
Declare Function AddB(a As Byte, b As Byte) As Byte
Declare Function NegI(a As Integer) As Integer
Declare Function Big(a As Long, b As Long) As Long
Declare Function Dbl(v As Word) As Word
Declare Function Fpass(f As Float) As Float
Declare Sub Ex(x As Byte)
Declare Function Widen(v As Integer) As Long
Declare Function ToF(a As Byte) As Float
SetAll(7, -1234, 60000, 100000)
B2 = AddB(AddB(1, 2), AddB(3, 4))
W2 = Dbl(Dbl(W))
L2 = Big(L, -5)
I2 = NegI(I)
F1 = 1.5
F2 = Fpass(F1)
Ex(5)
L3 = Widen(-2)
W3 = AddB(200, 50)
W4 = ToF(3)
F3 = NegI(5)
End
Sub SetAll(x As Byte, y As Integer, z As Word, q As Long)
  Local t As Byte, u As Long
  t = x
  u = q
  B = t
  I = y
  W = z
  L = u
End Sub
Function AddB(a As Byte, b As Byte) As Byte
  Return a + b
End Function
Function NegI(a As Integer) As Integer
  Return 0 - a
End Function
Function Big(a As Long, b As Long) As Long
  Return a * b
End Function
Function Dbl(v As Word) As Word
  Local k As Word
  k = v + v
  Return k
End Function
Function Fpass(f As Float) As Float
  Local g As Float
  g = f
  Return g
End Function
Sub Ex(x As Byte)
  Xo = x
  Exit Sub
  Xo = 99
End Sub
Function Widen(v As Integer) As Integer
  Return v
End Function
Function ToF(a As Byte) As Float
  Return a
End Function
)";
  auto run = RunBasic(src, GetParam());
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b"), 7);
  EXPECT_EQ(run->Integer("i"), -1234);
  EXPECT_EQ(run->Word("w"), 60000);
  EXPECT_EQ(run->Long("l"), 100000u);
  EXPECT_EQ(run->Byte("b2"), 10);
  EXPECT_EQ(run->Word("w2"), static_cast<std::uint16_t>(60000 * 4));
  EXPECT_EQ(run->Long("l2"), static_cast<std::uint32_t>(-500000));
  EXPECT_EQ(run->Integer("i2"), 1234);
  EXPECT_EQ(run->FloatBits("f2"), Bits(1.5f));
  EXPECT_EQ(run->Byte("xo"), 5);
  EXPECT_EQ(run->Word("w3"), 250);  // a byte result widened to word
  EXPECT_EQ(run->Long("l3"), static_cast<std::uint32_t>(-2));  // an integer widened with its sign
  EXPECT_EQ(run->Word("w4"), 3);                                 // a float result wanted as a word
  EXPECT_EQ(run->FloatBits("f3"), Bits(-5.0f));                  // an integer result wanted as a float
}

// Arguments after a call inside the argument list read the caller's parameters and locals
// at the displacement that counts everything pushed so far (the inner call must hand the
// count back, not reset it). The procedures called here are defined before the caller.
TEST_P(ProcProgram, ArgumentsAfterANestedCallReadTheCallersFrame) {
  const std::string src = Head(GetParam()) + R"(
Dim R As Word, Res2 As Long, Qo As Byte
Declare Function AddB(a As Byte, b As Byte) As Byte
Declare Function Three(a As Byte, b As Byte, c As Word) As Word
Declare Function Four(a As Long, b As Word, c As Byte, d As Long) As Long
Declare Sub Mix(p As Byte, q As Word)
Mix(10, 1000)
End
Function AddB(a As Byte, b As Byte) As Byte
  Return a + b
End Function
Function Three(a As Byte, b As Byte, c As Word) As Word
  Local s As Word
  s = c + a
  s = s + b
  Return s
End Function
Function Four(a As Long, b As Word, c As Byte, d As Long) As Long
  Local s As Long
  s = a * 1000
  s = s + b
  s = s * 100
  s = s + c
  s = s * 100
  s = s + d
  Return s
End Function
Sub Mix(p As Byte, q As Word)
  Local k As Long
  k = 7
  R = Three(p, AddB(p, AddB(p, 1)), q)
  Res2 = Four(k, Three(p, 2, q), AddB(p, p), k)
  Qo = AddB(AddB(p, 1), p)
End Sub
)";
  auto run = RunBasic(src, GetParam());
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Word("r"), 10 + 21 + 1000);
  EXPECT_EQ(run->Long("res2"), ((7u * 1000 + 1012) * 100 + 20) * 100 + 7);
  EXPECT_EQ(run->Byte("qo"), 21);
}

std::string Text(const BasicRun& run, const std::string& var) {
  std::string t;
  for (int k = 0; k < 40; ++k) {
    const std::uint8_t c = run.Byte(var, k);
    if (c == 0) break;
    t += static_cast<char>(c);
  }
  return t;
}

// String parameters from constants, variables and inside another call's argument list;
// the address pushes count in the displacement of later arguments; a string local.
TEST_P(ProcProgram, StringParametersAndLocals) {
  const std::string src = Head(GetParam()) + R"(
Dim S1 As String * 10, S2 As String * 10, S3 As String * 10, T As String * 10, B As Byte, B2 As Byte, B3 As Byte
Declare Sub Cat2(a As String * 10, b As String * 10)
Declare Function LenPlus(s As String * 10, p As Byte) As Byte
Declare Sub Mix2(p As Byte)
Declare Sub WithLocal(a As String * 4)
Declare Sub Cat3(a As String * 10, n As Byte, c As String * 10)
T = "xyz"
Cat2("hello", T)
Mix2(5)
WithLocal("abcdefgh")
Cat3("one", LenPlus("two", 1), "three")
End
Sub Cat2(a As String * 10, b As String * 10)
  S1 = a
  S2 = b
End Sub
Function LenPlus(s As String * 10, p As Byte) As Byte
  Return Len(s) + p
End Function
Sub Mix2(p As Byte)
  B = LenPlus("abcd", p)
End Sub
Sub WithLocal(a As String * 4)
  Local l As String * 10, k As Byte
  k = 7
  l = a
  S3 = l
  B2 = k
End Sub
Sub Cat3(a As String * 10, n As Byte, c As String * 10)
  S1 = a
  S2 = c
  B3 = n
End Sub
)";
  auto run = RunBasic(src, GetParam());
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(Text(*run, "s1"), "one");
  EXPECT_EQ(Text(*run, "s2"), "three");
  EXPECT_EQ(Text(*run, "s3"), "abcd");  // the parameter holds at most its declared length
  EXPECT_EQ(run->Byte("b"), 9);
  EXPECT_EQ(run->Byte("b2"), 7);
  EXPECT_EQ(run->Byte("b3"), 4);
}

// Recursion a few levels deep (each level with its own parameter and local), Return
// followed by Exit Function inside an If, and a Sub calling itself down to an Exit Sub.
TEST_P(ProcProgram, RecursionAndExits) {
  const std::string src = Head(GetParam()) + R"(
Dim L As Long, W As Word, B As Byte, Depth As Byte, Most As Byte
Declare Function Fact(n As Byte) As Long
Declare Function Fib(n As Byte) As Word
Declare Sub Down(n As Byte)
L = Fact(10)
W = Fib(12)
Depth = 0
Most = 0
Down(6)
End
Function Fact(n As Byte) As Long
  Local r As Long
  If n < 2 Then
    r = 1
  Else
    r = Fact(n - 1)
    r = r * n
  End If
  Return r
End Function
Function Fib(n As Byte) As Word
  Local a As Word
  If n < 2 Then
    Return n
    Exit Function
  End If
  a = Fib(n - 1)
  a = a + Fib(n - 2)
  Return a
End Function
Sub Down(n As Byte)
  Incr Depth
  If Depth > Most Then Most = Depth
  If n = 0 Then Exit Sub
  Down(n - 1)
  Decr Depth
End Sub
)";
  auto run = RunBasic(src, GetParam(), 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Long("l"), 3628800u);
  EXPECT_EQ(run->Word("w"), 144);
  EXPECT_EQ(run->Byte("most"), 7);
  EXPECT_EQ(run->Byte("depth"), 1);  // the deepest level left by Exit Sub without its Decr
}

// A bit parameter is pushed as one byte and its frame slot counts that byte: the
// parameters around it are read at the right place and Y comes back where it was.
TEST_P(ProcProgram, BitParameterTakesTheBytePushedForIt) {
  const std::string src = Head(GetParam()) + R"(
Dim B As Byte, C As Byte, D As Byte, Ylo As Byte, Ylo2 As Byte
Declare Sub Bp(u As Byte, f As Bit, v As Byte)
$asm
  sts ylo,yl
$end asm
Bp(5, 1, 77)
$asm
  sts ylo2,yl
$end asm
End
Sub Bp(u As Byte, f As Bit, v As Byte)
  B = v
  C = f
  D = u
End Sub
)";
  auto run = RunBasic(src, GetParam());
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b"), 77);
  EXPECT_EQ(run->Byte("c"), 1);
  EXPECT_EQ(run->Byte("d"), 5);
  EXPECT_EQ(run->Byte("ylo2"), run->Byte("ylo"));
}

// On a device with at most 256 bytes of RAM the string parameter's slot still holds the
// two address bytes the call pushes.
TEST(ProcProgramSmallRam, StringParameterOnATiny) {
  auto run = RunBasic(R"($device = tn2313
$clock = 8
$stack = 24
Dim S1 As String * 6, B As Byte
Declare Sub Cat(a As String * 6, n As Byte)
Cat("hey", 7)
End
Sub Cat(a As String * 6, n As Byte)
  S1 = a
  B = n
End Sub
)", "tn2313");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(Text(*run, "s1"), "hey");
  EXPECT_EQ(run->Byte("b"), 7);
}

INSTANTIATE_TEST_SUITE_P(Devices, ProcProgram, ::testing::Values("m8", "m88"));

}  // namespace
}  // namespace qbc::test
