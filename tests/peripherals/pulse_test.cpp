// Pulse on the simulator: the pin's level and width in cycles (three per tick plus the
// call around the wait) on ports in each reach of the instructions, the register at I/O
// 0x20..0x3F that only in/out reach, and the times and pins the statement refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Header(const std::string& device) {
  return "$device = " + device + "\n$clock = 8\n$stack = 32\nDim B As Byte, W As Word, L As Long\nConst Ten = 10\n";
}

struct PulseCase {
  const char* device;
  char port;
  int bit;
  const char* setup;  // lines before the pulse
  const char* pulse;  // the statement
  int active;         // the level during the pulse
  int ticks;          // the wait's ticks (0 counts 256)
};

// The pulse's two edges: from idle to `active` and back, `3 * ticks` cycles apart plus the
// same overhead whatever the time operand is (a call or rcall of the wait and its return).
TEST(Pulse, LevelAndWidthOnEveryKindOfPort) {
  const std::vector<PulseCase> cases = {
      {"m8", 'B', 3, "", "Pulse PORTB.3, 1, 1", 1, 1},
      {"m8", 'B', 3, "", "Pulse PORTB.3, hi, 100", 1, 100},
      {"m8", 'B', 3, "", "Pulse PORTB.3, 1, 0", 1, 256},
      {"m8", 'B', 3, "", "Pulse PORTB.3, 1, Ten", 1, 10},
      {"m8", 'D', 6, "PORTD = 255\nB = 40\n", "Pulse PORTD.6, 0, B", 0, 40},
      {"m8", 'D', 6, "PORTD = 255\nW = 300\n", "Pulse PORTD.6, low, W", 0, 300 & 0xFF},
      {"m8", 'C', 2, "$def Led = PORTC.2\n", "Pulse Led, 1, 7", 1, 7},
      {"m8", 'C', 2, "$def Pc = PORTC\n", "Pulse Pc.2, 1, &H20", 1, 32},
      {"m16", 'A', 0, "", "Pulse PORTA.0, 1, 9", 1, 9},
      {"m88", 'D', 4, "PORTD = 255\n", "Pulse PORTD.4, 0, 30", 0, 30},
      // Extended I/O: PORTF of the m128, PORTH and PORTL of the m2560 (lds/sts).
      {"m128", 'F', 2, "", "Pulse PORTF.2, 1, 1", 1, 1},
      {"m128", 'F', 2, "", "Pulse PORTF.2, 1, 50", 1, 50},
      {"m128", 'F', 5, "PORTF = 255\n", "Pulse PORTF.5, 0, 50", 0, 50},
      {"m2560", 'H', 4, "", "Pulse PORTH.4, 1, 20", 1, 20},
      {"m2560", 'L', 7, "PORTL = 255\nL = 70\n", "Pulse PORTL.7, 0, L", 0, 70},
  };
  for (const PulseCase& c : cases) {
    SCOPED_TRACE(std::string(c.device) + ": " + c.pulse);
    const std::string ddr = std::string("DDR") + c.port;
    auto run = RunBasic(Header(c.device) + ddr + " = 255\n" + c.setup + c.pulse + "\nEnd\n", c.device, 5'000'000,
                        [&](SimRunner& sim) { sim.WatchPin(c.port, c.bit); });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    const auto& edges = run->sim->PinEdges(c.port, c.bit);
    // Edges while the pin is set up for the pulse (the port's idle level) come first.
    ASSERT_GE(edges.size(), 2u);
    const auto& on = edges[edges.size() - 2];
    const auto& off = edges.back();
    EXPECT_EQ(on.level, c.active);
    EXPECT_EQ(off.level, 1 - c.active);
    const auto width = static_cast<std::int64_t>(off.cycle - on.cycle);
    // ldi/mov (1), call (4, or 5 with the m2560's three-byte return address), the wait (3
    // per tick, less 1 for the last brne), its ret (4 or 5), the clearing instruction;
    // lds/sbr/sts add 3.
    const std::int64_t overhead = width - 3 * c.ticks;
    EXPECT_GE(overhead, 5);
    EXPECT_LE(overhead, 18);
  }
}

// The same width on the three kinds of port: only the overhead of the call differs.
TEST(Pulse, WidthGrowsByThreeCyclesPerTick) {
  auto width = [](const std::string& time) {
    auto run = RunBasic(Header("m8") + "DDRB = 255\nB = 200\nPulse PORTB.0, 1, " + time + "\nEnd\n", "m8", 5'000'000,
                        [](SimRunner& sim) { sim.WatchPin('B', 0); });
    EXPECT_TRUE(run->ok) << run->Diagnostics();
    const auto& e = run->sim->PinEdges('B', 0);
    return e.size() < 2 ? std::int64_t{-1} : static_cast<std::int64_t>(e.back().cycle - e[e.size() - 2].cycle);
  };
  const std::int64_t one = width("1");
  EXPECT_EQ(width("2") - one, 3);
  EXPECT_EQ(width("255") - one, 3 * 254);
  EXPECT_EQ(width("0") - one, 3 * 255);  // 0 counts 256 ticks
}

