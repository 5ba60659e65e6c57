#include "compiler/library/core/delay_routines.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "compiler/base/call_cycles.h"
#include "compiler/frontend/numeric_constants.h"

namespace qbc {

namespace {

// Nearest integer, a value exactly halfway going to the even one.
long RoundHalfEven(double v) {
  double r = std::floor(v);
  double diff = v - r;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
  return static_cast<long>(r);
}

// The cycles a WaitUs or WaitMs statement spends before its routine's first line: the load of
// a constant count (one ldi) and the call.
long StatementLeadCycles(const CompilerState& st) { return 1 + StatementCallCycles(st); }

// How _Wms spends a millisecond of T cycles: 4 * K cycles in the inner loop of r20:r21 and 4
// more with the reload, the dec and the branch, and Pad to make up the rest. The first
// millisecond counts FirstK passes and FirstPad cycles instead: it pays for the call, the
// test of the count and the return, so that n milliseconds last n * T cycles from the
// count's load to the return.
struct MilliWaitPlan {
  long K = 1;
  long Pad = 0;
  long FirstK = 1;
  long FirstPad = 0;
};

MilliWaitPlan PlanMilliWait(const CompilerState& st) {
  const long t = std::max(8L, std::lround(static_cast<double>(st.cfg.CrystalFrequency) * 1000.0));
  MilliWaitPlan plan;
  plan.K = (t - 4) / 4;
  plan.Pad = (t - 4) % 4;
  // lead, tst, breq, two ldi, rjmp, dec, brne and ret around the first 4 * FirstK - 1
  const long first = 4 * plan.K - 3 - StatementLeadCycles(st) - ReturnCycles(st.dev);
  if (first >= 4) {
    plan.FirstK = first / 4;
    plan.FirstPad = first % 4;
  }
  return plan;
}

std::string ComputeWaitusCount(float crystalMHz) {
  // Each outer pass lasts 3 * (N + 1) cycles, about 10 us. Below 1 the loop would run
  // 256 (or 255) times: a slow clock gets the shortest loop instead.
  long n = RoundHalfEven(static_cast<double>(crystalMHz) * 3.3) - 1;
  if (n < 1) n = 1;
  return std::to_string(n);
}

std::string ComputeWait5usCount(CompilerState& st) {
  // The routine lasts 3 * N + 7 cycles with its call; N aims that at 4 us of clock
  // cycles. At clocks below about 2.5 MHz that count is 0 or negative, which the loop
  // would take as 256 or 255 passes (hundreds of microseconds): the shortest loop, N = 1,
  // is the closest to the wanted time there.
  std::string n = CalcDelayCount(st, 4);
  if (!n.empty() && n.front() == '-') n = "1";
  return n;
}

// A number of cycles as whole cycles and 1/256 parts.
struct CycleSplit {
  long Whole = 0;
  int Fraction = 0;
};

CycleSplit SplitCycles(double cycles) {
  CycleSplit c;
  c.Whole = static_cast<long>(std::floor(cycles));
  c.Fraction = static_cast<int>(RoundHalfEven((cycles - static_cast<double>(c.Whole)) * 256.0));
  if (c.Fraction == 256) {
    ++c.Whole;
    c.Fraction = 0;
  }
  return c;
}

// How _Wmu spends a count of n microseconds of F MHz. The routine first takes Least off
// the count: the lead, the entry and the return are Least microseconds, Fixed cycles with
// the padding FixedPad (a smaller count returns at once). The rest is q * 2^Shift + r: each
// set bit b of r adds Bits[b] cycles, each of the q passes of the loop Pass cycles. Every
// 1/256 part of a cycle goes to the accumulator r22 (which starts at Start, the fixed part's
// own fraction and half a cycle), and each of its carries costs one cycle: a count lasts
// n * F cycles to the nearest cycle.
constexpr int kCountBits = 16;
struct MicroWaitPlan {
  int Shift = 0;
  CycleSplit Pass;  // Pass.Whole 0: no loop, the bits do it all
  CycleSplit Bits[kCountBits];
  bool Accumulates = false;
  long Least = 1;
  long FixedPad = 0;
  int Start = 0;
};

// The shortest pass: add, brcs, sbiw and brne; without a fraction sbiw and brne.
long ShortestPass(int fraction) { return fraction != 0 ? 6 : 4; }

// A bit that adds nothing is left out; a bit's clear path is sbrs and rjmp, and where the
// bit adds less than a whole cycle sec, sbrc (skipping) and brcc.
bool BitEmitted(const CycleSplit& b) { return b.Whole != 0 || b.Fraction != 0; }
long BitClearCycles(const CycleSplit& b) { return !BitEmitted(b) ? 0 : b.Whole == 0 ? 4 : 3; }

MicroWaitPlan PlanMicroWait(const CompilerState& st) {
  const double f = st.cfg.CrystalFrequency;
  MicroWaitPlan plan;
  for (plan.Shift = 0; plan.Shift < kCountBits; ++plan.Shift) {
    plan.Pass = SplitCycles(f * static_cast<double>(1L << plan.Shift));
    if (plan.Pass.Whole >= ShortestPass(plan.Pass.Fraction)) break;
  }
  if (plan.Shift == kCountBits) plan.Pass = {};  // a clock so slow that the count is a few cycles
  plan.Accumulates = plan.Pass.Fraction != 0;
  for (int b = 0; b < plan.Shift; ++b) {
    plan.Bits[b] = SplitCycles(f * static_cast<double>(1L << b));
    if (plan.Bits[b].Fraction != 0) plan.Accumulates = true;
  }
  // The cycles of a count of Least with every bit clear and no pass, besides its padding:
  // the lead, clr zh, subi, sbci and the brcc taken, the loads of r22 and r23, the bits'
  // clear paths, the shift, the test for no pass (or the clear of the count) and the return.
  long fixed = StatementLeadCycles(st) + 1 + 2 + 2 + (plan.Accumulates ? 1 : 0) + (plan.Pass.Fraction != 0 ? 1 : 0);
  for (int b = 0; b < plan.Shift; ++b) fixed += BitClearCycles(plan.Bits[b]);
  if (plan.Pass.Whole == 0) fixed += 2;
  else fixed += (plan.Shift < 8 ? 2 * plan.Shift : 2 + (plan.Shift - 8)) + 4;
  fixed += ReturnCycles(st.dev);
  for (plan.Least = 1; plan.Least < 0xFFFF; ++plan.Least) {
    const long parts = RoundHalfEven(static_cast<double>(plan.Least) * f * 256.0) + 128;
    if (parts / 256 >= fixed) {
      plan.FixedPad = parts / 256 - fixed;
      plan.Start = static_cast<int>(parts % 256);
      break;
    }
  }
  return plan;
}

// Exactly `cycles` cycles of straight-line waiting (r21 counts the longer ones).
void EmitPadding(CompilerState& st, long cycles, const std::string& label) {
  if (cycles >= 6) {
    const long k = std::min(cycles / 3, 255L);
    st.out.Instr(Sep::kWide, "ldi", "r21," + std::to_string(k));
    st.out.Instr(label, Sep::kWide, "dec", "r21");
    st.out.Instr(Sep::kNarrow, "brne", label);
    cycles -= 3 * k;
    if (cycles >= 6) EmitPadding(st, cycles, label + "x");
    else if (cycles > 0) EmitPadding(st, cycles, label);
    return;
  }
  for (; cycles >= 2; cycles -= 2) st.out.Instr(Sep::kNarrow, "rjmp", "PC+1");
  if (cycles == 1) st.out.Instr("nop");
}

}  // namespace

void EmitWaitMicroRoutine(CompilerState& st) {
  const MicroWaitPlan plan = PlanMicroWait(st);
  st.out.Line();
  st.out.Line(";////// _Wmu: zl (_WmuW: zl:zh) microseconds");
  // A count below Least waits as little as the routine can: it returns at once.
  st.out.Text(R"(_Wmu:\tclr\t\tzh)");
  st.out.Instr("_WmuW", Sep::kNarrow, "subi", "zl," + std::to_string(plan.Least & 0xFF));
  st.out.Instr(Sep::kNarrow, "sbci", "zh," + std::to_string(plan.Least >> 8));
  st.out.Text(R"(\t\tbrcc\t_WmuN
\t\tclr\t\tzl
\t\tclr\t\tzh
\t\tret)");
  st.out.Label("_WmuN");
  if (plan.Accumulates) st.out.Instr(Sep::kWide, "ldi", "r22," + std::to_string(plan.Start));
  EmitPadding(st, plan.FixedPad, "_WmuF");
  // A set bit costs Bits[b] cycles more than a clear one, and a carry of its fraction one
  // more (subi of 256 - x adds x and leaves the carry clear when the sum overflows).
  for (int b = 0; b < plan.Shift; ++b) {
    const CycleSplit& bit = plan.Bits[b];
    if (!BitEmitted(bit)) continue;
    const std::string tested = (b < 8 ? "zl," : "zh,") + std::to_string(b % 8);
    const std::string add = "r22," + std::to_string(256 - bit.Fraction);
    const std::string next = "_WmuB" + std::to_string(b);
    if (bit.Whole == 0) {
      st.out.Instr(Sep::kWide, "sec");
      st.out.Instr(Sep::kNarrow, "sbrc", tested);
      st.out.Instr(Sep::kNarrow, "subi", add);
      st.out.Instr(Sep::kNarrow, "brcc", "PC+1");
      continue;
    }
    st.out.Instr(Sep::kNarrow, "sbrs", tested);
    st.out.Instr(Sep::kNarrow, "rjmp", next);
    if (bit.Fraction != 0) {
      st.out.Instr(Sep::kNarrow, "subi", add);
      st.out.Instr(Sep::kNarrow, "brcc", "PC+1");
      EmitPadding(st, bit.Whole - 1, next + "p");
    } else {
      EmitPadding(st, bit.Whole + 1, next + "p");
    }
    st.out.Label(next);
  }
  if (plan.Pass.Whole == 0) {
    st.out.Text(R"(\t\tclr\t\tzl
\t\tclr\t\tzh
\t\tret)");
    return;
  }
  if (plan.Shift >= 8) {
    st.out.Instr(Sep::kWide, "mov", "zl,zh");
    st.out.Instr(Sep::kWide, "clr", "zh");
    for (int b = 8; b < plan.Shift; ++b) st.out.Instr(Sep::kWide, "lsr", "zl");
  } else {
    for (int b = 0; b < plan.Shift; ++b) {
      st.out.Instr(Sep::kWide, "lsr", "zh");
      st.out.Instr(Sep::kWide, "ror", "zl");
    }
  }
  if (plan.Pass.Fraction != 0) st.out.Instr(Sep::kWide, "ldi", "r23," + std::to_string(plan.Pass.Fraction));
  // No pass: 4 cycles to the ret, the same as the passes' own overhead, so that every
  // count costs the same beyond its microseconds.
  st.out.Text(R"(\t\tsbiw\tzl,0
\t\tbreq\t_WmuE
\t\trjmp\tPC+1)");
  st.out.Label("_WmuL");
  if (plan.Pass.Fraction != 0) {
    st.out.Instr(Sep::kWide, "add", "r22,r23");
    st.out.Instr(Sep::kNarrow, "brcs", "PC+1");
  }
  EmitPadding(st, plan.Pass.Whole - ShortestPass(plan.Pass.Fraction), "_WmuP");
  st.out.Text(R"(\t\tsbiw\tzl,1
\t\tbrne\t_WmuL
_WmuE:\tret)");
}

void EmitWaitmsRoutine(CompilerState& st) {
  const MilliWaitPlan plan = PlanMilliWait(st);
  // A count of 0 returns at once rather than counting down through 256. r20:r21 count the
  // passes of the inner loop; the padding is a few cycles that need no register.
  st.out.Line();
  st.out.Text(R"(
;////// _Waitms ///////////////////////////
_Wms:\ttst\t\tzl
\t\tbreq\t_Wms3)");
  st.out.Instr(Sep::kWide, "ldi", "r20," + std::to_string(plan.FirstK & 0xFF));
  st.out.Instr(Sep::kWide, "ldi", "r21," + std::to_string(plan.FirstK >> 8));
  EmitPadding(st, plan.FirstPad, "_WmsF");
  st.out.Instr(Sep::kNarrow, "rjmp", "_Wms1");
  st.out.Instr("_Wms0", Sep::kWide, "ldi", "r20," + std::to_string(plan.K & 0xFF));
  st.out.Instr(Sep::kWide, "ldi", "r21," + std::to_string(plan.K >> 8));
  st.out.Text(R"(_Wms1:\tsubi\tr20,1
\t\tsbci\tr21,0
\t\tbrne\t_Wms1)");
  EmitPadding(st, plan.Pad, "_WmsP");
  st.out.Text(R"(\t\tdec\t\tzl
\t\tbrne\t_Wms0
_Wms3:\tret)");
}

void EmitWaitusRoutine(CompilerState& st) {
  std::string n = ComputeWaitusCount(st.cfg.CrystalFrequency);
  st.out.Line();
  // _Sound enters at _wus0, where a count of 0 is 256 steps.
  st.out.Text(R"(
;////// _waitus ///////////////////////////
_wus:\ttst\t\tzl
\t\tbreq\t_wus2)");
  st.out.Instr("_wus0", Sep::kWide, "ldi", "r22," + n);
  st.out.Text(R"(
_wus1:\tdec\t\tr22
\t\tbrne\t_wus1
\t\tdec\t\tzl
\t\tbrne\t_wus0
_wus2:\tret)");
}

void EmitWait5usRoutine(CompilerState& st) {
  std::string n = ComputeWait5usCount(st);
  st.out.Line();
  st.out.Line(";////// Wait 5us //////////////////////////");
  st.out.Instr("_W5", Sep::kWide, "ldi", "r21," + n);
  st.out.Text(R"(
_W51:\tdec\t\tr21
\t\tbrne\t_W51
\t\tret)");
}

void EmitWaitsRoutine(CompilerState& st) {
  // Each second is four calls of _Wms with 250 ms; 0 seconds returns at once.
  st.out.Line();
  st.out.Text(R"(
;////// _Waits ////////////////////////////
_Ws:\tmov\t\tzh,zl
\t\ttst\t\tzh
\t\tbreq\t_Ws2
_Ws3:\tldi\t\tr22,0x04
_Ws1:\tldi\t\tzl,0xfa
\t\trcall\t_Wms
\t\tdec\t\tr22
\t\tbrne\t_Ws1
\t\tdec\t\tzh
\t\tbrne\t_Ws3
_Ws2:\tret)");
}

void EmitWaitTicksRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// Wait r23 ticks /////////////////////
_Wtic:\tdec\t\tr23
\t\tbrne\t_Wtic
\t\tret)");
}

}  // namespace qbc
