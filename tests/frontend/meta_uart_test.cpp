#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/driver/meta_statement.h"
#include "compiler/frontend/device_loader.h"
#include "compiler/frontend/uart_cells.h"
#include "compiler/statements/comm_display/uart_config.h"
#include "compiler/statements/hardware/timer_cells.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

struct Uart : test::CompilerFixture {
  // The device's registers come from its definition file: they tell which UARTs it has.
  Uart(const std::string& device, float clock) {
    st.env.InstallDir = test::BinDir();
    EXPECT_TRUE(LoadDeviceFile(st, device)) << device;
    st.out.Clear();  // the loader's .include line
    st.dev.DeviceName = device;
    st.cfg.CrystalFrequency = clock;
  }
  // A "$baud..." line of the declaration area.
  void Meta(const std::string& line) {
    LoadSource(line + "\n");
    ParseMetaStatement(st);
  }
  // A Baud statement of the program body.
  void Statement(const std::string& line, int uart = 0) {
    st.src.DeclarationsEnded = true;
    LoadSource(line + "\n");
    CompileBaudStatement(st, uart);
  }
};

TEST(MetaUart, DivisorAndRegisterLines) {
  struct Case {
    const char* device;
    float clock;
    const char* line;
    const char* out;  // written in place (program body)
    int errors;
  } cases[] = {
      {"m8", 8.0f, "baud = 9600",
       "\t\tldi\t\tzl,byte1(51)\r\n\t\tldi\t\tzh,byte2(51)\r\n\t\tout\t\tUBRRH,zh\r\n\t\tout\t\tUBRRL,zl\r\n", 0},
      {"m8", 7.3728f, "baud = 9600",
       "\t\tldi\t\tzl,byte1(47)\r\n\t\tldi\t\tzh,byte2(47)\r\n\t\tout\t\tUBRRH,zh\r\n\t\tout\t\tUBRRL,zl\r\n", 0},
      {"m88", 16.0f, "baud = 9600",
       "\t\tldi\t\tzl,byte1(103)\r\n\t\tldi\t\tzh,byte2(103)\r\n\t\tsts\t\tUBRR0H,zh\r\n\t\tsts\t\tUBRR0L,zl\r\n", 0},
      {"m128", 8.0f, "baud = 9600",
       "\t\tldi\t\tzl,byte1(51)\r\n\t\tldi\t\tzh,byte2(51)\r\n\t\tsts\t\tUBRR0H,zh\r\n\t\tout\t\tUBRR0L,zl\r\n", 0},
      {"90s8515", 4.0f, "baud = 1200", "\t\tldi\t\tzl,byte1(207)\r\n\t\tldi\t\tzh,byte2(207)\r\n\t\tout\t\tUBRR,zl\r\n", 0},
      {"90s8515", 16.0f, "baud = 3600", "\t\tldi\t\tzl,byte1(277)\r\n\t\tldi\t\tzh,byte2(277)\r\n", 1},
      {"m8", 1.0f, "baud = 115200",
       "\t\tldi\t\tzl,byte1(0)\r\n\t\tldi\t\tzh,byte2(0)\r\n\t\tout\t\tUBRRH,zh\r\n\t\tout\t\tUBRRL,zl\r\n", 1},
      {"m8", 1.0f, "baud = 50", "\t\tldi\t\tzl,byte1(1249)\r\n\t\tldi\t\tzh,byte2(1249)\r\n"
                                "\t\tout\t\tUBRRH,zh\r\n\t\tout\t\tUBRRL,zl\r\n", 0},
      {"m8", 16.0f, "baud = 200", "\t\tldi\t\tzl,byte1(4999)\r\n\t\tldi\t\tzh,byte2(4999)\r\n", 1},  // 12 bits
      {"m8", 8.0f, "baud = 9600, double",
       "\t\tldi\t\tzl,byte1(103)\r\n\t\tldi\t\tzh,byte2(103)\r\n\t\tout\t\tUBRRH,zh\r\n\t\tout\t\tUBRRL,zl\r\n"
       "\t\tldi\t\tzl,0x02\r\n\t\tout\t\tUCSRA,zl\r\n", 0},
      {"m88", 8.0f, "baud = 9600, double",
       "\t\tldi\t\tzl,byte1(103)\r\n\t\tldi\t\tzh,byte2(103)\r\n\t\tsts\t\tUBRR0H,zh\r\n\t\tsts\t\tUBRR0L,zl\r\n"
       "\t\tldi\t\tzl,0x02\r\n\t\tsts\t\tUCSR0A,zl\r\n", 0},
      {"m8", 8.0f, "baud = 4800, sync, master, lo",
       "\t\tldi\t\tzl,byte1(103)\r\n\t\tldi\t\tzh,byte2(103)\r\n\t\tout\t\tUBRRH,zh\r\n\t\tout\t\tUBRRL,zl\r\n"
       "\t\tldi\t\tzl,0xC7\r\n\t\tout\t\tUCSRC,zl\r\n\t\tsbi\t\tDDRD,4\r\n", 0},
      // The ATmega64/128 keep UART 0's status register in the I/O space under its numbered
      // name, and UART 1's beyond it.
      {"m128", 8.0f, "baud = 9600, double",
       "\t\tldi\t\tzl,byte1(103)\r\n\t\tldi\t\tzh,byte2(103)\r\n\t\tsts\t\tUBRR0H,zh\r\n\t\tout\t\tUBRR0L,zl\r\n"
       "\t\tldi\t\tzl,0x02\r\n\t\tout\t\tUCSR0A,zl\r\n", 0},
      // Double speed reaches twice the rate: its own divisor decides what is too high.
      {"m8", 3.6864f, "baud = 230400, double",
       "\t\tldi\t\tzl,byte1(1)\r\n\t\tldi\t\tzh,byte2(1)\r\n\t\tout\t\tUBRRH,zh\r\n\t\tout\t\tUBRRL,zl\r\n"
       "\t\tldi\t\tzl,0x02\r\n\t\tout\t\tUCSRA,zl\r\n", 0},
      {"m8", 1.0f, "baud = 500000, double",
       "\t\tldi\t\tzl,byte1(-1)\r\n\t\tldi\t\tzh,byte2(-1)\r\n\t\tout\t\tUBRRH,zh\r\n\t\tout\t\tUBRRL,zl\r\n"
       "\t\tldi\t\tzl,0x02\r\n\t\tout\t\tUCSRA,zl\r\n", 1},
      {"m8", 8.0f, "baud = 0", "", 1},
      {"m8", 8.0f, "baud = x", "", 1},
      {"m8", 8.0f, "baud 9600", "", 0},
  };
  for (const auto& c : cases) {
    Uart u(c.device, c.clock);
    u.Statement(c.line);
    EXPECT_EQ(u.st.out.Str(), c.out) << c.device << " " << c.line;
    EXPECT_EQ(u.st.ErrorCount, c.errors) << c.device << " " << c.line << u.report.Text();
    EXPECT_EQ(u.st.Cells<UartCells>().BaudRateSet[0], std::string(c.out) != "") << c.line;
  }
}

