// Interrupt handlers run on the simulator: the program arms INT0, sets the registers it
// is using to known values and triggers the interrupt on its own pin (PD2 as an output);
// the handler, with a local, overwrites every register its save level keeps. Afterwards
// the interrupted code must find those registers, Y and SREG as it left them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

// Registers the interrupted code sets and checks (r2 holds SREG in every handler; Y is
// checked on its own).
const std::vector<std::string> kRegisters = {"r0",  "r1",  "r16", "r17", "r18", "r19", "r20", "r21", "r22",
                                             "r23", "r24", "r25", "xl",  "xh",  "zl",  "zh"};

struct Level {
  const char* clause;  // the save operand
  std::vector<std::string> kept;
};

const std::vector<Level>& Levels() {
  static const std::vector<Level> levels = {
      {"0", {}},
      {"1", {"zl", "zh"}},
      {"2", {"zl", "zh", "r24", "r25"}},
      {"3", {"zl", "zh", "r0", "r1", "r24", "r25", "xl", "xh"}},
      {"4", {"zl", "zh", "r0", "r1", "r24", "r25", "xl", "xh", "r20", "r21", "r22", "r23"}},
      {"all", {"zl", "zh", "r0", "r1", "r24", "r25", "xl", "xh", "r16", "r17", "r18", "r19", "r20", "r21", "r22",
               "r23"}},
  };
  return levels;
}

std::string Hex(int v) {
  const char* d = "0123456789ABCDEF";
  return std::string("0x") + d[(v >> 4) & 15] + d[v & 15];
}

int Original(std::size_t i) { return 0x30 + static_cast<int>(i); }

std::string Program(const std::string& device, const Level& level) {
  const bool m8 = device == "m8";
  std::string s = "$device = " + device + "\n$clock = 8\n$stack = 40\n";
  s += "Dim Cnt As Byte, Vs As Byte, Vyl As Byte, Vyh As Byte, Wyl As Byte, Wyh As Byte\n";
  for (const std::string& r : kRegisters) s += "Dim V" + r + " As Byte\n";
  s += "Declare Interrupt Int0()\nCnt = 0\n";
  s += "$asm\n";
  // INT0 on any change of PD2; PD2 an output, so the program triggers it itself.
  s += "  ldi r16,0x01\n";
  s += m8 ? "  out MCUCR,r16\n  ldi r16,0x40\n  out GICR,r16\n" : "  sts EICRA,r16\n  out EIMSK,r16\n";
  s += "  sbi DDRD,2\n  sei\n";
  s += "  sts wyl,yl\n  sts wyh,yh\n";
  for (std::size_t i = 0; i < kRegisters.size(); ++i) {
    const std::string& r = kRegisters[i];
    if (r == "r0" || r == "r1") {
      s += "  ldi r16," + Hex(Original(i)) + "\n  mov " + r + ",r16\n";
    }
  }
  for (std::size_t i = 0; i < kRegisters.size(); ++i) {
    const std::string& r = kRegisters[i];
    if (r != "r0" && r != "r1") s += "  ldi " + r + "," + Hex(Original(i)) + "\n";
  }
  s += "  set\n  sec\n  sbi PORTD,2\n  nop\n  nop\n  nop\n";
  for (const std::string& r : kRegisters) s += "  sts v" + r + "," + r + "\n";
  s += "  in r16,SREG\n  sts vs,r16\n  sts vyl,yl\n  sts vyh,yh\n";
  s += "$end asm\nEnd\n";

  s += std::string("Interrupt Int0()") + (std::string(level.clause) == "0" ? "" : std::string(", Save ") + level.clause) +
       "\n";
  s += "  Local c As Byte, d As Long\n  c = 3\n  d = 100000\n  d = d * c\n  Cnt = Cnt + c\n";
  // Overwrite exactly what this level keeps, so a register left out of the save fails.
  if (!level.kept.empty()) {
    s += "$asm\n";
    for (const std::string& r : level.kept)
      if (r != "r0" && r != "r1") s += "  ldi " + r + ",0xEE\n";
    for (const std::string& r : level.kept)
      if (r == "r0" || r == "r1") s += "  mov " + r + ",zl\n";
    s += "  clt\n  clc\n$end asm\n";
  }
  s += "End Interrupt\n";
  return s;
}

class ProcInterruptProgram : public ::testing::TestWithParam<const char*> {};

TEST_P(ProcInterruptProgram, EachSaveLevelKeepsTheInterruptedCodesRegisters) {
  for (const Level& level : Levels()) {
    SCOPED_TRACE(std::string("save ") + level.clause);
    auto run = RunBasic(Program(GetParam(), level), GetParam());
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("cnt"), 3);  // the handler ran once, with its local
    EXPECT_EQ(run->Byte("vyl"), run->Byte("wyl"));
    EXPECT_EQ(run->Byte("vyh"), run->Byte("wyh"));
    EXPECT_EQ(run->Byte("vs") & 0x41, 0x41);  // T and C as the interrupted code left them
    for (const std::string& r : level.kept) {
      std::size_t i = 0;
      while (kRegisters[i] != r) ++i;
      EXPECT_EQ(run->Byte("v" + r), Original(i)) << r;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Devices, ProcInterruptProgram, ::testing::Values("m8", "m88"));

}  // namespace
}  // namespace qbc::test
