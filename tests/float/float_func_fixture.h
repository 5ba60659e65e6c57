#pragma once
// Assembler fixtures for the float functions and float-to-text routines: a program holds a
// grid of arguments in flash, calls one routine per case and stores what it returns (and a
// check of the registers it must keep) in SRAM, where the test reads it after the run.
//
// The library stands behind the program at a fixed word address; on the ATmega128 that
// address is 0x8000, so the coefficient tables lie above 64 KB of flash and are read
// through RAMPZ with elpm.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "compiler/base/flags/float_flags.h"
#include "compiler/base/state.h"
#include "compiler/library/core/float_core.h"
#include "compiler/library/core/float_functions.h"
#include "compiler/library/core/float_text.h"
#include "tests/float/float_func_model.h"
#include "tests/support/routine_bench.h"
#include "tests/support/sim_runner.h"

namespace qbc::test::floatfn {

// A chip and where the library stands on it.
struct FloatChip : bench::Chip {
  uint32_t library_org;  // word address of the library
  bool big_flash;        // more than 64 KB: elpm and RAMPZ; the fixture calls with call/jmp
};

inline const FloatChip kMega128{{"m128def.inc", "atmega128", 0x100, 0x10FF, 131072}, 0x8000, true};
// Above 128 KB: three-byte return addresses, and the tables beyond the second 64 KB page.
inline const FloatChip kMega2560{{"m2560def.inc", "atmega2560", 0x200, 0x21FF, 262144}, 0x10000, true};
inline const FloatChip kMega8{{"m8def.inc", "atmega8", 0x60, 0x45F, 8192}, 0x0300, false};
// An ATmega8 assembled with the older table-read form (lpm into r0, adiw, mov).
inline const FloatChip kMega8PlainLpm{{"m8def.inc", "atmega8", 0x60, 0x45F, 8192, false}, 0x0300, false};
// The classic core's forms on an ATmega8: the older table read and no multiplier (the
// shift-and-add products).
inline const FloatChip kMega8Classic{{"m8def.inc", "atmega8", 0x60, 0x45F, 8192, false, false, false}, 0x0300, false};

inline std::unique_ptr<CompilerState> FloatState(const FloatChip& chip) {
  auto st = std::make_unique<CompilerState>();
  st->ResetCompilerGlobals();
  bench::SetChipProfile(*st, chip, chip.big_flash);
  return st;
}

// The whole float library in the link step's order.
inline std::string FloatLibraryText(const FloatChip& chip) {
  auto st = FloatState(chip);
  // every function linked, as a program calling each of them links them
  for (const UsedFlag f : {NeedFsin, NeedFACos, NeedFtan, NeedFAtan, NeedFAtan2, NeedFpow, NeedFexp, NeedFlog,
                           NeedFsinh, NeedFcosh, NeedFtanh})
    st->used.Set(f);
  EmitFloatCoreRoutines(*st);
  EmitFloatAddSubRoutine(*st);
  EmitFloatMulRoutine(*st);
  EmitFloatDivRoutine(*st);
  EmitFloatMoveRoutine(*st);
  EmitFloatToExpRoutine(*st);
  EmitFloatModRoutine(*st);
  EmitFloatModfRoutine(*st);
  EmitFloatIntRoutine(*st);
  EmitFloatFractRoutine(*st);
  EmitFloatCompareRoutine(*st);
  EmitFloatSinCosRoutine(*st);
  EmitFloatAsinAcosRoutine(*st);
  EmitFloatTanRoutine(*st);
  EmitFloatQuadrantRoutine(*st);
  EmitFloatAtanRoutine(*st);
  EmitFloatAtan2Routine(*st);
  EmitFloatPowRoutine(*st);
  EmitFloatPotRoutine(*st);
  EmitFloatSqrtRoutine(*st);
  EmitFloatLogRoutine(*st);
  EmitFloatExpRoutine(*st);
  EmitFloatSinhRoutine(*st);
  EmitFloatCoshRoutine(*st);
  EmitFloatTanhRoutine(*st);
  EmitFloatDecPointRoutine(*st);
  EmitFloatFormatRoutine(*st);
  EmitFloatStrRoutine(*st);
  return st->out.Str();
}

// What one case hands over and reads back.
enum class CaseKind {
  Unary,   // A -> A
  Binary,  // A, B -> A
  Modf,    // A, store address (0 or _ipart) -> A, _ipart
  Str,     // A, r19 -> _s1tmp, r25:r24
  Dp,      // A, _fmtC, _fmtD, _lchr -> _s1tmp, _s2tmp, guard bytes behind _s2tmp
};

inline size_t ArgBytes(CaseKind k) { return k == CaseKind::Unary ? 4 : 8; }
// Per case: the results, then one byte that is 0 when r2..r6, r8..r17, Y and (above 64 KB)
// RAMPZ were kept.
inline size_t OutBytes(CaseKind k) {
  switch (k) {
    case CaseKind::Unary:
    case CaseKind::Binary:
      return 4 + 1;
    case CaseKind::Modf:
      return 8 + 1;
    case CaseKind::Str:
      return 14 + 2 + 1;
    case CaseKind::Dp:
      return 14 + 14 + 4 + 1;
  }
  return 0;
}

// Canary values for the registers a routine must keep.
inline const char* kKeptRegs[] = {"r2", "r3", "r4", "r5", "r6", "r8", "r9", "r10", "r11", "r12", "r13",
                                  "r14", "r15", "r16", "r17"};

inline std::string Program(const FloatChip& chip, const std::string& routine, CaseKind kind,
                           const std::vector<uint8_t>& args, size_t count) {
  const std::string call = chip.big_flash ? "call" : "rcall";
  std::string p = ".include \"" + std::string(chip.inc) + "\"\n";
  p += "\t.dseg\n";
  p += "_s1tmp:\t.byte\t14\n_s2tmp:\t.byte\t14\n_guard:\t.byte\t4\n";
  p += "_fmtC:\t.byte\t1\n_fmtD:\t.byte\t1\n_lchr:\t.byte\t1\n_ipart:\t.byte\t4\n_cnt:\t.byte\t2\n_res:\n";
  p += "\t.cseg\n\t.org\t0\n\trjmp\t_Start\n";
  p += "_Start:" + bench::StackSetup(true);
  // r7 starts non-zero: nothing may rely on it before the first packing.
  p += "\tldi\tr16,0x5a\n\tmov\tr7,r16\n";
  p += "\tldi\tr16,low(" + std::to_string(count) + ")\n\tsts\t_cnt,r16\n";
  p += "\tldi\tr16,high(" + std::to_string(count) + ")\n\tsts\t_cnt+1,r16\n";
  p += "\tldi\tyl,low(_res)\n\tldi\tyh,high(_res)\n";
  p += "\tldi\tr16,low(_Args*2)\n\tmov\tr8,r16\n\tldi\tr16,high(_Args*2)\n\tmov\tr9,r16\n";
  p += "_Loop:\tmov\tzl,r8\n\tmov\tzh,r9\n";
  for (const char* r : {"r22", "r23", "r24", "r25"}) p += std::string("\tlpm\t") + r + ",Z+\n";
  if (kind != CaseKind::Unary) {
    for (const char* r : {"r18", "r19", "r20", "r21"}) p += std::string("\tlpm\t") + r + ",Z+\n";
  }
  p += "\tmov\tr8,zl\n\tmov\tr9,zh\n";
  p += "\tpush\tr8\n\tpush\tr9\n";
  if (kind == CaseKind::Modf) {
    // r18 != 0: store the integer part at _ipart, else pass the address 0.
    p += "\tldi\tr16,0xee\n\tsts\t_ipart,r16\n\tsts\t_ipart+1,r16\n\tsts\t_ipart+2,r16\n\tsts\t_ipart+3,r16\n";
    p += "\tclr\tr20\n\tclr\tr21\n\ttst\tr18\n\tbreq\t_NoAdr\n\tldi\tr20,low(_ipart)\n\tldi\tr21,high(_ipart)\n_NoAdr:\n";
  }
  if (kind == CaseKind::Str) p += "\tmov\tr19,r18\n";
  if (kind == CaseKind::Dp) {
    p += "\tsts\t_fmtC,r18\n\tsts\t_fmtD,r19\n\tsts\t_lchr,r20\n";
    p += "\tldi\tr16,0xa5\n\tldi\tzl,low(_s2tmp)\n\tldi\tzh,high(_s2tmp)\n\tldi\tr17,18\n";
    p += "_Fill:\tst\tZ+,r16\n\tdec\tr17\n\tbrne\t_Fill\n";
  }
  // Canaries in the registers the routine must keep.
  int v = 0x31;
  for (const char* r : kKeptRegs) {
    if (std::string(r) == "r8" || std::string(r) == "r9") continue;  // hold the argument pointer
    p += "\tldi\tr26," + std::to_string(v++) + "\n\tmov\t" + r + ",r26\n";
  }
  if (chip.big_flash) p += "\tclr\tr26\n\tout\tRAMPZ,r26\n";  // the caller's RAMPZ, given back
  p += "\t" + call + "\t" + routine + "\n";
  // Results.
  if (kind == CaseKind::Str) {
    p += "\tldi\tzl,low(_s1tmp)\n\tldi\tzh,high(_s1tmp)\n\tldi\tr26,14\n";
    p += "_Cp1:\tld\tr27,Z+\n\tst\tY+,r27\n\tdec\tr26\n\tbrne\t_Cp1\n";
    p += "\tst\tY+,r24\n\tst\tY+,r25\n";
  } else if (kind == CaseKind::Dp) {
    p += "\tldi\tzl,low(_s1tmp)\n\tldi\tzh,high(_s1tmp)\n\tldi\tr26,32\n";
    p += "_Cp2:\tld\tr27,Z+\n\tst\tY+,r27\n\tdec\tr26\n\tbrne\t_Cp2\n";
  } else {
    for (const char* r : {"r22", "r23", "r24", "r25"}) p += std::string("\tst\tY+,") + r + "\n";
    if (kind == CaseKind::Modf) {
      p += "\tlds\tr26,_ipart\n\tst\tY+,r26\n\tlds\tr26,_ipart+1\n\tst\tY+,r26\n";
      p += "\tlds\tr26,_ipart+2\n\tst\tY+,r26\n\tlds\tr26,_ipart+3\n\tst\tY+,r26\n";
    }
  }
  // Register check: OR of (register XOR canary); r8:r9 are checked by the loop itself.
  p += "\tclr\tr26\n";
  v = 0x31;
  for (const char* r : kKeptRegs) {
    if (std::string(r) == "r8" || std::string(r) == "r9") continue;
    p += "\tldi\tr27," + std::to_string(v++) + "\n\teor\tr27," + r + "\n\tor\tr26,r27\n";
  }
  if (chip.big_flash) p += "\tin\tr27,RAMPZ\n\tor\tr26,r27\n";
  p += "\tst\tY+,r26\n";
  p += "\tpop\tr9\n\tpop\tr8\n";
  p += "\tlds\tr24,_cnt\n\tlds\tr25,_cnt+1\n\tsbiw\tr24,1\n\tsts\t_cnt,r24\n\tsts\t_cnt+1,r25\n";
  p += "\tbreq\t_Done\n\t" + std::string(chip.big_flash ? "jmp" : "rjmp") + "\t_Loop\n";
  p += "_Done:\trjmp\t_Done\n";
  p += "_Args:\n" + bench::DbLines(args, 8);
  char org[32];
  std::snprintf(org, sizeof org, "\t.org\t0x%04x\n", chip.library_org);
  p += org;
  p += FloatLibraryText(chip);
  return bench::WithFarTargetsReached(*FloatState(chip), p);
}

// Runs the cases in batches that fit the SRAM; returns OutBytes(kind) bytes per case.
inline std::vector<std::vector<uint8_t>> RunCases(const FloatChip& chip, const std::string& routine,
                                                  CaseKind kind, const std::vector<std::vector<uint8_t>>& cases,
                                                  uint64_t cycles_per_case = 200000) {
  const size_t per = OutBytes(kind);
  bench::BatchPlan plan{.cases_per_run = (chip.ram_end - chip.ram_start - 160 - 64) / per,
                        .in_bytes = ArgBytes(kind),
                        .zero_fill = true,
                        .out_bytes = per,
                        .sim = {.mcu = chip.mcu, .frequency = 16000000, .max_cycles = 100000},
                        .cycles_per_case = cycles_per_case,
                        .what = routine};
  return bench::RunInBatches(
      cases, plan, [&](const bench::Batch& b) { return Program(chip, routine, kind, b.table, b.count); },
      bench::SymbolAddress("_res"), [&](const SimRunner& sim, uint32_t) {
        if (sim.Sp() != chip.ram_end) ADD_FAILURE() << routine << ": the stack is not balanced";
      });
}

inline std::vector<uint8_t> FloatBytes(float f) { return bench::LeBytes(Bits(f), 4); }
inline float FloatAt(const std::vector<uint8_t>& b, size_t at) {
  return FromBits(static_cast<uint32_t>(bench::GetLe(b, at, 4)));
}
inline std::string CText(const std::vector<uint8_t>& b, size_t at, size_t max) {
  std::string s;
  for (size_t i = at; i < at + max && b[i]; ++i) s += static_cast<char>(b[i]);
  return s;
}
inline bool SameFloat(float a, float b) { return (IsNan(a) && IsNan(b)) || Bits(a) == Bits(b); }
inline std::string Hex(float f) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%08x", Bits(f));
  return b;
}

}  // namespace qbc::test::floatfn
