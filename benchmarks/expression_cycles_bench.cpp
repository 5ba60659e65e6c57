// Simulator cycles of statements as the compiler writes them: Integer and Long division and
// Mod by a constant power of two, an Incr index and an On selector worked out of Byte
// operands, on an ATmega8.
//
//   build/benchmarks/expression_cycles_bench
//
// Each figure is one statement's cycles: a BASIC loop of 200 rounds that runs it, less the
// same loop without it, over 200. The operands change every round (negative dividends
// among them). "all" runs the four divisions in one loop and counts every cycle to End.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "benchmarks/cycles_bench.h"
#include "tests/support/basic_program.h"

namespace {

namespace test = qbc::test;

constexpr int kRounds = 200;

struct Case {
  const char* name;
  const char* statement;  // run once a round; empty: the four divisions of "all"
};

const Case kCases[] = {
    {"integer/divide_by_4", "R = I / 4"},
    {"integer/mod_4", "R = I Mod 4"},
    {"long/divide_by_16", "Q = L / 16"},
    {"long/mod_16", "Q = L Mod 16"},
    {"incr/index_mod_3", "Incr A(N Mod 3)"},
    {"incr/index_divided", "Incr A(N / K)"},
    {"on/selector_mod_3", "On N Mod 3 Goto T0 , T1 , T2"},
};

// The loop, with `statement` in each round or without it.
std::string Program(const std::string& statement) {
  std::string src =
      "$device = m8\n$clock = 8\n$stack = 64\n"
      "Dim I As Integer , R As Integer , L As Long , Q As Long , N As Byte , K As Byte , A(100) As Byte\n"
      "I = 1000 : L = 70000 : K = 20\n"
      "For N = 1 To " +
      std::to_string(kRounds) +
      "\n"
      "  I = I - 97 : L = L - 9001\n";
  src += "  " + statement + "\n";
  src += "T0:\nT1:\nT2:\nNext\nEnd\n";
  return src;
}

std::uint64_t Cycles(const std::string& source, std::string& error) {
  auto run = test::RunBasic(source, "atmega8", 50'000'000);
  if (!run->ok) {
    error = run->Diagnostics();
    return 0;
  }
  return run->sim->Cycles();
}

void BM_Statement(benchmark::State& state, Case c) {
  double per = 0;
  for (auto _ : state) {
    std::string error;
    const std::uint64_t with = Cycles(Program(c.statement), error);
    const std::uint64_t without = Cycles(Program(""), error);
    if (!error.empty()) {
      state.SkipWithError(error.c_str());
      return;
    }
    per = static_cast<double>(with - without) / kRounds;
  }
  state.counters["cycles"] = per;
}

void BM_All(benchmark::State& state) {
  std::uint64_t total = 0;
  for (auto _ : state) {
    std::string error;
    total = Cycles(Program("R = I / 4 : R = I Mod 4 : Q = L / 16 : Q = L Mod 16"), error);
    if (!error.empty()) {
      state.SkipWithError(error.c_str());
      return;
    }
  }
  state.counters["cycles_to_end"] = static_cast<double>(total);
}

int Register() {
  for (const Case& c : kCases) qbc::bench::RegisterOnce(c.name, BM_Statement, c);
  qbc::bench::RegisterOnce("all_four_divisions", BM_All);
  return 0;
}

const int kRegistered = Register();

}  // namespace

BENCHMARK_MAIN();
