#pragma once
// Runs one float routine over a table of operands on a simulated chip, ours or avr-libc's
// (built by avr-gcc), and reads back each result and the cycles of each call. Both are
// called the same way: the first operand in r25..r22, the second in r21..r18, the result
// in r25..r22 (avr-gcc's convention for float arguments is the float library's). Each call
// is timed with Timer 1 at the CPU clock; the time of a call of an empty routine is taken
// off and the call and return added back, so a figure is the cycles from the call
// instruction to the end of the return.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/routine_bench.h"
#include "tests/support/run_command.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc::test::floattime {

using Operands = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

struct Timed {
  std::vector<std::uint32_t> results;
  std::vector<int> cycles;
  int deepest = 0;    // the most stack bytes any call used below its return address
  std::string error;  // empty when every batch ran
};

// The stack the calls use is filled with kStackFill from the chip's stack_floor up to the
// byte below the return address before the loop; the lowest byte changed is the deepest use.
inline constexpr std::uint8_t kStackFill = 0xA5;

// A chip the calls are timed on.
struct TimingChip {
  const char* device;    // the device file's name: "m88" for m88def.inc
  const char* mcu;       // the simulator's and avr-gcc's name
  bool timer_in_io;      // Timer 1's registers lie in the I/O space (in, out), not only in the data space
  bool call;             // the routine is called with call (4 cycles and ret 4), else rcall (3 and 4)
  std::size_t per_run;   // calls one program times: 6 bytes of results each from 0x0100 on
  std::uint32_t ramend;       // the last SRAM address, where the stack starts
  std::uint32_t stack_floor;  // above the results: the stack is measured from here up
};
inline constexpr TimingChip kMega88{"m88", "atmega88", false, false, 120, 0x4FF, 0x400};
inline constexpr TimingChip kMega32{"m32", "atmega32", true, true, 280, 0x85F, 0x800};

// The timing loop around a call of `target` in avra (`gnu` false) or GNU syntax; results
// (timer count, then A) from 0x0100 on, 6 bytes a call.
inline std::string TimingLoop(const TimingChip& chip, bool gnu, const std::string& target, std::size_t n) {
  const std::string lo = gnu ? "lo8" : "low", hi = gnu ? "hi8" : "high";
  const std::string table = gnu ? "cases" : "cases*2";
  auto io = [gnu](const char* r) { return gnu ? std::string("_SFR_IO_ADDR(") + r + ")" : std::string(r); };
  auto write = [&](const char* r, const char* from) {
    return chip.timer_in_io ? "\tout\t" + io(r) + "," + from + "\n" : std::string("\tsts\t") + r + "," + from + "\n";
  };
  auto read = [&](const char* to, const char* r) {
    return chip.timer_in_io ? std::string("\tin\t") + to + "," + io(r) + "\n" : std::string("\tlds\t") + to + "," + r + "\n";
  };
  std::string p;
  p += "\tldi\tr16," + lo + "(RAMEND)\n\tout\t" + io("SPL") + ",r16\n";
  p += "\tldi\tr16," + hi + "(RAMEND)\n\tout\t" + io("SPH") + ",r16\n";
  // fill the stack below the loop's four pushes and the return address (RAMEND - 6 down)
  p += "\tldi\tr26," + lo + "(" + std::to_string(chip.stack_floor) + ")\n\tldi\tr27," + hi + "(" +
       std::to_string(chip.stack_floor) + ")\n\tldi\tr16," + std::to_string(kStackFill) + "\n";
  p += "fill:\tst\tX+,r16\n\tcpi\tr26," + lo + "(RAMEND-5)\n\tldi\tr17," + hi + "(RAMEND-5)\n";
  p += "\tcpc\tr27,r17\n\tbrne\tfill\n";
  p += "\tclr\tr1\n\tclr\tr7\n\tldi\tr16,1\n" + write("TCCR1B", "r16");
  p += "\tldi\tr28,0x00\n\tldi\tr29,0x01\n";
  p += "\tldi\tr30," + lo + "(" + table + ")\n\tldi\tr31," + hi + "(" + table + ")\n";
  p += "\tldi\tr16," + lo + "(" + std::to_string(n) + ")\n\tldi\tr17," + hi + "(" + std::to_string(n) + ")\n";
  p += "next:\n";
  for (const char* r : {"r22", "r23", "r24", "r25", "r18", "r19", "r20", "r21"}) p += std::string("\tlpm\t") + r + ",Z+\n";
  p += "\tpush\tr30\n\tpush\tr31\n\tpush\tr16\n\tpush\tr17\n" + write("TCNT1H", "r1") + write("TCNT1L", "r1");
  p += std::string(chip.call ? "\tcall\t" : "\trcall\t") + target + "\n";
  p += read("r26", "TCNT1L") + read("r27", "TCNT1H") + "\tclr\tr1\n";
  p += "\tst\tY+,r26\n\tst\tY+,r27\n\tst\tY+,r22\n\tst\tY+,r23\n\tst\tY+,r24\n\tst\tY+,r25\n";
  p += "\tpop\tr17\n\tpop\tr16\n\tpop\tr31\n\tpop\tr30\n";
  p += "\tsubi\tr16,1\n\tsbci\tr17,0\n\tbreq\tdone\n\trjmp\tnext\ndone:\trjmp\tdone\n";
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

inline void Collect(const SimRunner& sim, std::size_t n, Timed& out, bool results, const TimingChip& chip) {
  std::uint32_t low = chip.stack_floor;
  while (low <= chip.ramend - 6 && sim.Sram(low) == kStackFill) ++low;
  out.deepest = std::max(out.deepest, static_cast<int>(chip.ramend - 6 + 1 - low));
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t at = 0x100 + 6 * static_cast<std::uint32_t>(i);
    out.cycles.push_back(sim.SramWord(at));
    if (results) out.results.push_back(sim.SramLong(at + 2));
  }
}

