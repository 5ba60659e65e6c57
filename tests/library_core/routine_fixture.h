#pragma once
// Runs one library routine on the simulator over a table of cases.
//
// The fixture program loads each case's bytes from a flash table (through r2..r9) into the
// routine's input registers, then presets the registers the routine must keep to 0xA5, calls the routine and
// stores the output registers and then the kept registers to SRAM. The table pointer and
// the results pointer live in SRAM and Y, which no arithmetic routine touches.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/frontend/state.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {

struct RoutineRig {
  std::string device = "m88";            // simulator MCU and device file (<device>def.inc)
  std::vector<std::string> inputs;       // registers loaded from each case, in byte order
  std::vector<std::string> outputs;      // registers stored after the call
  std::vector<std::string> kept;         // registers preset to 0xA5; stored after outputs
  std::string label;                     // the routine's entry label
  std::string routine_text;              // the emitted library text
};

inline constexpr std::uint8_t kKeptMark = 0xA5;

// The library text that an emitter writes for a device profile.
template <typename Emitter>
std::string EmittedText(Emitter emit, bool megaCore, float clockMHz = 8.0f) {
  CompilerState st;
  st.ResetCompilerGlobals();
  st.dev.MegaCore = megaCore;
  st.cfg.CrystalFrequency = clockMHz;
  emit(st);
  return st.out.Str();
}

inline std::string FixtureProgram(const RoutineRig& rig, const std::vector<std::vector<std::uint8_t>>& cases) {
  const std::size_t outBytes = rig.outputs.size() + rig.kept.size();
  std::ostringstream a;
  a << ".include \"" << rig.device << "def.inc\"\n"
    << ".dseg\n"
    << "tptr:\t.byte 2\n"
    << "results:\t.byte " << cases.size() * outBytes << "\n"
    << ".cseg\n.org 0\n"
    << "\t\tldi\tr16,low(RAMEND)\n\t\tout\tSPL,r16\n"
    << "\t\tldi\tr16,high(RAMEND)\n\t\tout\tSPH,r16\n"
    << "\t\tldi\tr16,low(cases*2)\n\t\tsts\ttptr,r16\n"
    << "\t\tldi\tr16,high(cases*2)\n\t\tsts\ttptr+1,r16\n"
    << "\t\tldi\tr28,low(results)\n\t\tldi\tr29,high(results)\n"
    << "\t\tldi\tr16," << cases.size() << "\n\t\tmov\tr11,r16\n"
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
  a << "cases:\n";
  for (const auto& c : cases) {
    std::vector<std::uint8_t> bytes = c;
    if (bytes.size() % 2) bytes.push_back(0);
    a << "\t.db\t";
    for (std::size_t i = 0; i < bytes.size(); ++i) a << (i ? "," : "") << int(bytes[i]);
    a << "\n";
  }
  return a.str();
}

// Runs the cases (in batches that fit the SRAM) and returns, per case, the output bytes
// followed by the kept bytes.
inline std::vector<std::vector<std::uint8_t>> RunRoutineCases(const RoutineRig& rig,
                                                              const std::vector<std::vector<std::uint8_t>>& cases) {
  std::vector<std::vector<std::uint8_t>> results;
  const std::size_t outBytes = rig.outputs.size() + rig.kept.size();
  const std::size_t batch = 700 / (outBytes ? outBytes : 1) < 200 ? 700 / (outBytes ? outBytes : 1) : 200;
  for (std::size_t start = 0; start < cases.size(); start += batch) {
    std::vector<std::vector<std::uint8_t>> part(cases.begin() + static_cast<std::ptrdiff_t>(start),
                                                cases.begin() + static_cast<std::ptrdiff_t>(std::min(cases.size(), start + batch)));
    std::string program = FixtureProgram(rig, part);
    AsmResult asmResult = AssembleAsm(program);
    if (!asmResult.ok) {
      ADD_FAILURE() << "assembling failed:\n" << asmResult.output;
      return {};
    }
    SimRunner sim({.mcu = rig.device, .frequency = 8000000});
    if (!sim.Load(asmResult.hex_path, asmResult.map_path)) {
      ADD_FAILURE() << sim.Error();
      return {};
    }
    SimStop stop = sim.Run();
    if (stop != SimStop::EndLoop) {
      ADD_FAILURE() << "simulation stopped: " << SimStopName(stop) << "\n" << sim.Log();
      return {};
    }
    const std::uint32_t base = *sim.Symbol("results");
    for (std::size_t i = 0; i < part.size(); ++i) {
      std::vector<std::uint8_t> out;
      for (std::size_t b = 0; b < outBytes; ++b) out.push_back(sim.Sram(base + static_cast<std::uint32_t>(i * outBytes + b)));
      results.push_back(out);
    }
  }
  return results;
}

// Little-endian byte helpers.
inline void PutLe(std::vector<std::uint8_t>& v, std::uint64_t x, int bytes) {
  for (int i = 0; i < bytes; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}
inline std::uint64_t GetLe(const std::vector<std::uint8_t>& v, std::size_t at, int bytes) {
  std::uint64_t x = 0;
  for (int i = bytes - 1; i >= 0; --i) x = (x << 8) | v.at(at + static_cast<std::size_t>(i));
  return x;
}

}  // namespace qbc::test
