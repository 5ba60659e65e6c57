// Every value is worked in a type that holds its operands, wherever it stands: an
// assignment to a narrower target, a comparison with a Function result, a Case value, Abs
// and the sign, a constant's fold, a For step, Val and HexVal into a Long, Chr beside a
// text. Run on the simulator; what cannot be worked in any type is a compile error at its
// line.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const char* const kHead = "$device = m8\n$clock = 8\n$stack = 40\n$baud = 38400\n";

std::unique_ptr<BasicRun> RunProgram(const std::string& body) {
  SimOptions opt;
  opt.mcu = "atmega8";
  opt.frequency = 8000000;
  opt.max_cycles = 20'000'000;
  return RunBasicWith(kHead + body, opt);
}

// An operand wider than the target (or signed where the target is not) is not cut before
// the operation: the whole result is worked out and its low bytes stored, as B = W stores
// W's low byte. A Function's result and a parameter are targets too.
TEST(ExpressionTyping, NarrowTargetsStoreTheLowBytesOfTheWholeResult) {
  auto run = RunProgram(
      "Dim B1 As Byte , B2 As Byte , B3 As Byte , B4 As Byte , B5 As Byte , B6 As Byte , B7 As Byte , M As Byte\n"
      "Dim N As Byte\n"
      "Dim W As Word , V As Word , R As Word , I As Integer , J As Integer , L As Long , A(4) As Byte\n"
      "Declare Sub Narrow()\n"
      "Declare Function Tenth(k As Word) As Byte\n"
      "Declare Function Same(k As Byte) As Byte\n"
      "W = 1000\n"
      "B1 = W / 10\n"
      "V = 455 : N = 10\n"
      "M = V / N\n"
      "B2 = W / 256\n"
      "I = -100\n"
      "B3 = I / 3\n"
      "L = 300000\n"
      "R = L / 10\n"
      "V = 60000\n"
      "J = V / 7\n"
      "B4 = W - 900\n"
      "A(2) = W / 10\n"
      "Narrow()\n"
      "B6 = Tenth(W)\n"
      "B7 = Same(W / 10)\n"
      "End\n"
      "Sub Narrow()\n"
      "  Local X As Byte\n"
      "  X = W / 8\n"
      "  B5 = X\n"
      "End Sub\n"
      "Function Tenth(k As Word) As Byte\n"
      "  Return k / 10\n"
      "End Function\n"
      "Function Same(k As Byte) As Byte\n"
      "  Return k\n"
      "End Function\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b1"), 100);
  EXPECT_EQ(run->Byte("m"), 45);
  EXPECT_EQ(run->Byte("b2"), 3);
  EXPECT_EQ(run->Byte("b3"), static_cast<std::uint8_t>(-33));
  EXPECT_EQ(run->Word("r"), 30000);
  EXPECT_EQ(run->Integer("j"), 8571);
  EXPECT_EQ(run->Byte("b4"), 100);
  EXPECT_EQ(run->Byte("a", 2), 100);
  EXPECT_EQ(run->Byte("b5"), 125);
  EXPECT_EQ(run->Byte("b6"), 100);
  EXPECT_EQ(run->Byte("b7"), 100);
}

// A function's or statement's argument wanted as a Byte takes the low byte of the whole
// result in the same way: the Word was cut to its low byte before the division (Chr(W / 2)
// halved &H42), and a divisor of 256 was "Constant 256 does not fit a Byte!".
TEST(ExpressionTyping, NarrowArgumentsTakeTheLowBytesOfTheWholeResult) {
  auto run = RunProgram(
      "Dim W As Word , V As Word , B As Byte , S As String * 4 , T As String * 8 , U As String * 4\n"
      "W = &H4142 : S = Chr(W / 2)\n"
      "W = 990 : B = Bcd(W / 10)\n"
      "W = &H4142 : V = Makeword(W Mod 256 , W / 256)\n"
      "T = \"abcdef\" : W = 768 : U = Mid(T , W / 256 , 2)\n"
      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("s"), 0xA1);
  EXPECT_EQ(run->Byte("b"), 0x99);
  EXPECT_EQ(run->Word("v"), 0x4241);
  EXPECT_EQ(run->Byte("u"), 'c');
  EXPECT_EQ(run->Byte("u", 1), 'd');
}

