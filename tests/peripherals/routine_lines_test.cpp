// The routines' lines where the bit and I/O instructions reach the registers, as the
// assembler source shows them: the shift routines with their stretch and bit order, and
// the SPI routines on a chip whose SPSR the skip instructions reach.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

TEST(PeripheralRoutines, LinesInTheLowIoSpace) {
  struct Case {
    const char* lines;  // program lines after the header
    const char* block;  // expected in the assembler source, "\t" for a TAB
  };
  const std::vector<Case> cases = {
      {"$shiftout data = portb.0, clock = portb.1, msb, 2\nShiftOut 1\n",
       ";////// ShiftOut //////////////////////////\r\n"
       "_Sout:\tsbi\t\tDDRB, 0\r\n\t\tldi\t\tr24,0x08\r\n_So2:\trol\t\tzl\r\n\t\tbrcc\t_So1\r\n"
       "\t\tsbi\t\tPORTB,0\r\n\t\trjmp\t_So3\r\n_So1:\tcbi\t\tPORTB,0\r\n_So3:\tsbi\t\tPORTB,1\r\n"
       "\t\tdec\t\tr24\r\n\t\tnop\r\n\t\tnop\r\n\t\tcbi\t\tPORTB,1\r\n\t\tbrne\t_So2\r\n\t\tcbi\t\tPORTB,0\r\n"
       "\t\tret\r\n"},
      {"$shiftin data = portc.2, clock = portc.3, lsb\nB = ShiftIn\n",
       ";////// ShiftIn //////////////////////////\r\n"
       "_Sin:\tcbi\t\tDDRC,2\r\n\t\tpush\tr24\r\n\t\tldi\t\tr24,0x08\r\n_Si2:\tclc\r\n\t\tsbi\t\tPORTC,3\r\n"
       "\t\tsbic\tPINC,2\r\n\t\tsec\r\n\t\tror\t\tzl\r\n\t\tcbi\t\tPORTC,3\r\n\t\tdec\t\tr24\r\n"
       "\t\tbrne\t_Si2\r\n\t\tpop\t\tr24\r\n\t\tret\r\n"},
      {"$shiftout data = portb.0, clock = portb.1, lsb\nShiftOut B, 2\n",
       ";////// ShiftOutAll ///////////////////////\r\n"
       "_SOAll:\tmov\t\tr25,zl\r\n\t\ttst\t\tr25\r\n\t\tbrne\t_SOA1\r\n\t\tret\r\n_SOA1:\tld\t\tzl,X+\r\n\t\trcall\t_Sout\r\n\t\tdec\t\tr25\r\n"
       "\t\tbrne\t_SOA1\r\n\t\tret\r\n"},
      {"$spi = 16, msb, slave, low, low\nSpiOut B\n",
       ";////// Out SPI ///////////////////////////\r\n"
       "_SpiO:\tout\t\tSPDR,zl\r\n_Sp1O:\tsbis\tSPSR,SPIF\r\n\t\trjmp\t_Sp1O\r\n\t\tret\r\n"},
      {"$spi = 16, msb, slave, low, low\nB = Spi(B)\n",
       "_Sp1O:\tsbis\tSPSR,SPIF\r\n\t\trjmp\t_Sp1O\r\n\t\tin\t\tzl,SPDR\r\n\t\tret\r\n"},
      {"$spi = 16, msb, slave, low, low\nSpiIn B, 3\n",
       ";////// GetSPIchar //////////////////////////\r\n"
       "_SPIch:\tsbis\tSPSR,SPIF\r\n\t\trjmp\t_SPIch\r\n\t\tin\t\tzl,SPDR\r\n\t\tret\r\n"},
      {"$spi = 16, msb, slave, low, low\nSpiIn B, 3\n",
       ";////// SPIinputAll //////////////////////\r\n"
       "_SPIal:\tmov\t\tr25,zl\r\n\t\ttst\t\tr25\r\n\t\tbrne\t_SPI1\r\n\t\tret\r\n_SPI1:\trcall\t_SPIch\r\n\t\tst\t\tX+,zl\r\n\t\tdec\t\tr25\r\n"
       "\t\tbrne\t_SPI1\r\n\t\tret\r\n"},
      {"$spi = 16, msb, master, low, low\nSpiOut B, 3\n",
       ";////// SpiOutAll ////////////////////////\r\n"
       "_SpAll:\tmov\t\tr25,zl\r\n\t\ttst\t\tr25\r\n\t\tbrne\t_SpA1\r\n\t\tret\r\n_SpA1:\tld\t\tzl,X+\r\n\t\trcall\t_SpiO\r\n\t\tdec\t\tr25\r\n"
       "\t\tbrne\t_SpA1\r\n\t\tret\r\n"},
      {"$sound = portd.5\nSound 1, 1\n",
       ";////// Sound /////////////////////////////\r\n"
       "_Sound:\tmov\t\tr25,zl\r\n_Sou2:\tldi\t\tr24,10\r\n_Sou1:\tsbi\t\tPORTD,5\r\n\t\tmov\t\tzl,zh\r\n"
       "\t\trcall\t_wus0\r\n\t\tcbi\t\tPORTD,5\r\n\t\tmov\t\tzl,zh\r\n\t\trcall\t_wus0\r\n\t\tdec\t\tr24\r\n"
       "\t\tbrne\t_Sou1\r\n\t\tdec\t\tr25\r\n\t\tbrne\t_Sou2\r\n\t\tret\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    const auto compiled =
        CompileBasic("$device = m8\n$clock = 8\n$stack = 32\nDim B As Byte\n" + std::string(c.lines) + "End\n");
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    EXPECT_NE(compiled.asm_text.find(c.block), std::string::npos) << compiled.asm_text;
  }
}

}  // namespace
}  // namespace qbc::test
