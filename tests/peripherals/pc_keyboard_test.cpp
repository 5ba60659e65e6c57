// PcKey() and PcKeySend on the simulator against a PS/2 keyboard model on two open-drain
// lines: the start-up code switches the keyboard to scan code set 3, the LEDs are set, make
// and break codes arrive byte by byte; without the start-up command the keyboard stays in
// set 2; a command sent while the keyboard is in mid-frame waits for the keyboard to give
// its frame up. Ports in the low I/O space and in the extended I/O (PORTF and G of the
// ATmega128, H to L of the ATmega2560), at 8 and 16 MHz.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/open_drain_line.h"
#include "tests/support/pc_keyboard_model.h"

namespace qbc::test {
namespace {

using Key = PcKeyboardModel::Key;

struct Pin {
  char port;
  int bit;
};

std::string PinText(const Pin& p) {
  return std::string("port") + static_cast<char>(p.port - 'A' + 'a') + "." + std::to_string(p.bit);
}

struct Board {
  const char* device;
  const char* mcu;
  int mhz;
  Pin data;
  Pin clock;
};

std::string Name(const Board& b) {
  return std::string(b.device) + "_" + std::to_string(b.mhz) + "MHz_" + b.data.port + b.clock.port;
}

std::string Head(const Board& b, const std::string& option = "") {
  return std::string("$device = ") + b.device + "\n$clock = " + std::to_string(b.mhz) + "\n$stack = 32\n" +
         "$pckey data = " + PinText(b.data) + ", clock = " + PinText(b.clock) + option + "\n";
}

struct Bench {
  std::unique_ptr<OpenDrainLine> clock, data;
  std::unique_ptr<PcKeyboardModel> keyboard;

  std::function<void(SimRunner&)> Wire(const Board& b) {
    keyboard = std::make_unique<PcKeyboardModel>(b.mhz);
    return [this, b](SimRunner& sim) {
      clock = std::make_unique<OpenDrainLine>(sim, b.clock.port, b.clock.bit);
      data = std::make_unique<OpenDrainLine>(sim, b.data.port, b.data.bit);
      keyboard->Attach(sim, *clock, b.clock.port, b.clock.bit, *data, b.data.port, b.data.bit);
    };
  }