// A register at I/O 0x20..0x3F (GPIOR1 of the m88, 0x2A) is reached by in/out; its data
// address is 0x4A, and data address 0x2A is DDRD, which must stay as it was.
TEST(Pulse, RegisterAboveTheBitInstructionsButInTheIoSpace) {
  std::vector<int> writes, ddrd;
  auto run = RunBasic(Header("m88") + "DDRD = 0\nGPIOR1 = &H81\nPulse GPIOR1.3, 1, 5\nEnd\n", "m88", 5'000'000,
                      [&](SimRunner& sim) {
                        // A watched register keeps only what the watch stores (GPIOR1 has no
                        // handler of its own in the simulator).
                        sim.WatchWrites(0x4A, [&](std::uint8_t v) {
                          writes.push_back(v);
                          sim.SetSram(0x4A, v);
                        });
                        sim.WatchWrites(0x2A, [&](std::uint8_t v) {
                          ddrd.push_back(v);
                          sim.SetSram(0x2A, v);
                        });
                      });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(writes, (std::vector<int>{0x81, 0x89, 0x81}));
  EXPECT_EQ(ddrd, (std::vector<int>{0x00}));
}

// The statement's lines: the pin's two changes around the count and the wait's call.
TEST(Pulse, Lines) {
  struct Case {
    const char* device;
    const char* statement;
    const char* lines;
  };
  const std::vector<Case> cases = {
      {"m8", "Pulse portb.3, 1, 100",
       "\t\tsbi\t\tportb,3\r\n\t\tldi\t\tr23,100\r\n\t\trcall\t_Wtic\r\n\t\tcbi\t\tportb,3\r\n"},
      {"m128", "Pulse portf.2, 0, 10",
       "\t\tlds\t\tzl,portf\r\n\t\tcbr\t\tzl,0x04\r\n\t\tsts\t\tportf,zl\r\n\t\tldi\t\tr23,10\r\n"
       "\t\tcall\t_Wtic\r\n\t\tlds\t\tzl,portf\r\n\t\tsbr\t\tzl,0x04\r\n\t\tsts\t\tportf,zl\r\n"},
      {"m88", "Pulse gpior2.7, low, 3",
       "\t\tin\t\tzl,gpior2\r\n\t\tcbr\t\tzl,0x80\r\n\t\tout\t\tgpior2,zl\r\n\t\tldi\t\tr23,3\r\n"
       "\t\trcall\t_Wtic\r\n\t\tin\t\tzl,gpior2\r\n\t\tsbr\t\tzl,0x80\r\n\t\tout\t\tgpior2,zl\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.device) + ": " + c.statement);
    const auto compiled = CompileBasic(Header(c.device) + c.statement + "\nEnd\n");
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    EXPECT_NE(compiled.asm_text.find(c.lines), std::string::npos) << compiled.asm_text;
  }
}

TEST(Pulse, RefusedOperands) {
  struct Case {
    const char* statement;
    const char* message;
  };
  const std::vector<Case> cases = {
      // A time that no ldi of r23 holds.
      {"Pulse PORTB.1, 1, 256", "From 0 to 255!"},
      {"Pulse PORTB.1, 1, Big", "From 0 to 255!"},
      {"Pulse PORTB.1, 1, -1", "Must be numeric constant or variable!"},
      // No number, constant or numeric variable: nothing would load the count.
      {"Pulse PORTB.1, 1, S", "Must be numeric constant or variable!"},
      {"Pulse PORTB.1, 1, F", "Must be numeric constant or variable!"},
      {"Pulse PORTB.1, 1, Nothing", "Must be numeric constant or variable!"},
      {"Pulse PORTB.8, 1, 5", "From 0 to 7!"},
      {"Pulse PORTB.1, 2, 5", "1 or 0!"},
      {"Pulse PORTB, 1, 5", "Missing \".\""},
      {"Pulse Nowhere.1, 1, 5", "Unknown identifier nowhere"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    const auto compiled = CompileBasic("$device = m8\n$clock = 8\n$stack = 32\nDim S As String * 4, F As Float\n"
                                       "Const Big = 300\n" +
                                       std::string(c.statement) + "\nEnd\n");
    EXPECT_TRUE(compiled.StartsWithError(c.message, 6)) << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