// A rate the clock's divisors cannot reach within what a frame tolerates (just under 4 %:
// see the README) is refused at its line, naming the rate the nearest divisor gives; the
// double-speed divisors and the slightly-off common pairs compile.
TEST(MetaUart, ARateTheClockCannotReachIsRefused) {
  struct Case {
    const char* device;
    const char* clock;
    const char* line;
    const char* error;  // empty: compiles and assembles
  } cases[] = {
      {"m8", "1", "$baud = 38400", "Baud rate not reachable with this Clock: 31250 (-18.6%)!"},
      {"m8", "1", "$baud = 9600", "Baud rate not reachable with this Clock: 8929 (-7.0%)!"},
      {"m8", "8", "$baud = 115200", "Baud rate not reachable with this Clock: 125000 (+8.5%)!"},
      {"m8", "8", "Baud = 115200", "Baud rate not reachable with this Clock: 125000 (+8.5%)!"},
      {"m128", "8", "$baud1 = 115200", "Baud rate not reachable with this Clock: 125000 (+8.5%)!"},
      {"90s8515", "4", "$baud = 115200", "Baud rate not reachable with this Clock: 125000 (+8.5%)!"},
      {"m8", "1", "$baud = 9600 , double", ""},
      {"m8", "16", "$baud = 115200", ""},  // -3.5 %
      {"m8", "8", "$baud = 115200 , double", ""},
      {"m8", "3.6864", "$baud = 230400 , double", ""},
      {"m8", "1", "$baud = 38400 , sync , master , lo", ""},  // the clock line carries the rate
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " at " + c.clock + " MHz: " + c.line);
    test::BasResult r = test::CompileBas("$device = " + std::string(c.device) + "\n$clock = " + c.clock +
                                         "\n$stack = 16\n" + c.line + "\nEnd\n");
    if (*c.error == '\0') {
      EXPECT_TRUE(r.ok) << r.report;
    } else {
      EXPECT_EQ(r.report.rfind(std::string(" 1. ") + c.error + " (\"" + r.bas_path + "\" --> Line  4)", 0), 0u)
          << r.report;
      EXPECT_EQ(r.report.find("Assembling"), std::string::npos) << r.report;
    }
  }
}

