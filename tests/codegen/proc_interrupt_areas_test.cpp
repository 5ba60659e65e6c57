// An interrupt handler that calls a procedure with string arguments, or turns a float
// into text, while the main program is in the middle of the same: the main program's
// string arguments and float texts survive every handler. The timer interrupt runs often
// enough during thousands of main-program calls to hit every window.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Program(const std::string& device) {
  const bool m8 = device == "m8";
  // The hardware stack holds main's float text with the handler's on top.
  std::string s = "$device = " + device + "\n$clock = 8\n$stack = 120\n";
  s += "Declare Sub Chk(a As String * 8, b As String * 8, n As Byte)\n"
       "Declare Sub Logit(tx As String * 8, n As Byte)\n"
       "Declare Sub Via()\n"
       "Declare Sub Relay()\n"
       "Declare Interrupt Ovf0()\n"
       "Dim Bad As Word, Calls As Word, Ticks As Word, Mode As Byte, Fbad As Word\n"
       "Dim Logged As String * 8, S As String * 16, T As String * 16, F As Float, G As Float\n"
       "Bad = 0 : Fbad = 0 : Ticks = 0 : Mode = 0 : F = 1.5 : G = 2.25\n";
  // Timer0 overflow every 2048 cycles (clk/8) while the handler only logs, every 16384
  // (clk/64) while it converts a float: the handler must leave the main program time.
  const std::string timer = m8 ? "TCCR0" : "TCCR0B";
  const std::string mask = m8 ? "  out TIMSK,r16\n" : "  sts TIMSK0,r16\n";
  s += "$asm\n  ldi r16,0x02\n  out " + timer + ",r16\n  ldi r16,0x01\n" + mask + "  sei\n$end asm\n";
  // Half the calls go through a procedure without string parameters, which finds its
  // argument area at run time (as the handler's Relay does).
  s += "For Calls = 1 To 1000\n  Chk(\"hello\", \"world\", 7)\n  Via()\nNext\n";
  s += "Mode = 1\n$asm\n  ldi r16,0x03\n  out " + timer + ",r16\n$end asm\n";
  s += "For Calls = 1 To 300\n  S = Str(F)\n  If S <> \" 1.500000E+00\" Then Fbad = Fbad + 1\nNext\n";
  s += "$asm\n  cli\n$end asm\nEnd\n";
  s += "Sub Chk(a As String * 8, b As String * 8, n As Byte)\n"
       "  Local k As Byte\n"
       "  For k = 1 To n\n  Next\n"
       "  If a <> \"hello\" Then Bad = Bad + 1\n"
       "  If b <> \"world\" Then Bad = Bad + 1\n"
       "End Sub\n"
       "Sub Logit(tx As String * 8, n As Byte)\n  Logged = tx\nEnd Sub\n"
       "Sub Via()\n  Chk(\"hello\", \"world\", 7)\nEnd Sub\n"
       "Sub Relay()\n  Logit(\"tock\", 2)\nEnd Sub\n"
       "Interrupt Ovf0(), Save All\n"
       "  Ticks = Ticks + 1\n"
       "  If Mode = 0 Then\n    Logit(\"tick\", 1)\n    Relay()\n  Else\n    T = Str(G)\n  End If\n"
       "End Interrupt\n";
  return s;
}

TEST(InterruptAreas, MainStringArgumentsAndFloatTextsSurviveTheHandler) {
  for (const auto& [device, mcu] : {std::pair{"m8", "atmega8"}, std::pair{"m88", "atmega88"}}) {
    SCOPED_TRACE(device);
    auto run = RunBasic(Program(device), mcu, 200'000'000);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_GT(run->Word("ticks"), 300) << "the handler ran often";
    std::string last, t;
    for (int k = 0; k < 16 && run->Byte("logged", k) != 0; ++k) last += static_cast<char>(run->Byte("logged", k));
    for (int k = 0; k < 16 && run->Byte("t", k) != 0; ++k) t += static_cast<char>(run->Byte("t", k));
    EXPECT_EQ(last, "tock");
    EXPECT_EQ(t, " 2.250000E+00");
    EXPECT_EQ(run->Word("bad"), 0) << "main calls that saw the handler's string arguments";
    EXPECT_EQ(run->Word("fbad"), 0) << "main float texts mixed with the handler's";
  }
}

// A handler's call whose argument list calls a Function that calls the same Sub again: the
// inner call's copies go past the outer call's first one, so the same parameters' copies
// are held twice. The area was the parameters' lengths together, and the inner call's last
// copy ran past it over the count of the handlers running, which stayed above 0 (the
// main program's calls then took the handlers' area).
TEST(InterruptAreas, CopiesOfACallInsideAnotherCallsArgumentsStayInTheHandlersArea) {
  const std::string source =
      "$device = m8\n$clock = 8\n$stack = 64\n"
      "Declare Sub Keep(x As String * 8, m As Byte, y As String * 8)\n"
      "Declare Function Inner() As Byte\n"
      "Declare Interrupt Ovf0()\n"
      "Dim Ix As String * 8, Iy As String * 8, Ox As String * 8, Oy As String * 8, Done As Byte\n"
      "Done = 0\n"
      "$asm\n  ldi r16,0x02\n  out TCCR0,r16\n  ldi r16,0x01\n  out TIMSK,r16\n  sei\n$end asm\n"
      "Do\nLoop While Done = 0\n"
      "$asm\n  cli\n$end asm\nEnd\n"
      "Sub Keep(x As String * 8, m As Byte, y As String * 8)\n"
      "  If m = 1 Then\n    Ix = x : Iy = y\n  Else\n    Ox = x : Oy = y\n  End If\n"
      "End Sub\n"
      "Function Inner() As Byte\n  Keep(\"inner-x\", 1, \"inner-y\")\n  Return 2\nEnd Function\n"
      "Interrupt Ovf0()\n"
      "  If Done = 0 Then\n    Keep(\"outer-x\", Inner(), \"outer-y\")\n    Done = 1\n  End If\n"
      "End Interrupt\n";
  auto run = RunBasic(source, "atmega8", 2'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  auto text = [&](const std::string& name) {
    std::string t;
    for (int k = 0; k < 9 && run->Byte(name, k) != 0; ++k) t += static_cast<char>(run->Byte(name, k));
    return t;
  };
  EXPECT_EQ(text("ix"), "inner-x");
  EXPECT_EQ(text("iy"), "inner-y");
  EXPECT_EQ(text("ox"), "outer-x");
  EXPECT_EQ(text("oy"), "outer-y");
  EXPECT_EQ(run->Byte("_isdp"), 0) << "no handler runs after the handler ended";
}

}  // namespace
}  // namespace qbc::test
