// Simulator cycles per multiply, from the call (or the inline instructions) to the result:
// 8-bit (byte), 16-bit (integer and word), 32-bit (long) and float multiply, and the float
// square root, on an ATmega8 (classic mega), an ATmega88 (newer mega) and an ATtiny85 (no
// multiplier), with the shift-and-add forms and, where the chip has the multiplier, the mul
// forms. The label tells which form the compiler used for the chip before it chose by the
// multiplier (by the MegaCore family: no newer mega, and never for floats) and which it
// uses now.
//
//   build/benchmarks/multiply_cycles_bench
//
// Each figure is the mean over a table of operands: a loop that loads each case and runs
// the operation, less the same loop without it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "benchmarks/cycles_bench.h"
#include "compiler/base/state.h"
#include "compiler/library/core/float_core.h"
#include "compiler/library/core/float_functions.h"
#include "compiler/library/core/int_multiply.h"
#include "tests/support/routine_bench.h"
#include "tests/support/sim_runner.h"

namespace {

using qbc::CompilerState;
namespace test = qbc::test;

struct BenchChip {
  const char* name;  // device file name
  const char* mcu;   // simulator
  bool multiplier;
  bool mega_core;  // the family that chose the mul forms before
};

const BenchChip kChips[] = {
    {"m8", "atmega8", true, true},
    {"m88", "atmega88", true, false},
    {"tn85", "attiny85", false, false},
};

enum class Op { Byte, Integer, Word, Long, Float, Sqrt };

struct OpInfo {
  const char* name;
  std::vector<const char*> inputs;  // registers loaded from each case, low byte first
  bool has_mul_form;
};

OpInfo Info(Op op) {
  switch (op) {
    case Op::Byte: return {"byte", {"zl", "r24"}, true};
    case Op::Integer: return {"integer", {"zl", "zh", "r24", "r25"}, true};
    case Op::Word: return {"word", {"zl", "zh", "r24", "r25"}, true};
    case Op::Long: return {"long", {"zl", "zh", "r18", "r19", "r24", "r25", "r16", "r17"}, true};
    case Op::Float: return {"float", {"r22", "r23", "r24", "r25", "r18", "r19", "r20", "r21"}, true};
    case Op::Sqrt: return {"float_sqrt", {"r22", "r23", "r24", "r25"}, false};
  }
  return {};
}

// The operation as the generated code runs it, and the library it needs.
struct Code {
  std::string op;
  std::string library;
};

Code CodeFor(Op op, bool mul) {
  CompilerState st;
  st.ResetCompilerGlobals();
  st.dev.HardwareMultiplier = mul;
  std::string line;
  switch (op) {
    case Op::Byte:
      if (mul) return {"\tmul\tzl,r24\n\tmovw\tzl,r0\n", ""};
      qbc::EmitMpy8uRoutine(st);
      line = "\trcall\tMpy8u\n";
      break;
    case Op::Integer:
      if (mul) {
        qbc::EmitMp16uRoutine(st);
        line = "\trcall\tMp16u\n";
      } else {
        qbc::EmitMp16sRoutine(st);
        line = "\trcall\tMp16s\n";
      }
      break;
    case Op::Word:
      qbc::EmitMp16uRoutine(st);
      line = "\trcall\tMp16u\n";
      break;
    case Op::Long:
      qbc::EmitMul32Routine(st);
      line = "\trcall\tMul32\n";
      break;
    case Op::Float:
      qbc::EmitFloatCoreRoutines(st);
      qbc::EmitFloatMulRoutine(st);
      line = "\trcall\t_Fmul\n";
      break;
    case Op::Sqrt:
      qbc::EmitFloatCoreRoutines(st);
      qbc::EmitFloatSqrtRoutine(st);
      line = "\trcall\t_Fsqrt\n";
      break;
  }
  return {line, st.out.Str()};
}

// Operands: random integers; floats of everyday size (random signs and mantissas,
// magnitudes 2^-12 .. 2^12), positive for the square root.
std::vector<uint8_t> Operands(Op op, int count) {
  std::mt19937 rng(88);
  std::vector<uint8_t> bytes;
  const size_t per = Info(op).inputs.size();
  for (int i = 0; i < count; ++i) {
    for (size_t k = 0; k < per; k += 4) {
      uint32_t v = rng();
      if (op == Op::Float || op == Op::Sqrt) {
        v = (v & 0x807FFFFFu) | ((115u + rng() % 25) << 23);
        if (op == Op::Sqrt) v &= 0x7FFFFFFFu;
      }
      for (size_t b = 0; b < 4 && k + b < per; ++b) bytes.push_back(static_cast<uint8_t>(v >> (8 * b)));
    }
  }
  return bytes;
}

constexpr int kCases = 200;

uint64_t LoopCycles(const BenchChip& chip, Op op, const Code& code, bool with_op, std::string& error) {
  std::string p = test::DeviceInclude(chip.name) + "\n\t.cseg\n\t.org 0\n";
  p += test::bench::StackSetup(true);
  p += "\tldi\tr16,low(_Cases*2)\n\tmov\tr8,r16\n\tldi\tr16,high(_Cases*2)\n\tmov\tr9,r16\n";
  p += "\tldi\tr16," + std::to_string(kCases) + "\n\tmov\tr10,r16\n";
  p += "_Next:\tmov\tzl,r8\n\tmov\tzh,r9\n";
  for (const char* r : Info(op).inputs) p += std::string("\tlpm\t") + r + ",Z+\n";
  p += "\tmov\tr8,zl\n\tmov\tr9,zh\n";
  if (with_op) p += code.op;
  p += "\tdec\tr10\n\tbrne\t_Next\n_End:\trjmp\t_End\n";
  p += code.library + "\n";
  p += test::bench::DbTable("_Cases", Operands(op, kCases));
  const test::AsmResult a = test::AssembleAsm(p);
  if (!a.ok) {
    error = a.output;
    return 0;
  }
  test::SimRunner sim({.mcu = chip.mcu, .frequency = 8000000, .max_cycles = 50'000'000});
  if (!sim.Load(a.hex_path, a.map_path)) {
    error = sim.Error();
    return 0;
  }
  if (sim.Run() != test::SimStop::EndLoop) {
    error = "the loop did not end: " + sim.Log();
    return 0;
  }
  return sim.Cycles();
}

void BM_Multiply(benchmark::State& state, BenchChip chip, Op op, bool mul) {
  const Code code = CodeFor(op, mul);
  double per_op = 0;
  for (auto _ : state) {
    std::string error;
    const uint64_t with = LoopCycles(chip, op, code, true, error);
    const uint64_t without = LoopCycles(chip, op, code, false, error);
    if (!error.empty()) {
      state.SkipWithError(error.c_str());
      return;
    }
    per_op = static_cast<double>(with - without) / kCases;
  }
  state.counters["cycles"] = per_op;
  // The square root's digit-by-digit form is new on every chip (its Heron iteration took
  // about 2,700 cycles).
  const bool square_root = op == Op::Sqrt;
  const bool now = square_root || mul == chip.multiplier;
  const bool before = !square_root && mul == (chip.mega_core && op != Op::Float);
  state.SetLabel(now && before ? "used before and now" : now ? "used now" : before ? "used before" : "");
}

int Register() {
  const Op ops[] = {Op::Byte, Op::Integer, Op::Word, Op::Long, Op::Float, Op::Sqrt};
  for (const BenchChip& chip : kChips) {
    for (Op op : ops) {
      for (bool mul : {false, true}) {
        if (mul && (!chip.multiplier || !Info(op).has_mul_form)) continue;
        const std::string name = std::string(chip.name) + "/" + Info(op).name + "/" +
                                 (op == Op::Sqrt ? "digit-by-digit" : mul ? "mul" : "shift-and-add");
        qbc::bench::RegisterOnce(name, BM_Multiply, chip, op, mul);
      }
    }
  }
  return 0;
}

const int kRegistered = Register();

}  // namespace

BENCHMARK_MAIN();
