// A Timer0 handler with locals of its own fires every 2048 cycles while the main program
// turns floats into text, takes Exp of them, or calls a Function that selects on a string
// (which the handler calls too). Each main result is compared with the same work done
// with interrupts off just before: every one must match, and the program without the
// interrupt must end with the same values.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

struct Work {
  const char* name;
  const char* declarations;  // Dim lines beyond the common ones
  const char* mainWork;      // one pass of the loop over N: sets Bad when a result differs
  const char* handlerWork;   // after the handler's own locals are written
  int passes;
  const char* lastText;      // the string variable the last pass leaves ("" for none)
  const char* lastValue;
};

constexpr const char* kCli = "$asm\n  cli\n$end asm\n";
constexpr const char* kSei = "$asm\n  sei\n$end asm\n";

std::string Program(const Work& w, bool interrupts) {
  // The hardware stack holds main's float text with the handler's on top.
  std::string s = "$device = m8\n$clock = 8\n$stack = 120\n";
  s += "Declare Interrupt Ovf0()\n"
       "Declare Function Kind(x As String * 8) As Byte\n"
       "Dim Bad As Word, Ticks As Word, N As Word, Hsum As Word, Hk As Byte, Hn As Byte\n"
       "Dim Hf As Float, Ht As String * 16\n";
  s += w.declarations;
  s += "Bad = 0 : Ticks = 0 : Hsum = 0 : Hk = 0 : Hn = 0 : Hf = 2.25\n";
  // Timer0 overflow every 2048 cycles (clk/8).
  if (interrupts) s += "$asm\n  ldi r16,0x02\n  out TCCR0,r16\n  ldi r16,0x01\n  out TIMSK,r16\n  sei\n$end asm\n";
  s += "For N = 1 To " + std::to_string(w.passes) + "\n" + w.mainWork + "Next\n";
  s += kCli;
  s += "End\n";
  s += "Function Kind(x As String * 8) As Byte\n"
       "  Local r As Byte\n"
       "  Select Case x\n"
       "    Case \"alpha\" : r = 1\n"
       "    Case \"beta\" : r = 2\n"
       "    Case \"gamma\" : r = 3\n"
       "    Case Else : r = 0\n"
       "  End Select\n"
       "  Return r\n"
       "End Function\n";
  s += "Interrupt Ovf0(), Save All\n"
       "  Local a As Byte\n"
       "  Local b As Word\n"
       "  a = &HA5\n"
       "  b = &H5A5A\n"
       "  Ticks = Ticks + 1\n"
       "  Hsum = Hsum + a\n"
       "  Hsum = Hsum + b\n";
  s += w.handlerWork;
  s += "End Interrupt\n";
  return s;
}

std::string Text(const BasicRun& run, const std::string& name) {
  std::string t;
  for (int k = 0; k < 24 && run.Byte(name, k) != 0; ++k) t += static_cast<char>(run.Byte(name, k));
  return t;
}

const std::string kStrWork = std::string("  F = N\n  F = F * 1.37\n") + kCli + "  T = Str(F)\n" + kSei +
                             "  S = Str(F)\n  If S <> T Then Bad = Bad + 1\n";
const std::string kExpWork = std::string("  F = N\n  F = F / 97\n") + kCli + "  H = Exp(F)\n" + kSei +
                             "  G = Exp(F)\n  If G <> H Then Bad = Bad + 1\n  S = Str(G)\n";
const std::string kSelectWork = "  K = Kind(\"gamma\")\n  If K <> 3 Then Bad = Bad + 1\n  K = Kind(\"beta\")\n"
                                "  If K <> 2 Then Bad = Bad + 1\n";

TEST(InterruptHandlerWithLocals, MainResultsMatchTheSameWorkWithoutTheHandler) {
  const Work works[] = {
      {"Str", "Dim F As Float, S As String * 16, T As String * 16\n", kStrWork.c_str(), "", 900, "s",
       " 1.233000E+03"},
      // The handler turns its own float into text (on every 8th tick: a text takes longer
      // than the timer's period) while main's text is being built.
      {"StrInBoth", "Dim F As Float, S As String * 16, T As String * 16\n", kStrWork.c_str(),
       "  Hn = Hn + 1\n  If Hn >= 8 Then\n    Hn = 0\n    Ht = Str(Hf)\n  End If\n", 900, "s",
       " 1.233000E+03"},
      {"Exp", "Dim F As Float, G As Float, H As Float, S As String * 16\n", kExpWork.c_str(), "", 1000, "s",
       " 3.000978E+04"},
      {"SelectOnString", "Dim K As Byte\n", kSelectWork.c_str(), "  Hk = Kind(\"alpha\")\n", 3600, "", ""},
  };
  for (const Work& w : works) {
    SCOPED_TRACE(w.name);
    auto quiet = RunBasic(Program(w, false), "atmega8", 400'000'000);
    ASSERT_TRUE(quiet->ok) << quiet->Diagnostics();
    EXPECT_EQ(quiet->Word("bad"), 0);
    EXPECT_EQ(quiet->Word("ticks"), 0);
    auto run = RunBasic(Program(w, true), "atmega8", 400'000'000);
    if (!run->ok) {
      ADD_FAILURE() << "the program with the handler did not run to its end: " << run->Diagnostics();
      continue;
    }
    EXPECT_GT(run->Word("ticks"), 1000) << "the handler ran often";
    EXPECT_EQ(run->Word("hsum"), static_cast<std::uint16_t>(run->Word("ticks") * (0xA5 + 0x5A5A)))
        << "the handler's locals held what it wrote";
    EXPECT_EQ(run->Word("bad"), 0) << "main results disturbed by the handler";
    if (*w.lastText != 0) {
      EXPECT_EQ(Text(*quiet, w.lastText), w.lastValue);
      EXPECT_EQ(Text(*run, w.lastText), w.lastValue);
    }
    if (std::string(w.handlerWork).find("Ht") != std::string::npos) {
      EXPECT_EQ(Text(*run, "ht"), " 2.250000E+00");
    }
    if (std::string(w.handlerWork).find("Hk") != std::string::npos) {
      EXPECT_EQ(run->Byte("hk"), 1);
    }
  }
}

}  // namespace
}  // namespace qbc::test
