#include "compiler/statements/comm_display/i2c_statements.h"

#include <string>

#include "compiler/base/flags/bus_flags.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/statements/math/function_result.h"
#include "compiler/statements/peripherals/block_operands.h"
#include "compiler/statements/peripherals/i2c_cells.h"

namespace qbc {

namespace {

// The statements call the bus master routines that $i2c brings into the program: the
// software master on two pins (sda = ..., scl = ...) or the one on the TWI unit (twi,
// master); both take the same registers. USI and the slave forms have no routines.
void CheckInterface(CompilerState& st) {
  switch (st.Cells<I2cCells>().I2cInterface) {
    case 1:
    case 2: return;
    case 0: ReportInPlace(st, "I2C is not configured!"); return;
    case 3: ReportInPlace(st, "Not supported yet: I2C on USI"); return;
    default: ReportInPlace(st, "Not supported yet: I2C slave"); return;
  }
}

// The address operand of I2CStart, stepped over; -1 after a reported error.
long StartAddress(CompilerState& st) {
  const TokenRecord& t = st.Tok();
  std::string text = t.Text;
  std::uint8_t kind = t.Kind;
  if (int c = FindConst(st, text); c != 0) {
    text = st.sym.Constants[c].Value;
    kind = st.sym.Constants[c].ConstType == kTokNumber ? kTokNumber : kTokName;
  }
  long value = 0;
  if (kind == kTokAmpersand) {
    ++st.src.TokenIndex;
    std::string digits = st.TokText();
    if (!digits.empty() && digits[0] == 'h') {
      value = HexConstantValue(digits);
    } else if (!digits.empty() && digits[0] == 'b') {
      value = BinConstantValue(digits);
    } else {
      CompileError(st, "h for hex or b for bin!");
      return -1;
    }
  } else if (kind == kTokNumber) {
    value = static_cast<long>(RoundHalfEven(LeadingNumber(text)));
  } else {
    CompileError(st, "Must be constant!");
    return -1;
  }
  if (value < 0 || value > 255) {
    CompileError(st, "Must be from 0 to 255!");
    return -1;
  }
  ++st.src.TokenIndex;
  return value;
}

bool InFlash(CompilerState& st, const std::string& name) {
  if (int k = FindLocalVar(st, name); k != 0) return st.sym.LocalVars[k - 1].Storage == kStorageFlash;
  const int g = FindGlobalVar(st, name);
  return g != 0 && st.sym.GlobalVars[g].Storage == kStorageFlash;
}

// var , count: the count into zl first, then the address into X, so that a count read
// through X (an array element) cannot move the address.
void CompileWriteAll(CompilerState& st) {
  const auto name = st.src.TokenIndex;
  bool variable = st.Tok().Kind == kTokName;
  if (variable && InFlash(st, st.TokText())) {
    // the routine reads SRAM: a table's flash address would send whatever lies there
    CompileError(st, "Can not send a table in flash!");
    variable = false;
  } else if (variable) {
    ++st.src.TokenIndex;
  } else {
    CompileError(st, "Only variable can be before comma!");
  }
  kit::ExpectComma(st);
  CheckBlockCount(st);
  const std::uint8_t count = ParseExpression(st, kTypeByte);
  if (variable) {
    const auto end = st.src.TokenIndex;
    st.src.TokenIndex = name;
    EmitLoadVarAddress(st, "x", count);
    st.src.TokenIndex = end;
  }
  CallLibrary(st, "_I2WA", NeedI2cWriteAll);
}

}  // namespace

void CompileI2CStartStatement(CompilerState& st) {
  CheckInterface(st);
  ++st.src.TokenIndex;
  I2cCells& i2c = st.Cells<I2cCells>();
  if (const long address = StartAddress(st); address >= 0) i2c.I2cSlaveAddress = static_cast<std::uint8_t>(address);
  st.out.Instr(Sep::kWide, "ldi", "zl,byte1(" + Dec(i2c.I2cSlaveAddress) + ")");
  EmitCall(st, "_I2cS");
}

void CompileI2CWriteStatement(CompilerState& st) {
  CheckInterface(st);
  st.expr.StatementContext = true;
  ++st.src.TokenIndex;
  if (st.TokText(1) == ",") {
    CompileWriteAll(st);
    return;
  }
  for (;;) {
    kit::LoadValue(st, kTypeByte);
    EmitCall(st, "_I2cW");
    if (st.TokText() != ";") break;
    ++st.src.TokenIndex;
  }
}

// The acknowledge goes to the routine in the carry; whether the bus must first turn round
// to reading is the routine's to know at run time (a read in a loop, or after a start
// taken on another path, reads on without a second repeated start).
std::uint8_t CompileI2CReadFunction(CompilerState& st, std::uint8_t wanted) {
  FunctionResult result(st, wanted);
  CheckInterface(st);
  ++st.src.TokenIndex;
  ExpectToken(st, ",");
  const std::string ack = st.TokText();
  if (ack == "ack") {
    st.out.Instr("clc");
  } else if (ack == "nack") {
    st.out.Instr("sec");
  } else {
    ReportInPlace(st, "Ack or Nack!");
  }
  EmitCall(st, "_I2cR");
  ++st.src.TokenIndex;
  return result.Yield(kTypeByte);
}

void CompileI2CStopStatement(CompilerState& st) {
  CheckInterface(st);
  ++st.src.TokenIndex;
  EmitCall(st, "_I2cSp");
}

}  // namespace qbc
