#pragma once
// Assembler fixtures for the float library: the whole library for one chip, a program
// that loads each case's operand bytes from a table in flash into the routine's input
// registers, calls the entry point and stores the output registers to SRAM, in batches
// that fit the chip. r1..r6 and r8..r15 hold marker values that are checked at the end;
// r7 is cleared before every call and stored with the outputs when asked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "compiler/base/state.h"
#include "compiler/library/core/float_core.h"
#include "tests/support/routine_bench.h"
#include "tests/support/sim_runner.h"

namespace qbc::test::flt {

using Chip = bench::Chip;

inline const Chip kM8{"m8def.inc", "atmega8", 0x60, 0x45F, 8192};
inline const Chip kM16{"m16def.inc", "atmega16", 0x60, 0x45F, 16384};
inline const Chip kM32{"m32def.inc", "atmega32", 0x60, 0x85F, 32768};
inline const Chip kM2560{"m2560def.inc", "atmega2560", 0x200, 0x21FF, 262144};
// A newer mega with the multiplier, and a chip without one (the shift-and-add forms).
inline const Chip kM88{"m88def.inc", "atmega88", 0x100, 0x4FF, 8192};
inline const Chip kTn85{"tn85def.inc", "attiny85", 0x60, 0x25F, 8192, false, true, false};

inline bool BigFlash(const Chip& c) { return c.flash_bytes > 8192; }

inline std::unique_ptr<CompilerState> StateFor(const Chip& chip) {
  auto st = std::make_unique<CompilerState>();
  st->ResetCompilerGlobals();
  bench::SetChipProfile(*st, chip, chip.flash_bytes > 65536);
  return st;
}

// Every emitter of the base library, in the link step's order.
inline std::string LibraryText(const Chip& chip) {
  auto st = StateFor(chip);
  EmitFloatCoreRoutines(*st);
  EmitFloatAddSubRoutine(*st);
  EmitFloatMulRoutine(*st);
  EmitFloatDivRoutine(*st);
  EmitFloatMoveRoutine(*st);
  EmitFloatToExpRoutine(*st);
  EmitFloatCompareRoutine(*st);
  return st->out.Str();
}

// A routine under test: `in` registers are loaded from each case's bytes in order, `out`
// registers are stored after the call ("sreg" stores the status register as the call
// left it, read first).
struct Routine {
  std::string entry;
  std::vector<std::string> in;
  std::vector<std::string> out;
  std::string before_call;  // extra lines right before the call
  std::string helpers;      // extra routines the fixture calls (wrappers)
  std::string after_store = {};  // extra lines after the outputs are stored
};

inline const std::vector<std::string> kA = {"r22", "r23", "r24", "r25"};
inline const std::vector<std::string> kB = {"r18", "r19", "r20", "r21"};
inline std::vector<std::string> Regs(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

using bench::Hex2;

inline const uint8_t kMarkers[] = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF};
inline const int kMarkerRegs[] = {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15};

// The program for one batch of cases.
inline std::string BatchProgram(const Chip& chip, const Routine& r, const std::vector<uint8_t>& table, size_t n,
                                const std::string& library) {
  const std::string call = BigFlash(chip) ? "call" : "rcall";
  std::string p = ".include \"" + std::string(chip.inc) + "\"\n\t.cseg\n\t.org 0\n\trjmp\t_Start\n";
  p += "_Start:" + bench::StackSetup(true);
  for (size_t i = 0; i < std::size(kMarkerRegs); ++i)
    p += "\tldi\tr16," + Hex2(kMarkers[i]) + "\n\tmov\tr" + std::to_string(kMarkerRegs[i]) + ",r16\n";
  p += "\tldi\tyl,low(" + std::to_string(chip.ram_start) + ")\n\tldi\tyh,high(" + std::to_string(chip.ram_start) + ")\n";
  p += "\tldi\tzl,low(_Cases*2)\n\tldi\tzh,high(_Cases*2)\n";
  p += "\tldi\tr16,low(" + std::to_string(n) + ")\n\tldi\tr17,high(" + std::to_string(n) + ")\n";
  p += "_Next:\n";
  for (const auto& reg : r.in) p += "\tlpm\t" + reg + ",Z+\n";
  p += "\tpush\tzl\n\tpush\tzh\n\tclr\tr7\n";
  p += r.before_call;
  p += "\t" + call + "\t" + r.entry + "\n";
  p += "\tin\tr0,SREG\n";
  for (const auto& reg : r.out) p += reg == "sreg" ? "\tst\tY+,r0\n" : "\tst\tY+," + reg + "\n";
  p += r.after_store;
  p += "\tpop\tzh\n\tpop\tzl\n\tsubi\tr16,1\n\tsbci\tr17,0\n\tbreq\t_Done\n";
  p += BigFlash(chip) ? "\tjmp\t_Next\n" : "\trjmp\t_Next\n";
  p += "_Done:\n";
  for (int reg : kMarkerRegs) p += "\tst\tY+,r" + std::to_string(reg) + "\n";
  p += "_End:\trjmp\t_End\n";
  p += r.helpers;
  p += library;
  p += "\n" + bench::DbTable("_Cases", table);
  return p;
}

// Runs every case through the routine on the chip; one output vector per case.
inline std::vector<std::vector<uint8_t>> RunCases(const Chip& chip, const Routine& r,
                                                  const std::vector<std::vector<uint8_t>>& cases) {
  const std::string library = LibraryText(chip);
  const size_t nin = r.in.size(), nout = r.out.size();
  const size_t ram_slots = (chip.ram_end - chip.ram_start + 1 - 96) / nout;
  const size_t flash_slots = (chip.flash_bytes - 4096) / std::max<size_t>(nin, 1);
  bench::BatchPlan plan{.cases_per_run = std::min({ram_slots, flash_slots, size_t{3000}}),
                        .in_bytes = nin,
                        .out_bytes = nout,
                        .sim = {.mcu = chip.mcu, .frequency = 16000000, .max_cycles = 400'000'000},
                        .what = r.entry};
  return bench::RunInBatches(
      cases, plan,
      [&](const bench::Batch& b) { return BatchProgram(chip, r, b.table, b.count, library); },
      bench::FixedAddress(chip.ram_start), [&](const SimRunner& sim, uint32_t addr) {
        // The marker registers follow the last case's outputs.
        for (size_t i = 0; i < std::size(kMarkerRegs); ++i)
          EXPECT_EQ(sim.Sram(addr++), kMarkers[i]) << r.entry << " changed r" << kMarkerRegs[i];
      });
}

inline void Put32(std::vector<uint8_t>& v, uint32_t x) { bench::PutLe(v, x, 4); }
inline uint32_t Get32(const std::vector<uint8_t>& v, size_t at) { return static_cast<uint32_t>(bench::GetLe(v, at, 4)); }

inline std::string HexWord(uint32_t x) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%08X", x);
  return b;
}

}  // namespace qbc::test::flt
