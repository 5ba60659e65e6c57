#include "compiler/statements/hardware/eeprom_statements.h"

#include <optional>
#include <string>

#include "compiler/base/flags/hardware_flags.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/data_list.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/numeric_constants.h"

namespace qbc {

namespace {

void StepAddress(CompilerState& st) {
  if (WideEepromAddress(st))
    st.out.Instr(Sep::kNarrow, "adiw", "r24,1");
  else
    st.out.Instr(Sep::kWide, "inc", "r24");
}

void CallWrite(CompilerState& st) { EmitCall(st, "_WrtEE"); }
void CallRead(CompilerState& st) { EmitCall(st, "_RdEE"); }

void PushAddress(CompilerState& st) {
  if (WideEepromAddress(st)) st.out.Instr(Sep::kNarrow, "push", "r25");
  st.out.Instr(Sep::kNarrow, "push", "r24");
}

void PopAddress(CompilerState& st) {
  st.out.Instr(Sep::kWide, "pop", "r24");
  if (WideEepromAddress(st)) st.out.Instr(Sep::kWide, "pop", "r25");
}

// The address expression into r24 (and r25).
void LoadAddress(CompilerState& st) {
  kit::LoadValue(st, WideEepromAddress(st) ? kTypeWord : kTypeByte);
  st.out.Instr(Sep::kWide, "mov", "r24,zl");
  if (WideEepromAddress(st)) st.out.Instr(Sep::kWide, "mov", "r25,zh");
}

bool HasPoint(const std::string& text) { return text.find('.') != std::string::npos; }

// The address when it is written as one whole-number constant (a number, &h digits or a
// named constant) followed by "," or ")"; none for anything computed.
std::optional<long> LiteralAddress(CompilerState& st) {
  const TokenRecord& t = st.Tok();
  const int length = t.Kind == kTokAmpersand ? 2 : 1;
  if (st.TokText(length) != "," && st.TokText(length) != ")") return std::nullopt;
  if (t.Kind == kTokNumber && !HasPoint(t.Text)) return static_cast<long>(LeadingNumber(t.Text));
  if (t.Kind == kTokAmpersand && st.TokText(1).starts_with("h")) {
    std::string digits = st.TokText(1);
    return static_cast<long>(IsHexConstant(digits)) & 0xFFFF;  // &hFFFF is 65535 here, not -1
  }
  if (const int c = FindConst(st, t.Text); c != 0 && st.sym.Constants[c].ConstType == kTokNumber &&
                                           !HasPoint(st.sym.Constants[c].Value))
    return static_cast<long>(LeadingNumber(st.sym.Constants[c].Value));
  return std::nullopt;
}

// A constant address whose bytes run past the chip's EEPROM would wrap round to its start
// (the address register keeps only the bits the EEPROM has).
void CheckEepromReach(CompilerState& st, std::optional<long> address, int bytes) {
  if (!address || st.dev.EepromEnd <= 0) return;
  const long last = st.dev.EepromEnd - 1;
  if (*address + bytes - 1 > last) ReportInPlace(st, "EEPROM address beyond " + std::to_string(last) + "!");
}

int TypeBytes(std::uint8_t type) {
  switch (type) {
    case kTypeInteger:
    case kTypeWord: return 2;
    case kTypeLong:
    case kTypeFloat: return 4;
    default: return 1;
  }
}

// True when the value at the current token is one variable, register or whole-number
// constant, whose load leaves r24 and r25 alone. Anything else (an operator, an array
// element, a function, ReadEE, Adc, a float, which arrives in r22..r25) may use them.
bool LeavesAddressAlone(CompilerState& st) {
  const TokenRecord& t = st.Tok();
  const int length = t.Kind == kTokAmpersand ? 2 : 1;
  if (st.TokText(length) != "," && st.TokText(length) != ")") return false;
  switch (t.Kind) {
    case kTokAmpersand:
      return true;
    case kTokNumber:
      return !HasPoint(t.Text) && !t.Text.starts_with("1w");
    case kTokName:
      break;
    default:
      return false;
  }
  if (int c = FindConst(st, t.Text); c != 0) return !HasPoint(st.sym.Constants[c].Value);
  if (int k = FindLocalVar(st, t.Text); k != 0) return st.sym.LocalVars[k - 1].VarType != kTypeFloat;
  if (int g = FindGlobalVar(st, t.Text); g != 0) {
    const GlobalVarRecord& v = st.sym.GlobalVars[g];
    return v.VarType != kTypeFloat && v.Storage == kStorageSram;
  }
  return FindIoRegister(st, t.Text) != 0;
}

// Compiles one value (the address kept around it unless its load leaves it alone) and
// writes every byte of it but the last, which stays in zl for the caller's _WrtEE. Returns
// the value's type.
std::uint8_t EmitWriteEEValue(CompilerState& st) {
  const bool keep = !LeavesAddressAlone(st);
  if (keep) PushAddress(st);
  const std::uint8_t worked = ParseExpression(st, kTypeAnyNumber);
  // an expression is worked in the type that holds its operands; a float or bit stays one
  std::uint8_t type = kit::ItemType(st, worked);
  if (st.sticky.OperandType == kTypeFloat || st.sticky.OperandType == kTypeBit) type = st.sticky.OperandType;
  if (type == kTypeFloat) {
    // out of r22..r25, where the address goes back
    st.out.Instr(Sep::kWide, "mov", "zl,r22");
    st.out.Instr(Sep::kWide, "mov", "zh,r23");
    st.out.Instr(Sep::kWide, "mov", "r18,r24");
    st.out.Instr(Sep::kWide, "mov", "r19,r25");
  }
  if (keep) PopAddress(st);
  switch (type) {
    case kTypeBit:
      st.out.Instr(Sep::kWide, "clr", "zl");
      st.out.Instr(Sep::kWide, "bld", "zl,0");
      break;
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong:
    case kTypeFloat: {
      static const char* const kUpper[] = {"zl,zh", "zl,r18", "zl,r19"};
      const int upper = type == kTypeInteger || type == kTypeWord ? 1 : 3;
      for (int i = 0; i < upper; ++i) {
        CallWrite(st);
        st.out.Instr(Sep::kWide, "mov", kUpper[i]);
        StepAddress(st);
      }
      break;
    }
    default:
      break;
  }
  return type;
}

}  // namespace

void CompileInitEEStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  st.out.Instr(Sep::kWide, ".ESEG");
  std::uint8_t type = kTypeByte;
  EmitDataList(st, "", type);
  st.out.Instr(Sep::kWide, ".CSEG");
}

void CompileWriteEEStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  const std::optional<long> address = LiteralAddress(st);
  LoadAddress(st);
  kit::ExpectComma(st);
  int bytes = TypeBytes(EmitWriteEEValue(st));
  st.used.Set(NeedWriteEE);
  while (st.TokText() == ",") {
    ++st.src.TokenIndex;
    CallWrite(st);
    const std::uint8_t type = EmitWriteEEValue(st);
    ++bytes;
    if (type > kTypeByte && type != kTypeChar) {
      // its bytes would be written before the address step of the value before
      CompileError(st, "Must be bytes!");
      return;
    }
    StepAddress(st);
  }
  CallWrite(st);
  CheckEepromReach(st, address, bytes);
  ExpectToken(st, ")");
}

std::uint8_t CompileReadEEFunction(CompilerState& st, std::uint8_t wanted) {
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  CheckEepromReach(st, LiteralAddress(st), wanted == kTypeString || wanted == kTypeFlashString ? 1 : TypeBytes(wanted));
  LoadAddress(st);
  ExpectToken(st, ")");
  st.used.Set(NeedReadEE);
  CallRead(st);
  std::uint8_t type = wanted;
  switch (wanted) {
    case kTypeBit:
      st.out.Instr(Sep::kWide, "bst", "zl,0");
      break;
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong: {
      static const char* const kUpper[] = {"zh,zl", "r18,zl", "r19,zl"};
      const int upper = wanted == kTypeLong ? 3 : 1;
      st.out.Instr(Sep::kWide, "mov", "r23,zl");
      for (int i = 0; i < upper; ++i) {
        StepAddress(st);
        CallRead(st);
        st.out.Instr(Sep::kWide, "mov", kUpper[i]);
      }
      st.out.Instr(Sep::kWide, "mov", "zl,r23");
      break;
    }
    case kTypeFloat:
      // into r22..r25, the last over the address
      for (int i = 0; i < 3; ++i) {
        st.out.Instr(Sep::kNarrow, "push", "zl");
        StepAddress(st);
        CallRead(st);
      }
      st.out.Instr(Sep::kWide, "mov", "r25,zl");
      st.out.Instr(Sep::kWide, "pop", "r24");
      st.out.Instr(Sep::kWide, "pop", "r23");
      st.out.Instr(Sep::kWide, "pop", "r22");
      break;
    case kTypeString:
    case kTypeFlashString:
      ReportInPlace(st, "Only numeric variables!");
      break;
    default:
      type = kTypeByte;
      break;
  }
  st.sticky.OperandType = type;
  return wanted;
}

}  // namespace qbc
