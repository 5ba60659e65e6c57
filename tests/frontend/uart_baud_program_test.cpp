// The Baud statement of each UART run on the simulator: the rate divisor lands in that
// UART's own baud register, and no other UART's register is touched.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/basic_program.h"

namespace qbc {
namespace {

TEST(UartBaudProgram, EachUartGetsItsOwnDivisor) {
  // ATmega2560 at 8 MHz: UBRRnL data-space addresses; 9600 baud gives 51, 4800 gives 103.
  const std::uint32_t ubrrLow[] = {0xC4, 0xCC, 0xD4, 0x134};
  const char* const words[] = {"Baud0", "Baud1", "Baud2", "Baud3"};
  for (int uart = 0; uart < 4; ++uart) {
    for (const int rate : {9600, 4800}) {
      const std::string line = std::string(words[uart]) + " = " + std::to_string(rate);
      auto run = test::RunBasic("$device = m2560\n$clock = 8\n$stack = 32\n" + line + "\nEnd\n", "atmega2560");
      ASSERT_TRUE(run->ok) << line << "\n" << run->Diagnostics();
      for (int other = 0; other < 4; ++other) {
        const std::uint8_t expected = other == uart ? (rate == 9600 ? 51 : 103) : 0;
        EXPECT_EQ(run->sim->Sram(ubrrLow[other]), expected) << line << ", UART " << other;
      }
    }
  }
}

TEST(UartBaudProgram, PlainBaudIsTheFirstUart) {
  auto run = test::RunBasic("$device = m88\n$clock = 8\n$stack = 32\nBaud = 9600\nEnd\n", "atmega88");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Sram(0xC4), 51);
}

TEST(GlcdInitStatement, CallsTheInitRoutineOfTheConfiguredController) {
  const struct {
    const char* glcd;
    const char* call;
  } cases[] = {
      {"$glcd t6963c, data = portb, ctrl = portc, 240, 128, 8", "_Tini"},
      {"$glcd ks0108, data = porta, ctrl = portd, 128, 64, 2", "_HDini"},
      {"$glcd sed1520, data = porta, ctrl = portc, 122, 32", "_S0ini"},
      {"$glcd pcd8544, sdin = portb.0, sclk = portb.1, dc = portb.2, sce = portb.3", "_NkIni"},
  };
  for (const auto& c : cases) {
    const auto compiled =
        test::CompileBasic(std::string("$device = m32\n$clock = 8\n$stack = 32\n") + c.glcd + "\nGlcdInit\nEnd\n");
    const auto at = compiled.asm_text.find("GlcdInit--");
    ASSERT_NE(at, std::string::npos) << c.glcd << "\n" << compiled.report;
    const auto end = compiled.asm_text.find(";-Line", at);
    EXPECT_NE(compiled.asm_text.substr(at, end - at).find(std::string("call\t") + c.call), std::string::npos)
        << c.glcd << "\n" << compiled.asm_text.substr(at, end - at);
  }
}

}  // namespace
}  // namespace qbc
