#pragma once
// What the cycle benchmarks share: a measurement is a run on the simulator, whose cycles
// come out the same every time, so each benchmark runs once and reports its counters
// (the host's time is only what the run took).
#include <benchmark/benchmark.h>

#include <string>
#include <utility>

namespace qbc::bench {

template <class Function, class... Args>
void RegisterOnce(const std::string& name, Function function, Args&&... args) {
  benchmark::RegisterBenchmark(name.c_str(), function, std::forward<Args>(args)...)
      ->Iterations(1)
      ->Unit(benchmark::kMillisecond);
}

}  // namespace qbc::bench
