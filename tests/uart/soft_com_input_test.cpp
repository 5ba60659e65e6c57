// Input # and InputBin # on the bit-timed software UARTs, fed at the pin by the
// software-UART peer: exact bit times, a sender up to 2% fast or slow, frames back to back.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/soft_uart_peer.h"

namespace qbc::test {
namespace {

std::string Head(const std::string& device, double mhz) {
  std::string clock = std::to_string(mhz);
  clock.erase(clock.find_last_not_of('0') + 1);
  if (clock.back() == '.') clock.pop_back();
  return "$device = " + device + "\n$clock = " + clock + "\n$stack = 32\n";
}

struct Feed {
  std::string text;
  double pause_bits = 0;
};

// Runs `body` after the head with a sender on `pin` of port `port` that starts when Open
// turns the pin's pull-up on.
std::unique_ptr<BasicRun> RunFed(const std::string& device, double mhz, const std::string& body, char port, int pin,
                                 double baud, double error, const std::vector<Feed>& feeds,
                                 std::unique_ptr<SoftUartSender>& tx, double lead_bits = 2) {
  return RunBasic(Head(device, mhz) + body, device, 30'000'000, [&](SimRunner& sim) {
    tx = std::make_unique<SoftUartSender>(sim, port, pin, mhz * 1e6 / baud, error);
    for (const Feed& f : feeds) tx->Queue(f.text, f.pause_bits);
    tx->StartOnPullUp(lead_bits);
  });
}

struct Rate {
  const char* device;
  double mhz;
  double baud;
};

// Back-to-back frames into single targets and a counted block, each bit sampled near its
// middle even when the sender is 2% off. The smallest and largest counts Open accepts are
// 2 and 255 (8 MHz: 228571 and 5151 baud).
TEST(SoftComInputBin, BackToBackFramesAtEveryRate) {
  const Rate rates[] = {
      {"m8", 4, 9600},      {"m8", 4, 19200},      {"m8", 8, 9600},        {"m8", 8, 19200},
      {"m8", 16, 19200},    {"m8", 8, 228571},     {"m8", 8, 5151},        {"m168", 4, 9600},
      {"m168", 8, 19200},   {"m168", 16, 19200},   {"m168", 8, 228571},    {"m2560", 4, 19200},
      {"m2560", 8, 9600},   {"m2560", 16, 19200},  {"m2560", 8, 200000},   {"m2560", 8, 5151},
  };
  const std::string bytes("\x80\x01\xfe\x00\xff\x55\xaa\x7f", 8);
  for (const Rate& r : rates) {
    for (double error : {-0.02, 0.0, 0.02}) {
      const std::string body = "Dim B As Byte, W As Word, K(5) As Byte\n"
                               "Open com = portb.0, " + std::to_string(static_cast<long>(r.baud)) +
                               " For Input As #1\n"
                               "InputBin #1, B; W\n"
                               "InputBin #1, K, 5\n"
                               "End\n";
      std::unique_ptr<SoftUartSender> tx;
      auto run = RunFed(r.device, r.mhz, body, 'B', 0, r.baud, error, {{bytes}}, tx);
      const std::string where = std::string(r.device) + " " + std::to_string(r.mhz) + " MHz " +
                                std::to_string(r.baud) + " error " + std::to_string(error);
      ASSERT_TRUE(run->ok) << where << "\n" << run->Diagnostics();
      EXPECT_EQ(run->Byte("b"), 0x80) << where;
      EXPECT_EQ(run->Word("w"), 0x01fe) << where;
      std::string block;
      for (int i = 0; i < 5; ++i) block.push_back(static_cast<char>(run->Byte("k", i)));
      EXPECT_EQ(block, bytes.substr(3)) << where;
    }
  }
}

// Lines of text into a byte, an integer, a string and an array element; line feeds are
// ignored, a backspace takes back a character, and one with nothing stored is ignored.
TEST(SoftComInput, LinesIntoEveryTargetKind) {
  for (const char* device : {"m8", "m168", "m2560"}) {
    const std::string body = "Dim B As Byte, I As Integer, S As String * 5, A(3) As Word, G As Byte\n"
                             "G = 99\n"
                             "Open com = pind.3, 19200 For Input As #2\n"
                             "Input #2, B\n"
                             "Input #2, I\n"
                             "Input #2, S\n"
                             "Input #2, A(2)\n"
                             "End\n";
    std::unique_ptr<SoftUartSender> tx;
    auto run = RunFed(device, 8, body, 'D', 3, 19200, 0.02,
                      {{"200\r"}, {"\n-1234\r", 30}, {"hel\bllo!\r", 30}, {"\b\b65000\r", 30}}, tx);
    ASSERT_TRUE(run->ok) << device << "\n" << run->Diagnostics();
    EXPECT_EQ(run->Byte("b"), 200) << device;
    EXPECT_EQ(run->Integer("i"), -1234) << device;
    std::string s;
    for (int i = 0; i < 6 && run->Byte("s", i) != 0; ++i) s.push_back(static_cast<char>(run->Byte("s", i)));
    EXPECT_EQ(s, "hello") << device;
    EXPECT_EQ(run->Word("a", 4), 65000) << device;
    EXPECT_EQ(run->Byte("g"), 99) << device;
  }
}

// A prompt goes out on the channel's own output; a string ends at a 0 byte; a word and a
// word element arrive most significant byte first.
TEST(SoftComInputBin, PromptStringAndWordElements) {
  const std::string body = "Dim S As String * 6, W As Word, A(3) As Word, B As Byte\n"
                           "B = 2\n"
                           "Open com = portb.1, 19200 For Output As #1\n"
                           "Open com = portb.0, 19200 For Input As #1\n"
                           "InputBin #1, \"go\"; S; W; A(B)\n"
                           "End\n";
  std::unique_ptr<SoftUartSender> tx;
  auto run = RunBasic(Head("m8", 8) + body, "m8", 10'000'000, [&](SimRunner& sim) {
    sim.WatchPin('B', 1);
    tx = std::make_unique<SoftUartSender>(sim, 'B', 0, 8e6 / 19200);
    tx->Queue(std::string("abc\0\x12\x34\x56\x78", 8));
    tx->StartOnPullUp(30);
  });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(DecodeSoftUart(run->sim->PinEdges('B', 1), 8e6 / 19200).bytes, "go");
  EXPECT_EQ(run->Byte("s", 0), 'a');
  EXPECT_EQ(run->Byte("s", 2), 'c');
  EXPECT_EQ(run->Byte("s", 3), 0);
  EXPECT_EQ(run->Word("w"), 0x1234);
  EXPECT_EQ(run->Word("a", 4), 0x5678);
}

// The counted forms of a hardware UART and a software channel in one program: every label
// of the two block routines differs without regard to case.
TEST(SoftComInputBin, CountedBlocksBesideTheHardwareUarts) {
  const auto compiled = CompileBasic(Head("m2560", 8) + "$baud = 9600\n$baud2 = 9600\nDim K(4) As Byte\n"
                                     "Open com = portb.0, 9600 For Input As #1\n"
                                     "Open com = portb.1, 9600 For Input As #2\n"
                                     "InputBin K, 4\nInputBin2 K, 4\nInputBin #1, K, 4\nInputBin #2, K, 4\nEnd\n");
  ASSERT_EQ(compiled.error_count, 0) << compiled.report;
  EXPECT_TRUE(AssembleAsmFile(compiled.asm_path).ok) << compiled.asm_text;
}

TEST(SoftComInput, TargetsThatCannotBeRead) {
  struct Case {
    const char* lines;
    const char* message;
  };
  const Case cases[] = {
      {"Dim L As Long\nInput #1, L\n", "Not for Long!"},
      {"Dim L As Long\nInputBin #1, L\n", "Not for Long!"},
      {"Dim F As Float\nInputBin #1, F\n", "Can not read into this variable!"},
      {"Dim T As Bit\nInput #1, T\n", "Can not read into this variable!"},
      {"Dim B As Byte\nInputBin #1, \"x\"; B\n", "Channel not opened for Output!"},
      {"Dim B As Byte\nInputBin #3, B\n", "Channel not opened for Input!"},
  };
  for (const Case& c : cases) {
    const auto compiled =
        CompileBasic(Head("m8", 8) + "Open com = portb.0, 9600 For Input As #1\n" + c.lines + "End\n");
    EXPECT_EQ(compiled.error_count, 1) << c.lines << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError(c.message, 6)) << c.lines << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
