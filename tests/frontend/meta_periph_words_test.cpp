// The peripheral "$" lines: stored settings, used flags, claimed vectors and the start-up
// lines of the program head.
#include <gtest/gtest.h>

#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/base/flags/hardware_flags.h"
#include "compiler/base/symbols.h"
#include "compiler/frontend/uart_cells.h"
#include "compiler/statements/peripherals/dtmf_cells.h"
#include "compiler/statements/peripherals/i2c_cells.h"
#include "compiler/statements/peripherals/keypad_cells.h"
#include "compiler/statements/peripherals/pc_key_cells.h"
#include "compiler/statements/peripherals/shift_cells.h"
#include "compiler/statements/peripherals/sound_cells.h"
#include "tests/support/meta_head_fixture.h"
#include "compiler/statements/comm_display/one_wire_cells.h"

namespace qbc {
namespace {

using test::MetaHead;

TEST(MetaPeriphCom1, SoftwareUartClaimsInt0AndOvf0AndDeclaresItsBitsOnce) {
  MetaHead h("m8", "$com1 = portb.1, 9600\n$com1 = portb.2, 9600");
  ASSERT_EQ(h.st.ErrorCount, 0) << h.report.Text();
  const SoftComRecord& com = h.st.Cells<UartCells>().SoftComPorts[0];
  EXPECT_EQ(com.TxPort, "PORTB");
  EXPECT_EQ(com.TxPin, "2");
  EXPECT_EQ(com.RxPort, "PORTD");
  EXPECT_EQ(com.RxPin, "2");
  EXPECT_TRUE(h.st.Cells<UartCells>().SoftUartInterrupt);
  EXPECT_EQ(h.UsedVectors(), (std::vector<int>{1, 9}));  // INT0addr, OVF0addr of the ATmega8
  EXPECT_EQ(h.st.sym.HighestVectorUsed, 9);
  // rxready, txon, txbusy: bits 0, 1, 2 of r3, declared by the first line only
  EXPECT_EQ(h.st.sym.GlobalVarCount, 3);
  const char* bits[] = {"rxready", "txon", "txbusy"};
  for (int i = 0; i < 3; ++i) {
    const int v = FindGlobalVar(h.st, bits[i]);
    ASSERT_EQ(v, i + 1) << bits[i];
    EXPECT_EQ(h.st.sym.GlobalVars[v].VarType, kTypeBit);
    EXPECT_EQ(h.st.sym.GlobalVars[v].Size, i);
  }
  EXPECT_EQ(h.st.TokText(), "end");
  EXPECT_EQ(h.PeripheralInit(), "\t\trcall\t_UAini\r\n");
}

// The head of a program with the software UART and DTMF: the UART's cells in the data
// segment, the vector table up to the highest claimed vector (rjmp on an 8 KB chip).
TEST(MetaPeriphCom1, HeadLinesOfTheClaimedVectors) {
  MetaHead h("m8", "$com1 = portb.1, 9600\n$dtmf = portb.2, 10");
  const std::string program = h.Program();
  ASSERT_EQ(h.st.ErrorCount, 0) << h.report.Text();
  EXPECT_NE(program.find("_rel1:\t\t.byte\t1\r\n_rel2:\t\t.byte\t1\r\n_rel3:\t\t.byte\t1\r\n"), std::string::npos);
  std::string table = "\t\t.CSEG\r\n.ORG\t0x0000\r\n\t\trjmp\t_Reset\r\n";
  const char* names[] = {"", "INT0addr", "INT1addr", "OC2addr", "OVF2addr", "ICP1addr", "OC1Aaddr", "OC1Baddr",
                         "OVF1addr", "OVF0addr"};
  for (int i = 1; i <= 9; ++i) {
    table += std::string(".ORG\t\t") + names[i] + "\r\n";
    table += (i == 1 || i == 8 || i == 9) ? "\t\trjmp\tIntN" + std::to_string(i) + "\r\n" : std::string("\t\treti\r\n");
  }
  table += "\r\n_Reset:\r\n";
  EXPECT_NE(program.find(table), std::string::npos) << program;
}

TEST(MetaPeriphCom1, AHigherVectorDeclaredEarlierStaysTheHighest) {
  MetaHead h("m8", "declare interrupt urxc()\n$com1 = portb.1, 9600");
  ASSERT_EQ(h.st.ErrorCount, 0) << h.report.Text();
  EXPECT_EQ(h.st.sym.HighestVectorUsed, 11);
  EXPECT_EQ(h.UsedVectors(), (std::vector<int>{1, 9, 11}));
}

struct KeyCase {
  const char* line;
  const char* rows;
  int rowsMask;
  const char* cols;
  int colsMask;
  bool inLineHigh;
  const char* init;  // the start-up line
};

TEST(MetaPeriphKey, PortsMasksAndTheInitCall) {
  const KeyCase cases[] = {
      {"$key rows = portb &hf0, cols = portd &h0f", "PORTB", 0xf0, "PORTD", 0x0f, false, ""},
      {"$key rows = portb &b00001111, hi", "PORTB", 0x0f, "     ", 0, true, ""},
      {"$key rows = pinc 15", "PINC ", 15, "     ", 0, false, "\t\trcall\t_KyIni\r\n"},
  };
  for (const KeyCase& c : cases) {
    MetaHead h("m8", c.line);
    ASSERT_EQ(h.st.ErrorCount, 0) << c.line << h.report.Text();
    EXPECT_EQ(h.st.Cells<KeypadCells>().KeyRowsPort, c.rows) << c.line;
    EXPECT_EQ(h.st.Cells<KeypadCells>().KeyRowsMask, c.rowsMask) << c.line;
    EXPECT_EQ(h.st.Cells<KeypadCells>().KeyColsPort, c.cols) << c.line;
    EXPECT_EQ(h.st.Cells<KeypadCells>().KeyColsMask, c.colsMask) << c.line;
    EXPECT_EQ(h.st.Cells<KeypadCells>().KeyConfigured, c.inLineHigh) << c.line;
    EXPECT_TRUE(h.st.Cells<KeypadCells>().KeysDeclared);
    EXPECT_TRUE(h.st.used[NeedWaitMs]);
    EXPECT_EQ(h.st.used[NeedMul8u], std::string(c.cols) != "     ") << c.line;
    EXPECT_EQ(h.PeripheralInit(), c.init) << c.line;
  }
}

TEST(MetaPeriphKey, KeySignalOptions) {
  MetaHead pin("m8", "$key rows = portb &hf0, portd.3, 20, hi");
  ASSERT_EQ(pin.st.ErrorCount, 0) << pin.report.Text();
  EXPECT_EQ(pin.st.Cells<KeypadCells>().KeyBeepPort, "PORTD");
  EXPECT_EQ(pin.st.Cells<KeypadCells>().KeyBeepArg1, 3);
  EXPECT_EQ(pin.st.Cells<KeypadCells>().KeyBeepArg2, 20);
  EXPECT_TRUE(pin.st.Cells<KeypadCells>().KeyActiveHigh);
  EXPECT_EQ(pin.st.Cells<KeypadCells>().KeyBeepMode, 1);

  MetaHead tone("m8", "$key rows = portb &hf0, portd.1, 5, lo, sound 100, 20, 30");
  ASSERT_EQ(tone.st.ErrorCount, 0) << tone.report.Text();
  EXPECT_EQ(tone.st.Cells<KeypadCells>().KeyBeepMode, 2);  // the later option wins
  EXPECT_EQ(tone.st.Cells<KeypadCells>().KeyBeepArg1, 100);
  EXPECT_EQ(tone.st.Cells<KeypadCells>().KeyBeepArg2, 20);
  EXPECT_FALSE(tone.st.Cells<KeypadCells>().KeyActiveHigh);
  EXPECT_TRUE(tone.st.used[NeedSound]);
  EXPECT_TRUE(tone.st.used[NeedWaitUs]);
  EXPECT_EQ(tone.st.Cells<KeypadCells>().KeyActiveHighText, "30");  // the debounce time
}

struct ErrorCase {
  const char* device;
  const char* line;
  const char* message;
};

void ExpectOneError(const ErrorCase& c) {
  MetaHead h(c.device, c.line);
  EXPECT_EQ(h.st.ErrorCount, 1) << c.line << "\n" << h.report.Text();
  EXPECT_NE(h.report.Text().find(std::string(". ") + c.message + " ("), std::string::npos)
      << c.line << "\n" << h.report.Text();
  // the first pass goes on with the next line
  EXPECT_EQ(h.st.TokText(), "end") << c.line;
}

TEST(MetaPeriphErrors, EachWordReportsItsMessage) {
  const ErrorCase cases[] = {
      {"m8", "$key rows = portb &hf0, cols = portd &h0f, hi", "Hi for Keys in line"},
      {"m8", "$key rows = portb &xf0", "&h for HEX, &b for BIN format!"},
      {"m8", "$key rows = portb foo", "Keyboard ROWs assign error!"},
      {"m8", "$key rows = portb 3, cols = portd x", "Keyboard COLs assign error!"},
      {"m8", "$key rows = tccr0 3", "Must be a valid AVR Port!"},
      {"m103", "$key rows = portc &hf0", "PORTC can't be used for keyboard!"},
      {"m103", "$key rows = portb &hf0, cols = portf &h0f", "PORTC and PORTF can't be used in matrix keyboard!"},
      {"m8", "$i2c twi, boss", "Master or Slave!"},
      {"m8", "$i2c spi, master", "Invalid I2C interface declaration!"},
      {"m8515", "$i2c twi, master", "No TWI available!"},
      {"tn2313", "$i2c twi, master", "No TWI available!"},
      {"m103", "$i2c sda = portf.1, scl = portb.0", "PORTC and PORTF can't be used for I2C!"},
      {"m8", "$i2c sda = portc.8, scl = portc.0", "From 0 to 7!"},
      {"m8", "$pckey data = portd.3, clock = portd.2, noint", "NoInit!"},
      {"m8", "$dtmf = portb.1,", "Must be numeric constant"},
      {"m8", "$shiftout data = portb.0, clock = portc.1, msb", "CLOCK must be on same port as DATA!"},
      {"m8", "$shiftin data = portb.0, clock = portb.1, first", "Msb or Lsb!"},
      {"m8", "$sound = portb.1, inverted", "Missing \"INVERSE\""},
      {"m8", "$1wire = portb.0, portb.1, portb.2, portb.3, portb.4, portb.5, portb.6, portb.7, portd.0, portd.1",
       "9 buses max for 1Wire!"},
  };
  for (const ErrorCase& c : cases) ExpectOneError(c);
}

TEST(MetaPeriphI2c, SoftwarePinsOrHardwareInterface) {
  MetaHead soft("m8", "$i2c sda = portc.1, scl = portc.0");
  ASSERT_EQ(soft.st.ErrorCount, 0) << soft.report.Text();
  EXPECT_EQ(soft.st.Cells<I2cCells>().I2cSdaPort, "PORTC");
  EXPECT_EQ(soft.st.Cells<I2cCells>().I2cSdaPin, "1");
  EXPECT_EQ(soft.st.Cells<I2cCells>().I2cSclPort, "PORTC");
  EXPECT_EQ(soft.st.Cells<I2cCells>().I2cSclPin, "0");
  EXPECT_EQ(soft.st.Cells<I2cCells>().I2cInterface, 1);
  EXPECT_TRUE(soft.st.used[NeedWait5us]);

  MetaHead twi("m8", "$i2c twi, slave");
  EXPECT_EQ(twi.st.Cells<I2cCells>().I2cInterface, 130);
  MetaHead usi("tn26", "$i2c usi, master");
  EXPECT_EQ(usi.st.Cells<I2cCells>().I2cInterface, 3);
  EXPECT_FALSE(usi.st.used[NeedWait5us]);
  EXPECT_EQ(twi.st.ErrorCount + usi.st.ErrorCount, 0);
}

TEST(MetaPeriphPcKey, InitCallOrPortBitsByAddress) {
  MetaHead init("m8", "$pckey data = portd.3, clock = portd.2");
  ASSERT_EQ(init.st.ErrorCount, 0) << init.report.Text();
  EXPECT_EQ(init.st.Cells<PcKeyCells>().PcKeyDataPort, "PORTD");
  EXPECT_EQ(init.st.Cells<PcKeyCells>().PcKeyDataPin, "3");
  EXPECT_EQ(init.st.Cells<PcKeyCells>().PcKeyClockPort, "PORTD");
  EXPECT_EQ(init.st.Cells<PcKeyCells>().PcKeyClockPin, "2");
  EXPECT_TRUE(init.st.Cells<PcKeyCells>().NeedPcKey);
  EXPECT_TRUE(init.st.Cells<PcKeyCells>().PcKeyInit);
  EXPECT_EQ(init.PeripheralInit(), "\t\trcall\t_PCini\r\n");

  MetaHead noinit("m128", "$pckey data = portd.3, clock = portf.2, noinit");
  ASSERT_EQ(noinit.st.ErrorCount, 0) << noinit.report.Text();
  EXPECT_FALSE(noinit.st.Cells<PcKeyCells>().PcKeyInit);
  // PORTF of the ATmega128 is extended I/O: no sbi there
  EXPECT_EQ(noinit.PeripheralInit(),
            "\t\tsbi\t\tPORTD,3\r\n\t\tlds\t\tzl,PORTF\r\n\t\tsbr\t\tzl,1<<2\r\n\t\tsts\t\tPORTF,zl\r\n");
}

TEST(MetaPeriph1Wire, BusRecordsNumberedFromZero) {
  MetaHead two("m8", "$1wire = portb.0, portd.7");
  ASSERT_EQ(two.st.ErrorCount, 0) << two.report.Text();
  const auto& b = two.st.Cells<OneWireCells>().OneWireBuses;
  EXPECT_EQ(b[0].LastBusIndex, 1);
  EXPECT_EQ(b[0].Port, "PORTB");
  EXPECT_EQ(b[0].Pin, "0");
  EXPECT_EQ(b[1].Port, "PORTD");
  EXPECT_EQ(b[1].Pin, "7");

  MetaHead three("m8", "$1wire = portb.0, portb.1, portc.5");
  EXPECT_EQ(three.st.Cells<OneWireCells>().OneWireBuses[0].LastBusIndex, 2);
  EXPECT_EQ(three.st.Cells<OneWireCells>().OneWireBuses[2].Port, "PORTC");

  MetaHead one("m8", "$1wire = portb.0, portb.1\n$1wire = pinc.4");
  EXPECT_EQ(one.st.Cells<OneWireCells>().OneWireBuses[0].LastBusIndex, 0);
  EXPECT_EQ(one.st.Cells<OneWireCells>().OneWireBuses[0].Port, "PINC");
  EXPECT_EQ(one.st.ErrorCount, 0);
}

TEST(MetaPeriphDtmf, PinDurationVectorAndTimerLines) {
  MetaHead h("m8", "const tone = 10\n$dtmf = portb.1, tone");
  ASSERT_EQ(h.st.ErrorCount, 0) << h.report.Text();
  EXPECT_EQ(h.st.Cells<DtmfCells>().DtmfPort, "PORTB");
  EXPECT_EQ(h.st.Cells<DtmfCells>().DtmfPin, "1");
  EXPECT_EQ(h.st.Cells<DtmfCells>().DtmfVector, 10);
  EXPECT_TRUE(h.st.Cells<DtmfCells>().DtmfUsed);
  EXPECT_EQ(h.UsedVectors(), (std::vector<int>{8}));  // OVF1addr of the ATmega8
  EXPECT_EQ(h.PeripheralInit(),
            "\t\tclr\t\tr10\r\n\t\tclr\t\tr11\r\n\t\tclr\t\tr12\r\n\t\tclr\t\tr13\r\n"
            "\t\tldi\t\tzl,0x81\r\n\t\tout\t\tTCCR1A,zl\r\n"
            "\t\tldi\t\tzl,0x01\r\n\t\tout\t\tTCCR1B,zl\r\n\t\tsbi\t\tDDRB,1\r\n");
}

// A device without the vector a configuration needs: an error, and no vector past the
// device's table is marked (the table would otherwise jump from a vector the chip does not
// have, or from beyond the table).
TEST(MetaPeriphVectors, MissingVectorIsReportedNotClaimed) {
  MetaHead h("tn13", "$dtmf = portb.1, 10");
  EXPECT_EQ(h.st.ErrorCount, 1);
  EXPECT_NE(h.report.Text().find("No OVF1 interrupt on this device!"), std::string::npos) << h.report.Text();
  EXPECT_EQ(h.st.sym.HighestVectorUsed, 0);
  EXPECT_TRUE(h.UsedVectors().empty());
}

TEST(MetaPeriphSound, IdleLevelAndDirectionByRegisterAddress) {
  MetaHead low("m8", "$sound = portb.3");
  ASSERT_EQ(low.st.ErrorCount, 0) << low.report.Text();
  EXPECT_EQ(low.st.Cells<SoundCells>().SoundPort, "PORTB");
  EXPECT_EQ(low.st.Cells<SoundCells>().SoundPin, "3");
  EXPECT_TRUE(low.st.Cells<SoundCells>().SoundPinDeclared);
  EXPECT_FALSE(low.st.Cells<SoundCells>().SoundInverse);
  EXPECT_EQ(low.PeripheralInit(), "\t\tcbi\t\tPORTB,3\r\n\t\tsbi\t\tDDRB,3\r\n");

  MetaHead inverse("m8", "$sound = portd.7, inverse");
  EXPECT_TRUE(inverse.st.Cells<SoundCells>().SoundInverse);
  EXPECT_EQ(inverse.PeripheralInit(), "\t\tsbi\t\tPORTD,7\r\n\t\tsbi\t\tDDRD,7\r\n");

  MetaHead extended("m128", "$sound = portf.2");
  EXPECT_EQ(extended.PeripheralInit(),
            "\t\tlds\t\tzl,PORTF\r\n\t\tcbr\t\tzl,1<<2\r\n\t\tsts\t\tPORTF,zl\r\n"
            "\t\tlds\t\tzl,DDRF\r\n\t\tsbr\t\tzl,1<<2\r\n\t\tsts\t\tDDRF,zl\r\n");
}

// The instruction follows the register's address: sbi/cbi below 0x20, in/out below 0x40,
// lds/sts for the extended I/O.
TEST(MetaPeriphSound, InstructionByRegisterAddress) {
  struct Case {
    int address;
    const char* lines;
  } cases[] = {
      {0x18, "\t\tcbi\t\tPORTB,3\r\n"},
      {0x38, "\t\tin\t\tzl,PORTB\r\n\t\tcbr\t\tzl,1<<3\r\n\t\tout\t\tPORTB,zl\r\n"},
      {0x62, "\t\tlds\t\tzl,PORTB\r\n\t\tcbr\t\tzl,1<<3\r\n\t\tsts\t\tPORTB,zl\r\n"},
  };
  for (const Case& c : cases) {
    MetaHead h("m8", "$sound = portb.3");
    const int portb = FindIoRegister(h.st, "portb");
    ASSERT_GT(portb, 0);
    h.st.sym.IoRegisters[portb].Value = static_cast<std::int16_t>(c.address);
    EXPECT_EQ(h.PeripheralInit(), std::string(c.lines) + "\t\tsbi\t\tDDRB,3\r\n") << c.address;
  }
}

TEST(MetaPeriphShift, PinsOrderModeAndClockDirection) {
  MetaHead h("m8", "$shiftout data = portb.0, clock = portb.1, msb, 2");
  ASSERT_EQ(h.st.ErrorCount, 0) << h.report.Text();
  EXPECT_EQ(h.st.Cells<ShiftCells>().ShiftOutPort, "PORTB");
  EXPECT_EQ(h.st.Cells<ShiftCells>().ShiftOutDataPin, "0");
  EXPECT_EQ(h.st.Cells<ShiftCells>().ShiftOutClockPin, "1");
  EXPECT_EQ(h.st.Cells<ShiftCells>().ShiftOutMode, 2);
  EXPECT_TRUE(h.st.Cells<ShiftCells>().ShiftOutMsbFirst);
  EXPECT_TRUE(h.st.Cells<ShiftCells>().ShiftOutDeclared);
  EXPECT_EQ(h.PeripheralInit(), "\t\tsbi\t\tDDRB, 1\r\n");

  // each direction keeps the bit order of its own line
  MetaHead both("m1280", "$shiftout data = portb.0, clock = portb.1, msb, 2\n"
                         "$shiftin data = porth.4, clock = porth.5, lsb");
  ASSERT_EQ(both.st.ErrorCount, 0) << both.report.Text();
  EXPECT_TRUE(both.st.Cells<ShiftCells>().ShiftOutMsbFirst);
  EXPECT_FALSE(both.st.Cells<ShiftCells>().ShiftInMsbFirst);
  EXPECT_EQ(both.st.Cells<ShiftCells>().ShiftInPort, "PORTH");
  EXPECT_EQ(both.st.Cells<ShiftCells>().ShiftInDataPin, "4");
  EXPECT_EQ(both.st.Cells<ShiftCells>().ShiftInMode, 0);
  EXPECT_TRUE(both.st.Cells<ShiftCells>().ShiftInDeclared);
  EXPECT_EQ(both.PeripheralInit(),
            "\t\tsbi\t\tDDRB, 1\r\n\t\tlds\t\tzl,DDRH\r\n\t\tsbr\t\tzl,1<<5\r\n\t\tsts\t\tDDRH,zl\r\n");
}

}  // namespace
}  // namespace qbc
