#pragma once
// Whole BASIC programs for the control-flow tests: compiled by the compiler's driver,
// assembled with avra and run on the simulator until the program's End.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc::test {

struct FlowDevice {
  const char* name;     // $device
  const char* simName;  // simavr
};
inline constexpr FlowDevice kFlowDevices[] = {{"m8", "atmega8"}, {"m88", "atmega88"}};

struct FlowRun {
  std::string asmText;
  std::string report;
  int errors = 0;
  std::unique_ptr<SimRunner> sim;
  SimStop stop = SimStop::NotLoaded;

  std::uint8_t Byte(const std::string& var) const { return sim->Sram(*sim->Symbol(var)); }
  std::uint16_t Word(const std::string& var) const { return sim->SramWord(*sim->Symbol(var)); }
  std::int16_t Int(const std::string& var) const { return static_cast<std::int16_t>(Word(var)); }
  std::uint32_t Long(const std::string& var) const { return sim->SramLong(*sim->Symbol(var)); }
};

// Compiles `program` (declarations and statements; the device, clock and stack lines are
// put in front, "end" behind) with the compiler's own driver, as every whole program of
// the tests is compiled.
inline FlowRun CompileOnly(const std::string& program, const FlowDevice& dev = kFlowDevices[0], int clockMHz = 8) {
  FlowRun r;
  CompiledBasic c = CompileBasic(std::string("$device = ") + dev.name + "\n$clock = " + std::to_string(clockMHz) +
                                 "\n$stack = 32\n" + program + "\nend\n");
  r.asmText = c.asm_text;
  r.report = c.report + c.failure;
  r.errors = c.error_count;
  return r;
}

inline FlowRun RunProgram(const std::string& program, const FlowDevice& dev = kFlowDevices[0], int clockMHz = 8,
                          std::uint64_t maxCycles = 20'000'000) {
  FlowRun r = CompileOnly(program, dev, clockMHz);
  if (r.errors != 0) {
    ADD_FAILURE() << "compile errors:\n" << r.report;
    return r;
  }
  auto a = AssembleAsm(r.asmText);
  if (!a.ok) {
    ADD_FAILURE() << a.output << "\n" << r.asmText;
    return r;
  }
  r.sim = std::make_unique<SimRunner>(SimOptions{.mcu = dev.simName,
                                                 .frequency = static_cast<uint32_t>(clockMHz) * 1000000u,
                                                 .max_cycles = maxCycles});
  if (!r.sim->Load(a.hex_path, a.map_path)) {
    ADD_FAILURE() << r.sim->Error();
    return r;
  }
  r.stop = r.sim->Run();
  EXPECT_EQ(r.stop, SimStop::EndLoop) << r.asmText;
  return r;
}

}  // namespace qbc::test