// The synchronous form: UMSEL alone (not the SPI-master setting 11 of the newer devices),
// 8 data bits (UCSZ1:0 = 11), URSEL where UCSRC shares its address with UBRRH, the clock
// polarity in bit 0; master or slave by the direction of the XCK pin.
TEST(MetaUart, SynchronousModeKeepsEightDataBitsAndSetsTheClockPin) {
  struct Case {
    const char* device;
    bool newMega;
    const char* line;
    int uart;
    std::vector<const char*> sync;  // the lines after the divisor and register lines
  } cases[] = {
      {"m8", false, "baud = 4800, sync, master, hi", 0, {"ldi\t\tzl,0xC6", "out\t\tUCSRC,zl", "sbi\t\tDDRD,4"}},
      {"m8", false, "baud = 4800, sync, slave, lo", 0, {"ldi\t\tzl,0xC7", "out\t\tUCSRC,zl", "cbi\t\tDDRD,4"}},
      {"m16", false, "baud = 4800, sync, slave, hi", 0, {"ldi\t\tzl,0xC6", "out\t\tUCSRC,zl", "cbi\t\tDDRB,0"}},
      {"m32", false, "baud = 4800, sync, master, lo", 0, {"ldi\t\tzl,0xC7", "out\t\tUCSRC,zl", "sbi\t\tDDRB,0"}},
      {"m8515", false, "baud = 4800, sync, master, hi", 0, {"ldi\t\tzl,0xC6", "out\t\tUCSRC,zl", "sbi\t\tDDRD,4"}},
      {"m8535", false, "baud = 4800, sync, slave, hi", 0, {"ldi\t\tzl,0xC6", "out\t\tUCSRC,zl", "cbi\t\tDDRB,0"}},
      {"m162", false, "baud1 = 4800, sync, master, hi", 1, {"ldi\t\tzl,0xC6", "out\t\tUCSR1C,zl", "sbi\t\tDDRD,2"}},
      {"m88", true, "baud = 4800, sync, master, hi", 0, {"ldi\t\tzl,0x46", "sts\t\tUCSR0C,zl", "sbi\t\tDDRD,4"}},
      {"m88", true, "baud = 4800, sync, slave, lo", 0, {"ldi\t\tzl,0x47", "sts\t\tUCSR0C,zl", "cbi\t\tDDRD,4"}},
      {"m2561", true, "baud1 = 4800, sync, master, hi", 1, {"ldi\t\tzl,0x46", "sts\t\tUCSR1C,zl", "sbi\t\tDDRD,5"}},
      {"m128", false, "baud = 4800, sync, master, hi", 0, {"ldi\t\tzl,0x46", "sts\t\tUCSR0C,zl", "sbi\t\tDDRE,2"}},
      {"m128", false, "baud1 = 4800, sync, slave, hi", 1, {"ldi\t\tzl,0x46", "sts\t\tUCSR1C,zl", "cbi\t\tDDRD,5"}},
      {"m2560", true, "baud2 = 4800, sync, master, hi", 2,
       {"ldi\t\tzl,0x46", "sts\t\tUCSR2C,zl", "lds\t\tzl,DDRH", "sbr\t\tzl,0x04", "sts\t\tDDRH,zl"}},
      {"m2560", true, "baud3 = 4800, sync, slave, lo", 3,
       {"ldi\t\tzl,0x47", "sts\t\tUCSR3C,zl", "lds\t\tzl,DDRJ", "cbr\t\tzl,0x04", "sts\t\tDDRJ,zl"}},
      {"tn4313", false, "baud = 4800, sync, slave, hi", 0, {"ldi\t\tzl,0x46", "out\t\tUCSRC,zl", "cbi\t\tDDRD,2"}},
  };
  for (const auto& c : cases) {
    Uart u(c.device, 8.0f);
    u.Statement(c.line, c.uart);
    std::string tail;
    for (const char* line : c.sync) tail += std::string("\t\t") + line + "\r\n";
    const std::string out = u.st.out.Str();
    ASSERT_GE(out.size(), tail.size()) << c.device << " " << c.line;
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail) << c.device << " " << c.line << "\n" << out;
    EXPECT_EQ(u.st.ErrorCount, 0) << c.device << " " << c.line << u.report.Text();
  }
  // Collected for the start-up code, the lines keep their order.
  Uart m("m8", 8.0f);
  m.Meta("$baud = 4800, sync, master, lo");
  EXPECT_NE(m.st.Cells<UartCells>().UartInitText.find("\t\tldi\t\tzl,0xC7\r\n\t\tout\t\tUCSRC,zl\r\n\t\tsbi\t\tDDRD,4\r\n"),
            std::string::npos)
      << m.st.Cells<UartCells>().UartInitText;
}

