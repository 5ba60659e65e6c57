#pragma once
// Runs one library routine on the simulator over a table of cases.
//
// The fixture program loads each case's bytes from a flash table (through r2..r9) into the
// routine's input registers, then presets the registers the routine must keep to 0xA5, calls the routine and
// stores the output registers and then the kept registers to SRAM. The table pointer and
// the results pointer live in SRAM and Y, which no arithmetic routine touches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "compiler/base/state.h"
#include "tests/support/routine_bench.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {

struct RoutineRig {
  std::string device = "m88";            // simulator MCU and device file (<device>def.inc)
  std::vector<std::string> inputs;       // registers loaded from each case, in byte order
  std::vector<std::string> outputs;      // registers stored after the call
  std::vector<std::string> kept;         // registers preset to 0xA5; stored after outputs
  std::string label;                     // the routine's entry label
  std::string routine_text;              // the emitted library text
  std::size_t result_bytes = 700;        // SRAM for one batch's results
};

inline constexpr std::uint8_t kKeptMark = 0xA5;

// The library text that an emitter writes for a device profile.
template <typename Emitter>
std::string EmittedText(Emitter emit, bool megaCore, float clockMHz = 8.0f) {
  CompilerState st;
  st.ResetCompilerGlobals();
  st.dev.LpmPostIncrement = megaCore;
  st.dev.HardwareMultiplier = megaCore;
  st.cfg.CrystalFrequency = clockMHz;
  emit(st);
  return st.out.Str();
}

// The program for one batch: `table` holds the cases' bytes, `count` cases of them.
inline std::string FixtureProgram(const RoutineRig& rig, const std::vector<std::uint8_t>& table, std::size_t count) {
  const std::size_t outBytes = rig.outputs.size() + rig.kept.size();
  std::ostringstream a;
  a << ".include \"" << rig.device << "def.inc\"\n"
    << ".dseg\n"
    << "tptr:\t.byte 2\n"
    << "results:\t.byte " << count * outBytes << "\n"
    << ".cseg\n.org 0\n"
    << bench::StackSetup(true, "\t\t")
    << "\t\tldi\tr16,low(cases*2)\n\t\tsts\ttptr,r16\n"
    << "\t\tldi\tr16,high(cases*2)\n\t\tsts\ttptr+1,r16\n"
    << "\t\tldi\tr28,low(results)\n\t\tldi\tr29,high(results)\n"
    << "\t\tldi\tr16," << count << "\n\t\tmov\tr11,r16\n"
    << "next:\n"
    << "\t\tlds\tzl,tptr\n\t\tlds\tzh,tptr+1\n";
  for (std::size_t i = 0; i < rig.inputs.size(); ++i) a << "\t\tlpm\tr" << 2 + i << ",Z+\n";
  a << "\t\tsts\ttptr,zl\n\t\tsts\ttptr+1,zh\n";
  for (std::size_t i = 0; i < rig.inputs.size(); ++i) a << "\t\tmov\t" << rig.inputs[i] << ",r" << 2 + i << "\n";
  for (const auto& k : rig.kept) a << "\t\tldi\tr20," << int(kKeptMark) << "\n\t\tmov\t" << k << ",r20\n";
  a << "\t\trcall\t" << rig.label << "\n";
  for (const auto& o : rig.outputs) a << "\t\tst\tY+," << o << "\n";
  for (const auto& k : rig.kept) a << "\t\tst\tY+," << k << "\n";
  a << "\t\tdec\tr11\n\t\tbrne\tnext\n"
    << "done:\trjmp\tdone\n";
  // The emitted text ends its lines in CR LF; the assembler takes them as they are.
  a << rig.routine_text << "\n";
  a << bench::DbTable("cases", table);
  return a.str();
}

// Runs the cases (in batches that fit the SRAM) and returns, per case, the output bytes
// followed by the kept bytes.
inline std::vector<std::vector<std::uint8_t>> RunRoutineCases(const RoutineRig& rig,
                                                              const std::vector<std::vector<std::uint8_t>>& cases) {
  const std::size_t outBytes = rig.outputs.size() + rig.kept.size();
  bench::BatchPlan plan{.cases_per_run = std::min<std::size_t>(rig.result_bytes / std::max<std::size_t>(outBytes, 1), 200),
                        .in_bytes = rig.inputs.size(),
                        .out_bytes = outBytes,
                        .sim = {.mcu = rig.device, .frequency = 8000000},
                        .what = rig.label};
  return bench::RunInBatches(
      cases, plan, [&](const bench::Batch& b) { return FixtureProgram(rig, b.table, b.count); },
      bench::SymbolAddress("results"));
}

// Little-endian byte helpers.
using bench::GetLe;
using bench::PutLe;

// Every ordered pair of the values (each value with each, itself included).
template <typename T>
std::vector<std::pair<T, T>> Pairs(const std::vector<T>& v) {
  std::vector<std::pair<T, T>> p;
  for (T a : v)
    for (T b : v) p.push_back({a, b});
  return p;
}

// One case per pair of operands: both little-endian, `bytes` bytes each (the low bytes of
// the two's complement for negative values).
template <typename PairList>
std::vector<std::vector<std::uint8_t>> PairCases(const PairList& pairs, int bytes) {
  std::vector<std::vector<std::uint8_t>> cases;
  for (const auto& [a, b] : pairs) {
    std::vector<std::uint8_t> c;
    PutLe(c, static_cast<std::uint64_t>(a), bytes);
    PutLe(c, static_cast<std::uint64_t>(b), bytes);
    cases.push_back(std::move(c));
  }
  return cases;
}

}  // namespace qbc::test
