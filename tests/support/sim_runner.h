#pragma once
// Runs an assembled AVR program on libsimavr for the tests, and assembles test fixtures
// with avra.
//
// Typical use:
//   auto a = qbc::test::AssembleAsm(qbc::test::DeviceInclude("m8") + " ...");
//   ASSERT_TRUE(a.ok) << a.output;
//   qbc::test::SimRunner sim({.mcu = "atmega8", .frequency = 4000000});
//   ASSERT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
//   sim.QueueInput("abc\r");
//   EXPECT_EQ(sim.Run(), qbc::test::SimStop::EndLoop);
//   EXPECT_EQ(sim.Output(), "abc\r");
//   EXPECT_EQ(sim.Sram(*sim.Symbol("var1")), 42);
//
// Differences from simavr's own behaviour, so that a program behaves as on the chip:
// - On ATmega8/16/32 a write to the shared UBRRH/UCSRC address with bit 7 (URSEL) set goes
//   to UCSRC and does not change the baud divisor (simavr would take it as UBRRH and run
//   the UART far too slowly).
// - SLEEP with the sleep-enable bit clear does nothing (simavr would sleep).
// - Sleeping never waits in real time.
// - With `chip_reset_state` (the default) registers r0..r31 and the SRAM start filled with
//   a fixed non-zero pattern (simavr clears them), and on the older chips whose stack
//   pointer starts at 0 (ATmega8/16/32/64/128/162/8515/8535) SP starts at 0 (simavr
//   starts it at RAMEND). A program that forgets to clear its variables or to set the
//   stack fails as it would on the chip.
// - Input bytes are handed to the UART as fast as the UART accepts them; none is lost.
//   With `paced_input` they arrive as on a wire instead: one byte every frame time of the
//   UART's current setting, and a byte that completes while the receiver's two-byte buffer
//   is full is lost (an overrun), as on the chip. DroppedInput() counts such bytes.
// - Every hardware UART simavr models (UART 0 to 3) is captured and fed; the UART number
//   of Output() and QueueInput() picks one.
// - A stopped timer's count register reads the count it holds (the value last written, or
//   read while it ran), not 0.
// - A 1 written to an external interrupt flag (GIFR/EIFR) clears that flag and a 0 leaves
//   the others alone (simavr would store the byte).
// - An external interrupt whose flag was set while it was disabled is taken as soon as it
//   is enabled (simavr would wait for the next edge).
// - The ADC's interrupt flag ADIF in ADCSRA is cleared by a written 1 and kept by a written
//   0 (simavr keeps it set, so a second polled conversion would end at once).
// - Timer1 in 8-bit phase-correct PWM (WGM 1), which simavr does not run, overflows every
//   510 prescaled cycles (counting up to 255 and back to 0) and raises its overflow
//   interrupt; the count register and the compare output pin are not modelled in that mode.
// - The single-ended ADC channels 8 to 15 (ATmega640..2560, MUX5 set) read the voltage
//   given by SetAdcInput, as channels 0 to 7 do (simavr has no input for them).
// - TWINT in TWCR is cleared by a written 1 and set again when the TWI unit ends its step
//   (simavr keeps the 1 written, so the flag would read set at once). simavr does not time
//   the TWI by its bit rate: every step ends about 1 us per bit later whatever TWBR holds,
//   and it reports an address byte's acknowledge with the data byte's codes (0x28/0x30
//   where the chip gives 0x18/0x20).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qbc::test {

// ---------------------------------------------------------------- assembling fixtures

// Folders given to avra with -I: build/bin/inc (the generated device files) and Debian
// avra's /usr/share/avra. Note that avra searches the fixture's own folder and its
// /usr/share/avra BEFORE the -I folders, so `.include "m8def.inc"` reads avra's own file;
// use DeviceInclude() to get the compiler's device file.
std::vector<std::string> DefaultIncludeDirs();

// The line `.include "<build>/bin/inc/<device>def.inc"` (device as the compiler names its
// files: "m8", "m168", "tn26", "8515").
std::string DeviceInclude(const std::string& device);

struct AsmResult {
  bool ok = false;        // avra ran, reported no error, and wrote the .hex
  std::string output;     // everything avra printed (stdout and stderr)
  std::string dir;        // the temporary folder holding the files below
  std::string asm_path;   // <dir>/prog.asm
  std::string hex_path;   // <dir>/prog.hex
  std::string map_path;   // <dir>/prog.map
  std::string eep_path;   // <dir>/prog.eep.hex (EEPROM contents)
};

