#include <gtest/gtest.h>

#include "compiler/driver/peripheral_init.h"
#include "compiler/frontend/device_loader.h"
#include "compiler/frontend/number_format_cells.h"
#include "compiler/frontend/uart_cells.h"
#include "compiler/statements/peripherals/dtmf_cells.h"
#include "compiler/statements/peripherals/keypad_cells.h"
#include "compiler/statements/peripherals/lcd_cells.h"
#include "compiler/statements/peripherals/pc_key_cells.h"
#include "compiler/statements/peripherals/shift_cells.h"
#include "compiler/statements/peripherals/sound_cells.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

// The chip's registers come from its definition file.
struct Init : test::CompilerFixture {
  explicit Init(const std::string& device) {
    st.env.InstallDir = test::BinDir();
    EXPECT_TRUE(LoadDeviceFile(st, device)) << device;
    st.out.Clear();  // the loader's .include line
    LoadSource("x = 1\n");
    st.dev.DeviceName = device;
    st.mn.CallMnemonic = "rcall";
  }
  void Format(int uart, int parity, int data, int stop) {
    st.Cells<UartCells>().BaudRateSet[uart] = true;
    st.Cells<UartCells>().UartFormatSet[uart] = 255;
    st.Cells<UartCells>().UartFormat[uart] = UartFormatRecord{static_cast<std::uint8_t>(parity), static_cast<std::uint8_t>(data),
                                               static_cast<std::uint8_t>(stop)};
  }
  std::string Run() {
    EmitPeripheralInit(st);
    return st.out.Str();
  }
};

// The UART's registers under the names the chip's device file gives them (UCSRB on the
// ATmega8, UCR on the classic parts, UCSR0B where the chip numbers its UART).
TEST(HeadPeripheral, UartControlAndFrameRegisters) {
  Init m8("m8");
  m8.st.Cells<UartCells>().BaudRateSet[0] = true;
  EXPECT_EQ(m8.Run(), "\t\tldi\t\tzl,0x18\r\n\t\tout\t\tUCSRB,zl\r\n");

  Init classic("90s8515");
  classic.st.Cells<UartCells>().BaudRateSet[0] = true;
  EXPECT_EQ(classic.Run(), "\t\tldi\t\tzl,0x18\r\n\t\tout\t\tUCR,zl\r\n");

  Init m128("m128");
  m128.Format(0, 0, 8, 2);
  m128.Format(1, 4, 7, 1);
  EXPECT_EQ(m128.Run(),
            "\t\tldi\t\tzl,0x18\r\n\t\tldi\t\tzh,0x0E\r\n\t\tsts\t\tUCSR0C,zh\r\n\t\tout\t\tUCSR0B,zl\r\n"
            "\t\tldi\t\tzl,0x18\r\n\t\tldi\t\tzh,0x24\r\n\t\tsts\t\tUCSR1C,zh\r\n\t\tsts\t\tUCSR1B,zl\r\n");

  Init m88("m88");
  m88.Format(0, 0, 9, 1);
  EXPECT_EQ(m88.Run(), "\t\tldi\t\tzl,0x1c\r\n\t\tldi\t\tzh,0x06\r\n\t\tsts\t\tUCSR0C,zh\r\n\t\tsts\t\tUCSR0B,zl\r\n");

  // On the ATmega8/16/32 the frame byte reaches UCSRC only with URSEL set.
  Init urs("m16");
  urs.Format(0, 4, 8, 1);
  EXPECT_EQ(urs.Run(), "\t\tldi\t\tzl,0x18\r\n\t\tldi\t\tzh,0xA6\r\n\t\tout\t\tUCSRC,zh\r\n\t\tout\t\tUCSRB,zl\r\n");

  Init soft("90s8515");
  soft.Format(0, 4, 8, 1);
  EXPECT_EQ(soft.Run(), "\t\tldi\t\tzl,0x1c\r\n\t\tout\t\tUCR,zl\r\n\t\tldi\t\tzl,4\r\n\t\tsts\t\t_SysPar,zl\r\n");

  Init mega2560("m2560");
  mega2560.st.Cells<UartCells>().BaudRateSet[2] = true;
  mega2560.Format(3, 3, 8, 1);
  EXPECT_EQ(mega2560.Run(), "\t\tldi\t\tzl,0x18\r\n\t\tsts\t\tUCSR2B,zl\r\n"
                            "\t\tldi\t\tzl,0x18\r\n\t\tldi\t\tzh,0x36\r\n\t\tsts\t\tUCSR3C,zh\r\n\t\tsts\t\tUCSR3B,zl\r\n");
}

