// Simulator cycles and flash bytes of a float's text: the float-to-text routine _Fstr as
// it is (digits from an integer product, exactly rounded) and as it was (scaling through
// the power routine and float multiplies; benchmarks/float_text_before.h), and avr-libc's
// dtostre for comparison (when avr-gcc is installed), on an ATmega8 (classic mega), an
// ATmega88 (newer mega) and an ATtiny85 (no multiplier).
//
//   build/benchmarks/float_text_cycles_bench
//
// cycles: the mean over a table of everyday floats (random signs and significands,
// magnitudes 1e-6 .. 1e6) with six decimals, as Print writes a float: a loop that loads
// each case and converts it, less the same loop without the conversion.
// bytes: what the text adds to a program that already does float arithmetic (the float
// core, add, multiply, divide); bytes_alone: the text and every routine it needs, in a
// program with no other float routine. For dtostre both are the library's code that the
// call links in (avr-gcc -Os), less the same program without the call.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "benchmarks/cycles_bench.h"
#include "benchmarks/float_text_before.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/base/state.h"
#include "compiler/library/core/float_core.h"
#include "compiler/library/core/float_functions.h"
#include "compiler/library/core/float_text.h"
#include "tests/support/routine_bench.h"
#include "tests/support/run_command.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace {

using qbc::CompilerState;
namespace test = qbc::test;

struct BenchChip {
  const char* name;  // device file name
  const char* mcu;   // simulator and avr-gcc
  std::int32_t ram_start, ram_end;
  bool multiplier;
  bool mega_core, tiny_lpm;
};

const BenchChip kChips[] = {
    {"m8", "atmega8", 0x60, 0x45F, true, true, false},
    {"m88", "atmega88", 0x100, 0x4FF, true, true, false},
    {"tn85", "attiny85", 0x60, 0x25F, false, false, true},
};

enum class Routine { Now, Before, Dtostre };

std::unique_ptr<CompilerState> StateFor(const BenchChip& chip) {
  auto st = std::make_unique<CompilerState>();
  st->ResetCompilerGlobals();
  test::bench::SetChipProfile(*st, {.ram_start = chip.ram_start,
                                    .ram_end = chip.ram_end,
                                    .flash_bytes = 8192,
                                    .mega_core = chip.mega_core,
                                    .tiny_lpm = chip.tiny_lpm,
                                    .multiplier = chip.multiplier});
  st->dev.MovwInstruction = true;
  return st;
}

// The float arithmetic a program has before its first float text.
std::string Arithmetic(const BenchChip& chip) {
  auto st = StateFor(chip);
  qbc::EmitFloatCoreRoutines(*st);
  qbc::EmitFloatAddSubRoutine(*st);
  qbc::EmitFloatMulRoutine(*st);
  qbc::EmitFloatDivRoutine(*st);
  return st->out.Str();
}

// The text routine and what it needs beyond the arithmetic.
std::string TextRoutines(const BenchChip& chip, Routine r) {
  auto st = StateFor(chip);
  if (r == Routine::Now) {
    qbc::EmitFloatStrRoutine(*st);
    return st->out.Str();
  }
  // The power is in the program as a call of Pow would put it there, with what its text
  // links beside it.
  st->used.Set(qbc::NeedFpow);
  qbc::EmitFloatPowRoutine(*st);
  qbc::EmitFloatPotRoutine(*st);
  qbc::EmitFloatLogRoutine(*st);
  qbc::EmitFloatExpRoutine(*st);
  qbc::EmitFloatToExpRoutine(*st);
  qbc::EmitFloatModfRoutine(*st);
  return st->out.Str() + qbc::bench::kFloatStrBefore;
}

std::vector<std::uint32_t> Values(int count) {
  std::mt19937 rng(46);
  std::vector<std::uint32_t> v;
  while (static_cast<int>(v.size()) < count) {
    const float f = std::pow(10.0f, static_cast<float>(rng() % 1200000) / 100000.0f - 6.0f);
    std::uint32_t b;
    std::memcpy(&b, &f, 4);
    b ^= static_cast<std::uint32_t>(rng()) & 0x8000003Fu;  // a sign and a few low bits
    v.push_back(b);
  }
  return v;
}

