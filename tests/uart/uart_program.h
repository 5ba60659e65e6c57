#pragma once
// Programs for the UART statement tests: a head with a device, a clock, a stack and a baud
// rate for UART 0 (more "$" lines where a test asks), then the test's lines and End.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {

// The AT90S2313 runs on the ATtiny2313 model: its UART, ports, timers and SRAM sit where the
// tiny's do (simavr has no model of the classic parts). The ATmega2561 runs on the
// ATmega2560's: its two USARTs, SRAM and three-byte return addresses are the 2560's.
inline std::string SimName(const std::string& device) {
  static const std::map<std::string, std::string> kNames = {
      {"m8", "atmega8"},         {"m168", "atmega168"},     {"m128", "atmega128"}, {"m2560", "atmega2560"},
      {"m2561", "atmega2560"},   {"m328p", "atmega328p"},   {"tn2313", "attiny2313"}, {"2313", "attiny2313"}};
  auto it = kNames.find(device);
  return it == kNames.end() ? device : it->second;
}

// "$device = <device>", "$clock = 8", "$stack = 32", "$baud = 38400", `extraHead` (more "$"
// lines) and `body`.
inline std::string UartProgram(const std::string& device, const std::string& body, const std::string& extraHead = "") {
  return "$device = " + device + "\n$clock = 8\n$stack = 32\n$baud = 38400\n" + extraHead + body;
}

// Runs `body` (which ends in End) on `device` at 8 MHz; the UARTs' input arrives one byte
// per frame time, and a byte the program is too slow for is lost, as on the chip.
inline std::unique_ptr<BasicRun> RunUart(const std::string& device, const std::string& body,
                                         const std::vector<UartInput>& input = {}, const std::string& extraHead = "",
                                         const std::function<void(SimRunner&)>& prepare = {}) {
  SimOptions opt;
  opt.mcu = SimName(device);
  opt.frequency = 8000000;
  opt.paced_input = true;
  opt.max_cycles = 20'000'000;
  return RunBasicWith(UartProgram(device, body, extraHead), opt, input, prepare);
}

}  // namespace qbc::test
