#include <gtest/gtest.h>

#include "compiler/driver/peripheral_init.h"
#include "compiler/statements/peripherals/lcd_cells.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

struct Init : test::CompilerFixture {
  explicit Init(const std::string& device, bool megaUart = true, bool newMega = false) {
    LoadSource("x = 1\n");
    st.dev.DeviceName = device;
    st.dev.MegaUartDevice = megaUart;
    st.dev.NewMegaDevice = newMega;
    st.mn.CallMnemonic = "rcall";
  }
  void Format(int uart, int parity, int data, int stop) {
    st.cfg.BaudRateSet[uart] = true;
    st.cfg.UartFormatSet[uart] = 255;
    st.cfg.UartFormat[uart] = UartFormatRecord{static_cast<std::uint8_t>(parity), static_cast<std::uint8_t>(data),
                                               static_cast<std::uint8_t>(stop)};
  }
  std::string Run() {
    EmitPeripheralInit(st);
    return st.out.Str();
  }
};

TEST(HeadPeripheral, UartControlAndFrameRegisters) {
  Init m8("m8");
  m8.st.cfg.BaudRateSet[0] = true;
  EXPECT_EQ(m8.Run(), "\t\tldi\t\tzl,0x18\r\n\t\tout\t\tUCSR0B,zl\r\n");

  Init classic("90s8515", false);
  classic.st.cfg.BaudRateSet[0] = true;
  EXPECT_EQ(classic.Run(), "\t\tldi\t\tzl,0x18\r\n\t\tout\t\tUCR,zl\r\n");

  Init m128("m128");
  m128.Format(0, 0, 8, 2);
  m128.Format(1, 4, 7, 1);
  EXPECT_EQ(m128.Run(),
            "\t\tldi\t\tzl,0x18\r\n\t\tldi\t\tzh,0x0E\r\n\t\tsts\t\tUCSR0C,zh\r\n\t\tout\t\tUCSR0B,zl\r\n"
            "\t\tldi\t\tzl,0x18\r\n\t\tldi\t\tzh,0x24\r\n\t\tsts\t\tUCSR1C,zh\r\n\t\tsts\t\tUCSR1B,zl\r\n");

  Init m88("m88", true, true);
  m88.Format(0, 0, 9, 1);
  EXPECT_EQ(m88.Run(), "\t\tldi\t\tzl,0x1c\r\n\t\tldi\t\tzh,0x06\r\n\t\tsts\t\tUCSR0C,zh\r\n\t\tsts\t\tUCSR0B,zl\r\n");

  // On the ATmega8/16/32 the frame byte reaches UCSRC only with URSEL set.
  Init urs("m16");
  urs.Format(0, 4, 8, 1);
  EXPECT_EQ(urs.Run(), "\t\tldi\t\tzl,0x18\r\n\t\tldi\t\tzh,0xA6\r\n\t\tout\t\tUCSR0C,zh\r\n\t\tout\t\tUCSR0B,zl\r\n");

  Init soft("90s8515", false);
  soft.Format(0, 4, 8, 1);
  EXPECT_EQ(soft.Run(), "\t\tldi\t\tzl,0x1c\r\n\t\tout\t\tUCR,zl\r\n\t\tldi\t\tzl,4\r\n\t\tsts\t\t_SysPar,zl\r\n");

  Init mega2560("m2560", true, true);
  mega2560.st.cfg.BaudRateSet[2] = true;
  mega2560.Format(3, 3, 8, 1);
  EXPECT_EQ(mega2560.Run(), "\t\tldi\t\tzl,0x18\r\n\t\tsts\t\tUCSR2B,zl\r\n"
                            "\t\tldi\t\tzl,0x18\r\n\t\tldi\t\tzh,0x36\r\n\t\tsts\t\tUCSR3C,zh\r\n\t\tsts\t\tUCSR3B,zl\r\n");
}

TEST(HeadPeripheral, PreparedLinesInOrder) {
  Init i("m8");
  i.st.cfg.BaudRateSet[0] = true;
  i.st.cfg.UartInitText = "\t\tldi\t\tzh,byte2(51)\r\n\t\tldi\t\tzl,byte1(51)\r\n";
  i.st.cfg.InitCodeLines[0] = "\t\tldi\t\tzl,64";
  i.st.cfg.InitCodeLines[1] = "\t\tout\t\tTCCR0,zl";
  i.st.cfg.InitCodeLines[3] = "\t\tnever";
  EXPECT_EQ(i.Run(), "\t\tldi\t\tzl,0x18\r\n\t\tout\t\tUCSR0B,zl\r\n"
                     "\t\tldi\t\tzh,byte2(51)\r\n\t\tldi\t\tzl,byte1(51)\r\n\r\n"
                     "\t\tldi\t\tzl,64\r\n\t\tout\t\tTCCR0,zl\r\n");
}

