// One program with every peripheral of the group, on each chip family with its own pins:
// SPI to a slave, ShiftOut to a shift register, ShiftIn from one, a matrix keypad with a
// tone as key signal, NoKey, Pulse, Sound, a DTMF tone and an RC5 frame, all with their
// models attached at once. The ATmega128 has its keypad and shift registers on PORTF and
// the rest on PORTG, the ATmega2560 everything on ports H to L (beyond the I/O space).
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/dtmf_analyser.h"
#include "tests/support/keypad_model.h"
#include "tests/support/rc5_transmitter.h"
#include "tests/support/shift_register_models.h"
#include "tests/support/spi_models.h"

namespace qbc::test {
namespace {

constexpr std::uint64_t kMs = 8000;  // cycles at 8 MHz

std::string Name(PinId p) { return std::string("port") + static_cast<char>(p.port + 32) + "." + std::to_string(p.bit); }

struct Chip {
  const char* device;
  std::uint32_t ocr1al;  // data address of OCR1AL
  PinId oc1a;
  const char* rows;  // "port &hMask"
  const char* cols;
  PinId row, column;  // the key that is pressed
  PinId shiftOutData, shiftOutClock, shiftInData, shiftInClock, sound, pulse, rc5;
};

TEST(AllPeripherals, RunTogetherOnEveryFamily) {
  const std::vector<Chip> chips = {
      {"m8", 0x4A, {'B', 1}, "portc &h0F", "portd &hF0", {'C', 1}, {'D', 5},
       {'D', 0}, {'D', 1}, {'C', 4}, {'C', 5}, {'D', 3}, {'B', 0}, {'D', 2}},
      {"m16", 0x4A, {'D', 5}, "porta &h0F", "portc &hF0", {'A', 2}, {'C', 6},
       {'A', 4}, {'A', 5}, {'A', 6}, {'A', 7}, {'D', 3}, {'D', 4}, {'D', 2}},
      {"m88", 0x88, {'B', 1}, "portc &h0F", "portd &hF0", {'C', 1}, {'D', 5},
       {'D', 0}, {'D', 1}, {'C', 4}, {'C', 5}, {'D', 3}, {'B', 0}, {'D', 2}},
      {"m128", 0x4A, {'B', 5}, "portf &h03", "portf &h0C", {'F', 1}, {'F', 3},
       {'F', 4}, {'F', 5}, {'F', 6}, {'F', 7}, {'G', 0}, {'G', 1}, {'G', 2}},
      {"m2560", 0x88, {'B', 5}, "portk &h0F", "portj &h0F", {'K', 3}, {'J', 2},
       {'H', 0}, {'H', 1}, {'H', 2}, {'H', 3}, {'L', 0}, {'L', 1}, {'L', 2}},
  };
  for (const Chip& c : chips) {
    SCOPED_TRACE(c.device);
    const std::string src = "$device = " + std::string(c.device) + "\n$clock = 8\n$stack = 64\n" +
                            "$spi = 16, msb, master, low, low\n" +
                            "$shiftout data = " + Name(c.shiftOutData) + ", clock = " + Name(c.shiftOutClock) + ", msb\n" +
                            "$shiftin data = " + Name(c.shiftInData) + ", clock = " + Name(c.shiftInClock) + ", lsb\n" +
                            "$sound = " + Name(c.sound) + "\n" +
                            "$key rows = " + c.rows + ", cols = " + c.cols + ", sound 4, 1\n" +
                            "$rc5 = " + Name(c.rc5) + "\n" +
                            "$dtmf = " + Name(c.oc1a) + ", 20\n" +
                            "Dim KeyBeep As Byte, K As Byte, A As Byte, C As Byte, B As Byte, S As Byte, W As Word\n"
                            "KeyBeep = 1\nW = &H1234\n"
                            "ShiftOut &HA5; W\nB = ShiftIn\nSpiOut &H3C\nS = Spi(&H11)\n"
                            "K = Key()\nNoKey()\n"
                            "DDR" + c.pulse.port + " = DDR" + c.pulse.port + " Or " + std::to_string(1 << c.pulse.bit) +
                            "\nPulse " + Name(c.pulse) + ", 1, 50\n"
                            "Sound 3, 2\nDtmf(5)\nRc5(A, C)\nEnd\n";
    // The key is down from the start until 30 ms; the remote sends at 60 ms, after the tone.
    KeypadModel pad;
    pad.MatrixKey(c.row, c.column).ClosedFrom(0).OpenFrom(30 * kMs);
    Rc5Transmitter remote(c.rc5, 8);
    remote.Send(60 * kMs, {.toggle = 1, .address = 21, .command = 42});
    DtmfAnalyser ear(8);
    std::unique_ptr<SpiSlaveModel> slave;
    std::unique_ptr<ShiftInSource> part;
    auto run = RunBasic(src, c.device, 150 * kMs, [&](SimRunner& sim) {
      pad.Attach(sim);
      remote.Attach(sim);
      ear.Watch(sim, c.ocr1al);
      slave = std::make_unique<SpiSlaveModel>(sim, std::vector<std::uint8_t>{0x00, 0x77});
      part = std::make_unique<ShiftInSource>(sim, c.shiftInData.port, c.shiftInData.bit, c.shiftInClock.bit,
                                             BitsOf({0xC3}, false));
      for (const PinId p : {c.shiftOutData, c.shiftOutClock, c.sound, c.pulse}) sim.WatchPin(p.port, p.bit);
    });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    SimRunner& sim = *run->sim;

    const ShiftOutCapture out = DecodeShiftOut(sim.PinEdges(c.shiftOutData.port, c.shiftOutData.bit),
                                               sim.PinEdges(c.shiftOutClock.port, c.shiftOutClock.bit));
    EXPECT_EQ(out.Bytes(true), (std::vector<std::uint8_t>{0xA5, 0x34, 0x12}));
    EXPECT_EQ(out.setupViolations + out.holdViolations, 0);
    EXPECT_EQ(run->Byte("b"), 0xC3);
    EXPECT_EQ(part->Pulses(), 8);
    EXPECT_EQ(slave->Received(), (std::vector<std::uint8_t>{0x3C, 0x11}));
    EXPECT_EQ(run->Byte("s"), 0x77);
    EXPECT_EQ(run->Byte("k"), 8 * c.column.bit + c.row.bit + 1);

    // The pulse comes after NoKey saw the key released.
    const auto& pulse = sim.PinEdges(c.pulse.port, c.pulse.bit);
    ASSERT_GE(pulse.size(), 2u);
    EXPECT_EQ(pulse[pulse.size() - 2].level, 1);
    EXPECT_GE(pulse[pulse.size() - 2].cycle, 30 * kMs);
    const std::uint64_t width = pulse.back().cycle - pulse[pulse.size() - 2].cycle;
    EXPECT_GE(width, 150u);
    EXPECT_LE(width, 150u + 18u);

    // Ten periods of the key signal (4 units a half), then twenty of Sound (3 units).
    std::vector<SimRunner::Edge> sound = sim.PinEdges(c.sound.port, c.sound.bit);
    while (!sound.empty() && sound.front().level == 0) sound.erase(sound.begin());
    ASSERT_EQ(sound.size(), 2u * 30u);
    for (std::size_t i = 0; i < sound.size(); i += 2) {
      const std::uint64_t high = sound[i + 1].cycle - sound[i].cycle;
      const std::uint64_t units = i < 20 ? 4 : 3;
      ASSERT_GE(high, 78 * units) << "period " << i / 2;
      ASSERT_LE(high, 78 * units + 20) << "period " << i / 2;
    }
    EXPECT_LT(sound.front().cycle, 30 * kMs);  // the key signal, before the release
    EXPECT_GT(sound[20].cycle, 30 * kMs);      // Sound, after the pulse

    const auto bursts = ear.Bursts();
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_NEAR(bursts[0].first, 770, 770 * 0.015);
    EXPECT_NEAR(bursts[0].second, 1336, 1336 * 0.015);

    EXPECT_EQ(run->Byte("a"), 32 + 21);
    EXPECT_EQ(run->Byte("c"), 42);
    EXPECT_EQ(sim.Sreg() & 0x80, 0);  // every routine gave the I flag back
  }
}

}  // namespace
}  // namespace qbc::test
