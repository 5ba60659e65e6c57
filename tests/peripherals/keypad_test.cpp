// Key() and NoKey() on the simulator with switches on the pins: matrix codes (8 x column
// bit + row bit + 1, the lowest row and column win), keys in line (active low and high),
// debounce, NoKey waiting for the release in both forms, the key signal, and ports in
// every reach of the instructions.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/keypad_model.h"

namespace qbc::test {
namespace {

constexpr std::uint64_t kMs = 8000;  // cycles at 8 MHz

std::string Program(const std::string& device, const std::string& key, const std::string& body) {
  return "$device = " + device + "\n$clock = 8\n$stack = 32\n$key " + key +
         "\nDim K As Byte, W As Word, KeyBeep As Byte\n" + body + "\nEnd\n";
}

struct Contact {
  PinId row;
  PinId column;  // the row pin again for a key in line
  std::uint64_t closed = 0;
  std::uint64_t opened = 0;  // 0: stays closed
  // Chatter: `bounces` changes `bounceEvery` cycles apart from `bounceFrom` on.
  std::uint64_t bounceFrom = 0;
  std::uint64_t bounceEvery = 0;
  int bounces = 0;
};

void Wire(KeypadModel& pad, const Contact& c, int lineLevel) {
  KeypadModel::Key& k = c.row == c.column ? pad.LineKey(c.row, lineLevel) : pad.MatrixKey(c.row, c.column);
  k.ClosedFrom(c.closed);
  if (c.opened != 0) k.OpenFrom(c.opened);
  if (c.bounces != 0) k.Bounce(c.bounceFrom, c.bounceEvery, c.bounces);
}

struct KeyCase {
  const char* device;
  const char* key;  // the $key line after "$key "
  std::vector<Contact> contacts;
  int expected;
  int lineLevel = 0;  // what a key in line joins its pin to
};

TEST(Keypad, KeyReadsTheKeysThatAreDown) {
  const char* matrix = "rows = portb &hF0, cols = portd &h0F";
  const std::vector<KeyCase> cases = {
      {"m8", matrix, {}, 0},
      // Column bit 0 gives 5 to 8, each further column eight more.
      {"m8", matrix, {{{'B', 4}, {'D', 0}}}, 5},
      {"m8", matrix, {{{'B', 7}, {'D', 0}}}, 8},
      {"m8", matrix, {{{'B', 4}, {'D', 1}}}, 13},
      {"m8", matrix, {{{'B', 6}, {'D', 2}}}, 23},
      {"m8", matrix, {{{'B', 7}, {'D', 3}}}, 32},
      // Two keys: the lowest row and the lowest column win.
      {"m8", matrix, {{{'B', 6}, {'D', 2}}, {{'B', 5}, {'D', 2}}}, 22},
      {"m8", matrix, {{{'B', 6}, {'D', 3}}, {{'B', 6}, {'D', 1}}}, 15},
      // A contact that opens during the debounce wait is no key.
      {"m8", matrix, {{{'B', 5}, {'D', 1}, 0, 5 * kMs}}, 0},
      // One that closes after the first look is no key either (the next call finds it).
      {"m8", matrix, {{{'B', 5}, {'D', 1}, 5 * kMs}}, 0},
      // Chatter from 1 ms on, every 1.5 ms: twelve changes end closed at 17.5 ms, before
      // the second look after 20 ms; thirty-nine are open from 19 ms to 20.5 ms, when the
      // second look comes.
      {"m8", matrix, {{{'B', 5}, {'D', 1}, 0, 0, kMs, 3 * kMs / 2, 12}}, 14},
      {"m8", matrix, {{{'B', 5}, {'D', 1}, 0, 0, kMs, 3 * kMs / 2, 39}}, 0},
      {"m8", "rows = portb &h0F", {{{'B', 2}, {'B', 2}, 0, 0, kMs, 3 * kMs / 2, 12}}, 4},
      {"m8", "rows = portb &h0F", {{{'B', 2}, {'B', 2}, 0, 0, kMs, 3 * kMs / 2, 39}}, 0},
      // A debounce time of its own: a contact open after 10 ms bounces within 20 ms only.
      {"m8", "rows = portb &hF0, cols = portd &h0F, 5", {{{'B', 5}, {'D', 1}, 0, 10 * kMs}}, 14},
      // Extended I/O ports: PORTF of the ATmega128 (its PINF is an I/O register), ports
      // H to L of the ATmega2560.
      {"m128", "rows = portf &h0F, cols = portf &hF0", {{{'F', 1}, {'F', 5}}}, 42},
      {"m2560", "rows = portk &hF0, cols = portj &h0F", {{{'K', 4}, {'J', 2}}}, 21},
      {"m88", "rows = portc &h0F, cols = portd &hF0", {{{'C', 2}, {'D', 7}}}, 59},
      {"m16", "rows = porta &hFF, cols = portc &hFF", {{{'A', 0}, {'C', 0}}}, 1},
      // Keys in line, active low: the pressed lines' bits.
      {"m8", "rows = portb &h0F", {{{'B', 1}, {'B', 1}}}, 2},
      {"m8", "rows = portb &h0F", {{{'B', 1}, {'B', 1}}, {{'B', 3}, {'B', 3}}}, 10},
      {"m8", "rows = portb &h0F", {{{'B', 1}, {'B', 1}, 0, 5 * kMs}}, 0},
      {"m128", "rows = portf &hF0", {{{'F', 6}, {'F', 6}}}, 64},
      // Active high: a key joins its line to the supply.
      {"m8", "rows = portb &h0F, hi", {{{'B', 2}, {'B', 2}}}, 4, 1},
      {"m8", "rows = portb &h0F, hi", {}, 0, 1},
      // A port named by its PIN or DDR register is that same port.
      {"m8", "rows = pinb &h0F", {{{'B', 1}, {'B', 1}}}, 2},
      {"m8", "rows = pinb 15", {{{'B', 3}, {'B', 3}}}, 8},
      {"m8", "rows = pinb &hF0, cols = pind &h0F", {{{'B', 4}, {'D', 0}}}, 5},
      {"m8", "rows = ddrb &hF0, cols = ddrd &h0F", {{{'B', 7}, {'D', 3}}}, 32},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " $key " + c.key + " expects " + std::to_string(c.expected));
    KeypadModel pad;
    for (const Contact& contact : c.contacts) Wire(pad, contact, c.lineLevel);
    auto run = RunBasic(Program(c.device, c.key, "K = Key()\nW = Key()"), c.device, 5'000'000,
                        [&](SimRunner& sim) { pad.Attach(sim); });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("k"), c.expected);
  }
}