// Operands that fit the target keep its width: a sign before a variable turns no Integer
// expression into a Long one (the 32-bit routines would make every such line slower).
TEST(ExpressionTyping, OperandsThatFitTheTargetKeepItsWidth) {
  const char* const lines[] = {
      "I = -I * (J + 2) / 3\n",
      "I = -J / 3\n",
      "W = W * 3 + I - 7\n",
      "W = -W / 5\n",
  };
  for (const char* line : lines) {
    const auto compiled =
        CompileBasic(std::string(kHead) + "Dim I As Integer , J As Integer , W As Word\n" + line + "End\n");
    ASSERT_EQ(compiled.error_count, 0) << line << compiled.report;
    for (const char* wide : {"_I2L", "Mul32", "Div32", "r19"})
      EXPECT_EQ(compiled.asm_text.find(wide), std::string::npos) << line << " uses " << wide;
  }
}

// A quotient, a remainder or a bit operation of operands that are never negative is worked
// in their own type and widened into a wider place (an index, an On selector, a Word or a
// Long): the number is the same, and no 16- or 32-bit division runs for Byte operands.
// A sum or a product is still worked in the place's width (B + 1 is 256 there).
TEST(ExpressionTyping, QuotientsOfUnsignedOperandsAreWorkedInTheirOwnType) {
  const std::string body =
      "Dim B As Byte , K As Byte , W As Word , V As Word , I As Integer , L As Long , A(300) As Byte , T As Byte\n"
      "B = 250 : K = 7 : A(1) = 0 : A(125) = 0 : A(256) = 0\n"
      "W = B / K\n"
      "I = B Mod 200\n"
      "L = B And &HF0\n"
      "V = (B / 2) * 3 + (B + 10)\n"
      "Incr A(B Mod 3) : Decr A(B / 2)\n"
      "Incr A(B + 6)\n"
      "On B Mod 3 Goto T0 , T1 , T2\n"
      "T0: T = 10 : Goto Done\n"
      "T1: T = 11 : Goto Done\n"
      "T2: T = 12\n"
      "Done:\n"
      "End\n";
  auto run = RunProgram(body);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Word("w"), 35);
  EXPECT_EQ(run->Integer("i"), 50);
  EXPECT_EQ(run->Long("l"), 240u);
  EXPECT_EQ(run->Word("v"), 375 + 260);
  EXPECT_EQ(run->Byte("a", 1), 1);
  EXPECT_EQ(run->Byte("a", 125), 255);
  EXPECT_EQ(run->Byte("a", 256), 1);
  EXPECT_EQ(run->Byte("t"), 11);
  const auto compiled = CompileBasic(std::string(kHead) + body);
  for (const char* wide : {"Di16u", "Div32"})
    EXPECT_EQ(compiled.asm_text.find(wide), std::string::npos) << "uses " << wide;
}

