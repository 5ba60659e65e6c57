// _Fstr on the simulator against its host model, thousands of floats across the whole
// exponent range at every decimal count, in each form the emitter writes: with mul and by
// shift and add, with and without movw and "lpm r,Z+", with the table read through RAMPZ
// across a 64 KB boundary and above 128 KB. The chip compares each text with the model's
// (kept beside the case in flash) and keeps the first one that differs; it also checks
// that the routine gives back every register it must keep, r7, Y, RAMPZ and the stack.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "compiler/library/core/float_text.h"
#include "tests/float/float_text_exact.h"
#include "tests/support/routine_bench.h"
#include "tests/support/sim_runner.h"

namespace qbc::test::ftext {
namespace {

struct Form {
  const char* name;
  const char* inc;  // device file
  const char* mcu;
  std::uint32_t ram_start, ram_end, flash_bytes;
  bool multiplier, movw, mega_core, tiny_lpm;
  bool rampz;
  std::uint32_t org;  // word address of the routine (0: right behind the fixture)
  bool straddle;      // move the routine so that its table crosses org * 2
};

const Form kMega128Mul{"m128 mul, table across 64 KB", "m128def.inc", "atmega128", 0x100, 0x10FF, 131072,
                       true, true, true, false, true, 0x8000, true};
const Form kMega128Shifts{"m128 shift and add", "m128def.inc", "atmega128", 0x100, 0x10FF, 131072,
                          false, true, true, false, true, 0x8000, false};
const Form kMega2560{"m2560, table above 128 KB", "m2560def.inc", "atmega2560", 0x200, 0x21FF, 262144,
                     true, true, true, false, true, 0x10000, false};
const Form kMega8{"m8", "m8def.inc", "atmega8", 0x60, 0x45F, 8192, true, true, true, false, false, 0, false};
const Form kMega88{"m88", "m88def.inc", "atmega88", 0x100, 0x4FF, 8192, true, true, true, false, false, 0, false};
const Form kTiny85{"tn85", "tn85def.inc", "attiny85", 0x60, 0x25F, 8192, false, true, false, true, false, 0, false};
// The oldest core's forms (no multiplier, no movw, lpm into r0) on a chip the simulator has.
const Form kPlainCore{"m8 as the plain core", "m8def.inc", "atmega8", 0x60, 0x45F, 8192, false, false, false,
                      false, false, 0, false};

std::string Routine(const Form& f) {
  CompilerState st;
  st.ResetCompilerGlobals();
  bench::SetChipProfile(st, {.ram_start = static_cast<std::int32_t>(f.ram_start),
                             .ram_end = static_cast<std::int32_t>(f.ram_end),
                             .flash_bytes = static_cast<std::int32_t>(f.flash_bytes),
                             .mega_core = f.mega_core,
                             .tiny_lpm = f.tiny_lpm,
                             .rampz = f.rampz,
                             .multiplier = f.multiplier});
  st.dev.MovwInstruction = f.movw;
  EmitFloatStrRoutine(st);
  return st.out.Str();
}

struct Case {
  std::uint32_t bits;
  unsigned decimals;
};

constexpr int kRecord = 20;  // float, decimals, the model's text and its 0, padding
constexpr int kKept[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 28, 29};

std::string Program(const Form& f, const std::vector<Case>& cases, std::uint32_t org) {
  const bool big = f.flash_bytes > 8192;
  const std::string call = big ? "call" : "rcall";
  std::string p = ".include \"" + std::string(f.inc) + "\"\n\t.dseg\n\t.org " + std::to_string(f.ram_start) + "\n";
  p += "_s1tmp:\t.byte 14\n_ptr:\t.byte 2\n_left:\t.byte 2\n_exp:\t.byte 2\n_bad:\t.byte 2\n_first:\t.byte 2\n";
  p += "_ftext:\t.byte 14\n_regs:\t.byte 1\n_ret:\t.byte 1\n";
  p += "\t.cseg\n\t.org 0\n\trjmp\t_Start\n_Start:" + bench::StackSetup(true);
  p += "\tclr\tr16\n\tsts\t_bad,r16\n\tsts\t_bad+1,r16\n\tsts\t_regs,r16\n\tsts\t_ret,r16\n";
  p += "\tser\tr16\n\tsts\t_first,r16\n\tsts\t_first+1,r16\n";
  if (f.rampz) p += "\tldi\tr16,0x01\n\tout\tRAMPZ,r16\n";  // the caller's RAMPZ, given back
  p += "\tldi\tr16,low(_Cases*2)\n\tsts\t_ptr,r16\n\tldi\tr16,high(_Cases*2)\n\tsts\t_ptr+1,r16\n";
  p += "\tldi\tr16,low(" + std::to_string(cases.size()) + ")\n\tsts\t_left,r16\n";
  p += "\tldi\tr16,high(" + std::to_string(cases.size()) + ")\n\tsts\t_left+1,r16\n";
  p += "_Next:\tlds\tzl,_ptr\n\tlds\tzh,_ptr+1\n";
  for (const char* r : {"r22", "r23", "r24", "r25", "r19"}) p += std::string("\tlpm\t") + r + ",Z+\n";
  p += "\tsts\t_exp,zl\n\tsts\t_exp+1,zh\n\tadiw\tzl," + std::to_string(kRecord - 5) + "\n";
  p += "\tsts\t_ptr,zl\n\tsts\t_ptr+1,zh\n";
  for (int r : kKept) p += "\tldi\tr26," + bench::Hex2(0x40 + r) + "\n\tmov\tr" + std::to_string(r) + ",r26\n";
  p += "\t" + call + "\t_Fstr\n";
  // The kept registers (and RAMPZ) against their values: any difference marks _regs.
  p += "\tlds\tr18,_regs\n";
  for (int r : kKept) p += "\tldi\tr26," + bench::Hex2(0x40 + r) + "\n\teor\tr26,r" + std::to_string(r) + "\n\tor\tr18,r26\n";
  if (f.rampz) p += "\tin\tr26,RAMPZ\n\tdec\tr26\n\tor\tr18,r26\n";
  p += "\tsts\t_regs,r18\n";
  p += "\tldi\tr26,low(_s1tmp)\n\tcp\tr24,r26\n\tldi\tr26,high(_s1tmp)\n\tcpc\tr25,r26\n\tbreq\t_AdrOk\n";
  p += "\tsts\t_ret,r26\n_AdrOk:\n";
  // Compare with the model's text, 0 byte included.
  p += "\tlds\tzl,_exp\n\tlds\tzh,_exp+1\n\tldi\txl,low(_s1tmp)\n\tldi\txh,high(_s1tmp)\n";
  p += "_Cmp:\tlpm\tr16,Z+\n\tld\tr17,X+\n\tcp\tr16,r17\n\tbrne\t_Diff\n\ttst\tr16\n\tbrne\t_Cmp\n\trjmp\t_Same\n";
  p += "_Diff:\tlds\tr24,_bad\n\tlds\tr25,_bad+1\n\tadiw\tr24,1\n\tsts\t_bad,r24\n\tsts\t_bad+1,r25\n";
  p += "\tlds\tr16,_first+1\n\tcpi\tr16,0xFF\n\tbrne\t_Same\n";
  p += "\tlds\tr24,_left\n\tsts\t_first,r24\n\tlds\tr24,_left+1\n\tsts\t_first+1,r24\n";
  p += "\tldi\txl,low(_s1tmp)\n\tldi\txh,high(_s1tmp)\n\tldi\tzl,low(_ftext)\n\tldi\tzh,high(_ftext)\n";
  p += "\tldi\tr17,14\n_Copy:\tld\tr16,X+\n\tst\tZ+,r16\n\tdec\tr17\n\tbrne\t_Copy\n";
  p += "_Same:\tlds\tr24,_left\n\tlds\tr25,_left+1\n\tsbiw\tr24,1\n\tsts\t_left,r24\n\tsts\t_left+1,r25\n";
  p += "\tbreq\t_Done\n\t" + std::string(big ? "jmp" : "rjmp") + "\t_Next\n_Done:\trjmp\t_Done\n";
  bench::Bytes table;
  for (const Case& c : cases) {
    bench::PutLe(table, c.bits, 4);
    table.push_back(static_cast<std::uint8_t>(c.decimals));
    const Text t = FstrModel(c.bits, c.decimals);
    for (int i = 0; i < kRecord - 5; ++i) table.push_back(i < t.n ? static_cast<std::uint8_t>(t.c[i]) : 0);
  }
  p += bench::DbTable("_Cases", table);
  if (org) p += "\t.org " + std::to_string(org) + "\n";
  p += Routine(f);
  return p;
}

std::string CaseName(const Case& c) {
  char b[48];
  std::snprintf(b, sizeof b, "0x%08X with %u decimals", c.bits, c.decimals);
  return b;
}

// Runs the cases in as many programs as the flash needs.
void RunOnChip(const Form& f, const std::vector<Case>& cases) {
  SCOPED_TRACE(f.name);
  std::uint32_t org = f.org;
  if (f.straddle) {
    // Where does the table stand behind the routine's first word?
    const AsmResult probe = AssembleAsm(Program(f, {cases.front()}, org));
    ASSERT_TRUE(probe.ok) << probe.output;
    SimRunner sim({.mcu = f.mcu});
    ASSERT_TRUE(sim.Load(probe.hex_path, probe.map_path)) << sim.Error();
    const auto entry = sim.Symbol("_Fstr"), table = sim.Symbol("_FtblTen");
    ASSERT_TRUE(entry && table);
    org -= *table - *entry + 100;  // the table's 539 bytes begin 200 bytes below org * 2
  }
  const std::size_t per_run = std::min<std::size_t>(3000, (f.flash_bytes - 2600) / kRecord);
  for (std::size_t first = 0; first < cases.size(); first += per_run) {
    const std::vector<Case> part(cases.begin() + static_cast<std::ptrdiff_t>(first),
                                 cases.begin() + static_cast<std::ptrdiff_t>(std::min(cases.size(), first + per_run)));
    auto sim = bench::AssembleAndRun(Program(f, part, org),
                                     {.mcu = f.mcu, .frequency = 16000000, .max_cycles = 3000 * part.size() + 100000},
                                     "_Fstr cases");
    if (!sim) return;
    const std::uint32_t bad = sim->SramWord(*sim->Symbol("_bad"));
    if (bad) {
      const std::uint32_t left = sim->SramWord(*sim->Symbol("_first"));
      const Case& c = part[part.size() - left];
      std::string got;
      for (std::uint32_t i = 0, at = *sim->Symbol("_ftext"); i < 14 && sim->Sram(at + i); ++i)
        got += static_cast<char>(sim->Sram(at + i));
      ADD_FAILURE() << bad << " texts differ from the model; the first: " << CaseName(c) << " gives \"" << got
                    << "\", the model \"" << Fstr(c.bits, c.decimals) << "\"";
    }
    EXPECT_EQ(sim->Sram(*sim->Symbol("_regs")), 0) << "_Fstr changed a register it keeps (r1..r17, Y, RAMPZ)";
    EXPECT_EQ(sim->Sram(*sim->Symbol("_ret")), 0) << "r25:r24 must hold the address of _s1tmp";
    EXPECT_EQ(sim->Sp(), f.ram_end) << "the stack is not balanced";
  }
}

// Every exponent field with `per_field` significands (the smallest, the largest and
// random ones), the decimal count turning over 0..6, both signs; then the fixed texts and
// values whose rounding is hard: exact halves, the float neighbours of powers of ten, and
// the integers that printed wrong before.
std::vector<Case> Cases(int per_field, unsigned seed) {
  std::mt19937 rng(seed);  // 32-bit draws
  std::vector<Case> v;
  unsigned d = 0;
  for (std::uint32_t field = 1; field < 255; ++field) {
    for (int i = 0; i < per_field; ++i) {
      const std::uint32_t m = i == 0 ? 0 : i == 1 ? 0x7FFFFF : static_cast<std::uint32_t>(rng()) & 0x7FFFFF;
      v.push_back({(static_cast<std::uint32_t>(rng()) & 0x80000000u) | field << 23 | m, d});
      d = (d + 1) % 7;
    }
  }
  for (std::uint32_t bits : {0x00000000u, 0x80000000u, 0x00000001u, 0x807FFFFFu, 0x7F800000u, 0xFF800000u,
                             0x7FC00000u, 0x7F7FFFFFu, 0x00800000u})
    for (unsigned dd : {0u, 3u, 6u, 9u}) v.push_back({bits, dd});
  auto bits_of = [](float f) {
    std::uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
  };
  for (float f : {2.5f, 0.125f, 25.0f, 125.0f, 0.5f, 1.5f, 9.5f, 99.5f, 12345.5f, 1048575.5f, 0.0625f})
    for (unsigned dd = 0; dd < 7; ++dd) v.push_back({bits_of(f), dd});
  for (float p = 1e-37f; p < 1e38f; p *= 10.0f)
    for (std::uint32_t b : {bits_of(p) - 1, bits_of(p), bits_of(p) + 1}) v.push_back({b, d++ % 7});
  for (float f : {500.0f, 65535.0f, 100000.0f, 1e10f, 99.99f, 64.0f}) v.push_back({bits_of(f), 6});
  return v;
}

TEST(FloatTextChip, WithMulAcrossTheExponentRangeAndATableAcross64KB) { RunOnChip(kMega128Mul, Cases(14, 1)); }

TEST(FloatTextChip, ByShiftAndAddAcrossTheExponentRange) { RunOnChip(kMega128Shifts, Cases(14, 2)); }

TEST(FloatTextChip, OnTheSmallChipsInEachForm) {
  for (const Form* f : {&kMega8, &kMega88, &kTiny85, &kPlainCore, &kMega2560}) RunOnChip(*f, Cases(2, 3));
}

}  // namespace
}  // namespace qbc::test::ftext
