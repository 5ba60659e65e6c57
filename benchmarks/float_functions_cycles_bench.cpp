// Simulator cycles and accuracy of the float functions on the ATmega88: as they are, as
// they were (benchmarks/float_functions_before.h) and avr-libc's (when avr-gcc is
// installed), over the same arguments: each function's whole domain from a fixed seed
// (tests/float/float_func_reference.h).
//
//   build/benchmarks/float_functions_cycles_bench [--benchmark_filter=Sin/]
//
// cycles: the mean per call, from the call instruction to the end of the return (Timer 1
// at the CPU clock, tests/float/float_timing.h). max_ulp: the largest error against
// MPFR at 160 bits in units of the last place; over2ulp_pct: the share of results more
// than 2 units off, in percent. stack: the most bytes any call used below its return
// address. flash_words (now and avr-libc's): what the function adds to a program on the
// ATmega8 that already does the float arithmetic (+ - * /), and under the name All the 14
// functions together. QBC_BENCH_ARGUMENTS sets the number of arguments (2800).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "benchmarks/cycles_bench.h"
#include "benchmarks/float_functions_before.h"
#include "tests/float/float_func_reference.h"
#include "tests/float/float_func_timing.h"
#include "tests/support/basic_program.h"
#include "tests/support/run_command.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace {

namespace floattime = qbc::test::floattime;
namespace floatref = qbc::test::floatref;

enum class Version { Now, Before, AvrLibc };

std::size_t ArgumentCount() {
  const char* n = std::getenv("QBC_BENCH_ARGUMENTS");
  return n ? static_cast<std::size_t>(std::atol(n)) : 2800;
}

// The BASIC expression of a function of X (and Y).
std::string Expression(const floattime::Function& f) {
  const std::string name = floatref::Name(f.fn);
  return name + (f.two_args ? "(X, Y)" : "(X)");
}

// The words of a program on the ATmega8 with the float arithmetic and `lines`.
int ProgramWords(const std::string& lines) {
  const std::string src = "$device = m8\n$clock = 8\n$stack = 64\nDim X As Float, Y As Float, R As Float\n"
                          "R = X + Y\nR = X - Y\nR = X * Y\nR = X / Y\n" + lines + "End\n";
  const qbc::test::CompiledBasic c = qbc::test::CompileBasic(src);
  const qbc::test::AsmResult a = qbc::test::AssembleAsmFile(c.asm_path);
  std::smatch m;
  if (!std::regex_search(a.output, m, std::regex(R"(Code\s*:\s*(\d+) words)"))) return -1;
  return std::stoi(m[1]);
}

// The same for avr-libc on the ATmega8: a program that calls __addsf3 .. __divsf3 and
// `symbols`, linked by avr-gcc; the text's bytes over 2.
int LibcWords(const std::string& symbols) {
  const std::string dir = qbc::test::MakeTempDir("libm_size");
  std::string s = "\t.text\n\t.global main\nmain:\n";
  for (const char* a : {"__addsf3", "__subsf3", "__mulsf3", "__divsf3"}) s += std::string("\trcall\t") + a + "\n";
  s += symbols + "\trjmp\tmain\n";
  qbc::test::WriteFile(dir + "/size.S", s);
  const auto r = qbc::test::RunShell("cd '" + dir + "' && avr-gcc -mmcu=atmega8 -Os size.S -lm -o size.elf 2>&1 && " +
                                     "avr-size -A size.elf | awk '$1==\".text\"{print $2}'");
  return r.status == 0 ? std::atoi(r.output.c_str()) / 2 : -1;
}

int FlashWords(const floattime::Function& f, Version v, bool all) {
  if (v == Version::Now) {
    static const int base = ProgramWords("");
    std::string lines;
    for (const floattime::Function& g : floattime::kFunctions)
      if ((all || g.fn == f.fn) && g.fn != floatref::Fn::DegToRad) lines += "R = " + Expression(g) + "\n";
    return ProgramWords(lines) - base;
  }
  if (v == Version::AvrLibc && floattime::HaveAvrGcc()) {
    static const int base = LibcWords("");
    std::string calls;
    for (const floattime::Function& g : floattime::kFunctions)
      if ((all || g.fn == f.fn) && g.fn != floatref::Fn::DegToRad) calls += std::string("\trcall\t") + g.libm + "\n";
    return LibcWords(calls) - base;
  }
  return -1;
}

void BM_FloatFunction(benchmark::State& state, floattime::Function f, Version v) {
  const floatref::Args args = floatref::Arguments(f.fn, ArgumentCount());
  const floattime::Operands ops = floattime::OperandsOf(args);
  floattime::Timed t;
  for (auto _ : state) {
    if (v == Version::AvrLibc) {
      if (!floattime::HaveAvrGcc()) {
        state.SkipWithError("avr-gcc is not installed (scripts/setup.sh installs it)");
        return;
      }
      t = floattime::RunAvrLibc(f.libm, ops, floattime::kLibmDegToRad);
    } else if (v == Version::Now) {
      t = floattime::RunOurs(floattime::Mega88Library() + floattime::DegToRadWrapper(0x3C8EFA35), f.ours, ops);
    } else {
      t = floattime::RunOurs(floattime::Mega88Library(false) + qbc::bench::kFloatFunctionsBefore +
                                 floattime::DegToRadWrapper(0x3C8EFA36),
                             f.ours, ops);
    }
  }
  if (!t.error.empty() || t.results.size() != args.size()) {
    state.SkipWithError(t.error.empty() ? "not every call ran" : t.error.c_str());
    return;
  }
  floatref::Errors e;
  double cycles = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    e.Add(args[i].first, args[i].second, floatref::FromBits(t.results[i]),
          floatref::Exact(f.fn, args[i].first, args[i].second));
    cycles += t.cycles[i];
  }
  state.counters["cycles"] = cycles / static_cast<double>(args.size());
  state.counters["max_ulp"] = e.max_ulp;
  state.counters["over2ulp_pct"] = 100 * e.Share();
  state.counters["stack"] = t.deepest;
  if (f.fn != floatref::Fn::DegToRad && v != Version::Before) state.counters["flash_words"] = FlashWords(f, v, false);
}

// The 14 functions together: the flash they add to the program with the float arithmetic.
void BM_AllFunctionsFlash(benchmark::State& state, Version v) {
  int words = 0;
  for (auto _ : state) words = FlashWords(floattime::kFunctions[0], v, true);
  state.counters["flash_words"] = words;
}

int Register() {
  const std::pair<Version, const char*> versions[] = {
      {Version::Now, "now"}, {Version::Before, "before"}, {Version::AvrLibc, "avr-libc"}};
  for (const floattime::Function& f : floattime::kFunctions)
    for (const auto& [v, label] : versions)
      qbc::bench::RegisterOnce(std::string(floatref::Name(f.fn)) + "/" + label, BM_FloatFunction, f, v);
  qbc::bench::RegisterOnce("All/now", BM_AllFunctionsFlash, Version::Now);
  qbc::bench::RegisterOnce("All/avr-libc", BM_AllFunctionsFlash, Version::AvrLibc);
  return 0;
}

const int kRegistered = Register();

}  // namespace

BENCHMARK_MAIN();