  void ExpectClean() const {
    for (const std::string& v : keyboard->Violations()) ADD_FAILURE() << v;
    EXPECT_EQ(clock->Contention(), 0);
    EXPECT_EQ(data->Contention(), 0);
  }
};

// Shift, A down and up, shift up, the up arrow down and up, then Enter through an
// expression whose left operand waits while PcKey() runs.
void PressKeys(PcKeyboardModel& kb, double from_us) {
  const Key keys[] = {Key::kLeftShift, Key::kA};
  double t = from_us;
  for (Key k : keys) kb.Press(k, t += 3000);
  kb.Release(Key::kA, t += 3000);
  kb.Release(Key::kLeftShift, t += 3000);
  kb.Press(Key::kUp, t += 3000);
  kb.Release(Key::kUp, t += 3000);
  kb.Press(Key::kEnter, t += 3000);
}

std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::string ReadKeys(int n) {
  return "Dim K(" + std::to_string(n) + ") As Byte, I As Byte, S As Byte\n"
         "For I = 0 To " + std::to_string(n - 1) + "\n  K(I) = PcKey()\nNext\nS = 100 + PcKey()\n";
}

class PcKeyboardOnModel : public ::testing::TestWithParam<Board> {};

TEST_P(PcKeyboardOnModel, SetThreeLedsAndKeys) {
  const Board& b = GetParam();
  Bench bench;
  auto wire = bench.Wire(b);
  // _PCini (0xF0, 0x03) and the two LED bytes take about 100 ms; the keys come after.
  PressKeys(*bench.keyboard, 120'000);
  const std::string with_leds = Head(b) + "PcKeySend(&HED)\nPcKeySend(&H05)\n" + ReadKeys(9) + "End\n";
  auto run = RunBasic(with_leds, b.mcu, 4'000'000ULL * static_cast<std::uint64_t>(b.mhz) / 8, wire);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  bench.ExpectClean();
  const PcKeyboardModel& kb = *bench.keyboard;
  EXPECT_EQ(kb.Received(), (std::vector<std::uint8_t>{0xF0, 0x03, 0xED, 0x05}));
  EXPECT_EQ(kb.ScanCodeSet(), 3);
  EXPECT_EQ(kb.Leds(), 5);
  const std::vector<std::uint8_t> keys = Concat({{0x12}, {0x1C}, {0xF0, 0x1C}, {0xF0, 0x12}, {0x63}, {0xF0, 0x63}});
  ASSERT_EQ(kb.Sent(), Concat({{0xFA, 0xFA, 0xFA, 0xFA}, keys, {0x5A}}));
  for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(run->Byte("k", static_cast<int>(i)), keys[i]) << "byte " << i;
  EXPECT_EQ(run->Byte("s"), 100 + 0x5A);
}

// With "noinit" the start-up code only turns the pull-ups on: the keyboard keeps set 2,
// whose up arrow has the 0xE0 prefix and whose F1 differs from set 3.
TEST_P(PcKeyboardOnModel, NoInitKeepsScanCodeSetTwo) {
  const Board& b = GetParam();
  Bench bench;
  auto wire = bench.Wire(b);
  PcKeyboardModel& kb = *bench.keyboard;
  kb.Press(Key::kUp, 2000);
  kb.Release(Key::kUp, 6000);
  kb.Press(Key::kF1, 10000);
  const std::string source = Head(b, ", noinit") +
                             "Dim K(6) As Byte, I As Byte\nFor I = 0 To 5\n  K(I) = PcKey()\nNext\nEnd\n";
  auto run = RunBasic(source, b.mcu, 20'000'000, wire);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  bench.ExpectClean();
  EXPECT_TRUE(kb.Received().empty());
  const std::vector<std::uint8_t> expected = {0xE0, 0x75, 0xE0, 0xF0, 0x75, 0x05};
  EXPECT_EQ(kb.Sent(), expected);
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(run->Byte("k", static_cast<int>(i)), expected[i]) << "byte " << i;
}

constexpr Pin kD2{'D', 2}, kD3{'D', 3}, kB0{'B', 0}, kB1{'B', 1}, kD4{'D', 4}, kC5{'C', 5};
constexpr Pin kF6{'F', 6}, kF7{'F', 7}, kG0{'G', 0}, kF3{'F', 3}, kH5{'H', 5}, kK2{'K', 2}, kL0{'L', 0}, kD1{'D', 1};

const Board kBoards[] = {
    {"m8", "atmega8", 8, kD2, kD3},          {"m8", "atmega8", 16, kB0, kB1},
    {"m88", "atmega88", 8, kD4, kC5},        {"m88", "atmega88", 16, kC5, kD2},
    {"m128", "atmega128", 8, kF6, kF7},      {"m128", "atmega128", 16, kG0, kF3},
    {"m2560", "atmega2560", 16, kH5, kK2},   {"m2560", "atmega2560", 8, kL0, kD1},
};

INSTANTIATE_TEST_SUITE_P(Boards, PcKeyboardOnModel, ::testing::ValuesIn(kBoards),
                         [](const ::testing::TestParamInfo<Board>& p) { return Name(p.param); });

// The keyboard starts a frame (the byte 0x1C) as the program marks the moment on PORTB; the
// program's command comes 250 us later, in the frame's middle. Holding the clock low first
// makes the keyboard give its frame up: the command and its argument arrive intact, the LEDs
// are set, and the keyboard sends 0x1C again afterwards. Without the hold the host pulls the
// data line low under the keyboard's frame, which garbles both.
const char* kMidFrame =
    "$device = m8\n$clock = 8\n$stack = 32\n$pckey data = portd.2, clock = portd.3, noinit\n"
    "Ddrb = 1\nPortb = 1\nWaitus 250\nPcKeySend(&HED)\nPcKeySend(&H02)\nEnd\n";

std::unique_ptr<BasicRun> MidFrameRun(const std::string& asm_text, Bench& bench) {
  const Board b{"m8", "atmega8", 8, kD2, kD3};
  auto wire = bench.Wire(b);
  auto run = std::make_unique<BasicRun>();
  run->assembled = AssembleAsm(asm_text);
  if (!run->assembled.ok) return run;
  run->sim = std::make_unique<SimRunner>(SimOptions{.mcu = "atmega8", .frequency = 8000000});
  if (!run->sim->Load(run->assembled.hex_path, run->assembled.map_path)) return run;
  wire(*run->sim);
  // PORTB's data address on the ATmega8
  run->sim->WatchWrites(0x38, [&bench](std::uint8_t value) {
    if (value == 1) bench.keyboard->Send({0x1C});
  });
  run->stop = run->sim->Run(2'000'000);
  run->ok = run->stop == SimStop::EndLoop;
  return run;
}

TEST(PcKeySend, CommandInTheKeyboardsMidFrame) {
  const CompiledBasic compiled = CompileBasic(kMidFrame);
  ASSERT_EQ(compiled.error_count, 0) << compiled.report;
  Bench bench;
  auto run = MidFrameRun(compiled.asm_text, bench);
  ASSERT_TRUE(run->ok) << run->assembled.output << SimStopName(run->stop);
  bench.ExpectClean();
  const PcKeyboardModel& kb = *bench.keyboard;
  EXPECT_EQ(kb.AbortedFrames(), 1);
  EXPECT_EQ(kb.Received(), (std::vector<std::uint8_t>{0xED, 0x02}));
  EXPECT_EQ(kb.Leds(), 2);
  EXPECT_EQ(kb.Sent(), (std::vector<std::uint8_t>{0xFA, 0x1C, 0xFA}));
}

// The same program with broken send routines in place of the one above: the model must
// see each breach. Without the hold the host pulls the data line under the keyboard's
// frame (and drives it high first, against the keyboard's 0); with a hold of a few cycles
// the keyboard gives its frame up but the request to send comes too early.
TEST(PcKeySend, BrokenHoldsAreSeenByTheModel) {
  const CompiledBasic compiled = CompileBasic(kMidFrame);
  ASSERT_EQ(compiled.error_count, 0) << compiled.report;
  const std::string hold =
      "_PCsnd:\tcbi\t\tPORTD,3\r\n\t\tsbi\t\tDDRD,3\r\n\t\tmov\t\tr24,zl\r\n\t\tldi\t\tzl,0x01\r\n"
      "\t\trcall\t_Wms\r\n\t\tmov\t\tzl,r24\r\n\t\tcbi\t\tPORTD,2\r\n\t\tsbi\t\tDDRD,2\r\n"
      "\t\tcbi\t\tDDRD,3\r\n\t\tsbi\t\tPORTD,3\r\n";
  struct Case {
    const char* routine_start;
    const char* first_violation;
    int aborted;
  };
  const Case cases[] = {
      {"_PCsnd:\tsbi\t\tDDRD,2\r\n\t\tcbi\t\tPORTD,2\r\n",
       "the host drives the data line while the keyboard sends", 0},
      {"_PCsnd:\tcbi\t\tPORTD,3\r\n\t\tsbi\t\tDDRD,3\r\n\t\tcbi\t\tPORTD,2\r\n\t\tsbi\t\tDDRD,2\r\n"
       "\t\tcbi\t\tDDRD,3\r\n\t\tsbi\t\tPORTD,3\r\n",
       "the clock was held low only", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first_violation);
    std::string text = compiled.asm_text;
    const std::size_t at = text.find(hold);
    ASSERT_NE(at, std::string::npos) << text;
    text.replace(at, hold.size(), c.routine_start);
    Bench bench;
    auto run = MidFrameRun(text, bench);
    ASSERT_TRUE(run->assembled.ok) << run->assembled.output;
    const PcKeyboardModel& kb = *bench.keyboard;
    ASSERT_FALSE(kb.Violations().empty());
    EXPECT_EQ(kb.Violations()[0].rfind(c.first_violation, 0), 0u) << kb.Violations()[0];
    EXPECT_EQ(kb.AbortedFrames(), c.aborted);
  }
}

}  // namespace
}  // namespace qbc::test
