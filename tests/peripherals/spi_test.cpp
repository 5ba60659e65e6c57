// SpiIn, SpiOut and the Spi function on the simulator: the chip as master with a slave
// model and as slave with a master model, on the m8 (SPSR in the low I/O space) and the
// m88 and m2560 (SPSR at I/O 0x2D); every value type in its byte order, block and string
// forms, array elements and locals.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/spi_models.h"

namespace qbc::test {
namespace {

const char* const kDevices[] = {"m8", "m88", "m2560"};

std::string Program(const std::string& device, const std::string& mode, const std::string& body) {
  return "$device = " + device + "\n$clock = 8\n$stack = 48\n$spi = 16, msb, " + mode +
         ", low, low\n"
         "Dim B As Byte, C As Byte, W As Word, I As Integer, L As Long, A(6) As Byte, WA(3) As Word, "
         "LA(2) As Long, S As String * 5\n" +
         body + "End\n";
}

struct MasterCase {
  const char* body;
  std::vector<std::uint8_t> answers;   // the slave's bytes, in order
  std::vector<std::uint8_t> received;  // what the slave must get
};

// The chip as master. A receive clocks a filler 0xFF to get each byte.
TEST(SpiMaster, SendsAndReceivesEveryForm) {
  const std::vector<MasterCase> cases = {
      {"B = 7\nW = &H1234\nL = &H0A0B0C0D\nSpiOut B; W; L; 200\n", {}, {7, 0x34, 0x12, 0x0D, 0x0C, 0x0B, 0x0A, 200}},
      {"B = 7\nI = -3\nSpiOut I; B + 1\n", {}, {0xFD, 0xFF, 8}},
      {"SpiIn B; W; L\n", {0x12, 0x34, 0x56, 1, 2, 3, 4}, std::vector<std::uint8_t>(7, 0xFF)},
      {"SpiIn A(2); WA(1); LA(1)\n", {9, 0xAB, 0xCD, 5, 6, 7, 8}, std::vector<std::uint8_t>(7, 0xFF)},
      {"C = 5\nB = Spi(&H5A)\nW = Spi(C) + 300\n", {0x33, 0x44}, {0x5A, 5}},
      {"A(0) = 1\nA(1) = 2\nA(2) = 3\nSpiOut A, 3\n", {}, {1, 2, 3}},
      {"SpiIn A, 4\n", {11, 12, 13, 14}, std::vector<std::uint8_t>(4, 0xFF)},
  };
  for (const char* device : kDevices) {
    for (const MasterCase& c : cases) {
      SCOPED_TRACE(std::string(device) + ": " + c.body);
      std::unique_ptr<SpiSlaveModel> slave;
      auto run = RunBasic(Program(device, "master", c.body), device, 5'000'000,
                          [&](SimRunner& sim) { slave = std::make_unique<SpiSlaveModel>(sim, c.answers); });
      ASSERT_TRUE(run->ok) << run->Diagnostics();
      EXPECT_EQ(slave->Received(), c.received);
      const std::string body = c.body;
      if (body.starts_with("SpiIn B")) {
        EXPECT_EQ(run->Byte("b"), 0x12);
        EXPECT_EQ(run->Word("w"), 0x3456);  // the first byte the most significant
        EXPECT_EQ(run->Long("l"), 0x01020304u);
      } else if (body.starts_with("SpiIn A(2)")) {
        EXPECT_EQ(run->Byte("a", 2), 9);
        EXPECT_EQ(run->Word("wa", 2), 0xABCD);
        EXPECT_EQ(run->Long("la", 4), 0x05060708u);
      } else if (body.find("Spi(") != std::string::npos) {
        EXPECT_EQ(run->Byte("b"), 0x33);
        EXPECT_EQ(run->Word("w"), 0x44 + 300);
      } else if (body.starts_with("SpiIn A,")) {
        EXPECT_EQ(run->Long("a"), 0x0E0D0C0Bu);
      }
    }
  }
}

// A string takes characters up to a 0 byte or its length (five here), then its
// terminator; the bytes after them stay with the slave.
TEST(SpiMaster, StringsTakeUpToTheirLength) {
  struct Case {
    std::string sent;
    std::string stored;
    std::size_t clocked;
  };
  const std::vector<Case> cases = {
      {std::string("Hi\0", 3), "Hi", 3},
      {std::string("Hello", 5), "Hello", 5},
      {std::string("Hello World\0", 12), "Hello", 5},
      {std::string("\0", 1), "", 1},
  };
  for (const char* device : kDevices) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(device) + ": " + c.stored);
      std::unique_ptr<SpiSlaveModel> slave;
      auto run = RunBasic(Program(device, "master", "S = \"xxxxx\"\nSpiIn S; B\n"), device, 5'000'000,
                          [&](SimRunner& sim) {
                            std::vector<std::uint8_t> answers(c.sent.begin(), c.sent.end());
                            answers.push_back(0x77);
                            slave = std::make_unique<SpiSlaveModel>(sim, answers);
                          });
      ASSERT_TRUE(run->ok) << run->Diagnostics();
      std::string stored;
      for (int i = 0; i < 6 && run->Byte("s", i) != 0; ++i) stored.push_back(static_cast<char>(run->Byte("s", i)));
      EXPECT_EQ(stored, c.stored);
      EXPECT_EQ(slave->Received().size(), c.clocked + 1);
      // the next item gets the next byte
      EXPECT_EQ(run->Byte("b"), c.clocked < c.sent.size() ? static_cast<std::uint8_t>(c.sent[c.clocked]) : 0x77);
    }
  }
}