// Every key of a 4 x 4 pad on rows PB4..PB7 and columns PD0..PD3, one after the other in
// one run: 5 to 8 on column 0, 13 to 16, 21 to 24 and 29 to 32 on the next ones.
TEST(Keypad, EveryKeyOfAFourByFourPad) {
  constexpr std::uint64_t kEach = 5 * kMs;
  KeypadModel pad;
  std::vector<int> expected;
  for (int column = 0; column < 4; ++column) {
    for (int row = 4; row < 8; ++row) {
      const std::uint64_t start = (1 + expected.size()) * kEach;
      pad.MatrixKey({'B', row}, {'D', column}).ClosedFrom(start).OpenFrom(start + 4 * kMs);
      expected.push_back(8 * column + row + 1);
    }
  }
  auto run = RunBasic(Program("m8", "rows = portb &hF0, cols = portd &h0F, 2",
                              "Dim Codes(16) As Byte, I As Byte\n"
                              "For I = 0 To 15\n  K = 0\n  While K = 0\n    K = Key()\n  Wend\n  Codes(I) = K\n  NoKey()\nNext"),
                      "m8", 20 * kEach, [&](SimRunner& sim) { pad.Attach(sim); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  std::vector<int> got;
  for (int i = 0; i < 16; ++i) got.push_back(run->Byte("codes", i));
  EXPECT_EQ(got, expected);
}

TEST(Keypad, KeyIntoAWordIsTheKeyZeroExtended) {
  KeypadModel pad;
  pad.MatrixKey({'B', 7}, {'D', 3}).ClosedFrom(0);
  auto run = RunBasic(Program("m8", "rows = portb &hF0, cols = portd &h0F", "W = &HFFFF\nW = Key()"), "m8",
                      5'000'000, [&](SimRunner& sim) { pad.Attach(sim); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Word("w"), 32);
}

TEST(Keypad, NoKeyWaitsForTheRelease) {
  struct Case {
    const char* device;
    const char* key;
    PinId row, column;
    int lineLevel = 0;  // what a key in line joins its pin to
  };
  const std::vector<Case> cases = {
      {"m8", "rows = portb &hF0, cols = portd &h0F", {'B', 5}, {'D', 2}},
      {"m128", "rows = portf &h0F, cols = portf &hF0", {'F', 0}, {'F', 7}},
      {"m2560", "rows = portk &hF0, cols = portj &h0F", {'K', 6}, {'J', 1}},
      {"m8", "rows = portb &h0F", {'B', 3}, {'B', 3}},
      {"m8", "rows = portb &h0F, hi", {'B', 3}, {'B', 3}, 1},
  };
  for (const Case& c : cases) {
    for (const std::uint64_t release : {std::uint64_t{0}, 3 * kMs}) {
      SCOPED_TRACE(std::string(c.device) + " $key " + c.key + " released at " + std::to_string(release));
      KeypadModel pad;
      if (release != 0) {
        KeypadModel::Key& k = c.row == c.column ? pad.LineKey(c.row, c.lineLevel) : pad.MatrixKey(c.row, c.column);
        k.ClosedFrom(0).OpenFrom(release);
      }
      auto run = RunBasic(Program(c.device, c.key, "NoKey()"), c.device, 5'000'000,
                          [&](SimRunner& sim) { pad.Attach(sim); });
      ASSERT_TRUE(run->ok) << run->Diagnostics();
      EXPECT_GE(run->sim->Cycles(), release);
      EXPECT_LT(run->sim->Cycles(), release + 1000);
    }
  }
}

// The key signal: a pulse on its pin (high or low for its milliseconds) or a tone, only
// while KeyBeep is not 0.
TEST(Keypad, KeySignalFollowsKeyBeep) {
  struct Case {
    const char* device;
    const char* key;
    char port;
    int bit;
    int keyBeep;
    int edges;       // on the signal pin after the start-up code
    int firstLevel;  // of a pulse
    int toneHalfUnits = 0;  // a tone's half period in steps of the microsecond wait (78 cycles)
  };
  const std::vector<Case> cases = {
      {"m8", "rows = portb &hF0, cols = portd &h0F, portd.5, 2, hi", 'D', 5, 1, 2, 1},
      {"m8", "rows = portb &hF0, cols = portd &h0F, portd.5, 2, lo", 'D', 5, 1, 2, 0},
      {"m8", "rows = portb &hF0, cols = portd &h0F, portd.5, 2, hi", 'D', 5, 0, 0, 0},
      {"m8", "rows = portb &h0F, portd.6, 2, hi", 'D', 6, 1, 2, 1},
      {"m128", "rows = portf &h0F, cols = portf &h70, portf.7, 2, hi", 'F', 7, 1, 2, 1},
      // A signal pin on the ports only the ATmega1280/2560 family has.
      {"m2560", "rows = portk &hF0, cols = portj &h0F, portl.5, 2, lo", 'L', 5, 1, 2, 0},
      // A tone of 10 periods on the $sound pin.
      {"m8", "rows = portb &hF0, cols = portd &h0F, sound 4, 1", 'C', 0, 1, 20, 1},
      {"m8", "rows = portb &hF0, cols = portd &h0F, sound 4, 1", 'C', 0, 0, 0, 1},
      {"m8", "rows = portb &h0F, sound 4, 1", 'C', 0, 1, 20, 1, 4},
      // A half period of 0 is the longest tone, 256 steps, as with Sound.
      {"m8", "rows = portb &h0F, sound 0, 1", 'C', 0, 1, 20, 1, 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " $key " + c.key + " KeyBeep " + std::to_string(c.keyBeep));
    // The program makes the signal pin an output, idle high for a low pulse.
    const std::string ddr = std::string("DDR") + c.port;
    const std::string port = std::string("PORT") + c.port;
    const std::string bit = std::to_string(1 << c.bit);
    const std::string idle = c.firstLevel == 0 ? port + " = " + port + " Or " + bit + "\n" : "";
    const std::string src = "$device = " + std::string(c.device) + "\n$clock = 8\n$stack = 32\n$sound = portc.0\n$key " +
                            c.key + "\nDim K As Byte, KeyBeep As Byte\n" + idle + ddr + " = " + ddr + " Or " + bit +
                            "\nKeyBeep = " + std::to_string(c.keyBeep) + "\nK = Key()\nEnd\n";
    const bool matrix = std::string(c.key).find("cols") != std::string::npos;
    KeypadModel pad;
    if (c.device == std::string("m128"))
      pad.MatrixKey({'F', 0}, {'F', 4}).ClosedFrom(0);
    else if (c.device == std::string("m2560"))
      pad.MatrixKey({'K', 4}, {'J', 0}).ClosedFrom(0);
    else if (matrix)
      pad.MatrixKey({'B', 4}, {'D', 0}).ClosedFrom(0);
    else
      pad.LineKey({'B', 0}, 0).ClosedFrom(0);
    auto run = RunBasic(src, c.device, 5'000'000, [&](SimRunner& sim) {
      pad.Attach(sim);
      sim.WatchPin(c.port, c.bit);
    });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("k"), matrix ? (c.device == std::string("m128") ? 33 : 5) : 1);
    std::vector<SimRunner::Edge> edges = run->sim->PinEdges(c.port, c.bit);
    // The signal comes after the debounce wait; the start-up code's edges come before it.
    std::erase_if(edges, [&](const SimRunner::Edge& e) { return e.cycle < 10 * kMs; });
    ASSERT_EQ(static_cast<int>(edges.size()), c.edges);
    if (c.edges == 2) {
      EXPECT_EQ(edges[0].level, c.firstLevel);
      EXPECT_EQ(edges[1].level, 1 - c.firstLevel);
      const std::uint64_t width = edges[1].cycle - edges[0].cycle;
      EXPECT_GE(width, 2 * kMs);
      EXPECT_LE(width, 2 * kMs + 2 * kMs / 100);
    }
    if (c.toneHalfUnits > 0) {
      for (std::size_t i = 0; i + 1 < edges.size(); i += 2) {
        const auto high = static_cast<std::int64_t>(edges[i + 1].cycle - edges[i].cycle);
        EXPECT_GE(high, 78 * c.toneHalfUnits) << "period " << i / 2;
        EXPECT_LE(high, 78 * c.toneHalfUnits + 20) << "period " << i / 2;
      }
    }
  }
}

TEST(Keypad, RefusedPrograms) {
  struct Case {
    const char* lines;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"Dim K As Byte\nK = Key()", "Keys not defined!"},
      {"Dim K As Byte\nNoKey()", "Keys not defined!"},
      // The key signal reads the program's KeyBeep byte.
      {"$key rows = portb &hF0, cols = portd &h0F, portd.5, 2, hi\nDim K As Byte\nK = Key()",
       "Key signal needs Dim KeyBeep As Byte!"},
      {"$key rows = portb &h0F, sound 4, 1\n$sound = portc.0\nDim KeyBeep As Word", "Key signal needs Dim KeyBeep As Byte!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    const auto compiled = CompileBasic("$device = m8\n$clock = 8\n$stack = 32\n" + std::string(c.lines) + "\nEnd\n");
    EXPECT_NE(compiled.report.find(c.message), std::string::npos) << compiled.report;
  }
}

// The routines are written for every $key line: a matrix one without any Key() call
// still finds the wait its scan settles with.
TEST(Keypad, MatrixRoutinesAssembleWithoutAKeyCall) {
  auto run = RunBasic(Program("m8", "rows = portb &hF0, cols = portd &h0F", "K = 3"));
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("k"), 3);
}

}  // namespace
}  // namespace qbc::test
