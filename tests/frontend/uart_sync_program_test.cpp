// The synchronous Baud form run on the simulator: the USART control register holds
// synchronous mode with 8 data bits (and URSEL where the register shares its address with
// UBRRH), and the XCK pin is an output for a master, an input for a slave.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/basic_program.h"

namespace qbc {
namespace {

struct Case {
  const char* mcu;
  const char* device;
  std::uint32_t ucsrc;  // data-space addresses
  std::uint32_t ddr;
  int xck;
  std::uint8_t syncValue;  // UCSRC without the polarity bit
};

TEST(UartSyncProgram, ControlRegisterAndClockPinAfterTheStatement) {
  const Case cases[] = {
      {"atmega8", "m8", 0x40, 0x31, 4, 0xC6},   // UCSRC shares 0x40 with UBRRH
      {"atmega88", "m88", 0xC2, 0x2A, 4, 0x46},
  };
  for (const Case& c : cases) {
    for (const bool master : {true, false}) {
      for (const bool lo : {false, true}) {
        const std::string line = std::string("Baud = 4800, sync, ") + (master ? "master" : "slave") + ", " +
                                 (lo ? "lo" : "hi");
        auto run = test::RunBasic(std::string("$device = ") + c.device +
                                      "\n$clock = 8\n$stack = 32\nDdrd = &H7C\n" + line + "\nEnd\n",
                                  c.mcu);
        ASSERT_TRUE(run->ok) << c.device << " " << line << "\n" << run->Diagnostics();
        const std::uint8_t ucsrc = run->sim->Sram(c.ucsrc);
        EXPECT_EQ(ucsrc, c.syncValue | (lo ? 1 : 0)) << c.device << " " << line;
        EXPECT_EQ(ucsrc & 0x06, 0x06) << "8 data bits: " << c.device << " " << line;
        const std::uint8_t ddr = run->sim->Sram(c.ddr);
        EXPECT_EQ((ddr >> c.xck) & 1, master ? 1 : 0) << "XCK direction: " << c.device << " " << line;
        EXPECT_EQ(ddr & ~(1u << c.xck) & 0xff, 0x7C & ~(1u << c.xck)) << "other pins kept: " << c.device;
      }
    }
  }
}

}  // namespace
}  // namespace qbc
