// Software parity of UART 0 on chips whose UART has no parity of its own: the ninth
// transmit bit is set from the frame format before every byte.
#include <gtest/gtest.h>

#include <bitset>
#include <string>
#include <vector>

#include "tests/uart/uart_program.h"

namespace qbc::test {
namespace {

// ATtiny2313: UDR and UCSRB (bit 0 = TXB8) by data address.
constexpr std::uint32_t kTn2313Udr = 0x2C;
constexpr std::uint32_t kTn2313Ucsrb = 0x2A;

bool NinthBit(char code, std::uint8_t byte) {
  const bool oddOnes = std::bitset<8>(byte).count() % 2 == 1;
  switch (code) {
    case 'm': return true;
    case 's': return false;
    case 'o': return !oddOnes;  // the nine bits hold an odd number of ones
    default: return oddOnes;    // even
  }
}

TEST(SoftwareParity, NinthBitFollowsTheParityOfEveryByte) {
  for (char code : {'m', 's', 'o', 'e'}) {
    struct Sent {
      std::uint8_t byte;
      bool ninth;
    };
    std::vector<Sent> sent;
    const std::string head = std::string("$baud = 38400, ") + code + ", 8, 1\n";
    // The second $baud line gives UART 0 its frame format.
    auto run = RunUart("tn2313",
                       "Dim B As Byte\nB = 0\nDo\nPrintBin B\nB = B + 1\nLoop While B <> 0\nEnd\n", {}, head,
                       [&](SimRunner& sim) {
                         sim.WatchWrites(kTn2313Udr, [&sent, &sim](std::uint8_t v) {
                           sent.push_back({v, (sim.Sram(kTn2313Ucsrb) & 1) != 0});
                         });
                       });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    // The byte written is the byte given: the parity routine hands r24 back unchanged.
    ASSERT_EQ(sent.size(), 256u) << code;
    for (int b = 0; b < 256; ++b) {
      ASSERT_EQ(sent[b].byte, b) << code;
      EXPECT_EQ(sent[b].ninth, NinthBit(code, static_cast<std::uint8_t>(b))) << code << " byte " << b;
    }
  }
}

// Chips simavr has no model of: the character routine calls the parity routine, whose
// register names the chip's definition file knows (the program assembles).
TEST(SoftwareParity, ClassicChipsCallTheParityRoutine) {
  for (const char* device : {"m8515", "m162"}) {
    const auto compiled = CompileBasic(UartProgram(device, "Print \"x\"\nEnd\n", "$baud = 9600, e, 8, 1\n"));
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    EXPECT_NE(compiled.asm_text.find("\trcall\t_Prty\r\n"), std::string::npos) << device;
    EXPECT_NE(compiled.asm_text.find("_Prty:"), std::string::npos) << device;
    const auto assembled = AssembleAsmFile(compiled.asm_path);
    EXPECT_TRUE(assembled.ok) << device << "\n" << assembled.output;
  }
}

}  // namespace
}  // namespace qbc::test
