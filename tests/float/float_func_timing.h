#pragma once
// Runs one float function over a table of operands on the simulated ATmega88, ours or
// avr-libc's (built by avr-gcc), and reads back each result and the cycles of each call.
// Both are called the same way: the first operand in r25..r22, the second in r21..r18,
// the result in r25..r22 (avr-gcc's convention for float arguments is the float
// library's). Each call is timed with Timer 1 at the CPU clock; the time of a call of an
// empty routine is taken off and the rcall and ret added back, so a figure is the cycles
// from the call instruction to the end of the return.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "compiler/base/state.h"
#include "compiler/library/core/float_core.h"
#include "compiler/library/core/float_functions.h"
#include "tests/float/float_func_reference.h"
#include "tests/support/routine_bench.h"
#include "tests/support/run_command.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc::test::floattime {

using Operands = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

struct Timed {
  std::vector<std::uint32_t> results;
  std::vector<int> cycles;
  std::string error;  // empty when every batch ran
};

// The float library for the ATmega88 (lpm Rd,Z+, mul, movw): the core, the arithmetic, the
// square root, the scaling and the splits, and with `functions` every float function.
inline std::string Mega88Library(bool functions = true) {
  CompilerState st;
  st.ResetCompilerGlobals();
  bench::SetChipProfile(st, {.ram_start = 0x100, .ram_end = 0x4FF, .flash_bytes = 8192, .mega_core = true,
                             .multiplier = true});
  st.dev.MovwInstruction = true;
  for (auto emit : {EmitFloatCoreRoutines, EmitFloatAddSubRoutine, EmitFloatMulRoutine, EmitFloatDivRoutine,
                    EmitFloatSqrtRoutine, EmitFloatToExpRoutine, EmitFloatModRoutine, EmitFloatModfRoutine})
    emit(st);
  if (functions)
    for (auto emit : {EmitFloatSinCosRoutine, EmitFloatAsinAcosRoutine, EmitFloatTanRoutine, EmitFloatQuadrantRoutine,
                      EmitFloatAtanRoutine, EmitFloatAtan2Routine, EmitFloatPowRoutine, EmitFloatPotRoutine,
                      EmitFloatLogRoutine, EmitFloatExpRoutine, EmitFloatSinhRoutine, EmitFloatCoshRoutine,
                      EmitFloatTanhRoutine})
      emit(st);
  return st.out.Str();
}

constexpr int kRcallAndRet = 7;
constexpr std::size_t kPerRun = 120;  // 6 bytes of results a call in the ATmega88's 1 KB

// The timing loop around `call target` in avra (`gnu` false) or GNU syntax; results (timer
// count, then A) from 0x0100 on, 6 bytes a call.
inline std::string TimingLoop(bool gnu, const std::string& target, std::size_t n) {
  const std::string lo = gnu ? "lo8" : "low", hi = gnu ? "hi8" : "high";
  const std::string table = gnu ? "cases" : "cases*2";
  std::string p;
  p += "\tldi\tr16," + lo + "(RAMEND)\n\tout\t" + (gnu ? "_SFR_IO_ADDR(SPL)" : "SPL") + ",r16\n";
  p += "\tldi\tr16," + hi + "(RAMEND)\n\tout\t" + (gnu ? "_SFR_IO_ADDR(SPH)" : "SPH") + ",r16\n";
  p += "\tclr\tr1\n\tclr\tr7\n\tldi\tr16,1\n\tsts\tTCCR1B,r16\n";
  p += "\tldi\tr28,0x00\n\tldi\tr29,0x01\n";
  p += "\tldi\tr30," + lo + "(" + table + ")\n\tldi\tr31," + hi + "(" + table + ")\n";
  p += "\tldi\tr16," + std::to_string(n) + "\n";
  p += "next:\n";
  for (const char* r : {"r22", "r23", "r24", "r25", "r18", "r19", "r20", "r21"}) p += std::string("\tlpm\t") + r + ",Z+\n";
  p += "\tpush\tr30\n\tpush\tr31\n\tpush\tr16\n\tsts\tTCNT1H,r1\n\tsts\tTCNT1L,r1\n";
  p += "\trcall\t" + target + "\n";
  p += "\tlds\tr26,TCNT1L\n\tlds\tr27,TCNT1H\n\tclr\tr1\n";
  p += "\tst\tY+,r26\n\tst\tY+,r27\n\tst\tY+,r22\n\tst\tY+,r23\n\tst\tY+,r24\n\tst\tY+,r25\n";
  p += "\tpop\tr16\n\tpop\tr31\n\tpop\tr30\n\tdec\tr16\n\tbreq\tdone\n\trjmp\tnext\ndone:\trjmp\tdone\n";
  p += "empty:\tret\n";
  return p;
}

inline std::string CaseBytes(const Operands& ops, std::size_t first, std::size_t n, const char* directive) {
  std::string t;
  for (std::size_t i = first; i < first + n; ++i) {
    t += std::string("\t") + directive + "\t";
    for (int k = 0; k < 8; ++k) {
      const std::uint32_t w = k < 4 ? ops[i].first : ops[i].second;
      t += bench::Hex2((w >> (8 * (k % 4))) & 0xFF) + (k < 7 ? "," : "\n");
    }
  }
  return t;
}

inline void Collect(const SimRunner& sim, std::size_t n, Timed& out, bool results) {
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t at = 0x100 + 6 * static_cast<std::uint32_t>(i);
    if (results) {
      out.cycles.push_back(sim.SramWord(at));
      out.results.push_back(sim.SramLong(at + 2));
    } else {
      out.cycles.push_back(sim.SramWord(at));
    }
  }
}

