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
// than 2 units off, in percent. QBC_BENCH_ARGUMENTS sets the number of arguments (2800).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "benchmarks/cycles_bench.h"
#include "benchmarks/float_functions_before.h"
#include "tests/float/float_func_reference.h"
#include "tests/float/float_func_timing.h"

namespace {

namespace floattime = qbc::test::floattime;
namespace floatref = qbc::test::floatref;

enum class Version { Now, Before, AvrLibc };

std::size_t ArgumentCount() {
  const char* n = std::getenv("QBC_BENCH_ARGUMENTS");
  return n ? static_cast<std::size_t>(std::atol(n)) : 2800;
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
}

int Register() {
  const std::pair<Version, const char*> versions[] = {
      {Version::Now, "now"}, {Version::Before, "before"}, {Version::AvrLibc, "avr-libc"}};
  for (const floattime::Function& f : floattime::kFunctions)
    for (const auto& [v, label] : versions)
      qbc::bench::RegisterOnce(std::string(floatref::Name(f.fn)) + "/" + label, BM_FloatFunction, f, v);
  return 0;
}

const int kRegistered = Register();

}  // namespace

BENCHMARK_MAIN();
