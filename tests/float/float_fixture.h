#pragma once
// Assembler fixtures for the float library: the whole library for one chip, a program
// that loads each case's operand bytes from a table in flash into the routine's input
// registers, calls the entry point and stores the output registers to SRAM, in batches
// that fit the chip. r1..r6 and r8..r15 hold marker values that are checked at the end;
// r7 is cleared before every call and stored with the outputs when asked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "compiler/frontend/state.h"
#include "compiler/library/core/float_core.h"
#include "tests/support/sim_runner.h"

namespace qbc::test::flt {

struct Chip {
  const char* inc;
  const char* mcu;
  uint32_t ram_start;
  uint32_t ram_end;
  uint32_t flash_bytes;
};

inline const Chip kM8{"m8def.inc", "atmega8", 0x60, 0x45F, 8192};
inline const Chip kM16{"m16def.inc", "atmega16", 0x60, 0x45F, 16384};
inline const Chip kM32{"m32def.inc", "atmega32", 0x60, 0x85F, 32768};
inline const Chip kM2560{"m2560def.inc", "atmega2560", 0x200, 0x21FF, 262144};

inline bool BigFlash(const Chip& c) { return c.flash_bytes > 8192; }

inline std::unique_ptr<CompilerState> StateFor(const Chip& chip) {
  auto st = std::make_unique<CompilerState>();
  st->ResetCompilerGlobals();
  st->dev.FlashEnd = static_cast<int32_t>(chip.flash_bytes);
  st->dev.RamStart = static_cast<int32_t>(chip.ram_start);
  st->dev.RamEnd = static_cast<int32_t>(chip.ram_end);
  st->dev.MegaCore = true;
  st->dev.NeedRampz = chip.flash_bytes > 65536;
  st->mn.LpmMnemonic = st->dev.NeedRampz ? "elpm" : "lpm";
  st->mn.CallMnemonic = BigFlash(chip) ? "call" : "rcall";
  st->mn.JumpMnemonic = BigFlash(chip) ? "jmp" : "rjmp";
  return st;
}

// Every emitter of the base library, in the link step's order.
inline std::string LibraryText(const Chip& chip) {
  auto st = StateFor(chip);
  EmitFloatCoreRoutines(*st);
  EmitFloatAddSubRoutine(*st);
  EmitFloatMulRoutine(*st);
  EmitFloatDivRoutine(*st);
  EmitFloatMoveRoutine(*st);
  EmitFloatToExpRoutine(*st);
  EmitFloatCompareRoutine(*st);
  return st->out.Str();
}

// A routine under test: `in` registers are loaded from each case's bytes in order, `out`
// registers are stored after the call ("sreg" stores the status register as the call
// left it, read first).
struct Routine {
  std::string entry;
  std::vector<std::string> in;
  std::vector<std::string> out;
  std::string before_call;  // extra lines right before the call
  std::string helpers;      // extra routines the fixture calls (wrappers)
  std::string after_store = {};  // extra lines after the outputs are stored
};

inline const std::vector<std::string> kA = {"r22", "r23", "r24", "r25"};
inline const std::vector<std::string> kB = {"r18", "r19", "r20", "r21"};
inline std::vector<std::string> Regs(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline std::string Hex2(unsigned v) {
  char b[8];
  std::snprintf(b, sizeof b, "0x%02X", v & 0xFFu);
  return b;
}

inline std::string DbLines(const std::string& label, std::vector<uint8_t> bytes) {
  if (bytes.size() % 2) bytes.push_back(0);
  std::string text = label + ":\n";
  for (size_t i = 0; i < bytes.size(); i += 16) {
    text += "\t.db\t";
    for (size_t j = i; j < std::min(bytes.size(), i + 16); ++j) {
      if (j != i) text += ',';
      text += Hex2(bytes[j]);
    }
    text += '\n';
  }
  return text;
}

inline const uint8_t kMarkers[] = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF};
inline const int kMarkerRegs[] = {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15};

struct BatchRun {
  std::vector<std::vector<uint8_t>> outputs;  // one per case
  uint64_t cycles = 0;
};

// The program for one batch of cases.
inline std::string BatchProgram(const Chip& chip, const Routine& r, const std::vector<uint8_t>& table, size_t n,
                                const std::string& library) {
  const std::string call = BigFlash(chip) ? "call" : "rcall";
  std::string p = ".include \"" + std::string(chip.inc) + "\"\n\t.cseg\n\t.org 0\n\trjmp\t_Start\n";
  p += "_Start:\tldi\tr16,low(RAMEND)\n\tout\tSPL,r16\n\tldi\tr16,high(RAMEND)\n\tout\tSPH,r16\n";
  for (size_t i = 0; i < std::size(kMarkerRegs); ++i)
    p += "\tldi\tr16," + Hex2(kMarkers[i]) + "\n\tmov\tr" + std::to_string(kMarkerRegs[i]) + ",r16\n";
  p += "\tldi\tyl,low(" + std::to_string(chip.ram_start) + ")\n\tldi\tyh,high(" + std::to_string(chip.ram_start) + ")\n";
  p += "\tldi\tzl,low(_Cases*2)\n\tldi\tzh,high(_Cases*2)\n";
  p += "\tldi\tr16,low(" + std::to_string(n) + ")\n\tldi\tr17,high(" + std::to_string(n) + ")\n";
  p += "_Next:\n";
  for (const auto& reg : r.in) p += "\tlpm\t" + reg + ",Z+\n";
  p += "\tpush\tzl\n\tpush\tzh\n\tclr\tr7\n";
  p += r.before_call;
  p += "\t" + call + "\t" + r.entry + "\n";
  p += "\tin\tr0,SREG\n";
  for (const auto& reg : r.out) p += reg == "sreg" ? "\tst\tY+,r0\n" : "\tst\tY+," + reg + "\n";
  p += r.after_store;
  p += "\tpop\tzh\n\tpop\tzl\n\tsubi\tr16,1\n\tsbci\tr17,0\n\tbreq\t_Done\n";
  p += BigFlash(chip) ? "\tjmp\t_Next\n" : "\trjmp\t_Next\n";
  p += "_Done:\n";
  for (int reg : kMarkerRegs) p += "\tst\tY+,r" + std::to_string(reg) + "\n";
  p += "_End:\trjmp\t_End\n";
  p += r.helpers;
  p += library;
  p += "\n" + DbLines("_Cases", table);
  return p;
}

// Runs every case through the routine on the chip; one output vector per case.
inline std::vector<std::vector<uint8_t>> RunCases(const Chip& chip, const Routine& r,
                                                  const std::vector<std::vector<uint8_t>>& cases) {
  const std::string library = LibraryText(chip);
  const size_t nin = r.in.size(), nout = r.out.size();
  const size_t ram_slots = (chip.ram_end - chip.ram_start + 1 - 96) / nout;
  const size_t flash_slots = (chip.flash_bytes - 4096) / std::max<size_t>(nin, 1);
  const size_t batch = std::min({ram_slots, flash_slots, size_t{3000}});
  std::vector<std::vector<uint8_t>> results;
  for (size_t first = 0; first < cases.size(); first += batch) {
    const size_t n = std::min(batch, cases.size() - first);
    std::vector<uint8_t> table;
    for (size_t i = first; i < first + n; ++i) {
      EXPECT_EQ(cases[i].size(), nin);
      table.insert(table.end(), cases[i].begin(), cases[i].end());
    }
    const std::string program = BatchProgram(chip, r, table, n, library);
    AsmResult a = AssembleAsm(program);
    EXPECT_TRUE(a.ok) << a.output;
    if (!a.ok) return results;
    SimRunner sim({.mcu = chip.mcu, .frequency = 16000000, .max_cycles = 400'000'000});
    EXPECT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
    const SimStop stop = sim.Run();
    EXPECT_EQ(stop, SimStop::EndLoop) << SimStopName(stop) << " at pc " << sim.PcBytes() << "\n" << sim.Log();
    if (stop != SimStop::EndLoop) return results;
    uint32_t addr = chip.ram_start;
    for (size_t i = 0; i < n; ++i) {
      std::vector<uint8_t> o(nout);
      for (size_t k = 0; k < nout; ++k) o[k] = sim.Sram(addr++);
      results.push_back(std::move(o));
    }
    for (size_t i = 0; i < std::size(kMarkerRegs); ++i)
      EXPECT_EQ(sim.Sram(addr++), kMarkers[i]) << r.entry << " changed r" << kMarkerRegs[i];
  }
  return results;
}

inline void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
inline uint32_t Get32(const std::vector<uint8_t>& v, size_t at) {
  return static_cast<uint32_t>(v[at]) | (static_cast<uint32_t>(v[at + 1]) << 8) |
         (static_cast<uint32_t>(v[at + 2]) << 16) | (static_cast<uint32_t>(v[at + 3]) << 24);
}

inline std::string HexWord(uint32_t x) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%08X", x);
  return b;
}

}  // namespace qbc::test::flt
