#pragma once
// What the chip has, read from its device file: the one place the generators and emitters
// ask. Every fact comes from the names and values the device loader keeps (the register
// table and every symbol of the file), none from the chip's name; docs/adding-a-device.md
// lists the definitions each fact needs.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
  // The register of the timer's mode and output bits ("TCCR1A", "TCCR0", "TCCR2A"); empty
  // where the timer has none (Timer1 of the ATmega406 counts and compares only).
  std::string modeRegister;
  // True where the mode register holds only modes and outputs and the clock select has a
  // register of its own (TCCRnA beside TCCRnB); false where one register holds both.
  bool splitControl = false;
  bool capture = false;  // an input capture register
  // The compare outputs the timer drives, of "ABC": those whose COMnX0 bit the file names
  // (COMn0 for the single output of the AT90S4433's Timer1).
  std::string outputs;
  // A timer whose PWM is switched on per output by PWMnA and PWMnB and counts up to OCRnC
  // (Timer1 of the tiny26 and tiny25/45/85), with the register of output B's bits: TCCRnA
  // beside output A's, or GTCCR where TCCRn holds output A's and the clock select.
  bool pwmPerOutput = false;
  std::string outputBRegister;
  // The timer's ASn bit of ASSR, where the timer can run from its own crystal.
  std::optional<int> asyncBit;
  bool fastPwm = false;  // a waveform mode bit WGMn1 (the m103's Timer0 has PWM0 and CTC0)
  // The timer's clock input Tn, whose edges a counter counts (the pin list names it); a
  // timer without one offers no counter: its clock selects 6 and 7 divide the clock.
  bool clockInput = false;
  // Where the count clears in PWM and on a compare match when that is not output A's
  // compare register: OCRnC of a timer with PWM per output (CTCn clears after a match
  // with OCRnC there).
  std::string topRegister;
};

// Timer `timer` (0 to 5):
//   present       TCNTn or TCNTnL is defined
//   sixteenBit    TCNTnH is defined
//   clockRegister TCCRnB, else TCCRn, else TCCRnA, the first the file defines
//   prescalers    kPowersOfTwo where CSn3 is defined; kAsync for an 8-bit timer with an
//                 asyncBit; kSystem otherwise
//   modeRegister  TCCRnA, else TCCRn
//   splitControl  TCCRnA and TCCRnB are both defined
//   capture       ICRnL (or ICRn) is defined
//   outputs       COMnA0, COMnB0, COMnC0 (COMn0 for A) defined
//   pwmPerOutput  PWMnA is defined; outputBRegister TCCRnA where defined, else GTCCR
//   asyncBit      ASn where the file gives it and ASSR
//   fastPwm       WGMn1 is defined
//   clockInput    Tn_PORT and Tn_BIT (from the pin list) are defined
//   topRegister   OCRnC, where pwmPerOutput and the file defines it
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

// ---- Sleep modes ----

enum class SleepMode : std::uint8_t { kIdle, kPowerDown, kPowerSave, kStandby, kExtStandby };

// What a sleep mode writes into one register that holds sleep bits: the mask of the sleep
// bits there, and those of them the mode sets.
struct SleepBits {
  std::string reg;
  int mask = 0;
  int set = 0;
};

// The registers a sleep mode writes, the one holding SE first (SE set with the mode's bits
// there), then those that keep a mode bit elsewhere (SM2 before SM0). From the device file:
// the mode's SM2..SM0 code (SLEEP_<MODE>, from the build's list of the chip's modes), the
// bits SE and SM0..SM2 (SM where the chip has one mode bit), SMCR where the file defines it
// or else MCUCR, and SLEEP_SMn_REGISTER for a mode bit kept in another register. Empty
// where the chip lacks the mode.
std::vector<SleepBits> SleepModeBits(const CompilerState& st, SleepMode mode);

// True where the register holding SE holds nothing but sleep bits (SMCR): it is written
// whole.
bool SleepRegisterIsOwn(const SleepBits& first);

// ---- ADC ----

// The ADMUX bits that select the reference "ext", "vcc" or "int": the chip's code for it
// (ADC_REF_<NAME>, from the build's list of the chip's references) laid on the REFS0..REFS2
// bits the file names. None where the chip lacks that reference.
std::optional<int> AdcReferenceBits(const CompilerState& st, std::string_view reference);

// Every ADMUX bit that selects the reference: the REFS0..REFS2 bits the file names (what a
// write of the channel keeps).
int AdcReferenceMask(const CompilerState& st);

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
