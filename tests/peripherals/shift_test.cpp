// ShiftOut and ShiftIn on the simulator with shift register models: the bytes of every
// value type in both bit orders, data set up before each rising clock edge and held while
// the clock is high, the clock stretch, the block form, and ports in each reach of the
// instructions (PORTF of the m128, PORTH to PORTL of the m2560).
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/shift_register_models.h"

namespace qbc::test {
namespace {

std::string Program(const std::string& device, const std::string& meta, const std::string& body) {
  return "$device = " + device + "\n$clock = 8\n$stack = 40\n" + meta +
         "\nDim B As Byte, W As Word, I As Integer, L As Long, A(6) As Byte, K As Byte\n" + body + "End\n";
}

struct OutCase {
  const char* device;
  char port;
  const char* meta;  // the $shiftout line
  const char* body;
  bool msbFirst;
  std::vector<std::uint8_t> bytes;
};

TEST(ShiftOut, BytesOfEveryValueOnEveryKindOfPort) {
  const std::vector<OutCase> cases = {
      {"m8", 'B', "$shiftout data = portb.0, clock = portb.1, msb", "ShiftOut &HA5\n", true, {0xA5}},
      {"m8", 'B', "$shiftout data = portb.0, clock = portb.1, lsb", "B = &H31\nShiftOut B\n", false, {0x31}},
      // Integers and words low byte first, longs lowest byte first.
      {"m8", 'B', "$shiftout data = portb.0, clock = portb.1, msb", "W = &H1234\nShiftOut W\n", true, {0x34, 0x12}},
      {"m8", 'B', "$shiftout data = portb.0, clock = portb.1, msb", "I = -2\nShiftOut I\n", true, {0xFE, 0xFF}},
      {"m8", 'B', "$shiftout data = portb.0, clock = portb.1, lsb", "L = &H11223344\nShiftOut L\n", false,
       {0x44, 0x33, 0x22, 0x11}},
      {"m8", 'B', "$shiftout data = portb.0, clock = portb.1, msb", "B = 7\nW = 515\nShiftOut B; W; B + 1\n", true,
       {7, 3, 2, 8}},
      // The block form: the bytes in memory from the variable on.
      {"m8", 'B', "$shiftout data = portb.0, clock = portb.1, msb",
       "A(0) = 10\nA(1) = 20\nA(2) = 30\nA(3) = 40\nK = 3\nShiftOut A, K\n", true, {10, 20, 30}},
      // The count of the block form may read an array element (through X).
      {"m8", 'B', "$shiftout data = portb.0, clock = portb.1, msb",
       "A(0) = 2\nA(1) = 99\nA(2) = 98\nShiftOut A, A(0)\n", true, {2, 99}},
      {"m16", 'A', "$shiftout data = porta.4, clock = porta.6, msb", "W = &H0102\nShiftOut W\n", true, {2, 1}},
      {"m88", 'D', "$shiftout data = portd.3, clock = portd.2, lsb, 2", "L = &HF0E0D0C0\nShiftOut L\n", false,
       {0xC0, 0xD0, 0xE0, 0xF0}},
      // Extended I/O: the word's high byte waits in zh while the first byte goes out.
      {"m128", 'F', "$shiftout data = portf.1, clock = portf.2, msb, 1", "W = &HBEEF\nShiftOut W\n", true,
       {0xEF, 0xBE}},
      {"m128", 'F', "$shiftout data = portf.7, clock = portf.0, lsb", "L = &H01020304\nShiftOut L\n", false,
       {4, 3, 2, 1}},
      {"m2560", 'H', "$shiftout data = porth.3, clock = porth.4, msb", "W = &H8001\nShiftOut W; 66\n", true,
       {0x01, 0x80, 66}},
      {"m2560", 'L', "$shiftout data = portl.6, clock = portl.5, lsb", "ShiftOut 200; 1\n", false, {200, 1}},
  };
  for (const OutCase& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " " + c.meta + ": " + c.body);
    // data and clock pin digits from the $shiftout line
    const std::string meta = c.meta;
    const int data = meta[meta.find("data = ") + 13] - '0';
    const int clock = meta[meta.find("clock = ") + 14] - '0';
    auto run = RunBasic(Program(c.device, c.meta, c.body), c.device, 5'000'000, [&](SimRunner& sim) {
      sim.WatchPin(c.port, data);
      sim.WatchPin(c.port, clock);
    });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    const ShiftOutCapture got = DecodeShiftOut(run->sim->PinEdges(c.port, data), run->sim->PinEdges(c.port, clock));
    EXPECT_EQ(got.bits.size(), 8 * c.bytes.size());
    EXPECT_EQ(got.Bytes(c.msbFirst), c.bytes);
    EXPECT_EQ(got.setupViolations, 0);
    EXPECT_EQ(got.holdViolations, 0);
    EXPECT_EQ(got.endLevel, 0);  // the data pin is left low
  }
}

// The stretch: each nop of the $shiftout line adds one cycle to every clock pulse.
TEST(ShiftOut, NopsStretchTheClockPulse) {
  auto highTimes = [](const std::string& device, char port, const std::string& meta) {
    auto run = RunBasic(Program(device, meta, "ShiftOut 255\n"), device, 5'000'000,
                        [&](SimRunner& sim) { sim.WatchPin(port, 1); sim.WatchPin(port, 0); });
    EXPECT_TRUE(run->ok) << run->Diagnostics();
    return DecodeShiftOut(run->sim->PinEdges(port, 0), run->sim->PinEdges(port, 1)).clockHigh;
  };
  for (const auto& [device, port] : {std::pair{"m8", 'B'}, std::pair{"m128", 'F'}}) {
    SCOPED_TRACE(device);
    const std::string p = std::string("port") + static_cast<char>(port + 32);
    const auto plain = highTimes(device, port, "$shiftout data = " + p + ".0, clock = " + p + ".1, msb");
    const auto stretched = highTimes(device, port, "$shiftout data = " + p + ".0, clock = " + p + ".1, msb, 3");
    ASSERT_EQ(plain.size(), 8u);
    ASSERT_EQ(stretched.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(stretched[i], plain[i] + 3);
  }
}

// Each direction keeps its own bit order: a later $shiftin with lsb leaves ShiftOut msb.
TEST(ShiftOut, OrderIsItsOwnAfterAShiftInLine) {
  auto run = RunBasic(Program("m8",
                              "$shiftout data = portb.0, clock = portb.1, msb\n"
                              "$shiftin data = portc.0, clock = portc.1, lsb",
                              "ShiftOut &H81\n"),
                      "m8", 5'000'000, [](SimRunner& sim) {
                        sim.WatchPin('B', 0);
                        sim.WatchPin('B', 1);
                      });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  const auto got = DecodeShiftOut(run->sim->PinEdges('B', 0), run->sim->PinEdges('B', 1));
  EXPECT_EQ(got.bits, (std::vector<int>{1, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(got.Bytes(true), (std::vector<std::uint8_t>{0x81}));
}

struct InCase {
  const char* device;
  char port;
  int data;
  int clock;
  const char* order;  // "msb" or "lsb"
  const char* extra;  // more of the $shiftin line
  const char* body;
  std::vector<std::uint8_t> bytes;  // what the part sends
};

// ShiftIn: as many bytes as the wanted type holds, the first received the most
// significant; each bit sampled while the clock is high, before the part's next bit.
TEST(ShiftIn, BytesOfEveryWantedTypeOnEveryKindOfPort) {
  const std::vector<InCase> cases = {
      {"m8", 'B', 2, 3, "msb", "", "B = ShiftIn\n", {0xA5}},
      {"m8", 'B', 2, 3, "lsb", "", "B = ShiftIn\n", {0xA5}},
      {"m8", 'C', 0, 5, "msb", ", 2", "W = ShiftIn\n", {0x12, 0x34}},
      {"m8", 'C', 0, 5, "lsb", "", "I = ShiftIn\n", {0xFF, 0xFE}},
      {"m8", 'D', 7, 6, "msb", "", "L = ShiftIn\n", {1, 2, 3, 4}},
      {"m8", 'B', 2, 3, "msb", "", "K = 1\nA(K) = ShiftIn\n", {0x3C}},
      {"m16", 'A', 1, 2, "msb", "", "W = ShiftIn\n", {0xC3, 0x3C}},
      {"m88", 'C', 5, 4, "lsb", ", 3", "L = ShiftIn\n", {0x80, 0x40, 0x20, 0x10}},
      // PINF of the m128 lies in the low I/O space, PORTF and DDRF beyond it.
      {"m128", 'F', 3, 4, "msb", "", "W = ShiftIn\n", {0xBE, 0xEF}},
      {"m128", 'F', 7, 0, "lsb", ", 1", "B = ShiftIn\n", {0x81}},
      {"m2560", 'K', 1, 2, "msb", "", "L = ShiftIn\n", {0xDE, 0xAD, 0xBE, 0xEF}},
      {"m2560", 'H', 6, 5, "lsb", "", "B = ShiftIn\n", {0x07}},
  };
  for (const InCase& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " " + c.order + ": " + c.body);
    const std::string port = std::string("port") + static_cast<char>(c.port + 32);
    const std::string meta = "$shiftin data = " + port + "." + std::to_string(c.data) + ", clock = " + port + "." +
                             std::to_string(c.clock) + ", " + c.order + c.extra;
    const bool msb = std::string(c.order) == "msb";
    std::unique_ptr<ShiftInSource> part;
    auto run = RunBasic(Program(c.device, meta, c.body), c.device, 5'000'000, [&](SimRunner& sim) {
      part = std::make_unique<ShiftInSource>(sim, c.port, c.data, c.clock, BitsOf(c.bytes, msb));
    });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(part->Pulses(), static_cast<int>(8 * c.bytes.size()));
    EXPECT_EQ(part->Contention(), 0);
    std::uint32_t value = 0;
    for (const std::uint8_t b : c.bytes) value = (value << 8) | b;
    const std::string body = c.body;
    if (body.starts_with("B"))
      EXPECT_EQ(run->Byte("b"), value);
    else if (body.starts_with("W"))
      EXPECT_EQ(run->Word("w"), value);
    else if (body.starts_with("I"))
      EXPECT_EQ(static_cast<std::uint16_t>(run->Integer("i")), value);
    else if (body.starts_with("L"))
      EXPECT_EQ(run->Long("l"), value);
    else
      EXPECT_EQ(run->Byte("a", 1), value);
  }
}

// ShiftIn inside expressions: the left operand of an operator waits in r24:r25 (and r16,
// r17 for a long) while the bits come in.
TEST(ShiftIn, InsideExpressions) {
  struct Case {
    const char* body;
    const char* var;
    std::vector<std::uint8_t> bytes;
    std::uint32_t value;
  };
  const std::vector<Case> cases = {
      {"B = ShiftIn + 1\n", "b", {0x41}, 0x42},
      {"W = 1000 + ShiftIn\n", "w", {0x01, 0x02}, 1000 + 0x0102},
      {"L = 100000 + ShiftIn\n", "l", {0, 1, 0, 2}, 100000 + 0x00010002},
      {"B = 7\nB = B * ShiftIn\n", "b", {3}, 21},
  };
  for (const char* device : {"m8", "m128"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(device) + ": " + c.body);
      const char port = std::string(device) == "m8" ? 'B' : 'F';
      const std::string p = std::string("port") + static_cast<char>(port + 32);
      std::unique_ptr<ShiftInSource> part;
      auto run = RunBasic(Program(device, "$shiftin data = " + p + ".2, clock = " + p + ".3, msb", c.body), device,
                          5'000'000, [&](SimRunner& sim) {
                            part = std::make_unique<ShiftInSource>(sim, port, 2, 3, BitsOf(c.bytes, true));
                          });
      ASSERT_TRUE(run->ok) << run->Diagnostics();
      const std::string var = c.var;
      const std::uint32_t got = var == "b" ? run->Byte(var) : var == "w" ? run->Word(var) : run->Long(var);
      EXPECT_EQ(got, c.value);
    }
  }
}

TEST(ShiftOut, RefusedStatements) {
  struct Case {
    const char* meta;
    const char* statement;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"", "ShiftOut 5", "$ShiftOut not set!"},
      {"", "B = ShiftIn", "$ShiftIn not set!"},
      {"$shiftout data = portb.0, clock = portb.1, msb", "ShiftOut F", "Must be Byte, Integer, Word or Long!"},
      {"$shiftout data = portb.0, clock = portb.1, msb", "ShiftOut S", "Must be Byte, Integer, Word or Long!"},
      {"$shiftout data = portb.0, clock = portb.1, msb", "ShiftOut T", "Must be Byte, Integer, Word or Long!"},
      {"$shiftin data = portb.0, clock = portb.1, msb", "F = ShiftIn", "Must be Byte, Integer, Word or Long!"},
      {"$shiftin data = portb.0, clock = portb.1, msb", "T = ShiftIn", "Must be Byte, Integer, Word or Long!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    const auto compiled = CompileBasic("$device = m8\n$clock = 8\n$stack = 32\n" + std::string(c.meta) +
                                       "\nDim B As Byte, F As Float, S As String * 4, T As Bit\n" + c.statement + "\nEnd\n");
    EXPECT_TRUE(compiled.StartsWithError(c.message, 6)) << compiled.report;
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test

namespace qbc::test {
namespace {

// Every byte value, in both directions: two blocks of 128 bytes through ShiftOut and 256
// ShiftIn calls into an array, on a port in the low I/O space and an extended one.
TEST(ShiftOutAndIn, EveryByteValue) {
  std::vector<std::uint8_t> all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  for (const auto& [device, port_letter] : {std::pair{"m8", 'B'}, std::pair{"m2560", 'J'}}) {
    SCOPED_TRACE(device);
    // A plain local: lambdas may not capture a structured binding before C++20 compilers
    // caught up (clang 14 refuses it).
    const char port = port_letter;
    const std::string p = std::string("port") + static_cast<char>(port + 32);
    const std::string program = std::string("$device = ") + device + "\n$clock = 8\n$stack = 48\n" +
                                "$shiftout data = " + p + ".0, clock = " + p + ".1, msb\n" +
                                "$shiftin data = " + p + ".2, clock = " + p + ".3, lsb\n" +
                                "Dim A(128) As Byte, A2(128) As Byte, R(256) As Byte, W As Word, B As Byte\n"
                                "For W = 0 To 127\n  A(W) = W\n  B = W + 128\n  A2(W) = B\nNext W\n"
                                "ShiftOut A, 128\nShiftOut A2, 128\n"
                                "For W = 0 To 255\n  R(W) = ShiftIn\nNext W\nEnd\n";
    std::unique_ptr<ShiftInSource> part;
    auto run = RunBasic(program, device, 20'000'000, [&](SimRunner& sim) {
      sim.WatchPin(port, 0);
      sim.WatchPin(port, 1);
      part = std::make_unique<ShiftInSource>(sim, port, 2, 3, BitsOf(all, false));
    });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    const auto out = DecodeShiftOut(run->sim->PinEdges(port, 0), run->sim->PinEdges(port, 1));
    EXPECT_EQ(out.Bytes(true), all);
    EXPECT_EQ(out.setupViolations + out.holdViolations, 0);
    std::vector<std::uint8_t> in;
    for (int i = 0; i < 256; ++i) in.push_back(run->Byte("r", i));
    EXPECT_EQ(in, all);
  }
}

}  // namespace
}  // namespace qbc::test
