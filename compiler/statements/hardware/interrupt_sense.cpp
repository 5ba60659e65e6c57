#include "compiler/statements/hardware/interrupt_sense.h"

#include <optional>
#include <string>

#include "compiler/base/compile_error.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/statements/hardware/register_bits.h"
#include "compiler/codegen/io_access.h"

namespace qbc {

namespace {

// The two sense bits of one interrupt in one register (ISCn1:ISCn0, ACIS1:ACIS0).
struct SenseField {
  std::string reg;
  int address = 0;
  int bit0 = 0;
  int bit1 = 0;
};

// Where the device file puts ISCn0 and ISCn1: EICRA/EICRB on the chips that have them (on
// the newer megas MCUCR holds other bits), MCUCR on the classic ones.
std::optional<SenseField> FindIntSense(const CompilerState& st, int n) {
  const std::string low = "isc" + std::to_string(n) + "0";
  const std::string high = "isc" + std::to_string(n) + "1";
  for (const char* reg : {"eicra", "eicrb", "eicr", "mcucr"}) {
    // EICRA holds INT0..INT3, EICRB INT4..INT7.
    if ((std::string(reg) == "eicra" && n > 3) || (std::string(reg) == "eicrb" && n < 4)) continue;
    const auto a = FindRegisterBit(st, {{reg, low}});
    const auto b = FindRegisterBit(st, {{reg, high}});
    if (a && b) return SenseField{a->reg, a->address, a->bit, b->bit};
  }
  return std::nullopt;
}

// The two codings: an external interrupt takes 11 rising, 10 falling, 01 any change, 00
// low level; the comparator 11 rising, 10 falling, 00 any change, and has no level.
enum class Coding { External, Comparator };

// Sets the field to the word's code; false for a word the coding does not have.
bool EmitSenseBits(CompilerState& st, const std::string& word, int mask0, int mask1, Coding coding) {
  auto sbr = [&](int m) { st.out.Instr(Sep::kWide, "sbr", "zl," + Dec(m)); };
  auto cbr = [&](int m) { st.out.Instr(Sep::kWide, "cbr", "zl," + Dec(m)); };
  if (word == "rising") {
    sbr(mask1 | mask0);
  } else if (word == "falling") {
    sbr(mask1);
    cbr(mask0);
  } else if (word == "toggle" && coding == Coding::Comparator) {
    cbr(mask1 | mask0);
  } else if (word == "toggle") {
    sbr(mask0);
    cbr(mask1);
  } else if (word == "low" && coding == Coding::External) {
    cbr(mask1 | mask0);
  } else {
    return false;
  }
  return true;
}

void WriteField(CompilerState& st, const SenseField& f, const std::string& word, Coding coding) {
  EmitRegisterRead(st, f.reg, "zl", Reach::kData);
  if (!EmitSenseBits(st, word, 1 << f.bit0, 1 << f.bit1, coding)) CompileError(st, "Operation not possible!");
  EmitRegisterWrite(st, f.reg, "zl", Reach::kData);
}

}  // namespace

void CompileIntSenseStatement(CompilerState& st) {
  const int n = st.TokText().back() - '0';
  ++st.src.TokenIndex;
  const std::string word = st.TokText();
  if (const auto field = FindIntSense(st, n)) {
    WriteField(st, *field, word, Coding::External);
  } else if (const auto isc = FindRegisterBit(st, {{"mcucsr", "isc" + std::to_string(n)}})) {
    // INT2 of the m16/m32 family senses edges only, by one bit: 1 rising, 0 falling.
    EmitRegisterRead(st, isc->reg, "zl", Reach::kData);
    if (word == "rising")
      st.out.Instr(Sep::kWide, "sbr", "zl," + BitMaskText(isc->bit));
    else if (word == "falling")
      st.out.Instr(Sep::kWide, "cbr", "zl," + BitMaskText(isc->bit));
    else
      CompileError(st, "Operation not possible!");
    EmitRegisterWrite(st, isc->reg, "zl", Reach::kData);
  } else if (n <= 3 && DeviceSymbolValue(st, "int" + std::to_string(n)).has_value()) {
    // the interrupt is there without sense bits (the ATmega103's INT0 to INT3)
    ReportInPlace(st, "Ints 0-3 are only low level trigged!");
  } else {
    ReportInPlace(st, "Interrupt not supported!");
  }
  ++st.src.TokenIndex;
}

void CompileAcSenseStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  const std::string word = st.TokText();
  const auto a = FindRegisterBit(st, {{"acsr", "acis0"}});
  const auto b = FindRegisterBit(st, {{"acsr", "acis1"}});
  if (!a || !b) {
    ReportInPlace(st, "Unexisting feature!");
  } else {
    WriteField(st, SenseField{a->reg, a->address, a->bit, b->bit}, word, Coding::Comparator);
  }
  ++st.src.TokenIndex;
}

}  // namespace qbc
