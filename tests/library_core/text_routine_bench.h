#pragma once
// Runs library routines on the simulator: a small assembler program that declares the
// system cells the routines read, sets up the stacks, runs a list of test snippets that
// call the routines and record results into an SRAM buffer, and stops. The host then
// reads the records back and compares them with a host model.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "compiler/base/state.h"
#include "tests/support/routine_bench.h"
#include "tests/support/sim_runner.h"

namespace qbc::test::libfix {

struct Device {
  std::string name;  // for messages
  std::string inc;   // device file
  std::string mcu;   // simavr name
  std::int32_t ram_end = 0;
  std::int32_t sram_start = 0;
  std::int32_t flash_bytes = 0;
  bool mega = false;
  bool tiny_lpm = false;
  bool rampz = false;
};

inline Device M8() { return {"m8", "m8def.inc", "atmega8", 0x45F, 0x60, 8192, true, false, false}; }
inline Device M128() {
  return {"m128", "m128def.inc", "atmega128", 0x10FF, 0x100, 131072, true, false, true};
}
inline Device Tn2313() {
  return {"tn2313", "tn2313def.inc", "attiny2313", 0xDF, 0x60, 2048, false, true, false};
}

// Software stack pointer Y for the tests, and the `$stack` size the routines see.
inline std::int32_t YStart(const Device& d) { return d.ram_end > 255 ? d.ram_end - 80 : d.ram_end - 40; }
inline const char* kStackSize = "24";

// End of the output buffer: below the texts the routines build under Y.
inline std::int32_t OutLimit(const Device& d) { return YStart(d) - (d.ram_end > 255 ? 48 : 16); }

// A compiler state with the device profile the emitters read.
inline void SetDevice(CompilerState& st, const Device& d) {
  st.dev.DeviceName = d.name;
  bench::SetChipProfile(st, {.ram_start = d.sram_start,
                             .ram_end = d.ram_end,
                             .flash_bytes = d.flash_bytes,
                             .mega_core = d.mega,
                             .tiny_lpm = d.tiny_lpm,
                             .rampz = d.rampz});
  st.cfg.StackSize = kStackSize;
}

using bench::Hex2;

// `ldi` of a 16-bit address into a register pair given by its low name (xl/yl/zl).
inline std::string LoadPtr(const std::string& lo, const std::string& hi, const std::string& expr) {
  return "\t\tldi\t" + lo + ",low(" + expr + ")\n\t\tldi\t" + hi + ",high(" + expr + ")\n";
}

struct Program {
  Device dev;
  std::string dseg;      // extra data declarations (before the output buffer)
  std::string routines;  // emitted library text
  std::string cseg;      // extra code/data after the routines
  std::vector<std::string> cases;  // snippets; each records its results through rec/recz
  std::uint64_t max_cycles = 20'000'000;
};

// Assembles and runs the program; returns the bytes recorded (rec/recz) in order.
inline std::vector<std::uint8_t> Run(const Program& p) {
  const Device& d = p.dev;
  std::string a;
  a += ".include \"" + d.inc + "\"\n";
  a += ".DSEG\n.ORG " + std::to_string(d.sram_start) + "\n";
  a += "_lchr:\t.byte 1\n_fmtD:\t.byte 1\n_fmtC:\t.byte 1\n_s2tmp:\t.byte 1\noutp:\t.byte 2\n";
  a += p.dseg;
  a += "outbuf:\t.byte 1\n";
  a += ".CSEG\n.ORG 0\n\t\trjmp\tmain\n";
  a += "main:\tldi\tr16,low(RAMEND)\n\t\tout\tSPL,r16\n";
  if (d.ram_end > 255) a += "\t\tldi\tr16,high(RAMEND)\n\t\tout\tSPH,r16\n";
  a += "\t\tldi\tr16,low(outbuf)\n\t\tsts\toutp,r16\n\t\tldi\tr16,high(outbuf)\n\t\tsts\toutp+1,r16\n";
  a += "\t\tclr\tr1\n";
  for (const std::string& c : p.cases) a += c;
  a += "done:\trjmp\tdone\n";
  // rec: append r16 to the output buffer. recz: append the SRAM text at Z and its 0.
  a += R"(rec:	push	xl
		push	xh
		lds	xl,outp
		lds	xh,outp+1
		st	X+,r16
		sts	outp,xl
		sts	outp+1,xh
		pop	xh
		pop	xl
		ret
recz:	push	r16
		push	zl
		push	zh
recz1:	ld	r16,Z+
		rcall	rec
		tst	r16
		brne	recz1
		pop	zh
		pop	zl
		pop	r16
		ret
)";
  a += p.routines;
  a += p.cseg;
  auto run = bench::AssembleAndRun(a, {.mcu = d.mcu, .max_cycles = p.max_cycles}, "routine bench");
  if (!run) return {};
  const SimRunner& sim = *run;
  auto ob = sim.Symbol("outbuf");
  auto op = sim.Symbol("outp");
  EXPECT_TRUE(ob && op);
  if (!ob || !op) return {};
  std::uint32_t end = sim.SramWord(*op);
  std::vector<std::uint8_t> out;
  for (std::uint32_t i = *ob; i < end; ++i) out.push_back(sim.Sram(i));
  const std::uint32_t limit = static_cast<std::uint32_t>(OutLimit(d));
  EXPECT_LE(end, limit) << "output buffer ran into the software stack area";
  return out;
}

