#pragma once
// What the library-routine fixtures share: flash tables of case bytes, little-endian
// packing, and running a fixture program on the simulator in batches of cases that fit
// the chip, reading each case's stored bytes back from SRAM.
//
// Each fixture writes its own program (which registers it loads, what it keeps and
// checks); this file serves the parts that are the same for all of them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compiler/base/state.h"
#include "tests/support/sim_runner.h"

namespace qbc::test::bench {

using Bytes = std::vector<std::uint8_t>;

// A chip the fixtures assemble for and run on.
struct Chip {
  const char* inc;  // device file
  const char* mcu;  // simulator name
  std::uint32_t ram_start;
  std::uint32_t ram_end;
  std::uint32_t flash_bytes;
  bool mega_core = true;  // lpm Rd,Z+
  bool tiny_lpm = false;  // lpm Rd,Z+ on a tiny
  bool multiplier = true;  // mul, muls, mulsu
};

// The device cells the library emitters read.
struct ChipProfile {
  std::int32_t ram_start = 0;
  std::int32_t ram_end = 0;
  std::int32_t flash_bytes = 0;
  bool mega_core = false;  // lpm Rd,Z+
  bool tiny_lpm = false;   // lpm Rd,Z+ on a tiny
  bool rampz = false;      // flash beyond 64 KB: elpm and RAMPZ
  bool multiplier = false;  // mul, muls, mulsu
};

// Sets the profile's cells and the mnemonics as the device loader chooses them: elpm with
// RAMPZ, call and jmp above 8 KB of flash.
void SetChipProfile(CompilerState& st, const ChipProfile& chip);
// The same for a fixture chip; `rampz` when its flash reaches beyond 64 KB.
void SetChipProfile(CompilerState& st, const Chip& chip, bool rampz);

// The program as a compilation's link step leaves it: the library writes its calls and
// jumps to a label in the relative form (rcall, rjmp), and the link step lengthens each
// one whose target lies beyond its reach (compiler/codegen/far_jumps.h). `st` carries the
// chip's profile (SetChipProfile). A fixture that puts a large part of the library in one
// program on a chip above 8 KB needs this, as a compiled program does.
std::string WithFarTargetsReached(CompilerState& st, const std::string& program);

// "0x5a": a byte as the fixtures write it in ldi operands and .db lines.
std::string Hex2(unsigned v);

// ".db" lines of `per_line` bytes each, padded to an even count (avra pads an odd line
// with a zero, which would shift every following byte).
std::string DbLines(Bytes bytes, std::size_t per_line = 16);
// The same behind "label:".
std::string DbTable(const std::string& label, const Bytes& bytes);

// Emitted text split into its lines (each ends in CR LF; a last line without it counts too).
std::vector<std::string> Lines(const std::string& text);
// How often `what` stands in `text` (overlapping places count).
std::size_t Count(const std::string& text, const std::string& what);

// Little-endian packing of `count` bytes.
void PutLe(Bytes& v, std::uint64_t x, int count);
Bytes LeBytes(std::uint64_t x, int count);
std::uint64_t GetLe(const Bytes& v, std::size_t at, int count);

// The stack pointer set to RAMEND (the high byte only where the chip has one).
std::string StackSetup(bool high_byte, const std::string& indent = "\t");

// Assembles `program` and runs it until it ends in its closing self-jump. Any failure
// (assembler error, unknown MCU, a run that stops another way) is a test failure naming
// `what`; the result is then empty.
std::unique_ptr<SimRunner> AssembleAndRun(const std::string& program, const SimOptions& options,
                                          const std::string& what = "fixture");

// One program's share of the cases.
struct Batch {
  std::size_t first = 0;  // index of its first case
  std::size_t count = 0;
  Bytes table;            // the cases' bytes, one case after the other
};

struct BatchPlan {
  std::size_t cases_per_run = 1;
  std::size_t in_bytes = 0;   // bytes of one case in the table
  bool zero_fill = false;     // shorter (or longer) cases are cut or filled with 0 to in_bytes;
                              // otherwise a case of another length is a test failure
  std::size_t out_bytes = 0;  // bytes one case stores
  SimOptions sim;
  std::uint64_t cycles_per_case = 0;  // when set, a run may take count * this + sim.max_cycles
  std::string what = "fixture";
};

// Writes the program of one batch.
using BatchProgram = std::function<std::string(const Batch&)>;
// Where the stored bytes of a batch begin (a fixed address or a symbol of the program).
using ResultsAt = std::function<std::optional<std::uint32_t>(const SimRunner&)>;
// Further checks after a batch ran; `end` is the address behind the last stored case.
using AfterRun = std::function<void(const SimRunner&, std::uint32_t end)>;

ResultsAt FixedAddress(std::uint32_t addr);
ResultsAt SymbolAddress(const std::string& name);

// Runs the cases in batches; returns out_bytes per case, in order. After a failed batch
// the cases run so far are returned (the failure is already reported).
std::vector<Bytes> RunInBatches(const std::vector<Bytes>& cases, const BatchPlan& plan, const BatchProgram& program,
                                const ResultsAt& results_at, const AfterRun& after = nullptr);

}  // namespace qbc::test::bench
