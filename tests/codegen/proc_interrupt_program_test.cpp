// Interrupt handlers run on the simulator: the program arms INT0, sets the registers it
// is using to known values and triggers the interrupt on its own pin (an output);
// the handler, with a local, reads a flash table and overwrites every register its save
// level keeps. Afterwards the interrupted code must find those registers, Y, SREG and,
// on chips with more than 64 KB of flash, RAMPZ as it left them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

// Registers the interrupted code sets and checks (r2 holds SREG in every handler; Y is
// checked on its own).
const std::vector<std::string> kRegisters = {"r0",  "r1",  "r7",  "r8",  "r9",  "r10", "r11", "r12",
                                             "r13", "r14", "r15", "r16", "r17", "r18", "r19", "r20",
                                             "r21", "r22", "r23", "r24", "r25", "xl",  "xh",  "zl",  "zh"};

// r0 to r15 take no immediate operand.
bool LowRegister(const std::string& r) { return r[0] == 'r' && std::stoi(r.substr(1)) < 16; }

struct Level {
  const char* clause;  // the save operand
  std::vector<std::string> kept;
  bool glcd = false;  // the program configures a graphic display
};

const std::vector<Level>& Levels() {
  static const std::vector<Level> levels = {
      {"0", {}},
      {"1", {"zl", "zh"}},
      {"2", {"zl", "zh", "r24", "r25"}},
      {"3", {"zl", "zh", "r0", "r1", "r24", "r25", "xl", "xh"}},
      {"4", {"zl", "zh", "r0", "r1", "r24", "r25", "xl", "xh", "r20", "r21", "r22", "r23"}},
      {"all", {"zl", "zh", "r0", "r1", "r24", "r25", "xl", "xh", "r16", "r17", "r18", "r19", "r20", "r21", "r22",
               "r23", "r7"}},
      // The drawing routines use r8 to r15 as scratch.
      {"all", {"zl", "zh", "r0", "r1", "r24", "r25", "xl", "xh", "r16", "r17", "r18", "r19", "r20", "r21", "r22",
               "r23", "r7", "r8", "r9", "r10", "r11", "r12", "r13", "r14", "r15"}, true},
  };
  return levels;
}

std::string Hex(int v) {
  const char* d = "0123456789ABCDEF";
  return std::string("0x") + d[(v >> 4) & 15] + d[v & 15];
}

int Original(std::size_t i) { return 0x30 + static_cast<int>(i); }

// Chips with more than 64 KB of flash: RAMPZ is checked too.
bool HasRampz(const std::string& device) { return device == "m128" || device == "m2560"; }

std::string Program(const std::string& device, const Level& level) {
  const bool m8 = device == "m8";
  // INT0 is PD2 on the m8 and m88, PD0 on the m128 and m2560.
  const std::string pin = HasRampz(device) ? "0" : "2";
  std::string s = "$device = " + device + "\n$clock = 8\n$stack = 40\n";
  if (level.glcd)
    s += "$glcd ks0108, data = portb, ctrl = portc, 128, 64, 1\n$gctrl en = 0, wr = 1, di = 2, cs1 = 3, cs2 = 4\n";
  s += "Dim Cnt As Byte, Vs As Byte, Vyl As Byte, Vyh As Byte, Wyl As Byte, Wyh As Byte, Vrampz As Byte\n";
  s += "Dim Tb(2) As Flash Byte\n";
  for (const std::string& r : kRegisters) s += "Dim V" + r + " As Byte\n";
  s += "Declare Interrupt Int0()\nCnt = 0\n";
  s += "$asm\n";
  // INT0 on any change of its pin; the pin an output, so the program triggers it itself.
  s += "  ldi r16,0x01\n";
  s += m8 ? "  out MCUCR,r16\n  ldi r16,0x40\n  out GICR,r16\n" : "  sts EICRA,r16\n  out EIMSK,r16\n";
  s += "  sbi DDRD," + pin + "\n  sei\n";
  s += "  sts wyl,yl\n  sts wyh,yh\n";
  // The handler's table lies in the first 64 KB: the interrupted code is on another page.
  if (HasRampz(device)) s += "  ldi r16,0x01\n  out RAMPZ,r16\n";
  for (std::size_t i = 0; i < kRegisters.size(); ++i) {
    const std::string& r = kRegisters[i];
    if (LowRegister(r)) s += "  ldi r16," + Hex(Original(i)) + "\n  mov " + r + ",r16\n";
  }
  for (std::size_t i = 0; i < kRegisters.size(); ++i) {
    const std::string& r = kRegisters[i];
    if (!LowRegister(r)) s += "  ldi " + r + "," + Hex(Original(i)) + "\n";
  }
  s += "  set\n  sec\n  sbi PORTD," + pin + "\n  nop\n  nop\n  nop\n";
  for (const std::string& r : kRegisters) s += "  sts v" + r + "," + r + "\n";
  s += "  in r16,SREG\n  sts vs,r16\n  sts vyl,yl\n  sts vyh,yh\n";
  if (HasRampz(device)) s += "  in r16,RAMPZ\n  sts vrampz,r16\n";
  s += "$end asm\nEnd\n";

  s += std::string("Interrupt Int0()") + (std::string(level.clause) == "0" ? "" : std::string(", Save ") + level.clause) +
       "\n";
  s += "  Local c As Byte, d As Long\n  c = Tb(1)\n  d = 100000\n  d = d * c\n  Cnt = Cnt + c\n";
  // Overwrite exactly what this level keeps, so a register left out of the save fails.
  if (!level.kept.empty()) {
    s += "$asm\n";
    for (const std::string& r : level.kept)
      if (!LowRegister(r)) s += "  ldi " + r + ",0xEE\n";
    for (const std::string& r : level.kept)
      if (LowRegister(r)) s += "  mov " + r + ",zl\n";
    s += "  clt\n  clc\n$end asm\n";
  }
  s += "End Interrupt\nTb = 7, 3\n";
  return s;
}

class ProcInterruptProgram : public ::testing::TestWithParam<const char*> {};

TEST_P(ProcInterruptProgram, EachSaveLevelKeepsTheInterruptedCodesRegisters) {
  for (const Level& level : Levels()) {
    SCOPED_TRACE(std::string("save ") + level.clause + (level.glcd ? " with a graphic display" : ""));
    auto run = RunBasic(Program(GetParam(), level), GetParam());
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("cnt"), 3);  // the handler ran once, with its local
    EXPECT_EQ(run->Byte("vyl"), run->Byte("wyl"));
    EXPECT_EQ(run->Byte("vyh"), run->Byte("wyh"));
    EXPECT_EQ(run->Byte("vs") & 0x41, 0x41);  // T and C as the interrupted code left them
    if (HasRampz(GetParam())) {
      EXPECT_EQ(run->Byte("vrampz"), 1);
    }
    for (const std::string& r : level.kept) {
      std::size_t i = 0;
      while (kRegisters[i] != r) ++i;
      EXPECT_EQ(run->Byte("v" + r), Original(i)) << r;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Devices, ProcInterruptProgram, ::testing::Values("m8", "m88", "m128", "m2560"));

}  // namespace
}  // namespace qbc::test
