#pragma once
// Compiles a BASIC program with the compiler's own driver (CompileProgram), assembles the
// .asm with avra and runs it on the simulator; variables are read by name from the .map.
//
//   auto run = qbc::test::RunBasic("$device = m8\n$clock = 8\n$stack = 32\n"
//                                  "Dim A As Byte\nA = 3 * 4\nEnd\n");
//   ASSERT_TRUE(run->ok) << run->Diagnostics();
//   EXPECT_EQ(run->Byte("a"), 12);
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/sim_runner.h"

namespace qbc::test {

struct CompiledBasic {
  std::string asm_text;     // the compiler's output
  std::string report;       // the report box text (compile errors)
  std::string failure;      // a run-time failure of the compiler, if any
  int error_count = 0;
  std::string dir;          // temporary folder holding prog.bas / prog.asm
  std::string asm_path;

  // Whether the report begins with compile error number 1 as the driver writes it for
  // this program: " 1. <message> ("<dir>/prog.bas" --> Line  <line>)" and CR LF.
  bool StartsWithError(const std::string& message, int line) const;
};

// Compiles `source` as the document prog.bas in a fresh folder (with its own installation
// folder whose inc/ is the build's device folder).
CompiledBasic CompileBasic(const std::string& source);

// The instruction lines the compiler wrote for source line `line` (below its ";-Line--"
// mark, up to the next mark or empty line), each as its mnemonic and operands, joined by
// "; ": "in zl,MCUCR; andi zl,15; out MCUCR,zl".
std::string LinesOfSourceLine(const CompiledBasic& compiled, int line);

struct BasicRun {
  bool ok = false;          // compiled without error, assembled, loaded and ran to its end
  CompiledBasic compiled;
  AsmResult assembled;
  SimStop stop = SimStop::NotLoaded;
  std::unique_ptr<SimRunner> sim;

  // Everything that explains a failure: compile report, assembler output, the .asm.
  std::string Diagnostics() const;
  // A variable's SRAM address from the .map (names without regard to case).
  std::uint32_t Address(const std::string& name) const;
  std::uint8_t Byte(const std::string& name, int offset = 0) const;
  std::uint16_t Word(const std::string& name, int offset = 0) const;
  std::int16_t Integer(const std::string& name, int offset = 0) const;
  std::uint32_t Long(const std::string& name, int offset = 0) const;
  std::uint32_t FloatBits(const std::string& name, int offset = 0) const;
  std::uint8_t Register(int r) const;
};

// Compiles, assembles and runs to the program's end (End: a jump to itself) on `mcu`
// (simavr name or short form such as "m8", "m88"). The EEPROM starts with the program's
// image (InitEE), as a programmer writes it.
// `before_run` is called with the loaded simulator before it runs (to watch pins).
std::unique_ptr<BasicRun> RunBasic(const std::string& source, const std::string& mcu = "atmega8",
                                   std::uint64_t max_cycles = 5'000'000,
                                   const std::function<void(SimRunner&)>& before_run = {});

// The same with the simulator's options and bytes for the UARTs' receivers, queued
// before the program starts; `prepare` is called as `before_run` is (also to set guard
// bytes or watch registers).
struct UartInput {
  std::string bytes;
  int uart = 0;
};
std::unique_ptr<BasicRun> RunBasicWith(const std::string& source, const SimOptions& options,
                                       const std::vector<UartInput>& input = {},
                                       const std::function<void(SimRunner&)>& prepare = {});

}  // namespace qbc::test
