#pragma once
// The "$" lines that wire peripherals to the chip's pins: com1, key, i2c, pckey, 1wire,
// dtmf, sound, shiftout, shiftin, rc5, lcd (ParsePeripheralMetaStatement) and spi
// (ParseSpiMetaStatement, also used by the code pass). Declared in seams.h as well.
#include <cstdint>
#include <string>

#include "compiler/base/compile_error.h"
#include "compiler/base/state.h"

namespace qbc {

// Entered on the word; stores the settings, sets the used flags and claims the vectors.
void ParsePeripheralMetaStatement(CompilerState& st);

// Entered on "spi": divider "," order "," mode "," polarity "," phase. During the
// declarations the set-up lines go to the start-up code; afterwards they are written in
// place.
void ParseSpiMetaStatement(CompilerState& st);

// The SPI pins of the device as a port B direction value: MOSI, SCK and SS for a master,
// MISO for a slave.
std::uint8_t SpiDirectionValue(const CompilerState& st, bool master);
// All four SPI pins of the device on port B.
std::uint8_t SpiPinMask(const CompilerState& st);

// Timer0 for the RC5 receiver: the prescaler divisor and the clock-select code that gives
// it on this device (the ATmega64/128/103 Timer0 has the 1/8/32/64/128/256/1024 steps).
// The divisor is the smallest of the clock's range that keeps one bit time (1778 us)
// within the 256 counts of the timer.
struct Rc5TimerSetting {
  int Divisor = 1;
  std::uint8_t ClockSelect = 1;
};
Rc5TimerSetting Rc5TimerPrescaler(const CompilerState& st);

// Timer0 reload value for `microseconds` with that prescaler: 256 less the ticks, halves
// to even.
int Rc5TimerReload(const CompilerState& st, double microseconds);

// After a peripheral line read without error: the token `offset` from the current one must
// end the line (or be ":"); anything else is reported as "Syntax error!" there.
void RefuseWordsAfterSettings(CompilerState& st, const ErrorWatch& errors, int offset);

}  // namespace qbc
