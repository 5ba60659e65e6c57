#include "compiler/library/comm/i2c_twi_routines.h"

#include <cmath>
#include <string>
#include <string_view>

#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/io_access.h"
#include "compiler/library/comm/i2c_routines.h"

namespace qbc {

namespace {

constexpr long kBusHz = 100000;
constexpr double kWaitSeconds = 0.025;

// The routine text. "{in}" and "{out}" stand for the unit's register reads and writes
// (in/out where the registers lie in the I/O space, lds/sts where they are extended I/O),
// "{br}" and "{ps}" for the bit rate and prescaler, "{lo}" and "{hi}" for the bounded
// wait's passes, "{slo}" and "{shi}" for those of the stop's wait.
//
// Status codes (TWSR & 0xF8): 0x08 start, 0x10 repeated start, 0x18 / 0x40 address with
// write / read acknowledged, 0x28 data byte acknowledged, 0x50 / 0x58 byte received and
// acknowledged / not acknowledged.
constexpr std::string_view kText = R"(

;////// I2cStart //////////////////////////
_I2cS:\tsts\t\t_I2cAd,zl
\t\tmov\t\tr21,zl
\t\tandi\tr21,0x01
\t\tsts\t\t_I2cRo,r21
\t\tldi\t\tr21,{br}
\t\t{out}\t\tTWBR,r21
\t\tldi\t\tr21,{ps}
\t\t{out}\t\tTWSR,r21

;////// I2cRepStart ///////////////////////
_I2cRs:\tldi\t\tr21,(1<<TWINT)|(1<<TWSTA)|(1<<TWEN)
\t\t{out}\t\tTWCR,r21
\t\trcall\t_I2cT
\t\tcpi\t\tr21,0x08
\t\tbreq\t_I2cW
\t\tcpi\t\tr21,0x10
\t\tbrne\t_I2cNa

;////// I2cWrite //////////////////////////
_I2cW:\t{in}\t\tr21,TWCR
\t\tsbrs\tr21,TWINT
\t\trjmp\t_I2cNa
\t\t{out}\t\tTWDR,zl
\t\tldi\t\tr21,(1<<TWINT)|(1<<TWEN)
\t\t{out}\t\tTWCR,r21
\t\trcall\t_I2cT

;////// I2cGetAck /////////////////////////
_I2cGa:\tcpi\t\tr21,0x18
\t\tbreq\t_I2cAk
\t\tcpi\t\tr21,0x28
\t\tbreq\t_I2cAk
\t\tcpi\t\tr21,0x40
\t\tbreq\t_I2cAk
_I2cNa:\tsec
\t\tret
_I2cAk:\tclc
\t\tret

;////// I2cRead ///////////////////////////
_I2cR:\trol\t\tr23
\t\tlds\t\tr21,_I2cRo
\t\ttst\t\tr21
\t\tbrne\t_I2cR1
\t\tlds\t\tzl,_I2cAd
\t\tori\t\tzl,0x01
\t\trcall\t_I2cRs
\t\tldi\t\tr21,0x01
\t\tsts\t\t_I2cRo,r21
_I2cR1:\t{in}\t\tr21,TWCR
\t\tsbrs\tr21,TWINT
\t\trjmp\t_I2cRf
\t\t{in}\t\tr21,TWSR
\t\tandi\tr21,0xF8
\t\tcpi\t\tr21,0x40
\t\tbreq\t_I2cPa
\t\tcpi\t\tr21,0x50
\t\tbreq\t_I2cPa
_I2cRf:\tldi\t\tzl,0xFF
\t\trjmp\t_I2cPc

;////// I2cPutAck /////////////////////////
_I2cPa:\tldi\t\tr21,(1<<TWINT)|(1<<TWEA)|(1<<TWEN)
\t\tsbrc\tr23,0
\t\tldi\t\tr21,(1<<TWINT)|(1<<TWEN)
\t\t{out}\t\tTWCR,r21
\t\trcall\t_I2cT
\t\t{in}\t\tzl,TWDR
\t\tcpi\t\tr21,0x50
\t\tbreq\t_I2cPc
\t\tcpi\t\tr21,0x58
\t\tbreq\t_I2cPc
\t\tldi\t\tzl,0xFF
_I2cPc:\tsbrs\tr23,0
\t\tret
\t\tclr\t\tr21
\t\tsts\t\t_I2cRo,r21
\t\tret

;////// I2cStop ///////////////////////////
_I2cSp:\tldi\t\tr21,(1<<TWINT)|(1<<TWSTO)|(1<<TWEN)
\t\t{out}\t\tTWCR,r21
\t\tpush\tr24
\t\tpush\tr25
\t\tldi\t\tr24,{slo}
\t\tldi\t\tr25,{shi}
_I2cSw:\t{in}\t\tr21,TWCR
\t\tsbrs\tr21,TWSTO
\t\trjmp\t_I2cT3
\t\tsbiw\tr24,1
\t\tbrne\t_I2cSw
\t\t{out}\t\tTWCR,r24
\t\trjmp\t_I2cT3

;////// I2cWait ///////////////////////////
_I2cT:\tpush\tr24
\t\tpush\tr25
\t\tldi\t\tr24,{lo}
\t\tldi\t\tr25,{hi}
_I2cT1:\t{in}\t\tr21,TWCR
\t\tsbrc\tr21,TWINT
\t\trjmp\t_I2cT2
\t\tsbiw\tr24,1
\t\tbrne\t_I2cT1
\t\t{out}\t\tTWCR,r24
\t\tclr\t\tr21
\t\trjmp\t_I2cT3
_I2cT2:\t{in}\t\tr21,TWSR
\t\tandi\tr21,0xF8
_I2cT3:\tpop\t\tr25
\t\tpop\t\tr24
\t\tret)";

void ReplaceAll(std::string& text, std::string_view mark, std::string_view by) {
  for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size()))
    text.replace(at, mark.size(), by);
}

