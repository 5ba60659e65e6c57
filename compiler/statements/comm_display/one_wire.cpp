// The 1-Wire words. They begin with a digit, so they reach here as number tokens: from the
// statement loop, and from an expression for the two that yield a byte (1wreset, 1wread).
// Each call names its bus's routine by the bus number as a label suffix; every word sets
// the used flags of the routines it calls, so none relies on another word elsewhere.
#include "compiler/statements/comm_display/one_wire.h"

#include <string>

#include "compiler/base/flags/bus_flags.h"
#include "compiler/base/symbols.h"
#include "compiler/base/source_names.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/comm_display/one_wire_cells.h"
#include "compiler/statements/peripherals/block_operands.h"

namespace qbc {

namespace {

// The bus written as a number or a named constant at the current token (stepped past), or
// empty when the token is neither.
std::string ReadBusConstant(CompilerState& st) {
  if (st.Tok().Kind == kTokNumber) {
    std::string value = st.TokText();
    ++st.src.TokenIndex;
    return value;
  }
  if (int c = FindConst(st, st.TokText()); c != 0) {
    ++st.src.TokenIndex;
    return st.sym.Constants[c].Value;
  }
  return {};
}

// A call names routines only $1wire declared: a bus outside them would leave the assembler
// an undefined label. The message stands on the token after the bus.
bool DeclaredBus(CompilerState& st, const std::string& bus) {
  const auto& buses = st.Cells<OneWireCells>().OneWireBuses;
  if (buses[0].Port.empty()) {
    ReportInPlace(st, "1Wire is not configured!");
    return false;
  }
  const bool digit = bus.size() == 1 && bus[0] >= '0' && bus[0] <= '9';
  if (!digit || bus[0] - '0' > buses[0].LastBusIndex) {
    ReportInPlace(st, "1Wire bus " + SourceName(bus) + " is not declared!");
    return false;
  }
  return true;
}

// [bus] of 1wreset and of the single-byte 1wread: bus 0 when none is written.
std::string ReadLoneBus(CompilerState& st) {
  std::string bus = ReadBusConstant(st);
  return bus.empty() ? "0" : bus;
}

// [bus ","] before the operands of 1wwrite and of 1wread's count form: a number or a named
// constant followed by "," is the bus, 0 included.
std::string ReadBusBeforeComma(CompilerState& st) {
  const bool constant = st.Tok().Kind == kTokNumber || FindConst(st, st.TokText()) != 0;
  if (!constant || st.TokText(1) != ",") return "0";
  std::string bus = ReadBusConstant(st);
  ++st.src.TokenIndex;
  return bus;
}

// The buffer of a count form: its address into X.
void LoadBufferAddress(CompilerState& st, std::uint8_t wanted) {
  if (st.Tok().Kind == kTokName)
    EmitLoadVarAddress(st, "x", wanted);
  else
    CompileError(st, "Only variable can be before comma!");
}

// The buffer of a count form into X and its count into zl. X waits on the stack while the
// count is compiled: an array element in the count is reached through X. `wanted` comes
// in as the type the caller wants and goes out as the type the count went on in.
void LoadBufferAndCount(CompilerState& st, std::uint8_t& wanted) {
  LoadBufferAddress(st, wanted);
  ExpectToken(st, ",");
  st.out.Instr(Sep::kNarrow, "push", "xl");
  st.out.Instr(Sep::kNarrow, "push", "xh");
  CheckBlockCount(st);
  wanted = ParseSum(st, kTypeByte);
  st.out.Instr(Sep::kWide, "pop", "xh");
  st.out.Instr(Sep::kWide, "pop", "xl");
}

void CompileReset(CompilerState& st) {
  ++st.src.TokenIndex;
  const std::string bus = ReadLoneBus(st);
  if (!DeclaredBus(st, bus)) return;
  CallLibrary(st, "_1Wrs" + bus, NeedOneWire);
  st.sticky.OperandType = kTypeByte;
}

void CompileWrite(CompilerState& st, std::uint8_t& wanted) {
  ++st.src.TokenIndex;
  // the values are statements' own expressions, never the right operand of an assignment
  st.sticky.SkipOperandPush = false;
  const std::string bus = ReadBusBeforeComma(st);
  if (!DeclaredBus(st, bus)) return;
  if (st.TokText(1) == ",") {
    LoadBufferAndCount(st, wanted);
    CallLibrary(st, "_1WwA" + bus, NeedOneWireWriteAll);
    st.used.Set(NeedOneWire);
    return;
  }
  for (;;) {
    wanted = ParseSum(st, kTypeByte);
    CallLibrary(st, "_1Ww" + bus, NeedOneWire);
    if (st.TokText() != ";") break;
    ++st.src.TokenIndex;
  }
}

void CompileRead(CompilerState& st, std::uint8_t& wanted) {
  ++st.src.TokenIndex;
  std::string bus;
  if (st.TokText(1) == "," || (st.Tok().Kind == kTokName && FindConst(st, st.TokText()) == 0)) {
    st.sticky.SkipOperandPush = false;
    bus = ReadBusBeforeComma(st);
    if (!DeclaredBus(st, bus)) return;
    LoadBufferAndCount(st, wanted);
    CallLibrary(st, "_1WrA" + bus, NeedOneWireReadAll);
    st.used.Set(NeedOneWire);
    if (st.Tok().Kind == kTokComma) ++st.src.TokenIndex;
  } else {
    bus = ReadLoneBus(st);
    if (!DeclaredBus(st, bus)) return;
    CallLibrary(st, "_1Wr" + bus, NeedOneWire);
  }
  st.sticky.OperandType = kTypeByte;
}

}  // namespace

std::uint8_t Compile1WireStatement(CompilerState& st, std::uint8_t wanted) {
  const std::string word = st.TokText();
  if (word == "1wreset")
    CompileReset(st);
  else if (word == "1wwrite")
    CompileWrite(st, wanted);
  else if (word == "1wread")
    CompileRead(st, wanted);
  else
    CompileError(st, "Not a valid 1Wire command!");
  // the byte is in zl: an operator after it must push it, not expect it in r24
  st.sticky.SkipOperandPush = false;
  return wanted;
}

}  // namespace qbc
