#pragma once
// What the chip has, read from its device file: the one place the generators and emitters
// ask. Every fact comes from the names and values the device loader keeps (the register
// table and every symbol of the file), none from the chip's name; docs/adding-a-device.md
// lists the definitions each fact needs.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/base/state.h"
#include "compiler/frontend/port_pins.h"

namespace qbc {

// ---- Timers ----

// The divisions a timer's clock select offers.
enum class Prescalers : std::uint8_t {
  kNone,         // the chip has no such timer
  kSystem,       // the system clock prescaler: 1, 8, 64, 256, 1024 (codes 1 to 5)
  kAsync,        // an asynchronous timer's own: 1, 8, 32, 64, 128, 256, 1024 (codes 1 to 7)
  kPowersOfTwo,  // four select bits: 1, 2, 4 .. 16384 (codes 1 to 15)
};

struct TimerFacts {
  bool present = false;
  bool sixteenBit = false;
  // The register whose low bits select the clock ("TCCR0", "TCCR0B", "TCCR0A", "TCCR1").
  std::string clockRegister;
  Prescalers prescalers = Prescalers::kNone;
};

// Timer `timer` (0 to 5):
//   present       TCNTn or TCNTnL is defined
//   sixteenBit    TCNTnH is defined
//   clockRegister TCCRnB, else TCCRn, else TCCRnA, the first the file defines
//   prescalers    kPowersOfTwo where CSn3 is defined; kAsync for an 8-bit timer whose
//                 ASn bit (of ASSR) is defined; kSystem otherwise
TimerFacts TimerOf(const CompilerState& st, int timer);

// The clock-select code of `divisor` in the set; 0 when the set does not offer it.
int ClockSelectCode(Prescalers set, long divisor);

// ---- Hardware UARTs ----

// The registers of hardware UART `uart` (0 to 3) under the names the device file gives them
// itself: of the names a register may have (UCSR0A, UCSRA, USR; the build adds the others as
// aliases), the one the file defines first. Empty where the UART has no such register.
struct UartFacts {
  bool present = false;   // its control register B is defined
  std::string status;     // UCSRnA, UCSRA or USR
  std::string control;    // UCSRnB, UCSRB or UCR
  std::string data;       // UDRn or UDR
  std::string frame;      // UCSRnC or UCSRC; none on the classic UART (parity in software)
  std::string baudLow;    // UBRRnL, UBRRL, UBRRn or UBRR
  std::string baudHigh;   // UBRRnH or UBRRH; none where the divisor has eight bits
  bool frameSelect = false;  // UCSRC shares its address with UBRRH: written with URSEL set
};
UartFacts UartOf(const CompilerState& st, int uart);

// ---- Pins ----

// The pin of a chip function ("int0", "oc1a", "xck0" .. "xck3", "ss", "mosi", "miso",
// "sck"), from the FUNCTION_PORT and FUNCTION_BIT definitions the build writes into the
// device file from its pin list; none when the file does not give it.
std::optional<PortPin> FunctionPin(const CompilerState& st, const std::string& function);

// The pins port `letter` has, one bit each: those of its bits the file names (PORTxn, PINxn,
// DDxn or Pxn; port G of the ATmega128 is PG0 to PG4). 0 for a port the chip lacks, also
// where the file defines its registers but none of its bits (ports H to L of the
// ATmega2561); every bit while no device file is read.
std::uint8_t PortPins(const CompilerState& st, char letter);

// Which of port `letter`'s registers the file defines: PORTx (it can drive), DDRx (its
// directions can be set), PINx (it can be read). The ATmega103's port C has PORTC alone
// (outputs only), its port F PINF alone (inputs only). All three while no device file is read.
struct PortRegisters {
  bool out = true;
  bool dir = true;
  bool in = true;
};
PortRegisters PortRegistersOf(const CompilerState& st, char letter);
PortRegisters PortRegistersOf(const CompilerState& st, std::string_view port);  // by a register name
inline bool PortHasPin(const CompilerState& st, char letter, int bit) {
  return bit >= 0 && bit <= 7 && (PortPins(st, letter) >> bit & 1) != 0;
}

}  // namespace qbc
