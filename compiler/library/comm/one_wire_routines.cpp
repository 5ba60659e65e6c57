#include "compiler/library/comm/one_wire_routines.h"

#include <cmath>
#include <string>
#include <string_view>

#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/port_pins.h"
#include "compiler/library/comm/cycle_timed_writer.h"
#include "compiler/statements/comm_display/one_wire_cells.h"

namespace qbc {

namespace {

// Microseconds from the edge that opens each phase. The device's windows: reset low at
// least 480; presence starts 15-60 after the release and lasts 60-240, so a sample 60-75
// after the release sees it; the master keeps the line released 480 after that release.
// A written 0 is low 60-120, a 1 is low 1-15; the device samples 15-60 into the slot. A
// read slot is low at least 1 and the device's 0 holds only 15 from the falling edge, so
// the sample comes well before. A slot lasts at least 60 with 1 of recovery after it.
constexpr double kResetLow = 500;
constexpr double kPresenceSample = 68;
constexpr double kPresenceEnd = 490;
constexpr double kWriteZeroLow = 70;
constexpr double kWriteOneLow = 6;
constexpr double kReadLow = 3;
constexpr double kReadSample = 10;
constexpr double kSlot = 70;
constexpr double kWriteSlot = 75;  // the written 0 ends at 70: 5 of recovery

// The bus's registers and the choice of instruction form by their addresses.
struct BusPin {
  std::string ddr, port, pin;
  int bit = 0;
};

BusPin BusPinOf(const CompilerState& st, int bus) {
  const OneWireRecord& r = st.Cells<OneWireCells>().OneWireBuses[bus];
  const char letter = r.Port.empty() ? 'B' : PortLetter(r.Port);
  BusPin p;
  p.ddr = std::string("DDR") + letter;
  p.port = std::string("PORT") + letter;
  p.pin = std::string("PIN") + letter;
  p.bit = r.Pin.empty() ? 0 : r.Pin[0] - '0';
  return p;
}

// One copy of the routines for one bus: its pin and its label suffix.
class BusRoutineWriter {
 public:
  BusRoutineWriter(CompilerState& st, int bus, std::string_view waitPrefix)
      : st_(st), pin_(BusPinOf(st, bus)), n_(std::to_string(bus)),
        w_(st, std::string(waitPrefix), "_" + n_) {}

  std::string Label(std::string_view base) const { return std::string(base) + n_; }
  CycleTimedWriter& Timed() { return w_; }

  // The registers the routine uses beyond zl and zh are kept for the caller: the byte may
  // be the right operand of an expression whose left one waits in registers.
  void Enter(std::string_view label) {
    w_.Op(label, Sep::kNarrow, "push", "r21", 2);
    w_.Op(Sep::kNarrow, "push", "r22", 2);
  }
  void Leave() {
    st_.out.Instr(Sep::kWide, "pop", "r22");
    st_.out.Instr(Sep::kWide, "pop", "r21");
    st_.out.Instr("ret");
  }

  // Interrupts off, the caller's SREG on the stack; and back.
  static constexpr long kHoldCycles = 4;
  void Hold(std::string_view label = {}) {
    w_.Op(label, Sep::kWide, "in", "r22,SREG", 1);
    w_.Op(Sep::kNarrow, "push", "r22", 2);
    w_.Op(Sep::kWide, "cli", "", 1);
  }
  void Restore(std::string_view label = {}) {
    w_.Op(label, Sep::kWide, "pop", "r22", 2);
    w_.Op(Sep::kWide, "out", "SREG,r22", 1);
  }

  // The line pulled low (DDR bit set: an output driving the 0 of the PORT bit) or released
  // to the pull-up (an input). Extended registers take a read-modify-write through r21,
  // which only runs with interrupts held off.
  long DriveCycles() const { return BitCycles(pin_.ddr); }
  void Drive(bool low, std::string_view label = {}) { WriteBit(label, pin_.ddr, low); }
  // The PORT bit 0 for good: the chip never drives the line high.
  void PortLow() { WriteBit({}, pin_.port, false); }

  // Before the first slot of a routine.
  void ClaimPort() {
    Hold();
    PortLow();
    Restore();
  }

  // The line's level into r21 (bit `Bit()`) `us` after the mark; then the interrupts the
  // slot held off.
  void SampleAt(double us) {
    const IoForm read = ReadForm(st_, pin_.pin, "r21", Reach::kData);
    w_.Until(us, FormCycles(read));
    Write({}, read);
    Restore();
  }
  std::string Bit() const { return Dec(pin_.bit); }

 private:
  IoForm BitForm(const std::string& reg, bool set) const {
    return BitChangeForm(st_, BitOf(reg, pin_.bit, MaskText::kDecimal), set, Flags::kMayChange, "r21", Reach::kData);
  }
  long BitCycles(const std::string& reg) const { return FormCycles(BitForm(reg, true)); }
  void WriteBit(std::string_view label, const std::string& reg, bool set) { Write(label, BitForm(reg, set)); }
  void Write(std::string_view label, const IoForm& form) {
    for (const IoInstr& i : form) {
      w_.Op(label, i.sep, i.mnemonic, i.operands, FormCycles(i));
      label = {};
    }
  }

