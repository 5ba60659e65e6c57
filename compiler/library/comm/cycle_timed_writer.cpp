#include "compiler/library/comm/cycle_timed_writer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "compiler/codegen/emit_lines.h"

namespace qbc {

namespace {

// ldi r21,k and k passes of dec/brne: 3k cycles. With an outer count m in r22 around it
// (ldi r21, the inner loop, dec/brne r22): m(3k + 3).
constexpr long kInnerMax = 255;
constexpr long kOuterPass = 3 * kInnerMax + 3;

}  // namespace

CycleTimedWriter::CycleTimedWriter(CompilerState& st, std::string labelPrefix, std::string labelSuffix)
    : st_(st), prefix_(std::move(labelPrefix)), suffix_(std::move(labelSuffix)) {}

void CycleTimedWriter::Op(Sep sep, std::string_view mnemonic, std::string_view operands, long cycles) {
  st_.out.Instr(sep, mnemonic, operands);
  now_ += cycles;
}

void CycleTimedWriter::Op(std::string_view label, Sep sep, std::string_view mnemonic, std::string_view operands,
                          long cycles) {
  st_.out.Instr(label, sep, mnemonic, operands);
  now_ += cycles;
}

void CycleTimedWriter::Label(std::string_view label) { st_.out.Label(label); }

void CycleTimedWriter::Until(double us, long then) {
  UntilCycles(std::lround(us * static_cast<double>(st_.cfg.CrystalFrequency)), then);
}

void CycleTimedWriter::UntilCycles(long cycles, long then) {
  const long pad = cycles - then - now_;
  if (pad > 0) Wait(pad);
}

std::string CycleTimedWriter::NextLabel() { return prefix_ + "t" + std::to_string(++labels_) + suffix_; }

void CycleTimedWriter::Wait(long cycles) {
  now_ += cycles;
  while (cycles >= kOuterPass) {
    const long m = std::min(cycles / kOuterPass, 255L);
    const std::string outer = NextLabel(), inner = NextLabel();
    st_.out.Instr(Sep::kWide, "ldi", "r22," + Dec(m));
    st_.out.Instr(outer, Sep::kWide, "ldi", "r21," + Dec(kInnerMax));
    st_.out.Instr(inner, Sep::kWide, "dec", "r21");
    st_.out.Instr(Sep::kNarrow, "brne", inner);
    st_.out.Instr(Sep::kWide, "dec", "r22");
    st_.out.Instr(Sep::kNarrow, "brne", outer);
    cycles -= m * kOuterPass;
  }
  if (cycles >= 6) {
    const long k = cycles / 3;
    const std::string inner = NextLabel();
    st_.out.Instr(Sep::kWide, "ldi", "r21," + Dec(k));
    st_.out.Instr(inner, Sep::kWide, "dec", "r21");
    st_.out.Instr(Sep::kNarrow, "brne", inner);
    cycles -= 3 * k;
  }
  for (; cycles >= 2; cycles -= 2) st_.out.Instr(Sep::kNarrow, "rjmp", "PC+1");
  if (cycles == 1) st_.out.Instr("nop");
}

}  // namespace qbc