// A Function's result takes part in the comparison's type like any variable of its type.
TEST(ExpressionTyping, FunctionResultsCompareInATypeHoldingBothSides) {
  auto run = RunProgram(
      "Dim B As Byte , W As Word , I As Integer , Cnt As Byte , N As Byte\n"
      "Dim K1 As Byte , K2 As Byte , K3 As Byte , K4 As Byte\n"
      "Declare Function Fi(k As Byte) As Integer\n"
      "Declare Function Fw() As Word\n"
      "Declare Function Fl() As Long\n"
      "W = 40 : I = -5 : B = 20 : N = 0 : Cnt = 0 : K1 = 0 : K2 = 0 : K3 = 0 : K4 = 0\n"
      "If Fi(B) < W Then K1 = 1\n"
      "If Fw() > I Then K2 = 1\n"
      "If W > Fi(B) Then K3 = 1\n"
      "While Fl() > W\n"
      "  N = N + 1\n"
      "Wend\n"
      "Select Case B\n"
      "  Case Fi(0) To 50 : K4 = 1\n"
      "End Select\n"
      "End\n"
      "Function Fi(k As Byte) As Integer\n"
      "  Return -12\n"
      "End Function\n"
      "Function Fw() As Word\n"
      "  Return 50000\n"
      "End Function\n"
      "Function Fl() As Long\n"
      "  Incr Cnt\n"
      "  Return 150000 - Cnt * 50000\n"
      "End Function\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("k1"), 1);
  EXPECT_EQ(run->Byte("k2"), 1);
  EXPECT_EQ(run->Byte("k3"), 1);
  EXPECT_EQ(run->Byte("n"), 2);
  EXPECT_EQ(run->Byte("k4"), 1);
}

// Each Case value is compared in a type that holds it and the selector: a Case gives what
// the If of the same test gives.
TEST(ExpressionTyping, CaseValuesCompareAsTheIfOfTheSameTest) {
  auto run = RunProgram(
      "Dim B As Byte , Wv As Word , V As Word , I As Integer\n"
      "Dim C1 As Byte , C2 As Byte , C3 As Byte , C4 As Byte , C5 As Byte , C6 As Byte\n"
      "Dim F1 As Byte , F2 As Byte , F3 As Byte , F4 As Byte , F5 As Byte , F6 As Byte\n"
      "B = 20 : V = 9 : Wv = 260 : I = -3\n"
      "C1 = 0 : C2 = 0 : C3 = 0 : C4 = 0 : C5 = 0 : C6 = 0 : F1 = 0 : F2 = 0 : F3 = 0 : F4 = 0 : F5 = 0 : F6 = 0\n"
      "Select Case B\n  Case > -2 : C1 = 1\nEnd Select\n"
      "If B > -2 Then F1 = 1\n"
      "Select Case B\n  Case < -2 : C2 = 1\nEnd Select\n"
      "If B < -2 Then F2 = 1\n"
      "Select Case V\n  Case -4 To 12 : C3 = 1\nEnd Select\n"
      "If V >= -4 And V <= 12 Then F3 = 1\n"
      "Select Case B\n  Case 1 To Wv : C4 = 1\nEnd Select\n"
      "If B >= 1 And B <= Wv Then F4 = 1\n"
      "Select Case B\n  Case 276 : C5 = 1\n  Case 3 , 20 : C5 = 2\nEnd Select\n"
      "If B = 276 Then F5 = 1\n"
      "Select Case I\n  Case 65533 : C6 = 1\n  Case -3 : C6 = 2\nEnd Select\n"
      "If I = -3 Then F6 = 2\n"
      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  const char* const names[] = {"1", "2", "3", "4", "5", "6"};
  const int expected[] = {1, 0, 1, 1, 2, 2};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(run->Byte(std::string("c") + names[k]), expected[k]) << "Case " << names[k];
  }
  for (int k = 0; k < 4; ++k) EXPECT_EQ(run->Byte(std::string("f") + names[k]), expected[k]) << "If " << names[k];
  EXPECT_EQ(run->Byte("f5"), 0);
  EXPECT_EQ(run->Byte("f6"), 2);
}

// A For end is compared with its counter, and a selector with its Case values, in the type
// that holds both, as the If of the same test: Val read in 16 bits and a product worked in
// a Word were cut first (For W = 39998 To Val(S) ran once for "40000", Select Case Val(S)
// took Case Else for Case 70000). The Case values of a Select are those up to its own End
// Select, on its line or after, not those of a Select inside it.
TEST(ExpressionTyping, ForEndsAndSelectorsAreComparedAsTheIfOfTheSameTest) {
  auto run = RunProgram(
      "Dim S As String * 8 , W As Word , I As Integer , B As Byte\n"
      "Dim N1 As Byte , N2 As Byte , N3 As Byte , C1 As Byte , C2 As Byte , C3 As Byte , C4 As Byte\n"
      "Dim C5 As Byte , C6 As Byte , C7 As Byte , C8 As Byte , F1 As Byte , F4 As Byte\n"
      "S = \"40000\" : I = 20000 : N1 = 0 : N2 = 0 : N3 = 0 : F1 = 0 : F4 = 0 : C8 = 0\n"
      "For W = 39998 To Val(S)\n  Incr N1\nNext\n"
      "For W = 39990 To I * 2\n  Incr N2\nNext\n"
      "For W = 65530 To Val(S) + 30000\n  Incr N3\nNext\n"
      "S = \"70000\" : B = 7 : W = 40000\n"
      "Select Case Val(S)\n  Case 5 : C1 = 2\n  Case 70000 : C1 = 1\n  Case Else : C1 = 3\nEnd Select\n"
      "If Val(S) = 70000 Then F1 = 1\n"
      "Select Case Val(S)\n  Case 69999 To 70001 : C2 = 1\n  Case Else : C2 = 3\nEnd Select\n"
      "Select Case Val(S)\n  Case > 65536 : C3 = 1\n  Case Else : C3 = 3\nEnd Select\n"
      "Select Case W * 2\n  Case 80000 : C4 = 1\n  Case Else : C4 = 3\nEnd Select\n"
      "If W * 2 = 80000 Then F4 = 1\n"
      "Select Case B\n  Case 7\n    Select Case Val(S)\n      Case 70000 : C5 = 1\n      Case Else : C5 = 3\n"
      "    End Select\n  Case 8 : C5 = 4\nEnd Select\n"
      "Select Case Val(S) : Case 70000 : C6 = 1 : Case Else : C6 = 3 : End Select\n"
      "S = \"5\"\n"
      "Select Case Val(S)\n  Case 70000 : C7 = 1\n  Case 5 : C7 = 2\nEnd Select\n"
      "Select Case B\n  Case 7 : C8 = 1\nEnd Select\n"
      "Select Case B\n  Case 300 : C8 = 2\nEnd Select\n"
      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("n1"), 3);
  EXPECT_EQ(run->Byte("n2"), 11);
  EXPECT_EQ(run->Byte("n3"), 6);  // 70000 stops at the counter's 65535
  const char* const names[] = {"c1", "c2", "c3", "c4", "c5", "c6", "c7", "c8"};
  const int expected[] = {1, 1, 1, 1, 1, 1, 2, 1};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(run->Byte(names[k]), expected[k]) << names[k];
  EXPECT_EQ(run->Byte("f1"), 1);
  EXPECT_EQ(run->Byte("f4"), 1);
}

// Reading a Select's Case values ahead reports nothing: a fault in a line of its body is
// reported once, at its own line, when that line is compiled.
TEST(ExpressionTyping, ReadingTheCaseValuesAheadReportsNothing) {
  const auto compiled = CompileBasic(std::string(kHead) +
                                     "Dim B As Byte , W As Word\n"
                                     "Select Case B\n  Case 1\n    W = 1.5.5\n  Case 2 : W = 3\nEnd Select\nEnd\n");
  EXPECT_EQ(compiled.error_count, 1) << compiled.report;
  EXPECT_TRUE(compiled.StartsWithError("Invalid number 1.5.5!", 8)) << compiled.report;
}

// The magnitude of the most negative Integer is a Word.
TEST(ExpressionTyping, AbsAndTheSignOfTheMostNegativeInteger) {
  auto run = RunProgram(
      "Dim Im As Integer , W As Word , L As Long , K1 As Byte , B As Byte\n"
      "Im = -32768 : B = 5 : K1 = 0\n"
      "Print Abs(Im) ; \",\" ; -Im ; \",\" ; -B ; \",\" ; Abs(Im) - 1\n"
      "If Abs(Im) > 100 Then K1 = 1\n"
      "W = Abs(Im)\n"
      "L = -Im\n"
      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(), "32768,32768,-5,32767\r\n");
  EXPECT_EQ(run->Byte("k1"), 1);
  EXPECT_EQ(run->Word("w"), 32768);
  EXPECT_EQ(run->Long("l"), 32768u);
}

// A constant is the value it spells: a sign after an operator belongs to the operand.
TEST(ExpressionTyping, ConstantsFoldSignedOperands) {
  auto run = RunProgram(
      "Const P = 4 * -2\nConst S = 20 - -3\nConst D = 18 / -3\nConst Q = 5 + -2 * 3\nConst U = -6 - +2\n"
      "Dim Ip As Integer , Is As Integer , Id As Integer , Iq As Integer , Iu As Integer\n"
      "Ip = P : Is = S : Id = D : Iq = Q : Iu = U\n"
      "Print P ; \",\" ; S ; \",\" ; D\n"
      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Integer("ip"), -8);
  EXPECT_EQ(run->Integer("is"), 23);
  EXPECT_EQ(run->Integer("id"), -6);
  EXPECT_EQ(run->Integer("iq"), 9);  // folded left to right: (5 + -2) * 3
  EXPECT_EQ(run->Integer("iu"), -8);
  EXPECT_EQ(run->sim->Output(), "-8,23,-6\r\n");
}

// The largest steps a counter holds still count right; a larger one is refused (below).
TEST(ExpressionTyping, StepsThatFitTheCounterCountRight) {
  auto run = RunProgram(
      "Dim B As Byte , W As Word , I As Integer , N1 As Byte , N2 As Byte , N3 As Byte , N4 As Byte\n"
      "N1 = 0 : N2 = 0 : N3 = 0 : N4 = 0\n"
      "For B = 0 To 255 Step 255\n  Incr N1\nNext\n"
      "For B = 255 To 0 Step -255\n  Incr N2\nNext\n"
      "For W = 0 To 65535 Step 65535\n  Incr N3\nNext\n"
      "For I = -32768 To 32767 Step 32767\n  Incr N4\nNext\n"
      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("n1"), 2);
  EXPECT_EQ(run->Byte("n2"), 2);
  EXPECT_EQ(run->Byte("n3"), 2);
  EXPECT_EQ(run->Byte("n4"), 3);
}

// An end the counter cannot hold ends the loop where the counter's range ends, as the end
// itself would: cut to its low bytes it ended the loop early (or late).
TEST(ExpressionTyping, ForEndsBeyondTheCounterStopAtItsRange) {
  auto run = RunProgram(
      "Dim B As Byte , I As Integer , W As Word , Wv As Word , Iv As Integer , L As Long , Lv As Long\n"
      "Dim N1 As Byte , N2 As Byte , N3 As Byte , N4 As Byte , N5 As Byte , N6 As Byte\n"
      "Wv = 300 : Iv = -5 : Lv = 100000 : L = -40000\n"
      "N1 = 0 : N2 = 0 : N3 = 0 : N4 = 0 : N5 = 0 : N6 = 0\n"
      "For B = 250 To Wv\n  Incr N1\nNext\n"
      "For B = 3 To Iv\n  Incr N2\nNext\n"
      "For I = 32760 To Lv\n  Incr N3\nNext\n"
      "For W = 65530 To Lv\n  Incr N4\nNext\n"
      "For I = -32765 To L Step -1\n  Incr N5\nNext\n"
      "For B = 5 To Wv + 1 Step -1\n  Incr N6\nNext\n"
      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("n1"), 6);
  EXPECT_EQ(run->Byte("n2"), 1);
  EXPECT_EQ(run->Byte("n3"), 8);
  EXPECT_EQ(run->Byte("n4"), 6);
  EXPECT_EQ(run->Byte("n5"), 4);
  EXPECT_EQ(run->Byte("n6"), 1);
}

// Into a Long (or a Float) the text is read in 32 bits; into the 16-bit types as before.
TEST(ExpressionTyping, ValAndHexValIntoALongReadThirtyTwoBits) {
  auto run = RunProgram(
      "Dim L1 As Long , L2 As Long , L3 As Long , L4 As Long , L5 As Long , L6 As Long , F As Float\n"
      "Dim I As Integer , W As Word , S As String * 12 , T As String * 12\n"
      "L1 = Val(\"250000\")\n"
      "L2 = HexVal(\"12345678\")\n"
      "S = \" -250000\" : T = \"89abcdef\"\n"
      "L3 = Val(S)\n"
      "L4 = HexVal(T)\n"
      "L5 = Val(Mid(S , 3 , 4)) + 1\n"
      "L6 = HexVal(Left(T , 6))\n"
      "F = Val(S)\n"
      "I = Val(S)\n"
      "W = HexVal(T)\n"
      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(static_cast<std::int32_t>(run->Long("l1")), 250000);
  EXPECT_EQ(run->Long("l2"), 0x12345678u);
  EXPECT_EQ(static_cast<std::int32_t>(run->Long("l3")), -250000);
  EXPECT_EQ(run->Long("l4"), 0x89abcdefu);
  EXPECT_EQ(static_cast<std::int32_t>(run->Long("l5")), 2501);
  EXPECT_EQ(run->Long("l6"), 0x89abcdu);
  EXPECT_EQ(run->FloatBits("f"), 0xC8742400u);  // -250000.0
  EXPECT_EQ(run->Integer("i"), static_cast<std::int16_t>(-250000 & 0xFFFF));
  EXPECT_EQ(run->Word("w"), 0xcdef);
}

// Wanted as a Float, Val reads 32 bits whatever place the Float's result goes to: a Float
// has no low bytes to cut, so the operand of a Float operation or function read 16 bits of
// "100000" (-31072) where the line assigned to a Byte or Word.
TEST(ExpressionTyping, ValAsAFloatOperandReadsThirtyTwoBitsForANarrowPlace) {
  auto run = RunProgram(
      "Dim S As String * 8 , B As Byte , W As Word , F As Float\n"
      "S = \"100000\"\n"
      "F = 0.001\n"
      "B = Val(S) * F\n"
      "W = Sqrt(Val(S))\n"
      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b"), 100);
  EXPECT_EQ(run->Word("w"), 316);
}

// Going to a Byte or Word, Val reads the text in 16 bits (the Integer it gives) even where
// the expression is worked as a Long for a Word's sake (B = Val(S) / W): the 32-bit reader
// is not linked. Over many texts of every form the values are the host model's: the digits
// read as _St2Nm reads them, cut to 16 bits.
TEST(ExpressionTyping, ValIntoByteAndWordReadsSixteenBits) {
  std::mt19937 random(50);
  std::vector<std::string> texts = {"0", "-1", "32767", "-32768", "65535", "70000", "  +42x", "\t-9"};
  const char* const lead[] = {"", " ", "  ", "\t", " \t"};
  const char* const sign[] = {"", "+", "-"};
  const char* const tail[] = {"", "x", " 5", "."};
  while (texts.size() < 120) {
    std::string digits = std::to_string(random() % 100000);
    texts.push_back(std::string(lead[random() % 5]) + sign[random() % 3] + digits + tail[random() % 4]);
  }
  const std::string n = std::to_string(texts.size());
  std::string body = "Dim S As String * 12 , D As Word , Vb(" + n + ") As Byte , Vw(" + n + ") As Word , Q(" + n +
                     ") As Word , R(" + n + ") As Byte\nD = 7\n";
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string k = std::to_string(i);
    body += "S = \"" + texts[i] + "\"\nVb(" + k + ") = Val(S)\nVw(" + k + ") = Val(S)\nQ(" + k + ") = Val(S) / D\nR(" +
            k + ") = Val(S) Mod D\n";
  }
  auto run = RunBasic("$device = m128\n$clock = 8\n$stack = 64\n" + body + "End\n", "m128", 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->compiled.asm_text.find("_St2Nl"), std::string::npos);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(texts[i]);
    const int k = static_cast<int>(i);
    // the reader: blanks and TABs, one sign, digits; 16 bits of the number
    std::size_t p = 0;
    while (p < texts[i].size() && (texts[i][p] == ' ' || texts[i][p] == '\t')) ++p;
    bool negative = false;
    if (p < texts[i].size() && (texts[i][p] == '+' || texts[i][p] == '-')) negative = texts[i][p++] == '-';
    std::uint32_t v = 0;
    for (; p < texts[i].size() && texts[i][p] >= '0' && texts[i][p] <= '9'; ++p) v = v * 10 + (texts[i][p] - '0');
    const auto value = static_cast<std::int16_t>((negative ? 0u - v : v) & 0xFFFF);
    EXPECT_EQ(run->Byte("vb", k), static_cast<std::uint8_t>(value));
    EXPECT_EQ(run->Word("vw", 2 * k), static_cast<std::uint16_t>(value));
    EXPECT_EQ(run->Word("q", 2 * k), static_cast<std::uint16_t>(value / 7));
    EXPECT_EQ(run->Byte("r", k), static_cast<std::uint8_t>(std::abs(value) % 7));  // of the magnitudes
  }
}

// Chr beside a text is a one-character text, on either side of the comparison.
TEST(ExpressionTyping, ChrIsAOneCharacterTextInStringComparisons) {
  auto run = RunProgram(
      "Dim S As String * 8 , T As String * 4 , K1 As Byte , K2 As Byte , K3 As Byte , K4 As Byte\n"
      "Dim K5 As Byte , K6 As Byte , K7 As Byte , B As Byte\n"
      "S = \"BCD\" : T = \"B\" : B = 66 : K1 = 0 : K2 = 0 : K3 = 0 : K4 = 0 : K5 = 0 : K6 = 0 : K7 = 0\n"
      "If Left(S , 1) = Chr(66) Then K1 = 1\n"
      "If T = Chr(66) Then K2 = 1\n"
      "If Mid(S , 2 , 1) = Chr(67) Then K3 = 1\n"
      "If Chr(66) = Left(S , 1) Then K4 = 1\n"
      "If T = Chr(67) Then K5 = 1\n"
      "If B = Chr(66) Then K6 = 1\n"
      "Select Case T\n  Case Chr(65) : K7 = 2\n  Case Chr(66) : K7 = 1\nEnd Select\n"
      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("k1"), 1);
  EXPECT_EQ(run->Byte("k2"), 1);
  EXPECT_EQ(run->Byte("k3"), 1);
  EXPECT_EQ(run->Byte("k4"), 1);
  EXPECT_EQ(run->Byte("k5"), 0);
  EXPECT_EQ(run->Byte("k6"), 1);
  EXPECT_EQ(run->Byte("k7"), 1);
}

struct Refused {
  const char* body;  // lines after the declarations
  const char* message;
  int line = 9;      // the faulty one
};

// Each compiled "OK" into wrong code before: a text's address taken for a number, a
// comparison of a text with a number, a push left on the stack, stale registers stored,
// an element before the array, a step that wraps the counter.
const Refused kRefused[] = {
    {"B = \"x\" + 1\n", "Only numeric variables!"},
    {"B = T * 2\n", "Only numeric variables!"},
    {"W = 3 + \"ab\"\n", "Only numeric variables!"},
    {"If S > 1 Then B = 2\n", "Unsupported operation!"},
    {"If 1 < S Then B = 2\n", "Unsupported operation!"},
    {"If B = \"abc\" Then B = 1\n", "Unsupported operation!"},
    {"B = Sx() + 1\n", "SX cannot stand in an expression!"},
    {"W = 2 * Sx()\n", "SX cannot stand in an expression!"},
    {"A(-1) = 99\n", "Index -1 is outside array A (0 to 3)!"},
    {"B = A(-1)\n", "Index -1 is outside array A (0 to 3)!"},
    {"B = Tb(-1)\n", "Index -1 is outside table TB (0 to 2)!"},
    {"For B = 0 To 250 Step 300\nNext\n", "Constant 300 does not fit a Byte!"},
    {"For W = 0 To 250 Step 70000\nNext\n", "Constant 70000 does not fit a Word!"},
    {"For B = 250 To 0 Step -257\nNext\n", "Constant -257 does not fit a Byte!"},
    {"For I = 0 To 100 Step 40000\nNext\n", "Constant 40000 does not fit a Integer!"},
    {"For W = 0 To 9 Step 123456789012345678901\nNext\n", "Constant 123456789012345678901 does not fit a Word!"},
    {"Select Case S\nCase 5 : B = 1\nEnd Select\n", "Unsupported operation!", 10},
    {"Select Case B\nCase \"ab\" : B = 1\nEnd Select\n", "Unsupported operation!", 10},
};

TEST(ExpressionTyping, WhatNoTypeHoldsIsACompileErrorAtItsLine) {
  const std::string head = std::string(kHead) +
                           "Dim B As Byte , W As Word , I As Integer , S As String * 8 , A(4) As Byte\n"
                           "Dim Tb(3) As Flash Byte\n"
                           "Const T = \"ab\"\n"
                           "Declare Sub Sx()\n";
  for (const Refused& r : kRefused) {
    const auto compiled = CompileBasic(head + r.body + "End\nTb = 1 , 2 , 3\nSub Sx()\nEnd Sub\n");
    EXPECT_EQ(compiled.error_count, 1) << r.body << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError(r.message, r.line)) << r.body << compiled.report;
  }
}

// Inside a Sub the refused comparison is the only fault: nothing is left on the stack of
// a program that compiles.
TEST(ExpressionTyping, AByteAgainstATextInASubIsRefused) {
  const auto compiled = CompileBasic(std::string(kHead) +
                                     "Dim B As Byte\nDeclare Sub Tst()\nTst()\nEnd\n"
                                     "Sub Tst()\n  If B = \"abc\" Then B = 1\nEnd Sub\n");
  EXPECT_EQ(compiled.error_count, 1) << compiled.report;
  EXPECT_TRUE(compiled.StartsWithError("Unsupported operation!", 10)) << compiled.report;
}

}  // namespace
}  // namespace qbc::test