  CompilerState& st_;
  BusPin pin_;
  std::string n_;
  CycleTimedWriter w_;
};

void EmitReset(CompilerState& st, int bus) {
  BusRoutineWriter b(st, bus, "_1Wrs");
  CycleTimedWriter& w = b.Timed();
  st.out.Line();
  st.out.Line(";////// 1Wreset ///////////////////////////");
  b.Enter(b.Label("_1Wrs"));
  b.Hold();
  b.PortLow();
  b.Drive(true);
  w.Mark();
  // interrupts may lengthen the reset pulse: a longer one is still a reset
  b.Restore();
  w.Until(kResetLow, BusRoutineWriter::kHoldCycles + b.DriveCycles());
  b.Hold();
  b.Drive(false);
  w.Mark();
  b.SampleAt(kPresenceSample);
  // a device answering holds the line low at the sample
  w.Op(Sep::kWide, "ldi", "zl,0", 1);
  w.Op(Sep::kNarrow, "sbrs", "r21," + b.Bit(), 1);
  w.Op(Sep::kWide, "ldi", "zl,1", 1);
  w.Until(kPresenceEnd, 0);
  b.Leave();
}

void EmitWrite(CompilerState& st, int bus) {
  BusRoutineWriter b(st, bus, "_1Ww");
  CycleTimedWriter& w = b.Timed();
  const std::string loop = b.Label("_1Ww1"), one = b.Label("_1Ww2"), join = b.Label("_1Ww3");
  st.out.Line();
  st.out.Line(";////// 1Wwrite ///////////////////////////");
  b.Enter(b.Label("_1Ww"));
  b.ClaimPort();
  // C takes bit 0 and zl keeps a stop bit above the rest: after the eighth bit the shift
  // leaves zl at 0
  st.out.Instr("sec");
  st.out.Instr(Sep::kWide, "ror", "zl");
  b.Hold(loop);
  b.Drive(true);
  w.Mark();
  w.Op(Sep::kNarrow, "brcs", one, 1);
  w.Until(kWriteZeroLow, b.DriveCycles());
  b.Drive(false);
  w.Op(Sep::kNarrow, "rjmp", join, 2);
  const long joined = w.Now();
  w.Mark();
  w.Advance(2);  // the taken branch
  w.Label(one);
  w.Until(kWriteOneLow, b.DriveCycles());
  b.Drive(false);
  w.UntilCycles(joined, 0);
  b.Restore(join);
  w.Until(kWriteSlot, 1 + 2 + BusRoutineWriter::kHoldCycles + b.DriveCycles());
  st.out.Instr(Sep::kWide, "lsr", "zl");
  st.out.Instr(Sep::kNarrow, "brne", loop);
  b.Leave();
}

void EmitRead(CompilerState& st, int bus) {
  BusRoutineWriter b(st, bus, "_1Wr");
  CycleTimedWriter& w = b.Timed();
  const std::string loop = b.Label("_1Wr1");
  st.out.Line();
  st.out.Line(";////// 1Wread ////////////////////////////");
  b.Enter(b.Label("_1Wr"));
  b.ClaimPort();
  // a stop bit: it drops out into C with the eighth bit read
  st.out.Instr(Sep::kWide, "ldi", "zh,0x80");
  b.Hold(loop);
  b.Drive(true);
  w.Mark();
  w.Until(kReadLow, b.DriveCycles());
  b.Drive(false);
  b.SampleAt(kReadSample);
  w.Op(Sep::kWide, "clc", "", 1);
  w.Op(Sep::kNarrow, "sbrc", "r21," + b.Bit(), 1);
  w.Op(Sep::kWide, "sec", "", 1);
  w.Op(Sep::kWide, "ror", "zh", 1);
  // the wait's ldi and dec leave C alone: it still tells whether the stop bit came out
  w.Until(kSlot, 2 + BusRoutineWriter::kHoldCycles + b.DriveCycles());
  st.out.Instr(Sep::kNarrow, "brcc", loop);
  st.out.Instr(Sep::kWide, "mov", "zl,zh");
  b.Leave();
}

}  // namespace

void Emit1WireRoutines(CompilerState& st, int bus) {
  EmitReset(st, bus);
  EmitWrite(st, bus);
  EmitRead(st, bus);
}

void Emit1WireReadAllRoutine(CompilerState& st, int bus) {
  const std::string n = std::to_string(bus);
  st.out.Line();
  st.out.Line(";////// 1WireReadAll //////////////////////");
  st.out.Instr("_1WrA" + n, Sep::kWide, "mov", "r25,zl");
  // a count of 0 reads nothing
  st.out.Instr(Sep::kWide, "tst", "r25");
  st.out.Instr(Sep::kNarrow, "brne", "_1rA1" + n);
  st.out.Instr("ret");
  st.out.Instr("_1rA1" + n, Sep::kNarrow, "rcall", "_1Wr" + n);
  st.out.Instr(Sep::kWide, "st", "X+,zl");
  st.out.Instr(Sep::kWide, "dec", "r25");
  st.out.Instr(Sep::kNarrow, "brne", "_1rA1" + n);
  st.out.Instr("ret");
}

void Emit1WireWriteAllRoutine(CompilerState& st, int bus) {
  const std::string n = std::to_string(bus);
  st.out.Line();
  st.out.Line(";////// 1WireWriteAll /////////////////////");
  st.out.Instr("_1WwA" + n, Sep::kWide, "mov", "r25,zl");
  // a count of 0 writes nothing
  st.out.Instr(Sep::kWide, "tst", "r25");
  st.out.Instr(Sep::kNarrow, "brne", "_1wA1" + n);
  st.out.Instr("ret");
  st.out.Instr("_1wA1" + n, Sep::kWide, "ld", "zl,X+");
  st.out.Instr(Sep::kNarrow, "rcall", "_1Ww" + n);
  st.out.Instr(Sep::kWide, "dec", "r25");
  st.out.Instr(Sep::kNarrow, "brne", "_1wA1" + n);
  st.out.Instr("ret");
}

}  // namespace qbc