// Bytes available for records on a device (with `extra_dseg` bytes declared before the
// buffer).
inline std::size_t OutCapacity(const Device& d, int extra_dseg = 0) {
  return static_cast<std::size_t>(OutLimit(d) - (d.sram_start + 8 + extra_dseg));
}

// Reads records from the recorded bytes.
struct Reader {
  const std::vector<std::uint8_t>& b;
  std::size_t i = 0;
  bool Ok() const { return i <= b.size(); }
  std::string Text() {  // up to and including the 0 (not returned)
    std::string s;
    while (i < b.size() && b[i] != 0) s += static_cast<char>(b[i++]);
    ++i;
    return s;
  }
  std::uint8_t Byte() { return i < b.size() ? b[i++] : (++i, 0); }
};

// Emits the routines into text with the given configuration.
inline std::string Emit(const Device& d, const std::function<void(CompilerState&)>& fn,
                        const std::function<void(CompilerState&)>& configure = nullptr) {
  auto st = std::make_unique<CompilerState>();
  SetDevice(*st, d);
  if (configure) configure(*st);
  fn(*st);
  std::string text = st->out.Str();
  std::string r;
  for (char c : text)
    if (c != '\r') r += c;
  return r;
}

// Flash text as .db lines (zero-terminated; bytes given numerically so that every
// character, the apostrophe included, survives the assembler), padded to an even count.
inline std::string FlashText(const std::string& label, const std::string& s) {
  std::vector<std::uint8_t> bytes(s.begin(), s.end());
  bytes.push_back(0);
  return bench::DbTable(label, bytes);
}

// Helpers for snippets that work on SRAM strings: the fixture code they need (copy from
// flash, fill, record a range) and a pool of flash texts.
struct StringBench {
  Program p;
  int next = 0;

  explicit StringBench(const Device& d, std::string dseg) {
    p.dev = d;
    p.dseg = std::move(dseg);
    p.cseg = R"(cpf:	lpm	r16,Z+
		st	X+,r16
		tst	r16
		brne	cpf
		ret
fill:	st	X+,r16
		dec	r17
		brne	fill
		ret
recn:	ld	r16,X+
		rcall	rec
		dec	r17
		brne	recn
		ret
)";
  }
  // A zero-terminated flash text; returns its label.
  std::string Flash(const std::string& text) {
    std::string label = "ft" + std::to_string(next++);
    p.cseg += FlashText(label, text);
    return label;
  }
  // Code that copies `text` (with its 0) into SRAM at `area`.
  std::string Put(const std::string& area, const std::string& text) {
    std::string l = Flash(text);
    return LoadPtr("zl", "zh", "2*" + l) + LoadPtr("xl", "xh", area) + "\t\trcall\tcpf\n";
  }
  static std::string Fill(const std::string& area, int n, int value) {
    return LoadPtr("xl", "xh", area) + "\t\tldi\tr16," + std::to_string(value) + "\n\t\tldi\tr17," +
           std::to_string(n) + "\n\t\trcall\tfill\n";
  }
  static std::string Record(const std::string& area, int n) {
    return LoadPtr("xl", "xh", area) + "\t\tldi\tr17," + std::to_string(n) + "\n\t\trcall\trecn\n";
  }
  // Records the low byte of reg pair lo/hi less `area` (a position inside the area).
  static std::string RecordOffset(const std::string& lo, const std::string& area) {
    return "\t\tmov\tr16," + lo + "\n\t\tsubi\tr16,low(" + area + ")\n\t\trcall\trec\n";
  }
  static std::string RecordReg(const std::string& reg) {
    return "\t\tmov\tr16," + reg + "\n\t\trcall\trec\n";
  }
  static std::string RecordSreg() { return "\t\tin\tr16,SREG\n\t\trcall\trec\n"; }
};

}  // namespace qbc::test::libfix
