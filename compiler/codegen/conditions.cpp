#include "compiler/codegen/conditions.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

#include "compiler/base/source_names.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/base/labels.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/binary_operators.h"
#include "compiler/codegen/bits_io.h"
#include "compiler/codegen/compare_branch.h"
#include "compiler/codegen/compare_negate.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/expression_type.h"
#include "compiler/codegen/float_use.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/io_access.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/frontend/numeric_constants.h"

namespace qbc {

namespace {

void WidenLeft(CompilerState& st, std::uint8_t from, std::uint8_t to);

bool IsBitIndexDigit(const std::string& t) { return t.size() == 1 && t[0] >= '0' && t[0] <= '7'; }

bool IsConnective(const TokenRecord& t) {
  return IsWord(t, "or") || IsWord(t, "and") || IsWord(t, "then") || t.Text == "<EOL>" || IsWord(t, ":");
}

void ClearBitFlags(CompilerState& st) {
  st.expr.BitOperandIsIo = false;
  st.expr.BitOperandIsLocal = false;
  st.expr.BitOperandIsGlobal = false;
}

// The type compared: the wanted type, or the operand's own.
std::uint8_t CompareType(const CompilerState& st, std::uint8_t wanted) {
  return wanted != 0 ? wanted : st.sticky.OperandType;
}

// "not" in front of a comparison turns its relation into the opposite one.
Relation InvertRelation(Relation code) {
  switch (code) {
    case kRelLess: return kRelGreaterEqual;
    case kRelLessEqual: return kRelGreater;
    case kRelEqual: return kRelNotEqual;
    case kRelGreaterEqual: return kRelLess;
    case kRelGreater: return kRelLessEqual;
    case kRelNotEqual: return kRelEqual;
    default: return code;
  }
}

// A bit given as text: a number, or a constant's value. -1 when it is neither.
int BitNumber(CompilerState& st, const std::string& text) {
  std::string t = text;
  if (const int c = FindConst(st, text); c != 0) t = st.sym.Constants[c].Value;
  if (t.empty() || t.find_first_not_of("0123456789") != std::string::npos) return -1;
  return std::atoi(t.c_str());
}

// A numeric variable of the current procedure or the program: it may hold a bit number.
bool IsBitNumberVariable(CompilerState& st, const std::string& name) {
  std::uint8_t type = 0;
  if (const int l = FindLocalVar(st, name); l != 0)
    type = st.sym.LocalVars[l - 1].VarType;
  else if (const int g = FindGlobalVar(st, name); g != 0)
    type = st.sym.GlobalVars[g].VarType;
  return type >= kTypeByte && type <= kTypeLong;
}

// A bit of a numeric variable ("name.3", "name.j"): the bit becomes the condition's bit
// operand.
// Returns false when no "." follows the name.
bool ParseVariableBit(CompilerState& st, const std::string& name) {
  if (st.TokText() != ".") return false;
  ++st.src.TokenIndex;
  const std::string text = st.TokText();
  const int bit = BitNumber(st, text);
  st.expr.BitOperandRegister = name;
  if (bit < 0 && IsBitNumberVariable(st, text)) {
    // the bit number is read from the variable when the condition runs
    st.expr.BitOperandBit = text;
    ++st.src.TokenIndex;
  } else if (bit < 0 || bit > 31) {
    CompileError(st, "Numeric constant expected!");
    st.expr.BitOperandBit = "0";
  } else if (bit >= 8 * VarTypeBytes(st.sticky.OperandType)) {
    // beyond the variable the bit would be read from the next one
    CompileError(st, "From 0 to 7!");
    st.expr.BitOperandBit = "0";
  } else {
    st.expr.BitOperandBit = std::to_string(bit);
    ++st.src.TokenIndex;
  }
  st.expr.BitOperandIsLocal = true;
  return true;
}

// Where a bit operand is: the bit-operand cells of one operand.
struct BitPlace {
  std::string Register;
  std::string Bit;
  bool IsIo = false;
  bool IsVarBit = false;
  bool IsBitVar = false;
};

BitPlace CurrentBitPlace(CompilerState& st) {
  return {st.expr.BitOperandRegister, st.expr.BitOperandBit, st.expr.BitOperandIsIo, st.expr.BitOperandIsLocal,
          st.expr.BitOperandIsGlobal};
}

// A bit whose number a variable holds: 0 or 1 into bit 0 of r24 (X, zl and r23 are used).
void LoadVariableBitAtRunTime(CompilerState& st, const BitPlace& p) {
  const int numberLocal = FindLocalVar(st, p.Bit);
  if (numberLocal != 0)
    st.out.Instr(Sep::kWide, "ldd", "zl,y+" + std::to_string(FrameDisplacement(st, numberLocal)));
  else
    st.out.Instr(Sep::kWide, "lds", "zl," + p.Bit);
  if (const int local = FindLocalVar(st, p.Register); local != 0) {
    EmitVarBitPointer(st, "", FrameDisplacement(st, local), VarTypeBytes(st.sym.LocalVars[local - 1].VarType));
  } else {
    const int g = FindGlobalVar(st, p.Register);
    EmitVarBitPointer(st, p.Register, 0, VarTypeBytes(g != 0 ? st.sym.GlobalVars[g].VarType : std::uint8_t{kTypeByte}));
  }
  st.out.Instr(Sep::kWide, "ld", "r24,X");
  st.out.Instr(Sep::kWide, "and", "r24,r23");
  st.out.Instr(Sep::kNarrow, "breq", "PC+0x02");
  st.out.Instr(Sep::kWide, "ldi", "r24,0x01");
}

// The byte of a variable that holds bit `bit` into `reg` (a local from the frame, else the
// global), and the bit's number within that byte. A bit number held in a variable leaves
// the bit itself in bit 0 of r24 (`reg` is then r24).
int LoadVariableBitByte(CompilerState& st, const BitPlace& p, const std::string& reg) {
  if (BitNumber(st, p.Bit) < 0 && IsBitNumberVariable(st, p.Bit)) {
    LoadVariableBitAtRunTime(st, p);
    if (reg != "r24") st.out.Instr(Sep::kWide, "mov", reg + ",r24");
    return 0;
  }
  const int bit = BitNumber(st, p.Bit);
  const int byteIndex = bit < 0 ? 0 : bit / 8;
  if (const int local = FindLocalVar(st, p.Register); local != 0) {
    st.out.Instr(Sep::kWide, "ldd", reg + ",y+" + std::to_string(FrameDisplacement(st, local) + byteIndex));
  } else {
    st.out.Instr(Sep::kWide, "lds", reg + "," + p.Register + (byteIndex > 0 ? "+" + std::to_string(byteIndex) : ""));
  }
  return bit < 0 ? 0 : bit % 8;
}

// Writes the skip that passes over the caller's jump line: taken when the bit is set
// (`skipWhenSet`) or clear.
void EmitBitSkip(CompilerState& st, const BitPlace& p, bool skipWhenSet) {
  if (p.IsIo) {
    EmitBitSkip(st, BitOf(UpperText(p.Register), p.Bit, BitTextValue(st, p.Bit), MaskText::kHex), skipWhenSet, "r24",
                Reach::kInOut);
  } else if (p.IsVarBit) {
    const int bit = LoadVariableBitByte(st, p, "r24");
    st.out.Instr(Sep::kNarrow, skipWhenSet ? "sbrs" : "sbrc", "r24," + std::to_string(bit));
  } else if (p.IsBitVar) {
    st.out.Instr(Sep::kNarrow, skipWhenSet ? "sbrs" : "sbrc", p.Register + "," + p.Bit);
  }
}

// The value (0 or 1) of a bit operand into `reg`.
void EmitBitToRegister(CompilerState& st, const BitPlace& p, const std::string& reg) {
  if (p.IsIo) {
    EmitRegisterRead(st, UpperText(p.Register), reg, Reach::kInOut);
    st.out.Instr(Sep::kWide, "bst", reg + "," + p.Bit);
  } else if (p.IsVarBit) {
    const int bit = LoadVariableBitByte(st, p, reg);
    st.out.Instr(Sep::kWide, "bst", reg + "," + std::to_string(bit));
  } else {
    st.out.Instr(Sep::kWide, "bst", p.Register + "," + p.Bit);
  }
  st.out.Instr(Sep::kWide, "clr", reg);
  st.out.Instr(Sep::kWide, "bld", reg + ",0");
}

// The left operand, a bit, stands before "=" or "<>" (or a connective, as "= 1").
Relation CompileBitRelation(CompilerState& st, bool negated, std::uint8_t& wanted) {
  const BitPlace left = CurrentBitPlace(st);
  Relation code = kRelEqual;
  std::string value = "1";
  if (!IsConnective(st.Tok())) {
    code = RelationCode(st.TokText());
    if (code != kRelEqual && code != kRelNotEqual) {
      CompileError(st, "Just = or <> here!");
      while (!IsConnective(st.Tok())) ++st.src.TokenIndex;
      return kRelNone;
    }
    ++st.src.TokenIndex;
    const TokenRecord& right = st.Tok();
    if (right.Kind == kTokNumber) {
      value = right.Text;
      ++st.src.TokenIndex;
    } else if (right.Kind == kTokName && FindConst(st, right.Text) != 0) {
      value = st.sym.Constants[FindConst(st, right.Text)].Value;
      ++st.src.TokenIndex;
    } else if (right.Kind == kTokName) {
      // Bit against an operand: both become 0/1 values (or the operand's low byte) and are
      // compared as bytes.
      const std::string name = right.Text;
      EmitBitToRegister(st, left, "r22");
      ++st.src.TokenIndex;
      ClearBitFlags(st);
      EmitLoadConditionOperand(st, name, kTypeByte);
      if (st.expr.BitOperandIsIo || st.expr.BitOperandIsLocal || st.expr.BitOperandIsGlobal)
        EmitBitToRegister(st, CurrentBitPlace(st), "r24");
      wanted = kTypeByte;
      st.sticky.OperandType = kTypeByte;
      st.out.Instr(Sep::kWide, "cp", "r22,r24");
      return negated ? InvertRelation(code) : code;
    } else {
      value.clear();
    }
  }
  if (value != "0" && value != "1") {
    CompileError(st, "Only 0 or 1!");
    while (!IsConnective(st.Tok())) ++st.src.TokenIndex;
    return kRelNone;
  }
  bool wantSet = value == "1";
  if (code == kRelNotEqual) wantSet = !wantSet;
  if (negated) wantSet = !wantSet;
  // At "or" the jump after the skip goes to the true label: skip it when the test fails.
  const bool isOr = st.TokText() == "or";
  EmitBitSkip(st, left, wantSet != isOr);
  return kRelNone;
}

// A numeric constant as a left operand: its value into r24 (r25, r16, r17).
void LoadConstantOperand(CompilerState& st, const std::string& value, std::uint8_t wanted) {
  std::uint8_t type = ParseFloatConstant(st, value);
  const long long v = std::atoll(value.c_str());
  const unsigned long long u = static_cast<unsigned long long>(v);
  // Loaded at the width the comparison is made in.
  if (type != kTypeFloat && (wanted == kTypeInteger || wanted == kTypeWord || wanted == kTypeLong)) type = wanted;
  st.sticky.OperandType = type;
  if (type == kTypeFloat || type == kTypeNone) return;
  st.out.Instr(Sep::kWide, "ldi", "r24," + Hex2(u & 0xFF, HexForm::Prefixed0xLower));
  if (type == kTypeByte) return;
  st.out.Instr(Sep::kWide, "ldi", "r25," + Hex2((u >> 8) & 0xFF, HexForm::Prefixed0xLower));
  if (type != kTypeLong) return;
  st.out.Instr(Sep::kWide, "ldi", "r16," + Hex2((u >> 16) & 0xFF, HexForm::Prefixed0xLower));
  st.out.Instr(Sep::kWide, "ldi", "r17," + Hex2((u >> 24) & 0xFF, HexForm::Prefixed0xLower));
}

// A left operand that is no name: compiled into the working registers and moved into the
// compare registers.
void LoadLeftByExpression(CompilerState& st, std::uint8_t& wanted) {
  st.sticky.SkipOperandPush = false;
  st.expr.StatementContext = true;
  wanted = ParseSum(st, wanted);
  const std::uint8_t type = CompareType(st, wanted);
  EmitMoveCurrentToLeft(st, type);
  if (type == kTypeFloat) UseFloatRoutine(st, NeedFcmp0);
}

// An operand alone: true when it is not zero ("not": when it is zero).
Relation CompileBareOperand(CompilerState& st, bool negated, std::uint8_t& wanted) {
  switch (CompareType(st, wanted)) {
    case kTypeByte:
      if (negated) {
        st.out.Instr(Sep::kWide, "tst", "r24");
        return kRelEqual;
      }
      st.out.Instr(Sep::kWide, "cpi", "r24,0x01");
      return kRelGreaterEqual;
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong:
      EmitEachByte(st, "clr", CurrentValue(CompareType(st, wanted)));
      EmitLeftWithWork(st, CompareType(st, wanted), "cp", "cpc");
      return negated ? kRelEqual : kRelNotEqual;
    case kTypeFloat:
      // Zero is +0.0 or -0.0: every bit but the sign clear.
      st.out.Instr(Sep::kWide, "mov", "zl,r21");
      st.out.Instr(Sep::kWide, "andi", "zl,0x7f");
      st.out.Instr(Sep::kWide, "or", "zl,r20");
      st.out.Instr(Sep::kWide, "or", "zl,r19");
      st.out.Instr(Sep::kWide, "or", "zl,r18");
      wanted = kTypeByte;
      st.sticky.OperandType = kTypeByte;
      return negated ? kRelEqual : kRelNotEqual;
    default:
      return kRelNone;
  }
}

// A general comparison; a value without a relation is true when it is not zero.
Relation CompileGeneralComparison(CompilerState& st, std::uint8_t& wanted) {
  st.sticky.SkipOperandPush = false;
  const Relation code = ParseComparison(st, wanted);
  if (code != kRelNone) return code;
  switch (CompareType(st, wanted)) {
    case kTypeBit:
    case kTypeByte:
      st.out.Instr(Sep::kWide, "tst", "zl");
      break;
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong: {
      // every higher byte or-ed into the low one
      const ValueRegisters v = CurrentValue(CompareType(st, wanted));
      for (int k = 1; k < v.bytes; ++k) st.out.Instr(Sep::kWide, "or", "zl," + std::string(v.regs[k]));
      break;
    }
    case kTypeFloat:
      st.out.Instr(Sep::kWide, "mov", "zl,r25");
      st.out.Instr(Sep::kWide, "andi", "zl,0x7f");
      st.out.Instr(Sep::kWide, "or", "zl,r24");
      st.out.Instr(Sep::kWide, "or", "zl,r23");
      st.out.Instr(Sep::kWide, "or", "zl,r22");
      break;
    default:
      return kRelNone;
  }
  wanted = kTypeNone;
  st.sticky.OperandType = kTypeByte;
  return kRelNotEqual;
}

// A right operand that is a plain number wider than the left operand's type widens the
// left operand (in r24..), so that the constant is not cut to the left's width.
void WidenForConstant(CompilerState& st, std::uint8_t& type) {
  if (type != kTypeByte && type != kTypeInteger && type != kTypeWord) return;
  int i = st.src.TokenIndex;
  bool negative = false;
  if (st.src.Tokens[i].Text == "-") {
    negative = true;
    ++i;
  }
  const TokenRecord& t = st.src.Tokens[i];
  if (t.Kind != kTokNumber || t.Text.find_first_not_of("0123456789") != std::string::npos) return;
  const long long v = (negative ? -1 : 1) * std::atoll(t.Text.c_str());
  const std::uint8_t need = TypeHoldingValue(type, static_cast<double>(v));
  if (need == type) return;
  EmitWidenInteger(st, kLeftRegisters, type, need);
  type = need;
}

// Widens the left operand in r24.. from `from` to `to`.
void WidenLeft(CompilerState& st, std::uint8_t from, std::uint8_t to) {
  EmitWidenInteger(st, kLeftRegisters, from, to);
}

}  // namespace

void JoinDecimalNumber(CompilerState& st) {
  int i = st.src.TokenIndex;
  if (st.src.Tokens[i].Text == "-" || st.src.Tokens[i].Text == "+") ++i;
  if (i + 2 >= st.src.TokenCount) return;
  TokenRecord& whole = st.src.Tokens[i];
  const TokenRecord& dot = st.src.Tokens[i + 1];
  const TokenRecord& fraction = st.src.Tokens[i + 2];
  if (whole.Kind != kTokNumber || dot.Text != "." || fraction.Kind != kTokNumber) return;
  whole.Text += "." + fraction.Text;
  for (int k = i + 1; k + 2 < st.src.TokenCount; ++k) st.src.Tokens[k] = st.src.Tokens[k + 2];
  st.src.TokenCount = static_cast<std::int16_t>(st.src.TokenCount - 2);
}

int FrameDisplacement(CompilerState& st, int index) {
  if (index <= 0) return 0;
  return st.sym.Procs[st.sym.CurrentSubIndex].FrameSize - st.sym.LocalVars[index - 1].FrameOffset;
}

namespace {

bool IsStringName(CompilerState& st, const std::string& name) {
  auto isString = [](std::uint8_t t) { return t == kTypeString || t == kTypeFlashString; };
  if (const int l = FindLocalVar(st, name); l != 0) return isString(st.sym.LocalVars[l - 1].VarType);
  if (const int g = FindGlobalVar(st, name); g != 0) return isString(st.sym.GlobalVars[g].VarType);
  if (const int c = FindConst(st, name); c != 0) return st.sym.Constants[c].ConstType == kTokString;
  return false;
}

}  // namespace

bool IsSimpleCondition(CompilerState& st) {
  int dots = 0;
  int count = 0;
  bool callSeen = false;
  bool afterRelation = false;
  for (int i = st.src.TokenIndex; i < st.src.TokenCount - 1; ++i) {
    const TokenRecord& t = st.src.Tokens[i];
    if (IsWord(t, "or") || IsWord(t, "and") || IsWord(t, "then") || IsWord(t, ":")) break;
    // Texts are compared by the string comparison of the general path, whatever holds them.
    if (t.Kind == kTokName && IsStringName(st, t.Text)) return false;
    if (t.Kind == kTokCallName || t.Kind == kTokKeyword) callSeen = true;
    if ((t.Kind == kTokOpenParen && !callSeen) || t.Kind == kTokString) return false;
    // An arithmetic operator makes an expression of the operand (a sign after the
    // relation does not): the general comparison compiles it.
    if (t.Kind == kTokOperator && RelationCode(t.Text) == kRelNone && !afterRelation) return false;
    afterRelation = t.Kind == kTokOperator && RelationCode(t.Text) != kRelNone;
    if (t.Kind == kTokDot) ++dots;
    ++count;
  }
  return dots == 0 ? count < 5 : count < dots + 6;
}

void EmitLoadConditionOperand(CompilerState& st, std::string name, std::uint8_t wanted) {
  ClearBitFlags(st);
  if (const int c = FindConst(st, name); c != 0) {
    st.expr.BitOperandBit = st.sym.Constants[c].Value;
    if (st.sym.Constants[c].ConstType == kTokNumber) LoadConstantOperand(st, st.sym.Constants[c].Value, wanted);
    return;
  }
  if (const int a = FindDefAlias(st, name); a != 0) {
    const DefRecord& def = st.sym.Defs[a];
    name = def.Register;
    st.sticky.OperandType = kTypeByte;
    if (!def.Bit.empty() && def.Bit != " ") {
      st.expr.BitOperandRegister = def.Register;
      st.expr.BitOperandBit = def.Bit;
      st.expr.BitOperandIsIo = true;
      st.sticky.OperandType = kTypeBit;
    } else if (st.TokText() == ".") {
      ++st.src.TokenIndex;
      st.expr.BitOperandRegister = def.Register;
      st.expr.BitOperandBit = st.TokText();
      st.expr.BitOperandIsIo = true;
      ++st.src.TokenIndex;
    } else {
      EmitRegisterRead(st, UpperText(def.Register), "r24", Reach::kInOut);
      WidenLeft(st, kTypeByte, wanted);
    }
    return;
  }
  if (const int l = FindLocalVar(st, name); l != 0) {
    st.sticky.OperandType = st.sym.LocalVars[l - 1].VarType;
    if (!ParseVariableBit(st, name)) EmitLoadConditionFrameVar(st, l, wanted);
    return;
  }
  if (const int g = FindGlobalVar(st, name); g != 0) {
    const GlobalVarRecord& v = st.sym.GlobalVars[g];
    st.sticky.OperandType = v.VarType;
    switch (v.VarType) {
      case kTypeByte:
      case kTypeInteger:
      case kTypeWord:
      case kTypeLong:
        if (!ParseVariableBit(st, name)) EmitLoadConditionVariable(st, name, wanted);
        break;
      case kTypeBit:
        if (v.Size >= 0 && v.Size <= 7) {
          st.expr.BitOperandRegister = "r3";
          st.expr.BitOperandBit = std::to_string(v.Size);
        } else if (v.Size >= 8 && v.Size <= 15) {
          st.expr.BitOperandRegister = "r4";
          st.expr.BitOperandBit = std::to_string(v.Size - 8);
        }
        st.expr.BitOperandIsGlobal = true;
        break;
      case kTypeFloat:
        EmitLoadConditionVariable(st, name, wanted);
        break;
      default:
        break;
    }
    return;
  }
  if (FindIoRegister(st, name) != 0) {
    st.sticky.OperandType = kTypeByte;
    if (st.TokText() != ".") {
      EmitRegisterRead(st, UpperText(name), "r24", Reach::kInOut);
      WidenLeft(st, kTypeByte, wanted);
      return;
    }
    ++st.src.TokenIndex;
    st.expr.BitOperandRegister = name;
    const std::string bit = st.TokText();
    if (FindIoRegister(st, bit) != 0) {
      // a bit name of the device file
      st.expr.BitOperandBit = UpperText(bit);
      RegisterBitOnDevice(st, name, BitTextValue(st, bit));
    } else if (const int c = FindConst(st, bit); c != 0) {
      st.expr.BitOperandBit = st.sym.Constants[c].Value;
      RegisterBitOnDevice(st, name, BitTextValue(st, bit));
    } else if (st.Tok().Kind == kTokNumber && IsBitIndexDigit(bit)) {
      st.expr.BitOperandBit = bit;
      RegisterBitOnDevice(st, name, bit[0] - '0');
    } else {
      ReportInPlace(st, "From 0 to 7!");
      st.expr.BitOperandBit = "0";
    }
    st.expr.BitOperandIsIo = true;
    ++st.src.TokenIndex;
    return;
  }
  CompileError(st, UnknownIdentifier(name));
}

namespace {

// A 16- or 32-bit left operand of a comparison from memory into r24, r25, r16, r17, widened
// from its own type `o` to the compared type `t` (sign-extended from an integer).
// `load(reg, k)` writes the line that loads byte k of the operand into reg.
void LoadConditionInteger(CompilerState& st, std::uint8_t t, std::uint8_t o,
                          const std::function<void(const char*, int)>& load) {
  // (any other operand type is read as the two bytes of a word)
  const std::uint8_t stored = o == kTypeByte || o == kTypeInteger || o == kTypeLong ? o : std::uint8_t{kTypeWord};
  const int bytes = std::min(NumericTypeBytes(stored), NumericTypeBytes(t));
  for (int k = 0; k < bytes; ++k) load(std::string(kLeftRegisters[k]).c_str(), k);
  EmitWidenInteger(st, kLeftRegisters, stored, t);
}

}  // namespace

void EmitLoadConditionVariable(CompilerState& st, const std::string& name, std::uint8_t wanted) {
  const std::uint8_t t = CompareType(st, wanted);
  const std::uint8_t o = st.sticky.OperandType;
  switch (t) {
    case kTypeBit: {
      const int g = FindGlobalVar(st, name);
      const int b = g != 0 ? st.sym.GlobalVars[g].Size : 0;
      if (b <= 7)
        st.out.Instr(Sep::kWide, "bst", "r3," + std::to_string(b));
      else
        st.out.Instr(Sep::kWide, "bst", "r4," + std::to_string(b - 8));
      st.out.Instr(Sep::kWide, "clr", "r24");
      st.out.Instr(Sep::kWide, "bld", "r24,0");
      break;
    }
    case kTypeByte:
      st.out.Instr(Sep::kWide, "lds", "r24," + name);
      break;
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong:
      LoadConditionInteger(st, t, o, [&](const char* reg, int k) {
        st.out.Instr(Sep::kWide, "lds", std::string(reg) + "," + ByteAddress(name, k));
      });
      break;
    case kTypeFloat:
      UseFloatRoutine(st, NeedFcmp0);
      if (o == kTypeFloat)
        EmitEachByte(st, "lds", LeftValue(kTypeFloat), ByteOrder::LowFirst,
                     [&](std::string_view reg, int k) { return std::string(reg) + "," + ByteAddress(name, k); });
      break;
    default:
      break;
  }
}

void EmitLoadConditionFrameVar(CompilerState& st, int index, std::uint8_t wanted) {
  const int d = FrameDisplacement(st, index);
  const std::uint8_t t = CompareType(st, wanted);
  const std::uint8_t o = st.sticky.OperandType;
  auto y = [&](int k) { return ",y+" + std::to_string(d + k); };
  switch (t) {
    case kTypeBit:
    case kTypeByte:
      st.out.Instr(Sep::kWide, "ldd", "r24" + y(0));
      break;
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong:
      LoadConditionInteger(st, t, o, [&](const char* reg, int k) { st.out.Instr(Sep::kWide, "ldd", reg + y(k)); });
      break;
    case kTypeFloat:
      // A float local is compared from r18..r21, like a float global.
      EmitEachByte(st, "ldd", LeftValue(kTypeFloat), ByteOrder::LowFirst,
                   [&](std::string_view reg, int k) { return std::string(reg) + y(k); });
      UseFloatRoutine(st, NeedFcmp0);
      break;
    default:
      break;
  }
}

void EmitConditionCompare(CompilerState& st, std::uint8_t wanted) {
  EmitLeftWithWork(st, CompareType(st, wanted), "cp", "cpc");
}

Relation ParseConditionRelation(CompilerState& st, std::uint8_t& wanted) {
  const Relation code = RelationCode(st.TokText());
  std::uint8_t type = CompareType(st, wanted);
  st.sticky.SkipOperandPush = false;
  ++st.src.TokenIndex;
  JoinDecimalNumber(st);
  WidenForConstant(st, type);
  // The left operand waits in r24:r25; a float variable converted to its type on the
  // right would overwrite it.
  const bool keep = FloatVariableNext(st, type);
  if (keep) {
    st.out.Instr(Sep::kNarrow, "push", "r24");
    st.out.Instr(Sep::kNarrow, "push", "r25");
  }
  ParseSum(st, type);
  if (keep) {
    st.out.Instr(Sep::kWide, "pop", "r25");
    st.out.Instr(Sep::kWide, "pop", "r24");
  }
  wanted = type;
  EmitConditionCompare(st, type);
  st.sticky.OperandType = type;
  return code;
}

Relation CompileCondition(CompilerState& st, std::uint8_t& wanted) {
  const int start = st.src.TokenIndex;
  const std::uint8_t wantedOnEntry = wanted;
  bool negated = false;
  if (st.TokText() == "not") {
    negated = true;
    ++st.src.TokenIndex;
  }
  ClearBitFlags(st);
  if (st.Tok().Kind == kTokName) {
    const std::string name = st.TokText();
    ++st.src.TokenIndex;
    EmitLoadConditionOperand(st, name, wanted);
  } else {
    LoadLeftByExpression(st, wanted);
  }
  if (wanted == 0) wanted = st.sticky.OperandType;
  const bool bit = st.expr.BitOperandIsIo || st.expr.BitOperandIsLocal || st.expr.BitOperandIsGlobal;
  const std::string& next = st.TokText();
  if (bit) return CompileBitRelation(st, negated, wanted);
  if (IsConnective(st.Tok())) return CompileBareOperand(st, negated, wanted);
  if (RelationCode(next) != kRelNone) {
    const Relation code = ParseConditionRelation(st, wanted);
    return negated ? InvertRelation(code) : code;
  }
  // Not a comparison of the simple form (an operator follows the operand): compile it
  // again as a general comparison; the loads written so far only fill registers.
  st.src.TokenIndex = static_cast<std::int16_t>(start);
  wanted = wantedOnEntry;
  st.sticky.OperandType = 0;
  ClearBitFlags(st);
  return CompileGeneralComparison(st, wanted);
}

void EmitConditionChain(CompilerState& st, const std::string& falseLabel, std::string& trueLabel,
                        bool& needTrueLabel) {
  for (;;) {
    st.expr.ExpressionTermOnly = true;
    const ComparisonTyping typing = TypeComparison(st);
    const bool inFloat = typing.type == kTypeFloat;
    const bool simple = !inFloat && !typing.texts && IsSimpleCondition(st);
    st.sticky.SkipOperandPush = simple;
    st.expr.StatementContext = true;
    std::uint8_t compared = typing.type;
    st.sticky.OperandType = 0;
    st.expr.TextComparison = typing.texts;
    st.expr.LeftNumberText = typing.leftNumberText;
    st.expr.RightNumberText = typing.rightNumberText;
    ClearBitFlags(st);
    // No element store follows a comparison. A call or an array element read earlier on
    // leaves IndexOnStack set, and the constant loader then writes nothing for a bit
    // context: "f = 1" with a bit local would compare with whatever zl held.
    st.expr.IndexOnStack = false;
    Relation code = kRelNone;
    if (typing.textAgainstNumber) {
      // Compiled, one side would be a text's address taken for a number (and a number
      // pushed for a text compare would stay on the stack).
      ReportInPlace(st, "Unsupported operation!");
      while (!IsConnective(st.Tok())) ++st.src.TokenIndex;
    } else {
      code = simple ? CompileCondition(st, compared) : CompileGeneralComparison(st, compared);
    }
    st.expr.TextComparison = false;
    st.expr.LeftNumberText = false;
    st.expr.RightNumberText = false;
    const std::string connective = st.TokText();
    if (connective == "or") {
      if (needTrueLabel) trueLabel = NewLabel(st);
      needTrueLabel = false;
      EmitCompareBranch(st, "or", code, trueLabel, compared);
    } else {
      EmitCompareBranch(st, connective, code, falseLabel, compared);
    }
    ++st.src.TokenIndex;
    st.expr.BitOperandIsIo = false;
    st.expr.BitOperandIsLocal = false;
    st.expr.ExpressionTermOnly = false;
    st.sticky.SkipOperandPush = false;
    if (connective != "and" && connective != "or") {
      --st.src.TokenIndex;
      return;
    }
  }
}

}  // namespace qbc