// Locals and parameters of a procedure receive through their frame.
TEST(SpiMaster, LocalsAndParameters) {
  for (const char* device : kDevices) {
    SCOPED_TRACE(device);
    std::unique_ptr<SpiSlaveModel> slave;
    auto run = RunBasic(Program(device, "master",
                                "Declare Sub Take(P As Word)\nTake(1)\nEnd\n"
                                "Sub Take(P As Word)\n  Local X As Byte\n  SpiIn P; X\n  W = P\n  B = X\nEnd Sub\n"),
                        device, 5'000'000, [&](SimRunner& sim) {
                          slave = std::make_unique<SpiSlaveModel>(sim, std::vector<std::uint8_t>{0xBE, 0xEF, 0x42});
                        });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Word("w"), 0xBEEF);
    EXPECT_EQ(run->Byte("b"), 0x42);
  }
}

// The chip as slave: it waits for each byte of the master and answers with what it put in
// SPDR before.
TEST(SpiSlave, ReceivesAndAnswers) {
  for (const char* device : kDevices) {
    SCOPED_TRACE(device);
    std::unique_ptr<SpiMasterModel> master;
    // 8 MHz: the first byte after 2 ms, then one every 2 ms (SpiOut puts its byte in SPDR
    // between them).
    auto run = RunBasic(Program(device, "slave", "SpiIn B; W\nSpiOut B + 1\nC = Spi(&H66)\n"), device, 5'000'000,
                        [&](SimRunner& sim) {
                          master = std::make_unique<SpiMasterModel>(sim, std::vector<std::uint8_t>{0x10, 0x20, 0x30, 0x99, 0x55},
                                                                    16000, 16000);
                        });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("b"), 0x10);
    EXPECT_EQ(run->Word("w"), 0x2030);
    EXPECT_EQ(run->Byte("c"), 0x55);
    ASSERT_EQ(master->Replies().size(), 5u);
    EXPECT_EQ(master->Replies()[3], 0x11);
    EXPECT_EQ(master->Replies()[4], 0x66);
  }
}

TEST(Spi, RefusedTargetsAndValues) {
  struct Case {
    const char* statement;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"SpiIn F", "Must be Byte, Integer, Word or Long!"},
      {"SpiIn T", "Must be Byte, Integer, Word or Long!"},
      {"SpiIn Nothing", "Unknown identifier  nothing"},
      {"SpiIn 5", "Must be variable or array element!"},
      {"SpiIn Q(1)", "Is this array?"},
      {"SpiIn FA(1)", "Must be Byte, Integer, Word or Long!"},
      {"SpiOut F", "Must be Byte, Integer, Word or Long!"},
      {"SpiOut S", "Must be Byte, Integer, Word or Long!"},
      {"SpiOut T", "Must be Byte, Integer, Word or Long!"},
      // A local string has no place the string receiver could write to.
      {"Declare Sub Take()\nTake()\nEnd\nSub Take()\n  Local Z As String * 4\n  SpiIn Z\nEnd Sub",
       "Must be Byte, Integer, Word or Long!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    const auto compiled = CompileBasic("$device = m8\n$clock = 8\n$stack = 32\n$spi = 16, msb, master, low, low\n"
                                       "Dim F As Float, T As Bit, S As String * 4, FA(3) As Float\n" +
                                       std::string(c.statement) + "\nEnd\n");
    const std::string statement = c.statement;
    EXPECT_TRUE(compiled.StartsWithError(c.message, statement.starts_with("Declare") ? 11 : 6)) << compiled.report;
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test

namespace qbc::test {
namespace {

// Every byte value through the block forms, both ways: two blocks of 128 bytes each.
TEST(SpiMaster, BlocksOfEveryByteValue) {
  std::vector<std::uint8_t> all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(255 - i);
  for (const char* device : kDevices) {
    SCOPED_TRACE(device);
    std::unique_ptr<SpiSlaveModel> slave;
    // the slave answers 0 while the chip sends, then every value while it receives
    std::vector<std::uint8_t> answers(512, 0);
    for (std::size_t i = 0; i < 256; ++i) answers[256 + i] = all[i];
    auto run = RunBasic(std::string("$device = ") + device +
                            "\n$clock = 8\n$stack = 48\n$spi = 4, msb, master, low, low\n"
                            "Dim A(128) As Byte, A2(128) As Byte, R(128) As Byte, Rb(128) As Byte, W As Word, "
                            "B As Byte\n"
                            "For W = 0 To 127\n  B = 255 - W\n  A(W) = B\n  B = 127 - W\n  A2(W) = B\nNext W\n"
                            "SpiOut A, 128\nSpiOut A2, 128\nSpiIn R, 128\nSpiIn Rb, 128\nEnd\n",
                        device, 20'000'000, [&](SimRunner& sim) { slave = std::make_unique<SpiSlaveModel>(sim, answers); });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    ASSERT_EQ(slave->Received().size(), 512u);
    EXPECT_EQ(std::vector<std::uint8_t>(slave->Received().begin(), slave->Received().begin() + 256), all);
    std::vector<std::uint8_t> in;
    for (int i = 0; i < 256; ++i) in.push_back(run->Byte(i < 128 ? "r" : "rb", i % 128));
    EXPECT_EQ(in, all);
  }
}

}  // namespace
}  // namespace qbc::test
