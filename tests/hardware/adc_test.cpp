// Adc and Adc8 on the simulator: voltages injected per channel are read as the converter
// gives them, with both forms of the routines (polled, and with an "adcc" handler), in
// the width the expression wants, with the reference bits left as the program set them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

// The converter's result for `millivolts` against `reference` as simavr computes it.
int Converted(int millivolts, int reference) { return 1023 * millivolts / reference; }

struct Chip {
  const char* device;
  bool inputs_above_7;
};
const Chip kChips[] = {{"m8", false}, {"m32", false}, {"m168", false}, {"m128", false}, {"m2560", true}};

std::string Program(const Chip& c, bool handler) {
  std::string p = "$device = " + std::string(c.device) + "\n$clock = 8\n$stack = 48\n";
  p += "Dim W As Word, B As Byte, W2 As Word, L As Long, C As Byte, W3 As Word, W4 As Word, M As Byte\n"
       "Dim W5 As Word, N As Byte, B2 As Byte\n";
  if (handler) p += "Declare Interrupt Adcc()\n";
  p += "N = 0\nStart Adc\nADMUX = &H40\n";  // AVCC as the reference
  if (handler) p += "Enable Adcc\nEnable Interrupts\n";
  p += "W = Adc(3)\nB = Adc8(5)\nW2 = Adc(3)\nL = Adc(3) * 1000\nC = 6\nW3 = Adc(C)\n"
       "W4 = Adc(195)\nM = ADMUX\nWriteEE(7, Adc(5))\n";
  if (c.inputs_above_7) p += "W5 = Adc(10)\nB2 = Adc8(11)\n";
  if (handler) p += "Disable Interrupts\n";
  p += "End\n";
  if (handler) p += "Interrupt Adcc()\nN = N + 1\nEnd Interrupt\n";
  return p;
}

TEST(Adc, InjectedVoltagesAreReadInEveryWidth) {
  for (const Chip& c : kChips) {
    for (bool handler : {false, true}) {
      SCOPED_TRACE(std::string(c.device) + (handler ? " with an adcc handler" : " polled"));
      auto run = RunBasic(Program(c, handler), c.device, 5'000'000, [](SimRunner& sim) {
        sim.SetAdcReferences(5000, 2500);
        sim.SetAdcInput(3, 1000);
        sim.SetAdcInput(5, 2000);
        sim.SetAdcInput(6, 3000);
        sim.SetAdcInput(10, 4000);
        sim.SetAdcInput(11, 1500);
      });
      ASSERT_TRUE(run->ok) << run->Diagnostics();
      const int ch3 = Converted(1000, 5000);
      const int ch5 = Converted(2000, 5000);
      EXPECT_EQ(run->Word("w"), ch3);
      EXPECT_EQ(run->Byte("b"), ch5 >> 2);
      EXPECT_EQ(run->Word("w2"), ch3);  // right-adjusted again after Adc8
      EXPECT_EQ(run->Long("l"), ch3 * 1000u);  // computed in 32 bits
      EXPECT_EQ(run->Word("w3"), Converted(3000, 5000));
      EXPECT_EQ(run->Word("w4"), ch3);  // 195 is channel 3 once cut to the channel bits
      EXPECT_EQ(run->Byte("m") & 0xE0, 0x40);  // reference and adjustment kept
      EXPECT_EQ(run->sim->Eeprom()[7] | (run->sim->Eeprom()[8] << 8), ch5);
      if (c.inputs_above_7) {
        EXPECT_EQ(run->Word("w5"), Converted(4000, 5000));
        EXPECT_EQ(run->Byte("b2"), Converted(1500, 5000) >> 2);
      }
      if (handler) {
        EXPECT_EQ(run->Byte("n"), c.inputs_above_7 ? 9 : 7);  // the handler saw every conversion
      }
    }
  }
}

// The small chips reach ADMUX (0x07) with in/out and set the left adjustment where the
// chip keeps it: in ADMUX on the ATtiny45 (run on the simulator), in ADCSRB on the
// ATtiny24, whose ADMUX bit 4 is a channel bit (simavr's model of it has ADLAR in ADMUX,
// so its lines are checked instead).
TEST(Adc, SmallChipsUseTheirOwnRegisterLayout) {
  auto program = [](const std::string& device) {
    return "$device = " + device + "\n$clock = 8\n$stack = 16\nDim W As Word, B As Byte, W2 As Word, M As Byte\n"
           "Start Adc\nW = Adc(3)\nB = Adc8(3)\nW2 = Adc(3)\nM = ADMUX\nEnd\n";
  };
  auto run = RunBasic(program("tn45"), "attiny45", 5'000'000, [](SimRunner& sim) {
    sim.SetAdcReferences(5000, 2500);
    sim.SetAdcInput(3, 3000);
  });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  const int ch3 = Converted(3000, 5000);  // against VCC
  EXPECT_EQ(run->Word("w"), ch3);
  EXPECT_EQ(run->Byte("b"), ch3 >> 2);
  EXPECT_EQ(run->Word("w2"), ch3);
  EXPECT_EQ(run->Byte("m"), 3);
  EXPECT_EQ(run->compiled.asm_text.find("lds\t\tzh,ADMUX"), std::string::npos);

  const CompiledBasic tn24 = CompileBasic(program("tn24"));
  ASSERT_EQ(tn24.error_count, 0) << tn24.report;
  EXPECT_NE(tn24.asm_text.find("_Adc8:\r\n\t\tsbi\t\tADCSRB,4\r\n"), std::string::npos);
  EXPECT_NE(tn24.asm_text.find("_Adc:\r\n\t\tcbi\t\tADCSRB,4\r\n"), std::string::npos);
  EXPECT_NE(tn24.asm_text.find("andi\tzh,0xc0\r\n"), std::string::npos);  // ADMUX bits 5..0 are the channel
}

}  // namespace
}  // namespace qbc::test