constexpr int kCases = 100;

std::string Head(const BenchChip& chip) {
  std::string p = test::DeviceInclude(chip.name) + "\n\t.dseg\n\t.org " + std::to_string(chip.ram_start) + "\n";
  return p + "_s1tmp:\t.byte 14\n\t.cseg\n\t.org 0\n";
}

int CodeWords(const std::string& avra_output) {
  const auto at = avra_output.find("Code");
  int words = 0;
  if (at != std::string::npos) std::sscanf(avra_output.c_str() + avra_output.find(':', at) + 1, "%d", &words);
  return words;
}

struct Measure {
  double cycles = 0;
  int bytes = 0;
  int bytes_alone = 0;
  std::string error;
};

// Our routines: a loop over the case table, each float through _Fstr with six decimals.
std::uint64_t LoopCycles(const BenchChip& chip, Routine r, const std::vector<std::uint32_t>& values, bool with_call,
                         std::string& error) {
  std::string p = Head(chip) + test::bench::StackSetup(true);
  p += "\tldi\tr16,low(_Cases*2)\n\tmov\tr2,r16\n\tldi\tr16,high(_Cases*2)\n\tmov\tr3,r16\n";
  p += "\tldi\tr16," + std::to_string(values.size()) + "\n\tmov\tr4,r16\n";
  p += "_Next:\tmov\tzl,r2\n\tmov\tzh,r3\n";
  for (const char* reg : {"r22", "r23", "r24", "r25"}) p += std::string("\tlpm\t") + reg + ",Z+\n";
  p += "\tmov\tr2,zl\n\tmov\tr3,zh\n\tldi\tr19,6\n\tclr\tr7\n";
  if (with_call) p += "\trcall\t_Fstr\n";
  p += "\tdec\tr4\n\tbrne\t_Next\n_End:\trjmp\t_End\n";
  p += Arithmetic(chip) + TextRoutines(chip, r) + "\n";
  test::bench::Bytes table;
  for (std::uint32_t v : values) test::bench::PutLe(table, v, 4);
  p += test::bench::DbTable("_Cases", table);
  const test::AsmResult a = test::AssembleAsm(p);
  if (!a.ok) {
    error = a.output;
    return 0;
  }
  test::SimRunner sim({.mcu = chip.mcu, .frequency = 8000000, .max_cycles = 50'000'000});
  if (!sim.Load(a.hex_path, a.map_path) || sim.Run() != test::SimStop::EndLoop) {
    error = "the loop did not end: " + sim.Error() + sim.Log();
    return 0;
  }
  return sim.Cycles();
}

int AssembledWords(const BenchChip& chip, const std::string& routines, std::string& error) {
  const test::AsmResult a = test::AssembleAsm(Head(chip) + routines);
  if (!a.ok) error = a.output;
  return CodeWords(a.output);
}

Measure OurRoutine(const BenchChip& chip, Routine r) {
  Measure m;
  const std::vector<std::uint32_t> values = Values(kCases);
  const std::uint64_t with = LoopCycles(chip, r, values, true, m.error);
  const std::uint64_t without = LoopCycles(chip, r, values, false, m.error);
  m.cycles = static_cast<double>(with - without) / kCases;
  const int arithmetic = AssembledWords(chip, Arithmetic(chip), m.error);
  const int both = AssembledWords(chip, Arithmetic(chip) + TextRoutines(chip, r), m.error);
  m.bytes = 2 * (both - arithmetic);
  m.bytes_alone = 2 * AssembledWords(chip, r == Routine::Now ? TextRoutines(chip, r) : Arithmetic(chip) + TextRoutines(chip, r), m.error);
  return m;
}

