#pragma once
// Small assembler fixtures for the core library routines: a program that includes a
// device file, sets the stack, runs a loop over inputs held in flash, calls the routine
// and stores what it returns to SRAM, where the test reads it after the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "compiler/base/state.h"
#include "tests/support/routine_bench.h"
#include "tests/support/sim_runner.h"

namespace qbc::test::corelib {

using Chip = bench::Chip;

// A large-SRAM mega (16-bit pointer lines, lpm Rd,Z+) and a tiny with 128 bytes of SRAM
// (8-bit pointer lines, lpm Rd,Z+ too).
inline const Chip kMega328{"m328Pdef.inc", "atmega328p", 0x100, 0x8FF, 32768, true, false};
inline const Chip kTiny2313{"tn2313def.inc", "attiny2313", 0x60, 0xDF, 2048, false, true, false};

// A compiler state with the chip's profile. `post_increment` false gives a core without
// "lpm Rd,Z+" (the text that reads r0 and steps Z with adiw), which runs on any chip.
inline std::unique_ptr<CompilerState> StateFor(const Chip& chip, bool post_increment = true) {
  auto st = std::make_unique<CompilerState>();
  st->ResetCompilerGlobals();
  st->dev.RamEnd = static_cast<int32_t>(chip.ram_end);
  st->dev.RamStart = static_cast<int32_t>(chip.ram_start);
  st->dev.LpmPostIncrement = post_increment && (chip.mega_core || chip.tiny_lpm);
  st->dev.HardwareMultiplier = chip.multiplier;
  st->mn.LpmMnemonic = "lpm";
  st->mn.CallMnemonic = "rcall";
  st->mn.JumpMnemonic = "rjmp";
  return st;
}

template <class Emit>
std::string EmitText(Emit emit, const Chip& chip = kMega328, bool post_increment = true) {
  auto st = StateFor(chip, post_increment);
  emit(*st);
  return st->out.Str();
}

using bench::DbTable;
using bench::Hex2;

// Device include, reset jump and stack set-up; the program continues at _Main.
inline std::string ProgramHead(const Chip& chip) {
  std::string t = ".include \"" + std::string(chip.inc) + "\"\n\t.cseg\n\t.org 0\n\trjmp\t_Start\n";
  t += "_Start:" + bench::StackSetup(chip.ram_end > 0xFF);
  t += "\trjmp\t_Main\n";
  return t;
}

inline const char* kProgramEnd = "_End:\trjmp\t_End\n";

// Reads a byte from flash at Z into `reg` and steps Z (works on every core).
inline std::string LoadFlashByte(const std::string& reg) {
  return "\tlpm\n\tmov\t" + reg + ",r0\n\tadiw\tzl,0x01\n";
}

// Loads 16-bit count `n` into r13:r12 and the 16-bit label address `label` (times 2 for a
// flash label when `flash`) into hi:lo registers.
inline std::string LoadWord(const std::string& lo, const std::string& hi, const std::string& expr) {
  return "\tldi\tr16,low(" + expr + ")\n\tmov\t" + lo + ",r16\n\tldi\tr16,high(" + expr + ")\n\tmov\t" + hi +
         ",r16\n";
}

// Decrements r13:r12 and branches to `label` while it is not zero (clobbers r24, r25).
inline std::string LoopBack(const std::string& label) {
  return "\tmov\tr24,r12\n\tmov\tr25,r13\n\tsbiw\tr24,0x01\n\tmov\tr12,r24\n\tmov\tr13,r25\n\tbrne\t" + label +
         "\n";
}

// Assembles and runs `program`; returns `count` SRAM bytes from `addr` (none when the run
// failed, which is reported).
inline std::vector<uint8_t> RunAndRead(const Chip& chip, const std::string& program, uint32_t addr, size_t count,
                                       uint64_t max_cycles = 20'000'000) {
  auto sim = bench::AssembleAndRun(program, {.mcu = chip.mcu, .frequency = 8000000, .max_cycles = max_cycles});
  if (!sim) return {};
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = sim->Sram(addr + static_cast<uint32_t>(i));
  return bytes;
}

// A routine with a register contract: each case's bytes are loaded into `in` (in order),
// the `before_call` lines run, the routine is called, and the `out` registers are stored.
struct RegisterRoutine {
  std::string library;  // the routine's text and anything it calls
  std::string entry;
  std::vector<std::string> in;
  std::vector<std::string> out;
  std::string before_call;
};

// Runs every case (in batches that fit the chip) and returns the stored outputs per case.
inline std::vector<std::vector<uint8_t>> RunRegisterCases(const RegisterRoutine& r,
                                                          const std::vector<std::vector<uint8_t>>& cases,
                                                          const Chip& chip = kMega328) {
  const size_t nin = r.in.size(), nout = r.out.size();
  const size_t ram_slots = (chip.ram_end - chip.ram_start + 1 - 64) / nout;
  const size_t flash_slots = (chip.flash_bytes / 2) / std::max<size_t>(nin, 1);
  bench::BatchPlan plan{.cases_per_run = std::min({ram_slots, flash_slots, size_t{4000}}),
                        .in_bytes = nin,
                        .out_bytes = nout,
                        .sim = {.mcu = chip.mcu, .frequency = 8000000},
                        .what = r.entry};
  auto program = [&](const bench::Batch& b) {
    std::string p = ProgramHead(chip);
    p += "_Main:\tldi\tr28,low(" + std::to_string(chip.ram_start) + ")\n\tldi\tr29,high(" +
         std::to_string(chip.ram_start) + ")\n";
    p += LoadWord("r14", "r15", "_Cases*2");
    p += LoadWord("r12", "r13", std::to_string(b.count));
    p += "_Next:\tmov\tzl,r14\n\tmov\tzh,r15\n";
    for (size_t k = 0; k < nin; ++k) p += LoadFlashByte("r" + std::to_string(3 + k));
    p += "\tmov\tr14,zl\n\tmov\tr15,zh\n";
    for (size_t k = 0; k < nin; ++k) p += "\tmov\t" + r.in[k] + ",r" + std::to_string(3 + k) + "\n";
    p += r.before_call;
    p += "\trcall\t" + r.entry + "\n";
    for (const auto& reg : r.out) p += "\tst\tY+," + reg + "\n";
    p += LoopBack("_Next");
    p += kProgramEnd;
    p += r.library;
    p += "\n" + DbTable("_Cases", b.table);
    return p;
  };
  return bench::RunInBatches(cases, plan, program, bench::FixedAddress(chip.ram_start));
}

// Little-endian bytes of a value.
inline std::vector<uint8_t> Bytes(uint32_t v, int count) { return bench::LeBytes(v, count); }
inline uint32_t Value(const std::vector<uint8_t>& b, size_t from, int count) {
  return static_cast<uint32_t>(bench::GetLe(b, from, count));
}

}  // namespace qbc::test::corelib
