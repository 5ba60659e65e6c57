// Compile throughput: source lines per second for generated programs of assignments and
// expressions over every numeric type, compiled by the whole driver (first pass, head,
// statement loop, link step). The counters also show the output bytes per source line and
// the process's peak memory, which must stay flat as programs grow (beyond the output).
//
// The 4,000-line program is the largest of them a chip's flash holds (the ATmega2560's):
// avra assembles its output whole, and the counters compare the compile step's CPU time
// with avra's (compile_cpu_ms, avra_cpu_ms, compile_over_avra; avra is QBC_AVRA or the
// one on the PATH). Every program's output is read once for its hardware stack's depth:
// the compile step stays well below avra's assembly (at most 0.3 of it), and a program
// with one small handler takes at most 1.3 times the compile CPU of the same program
// without (over_without_handler). The depth is walked over the output's steps (jumps,
// branches, skips, calls, returns, data), each run of lines between them one record, so a
// program without handlers keeps no record per line. Against the compiler from before every
// program was read (instructions counted by callgrind, which load does not move): 1.05 times
// at 4,000 lines, 1.06 at 10,000, 20,000 and 30,000 (1.27 at 30,000 when every line had its
// record); peak memory 10.4 -> 10.9 MB at 4,000 lines, 37.4 -> 39.1 MB at 30,000 (62 MB with
// a record per line). compile_over_avra about 0.08 at 4,000 lines; over_without_handler
// 1.1-1.2, measured under load.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

// `handler`: the program also has one small interrupt handler (a counter).
std::string Program(int lines, const char* device, bool handler) {
  std::ostringstream s;
  s << "$device = " << device << "\n$clock = 8\n$stack = 32\n"
       "Dim A As Byte, B As Byte, C As Byte, I As Integer, J As Integer, W As Word, L As Long, F As Float\n"
       "Dim Flag As Bit, Ab(20) As Byte, Aw(20) As Word, Al(20) As Long\n"
       "Dim Tb(4) As Flash Byte, Tw(4) As Flash Word\n";
  int n = 6;
  if (handler) {
    s << "Declare Interrupt Ovf0()\nDim Ticks As Word\n";
    n += 5;
  }
  for (int k = 0; n < lines - 3; ++k, ++n) s << kStatements[k % (sizeof kStatements / sizeof *kStatements)] << "\n";
  s << "End\n";
  if (handler) s << "Interrupt Ovf0()\nTicks = Ticks + 1\nEnd Interrupt\n";
  s << "Tb = 1, 2, 3, 4\nTw = 10, 20, 30, 40\n";
  return s.str();
}

double CpuMs(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double ChildrenCpuMs() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return (static_cast<double>(u.ru_utime.tv_sec) + static_cast<double>(u.ru_stime.tv_sec)) * 1e3 +
         (static_cast<double>(u.ru_utime.tv_usec) + static_cast<double>(u.ru_stime.tv_usec)) / 1e3;
}

// avra's CPU time for assembling `asmPath` (as the assembler front end runs it: in the
// file's folder, with the installation's inc folder), the least of `runs`; 0 when it
// cannot be run or fails.
double AvraCpuMs(const std::string& dir, const std::string& asmPath, int runs) {
  const char* env = std::getenv("QBC_AVRA");
  const std::string avra = env != nullptr && *env != 0 ? env : "avra";
  double best = 0;
  for (int i = 0; i < runs; ++i) {
    const double before = ChildrenCpuMs();
    const pid_t pid = fork();
    if (pid < 0) return 0;
    if (pid == 0) {
      if (chdir(dir.c_str()) != 0) _exit(127);
      const std::string inc = std::string(QBC_BIN_DIR) + "/inc";
      const std::string hex = dir + "/avra.hex", eep = dir + "/avra.eep", obj = dir + "/avra.obj";
      std::freopen("/dev/null", "w", stdout);
      std::freopen("/dev/null", "w", stderr);
      execlp(avra.c_str(), avra.c_str(), "-I", inc.c_str(), "-o", hex.c_str(), "-e", eep.c_str(), "-d", obj.c_str(),
             asmPath.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 0;
    const double ms = ChildrenCpuMs() - before;
    best = best == 0 ? ms : std::min(best, ms);
  }
  return best;
}

long PeakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

void CompileProgram(benchmark::State& state, bool handler) {
  const int lines = static_cast<int>(state.range(0));
  const std::string dir = std::filesystem::temp_directory_path() / ("qbc-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::error_code ec;
  std::filesystem::create_directory_symlink(std::string(QBC_BIN_DIR) + "/inc", dir + "/inc", ec);
  const bool fits = lines <= 4000;
  const std::string source = Program(lines, fits ? "m2560" : "m128", handler);
  const std::string plain = Program(lines, fits ? "m2560" : "m128", false);
  { std::ofstream(dir + "/tmp.tmp", std::ios::binary) << source; }
  const std::string doc = dir + "/bench.bas";

  qbc::ReportSink report;
  auto st = std::make_unique<qbc::CompilerState>();
  st->report = &report;
  std::size_t outputBytes = 0;
  int errors = 0;
  double compileMs = 0;
  double plainMs = 0;  // the same program without its handler, compiled beside it
  for (auto _ : state) {
    if (handler) {
      state.PauseTiming();
      { std::ofstream(dir + "/tmp.tmp", std::ios::binary) << plain; }
      const double before = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
      qbc::CompileProgram(*st, doc, dir + "/");
      plainMs += CpuMs(CLOCK_PROCESS_CPUTIME_ID) - before;
      { std::ofstream(dir + "/tmp.tmp", std::ios::binary) << source; }
      state.ResumeTiming();
    }
    const double before = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
    qbc::CompileProgram(*st, doc, dir + "/");
    compileMs += CpuMs(CLOCK_PROCESS_CPUTIME_ID) - before;
    outputBytes = st->out.Str().size();
    errors = st->ErrorCount;
  }
  compileMs /= static_cast<double>(state.iterations());
  plainMs /= static_cast<double>(state.iterations());
  if (handler) state.counters["over_without_handler"] = plainMs > 0 ? compileMs / plainMs : 0;
  if (fits) {
    const double avraMs = AvraCpuMs(dir, dir + "/bench.asm", 3);
    state.counters["compile_cpu_ms"] = compileMs;
    state.counters["avra_cpu_ms"] = avraMs;
    state.counters["compile_over_avra"] = avraMs > 0 ? compileMs / avraMs : 0;
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

void BM_CompileProgram(benchmark::State& state) { CompileProgram(state, false); }
// The same program with one small handler (a counter), and its compile CPU over that of the
// program without it (over_without_handler): every program's code is read once for the
// depth of its hardware stack, from each routine's figure, and a handler adds only the
// walk of its own code and the placing of its entry and exit.
void BM_CompileProgramWithHandler(benchmark::State& state) { CompileProgram(state, true); }

// The source line counter of the front end is 16-bit: programs stay below 32767 lines.
BENCHMARK(BM_CompileProgram)->Arg(4000)->Arg(10000)->Arg(20000)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileProgramWithHandler)->Arg(4000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
