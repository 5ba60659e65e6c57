// Malformed peripheral lines and statements, each fed to qbc as a user would: every one must
// end in a numbered compile error naming its own BASIC line, with exit status 1, no error
// from the assembler (its lines name the .asm) and no .hex left behind.
//
// Each area has a TEST with a table of rows; a row is a small program (after $device,
// $clock and $stack; "End" follows it), the line the first error names (counted from 1 in
// the row's own lines) and the error's text (the start of it is enough). To add an area,
// write another TEST calling ExpectRefused with its rows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/refused_program.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {
namespace {

struct Malformed {
  const char* device;
  const char* lines;    // the program between the header and "End"
  int line;             // the line of `lines` (from 1) the first error names
  const char* message;  // the first error's text, or its beginning
};

constexpr int kHeaderLines = 3;  // $device, $clock, $stack

void ExpectRefused(const std::vector<Malformed>& rows) {
  for (const Malformed& row : rows) {
    const std::string program = "$device = " + std::string(row.device) + "\n$clock = 8\n$stack = 32\n" +
                                row.lines + "\nEnd\n";
    qbc::test::ExpectRefused(program, kHeaderLines + row.line, row.message);
  }
}

// A port the chip lacks (the ATmega8 has no PORTE or PORTF, the ATmega32 none beyond PORTD)
// in every line that names a port or a pin; in its PIN and DDR spellings as well.
TEST(MalformedInput, PortsTheChipLacks) {
  ExpectRefused({
      {"m8", "$lcd = portf.4 , rs = portb.0 , en = portb.1 , 16 , 2\nCls", 1, "Unknown identifier portf"},
      {"m8", "$lcd = portf , rs = portb.0 , en = portb.1 , 16 , 2\nCls", 1, "Unknown identifier portf"},
      {"m8", "$lcd = portb.4 , rs = portf.0 , en = portb.1 , 16 , 2\nCls", 1, "Unknown identifier portf"},
      {"m8", "$lcd = portb.4 , rs = portb.0 , en = pinf.1 , 16 , 2\nCls", 1, "Unknown identifier pinf"},
      {"m8", "$lcd = portb.4 , rs = portb.0 , e1 = portb.1 , e2 = ddre.2 , 40 , 4\nCls", 1,
       "Unknown identifier ddre"},
      {"m8", "$i2c sda = portf.1 , scl = portc.2\nI2CStart &HA0", 1, "Unknown identifier portf"},
      {"m8", "$i2c sda = portc.1 , scl = porte.2\nI2CStart &HA0", 1, "Unknown identifier porte"},
      {"m8", "$1wire = portf.1\n1wreset", 1, "Unknown identifier portf"},
      {"m8", "$1wire = portb.1 , portc.2 , portf.3\n1wreset", 1, "Unknown identifier portf"},
      {"m8", "$key rows = portf &h0F , cols = portb &hF0\nDim K As Byte\nK = Key()", 1, "Unknown identifier portf"},
      {"m8", "$key rows = portc &h0F , cols = portf &hF0\nDim K As Byte\nK = Key()", 1, "Unknown identifier portf"},
      {"m8", "Dim KeyBeep As Byte\n$key rows = portc &h0F , portf.1 , 10 , hi\nDim K As Byte\nK = Key()", 2,
       "Unknown identifier portf"},
      {"m8", "$pckey data = portf.1 , clock = portd.2\nDim K As Byte\nK = PcKey()", 1, "Unknown identifier portf"},
      {"m8", "$pckey data = portd.1 , clock = pinf.2\nDim K As Byte\nK = PcKey()", 1, "Unknown identifier pinf"},
      {"m8", "$rc5 = portf.1\nDim A As Byte , C As Byte\nRc5(A , C)", 1, "Unknown identifier portf"},
      {"m8", "$sound = portf.1\nSound 10 , 10", 1, "Unknown identifier portf"},
      {"m8", "$shiftout data = portf.1 , clock = portf.2 , msb\nShiftOut 3", 1, "Unknown identifier portf"},
      {"m8", "$shiftin data = portf.1 , clock = portf.2 , msb\nDim B As Byte\nShiftIn B", 1,
       "Unknown identifier portf"},
      {"m8", "$dtmf = portf.1 , 10\nDtmf(3)", 1, "Unknown identifier portf"},
      {"m8", "$com1 = portf.1 , 9600\nPrintBin #1 , 3", 1, "Unknown identifier portf"},
      {"m32", "$glcd ks0108 , data = porte , ctrl = portb , 128 , 64 , 0\nGcls", 1, "Unknown identifier porte"},
      {"m32", "$glcd ks0108 , data = porta , ctrl = portf , 128 , 64 , 0\nGcls", 1, "Unknown identifier portf"},
      {"m32", "$glcd t6963c , data = porta , ctrl = porte , 240 , 64 , 1\nGcls", 1, "Unknown identifier porte"},
      {"m32", "$glcd sed1520 , data = portg , ctrl = portb , 122 , 32\nGcls", 1, "Unknown identifier portg"},
      {"m32", "$glcd pcd8544 , sdin = portf.0 , sclk = portb.1 , dc = portb.2 , sce = portb.3\nGcls", 1,
       "Unknown identifier portf"},
      {"m32", "$glcd pcd8544 , sdin = portb.0 , sclk = portb.1 , dc = portb.2 , sce = porth.3\nGcls", 1,
       "Unknown identifier porth"},
      // PORTH to PORTL exist on the m2560 only.
      {"m128", "$sound = porth.1\nSound 10 , 10", 1, "Unknown identifier porth"},
  });
}

// A pin its port lacks (port G of the ATmega128 is PG0 to PG4, port D of the ATtiny2313
// PD0 to PD6, port C of the ATmega8 PC0 to PC6), in the peripheral lines and in the
// statements that name a port bit; a port whose registers the file defines without pins
// (ports H to L of the ATmega2561) has none.
TEST(MalformedInput, PinsThePortLacks) {
  ExpectRefused({
      {"m128", "$i2c sda = portg.6 , scl = portg.1\nI2CStart &HA0", 1, "No pin PG6 on this device!"},
      {"m128", "$glcd ks0108 , data = portg , ctrl = portb , 128 , 64 , 0\nGcls", 1, "No pin PG5 on this device!"},
      {"m128", "$lcd = portg.4 , rs = portb.0 , en = portb.1 , 16 , 2\nCls", 1, "No pin PG5 on this device!"},
      {"tn2313", "$sound = portd.7\nSound 10 , 10", 1, "No pin PD7 on this device!"},
      {"m8", "$1wire = portc.7\n1wreset", 1, "No pin PC7 on this device!"},
      {"m8", "$rc5 = pinc.7\nDim A As Byte , C As Byte\nRc5(A , C)", 1, "No pin PC7 on this device!"},
      {"m128", "Set portg.7", 1, "No pin PG7 on this device!"},
      {"m128", "Reset ddrg.5", 1, "No pin PG5 on this device!"},
      {"m128", "portg.5 = 1", 1, "No pin PG5 on this device!"},
      {"m128", "Dim B As Bit\nportg.6 = B", 2, "No pin PG6 on this device!"},
      // an alias, as every "$" line that names a pin, at its own line
      {"m128", "$def Led = portg.7\nSet Led", 1, "No pin PG7 on this device!"},
      {"m128", "Dim B As Byte\nB = ping.5", 2, "No pin PG5 on this device!"},
      {"m128", "If ping.7 = 1 Then\nEnd If", 1, "No pin PG7 on this device!"},
      {"m2561", "Set porth.1", 1, "No pin PH1 on this device!"},
      {"m2561", "$sound = porth.1\nSound 10 , 10", 1, "Unknown identifier porth"},
  });
}

// Units the chip lacks: SPI of the SPCR kind on the ATtiny2313 (it has a USI), timers and
// UARTs on chips without them.
TEST(MalformedInput, UnitsTheChipLacks) {
  ExpectRefused({
      // the software UART catches the start bit by INT0's falling edge, which the
      // ATmega103's INT0 cannot sense
      {"m103", "$com1 = portb.1 , 9600\nPrintBin #1 , 3", 1, "Ints 0-3 are only low level trigged!"},
      {"tn2313", "$spi = 16 , msb , master , low , low\nSpiOut 3", 1, "No SPI available!"},
      {"tn13", "$spi = 16 , msb , master , low , low", 1, "No SPI available!"},
      {"m8", "$timer3 = timer , prescale = 8", 1, "No Timer3 available!"},
      {"m8", "$timer4 = timer , prescale = 8", 1, "No Timer4 available!"},
      {"tn2313", "$timer2 = timer , prescale = 8", 1, "No Timer2 available!"},
      {"tn13", "$timer1 = timer , prescale = 8", 1, "No Timer1 available!"},
      {"tn13", "$baud = 9600", 1, "No UART available!"},
      {"m8", "$baud1 = 9600", 1, "Not second UART available!"},
      {"tn2313", "$i2c twi , master", 1, "No TWI available!"},
  });
}

// Pins that are missing or cannot be: a display driver without one of its signals, a panel
// of no size, key masks beyond a port's eight pins, a debounce time that is no number.
TEST(MalformedInput, MissingOrImpossiblePins) {
  ExpectRefused({
      {"m32", "$glcd pcd8544 , sdin = portb.0 , sclk = portb.1 , dc = portb.2\nGcls", 1,
       "Control line SCE not defined!"},
      {"m32", "$glcd pcd8544 , sclk = portb.1 , dc = portb.2 , sce = portb.3\nGcls", 1,
       "Control line SDIN not defined!"},
      {"m32", "$glcd nokia3310 , sdin = portb.0 , sclk = portb.1 , sce = portb.3\nGcls", 1,
       "Control line DC not defined!"},
      // The second line names its own signals: SCE of the first one does not count.
      {"m32",
       "$glcd pcd8544 , sdin = portb.0 , sclk = portb.1 , dc = portb.2 , sce = portb.3\n"
       "$glcd pcd8544 , sdin = portb.0 , sclk = portb.1 , dc = portb.2\nGcls",
       2, "Control line SCE not defined!"},
      // Each pair shares one port in the driver's lines.
      {"m32", "$glcd pcd8544 , sdin = portb.0 , sclk = portc.1 , dc = portb.2 , sce = portb.3\nGcls", 1,
       "SDIN and SCLK must be on the same port!"},
      {"m32", "$glcd pcd8544 , sdin = portb.0 , sclk = portb.1 , dc = portb.2 , sce = portd.3\nGcls", 1,
       "DC and SCE must be on the same port!"},
      {"m32", "$glcd ks0108 , data = porta , ctrl = portb , 0 , 0 , 0\nGcls", 1, "Width and height must be 1 or more!"},
      {"m32", "$glcd ks0108 , data = porta , ctrl = portb , 128 , 0 , 0\nGcls", 1,
       "Width and height must be 1 or more!"},
      {"m32", "$glcd sed1520 , data = porta , ctrl = portb , 0 , 32\nGcls", 1, "Width and height must be 1 or more!"},
      {"m32", "$glcd t6963c , data = porta , ctrl = portb , 0 , 64 , 8\nGcls", 1,
       "Width and height must be 1 or more!"},
      {"m32", "$glcd ks0108 , data = porta , ctrl = porta , 128 , 64 , 0\nGcls", 1,
       "CTRL must be on other port than DATA!"},
      {"m8", "$lcd = portb.4 , rs = portd.0 , en = portd.1 , 0 , 0\nCls", 1, "Must be numeric constant from 8 to 40!"},
      {"m8", "$lcd = portb.4 , rs = portd.0 , en = portd.1 , 100 , 2\nCls", 1, "Must be numeric constant from 8 to 40!"},
      {"m8", "$lcd = portb.4 , rs = portd.0 , en = portd.1 , 16 , 0\nCls", 1,
       "Must be numeric constant constant from 1 to 4!"},
      {"m8", "$lcd = portb.4 , rs = portd.0 , en = portd.1 , 16 , 9\nCls", 1,
       "Must be numeric constant constant from 1 to 4!"},
      {"m8", "$key rows = portc &h1F0\nDim K As Byte\nK = Key()", 1, "Keyboard ROWs assign error!"},
      {"m8", "$key rows = portc &b100001111\nDim K As Byte\nK = Key()", 1, "Keyboard ROWs assign error!"},
      {"m8", "$key rows = portc 256\nDim K As Byte\nK = Key()", 1, "Keyboard ROWs assign error!"},
      {"m8", "$key rows = portc &h0F , cols = portb &h1F0\nDim K As Byte\nK = Key()", 1,
       "Keyboard COLs assign error!"},
      {"m8", "$key rows = portc &h0F , quick\nDim K As Byte\nK = Key()", 1, "Must be numeric constant"},
  });
}

// Words a line does not take, and RS in the other form than the data lines.
TEST(MalformedInput, WordsTheLineDoesNotTake) {
  ExpectRefused({
      {"m8", "$sound = portb.1 , inverse , 3\nSound 10 , 10", 1, "Syntax error!"},
      {"m8", "$sound = portb.1 loud\nSound 10 , 10", 1, "Syntax error!"},
      {"m8", "$rc5 = portd.3 , interrupt , 2\nDim A As Byte , C As Byte\nRc5(A , C)", 1, "Syntax error!"},
      {"m8", "$1wire = portb.1 portb.2\n1wreset", 1, "Syntax error!"},
      {"m8", "$key rows = portb &hF0 cols = portd &h0F\nDim K As Byte\nK = Key()", 1, "Syntax error!"},
      {"m8", "$i2c sda = portc.4 , scl = portc.5 , fast\nI2CStart &HA0", 1, "Syntax error!"},
      {"m8", "$i2c twi , master , 400\nI2CStart &HA0", 1, "Syntax error!"},
      {"m8", "$pckey data = portd.2 , clock = portd.3 , noinit , 2\nDim K As Byte\nK = PcKey()", 1,
       "Syntax error!"},
      {"m8", "$shiftout data = portb.1 , clock = portb.2 , msb , 2 , 3\nShiftOut 3", 1, "Syntax error!"},
      {"m8", "$dtmf = portb.1 , 10 , 20\nDtmf(3)", 1, "Syntax error!"},
      {"m8", "$com1 = portb.1 , 9600 , 8\nPrintBin #1 , 3", 1, "Syntax error!"},
      {"m8", "$spi = 16 , msb , master , low , low , 3\nSpiOut 3", 1, "Syntax error!"},
      {"m32", "$glcd ks0108 , data = porta , ctrl = portb , 128 , 64 , 0 , noinit , 1\nGcls", 1, "Syntax error!"},
      {"m32", "$glcd ks0108 , data = porta , ctrl = portb , 128 , 64 , 0\n$gctrl en = 0 , wr = 1 , di = 2 cs1 = 3\nGcls", 2,
       "Missing \",\""},
      {"m8", "$lcd = portb.4 , rs = &hc000 , en = portb.1 , 16 , 2\nCls", 1, "Must be a valid AVR Port!"},
      {"m8515", "$lcd = &h8000 , rs = portb.1 , 16 , 2\nCls", 1, "RS must be an &h address on the bus!"},
  });
}

// One pin given to two signals of a line.
TEST(MalformedInput, OnePinForTwoSignals) {
  ExpectRefused({
      {"m8", "$lcd = portb.4 , rs = portb.0 , en = portb.0 , 16 , 2\nCls", 1, "RS and EN on the same pin!"},
      {"m8", "$lcd = portb.4 , rs = pinb.0 , en = ddrb.0 , 16 , 2\nCls", 1, "RS and EN on the same pin!"},
      {"m8", "$lcd = portb.4 , rs = portb.5 , en = portb.0 , 16 , 2\nCls", 1, "DB5 and RS on the same pin!"},
      {"m8", "$lcd = portb.2 , rs = portd.0 , en = portb.3 , 16 , 2\nCls", 1, "DB5 and EN on the same pin!"},
      {"m8", "$lcd = portb , rs = portb.7 , en = portd.0 , 16 , 2\nCls", 1, "DB7 and RS on the same pin!"},
      {"m8", "$lcd = portb.0 , rs = portd.0 , e1 = portd.1 , e2 = portd.1 , 40 , 4\nCls", 1,
       "E1 and E2 on the same pin!"},
      {"m8", "$i2c sda = portc.1 , scl = portc.1\nI2CStart &HA0", 1, "SDA and SCL on the same pin!"},
      {"m8", "$i2c sda = portc.1 , scl = pinc.1\nI2CStart &HA0", 1, "SDA and SCL on the same pin!"},
      {"m8", "$pckey data = portd.3 , clock = portd.3\nDim K As Byte\nK = PcKey()", 1,
       "DATA and CLOCK on the same pin!"},
      {"m8", "$shiftout data = portb.1 , clock = portb.1 , msb\nShiftOut 3", 1, "DATA and CLOCK on the same pin!"},
      {"m8", "$shiftin data = portb.1 , clock = portb.1 , lsb\nDim B As Byte\nShiftIn B", 1,
       "DATA and CLOCK on the same pin!"},
      // The receive line of $com1 is INT0: PD2 on the m8, PD0 on the m128.
      {"m8", "$com1 = portd.2 , 9600\nPrintBin #1 , 3", 1, "TX and RX on the same pin!"},
      {"m128", "$com1 = portd.0 , 9600\nPrintBin #1 , 3", 1, "TX and RX on the same pin!"},
      {"m32", "$glcd ks0108 , data = porta , ctrl = portb , 128 , 64 , 0\n$gctrl en = 0 , wr = 0 , di = 2 , cs1 = 3 , cs2 = 4\nGcls",
       2, "EN and WR on the same pin!"},
      {"m32", "$glcd ks0108 , data = porta , ctrl = portb , 128 , 64 , 0\n$gctrl en = 0 , wr = 1 , di = 2 , cs1 = 3 , cs2 = 3\nGcls",
       2, "CS1 and CS2 on the same pin!"},
      {"m32", "$glcd t6963c , data = porta , ctrl = portb , 240 , 64 , 8\n$gctrl rd = 0 , wr = 1 , cd = 1 , ce = 3\nGcls",
       2, "WR and CD on the same pin!"},
      {"m32", "$glcd sed1520 , data = porta , ctrl = portb , 122 , 32\n$gctrl a0 = 0 , rw = 1 , e1 = 2 , e2 = 2\nGcls",
       2, "E1 and E2 on the same pin!"},
      {"m32", "$glcd pcd8544 , sdin = portb.0 , sclk = portb.0 , dc = portb.2 , sce = portb.3\nGcls", 1,
       "SDIN and SCLK on the same pin!"},
      {"m32", "$glcd pcd8544 , sdin = portb.0 , sclk = portb.1 , dc = portb.2 , sce = portb.0\nGcls", 1,
       "SDIN and SCE on the same pin!"},
      {"m8", "$key rows = portb &h0F , cols = portb &h18\nDim K As Byte\nK = Key()", 1,
       "ROWS and COLS on the same pin!"},
      {"m8", "Dim KeyBeep As Byte\n$key rows = portb &h0F , cols = portd &hF0 , portb.2 , 10 , hi\nDim K As Byte\nK = Key()",
       2, "ROWS and Key signal on the same pin!"},
  });
}

// A line given again takes the place of the earlier one, but may not move a signal onto a
// pin another peripheral's line holds.
TEST(MalformedInput, SecondLineOnAnotherPeripheralsPins) {
  ExpectRefused({
      {"m8",
       "$i2c sda = portc.4 , scl = portc.5\n$lcd = portb.0 , rs = portd.2 , en = portd.3 , 16 , 2\n"
       "$lcd = portb.0 , rs = portc.4 , en = portd.3 , 16 , 2\nCls",
       3, "RS pin already used by $i2c!"},
      {"m8", "$lcd = portb.0 , rs = portd.2 , en = portd.3 , 16 , 2\n$sound = portd.5\n$sound = portb.1\nSound 10 , 10",
       3, "SOUND pin already used by $lcd!"},
      {"m8", "$sound = portd.5\n$i2c sda = portc.4 , scl = portc.5\n$i2c sda = portd.5 , scl = portc.5\nI2CStart &HA0",
       3, "SDA pin already used by $sound!"},
      {"m8", "$rc5 = portd.3\n$1wire = portb.1\n$1wire = portb.1 , portd.3\n1wreset", 3,
       "1WIRE pin already used by $rc5!"},
  });
}

// Two peripherals given one pin in their first lines: refused at the second line, as a
// line moved there later is.
TEST(MalformedInput, FirstLinesOnAnotherPeripheralsPins) {
  ExpectRefused({
      {"m8", "$com1 = portd.1 , 9600\n$1wire = portd.1\n1wreset", 2, "1WIRE pin already used by $com1!"},
      {"m8", "$i2c sda = portc.4 , scl = portc.5\n$lcd = portb.0 , rs = portd.2 , en = portc.5 , 16 , 2\nCls", 2,
       "EN pin already used by $i2c!"},
      {"m8", "$1wire = portb.1\n$sound = portb.1\nSound 10 , 10", 2, "SOUND pin already used by $1wire!"},
      {"m8", "$sound = portd.2\n$com1 = portb.1 , 9600\nPrintBin #1 , 3", 2, "RX pin already used by $sound!"},
      // the keypad may share the LCD's data lines only
      {"m8", "$key rows = portb &h0F\n$lcd = portd.4 , rs = portb.1 , en = portd.3 , 16 , 2\nCls", 2,
       "RS pin already used by $key!"},
  });
}

// What stays allowed: a line given again on its own pins or free ones (the last counts),
// and two peripherals that share pins from their first lines on (a keypad on the data
// lines of an LCD).
TEST(MalformedInput, LinesGivenAgainOrSharingPinsCompile) {
  const char* const programs[] = {
      "$lcd = portb.0 , rs = portd.2 , en = portd.3 , 16 , 2\n$lcd = portb.2 , rs = portd.6 , en = portd.7 , 16 , 2\nCls",
      "$sound = portd.5\n$sound = portd.6\nSound 10 , 10",
      "$lcd = portb.0 , rs = portd.2 , en = portd.3 , 16 , 2\n$key rows = portb &h0F\nDim K As Byte\nK = Key()\nCls",
      "$key rows = portb &hF0\n$lcd = portb.4 , rs = portd.2 , en = portd.3 , 16 , 2\nDim K As Byte\nK = Key()\nCls",
  };
  for (const char* lines : programs) {
    const std::string program = std::string("$device = m8\n$clock = 8\n$stack = 32\n") + lines + "\nEnd\n";
    SCOPED_TRACE(program);
    const BasResult r = CompileBas(program);
    EXPECT_TRUE(r.ok) << r.report;
  }
}

}  // namespace
}  // namespace qbc::test
