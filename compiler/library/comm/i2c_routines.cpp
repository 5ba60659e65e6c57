#include "compiler/library/comm/i2c_routines.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/base/text_rows.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/library/comm/open_drain_pins.h"
#include "compiler/statements/peripherals/i2c_cells.h"

namespace qbc {

namespace {

// What a step of the routine text does: an instruction as it stands, or a line operation
// whose form depends on the pin's register address.
enum class Op : std::uint8_t {
  kInstr,
  kSclLow,
  kSclRelease,
  kSdaLow,
  kSdaRelease,
  kSkipSdaLow,
};

struct Step {
  std::string_view label;
  Op op;
  std::string_view mnem = {};
  std::string_view ops = {};
};

// Every pin form takes r21, the delay's counter, as its scratch: no step keeps a value in
// it across a line operation.
constexpr std::string_view kScratch = "r21";

// Each clock phase waits in _I2cD, at least 5 us with its call at any clock, so the clock
// is low for 4.7 us and high for 4.0 us at every bit whatever instructions lie around it.
// Every release of the clock waits in _I2cH until the line is high (a slave may hold it
// low after any bit) and then times the high phase from there.
struct Block {
  std::string_view name;
  std::vector<Step> steps;
};

const Block kBlocks[] = {
    {"I2cStart",
     {{"_I2cS", Op::kInstr, "sts", "_I2cAd,zl"},
      {"", Op::kInstr, "mov", "r21,zl"},
      {"", Op::kInstr, "andi", "r21,0x01"},
      {"", Op::kInstr, "sts", "_I2cRo,r21"}}},
    // The clock goes low before the data line is let go (a slave's acknowledge or a data
    // bit may hold it), so both lines are high before the start wherever the bus stood.
    {"I2cRepStart",
     {{"_I2cRs", Op::kSclLow},
      {"", Op::kSdaRelease},
      {"", Op::kInstr, "rcall", "_I2cD"},
      {"", Op::kSclRelease},
      {"", Op::kInstr, "rcall", "_I2cH"},
      {"", Op::kSdaLow},
      {"", Op::kInstr, "rcall", "_I2cD"}}},
    // Most significant bit first; the 1 rotated in first leaves zl 0 after the eighth bit.
    {"I2cWrite",
     {{"_I2cW", Op::kInstr, "sec"},
      {"", Op::kInstr, "rol", "zl"},
      {"", Op::kInstr, "rjmp", "_I2cWf"},
      {"_I2cWb", Op::kInstr, "lsl", "zl"},
      {"_I2cWf", Op::kInstr, "breq", "_I2cGa"},
      {"", Op::kSclLow},
      {"", Op::kInstr, "brcc", "_I2cW0"},
      {"", Op::kSdaRelease},
      {"", Op::kInstr, "rjmp", "_I2cW1"},
      {"_I2cW0", Op::kSdaLow},
      {"_I2cW1", Op::kInstr, "rcall", "_I2cD"},
      {"", Op::kSclRelease},
      {"", Op::kInstr, "rcall", "_I2cH"},
      {"", Op::kInstr, "rjmp", "_I2cWb"}}},
    {"I2cGetAck",
     {{"_I2cGa", Op::kSclLow},
      {"", Op::kSdaRelease},
      {"", Op::kInstr, "rcall", "_I2cD"},
      {"", Op::kSclRelease},
      {"", Op::kInstr, "rcall", "_I2cH"},
      {"", Op::kInstr, "clc"},
      {"", Op::kSkipSdaLow},
      {"", Op::kInstr, "sec"},
      {"", Op::kInstr, "ret"}}},
    // The first read after a start with a write address turns the bus round: a repeated
    // start with the read address of the start that ran (not of the one written last in
    // the source). A start with a read address has opened the read itself.
    {"I2cRead",
     {{"_I2cR", Op::kInstr, "rol", "r23"},
      {"", Op::kInstr, "lds", "r21,_I2cRo"},
      {"", Op::kInstr, "tst", "r21"},
      {"", Op::kInstr, "brne", "_I2cR1"},
      {"", Op::kInstr, "lds", "zl,_I2cAd"},
      {"", Op::kInstr, "inc", "zl"},
      {"", Op::kInstr, "rcall", "_I2cRs"},
      {"", Op::kInstr, "ldi", "r21,0x01"},
      {"", Op::kInstr, "sts", "_I2cRo,r21"},
      {"_I2cR1", Op::kInstr, "ldi", "zl,0x01"},
      {"_I2cRb", Op::kSclLow},
      {"", Op::kSdaRelease},
      {"", Op::kInstr, "rcall", "_I2cD"},
      {"", Op::kSclRelease},
      {"", Op::kInstr, "rcall", "_I2cH"},
      {"", Op::kInstr, "clc"},
      {"", Op::kSkipSdaLow},
      {"", Op::kInstr, "sec"},
      {"", Op::kInstr, "rol", "zl"},
      {"", Op::kInstr, "brcc", "_I2cRb"}}},
    // r23 bit 0 holds the caller's carry: clear acknowledges, set ends the read.
    {"I2cPutAck",
     {{"_I2cPa", Op::kSclLow},
      {"", Op::kInstr, "ror", "r23"},
      {"", Op::kInstr, "brcc", "_I2cP0"},
      {"", Op::kSdaRelease},
      {"", Op::kInstr, "clr", "r21"},
      {"", Op::kInstr, "sts", "_I2cRo,r21"},
      {"", Op::kInstr, "rjmp", "_I2cP1"},
      {"_I2cP0", Op::kSdaLow},
      {"_I2cP1", Op::kInstr, "rcall", "_I2cD"},
      {"", Op::kSclRelease},
      {"", Op::kInstr, "rjmp", "_I2cH"}}},
    // Data low under a low clock, the clock released, then the data line: the stop; the
    // last wait keeps the bus free before the next start.
    {"I2cStop",
     {{"_I2cSp", Op::kSclLow},
      {"", Op::kSdaLow},
      {"", Op::kInstr, "rcall", "_I2cD"},
      {"", Op::kSclRelease},
      {"", Op::kInstr, "rcall", "_I2cH"},
      {"", Op::kSdaRelease},
      {"", Op::kInstr, "rjmp", "_I2cD"}}},
};

// One TAB after the jumps, calls, branches and skips; two after every other mnemonic.
Sep SepFor(std::string_view mnem) {
  for (std::string_view m : {"rcall", "rjmp", "breq", "brne", "brcc", "sbis", "sbic", "sbrs", "sbrc"})
    if (mnem == m) return Sep::kNarrow;
  return Sep::kWide;
}

std::string Header(std::string_view name) {
  std::string text = ";////// " + std::string(name) + " ";
  while (text.size() < 43) text += '/';
  return text;
}

void WriteStep(CompilerState& st, const Step& s, const opendrain::Line& sda, const opendrain::Line& scl) {
  switch (s.op) {
    case Op::kInstr:
      if (s.ops.empty())
        st.out.Instr(s.label, Sep::kWide, s.mnem);
      else
        st.out.Instr(s.label, SepFor(s.mnem), s.mnem, s.ops);
      break;
    case Op::kSclLow: opendrain::Drive(st, s.label, scl, true, kScratch); break;
    case Op::kSclRelease: opendrain::Drive(st, s.label, scl, false, kScratch); break;
    case Op::kSdaLow: opendrain::Drive(st, s.label, sda, true, kScratch); break;
    case Op::kSdaRelease: opendrain::Drive(st, s.label, sda, false, kScratch); break;
    case Op::kSkipSdaLow: opendrain::SkipIf(st, s.label, sda, false, kScratch); break;
  }
}

// The delay count: 3 * N + 7 cycles with the call reach 5 us (N at least 1).
long DelayCount(const CompilerState& st) {
  const double cycles = std::ceil(5.0 * static_cast<double>(st.cfg.CrystalFrequency));
  const long n = static_cast<long>(std::ceil((cycles - 7.0) / 3.0));
  return n < 1 ? 1 : (n > 255 ? 255 : n);
}

void WriteClockWait(CompilerState& st, const opendrain::Line& scl) {
  textrows::WriteHeader(st, Header("I2cClockHigh"));
  opendrain::SkipIf(st, "_I2cH", scl, true, kScratch);
  st.out.Instr(Sep::kNarrow, "rjmp", "_I2cH");
  st.out.Instr("_I2cD", Sep::kWide, "ldi", "r21," + Dec(DelayCount(st)));
  st.out.Instr("_I2cD1", Sep::kWide, "dec", "r21");
  st.out.Instr(Sep::kNarrow, "brne", "_I2cD1");
  st.out.Instr("ret");
}

}  // namespace

void EmitI2CRoutines(CompilerState& st) {
  const I2cCells& i2c = st.Cells<I2cCells>();
  const opendrain::Line sda = opendrain::ParseLine(i2c.I2cSdaPort, i2c.I2cSdaPin);
  const opendrain::Line scl = opendrain::ParseLine(i2c.I2cSclPort, i2c.I2cSclPin);
  for (const Block& b : kBlocks) {
    textrows::WriteHeader(st, Header(b.name));
    for (const Step& s : b.steps) WriteStep(st, s, sda, scl);
  }
  WriteClockWait(st, scl);
}

void EmitI2CWriteAllRoutine(CompilerState& st) {
  textrows::WriteHeader(st, Header("I2cWriteAll"));
  // a count of 0 sends nothing
  st.out.Text(R"(_I2WA:\tmov\t\tr20,zl
\t\ttst\t\tr20
\t\tbrne\t_I2WA1
\t\tret
_I2WA1:\tld\t\tzl,X+
\t\trcall\t_I2cW
\t\tdec\t\tr20
\t\tbrne\t_I2WA1
\t\tret)");
}

}  // namespace qbc
