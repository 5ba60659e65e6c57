// The 1-Wire words on the simulator, against DS18B20-like devices on open-drain lines that
// fail the run on any slot outside the data sheet: presence and none, Read ROM, Match ROM
// between two devices of one bus, a conversion, the scratchpad with its CRC, the count
// forms, several buses; on the m8, the m88 and the m128 (port G and F, extended I/O) at
// every clock from 1 to 20 MHz.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/ds18b20_model.h"
#include "tests/support/open_drain_line.h"

namespace qbc::test {
namespace {

struct Pin {
  char port;
  int bit;
};

struct BusCase {
  const char* device;
  const char* mcu;
  int mhz;
  Pin buses[3];  // bus 0: devices A and B; bus 1: device C; bus 2: nobody
};

std::string Name(const BusCase& c) { return std::string(c.device) + "_" + std::to_string(c.mhz) + "MHz"; }

std::string WireLine(const BusCase& c) {
  std::string line = "$1wire = ";
  for (int i = 0; i < 3; ++i) {
    if (i != 0) line += ", ";
    line += std::string("port") + static_cast<char>(c.buses[i].port - 'A' + 'a') + "." + std::to_string(c.buses[i].bit);
  }
  return line + "\n";
}

// Bytes into an array by one assignment each (elements from 0).
std::string Fill(const std::string& name, const std::array<std::uint8_t, 8>& bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    text += name + "(" + std::to_string(i) + ") = " + std::to_string(bytes[i]) + "\n";
  return text;
}

struct Bench {
  std::unique_ptr<OpenDrainLine> lines[3];
  Ds18b20Model a{0x0000A1B2C3D4, 0x0191}, b{0x00000000BEEF, -0x005E}, c{0x00C0FFEE0042, 0x07D0};
};

class OneWireOnModel : public ::testing::TestWithParam<BusCase> {};

TEST_P(OneWireOnModel, RomScratchpadMatchAndCountForms) {
  const BusCase& c = GetParam();
  Bench bench;
  const std::string source =
      std::string("$device = ") + c.device + "\n$clock = " + std::to_string(c.mhz) + "\n$stack = 32\n" + WireLine(c) +
      "Dim P0 As Byte, P1 As Byte, P2 As Byte, D As Byte, Sum As Byte\n"
      "Dim RomA(8) As Byte, RomB(8) As Byte, RomC(8) As Byte, SpA(9) As Byte, SpB(9) As Byte, Cfg(3) As Byte\n" +
      Fill("RomA", bench.a.Rom()) + Fill("RomB", bench.b.Rom()) +
      "Cfg(0) = &h19 : Cfg(1) = &hE7 : Cfg(2) = &h3F\n"
      // presence on a bus with devices, none on the empty bus
      "P0 = 1wreset\nP1 = 1wreset 1\nP2 = 1wreset 2\n"
      // Read ROM of the only device of bus 1
      "1wreset 1\n1wwrite 1, &h33\n1wread 1, RomC, 8\n"
      // two values in one statement: Skip ROM and Convert T on bus 1
      "1wreset 1\n1wwrite 1, &hCC ; &h44\n"
      // Match ROM selects B alone for a conversion; its busy reads are 0
      "1wreset\n1wwrite &h55\n1wwrite RomB, 8\n1wwrite &h44\n"
      "Do\nD = 1wread\nLoop While D = 0\n"
      "1wreset\n1wwrite &h55\n1wwrite RomB, 8\n1wwrite &hBE\n1wread SpB, 9\n"
      // Write Scratchpad on A with the count form on an explicit bus 0, read back
      "1wreset 0\n1wwrite 0, &h55\n1wwrite 0, RomA, 8\n1wwrite 0, &h4E\n1wwrite 0, Cfg, 3\n"
      "1wreset\n1wwrite &h55\n1wwrite RomA, 8\n1wwrite &hBE\n"
      // the first byte through an expression whose left operand waits in registers
      "Sum = 100 + 1wread\n1wread 0, SpA, 8\n"
      "End\n";
  auto run = RunBasic(source, c.mcu, 20'000'000, [&](SimRunner& sim) {
    for (int i = 0; i < 3; ++i) bench.lines[i] = std::make_unique<OpenDrainLine>(sim, c.buses[i].port, c.buses[i].bit);
    bench.a.Attach(sim, *bench.lines[0], c.buses[0].port, c.buses[0].bit, 0, c.mhz);
    bench.b.Attach(sim, *bench.lines[0], c.buses[0].port, c.buses[0].bit, 1, c.mhz);
    bench.c.Attach(sim, *bench.lines[1], c.buses[1].port, c.buses[1].bit, 0, c.mhz);
  });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (const Ds18b20Model* m : {&bench.a, &bench.b, &bench.c})
    for (const std::string& f : m->Faults()) ADD_FAILURE() << f;
  for (const auto& line : bench.lines) EXPECT_EQ(line->Contention(), 0);

  EXPECT_EQ(run->Byte("p0"), 1);
  EXPECT_EQ(run->Byte("p1"), 1);
  EXPECT_EQ(run->Byte("p2"), 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(run->Byte("romc", i), bench.c.Rom()[static_cast<std::size_t>(i)]) << "ROM byte " << i;
  EXPECT_EQ(bench.a.Conversions(), 0);
  EXPECT_EQ(bench.b.Conversions(), 1);
  EXPECT_EQ(bench.c.Conversions(), 1);
  const auto spB = bench.b.Scratchpad();
  EXPECT_EQ(spB[0], 0xA2);  // -94 sixteenths: -5.875 degrees
  EXPECT_EQ(spB[1], 0xFF);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(run->Byte("spb", i), spB[static_cast<std::size_t>(i)]) << "scratchpad byte " << i;
  EXPECT_EQ(OneWireCrc8(spB.data(), 8), spB[8]);
  const auto spA = bench.a.Scratchpad();
  EXPECT_EQ(spA[2], 0x19);
  EXPECT_EQ(spA[3], 0xE7);
  EXPECT_EQ(spA[4], 0x3F);
  EXPECT_EQ(run->Byte("sum"), static_cast<std::uint8_t>(100 + spA[0]));
  for (int i = 0; i < 8; ++i) EXPECT_EQ(run->Byte("spa", i), spA[static_cast<std::size_t>(i + 1)]) << "scratchpad byte " << i + 1;
}

// A timer interrupt that takes 60 us comes every 256 us, through the reset and the slots:
// it may come between slots but never stretches one.
TEST(OneWireInterrupts, WaitBetweenSlots) {
  Ds18b20Model device{0x0000A1B2C3D4, 0x0191};
  std::unique_ptr<OpenDrainLine> line;
  const std::string source =
      "$device = m8\n$clock = 8\n$stack = 48\n$1wire = portb.0\n"
      "Dim Cnt As Byte, P As Byte, Rom(8) As Byte\nDeclare Interrupt Ovf0()\n$timer0 = timer, prescale = 8\n"
      "Cnt = 0\nEnable Ovf0\nEnable Interrupts\nStart Timer0\n"
      "P = 1wreset\n1wwrite &h33\n1wread Rom, 8\nDisable Interrupts\nEnd\n"
      "Interrupt Ovf0(), Save All\n  Cnt = Cnt + 1\n$asm\n  ldi r16,160\nisrwait:\n  dec r16\n  brne isrwait\n$end asm\n"
      "End Interrupt\n";
  auto run = RunBasic(source, "atmega8", 5'000'000, [&](SimRunner& sim) {
    line = std::make_unique<OpenDrainLine>(sim, 'B', 0);
    device.Attach(sim, *line, 'B', 0, 0, 8);
  });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (const std::string& f : device.Faults()) ADD_FAILURE() << f;
  EXPECT_GE(run->Byte("cnt"), 8);
  EXPECT_EQ(run->Byte("p"), 1);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(run->Byte("rom", i), device.Rom()[static_cast<std::size_t>(i)]) << "ROM byte " << i;
}

constexpr Pin kB0{'B', 0}, kD7{'D', 7}, kC3{'C', 3}, kG0{'G', 0}, kF2{'F', 2}, kB1{'B', 1};

const BusCase kCases[] = {
    {"m8", "atmega8", 1, {kB0, kD7, kC3}},      {"m8", "atmega8", 4, {kB0, kD7, kC3}},
    {"m8", "atmega8", 8, {kB0, kD7, kC3}},      {"m8", "atmega8", 16, {kB0, kD7, kC3}},
    {"m8", "atmega8", 20, {kB0, kD7, kC3}},     {"m88", "atmega88", 1, {kB0, kD7, kC3}},
    {"m88", "atmega88", 4, {kB0, kD7, kC3}},    {"m88", "atmega88", 8, {kB0, kD7, kC3}},
    {"m88", "atmega88", 16, {kB0, kD7, kC3}},   {"m88", "atmega88", 20, {kB0, kD7, kC3}},
    {"m128", "atmega128", 1, {kG0, kF2, kB1}},  {"m128", "atmega128", 4, {kG0, kF2, kB1}},
    {"m128", "atmega128", 8, {kG0, kF2, kB1}},  {"m128", "atmega128", 16, {kG0, kF2, kB1}},
    {"m128", "atmega128", 20, {kG0, kF2, kB1}},
};

INSTANTIATE_TEST_SUITE_P(Devices, OneWireOnModel, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<BusCase>& p) { return Name(p.param); });

}  // namespace
}  // namespace qbc::test
