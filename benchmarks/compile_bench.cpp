// Compile throughput: source lines per second for generated programs of assignments and
// expressions over every numeric type, compiled by the whole driver (first pass, head,
// statement loop, link step). The counters also show the output bytes per source line and
// the process's peak memory, which must stay flat as programs grow (beyond the output).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "compiler/driver/driver.h"
#include "compiler/base/report.h"
#include "compiler/base/state.h"

namespace {

const char* const kStatements[] = {
    "A = B + 3",
    "W = W * 3 + I - 7",
    "L = L / 3 + W Mod 5",
    "Ab(I) = Ab(J) Xor 3",
    "B = Not B And &h0F",
    "I = -I * (J + 2) / 3",
    "Aw(J) = Aw(I) - &b1010",
    "F = 1.25",
    "Al(J) = L + Al(I) * 2",
    "Flag = B.3",
    "C = Tb(J) + B",
    "W = Find16(W, Tw)",
};

std::string Program(int lines) {
  std::ostringstream s;
  s << "$device = m128\n$clock = 8\n$stack = 32\n"
       "Dim A As Byte, B As Byte, C As Byte, I As Integer, J As Integer, W As Word, L As Long, F As Float\n"
       "Dim Flag As Bit, Ab(20) As Byte, Aw(20) As Word, Al(20) As Long\n"
       "Dim Tb(4) As Flash Byte, Tw(4) As Flash Word\n";
  int n = 6;
  for (int k = 0; n < lines - 3; ++k, ++n) s << kStatements[k % (sizeof kStatements / sizeof *kStatements)] << "\n";
  s << "End\nTb = 1, 2, 3, 4\nTw = 10, 20, 30, 40\n";
  return s.str();
}

long PeakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

void BM_CompileProgram(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  const std::string dir = std::filesystem::temp_directory_path() / ("qbc-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::error_code ec;
  std::filesystem::create_directory_symlink(std::string(QBC_BIN_DIR) + "/inc", dir + "/inc", ec);
  { std::ofstream(dir + "/tmp.tmp", std::ios::binary) << Program(lines); }
  const std::string doc = dir + "/bench.bas";

  qbc::ReportSink report;
  auto st = std::make_unique<qbc::CompilerState>();
  st->report = &report;
  std::size_t outputBytes = 0;
  int errors = 0;
  for (auto _ : state) {
    qbc::CompileProgram(*st, doc, dir + "/");
    outputBytes = st->out.Str().size();
    errors = st->ErrorCount;
  }
  state.SetItemsProcessed(state.iterations() * lines);
  state.counters["lines_per_second"] = benchmark::Counter(static_cast<double>(lines) * state.iterations(),
                                                          benchmark::Counter::kIsRate);
  state.counters["output_bytes_per_line"] = static_cast<double>(outputBytes) / lines;
  state.counters["peak_rss_kb"] = static_cast<double>(PeakRssKb());
  state.counters["compile_errors"] = errors;
  state.counters["compiler_failed"] = report.LastFailure().empty() ? 0 : 1;
  // peak memory of the process per output byte: flat when only the output grows
  state.counters["peak_rss_per_output_byte"] =
      static_cast<double>(PeakRssKb()) * 1024.0 / static_cast<double>(outputBytes ? outputBytes : 1);
  std::filesystem::remove_all(dir, ec);
}

// The source line counter of the front end is 16-bit: programs stay below 32767 lines.
BENCHMARK(BM_CompileProgram)->Arg(10000)->Arg(20000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