// Writes `asm_text` to a fresh temporary folder and assembles it with avra.
AsmResult AssembleAsm(const std::string& asm_text,
                      const std::vector<std::string>& include_dirs = DefaultIncludeDirs());

// Assembles an .asm file where it lies (outputs beside it, named <base>.hex/.map/.eep.hex).
AsmResult AssembleAsmFile(const std::string& asm_path,
                          const std::vector<std::string>& include_dirs = DefaultIncludeDirs());

// Compiles and assembles a BASIC program with build/bin/qbc, as the environment's build
// command does (the .asm, .hex, .eep and .map are written beside the .bas in a fresh
// temporary folder).
struct BasResult {
  bool ok = false;       // qbc exited 0 and the .hex exists
  int status = -1;       // qbc's exit status
  std::string report;    // what qbc printed (the report box text)
  std::string dir, bas_path, asm_path, hex_path, map_path;
};
BasResult CompileBas(const std::string& bas_text, const std::string& file_name = "prog.bas");

// ---------------------------------------------------------------- running

struct SimOptions {
  std::string mcu = "atmega8";  // simavr name; "m8", "m168", "tn2313" are accepted too
  uint32_t frequency = 4000000;
  uint64_t max_cycles = 20'000'000;  // cycle cap of one Run() call
  bool chip_reset_state = true;      // see the header comment
  bool paced_input = false;          // see the header comment
};

enum class SimStop {
  EndLoop,             // the next instruction jumps to itself (rjmp . / jmp .)
  SleepInterruptsOff,  // SLEEP with sleep enabled and interrupts off
  CycleCap,            // max_cycles ran out
  Crashed,             // simavr gave up (bad opcode, jump outside the flash, ...)
  NotLoaded,           // Load() was not called or failed
};
const char* SimStopName(SimStop s);

class SimRunner {
 public:
  explicit SimRunner(const SimOptions& options = {});
  ~SimRunner();
  SimRunner(const SimRunner&) = delete;
  SimRunner& operator=(const SimRunner&) = delete;

  // Loads the program (and, if given, avra's .map for Symbol()). False with Error() set
  // when the MCU is unknown to simavr or a file cannot be read.
  bool Load(const std::string& hex_path, const std::string& map_path = "");
  const std::string& Error() const;

  // Bytes the receiver of UART `uart` gets, in order (see paced_input).
  void QueueInput(std::string_view bytes, int uart = 0);
  size_t PendingInput(int uart = 0) const;
  // Bytes of paced input lost because the receiver's buffer was full.
  size_t DroppedInput(int uart = 0) const;

  // Runs until a stop (see SimStop). A program waiting in a self-jump with interrupts on
  // while input is still queued keeps running (it waits for a receive interrupt).
  // Run() may be called again, for example after queueing more input.
  SimStop Run();
  SimStop Run(uint64_t max_cycles);

  // Everything the program sent on UART `uart` so far.
  const std::string& Output(int uart = 0) const;
  void ClearOutput(int uart = 0);

  // Data space (registers, I/O, SRAM) by data address.
  uint8_t Sram(uint32_t addr) const;
  void SetSram(uint32_t addr, uint8_t v);
  uint16_t SramWord(uint32_t addr) const;  // little-endian, as the compiler stores words
  uint32_t SramLong(uint32_t addr) const;  // little-endian 4 bytes
  uint8_t Reg(int r) const;
  void SetReg(int r, uint8_t v);
  uint16_t Sp() const;
  uint8_t Sreg() const;
  uint32_t PcBytes() const;  // program counter as a byte address
  uint64_t Cycles() const;
  uint32_t RamEnd() const;
  // The most bytes the hardware stack has held so far (RAMEND less the lowest stack
  // pointer any instruction left in the SRAM; a pointer below the SRAM, as some chips
  // have it before the program sets it, is not counted).
  uint32_t DeepestStack() const;

  // Pins and timer compare outputs, recorded while the program runs: each change with the
  // cycle it happened at. Watch before Run(); an unknown port or timer records nothing.
  struct Edge {
    uint64_t cycle;
    int level;
  };
  // Pin `bit` (0..7) of port `port` ('A', 'B', ...).
  void WatchPin(char port, int bit);
  // Drives pin `bit` of port `port` from outside to `level` (0 or 1), as a signal on an
  // input pin does; call between runs.
  void DrivePin(char port, int bit, int level);
  const std::vector<Edge>& PinEdges(char port, int bit) const;
  // The compare output of channel `channel` (0 = A, 1 = B, 2 = C) of timer `timer` (0..5):
  // an event at every compare match that acts on the output pin.
  void WatchCompare(int timer, int channel);
  const std::vector<Edge>& CompareEvents(int timer, int channel) const;