// Runs a program that `build` writes for cases [first, first + n) and returns its hex path.
template <class Build>
Timed RunBatches(const Operands& ops, const std::string& target, Build build) {
  Timed out;
  auto run = [&](const std::string& entry, std::size_t first, std::size_t n, bool results) {
    const std::string hex = build(entry, first, n, out.error);
    if (hex.empty()) return false;
    SimRunner sim({.mcu = "atmega88", .frequency = 16000000, .max_cycles = 40'000'000});
    if (!sim.Load(hex)) {
      out.error = sim.Error();
      return false;
    }
    if (const SimStop s = sim.Run(); s != SimStop::EndLoop) {
      out.error = target + ": " + SimStopName(s) + " " + sim.Log();
      return false;
    }
    Collect(sim, n, out, results);
    return true;
  };
  if (!run("empty", 0, 1, false)) return out;
  const int empty = out.cycles.front();
  out.cycles.clear();
  for (std::size_t first = 0; first < ops.size(); first += kPerRun)
    if (!run(target, first, std::min(kPerRun, ops.size() - first), true)) return out;
  for (int& c : out.cycles) c = c - empty + kRcallAndRet;
  return out;
}

// Ours: `library` is the routines' text (Mega88Library() or an older text).
inline Timed RunOurs(const std::string& library, const std::string& entry, const Operands& ops) {
  return RunBatches(ops, entry, [&](const std::string& target, std::size_t first, std::size_t n, std::string& error) {
    std::string p = DeviceInclude("m88") + "\n\t.cseg\n\t.org 0\n" + TimingLoop(false, target, n) + library;
    p += "\ncases:\n" + CaseBytes(ops, first, n, ".db");
    const AsmResult a = AssembleAsm(p);
    if (!a.ok) {
      error = a.output;
      return std::string();
    }
    return a.hex_path;
  });
}

inline bool HaveAvrGcc() { return RunShell("command -v avr-gcc >/dev/null").status == 0; }

// avr-libc's `symbol` (sin, atan2, pow, ...), linked from libm by avr-gcc; `extra`: more
// routines in GNU syntax (wrappers).
inline Timed RunAvrLibc(const std::string& symbol, const Operands& ops, const std::string& extra = "") {
  return RunBatches(ops, symbol, [&](const std::string& target, std::size_t first, std::size_t n, std::string& error) {
    const std::string dir = MakeTempDir("libm_timing");
    // libm's coefficient tables come first in the flash: the reset jumps over them.
    std::string s = "#include <avr/io.h>\n\t.section .vectors,\"ax\",@progbits\n\trjmp\tmain\n";
    s += "\t.text\n\t.global main\nmain:\n" + TimingLoop(true, target, n) + extra;
    s += "cases:\n" + CaseBytes(ops, first, n, ".byte");
    WriteFile(dir + "/drv.S", s);
    const CommandResult r = RunShell("cd '" + dir + "' && avr-gcc -mmcu=atmega88 -Os -nostartfiles drv.S -lm -o drv.elf" +
                                     " 2>&1 && avr-objcopy -O ihex drv.elf drv.hex 2>&1");
    if (r.status != 0) {
      error = r.output;
      return std::string();
    }
    return dir + "/drv.hex";
  });
}

// The functions measured: our entry and avr-libc's. DegToRad is a multiplication by the
// float nearest pi/180 on both sides (a wrapper each, DegToRadWrapper and kLibmDegToRad).
struct Function {
  floatref::Fn fn;
  const char* ours;
  const char* libm;
  bool two_args;
};
inline const Function kFunctions[] = {
    {floatref::Fn::Sin, "_Fsin", "sin", false},       {floatref::Fn::Cos, "_Fcos", "cos", false},
    {floatref::Fn::Tan, "_Ftan", "tan", false},       {floatref::Fn::Asin, "_FASin", "asin", false},
    {floatref::Fn::Acos, "_FACos", "acos", false},    {floatref::Fn::Atan, "_FAtan", "atan", false},
    {floatref::Fn::Atan2, "_FAtan2", "atan2", true},  {floatref::Fn::Sinh, "_Fsinh", "sinh", false},
    {floatref::Fn::Cosh, "_Fcosh", "cosh", false},    {floatref::Fn::Tanh, "_Ftanh", "tanh", false},
    {floatref::Fn::Exp, "_Fexp", "exp", false},       {floatref::Fn::Log, "_Fln", "log", false},
    {floatref::Fn::Log10, "_Flog", "log10", false},   {floatref::Fn::Pow, "_Fpow", "pow", true},
    {floatref::Fn::DegToRad, "_Fd2r", "d2r", false},
};
// The multiplication DegToRad compiles to, as a routine: A times the float `factor`.
inline std::string DegToRadWrapper(std::uint32_t factor) {
  std::string t = "\n_Fd2r:";
  for (int i = 0; i < 4; ++i) t += "\tldi\tr" + std::to_string(18 + i) + "," + bench::Hex2((factor >> (8 * i)) & 0xFF) + "\n";
  return t + "\trjmp\t_Fmul\n";
}
inline const char* const kLibmDegToRad = "d2r:\tldi\tr18,0x35\n\tldi\tr19,0xFA\n\tldi\tr20,0x8E\n\tldi\tr21,0x3C\n\trjmp\t__mulsf3\n";

inline Operands OperandsOf(const floatref::Args& args) {
  Operands ops;
  for (auto [x, y] : args) ops.push_back({floatref::Bits(x), floatref::Bits(y)});
  return ops;
}

}  // namespace qbc::test::floattime
