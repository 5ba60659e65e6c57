// The bit-timed software UARTs: Open, Print # and PrintBin # proven at the pin with the
// software-UART peer (every bit's time against the baud rate), and their compile errors.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/soft_uart_peer.h"

namespace qbc::test {
namespace {

std::string Head(const std::string& device, int mhz) {
  return "$device = " + device + "\n$clock = " + std::to_string(mhz) + "\n$stack = 32\n";
}

struct Timing {
  const char* device;
  int mhz;
  int baud;
};

// Channel 1 on a normal line, channel 2 inverted, both sending every kind of item.
TEST(SoftComPrint, EveryItemKindWithEveryBitOnTime) {
  const Timing cases[] = {
      {"m8", 4, 9600},     {"m8", 4, 19200},     {"m8", 8, 9600},     {"m8", 8, 19200},
      {"m8", 16, 19200},   {"m168", 4, 9600},    {"m168", 4, 19200},  {"m168", 8, 9600},
      {"m168", 8, 19200},  {"m168", 16, 19200},
      // A three-byte return address makes each call and return a cycle longer.
      {"m2560", 4, 9600},  {"m2560", 4, 19200},  {"m2560", 8, 9600},  {"m2560", 8, 19200},
      {"m2560", 16, 19200},
  };
  for (const Timing& c : cases) {
    const std::string baud = std::to_string(c.baud);
    const std::string program = Head(c.device, c.mhz) +
                                "Dim B As Byte, I As Integer, W As Word, L As Long, S As String * 8, F As Float\n"
                                "B = 200\nI = -1234\nW = 65000\nL = -70000\nS = \"txt\"\nF = 67.5\n"
                                "Open com = portb.1, " + baud + " For Output As #1\n"
                                "Open com = pind.4, " + baud + ", inv For Output As #2\n"
                                "Print #1, B; I; W; L; S\n"
                                "Print #1, \"k\"; Chr(66); Chr(F); Hex(B); Hex(W); Hex(L)\n"
                                "Print #1\n"
                                "Print #2, \"Z\"; W\n"
                                "PrintBin #2, B; W\n"
                                "End\n";
    auto run = RunBasic(program, c.device, 20'000'000, [](SimRunner& sim) {
      sim.WatchPin('B', 1);
      sim.WatchPin('D', 4);
    });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    const double bit = c.mhz * 1e6 / c.baud;
    const auto one = DecodeSoftUart(run->sim->PinEdges('B', 1), bit);
    const auto two = DecodeSoftUart(run->sim->PinEdges('D', 4), bit, true);
    const std::string where = std::string(c.device) + " " + std::to_string(c.mhz) + " MHz " + baud;
    EXPECT_EQ(one.bytes, "200-123465000-70000txt\r\nkBCC8FDE8FFFEEE90\r\n\r\n") << where;
    EXPECT_EQ(two.bytes, std::string("Z65000\r\n\xc8\xe8\xfd", 11)) << where;
    EXPECT_TRUE(one.all_stops_ok && two.all_stops_ok) << where;
    EXPECT_LT(one.worst_bit_error, 0.02) << where;
    EXPECT_LT(two.worst_bit_error, 0.02) << where;
  }
}

TEST(SoftComOpen, MessagesOfTheDeclaration) {
  struct Case {
    const char* device;
    const char* line;
    const char* message;
  };
  const Case cases[] = {
      {"m8", "Open com = timsk.1, 9600 For Output As #1", "Must be a valid AVR Port!"},
      {"m8", "Open com = portb.8, 9600 For Output As #1", "From 0 to 7!"},
      {"m8", "Open com = portb.1, 1200 For Output As #1", "Baud rate too Low!"},
      {"m8", "Open com = portb.1, 1000000 For Output As #1", "Baud rate too High!"},
      {"m8", "Open com = portb.1, 9600, inv For Input As #1", "Inv option can be used for OUTPUT!"},
      {"m8", "Open com = portb.1, 9600 For Append As #1", "Output or Input!"},
      {"m8", "Open com = portb.1, 9600 For Output As #B", "Must be numeric constant"},
      {"m8", "Open com = portb.1, 9600 For Output As #5", "Channel must be 1 to 4!"},
      {"m8", "Open com = portb.1, 9600 For Output As #0", "Channel must be 1 to 4!"},
      {"m8", "Open com = portb.1, 0 For Output As #1", "Baud rate not possible!"},
      {"m8", "Open com = portb.1 9600 For Output As #1", "Missing \",\""},
      // sbi and cbi reach the low I/O space only.
      {"m128", "Open com = portf.1, 9600 For Output As #1", "Port can not be used for software UART!"},
      {"m2560", "Open com = pinh.1, 9600 For Input As #1", "Port can not be used for software UART!"},
      {"m2560", "Open com = portl.1, 9600 For Output As #1", "Port can not be used for software UART!"},
  };
  for (const Case& c : cases) {
    const auto compiled = CompileBasic(Head(c.device, 8) + "Dim B As Byte\n" + c.line + "\nEnd\n");
    EXPECT_GE(compiled.error_count, 1) << c.line;
    EXPECT_TRUE(compiled.StartsWithError(c.message, 5)) << c.line << "\n" << compiled.report;
  }
}

// 16 MHz and 9600 baud needs more than 255 ticks per half bit.
TEST(SoftComOpen, SlowRateAtAFastClockIsRefused) {
  for (const char* device : {"m8", "m168", "m2560"}) {
    const auto compiled = CompileBasic(Head(device, 16) + "Open com = portb.1, 9600 For Output As #1\nEnd\n");
    EXPECT_EQ(compiled.error_count, 1) << device << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError("Baud rate too Low!", 4)) << device << compiled.report;
  }
}

// PINx and DDRx name the pin as well as PORTx does: the routines take the port letter.
TEST(SoftComOpen, AnyRegisterOfThePortNamesThePin) {
  const std::string program = Head("m8", 8) +
                              "Open com = ddrb.2, 19200 For Output As #3\n"
                              "Print #3, \"ok\"\n"
                              "End\n";
  auto run = RunBasic(program, "m8", 5'000'000, [](SimRunner& sim) { sim.WatchPin('B', 2); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(DecodeSoftUart(run->sim->PinEdges('B', 2), 8e6 / 19200).bytes, "ok\r\n");
}

TEST(SoftComPrint, StatementErrors) {
  struct Case {
    const char* line;
    const char* message;
  };
  const Case cases[] = {
      {"Print #2, B", "Channel not opened for Output!"},
      {"Print #7, B", "Channel must be 1 to 4!"},
      {"Print #1, F", "Must be variable!"},
      {"Print #1, Hex(F)", "Must be Byte or Word!"},
      {"PrintBin #1, I", "Must be Byte or Word!"},
      {"PrintBin #1, B, B", "Comma is not allowed here!"},
      {"Input #1, B", "Channel not opened for Input!"},
  };
  for (const Case& c : cases) {
    const auto compiled = CompileBasic(Head("m8", 8) + "Dim B As Byte, I As Integer, F As Float\n" +
                                       "Open com = portb.1, 9600 For Output As #1\n" + c.line + "\nEnd\n");
    EXPECT_GE(compiled.error_count, 1) << c.line;
    EXPECT_TRUE(compiled.StartsWithError(c.message, 6)) << c.line << "\n" << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