// Runs a program that `build` writes for cases [first, first + n) and returns its hex path.
template <class Build>
Timed RunBatches(const TimingChip& chip, const Operands& ops, const std::string& target, Build build) {
  Timed out;
  auto run = [&](const std::string& entry, std::size_t first, std::size_t n, bool results) {
    const std::string hex = build(entry, first, n, out.error);
    if (hex.empty()) return false;
    SimRunner sim({.mcu = chip.mcu, .frequency = 16000000, .max_cycles = 40'000'000});
    if (!sim.Load(hex)) {
      out.error = sim.Error();
      return false;
    }
    if (const SimStop s = sim.Run(); s != SimStop::EndLoop) {
      out.error = target + ": " + SimStopName(s) + " " + sim.Log();
      return false;
    }
    Collect(sim, n, out, results, chip);
    return true;
  };
  if (!run("empty", 0, 1, false)) return out;
  const int empty = out.cycles.front();
  out.cycles.clear();
  for (std::size_t first = 0; first < ops.size(); first += chip.per_run)
    if (!run(target, first, std::min(chip.per_run, ops.size() - first), true)) return out;
  const int call_and_return = chip.call ? 8 : 7;
  for (int& c : out.cycles) c = c - empty + call_and_return;
  return out;
}

// Ours: `library` is the routines' text for the chip.
inline Timed RunOurs(const std::string& library, const std::string& entry, const Operands& ops,
                     const TimingChip& chip = kMega88) {
  return RunBatches(chip, ops, entry,
                    [&](const std::string& target, std::size_t first, std::size_t n, std::string& error) {
                      std::string p = DeviceInclude(chip.device) + "\n\t.cseg\n\t.org 0\n" +
                                      TimingLoop(chip, false, target, n) + library;
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

// avr-libc's `symbol` (sin, atan2, __addsf3, ...), linked from libm by avr-gcc; `extra`:
// more routines in GNU syntax (wrappers).
inline Timed RunAvrLibc(const std::string& symbol, const Operands& ops, const std::string& extra = "",
                        const TimingChip& chip = kMega88) {
  return RunBatches(chip, ops, symbol,
                    [&](const std::string& target, std::size_t first, std::size_t n, std::string& error) {
                      const std::string dir = MakeTempDir("libm_timing");
                      // libm's coefficient tables come first in the flash: the reset jumps over them.
                      std::string s = "#include <avr/io.h>\n\t.section .vectors,\"ax\",@progbits\n\trjmp\tmain\n";
                      s += "\t.text\n\t.global main\nmain:\n" + TimingLoop(chip, true, target, n) + extra;
                      s += "cases:\n" + CaseBytes(ops, first, n, ".byte");
                      WriteFile(dir + "/drv.S", s);
                      const CommandResult r =
                          RunShell("cd '" + dir + "' && avr-gcc -mmcu=" + chip.mcu +
                                   " -Os -nostartfiles drv.S -lm -o drv.elf 2>&1 && avr-objcopy -O ihex drv.elf drv.hex 2>&1");
                      if (r.status != 0) {
                        error = r.output;
                        return std::string();
                      }
                      return dir + "/drv.hex";
                    });
}

}  // namespace qbc::test::floattime