std::string Hex2(long v) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s = "0x";
  s += kDigits[(v >> 4) & 15];
  s += kDigits[v & 15];
  return s;
}

}  // namespace

TwiBitRate TwiBitRateFor(double clockHz) {
  const long long hz = std::llround(clockHz);
  for (int twps = 0; twps < 4; ++twps) {
    const long long step = 2LL * kBusHz * (1LL << (2 * twps));
    const long long over = hz - 16LL * kBusHz;
    long long twbr = over <= 0 ? 0 : (over + step - 1) / step;
    if (twbr < 10) twbr = 10;
    if (twbr <= 255) return {static_cast<int>(twbr), twps};
  }
  return {255, 3};
}

long TwiWaitPasses(double clockHz, int cyclesPerPass) {
  const double passes = std::ceil(kWaitSeconds * clockHz / cyclesPerPass);
  if (passes < 1) return 1;
  return passes > 65535 ? 65535 : static_cast<long>(passes);
}

void EmitI2CRoutinesMode2(CompilerState& st) {
  // Every chip with the unit keeps its four registers together, in or beyond the I/O space.
  const Reach reach = RegisterReach(st, "TWCR", Reach::kInOut);
  const bool io = reach != Reach::kData;
  const double hz = static_cast<double>(st.cfg.CrystalFrequency) * 1e6;
  const TwiBitRate rate = TwiBitRateFor(hz);
  // in 1 (lds 2), sbrc 1, sbiw 2, brne 2; the stop's loop skips with sbrs while it waits
  const long passes = TwiWaitPasses(hz, io ? 6 : 7);
  const long stopPasses = TwiWaitPasses(hz, io ? 7 : 8);
  std::string text(kText);
  ReplaceAll(text, "{in}", ReadMnemonic(reach));
  ReplaceAll(text, "{out}", WriteMnemonic(reach));
  ReplaceAll(text, "{br}", Hex2(rate.twbr));
  ReplaceAll(text, "{ps}", Hex2(rate.twps));
  ReplaceAll(text, "{slo}", Hex2(stopPasses & 0xFF));
  ReplaceAll(text, "{shi}", Hex2(stopPasses >> 8));
  ReplaceAll(text, "{lo}", Hex2(passes & 0xFF));
  ReplaceAll(text, "{hi}", Hex2(passes >> 8));
  st.out.Text(text);
}

}  // namespace qbc
