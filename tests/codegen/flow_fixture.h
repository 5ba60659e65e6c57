#pragma once
// Whole BASIC programs for the control-flow tests: compiled through the stages of the
// driver, assembled with avra and run on the simulator until the program's End.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "compiler/frontend/dim_parser.h"
#include "compiler/driver/link_step.h"
#include "compiler/driver/program_head.h"
#include "compiler/driver/first_pass.h"
#include "compiler/driver/statement_loop.h"
#include "tests/support/asm_snapshot.h"
#include "tests/support/compiler_fixture.h"
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
// put in front, "end" behind) and, when it compiled without errors, runs it.
inline FlowRun CompileOnly(const std::string& program, const FlowDevice& dev = kFlowDevices[0], int clockMHz = 8) {
  FlowRun r;
  CompilerFixture f;
  f.st.env.InstallDir = BinDir();
  f.LoadSource(std::string("$device = ") + dev.name + "\n$clock = " + std::to_string(clockMHz) +
               "\n$stack = 32\n" + program + "\nend\n");
  ScanDeclarations(f.st);
  if (f.st.ErrorCount == 0) {
    f.st.sym.CurrentSubIndex = 0;
    EmitProgramPrologue(f.st);
    CompileStatementBlock(f.st);
    EmitLibraryAndSummary(f.st);
  }
  r.asmText = f.st.out.Str();
  r.report = f.report.Text();
  r.errors = f.st.ErrorCount;
  RecordCompiledAsm("stages", dev.name + std::to_string(clockMHz) + "\n" + program, r.asmText);
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
