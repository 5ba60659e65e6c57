// The interrupt-driven software UART of $com1: bytes sent and received in the background
// while the main program computes, every bit on time, the program's other interrupt
// enables left as they were.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/soft_uart_peer.h"

namespace qbc::test {
namespace {

struct Chip {
  const char* device;
  char rx_port;  // the INT0 pin
  int rx_bit;
  const char* timsk;     // the Timer0 interrupt mask register
  const char* other_on;  // a line enabling another interrupt, read back after the run
  int other_mask;
  int other_address;  // that register's data address
  const char* int1_on;  // lines enabling INT1 on rising edges, INT0 kept on falling ones
  int int1_address;     // the external interrupt mask's data address
  int int1_mask;
};

const Chip kChips[] = {
    {"m8", 'D', 2, "timsk", "Timsk = &H04", 0x04, 0x59, "Mcucr = &H0E\nGicr = &HC0", 0x5b, 0x80},
    {"m88", 'D', 2, "timsk1", "Timsk1 = &H01", 0x01, 0x6f, "Eicra = &H0E\nEimsk = &H03", 0x3d, 0x02},
    {"m128", 'D', 0, "timsk", "Timsk = &H04", 0x04, 0x57, "Eicra = &H0E\nEimsk = &H03", 0x59, 0x02},
};

std::string Program(const Chip& c, int mhz, int baud, const std::string& body) {
  return "$device = " + std::string(c.device) + "\n$clock = " + std::to_string(mhz) +
         "\n$stack = 48\n$com1 = portb.1, " + std::to_string(baud) + "\n" +
         "Dim B1 As Byte, B2 As Byte, B3 As Byte, N As Byte, K As Word, F As Float, G As Float\n" + c.other_on +
         "\n" + c.int1_on + "\nEnable Interrupts\n" + body + "End\n";
}

struct Rate {
  int mhz;
  int baud;
};
const Rate kRates[] = {{4, 9600}, {4, 19200}, {8, 9600}, {8, 19200}, {16, 9600}, {16, 19200}};

// simavr enters an interrupt handler without the chip's 4-cycle response (measured: the
// vector's jump follows the overflow at once). The routines allow for the chip's response,
// so here every bit, timed from one overflow to the next, comes out 4 cycles short.
constexpr double kSimulatorResponseGap = 4;

// Three bytes back to back while the program keeps computing; every bit within 2%.
TEST(SoftUartInterrupt, SendsInTheBackground) {
  for (const Chip& c : kChips) {
    for (const Rate& r : kRates) {
      const std::string body = "PrintBin #1, 65; 0; 255\n"
                               "F = 0.5\n"
                               "For N = 1 To 20\n  G = Sin(F)\n  F = F + G\nNext\n"
                               "While txon = 1\nWend\n";
      auto run = RunBasic(Program(c, r.mhz, r.baud, body), c.device, 20'000'000,
                          [](SimRunner& sim) { sim.WatchPin('B', 1); });
      const std::string where = std::string(c.device) + " " + std::to_string(r.mhz) + " MHz " + std::to_string(r.baud);
      ASSERT_TRUE(run->ok) << where << "\n" << run->Diagnostics();
      const auto got = DecodeSoftUart(run->sim->PinEdges('B', 1), r.mhz * 1e6 / r.baud - kSimulatorResponseGap);
      EXPECT_EQ(got.bytes, std::string("A\0\xff", 3)) << where;
      EXPECT_TRUE(got.all_stops_ok) << where;
      EXPECT_LT(got.worst_bit_error, 0.02) << where;
      // Timer1's overflow interrupt, enabled by the program, is still enabled.
      EXPECT_EQ(run->sim->Sram(c.other_address) & c.other_mask, c.other_mask) << where;
      EXPECT_EQ(run->sim->Sram(c.int1_address) & c.int1_mask, c.int1_mask) << where;
    }
  }
}

// Bytes sent to the INT0 pin, 2% fast or slow, arrive whole while the program computes
// with floats between its looks at rxready; the sums it keeps come out right too. The
// falling edges inside a byte set the INT0 flag; no phantom byte follows when INT0 is
// enabled again (the simulator takes a flag left pending, as the chip does).
TEST(SoftUartInterrupt, ReceivesInTheBackground) {
  for (const Chip& c : kChips) {
    for (const Rate& r : kRates) {
      for (double error : {-0.02, 0.02}) {
        const std::string body = "F = 0\nK = 0\nN = 0\n"
                                 "While N < 3\n"
                                 "  G = Sin(F)\n  F = F + 0.25\n  Incr K\n"
                                 "  If rxready = 1 Then\n"
                                 "    rxready = 0\n    Incr N\n"
                                 "    If N = 1 Then InputBin #1, B1\n"
                                 "    If N = 2 Then InputBin #1, B2\n"
                                 "    If N = 3 Then InputBin #1, B3\n"
                                 "  End If\n"
                                 "Wend\n";
        std::unique_ptr<SoftUartSender> tx;
        auto run = RunBasic(Program(c, r.mhz, r.baud, body), c.device, 30'000'000, [&](SimRunner& sim) {
          tx = std::make_unique<SoftUartSender>(sim, c.rx_port, c.rx_bit, r.mhz * 1e6 / r.baud, error);
          for (char b : std::string("\x35\x00\xca", 3)) tx->Queue(std::string(1, b), 60);
          tx->StartAfter(20000);
        });
        const std::string where = std::string(c.device) + " " + std::to_string(r.mhz) + " MHz " +
                                  std::to_string(r.baud) + " error " + std::to_string(error);
        ASSERT_TRUE(run->ok) << where << "\n" << run->Diagnostics();
        EXPECT_EQ(run->Byte("b1"), 0x35) << where;
        EXPECT_EQ(run->Byte("b2"), 0x00) << where;
        EXPECT_EQ(run->Byte("b3"), 0xca) << where;
        const float sum = 0.25f * static_cast<float>(run->Word("k"));
        std::uint32_t bits = 0;
        std::memcpy(&bits, &sum, 4);
        EXPECT_EQ(run->FloatBits("f"), bits) << where << " after " << run->Word("k") << " rounds";
      }
    }
  }
}

// Baud #1 = rate changes the rate where it stands, prescaler and reloads together: the
// start-up runs at the $com1 rate whatever rate a later statement names, and each byte
// comes out at the rate in force when it was sent (1200 needs Timer0 at /64 where 9600
// and 19200 use /8 at 8 MHz; 4 MHz and 16 MHz move the boundaries).
TEST(SoftUartInterrupt, BaudStatementChangesTheRateWhereItStands) {
  const Chip& c = kChips[0];
  const int rates[] = {9600, 1200, 19200, 2400};
  for (int mhz : {4, 8, 16}) {
    const std::string body = "PrintBin #1, 65\nWaitms 40\n"
                             "Baud #1 = 1200\nPrintBin #1, 66\nWaitms 40\n"
                             "Baud #1 = 19200\nPrintBin #1, 67\nWaitms 40\n"
                             "Baud #1 = 2400\nPrintBin #1, 68\n"
                             "While txon = 1\nWend\n";
    auto run = RunBasic(Program(c, mhz, rates[0], body), c.device, 60'000'000,
                        [](SimRunner& sim) { sim.WatchPin('B', 1); });
    ASSERT_TRUE(run->ok) << mhz << " MHz\n" << run->Diagnostics();
    // The bytes one by one: edges more than 20 ms apart belong to different bytes. Each
    // list starts with the idle level, as the recorder's own list does.
    std::vector<std::vector<SimRunner::Edge>> bytes;
    std::uint64_t last = 0;
    bool idle = false;
    for (const SimRunner::Edge& e : run->sim->PinEdges('B', 1)) {
      if (!idle) {  // the start-up drives the idle level first
        idle = e.level == 1;
        continue;
      }
      if (bytes.empty() || e.cycle - last > static_cast<std::uint64_t>(mhz) * 20'000)
        bytes.push_back({SimRunner::Edge{e.cycle - 1, 1}});
      bytes.back().push_back(e);
      last = e.cycle;
    }
    ASSERT_EQ(bytes.size(), 4u) << mhz << " MHz";
    for (int k = 0; k < 4; ++k) {
      const std::string where =
          std::to_string(mhz) + " MHz, byte " + std::to_string(k) + " at " + std::to_string(rates[k]);
      const auto got = DecodeSoftUart(bytes[k], mhz * 1e6 / rates[k] - kSimulatorResponseGap);
      EXPECT_EQ(got.bytes, std::string(1, static_cast<char>(65 + k))) << where;
      EXPECT_TRUE(got.all_stops_ok) << where;
      EXPECT_LT(got.worst_bit_error, 0.02) << where;
    }
  }
}

// A statement that follows a send waits until the byte is out: the byte is neither cut
// short nor stretched by the new rate.
TEST(SoftUartInterrupt, BaudStatementLetsTheByteGoingOutFinish) {
  const Chip& c = kChips[0];
  const std::string body = "PrintBin #1, 85\nBaud #1 = 1200\nPrintBin #1, 170\nWhile txon = 1\nWend\n";
  auto run = RunBasic(Program(c, 8, 9600, body), c.device, 30'000'000, [](SimRunner& sim) { sim.WatchPin('B', 1); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  const auto first = DecodeSoftUart(run->sim->PinEdges('B', 1), 8e6 / 9600 - kSimulatorResponseGap);
  ASSERT_FALSE(first.frames.empty());
  EXPECT_EQ(first.frames[0].byte, 85);
  EXPECT_TRUE(first.frames[0].stop_ok);
  EXPECT_LT(first.frames[0].bit_error, 0.02);
  // The second byte's edges, after the first one's stop bit, behind the idle level.
  std::vector<SimRunner::Edge> second;
  for (const SimRunner::Edge& e : run->sim->PinEdges('B', 1)) {
    if (static_cast<double>(e.cycle) <= static_cast<double>(first.frames[0].start) + 9.5 * 8e6 / 9600) continue;
    if (second.empty()) second.push_back({e.cycle - 1, 1});
    second.push_back(e);
  }
  const auto got = DecodeSoftUart(second, 8e6 / 1200 - kSimulatorResponseGap);
  EXPECT_EQ(got.bytes, "\xaa");
  EXPECT_TRUE(got.all_stops_ok);
  EXPECT_LT(got.worst_bit_error, 0.02);
}

TEST(SoftUartInterrupt, StatementsItCannotServe) {
  struct Case {
    const char* line;
    const char* message;
  };
  const Case cases[] = {
      {"Open com = portb.2, 9600 For Output As #2", "Open is not possible with $com1!"},
      {"Print #1, B1", "Not possible with $com1!"},
      {"Input #1, B1", "Not possible with $com1!"},
      {"InputBin #1, K", "Not possible with $com1!"},
      {"InputBin #2, B1", "Not possible with $com1!"},
      {"PrintBin #1, K", "Must be Byte or Word!"},
      {"Baud #1 = 10", "Baud rate not possible!"},
  };
  for (const Case& c : cases) {
    const auto compiled = CompileBasic(Program(kChips[0], 8, 9600, std::string(c.line) + "\n"));
    EXPECT_EQ(compiled.error_count, 1) << c.line << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError(c.message, 10)) << c.line << compiled.report;
  }
}

// A bit shorter than twice the overflow handler's longest path leaves the program no time.
TEST(SoftUartInterrupt, RatesTooFastForTheHandlersAreRefused) {
  const auto compiled = CompileBasic("$device = m8\n$clock = 8\n$stack = 32\n$com1 = portb.1, 115200\nEnd\n");
  EXPECT_EQ(compiled.error_count, 1) << compiled.report;
  EXPECT_TRUE(compiled.StartsWithError("Baud rate not possible!", 4)) << compiled.report;
  EXPECT_EQ(CompileBasic("$device = m8\n$clock = 8\n$stack = 32\n$com1 = portb.1, 57600\nEnd\n").error_count, 0);
}

// The receive line is the chip's own INT0 pin, from its device file: PB2 on the tiny85 (its
// only external interrupt; the pin-change interrupt stays enabled beside it). One rate
// each way on the simulator.
TEST(SoftUartInterrupt, Tiny85SendsOnItsPinAndReceivesOnPb2) {
  const Chip tn85 = {"tn85", 'B', 2, "timsk", "Timsk = &H04", 0x04, 0x59, "Gimsk = &H60", 0x5b, 0x20};
  auto sent = RunBasic(Program(tn85, 8, 9600, "PrintBin #1, 65; 0; 255\nWhile txon = 1\nWend\n"), "attiny85",
                       10'000'000, [](SimRunner& sim) { sim.WatchPin('B', 1); });
  ASSERT_TRUE(sent->ok) << sent->Diagnostics();
  const auto got = DecodeSoftUart(sent->sim->PinEdges('B', 1), 8e6 / 9600 - kSimulatorResponseGap);
  EXPECT_EQ(got.bytes, std::string("A\0\xff", 3));
  EXPECT_TRUE(got.all_stops_ok);
  EXPECT_LT(got.worst_bit_error, 0.02);
  EXPECT_EQ(sent->sim->Sram(tn85.int1_address) & tn85.int1_mask, tn85.int1_mask);

  std::unique_ptr<SoftUartSender> tx;
  auto received = RunBasic(Program(tn85, 8, 9600,
                                   "N = 0\nWhile N < 2\n  If rxready = 1 Then\n    rxready = 0\n    Incr N\n"
                                   "    If N = 1 Then InputBin #1, B1\n    If N = 2 Then InputBin #1, B2\n"
                                   "  End If\nWend\n"),
                           "attiny85", 10'000'000, [&](SimRunner& sim) {
                             tx = std::make_unique<SoftUartSender>(sim, 'B', 2, 8e6 / 9600, 0.0);
                             tx->Queue(std::string("\x5a\xa5", 2), 60);
                             tx->StartAfter(20000);
                           });
  ASSERT_TRUE(received->ok) << received->Diagnostics();
  EXPECT_EQ(received->Byte("b1"), 0x5a);
  EXPECT_EQ(received->Byte("b2"), 0xa5);
}

// Every chip samples its own INT0 pin, and the program assembles (PD2 and PD0 were the only
// choices once: the tinies' port B has no PD2, and the m165/169's INT0 is PD1).
TEST(SoftUartInterrupt, ReceivesOnTheChipsOwnInt0Pin) {
  struct Case {
    const char* device;
    const char* sample;
  };
  const Case cases[] = {{"m8", "PIND,2"},   {"m128", "PIND,0"}, {"m2560", "PIND,0"}, {"tn85", "PINB,2"},
                        {"tn25", "PINB,2"}, {"tn45", "PINB,2"}, {"tn24", "PINB,2"},  {"tn44", "PINB,2"},
                        {"tn84", "PINB,2"}, {"tn26", "PINB,6"}, {"m165", "PIND,1"},  {"m169", "PIND,1"},
                        {"tn13", "PINB,1"}, {"pwm2", "PIND,6"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    const auto compiled = CompileBasic("$device = " + std::string(c.device) +
                                       "\n$clock = 8\n$stack = 16\n$com1 = portb.0, 9600\nDim B As Byte\n"
                                       "If rxready = 1 Then InputBin #1, B\nEnd\n");
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    EXPECT_NE(compiled.asm_text.find(std::string("\tsbic\t") + c.sample + "\r\n"), std::string::npos);
    const AsmResult assembled = AssembleAsmFile(compiled.asm_path);
    EXPECT_TRUE(assembled.ok) << assembled.output;
  }
}

// A transmit pin beyond sbi/cbi's reach is refused at its line, as Open refuses it: the
// handler drives the pin at a fixed cycle with them.
TEST(SoftUartInterrupt, TransmitPinBeyondTheBitInstructionsIsRefused) {
  for (const char* line : {"$device = m128\n$clock = 8\n$stack = 32\n$com1 = portf.1, 9600\nEnd\n",
                           "$device = m2560\n$clock = 8\n$stack = 32\n$com1 = porth.1, 9600\nEnd\n"}) {
    const auto compiled = CompileBasic(line);
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError("Port can not be used for software UART!", 4)) << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