// dtostre(value, buffer, 6, 0) over the same table, built by avr-gcc.
std::string DtostreProgram(const std::vector<std::uint32_t>& values, bool with_call) {
  std::string c = "#include <stdint.h>\n#include <stdlib.h>\n#include <string.h>\n#include <avr/pgmspace.h>\n";
  c += "static const uint32_t cases[] PROGMEM = {";
  for (std::uint32_t v : values) c += std::to_string(v) + "UL,";
  c += "};\nchar text[16];\nvolatile float sink;\n";
  c += "int main(void) {\n  for (uint8_t i = 0; i < " + std::to_string(values.size()) + "; ++i) {\n";
  c += "    uint32_t b = pgm_read_dword(&cases[i]);\n    float f;\n    memcpy(&f, &b, 4);\n";
  c += with_call ? "    dtostre(f, text, 6, 0);\n" : "    sink = f;\n";
  c += "  }\n  for (;;) {}\n}\n";
  return c;
}

struct Built {
  std::string hex;
  int bytes = 0;
};

Built BuildC(const BenchChip& chip, const std::string& source, const std::string& tag, std::string& error) {
  const std::string dir = test::MakeTempDir("dtostre");
  test::WriteFile(dir + "/p.c", source);
  const std::string base = dir + "/p_" + tag;
  const test::CommandResult cc =
      test::RunShell("avr-gcc -mmcu=" + std::string(chip.mcu) + " -Os -o '" + base + ".elf' '" + dir + "/p.c' 2>&1 && " +
                     "avr-objcopy -O ihex -R .eeprom '" + base + ".elf' '" + base + ".hex' && avr-size -A '" + base +
                     ".elf' | awk '$1==\".text\"{print $2}'");
  if (cc.status != 0) {
    error = cc.output;
    return {};
  }
  return {base + ".hex", std::atoi(cc.output.c_str())};
}

Measure Dtostre(const BenchChip& chip) {
  Measure m;
  if (test::RunShell("command -v avr-gcc >/dev/null").status != 0) {
    m.error = "avr-gcc is not installed (scripts/setup.sh installs it)";
    return m;
  }
  const std::vector<std::uint32_t> values = Values(kCases);
  auto cycles = [&](bool with_call, int& bytes) -> std::uint64_t {
    const Built b = BuildC(chip, DtostreProgram(values, with_call), with_call ? "call" : "none", m.error);
    if (b.hex.empty()) return 0;
    bytes = b.bytes;
    test::SimRunner sim({.mcu = chip.mcu, .frequency = 8000000, .max_cycles = 50'000'000});
    if (!sim.Load(b.hex) || sim.Run() != test::SimStop::EndLoop) {
      m.error = "the loop did not end: " + sim.Error();
      return 0;
    }
    return sim.Cycles();
  };
  int with_bytes = 0, without_bytes = 0;
  const std::uint64_t with = cycles(true, with_bytes);
  const std::uint64_t without = cycles(false, without_bytes);
  m.cycles = static_cast<double>(with - without) / kCases;
  m.bytes = m.bytes_alone = with_bytes - without_bytes;
  return m;
}

void BM_FloatText(benchmark::State& state, BenchChip chip, Routine r) {
  Measure m;
  for (auto _ : state) m = r == Routine::Dtostre ? Dtostre(chip) : OurRoutine(chip, r);
  if (!m.error.empty()) {
    state.SkipWithError(m.error.c_str());
    return;
  }
  state.counters["cycles"] = m.cycles;
  state.counters["bytes"] = m.bytes;
  state.counters["bytes_alone"] = m.bytes_alone;
}

int Register() {
  const std::pair<Routine, const char*> routines[] = {
      {Routine::Now, "now"}, {Routine::Before, "before"}, {Routine::Dtostre, "avr-libc dtostre"}};
  for (const BenchChip& chip : kChips)
    for (const auto& [r, label] : routines)
      qbc::bench::RegisterOnce(std::string(chip.name) + "/" + label, BM_FloatText, chip, r);
  return 0;
}

const int kRegistered = Register();

}  // namespace

BENCHMARK_MAIN();