  // Live pin access for device models that answer while the program runs (call after
  // Load()). `OnPinChange` calls `fn` whenever what the chip does to the pin changes:
  // `output` is its DDR bit, `port_bit` its PORT bit (the level driven, or the pull-up
  // while it is an input).
  void OnPinChange(char port, int bit, std::function<void(uint64_t cycle, bool output, int port_bit)> fn);
  // The level an outside device puts on the pin, from now on (also from inside a callback):
  // the program reads it from PIN while the pin is an input, and it holds against the
  // chip's pull-up. `ReleasePinInput` lets the pin float again (it then reads the pull-up).
  void SetPinInput(char port, int bit, int level);
  void ReleasePinInput(char port, int bit);
  // What the chip does to the pin now.
  bool PinIsOutput(char port, int bit) const;
  int PinPortBit(char port, int bit) const;
  // The data address of the port's PIN register (for WatchReads); 0 when there is none.
  uint32_t PinRegister(char port) const;
  // Calls `fn` once, `cycles` from now, while the program runs (bit times, answers, busy
  // ends). simavr keeps at most about 60 such timers pending at once.
  void After(uint64_t cycles, std::function<void()> fn);

  // A symbol's value from the .map (labels: data address in .dseg, word address in .cseg;
  // .equ values too). Names compare without regard to case, as avra does.
  std::optional<uint32_t> Symbol(const std::string& name) const;

  // Calls `watch` with the value of every write the program makes to the I/O register at
  // data address `addr` (after the simulator's own handling of it). Call after Load().
  void WatchWrites(uint32_t addr, std::function<void(uint8_t value)> watch);
  // Calls `watch` with the cycle and the value of every read the program makes of the I/O
  // register at data address `addr` (a PIN register: when a model's data was taken, to
  // check it against the device's access time). The value is the one the program gets.
  // Call after Load().
  void WatchReads(uint32_t addr, std::function<void(uint64_t cycle, uint8_t value)> watch);

  // The data EEPROM. LoadEeprom puts an image in it as a programmer does before the
  // program starts (avra's .eep.hex; false when it cannot be read or does not fit);
  // Eeprom() is every byte as the program left it, SetEeprom writes bytes from `addr`.
  // Call after Load().
  bool LoadEeprom(const std::string& eep_hex_path);
  std::vector<uint8_t> Eeprom() const;
  void SetEeprom(const std::vector<uint8_t>& bytes, uint32_t addr = 0);

  // The ADC's inputs in millivolts: the voltage on single-ended channel `channel` (0..15),
  // and the references it measures against (AVCC, which is also VCC, and the AREF pin).
  // Call after Load(), also between runs.
  void SetAdcInput(int channel, uint32_t millivolts);
  void SetAdcReferences(uint32_t avcc_millivolts, uint32_t aref_millivolts);

  // The SPI unit's bytes, through simavr's byte IRQs (no pins). `OnSpiByte` calls `fn`
  // with every byte the chip shifts out: as master when its transfer ends (simavr ends it
  // 100 us after the write to SPDR and sets SPIF), as slave when a byte of the master
  // arrives. `SpiInput` shifts a byte into the chip and sets SPIF: as master it is the
  // slave's answer to the transfer that is ending (give it from inside `fn`; without one
  // the chip reads 0), as slave it is a byte the master sends now (the chip's answer is the
  // byte in its SPDR, handed to `fn`). Call after Load().
  void OnSpiByte(std::function<void(uint8_t)> fn);
  void SpiInput(uint8_t byte);

  // The TWI unit's bus messages, through simavr's TWI IRQs (no pins). `OnTwiMessage` calls
  // `fn` with every message the chip sends as master (simavr's avr_twi_msg_irq_t value:
  // conditions, address byte, data byte); a slave answers from inside `fn` with
  // `TwiInput` (an acknowledge, or the byte read). Call after Load().
  void OnTwiMessage(std::function<void(uint32_t)> fn);
  void TwiInput(uint32_t message);
  // From now on the TWI unit ends no step, as with a bus a broken slave holds low: TWINT
  // stays clear after every command and a stop never completes.
  void HoldTwiBus();

  // simavr's messages (warnings about unknown I/O, crashes).
  const std::string& Log() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Assembles `asm_text`, loads it, queues `input`, runs once. Fails the current test
// (ADD_FAILURE) when assembling or loading fails; returns the runner for inspection.
std::unique_ptr<SimRunner> RunAsm(const std::string& asm_text, const SimOptions& options = {},
                                  std::string_view input = {});

}  // namespace qbc::test