TEST(MetaUart, OtherUartsUseTheirOwnRegisters) {
  Uart a("m2560", 8.0f);
  a.Statement("baud1 = 9600", 1);
  EXPECT_NE(a.st.out.Str().find("sts\t\tUBRR1H,zh\r\n\t\tsts\t\tUBRR1L,zl"), std::string::npos);
  EXPECT_TRUE(a.st.Cells<UartCells>().BaudRateSet[1]);
  Uart b("m1280", 8.0f);
  b.Statement("baud3 = 9600", 3);
  EXPECT_NE(b.st.out.Str().find("UBRR3H,zh"), std::string::npos);
}

// A UART the device does not have is refused: its registers would compile cleanly and then
// fail in the assembler, or (the older files' alias UCR) set up the first UART instead.
TEST(MetaUart, AUartTheDeviceLacksIsACompileError) {
  struct Case {
    const char* device;
    std::string line;
    const char* error;  // empty: compiles and assembles
  } cases[] = {
      {"tn13", "$baud = 9600", "No UART available!"},
      {"m8", "$baud1 = 9600", "Not second UART available!"},
      {"tn2313", "$baud1 = 9600", "Not second UART available!"},
      {"m128", "$baud2 = 9600", "Not third UART available!"},
      {"m162", "$baud3 = 9600, double", "Not forth UART available!"},
      {"m8", "Baud1 = 9600", "Not second UART available!"},  // the statement in the program body
      {"m162", "$baud1 = 9600", ""},
      {"m2560", "$baud3 = 9600", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.device) + ": " + c.line);
    test::BasResult r =
        test::CompileBas("$device = " + std::string(c.device) + "\n$clock = 8\n$stack = 16\n" + c.line + "\nEnd\n");
    if (*c.error == '\0') {
      EXPECT_TRUE(r.ok) << r.report;
    } else {
      EXPECT_EQ(r.report.rfind(std::string(" 1. ") + c.error + " (\"" + r.bas_path + "\" --> Line  4)", 0), 0u)
          << r.report;
      EXPECT_EQ(r.report.find("Assembling"), std::string::npos) << r.report;
    }
  }
}

TEST(MetaUart, FirstPassCollectsTheLinesInStartUpOrder) {
  Uart u("m8", 8.0f);
  u.Meta("$baud = 9600");
  EXPECT_EQ(u.st.Cells<UartCells>().UartInitText,
            "\t\tldi\t\tzh,byte2(51)\r\n\t\tldi\t\tzl,byte1(51)\r\n\t\tout\t\tUBRRL,zl\r\n\t\tout\t\tUBRRH,zh\r\n");
  EXPECT_EQ(u.st.out.LineCount(), 0u);
  EXPECT_TRUE(u.st.Cells<UartCells>().BaudRateSet[0]);
  EXPECT_EQ(u.st.TokText(), "<EOL>");
}

