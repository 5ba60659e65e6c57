#include "compiler/statements/peripherals/spi_statements.h"

#include <cstdint>
#include <string>

#include "compiler/base/flags/bus_flags.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/array_elements.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/operand_store.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/codegen/string_lines.h"
#include "compiler/statements/peripherals/block_operands.h"
#include "compiler/statements/peripherals/byte_transfers.h"
#include "compiler/statements/peripherals/spi_cells.h"

namespace qbc {

namespace {

// The received value into the element at X, lowest byte first.
void StoreAtX(CompilerState& st, std::uint8_t type) {
  switch (type) {
    case kTypeByte:
      st.out.Instr(Sep::kWide, "st", "X,zl");
      break;
    case kTypeLong:
      st.out.Instr(Sep::kWide, "st", "X+,zl");
      st.out.Instr(Sep::kWide, "st", "X+,zh");
      st.out.Instr(Sep::kWide, "st", "X+,r18");
      st.out.Instr(Sep::kWide, "st", "X,r19");
      break;
    default:
      st.out.Instr(Sep::kWide, "st", "X+,zl");
      st.out.Instr(Sep::kWide, "st", "X,zh");
      break;
  }
}

// The array element at the current token ("name(index)"), received into its place.
// False after a compile error. `wanted` goes out as the type the statement's values were
// last loaded as.
bool ReceiveElement(CompilerState& st, std::uint8_t& wanted) {
  const std::string name = st.TokText();
  const int g = FindGlobalVar(st, name);
  if (g == 0) {
    CompileError(st, "Is this array?");
    return false;
  }
  const GlobalVarRecord& v = st.sym.GlobalVars[g];
  const auto type = v.Storage == kStorageFlash ? std::nullopt : ReceivedType(st, v.VarType);
  if (!type) {
    if (v.Storage == kStorageFlash) ReportInPlace(st, "Must be variable or array element!");
    return false;
  }
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  CheckConstantArrayIndex(st, v);
  kit::LoadValue(st, st.dev.RamEnd > 255 ? kTypeWord : kTypeByte);
  ExpectToken(st, ")");
  EmitPushArrayIndex(st);
  st.expr.IndexOnStack = true;
  st.expr.CurrentVarType = v.VarType;
  // Read as a byte the element leaves X on its first byte.
  wanted = kTypeByte;
  st.sticky.OperandType = v.VarType;
  EmitLoadArrayElement(st, name, kTypeByte);
  EmitReceiveValue(st, "_SPIch", *type);
  StoreAtX(st, *type);
  return true;
}

// A global string: characters up to a 0 byte or its declared length, then its terminator.
void ReceiveString(CompilerState& st, const GlobalVarRecord& v) {
  st.out.Instr(Sep::kWide, "ldi", "r25," + Dec(v.ElementSize - 1));
  st.out.Instr(Sep::kWide, "ldi", "xl,byte1(" + v.Name + ")");
  if (st.dev.RamEnd > 255) st.out.Instr(Sep::kWide, "ldi", "xh,byte2(" + v.Name + ")");
  CallLibrary(st, "_SPIst", NeedSPIst);
}

// A plain variable or local at the current token. False after a compile error. `wanted`
// as for ReceiveElement.
bool ReceiveVariable(CompilerState& st, std::uint8_t& wanted) {
  const std::string name = st.TokText();
  const int local = FindLocalVar(st, name);
  const int global = local == 0 ? FindGlobalVar(st, name) : 0;
  if (local == 0 && global == 0) {
    CompileError(st, "Unknown identifier  " + SourceName(name));
    return false;
  }
  const std::uint8_t varType = local != 0 ? st.sym.LocalVars[local - 1].VarType : st.sym.GlobalVars[global].VarType;
  if (global != 0 && varType == kTypeString && st.sym.GlobalVars[global].Storage != kStorageFlash) {
    ReceiveString(st, st.sym.GlobalVars[global]);
    ++st.src.TokenIndex;
    return true;
  }
  const auto type = ReceivedType(st, varType);
  if (!type) return false;
  EmitReceiveValue(st, "_SPIch", *type);
  wanted = *type;
  st.sticky.OperandType = *type;
  if (local != 0)
    EmitStoreFrameVar(st, name, "zl", *type);
  else
    EmitStoreVariable(st, name, "zl", *type);
  ++st.src.TokenIndex;
  return true;
}

// Without $spi the unit is never switched on and every transfer waits for SPIF for ever.
void CheckConfigured(CompilerState& st) {
  if (!st.Cells<SpiCells>().SpiConfigured) ReportInPlace(st, "SPI is not configured!");
}

}  // namespace

void CompileSpiInStatement(CompilerState& st) {
  CheckConfigured(st);
  // The dispatcher leaves the left-operand form on for this word; nothing here is one.
  st.sticky.SkipOperandPush = false;
  st.sticky.OperandType = kTypeByte;
  ++st.src.TokenIndex;
  // (the type the last value was loaded as, which the address of a counted form is loaded as)
  std::uint8_t wanted = kTypeNone;
  while (!kit::AtStatementEnd(st)) {
    bool ok = true;
    if (IsBlockForm(st)) {
      wanted = EmitBlockOperands(st, wanted);
      CallLibrary(st, "_SPIal", NeedSPIal);
    } else if (st.Tok().Kind == kTokCallName) {
      ok = ReceiveElement(st, wanted);
    } else if (st.Tok().Kind == kTokName) {
      ok = ReceiveVariable(st, wanted);
    } else {
      CompileError(st, "Must be variable or array element!");
      ok = false;
    }
    if (!ok) {
      SkipToStatementEnd(st);
      break;
    }
    if (st.TokText() != ";") break;
    ++st.src.TokenIndex;
  }
  st.used.Set(NeedSPIch);
}

void CompileSpiOutStatement(CompilerState& st) {
  CheckConfigured(st);
  ++st.src.TokenIndex;
  st.used.Set(NeedSpiOut);
  if (IsBlockForm(st)) {
    EmitBlockOperands(st, kTypeNone);
    CallLibrary(st, "_SpAll", NeedSpiOutAll);
    return;
  }
  EmitSendValues(st, "_SpiO");
}

std::uint8_t CompileSpiFunction(CompilerState& st, std::uint8_t wanted) {
  // The dispatcher leaves the left-operand form on for this word: the byte received goes
  // to the registers the expression asked for, as a timer's count does.
  const bool toSecond = st.sticky.SkipOperandPush;
  st.sticky.SkipOperandPush = false;
  CheckConfigured(st);
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  kit::LoadValue(st, kTypeByte);
  CallLibrary(st, "_SpiO", NeedSpiOut);
  st.Cells<SpiCells>().SpiFunctionUsed = true;
  ExpectToken(st, ")");
  st.sticky.SkipOperandPush = toSecond;
  st.sticky.OperandType = kTypeByte;
  strlines::WidenResult(st, 1, false, wanted, toSecond);
  return wanted;
}

}  // namespace qbc