TEST(HeadPeripheral, DtmfTimerUsesTheDevicesOverflowBit) {
  Init m8("m8");
  m8.st.cfg.DtmfUsed = true;
  m8.st.cfg.DtmfPort = "PORTB";
  m8.st.cfg.DtmfPin = "3";
  EXPECT_EQ(m8.Run(), "\t\tclr\t\tr10\r\n\t\tclr\t\tr11\r\n\t\tclr\t\tr12\r\n\t\tclr\t\tr13\r\n"
                      "\t\tldi\t\tzl,(1<<TOIE1)\r\n\t\tout\t\tTIMSK,zl\r\n\t\tldi\t\tzl,0x81\r\n\t\tout\t\tTCCR1A,zl\r\n"
                      "\t\tldi\t\tzl,0x01\r\n\t\tout\t\tTCCR1B,zl\r\n\t\tsbi\t\tDDRB,3\r\n");
  Init m88("m88", true, true);
  m88.st.cfg.DtmfUsed = true;
  EXPECT_NE(m88.Run().find("\t\tsts\t\tTIMSK1,zl\r\n"), std::string::npos);
}

TEST(HeadPeripheral, CallsAndPins) {
  Init i("m128");
  i.st.mn.CallMnemonic = "call";
  i.st.cfg.SoftUartInterrupt = true;
  i.st.Cells<LcdCells>().LcdConfigured = true;
  i.st.cfg.ShiftOutDeclared = true;
  i.st.cfg.ShiftOutPort = "PORTF";
  i.st.cfg.ShiftOutClockPin = "3";
  i.st.cfg.ShiftInDeclared = true;
  i.st.cfg.ShiftInPort = "PORTB";
  i.st.cfg.ShiftInClockPin = "1";
  i.st.sym.IoRegisters[1] = IoRegisterRecord{"ddrf", 0x61};
  i.st.sym.IoRegisters[2] = IoRegisterRecord{"ddrb", 0x17};
  i.st.cfg.NeedPcKey = true;
  i.st.cfg.PcKeyDataPort = "PORTD";
  i.st.cfg.PcKeyDataPin = "2";
  i.st.cfg.PcKeyClockPort = "PORTD";
  i.st.cfg.PcKeyClockPin = "3";
  i.st.cfg.KeysDeclared = true;
  i.st.cfg.SoundPinDeclared = true;
  i.st.cfg.SoundPort = "PORTC";
  i.st.cfg.SoundPin = "5";
  EXPECT_EQ(i.Run(), "\t\tcall\t_UAini\r\n\t\tcall\tLcdIni\r\n"
                     "\t\tlds\t\tzl,DDRF\r\n\t\tsbr\t\tzl,1<<3\r\n\t\tsts\t\tDDRF,zl\r\n"
                     "\t\tsbi\t\tDDRB, 1\r\n"
                     "\t\tsbi\t\tPORTD,2\r\n\t\tsbi\t\tPORTD,3\r\n"
                     "\t\tcall\t_KyIni\r\n"
                     "\t\tcbi\t\tPORTC,5\r\n\t\tsbi\t\tDDRC,5\r\n");

  Init k("m8");
  k.st.cfg.KeysDeclared = true;
  k.st.cfg.KeyColsPort = "PORTD";  // a matrix keypad: initialised by its own routine
  k.st.cfg.NeedPcKey = true;
  k.st.cfg.PcKeyInit = true;
  EXPECT_EQ(k.Run(), "\t\trcall\t_PCini\r\n");
}

TEST(HeadPeripheral, NumberFormatCells) {
  struct Case {
    int digits, decimals, lead;
    const char* lines;
  } cases[] = {
      {5, 2, 32,
       "\t\tldi\t\tzl,5\r\n\t\tsts\t\t_fmtC,zl\r\n\t\tldi\t\tzl,2\r\n\t\tsts\t\t_fmtD,zl\r\n"
       "\t\tldi\t\tzl,0x20\r\n\t\tsts\t\t_lchr,zl\r\n"},
      // Scientific format (0 digits): the declared cells still get their values (SRAM is
      // not cleared at reset).
      {0, 3, 48,
       "\t\tldi\t\tzl,0\r\n\t\tsts\t\t_fmtC,zl\r\n\t\tldi\t\tzl,3\r\n\t\tsts\t\t_fmtD,zl\r\n"
       "\t\tldi\t\tzl,0x30\r\n\t\tsts\t\t_lchr,zl\r\n"},
      {0, 0, 5, "\t\tldi\t\tzl,0x5\r\n\t\tsts\t\t_lchr,zl\r\n"},
      {0, 0, 0, ""},
  };
  for (const Case& c : cases) {
    Init i("m8");
    i.st.cfg.FormatDigits = static_cast<std::uint8_t>(c.digits);
    i.st.cfg.FormatDecimals = static_cast<std::uint8_t>(c.decimals);
    i.st.cfg.LeadChar = static_cast<std::uint8_t>(c.lead);
    EXPECT_EQ(i.Run(), c.lines) << c.digits << "," << c.decimals;
  }
}

TEST(HeadPeripheral, BannerListsTheFirstLineUnlessItIsAMetastatement) {
  Init i("m8");
  i.LoadSource("x = 1\n");
  i.st.cfg.ListSourceInAsm = true;
  EmitUserCodeBanner(i.st);
  EXPECT_EQ(i.st.out.Str(), "\r\n;******\tUSERS BASIC CODE **********************\r\n\r\n;-Line--0001----x = 1--\r\n");
  Init m("m8");
  m.LoadSource("$asm\n");
  m.st.cfg.ListSourceInAsm = true;
  EmitUserCodeBanner(m.st);
  EXPECT_EQ(m.st.out.Str(), "\r\n;******\tUSERS BASIC CODE **********************\r\n");
}

}  // namespace
}  // namespace qbc