TEST(MetaUart, FrameFormat) {
  struct Case {
    const char* line;
    int parity, data, stop, errors;
  } cases[] = {
      {"$baud = 9600, n, 8, 1", 0, 8, 1, 0}, {"$baud1 = 9600, e, 7, 2", 4, 7, 2, 0},
      {"$baud = 9600, o, 9, 1", 3, 9, 1, 0}, {"$baud = 9600, n, 5, 2", 0, 5, 2, 0},
      {"$baud = 9600, n, 8, 3", 0, 8, 0, 1}, {"$baud = 9600, double, e, 8, 2", 4, 8, 2, 0},
  };
  for (const auto& c : cases) {
    Uart u("m2560", 8.0f);  // a second UART for $baud1
    u.Meta(c.line);
    const int n = std::string(c.line).find("baud1") != std::string::npos ? 1 : 0;
    const UartFormatRecord& f = u.st.Cells<UartCells>().UartFormat[n];
    EXPECT_EQ(u.st.Cells<UartCells>().UartFormatSet[n], 255) << c.line;
    EXPECT_EQ(f.Parity, c.parity) << c.line;
    EXPECT_EQ(f.DataBits, c.data) << c.line;
    EXPECT_EQ(f.StopBits, c.stop) << c.line;
    EXPECT_EQ(u.st.ErrorCount, c.errors) << c.line << u.report.Text();
  }
  struct Bad {
    const char* line;
    const char* message;
  } bad[] = {{"$baud = 9600, x, 5, 1", "Invalid Parity seting!"},
             {"$baud = 9600, n, 4, 1", "Invalid Data Format seting!"},
             {"$baud = 9600, n, 10, 1", "Invalid Data Format seting!"}};
  for (const Bad& b : bad) {
    Uart u("m88", 8.0f);
    u.Meta(b.line);
    EXPECT_EQ(u.report.Text().find(b.message), 4u) << b.line << u.report.Text();  // the first report
    EXPECT_EQ(u.st.Cells<UartCells>().UartFormatSet[0], 255) << b.line;
    EXPECT_EQ(u.st.TokText(), "<EOL>") << b.line;
  }
  Uart plain("m88", 8.0f);
  plain.Meta("$baud = 9600");
  EXPECT_EQ(plain.st.Cells<UartCells>().UartFormatSet[0], 0);
}

// The frame byte and the enable value; the classic UART (no frame register in its device
// file) takes the parity as its ninth bit.
TEST(MetaUart, FrameAndEnableValues) {
  struct Case {
    const char* device;
    int uart, parity, data, stop;
    int frame, enable;
  } cases[] = {
      {"m88", 0, 0, 8, 1, 0x06, 0x18},  {"m128", 1, 4, 7, 2, 0x2C, 0x18},
      {"m88", 0, 3, 7, 1, 0x34, 0x18},  {"m88", 0, 4, 8, 2, 0x2E, 0x18},
      {"m88", 0, 0, 9, 1, 0x06, 0x1c},  {"m128", 0, 0, 8, 2, 0x0E, 0x18},
      {"m88", 0, 1, 8, 1, 0x36, 0x18},  // mark: the odd-parity bits
      // UCSRC shares its address with UBRRH: the frame byte carries URSEL.
      {"m8", 0, 4, 8, 1, 0xA6, 0x18},   {"m32", 0, 0, 8, 1, 0x86, 0x18},
      {"m323", 0, 0, 8, 1, 0x86, 0x18}, {"m162", 1, 0, 8, 1, 0x86, 0x18},
      {"90s8515", 0, 4, 8, 1, 0x26, 0x1c},
  };
  for (const auto& c : cases) {
    Uart u(c.device, 8.0f);
    u.st.Cells<UartCells>().UartFormatSet[c.uart] = 255;
    u.st.Cells<UartCells>().UartFormat[c.uart] = UartFormatRecord{static_cast<std::uint8_t>(c.parity), static_cast<std::uint8_t>(c.data),
                                                   static_cast<std::uint8_t>(c.stop)};
    EXPECT_EQ(UartFrameValue(u.st, static_cast<std::uint8_t>(c.uart)), c.frame) << c.device << c.data;
    EXPECT_EQ(UartEnableValue(u.st, static_cast<std::uint8_t>(c.uart)), c.enable) << c.device << c.data;
  }
}

TEST(MetaUart, SoftwareUartTiming) {
  struct Case {
    float clock;
    const char* rate;
    const char* ticks;
    const char* division;
    int select, errors;
  } cases[] = {
      // The smallest prescaler whose count fits 250 ticks; a bit shorter than twice the
      // overflow handler's longest path (51 cycles on the m8) is refused.
      {8.0f, "9600", "104", "8", 2, 0},  {1.0f, "9600", "104", "1", 1, 0},  {4.0f, "115200", "35", "1", 1, 1},
      {1.0f, "115200", "9", "1", 1, 1},  {16.0f, "300", "208", "256", 4, 0}, {16.0f, "50", "312", "1024", 5, 1},
      {8.0f, "1200", "104", "64", 3, 0},
  };
  for (const auto& c : cases) {
    Uart u("m8", c.clock);
    u.Meta(std::string("$com1 = portb.1, ") + c.rate);
    EXPECT_EQ(u.st.Cells<UartCells>().SoftComPorts[0].TxBaud, c.ticks) << c.rate;
    EXPECT_EQ(u.st.Cells<UartCells>().SoftComPorts[0].RxBaud, c.division) << c.rate;
    EXPECT_EQ(u.st.Cells<TimerCells>().TimerClockSelect[0], c.select) << c.rate;
    EXPECT_EQ(u.st.ErrorCount, c.errors) << c.rate;
    EXPECT_FALSE(u.st.Cells<UartCells>().BaudRateSet[0]);
  }
}

