// The DS18B20-like model itself, driven by small hand-timed programs on PB0 of an m8 at
// 8 MHz: it answers a good reset with presence, takes a byte of good slots, sends a 0 that
// a sample 10 us into the slot sees and one 25 us in does not, and lists as faults the
// waveforms a 1-Wire master must not make (the timings of fixed wait counts among them).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ds18b20_model.h"
#include "tests/support/open_drain_line.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {
namespace {

constexpr int kMhz = 8;

// Straight-line program text with waits in microseconds (r24:r25 count, 4 cycles a pass).
class Waveform {
 public:
  Waveform& Wait(double us) {
    const long passes = static_cast<long>(us * kMhz / 4);
    if (passes < 1) return Raw("nop");
    const std::string l = "w" + std::to_string(++labels_);
    return Raw("ldi r24,low(" + std::to_string(passes) + ")")
        .Raw("ldi r25,high(" + std::to_string(passes) + ")")
        .Raw(l + ": sbiw r24,1")
        .Raw("brne " + l);
  }
  // The line low for `low` us, then released for `high` us.
  Waveform& Low(double low, double high) { return Raw("sbi DDRB,0").Wait(low).Raw("cbi DDRB,0").Wait(high); }
  Waveform& Reset() { return Low(500, 500); }
  Waveform& WriteByte(int byte) {
    for (int k = 0; k < 8; ++k) ((byte >> k) & 1) != 0 ? Low(5, 65) : Low(70, 5);
    return *this;
  }
  // A read slot sampled `at` us after its falling edge, the level stored at SRAM `addr`.
  Waveform& ReadSlot(double at, int addr) {
    return Raw("sbi DDRB,0").Wait(2).Raw("cbi DDRB,0").Wait(at - 2).Raw("in r16,PINB").Raw("sts " + std::to_string(addr) + ",r16").Wait(70);
  }
  Waveform& Raw(const std::string& line) {
    text_ += "  " + line + "\n";
    return *this;
  }
  std::string Program() const { return DeviceInclude("m8") + "\n  cbi PORTB,0\n" + text_ + "end: rjmp end\n"; }

 private:
  std::string text_;
  int labels_ = 0;
};

struct Bench {
  std::unique_ptr<SimRunner> sim;
  std::unique_ptr<OpenDrainLine> line;
  Ds18b20Model device{0x0000A1B2C3D4, 0x0191};
};

void RunWave(Bench& b, const Waveform& w) {
  const AsmResult a = AssembleAsm(w.Program());
  ASSERT_TRUE(a.ok) << a.output;
  b.sim = std::make_unique<SimRunner>(SimOptions{.mcu = "atmega8", .frequency = kMhz * 1000000u});
  ASSERT_TRUE(b.sim->Load(a.hex_path, a.map_path)) << b.sim->Error();
  b.line = std::make_unique<OpenDrainLine>(*b.sim, 'B', 0);
  b.device.Attach(*b.sim, *b.line, 'B', 0, 0, kMhz);
  ASSERT_EQ(b.sim->Run(), SimStop::EndLoop);
}

TEST(Ds18b20Model, AnswersGoodSlotsAndReleasesItsZeroAfter15Us) {
  Bench b;
  Waveform w;
  w.Raw("sbi DDRB,0").Wait(500).Raw("cbi DDRB,0").Wait(70).Raw("in r16,PINB").Raw("sts 0x100,r16").Wait(430);
  // Read ROM: its first byte is the family code 0x28, whose two low bits are 0
  w.WriteByte(0x33).ReadSlot(10, 0x101).ReadSlot(25, 0x102);
  RunWave(b, w);
  EXPECT_TRUE(b.device.Faults().empty()) << b.device.Faults().front();
  EXPECT_EQ(b.device.Resets(), 1);
  EXPECT_EQ(b.device.Heard(), std::vector<std::uint8_t>{0x33});
  EXPECT_EQ(b.sim->Sram(0x100) & 1, 0) << "presence";
  EXPECT_EQ(b.sim->Sram(0x101) & 1, 0) << "a sample 10 us into the slot sees the device's 0";
  EXPECT_EQ(b.sim->Sram(0x102) & 1, 1) << "a sample 25 us into the slot comes after the device let go";
}

struct FaultCase {
  const char* name;
  Waveform wave;
  const char* fault;  // a piece of the first fault's text
};

std::vector<FaultCase> FaultCases() {
  return {
      {"reset_of_450us", Waveform().Low(450, 500), "write slot low 450"},
      {"written_zero_of_55us", Waveform().Reset().Low(55, 20), "write slot low 55"},
      {"written_one_of_20us", Waveform().Reset().Low(20, 60), "write slot low 20"},
      {"slots_40us_apart", Waveform().Reset().Low(5, 35).Low(5, 60), "too early"},
      {"slot_during_presence", Waveform().Low(500, 100).Low(5, 60), "too early"},
      {"read_slot_held_20us", Waveform().Reset().WriteByte(0x33).Low(20, 60), "read slot low 20"},
      {"line_driven_high", Waveform().Reset().Raw("sbi PORTB,0").Raw("sbi DDRB,0"), "drives the line high"},
  };
}

TEST(Ds18b20Model, ListsWaveformsOutsideTheDataSheet) {
  for (const FaultCase& c : FaultCases()) {
    Bench b;
    RunWave(b, c.wave);
    ASSERT_FALSE(b.device.Faults().empty()) << c.name;
    EXPECT_NE(b.device.Faults().front().find(c.fault), std::string::npos) << c.name << ": " << b.device.Faults().front();
  }
}

}  // namespace
}  // namespace qbc::test
