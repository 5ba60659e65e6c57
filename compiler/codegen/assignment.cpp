// target = expression: the statement without a keyword.
#include "compiler/codegen/assignment.h"

#include <functional>

#include "compiler/base/source_names.h"
#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/codegen/array_elements.h"
#include "compiler/codegen/bits_io.h"
#include "compiler/codegen/body_pass_over.h"
#include "compiler/codegen/data_list.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/io_access.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/expression_type.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/operand_store.h"
#include "compiler/codegen/string_assign.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/labels.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/base/symbols.h"
#include "compiler/base/decl_text.h"

namespace qbc {

namespace {

enum class Target {
  None,
  FrameVar,
  FrameVarBit,
  ArrayElement,
  VarBit,
  VarBitByVar,
  VarBitByFrameVar,
  FlashTable,
  Scalar,
  Register,
  RegisterBit,
};

// "1" or "0" when the value token (a number or a named constant) is that constant bit.
std::string ConstantBitValue(CompilerState& st) {
  const TokenRecord& t = st.Tok();
  std::string v;
  if (int c = FindConst(st, t.Text); c != 0)
    v = st.sym.Constants[c].Value;
  else if (t.Kind == kTokNumber)
    v = t.Text;
  else
    return {};
  // a number whose value is 1 or 0 ("01", "1.0" are not taken: they are no plain bit)
  if (v == "1" || v == "0") return v;
  return {};
}

// A constant bit number of a variable of `type`: 0..7 of a byte, 0..15 of a word or
// integer, 0..31 of a long; beyond them the store would reach the next variable.
void CheckConstantBit(CompilerState& st, const std::string& bit, std::uint8_t type) {
  const int n = BitTextValue(st, bit);
  const int bytes = type >= kTypeInteger && type <= kTypeLong ? VarTypeBytes(type) : 1;
  if (n >= 0 && n < 8 * bytes) return;
  ReportInPlace(st, "From 0 to 7!");
}

bool AtStatementEnd(CompilerState& st, int offset) {
  const TokenRecord& t = st.Tok(offset);
  return IsWord(t, ":") || t.Text == "<EOL>";
}

// T := bit 0 of zl, for a bit target whose value was computed as a number.
void TakeBitFromValue(CompilerState& st) {
  if (st.sticky.OperandType != kTypeBit) st.out.Instr(Sep::kWide, "bst", "zl,0");
}

void ConstantRegisterBit(CompilerState& st, const std::string& reg, const std::string& bit, bool set) {
  EmitBitChange(st, BitOf(UpperText(reg), bit, BitTextValue(st, bit), MaskText::kHex), set, Flags::kMayChange, "zl");
}

}  // namespace

namespace {

// What the left side of an assignment names, read before the "=".
struct AssignmentTarget {
  std::string name;
  Target form = Target::None;
  std::string bit;            // bit text, or the name of the variable holding the bit number
  bool bitVariable = false;   // the target is a global bit variable
  bool bitGiven = false;      // a constant bit number was given
  bool bitAtRunTime = false;  // register bit number computed at run time
  int bitLocalIndex = 0;
  int targetLocal = 0;  // the bit target is this frame variable (FindLocalVar's position)
  std::uint8_t varType = 0;
  int global = 0;
  std::uint8_t type = kTypeNone;  // the type the right side is stored as
};

// The bit of a local after its "." (TokenIndex on the bit): a constant, a local or a
// global holding the bit number.
void ReadLocalBit(CompilerState& st, int k, AssignmentTarget& t) {
  t.varType = st.sym.LocalVars[k - 1].VarType;
  t.targetLocal = k;
  ++st.src.TokenIndex;
  t.type = kTypeBit;
  const std::string b = st.TokText();
  if (int c = FindConst(st, b); c != 0) {
    t.bit = st.sym.Constants[c].Value;
    CheckConstantBit(st, t.bit, t.varType);
  } else if (st.Tok().Kind == kTokNumber) {
    t.bit = b;
    CheckConstantBit(st, t.bit, t.varType);
  } else if (int lk = FindLocalVar(st, b); lk != 0) {
    t.bitLocalIndex = lk;
    t.form = Target::VarBitByFrameVar;
  } else if (int gi = FindGlobalVar(st, b); gi != 0 && IsWholeNumberType(st.sym.GlobalVars[gi].VarType)) {
    t.bit = b;
    t.form = Target::VarBitByVar;
  } else {
    ReportInPlace(st, "From 0 to 7!");
  }
  if (t.form == Target::FrameVar) t.form = Target::FrameVarBit;
  ++st.src.TokenIndex;
}

// A local or parameter `k`, or one of its bits. False when the whole statement is compiled
// (a string local).
bool ReadLocalTarget(CompilerState& st, int k, AssignmentTarget& t) {
  t.type = st.sym.LocalVars[k - 1].VarType;
  if (t.type == kTypeFloat) st.used.Set(NeedFloatCore);
  t.form = Target::FrameVar;
  if (t.type == kTypeString && st.TokText() == "=") {
    // a string local or parameter: the whole string expression, bounded by its length
    CompileStringFrameAssignment(st, k);
    return false;
  }
  if (st.TokText() == ".") ReadLocalBit(st, k, t);
  return true;
}

// An element of a global array: its index computed and kept (on the stack, or in the
// second-operand registers). False when the whole statement is compiled (a string array).
bool ReadArrayElementTarget(CompilerState& st, const GlobalVarRecord& v, AssignmentTarget& t) {
  t.form = Target::ArrayElement;
  ++st.src.TokenIndex;
  CheckConstantArrayIndex(st, v);
  const bool wide = st.dev.RamEnd > 255;
  // (a number wanted goes on in the wanted type: the loads have widened it)
  ParseExpression(st, wide ? kTypeWord : kTypeByte);
  if (wide) {
    st.expr.ArrayIndexType = kTypeWord;
    if (v.VarType != kTypeString && !st.sticky.SkipOperandPush) st.out.Instr(Sep::kNarrow, "push", "zh");
  } else {
    st.expr.ArrayIndexType = st.sticky.OperandType;
  }
  st.expr.IndexOnStack = true;
  t.type = v.VarType;
  ExpectToken(st, ")");
  if (v.VarType == kTypeString) {
    CompileStringArrayAssignment(st, t.name, v.ElementSize);
    return false;
  }
  if (!st.sticky.SkipOperandPush) st.out.Instr(Sep::kNarrow, "push", "zl");
  return true;
}

// The bit of a global after its "." (TokenIndex on the bit).
void ReadGlobalBit(CompilerState& st, const GlobalVarRecord& v, AssignmentTarget& t) {
  ++st.src.TokenIndex;
  t.type = kTypeBit;
  const std::string b = st.TokText();
  if (int c = FindConst(st, b); c != 0) {
    t.bit = st.sym.Constants[c].Value;
    t.bitGiven = true;
    t.form = Target::VarBit;
    CheckConstantBit(st, t.bit, v.VarType);
  } else if (st.Tok().Kind == kTokNumber) {
    t.bit = b;
    t.bitGiven = true;
    t.form = Target::VarBit;
    CheckConstantBit(st, t.bit, v.VarType);
  } else if (int lk = FindLocalVar(st, b); lk != 0) {
    st.sticky.OperandType = st.sym.LocalVars[lk - 1].VarType;
    t.bitLocalIndex = lk;
    t.form = Target::VarBitByFrameVar;
  } else {
    // the number is read from the variable of that name: a name that is none would
    // only fail in the assembler
    if (FindGlobalVar(st, b) == 0) {
      ReportInPlace(st, UnknownIdentifier(b));
    }
    t.bit = b;
    t.form = Target::VarBitByVar;
  }
  ++st.src.TokenIndex;
}

// A whole byte or integer array, or a string, given a list or a string expression. False
// for any other variable.
bool CompileWholeVariableAssignment(CompilerState& st, const GlobalVarRecord& v, const std::string& name) {
  const bool wholeArray = (v.VarType == kTypeByte && v.Size > 1) ||
                          ((v.VarType == kTypeInteger || v.VarType == kTypeWord) && v.Size > 2);
  if (!wholeArray && v.VarType != kTypeString) return false;
  if (v.Size > 255) {
    // the list and string forms count bytes in eight bits
    CompileError(st, (wholeArray ? "Array " : "String ") + UpperText(SourceName(name)) + " too large for a list!");
    SkipToStatementEnd(st);
    return true;
  }
  if (wholeArray && st.TokText(1) == "(") {
    CompileArrayListAssignment(st, name, v.VarType);
  } else if (st.TokText(1) == "(") {
    const int es = v.ElementSize == 0 ? v.Size : v.ElementSize;
    CompileStringListAssignment(st, name, static_cast<std::uint8_t>(es),
                                static_cast<std::uint8_t>(es == 0 ? 1 : v.Size / es), v.VarType);
  } else {
    CompileStringAssignment(st, name, static_cast<std::uint8_t>(v.Size), v.VarType);
  }
  return true;
}

// A global variable `g`: an array element, a bit, a flash table, or the whole variable.
// False when the whole statement is compiled.
bool ReadGlobalTarget(CompilerState& st, int g, AssignmentTarget& t) {
  const GlobalVarRecord v = st.sym.GlobalVars[g];
  t.global = g;
  t.varType = v.VarType;
  t.type = v.VarType;
  if (v.VarType == kTypeFloat) st.used.Set(NeedFloatCore);
  if ((st.TokText() == "(" || st.TokText() == ".") && !WritableGlobal(st, v)) {
    SkipToStatementEnd(st);
    return false;
  }
  if (st.TokText() == "(") return ReadArrayElementTarget(st, v, t);
  if (st.TokText() == ".") {
    ReadGlobalBit(st, v, t);
    return true;
  }
  if (v.Storage == kStorageFlash) {
    t.form = Target::FlashTable;
    return true;
  }
  t.form = Target::Scalar;
  t.bitVariable = v.VarType == kTypeBit;
  return !CompileWholeVariableAssignment(st, v, t.name);
}

// A register bit whose number is not known: computed at run time into the mask 1 shl n
// in r23, kept on the stack while the right side is computed.
void ReadRegisterBitAtRunTime(CompilerState& st, AssignmentTarget& t) {
  ParseSum(st, kTypeByte);
  EmitCall(st, "_VaBit");
  st.out.Instr(Sep::kNarrow, "push", "r23");  // the right side may use r23 (the divide routines do)
  st.used.Set(NeedBitMask);
  t.bitAtRunTime = true;
}

// An I/O register or one of its bits, named directly or by a $def alias.
void ReadRegisterTarget(CompilerState& st, AssignmentTarget& t) {
  bool aliasBit = false;
  if (int d = FindDefAlias(st, t.name); d != 0) {
    const DefRecord& def = st.sym.Defs[d];
    t.name = def.Register;
    if (!(def.Bit == " " || def.Bit.empty())) {
      t.bit = BitOperand(st, def.Bit);
      t.bitGiven = true;
      aliasBit = true;
      t.type = kTypeBit;
      t.form = Target::RegisterBit;
    } else {
      t.form = Target::Register;
    }
  }
  if (FindIoRegister(st, LowerText(t.name)) == 0 && FindIoRegister(st, t.name) == 0) {
    ReportInPlace(st, UnknownIdentifier(t.name));
    t.form = Target::None;
    return;
  }
  if (aliasBit) {
    RegisterBitOnDevice(st, t.name, BitTextValue(st, t.bit));
    return;
  }
  if (st.TokText() != ".") {
    t.form = Target::Register;
    t.type = kTypeByte;
    return;
  }
  ++st.src.TokenIndex;
  const std::string b = st.TokText();
  const int known = BitTextValue(st, b);
  t.type = kTypeBit;
  t.form = Target::RegisterBit;
  if (known >= 0 && (st.Tok().Kind == kTokNumber || FindConst(st, b) != 0 || FindIoRegister(st, b) != 0)) {
    t.bit = Dec(known);
    t.bitGiven = true;
    // a bit the register lacks is reported, and nothing is stored
    if (!RegisterBitOnDevice(st, t.name, known)) t.form = Target::None;
    ++st.src.TokenIndex;
  } else {
    ReadRegisterBitAtRunTime(st, t);
  }
}

// target = 0 / 1 for a bit whose place is known: set or cleared without computing a value.
// False when the right side is no such constant.
bool StoreConstantBit(CompilerState& st, const AssignmentTarget& t) {
  const bool constantBitTarget = t.form == Target::FrameVarBit || t.form == Target::VarBit ||
                                 (t.form == Target::RegisterBit && t.bitGiven) ||
                                 (t.form == Target::Scalar && t.bitVariable);
  if (!AtStatementEnd(st, 1) || !constantBitTarget) return false;
  const std::string value = ConstantBitValue(st);
  if (value.empty()) return false;
  const bool set = value == "1";
  if (t.form == Target::Scalar) {
    const int b = static_cast<std::uint8_t>(st.sym.GlobalVars[t.global].Size);
    st.out.Instr(set ? "set" : "clt");
    if (b <= 7)
      st.out.Instr(Sep::kWide, "bld", "r3," + Dec(b));
    else if (b <= 15)
      st.out.Instr(Sep::kWide, "bld", "r4," + Dec(b - 8));
  } else if (t.form == Target::FrameVarBit || t.form == Target::VarBit) {
    st.out.Instr(set ? "set" : "clt");
    if (t.form == Target::FrameVarBit)
      EmitStoreFrameVarBit(st, t.name, t.bit);
    else
      EmitStoreVarBit(st, t.name, t.bit);
  } else {
    ConstantRegisterBit(st, t.name, t.bit, set);
  }
  ++st.src.TokenIndex;
  return true;
}

// A global variable's value: from the register set the expression left it in.
void StoreScalar(CompilerState& st, const AssignmentTarget& t) {
  std::string reg = "zl";
  if (st.sticky.SkipOperandPush) {
    reg = "r24";
  } else if (st.sticky.OperandType == kTypeFloat) {
    reg = "r22";
    st.used.Set(NeedFloatCore);
  }
  if (t.bitVariable) TakeBitFromValue(st);
  EmitStoreVariable(st, t.name, reg, t.type);
}

// T into the bit of `reg` that the mask in r23 selects: set (or) when T is set, else
// cleared (and with the inverted mask); `set` and `done` are the two labels of the branch.
void MergeBitByMask(CompilerState& st, const std::string& reg, const std::string& set, const std::string& done) {
  st.out.Instr(Sep::kNarrow, "brts", set);
  st.out.Instr(Sep::kWide, "com", "r23");
  st.out.Instr(Sep::kWide, "and", reg + ",r23");
  st.out.Instr(Sep::kNarrow, "rjmp", done);
  EmitLabel(st, set);
  st.out.Instr(Sep::kWide, "or", reg + ",r23");
  EmitLabel(st, done);
}

// T into the register bit whose mask 1 shl n waits on the stack.
void StoreRegisterBitAtRunTime(CompilerState& st, const std::string& reg) {
  const std::string l1 = NewLabel(st);
  const std::string l2 = NewLabel(st);
  st.used.Set(NeedStoreBit);
  st.out.Instr(Sep::kWide, "pop", "r23");
  EmitCall(st, "_StBit");
  EmitRegisterRead(st, UpperText(reg), "r24", Reach::kInOut);
  MergeBitByMask(st, "r24", l1, l2);
  EmitRegisterWrite(st, UpperText(reg), "r24", Reach::kInOut);
}

// Bit 0 of the value into the bit of a variable whose number is known at run time: it may
// reach any byte of the variable.
void StoreVarBitAtRunTime(CompilerState& st, const AssignmentTarget& t) {
  const std::string l1 = NewLabel(st);
  const std::string l2 = NewLabel(st);
  st.out.Instr(Sep::kWide, "bst", "zl,0x00");
  if (t.form == Target::VarBitByVar) {
    st.out.Instr(Sep::kWide, "lds", "zl," + t.bit);
  } else {
    st.sticky.SkipOperandPush = false;
    EmitLoadFrameVar(st, t.bitLocalIndex, kTypeByte);
  }
  if (t.targetLocal != 0)
    EmitVarBitPointer(st, "", FrameReadDisplacement(st, st.sym.LocalVars[t.targetLocal - 1]), VarTypeBytes(t.varType));
  else
    EmitVarBitPointer(st, t.name, 0, VarTypeBytes(t.varType));
  st.out.Instr(Sep::kWide, "ld", "zl,X");
  MergeBitByMask(st, "zl", l1, l2);
  st.out.Instr(Sep::kWide, "st", "X,zl");
}

// The computed right side stored into the target.
void StoreValue(CompilerState& st, const AssignmentTarget& t) {
  switch (t.form) {
    case Target::Scalar: StoreScalar(st, t); break;
    case Target::ArrayElement: EmitStoreArrayElement(st, t.name, t.type); break;
    case Target::FrameVar: EmitStoreFrameVar(st, t.name, st.sticky.SkipOperandPush ? "r24" : "zl", t.type); break;
    case Target::FrameVarBit:
      TakeBitFromValue(st);
      EmitStoreFrameVarBit(st, t.name, t.bit);
      break;
    case Target::VarBit:
      TakeBitFromValue(st);
      EmitStoreVarBit(st, t.name, t.bit);
      break;
    case Target::Register: EmitStoreIoRegister(st, t.name); break;
    case Target::RegisterBit:
      if (t.bitAtRunTime) {
        StoreRegisterBitAtRunTime(st, t.name);
      } else {
        TakeBitFromValue(st);
        EmitStoreBit(st, t.name, t.bit);
      }
      break;
    case Target::VarBitByVar:
    case Target::VarBitByFrameVar: StoreVarBitAtRunTime(st, t); break;
    case Target::FlashTable:
    case Target::None: break;
  }
}

// The target (false when its form compiled the whole statement), then the right side.
void CompileAssignmentForms(CompilerState& st) {
  const bool callerSkip = st.sticky.SkipOperandPush;
  st.sticky.SkipOperandPush = false;
  st.expr.InParenExpr = false;
  st.expr.IndexOnStack = false;
  st.sticky.OperandType = 0;

  AssignmentTarget t;
  t.name = st.TokText();
  ++st.src.TokenIndex;
  if (int k = FindLocalVar(st, t.name); k != 0) {
    if (!ReadLocalTarget(st, k, t)) return;
  } else if (int g = FindGlobalVar(st, t.name); g != 0) {
    if (!ReadGlobalTarget(st, g, t)) return;
  } else {
    ReadRegisterTarget(st, t);
  }

  ExpectToken(st, "=");
  st.sticky.SkipOperandPush = callerSkip;
  if (StoreConstantBit(st, t)) return;
  if (t.form == Target::FlashTable) {
    PassOverBody(st);
    GlobalVarRecord& v = st.sym.GlobalVars[t.global];
    std::uint8_t type = v.VarType;
    // A second list would label the table twice: refused here, its values read past.
    const bool second = v.Initialized && !WritableGlobal(st, v);
    v.Initialized = true;
    EmitDataList(st, second ? std::string() : t.name, type);
    return;
  }
  // An operand wider than the target is not cut before the operation: the expression is
  // worked in a type that holds its operands and the result's low bytes are stored.
  const StoreTypeScope store(st, t.type);
  ParseExpression(st, t.type);
  StoreValue(st, t);
}

// More values than the variable has elements would overwrite the variables after it.
void ReportTooManyValues(CompilerState& st, const std::string& name, int count, int elements) {
  if (count <= elements) return;
  ReportInPlace(st, "Too many values for " + UpperText(SourceName(name)) + "!");
}

// X on the list's variable: both halves, as the stores go through X+.
void EmitLoadListAddress(CompilerState& st, const std::string& name) {
  st.out.Instr(Sep::kWide, "ldi", "xl,byte1(" + name + ")");
  if (st.dev.RamEnd > 256)
    st.out.Instr(Sep::kWide, "ldi", "xh,byte2(" + name + ")");
  else
    st.out.Instr(Sep::kWide, "clr", "xh");  // X addresses through both halves
}

// "=" and "(" in front of a list. When either is missing the statement is reported once
// and passed over.
bool OpenList(CompilerState& st) {
  for (const char* expected : {"=", "("}) {
    if (st.TokText() != expected) {
      ExpectToken(st, expected);
      SkipToStatementEnd(st);
      return false;
    }
    ++st.src.TokenIndex;
  }
  return true;
}

// The values of a list up to its ")", each compiled by ParseSum and then written away by
// `store`; returns their number. A value is followed by "," or ")": anything else (also a
// token that compiles to no value, such as a stray "=") ends the list, so the loop always
// advances or stops.
int CompileListValues(CompilerState& st, std::uint8_t wanted, const std::function<void()>& store) {
  int count = 0;
  while (st.TokText() != ")" && !AtStatementEnd(st, 0)) {
    const int before = st.src.TokenIndex;
    wanted = ParseSum(st, wanted);
    if (st.src.TokenIndex == before) break;
    store();
    ++count;
    if (st.TokText() != ",") break;
    ++st.src.TokenIndex;
  }
  return count;
}

// The list's routines copy a text from flash: a value whose text is in SRAM (a variable, a
// function's result) or a number would have its address or value read as a flash address.
void RefuseNonConstantText(CompilerState& st) {
  if (st.sticky.OperandType != kTypeFlashString) ReportInPlace(st, "Must be constant!");
}

// The ")" after the values. Anything else is reported once and the rest of the statement
// passed over.
void CloseList(CompilerState& st) {
  if (st.TokText() == ")") {
    ++st.src.TokenIndex;
    return;
  }
  ExpectToken(st, ")");
  SkipToStatementEnd(st);
}

}  // namespace

// Error steps may run past the line's "<EOL>" (a missing ")" or "="); the tokens beyond it
// are left over from earlier lines, so the statement ends at the "<EOL>".
void CompileAssignment(CompilerState& st) {
  CompileAssignmentForms(st);
  const int eol = st.src.TokenCount - 1;
  if (eol >= 0 && st.src.TokenIndex > eol) st.src.TokenIndex = static_cast<std::int16_t>(eol);
}

void CompileStringListAssignment(CompilerState& st, const std::string& name, std::uint8_t elementSize,
                                 std::uint8_t elementCount, std::uint8_t wanted) {
  EmitLoadListAddress(st, name);
  if (!OpenList(st)) return;
  if (st.TokText(1) == ",") {
    const int count = CompileListValues(st, wanted, [&] {
      RefuseNonConstantText(st);
      st.out.Instr(Sep::kWide, "ldi", "r20," + Dec(elementSize));
      EmitCall(st, "_StrZ");
    });
    ReportTooManyValues(st, name, count, elementCount);
  } else {
    ParseSum(st, wanted);
    RefuseNonConstantText(st);
    st.out.Instr(Sep::kWide, "ldi", "r21," + Dec(elementCount));
    st.out.Instr(Sep::kWide, "ldi", "r22," + Dec(elementSize));
    EmitCall(st, "_StrI");
  }
  CloseList(st);
  st.used.Set(NeedStrI);
  st.used.Set(NeedStoreStrConst);
}

void CompileArrayListAssignment(CompilerState& st, const std::string& name, std::uint8_t wanted) {
  EmitLoadListAddress(st, name);
  if (!OpenList(st)) return;
  const int g = FindGlobalVar(st, name);
  const int capacity = g != 0 ? st.sym.GlobalVars[g].Size : 0;
  const int count = CompileListValues(st, wanted, [&] { st.out.Instr(Sep::kWide, "st", "X+,zl"); });
  ReportTooManyValues(st, name, count, capacity);
  CloseList(st);
}

}  // namespace qbc