// Baud #1 = rate in the program body changes the running UART where it stands: it waits
// for the byte going out, then writes Timer0's clock select with the three reloads. The
// start-up timing stays that of $com1.
TEST(MetaUart, SoftwareUartRateStatement) {
  // 833.3 cycles per bit in ticks of 8, less the cycles from the flag to each TCNT0 write
  // (6 to enter a handler on the m8, the write at its cycle 5, the first sample at 21):
  // 256 - (833.3 - 11) / 8, 256 - (833.3 - 27) / 8, 256 - (416.7 - 38) / 8.
  Uart r("m8", 8.0f);
  r.Meta("$com1 = portb.1, 1200");
  r.st.out.Clear();
  r.Statement("baud #1 = 9600");
  const std::string& t = r.st.out.Str();
  EXPECT_EQ(r.st.ErrorCount, 0);
  EXPECT_NE(t.find("\t\tldi\t\tzl,2\r\n\t\tout\t\tTCCR0,zl\r\n"
                   "\t\tldi\t\tzl, 153\r\n\t\tsts\t\t_rel1,zl\r\n\t\tldi\t\tzl, 155\r\n\t\tsts\t\t_rel2,zl\r\n"
                   "\t\tldi\t\tzl, 209\r\n\t\tsts\t\t_rel3,zl\r\n"),
            std::string::npos)
      << t;
  EXPECT_LT(t.find("\t\tsbrc\t"), t.find("TCCR0,zl")) << t;
  EXPECT_EQ(r.st.Cells<UartCells>().SoftComPorts[0].RxBaud, "64");
  EXPECT_EQ(r.st.Cells<TimerCells>().TimerClockSelect[0], 3);
  EXPECT_DOUBLE_EQ(r.st.Cells<UartCells>().SoftUartBitCycles, 8e6 / 1200);

  Uart one("m8", 1.0f);
  one.Meta("$com1 = portb.1, 2400");
  one.Statement("baud #1 = 9600");
  EXPECT_NE(one.st.out.Str().find("\t\tldi\t\tzl,1\r\n\t\tout\t\tTCCR0,zl\r\n\t\tldi\t\tzl, 163\r\n\t\tsts\t\t_rel1,zl\r\n"
                                  "\t\tldi\t\tzl, 179\r\n\t\tsts\t\t_rel2,zl\r\n\t\tldi\t\tzl, 242"),
            std::string::npos)
      << one.st.out.Str();
  // Timer0's control register beyond the classic name.
  Uart m88("m88", 8.0f);
  m88.Meta("$com1 = portb.1, 9600");
  m88.Statement("baud #1 = 1200");
  EXPECT_NE(m88.st.out.Str().find("\t\tldi\t\tzl,3\r\n\t\tout\t\tTCCR0B,zl\r\n"), std::string::npos) << m88.st.out.Str();

  struct Refused {
    const char* com1;  // the $com1 line, if any
    const char* statement;
    const char* message;
  } refused[] = {
      {"$com1 = portb.1, 9600", "baud #1 = 0", "Baud rate not possible!"},  // no rate, no division by zero
      {"$com1 = portb.1, 9600", "baud #1 = 115200", "Baud rate not possible!"},
      {"$com1 = portb.1, 9600", "baud #1 = 5", "Baud rate not possible!"},
      {nullptr, "baud #1 = 9600", "Baud #1 needs $com1!"},
  };
  for (const Refused& c : refused) {
    Uart u("m8", 8.0f);
    if (c.com1 != nullptr) u.Meta(c.com1);
    u.st.out.Clear();
    u.Statement(c.statement);
    EXPECT_EQ(u.st.ErrorCount, 1) << c.statement;
    EXPECT_NE(u.report.Text().find(c.message), std::string::npos) << c.statement << u.report.Text();
    EXPECT_EQ(u.st.out.Str().find("_rel1"), std::string::npos) << c.statement;
  }
}

}  // namespace
}  // namespace qbc
