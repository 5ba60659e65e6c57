// Software parity of UART 0 on chips whose UART has no parity of its own (the classic UART,
// whose device file names no frame register UCSRC): the ninth transmit bit is set from the
// frame format before every byte. A UART with a frame register takes the format itself.
#include <gtest/gtest.h>

#include <bitset>
#include <string>
#include <vector>

#include "tests/uart/uart_program.h"

namespace qbc::test {
namespace {

// AT90S2313 (run on the ATtiny2313 model): UDR and UCR (bit 0 = TXB8) by data address.
constexpr std::uint32_t kUdr = 0x2C;
constexpr std::uint32_t kUcr = 0x2A;

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
    auto run = RunUart("2313",
                       "Dim B As Byte\nB = 0\nDo\nPrintBin B\nB = B + 1\nLoop While B <> 0\nEnd\n", {}, head,
                       [&](SimRunner& sim) {
                         sim.WatchWrites(kUdr, [&sent, &sim](std::uint8_t v) {
                           sent.push_back({v, (sim.Sram(kUcr) & 1) != 0});
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
  for (const char* device : {"8515", "4433", "m161", "m163", "m103"}) {
    const auto compiled = CompileBasic(UartProgram(device, "Print \"x\"\nEnd\n", "$baud = 9600, e, 8, 1\n"));
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    EXPECT_NE(compiled.asm_text.find("\trcall\t_Prty\r\n"), std::string::npos) << device;
    EXPECT_NE(compiled.asm_text.find("_Prty:"), std::string::npos) << device;
    const auto assembled = AssembleAsmFile(compiled.asm_path);
    EXPECT_TRUE(assembled.ok) << device << "\n" << assembled.output;
  }
}

// A UART with a frame register (UCSRC) sends the parity bit itself: the start-up writes the
// format there (URSEL set where UCSRC shares UBRRH's address), the ninth bit stays off and
// no parity routine is written. These chips' files name the frame register, though their
// names were once taken for the classic UART's.
TEST(SoftwareParity, UartsWithAFrameRegisterTakeTheFormatThemselves) {
  struct Case {
    const char* device;
    const char* frame;  // the frame register's line: even parity, 8 bits, 1 stop bit
  };
  for (const Case& c : {Case{"tn2313", "\t\tout\t\tUCSRC,zh\r\n"}, Case{"m8515", "\t\tout\t\tUCSRC,zh\r\n"},
                        Case{"m162", "\t\tout\t\tUCSR0C,zh\r\n"}, Case{"m328p", "\t\tsts\t\tUCSR0C,zh\r\n"}}) {
    SCOPED_TRACE(c.device);
    const auto compiled = CompileBasic(UartProgram(c.device, "Print \"x\"\nEnd\n", "$baud = 9600, e, 8, 1\n"));
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    const bool ursel = std::string(c.device) != "tn2313" && std::string(c.device) != "m328p";
    EXPECT_NE(compiled.asm_text.find(std::string("\t\tldi\t\tzh,0x") + (ursel ? "A6" : "26") + "\r\n" + c.frame),
              std::string::npos)
        << compiled.asm_text;
    EXPECT_NE(compiled.asm_text.find("\t\tldi\t\tzl,0x18\r\n"), std::string::npos);
    EXPECT_EQ(compiled.asm_text.find("_Prty"), std::string::npos);
    EXPECT_TRUE(AssembleAsmFile(compiled.asm_path).ok);
  }
}

}  // namespace
}  // namespace qbc::test