TEST(HeadPeripheral, PreparedLinesInOrder) {
  Init i("m8");
  i.st.Cells<UartCells>().BaudRateSet[0] = true;
  i.st.Cells<UartCells>().UartInitText = "\t\tldi\t\tzh,byte2(51)\r\n\t\tldi\t\tzl,byte1(51)\r\n";
  i.st.cfg.InitCodeLines[0] = "\t\tldi\t\tzl,64";
  i.st.cfg.InitCodeLines[1] = "\t\tout\t\tTCCR0,zl";
  i.st.cfg.InitCodeLines[3] = "\t\tnever";
  EXPECT_EQ(i.Run(), "\t\tldi\t\tzl,0x18\r\n\t\tout\t\tUCSRB,zl\r\n"
                     "\t\tldi\t\tzh,byte2(51)\r\n\t\tldi\t\tzl,byte1(51)\r\n\r\n"
                     "\t\tldi\t\tzl,64\r\n\t\tout\t\tTCCR0,zl\r\n");
}

// Timer1's PWM starts at reset, its overflow interrupt does not (_DTMF switches it on for a
// tone); OC1A is the output whatever pin $dtmf names.
TEST(HeadPeripheral, DtmfTimerStartsThePwmOnOc1a) {
  Init m8("m8");
  m8.st.Cells<DtmfCells>().DtmfUsed = true;
  m8.st.Cells<DtmfCells>().DtmfPort = "PORTB";
  m8.st.Cells<DtmfCells>().DtmfPin = "3";
  EXPECT_EQ(m8.Run(), "\t\tclr\t\tr10\r\n\t\tclr\t\tr11\r\n\t\tclr\t\tr12\r\n\t\tclr\t\tr13\r\n"
                      "\t\tldi\t\tzl,0x81\r\n\t\tout\t\tTCCR1A,zl\r\n"
                      "\t\tldi\t\tzl,0x01\r\n\t\tout\t\tTCCR1B,zl\r\n\t\tsbi\t\tDDRB,1\r\n");
  Init m88("m88");
  m88.st.Cells<DtmfCells>().DtmfUsed = true;
  const std::string lines = m88.Run();
  EXPECT_NE(lines.find("\t\tsts\t\tTCCR1A,zl\r\n"), std::string::npos);
  EXPECT_EQ(lines.find("TIMSK1"), std::string::npos);
}

TEST(HeadPeripheral, CallsAndPins) {
  Init i("m128");
  i.st.mn.CallMnemonic = "call";
  i.st.Cells<UartCells>().SoftUartInterrupt = true;
  i.st.Cells<LcdCells>().LcdConfigured = true;
  i.st.Cells<ShiftCells>().ShiftOutDeclared = true;
  i.st.Cells<ShiftCells>().ShiftOutPort = "PORTF";
  i.st.Cells<ShiftCells>().ShiftOutClockPin = "3";
  i.st.Cells<ShiftCells>().ShiftInDeclared = true;
  i.st.Cells<ShiftCells>().ShiftInPort = "PORTB";
  i.st.Cells<ShiftCells>().ShiftInClockPin = "1";
  i.st.sym.IoRegisters[1] = IoRegisterRecord{"ddrf", 0x61};
  i.st.sym.IoRegisters[2] = IoRegisterRecord{"ddrb", 0x17};
  i.st.Cells<PcKeyCells>().NeedPcKey = true;
  i.st.Cells<PcKeyCells>().PcKeyDataPort = "PORTD";
  i.st.Cells<PcKeyCells>().PcKeyDataPin = "2";
  i.st.Cells<PcKeyCells>().PcKeyClockPort = "PORTD";
  i.st.Cells<PcKeyCells>().PcKeyClockPin = "3";
  i.st.Cells<KeypadCells>().KeysDeclared = true;
  i.st.Cells<SoundCells>().SoundPinDeclared = true;
  i.st.Cells<SoundCells>().SoundPort = "PORTC";
  i.st.Cells<SoundCells>().SoundPin = "5";
  EXPECT_EQ(i.Run(), "\t\tcall\t_UAini\r\n\t\tcall\tLcdIni\r\n"
                     "\t\tlds\t\tzl,DDRF\r\n\t\tsbr\t\tzl,1<<3\r\n\t\tsts\t\tDDRF,zl\r\n"
                     "\t\tsbi\t\tDDRB, 1\r\n"
                     "\t\tsbi\t\tPORTD,2\r\n\t\tsbi\t\tPORTD,3\r\n"
                     "\t\tcall\t_KyIni\r\n"
                     "\t\tcbi\t\tPORTC,5\r\n\t\tsbi\t\tDDRC,5\r\n");

  Init k("m8");
  k.st.Cells<KeypadCells>().KeysDeclared = true;
  k.st.Cells<KeypadCells>().KeyColsPort = "PORTD";  // a matrix keypad: initialised by its own routine
  k.st.Cells<PcKeyCells>().NeedPcKey = true;
  k.st.Cells<PcKeyCells>().PcKeyInit = true;
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
    i.st.Cells<NumberFormatCells>().FormatDigits = static_cast<std::uint8_t>(c.digits);
    i.st.Cells<NumberFormatCells>().FormatDecimals = static_cast<std::uint8_t>(c.decimals);
    i.st.Cells<NumberFormatCells>().LeadChar = static_cast<std::uint8_t>(c.lead);
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
