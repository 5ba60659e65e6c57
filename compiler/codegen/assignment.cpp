// target = expression: the statement without a keyword.
#include "compiler/codegen/assignment.h"

#include <functional>

#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/codegen/array_elements.h"
#include "compiler/codegen/bits_io.h"
#include "compiler/codegen/data_list.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/operand_store.h"
#include "compiler/codegen/string_assign.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/labels.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/type_registers.h"
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
  CompileError(st, "From 0 to 7!");
  --st.src.TokenIndex;
}

bool AtStatementEnd(CompilerState& st, int offset) {
  const std::string& t = st.TokText(offset);
  return t == ":" || t == "<EOL>";
}

// T := bit 0 of zl, for a bit target whose value was computed as a number.
void TakeBitFromValue(CompilerState& st) {
  if (st.sticky.OperandType != kTypeBit) st.out.Instr(Sep::kWide, "bst", "zl,0");
}

void ConstantRegisterBit(CompilerState& st, const std::string& reg, int address, const std::string& bit, bool set) {
  const std::uint8_t kept = st.sticky.WantedType;
  st.sticky.WantedType = kTypeByte;
  if (IsBitAddressable(address) || address < 0) {
    st.out.Instr(Sep::kWide, set ? "sbi" : "cbi", UpperText(reg) + "," + bit);
  } else {
    EmitLoadIoRegister(st, reg);
    st.out.Instr(Sep::kWide, set ? "sbr" : "cbr", "zl," + BitMaskText(BitTextValue(st, bit)));
    EmitStoreIoRegister(st, reg);
  }
  st.sticky.WantedType = kept;
}

}  // namespace

namespace {
void CompileAssignmentForms(CompilerState& st);
}  // namespace

// Error steps may run past the line's "<EOL>" (a missing ")" or "="); the tokens beyond it
// are left over from earlier lines, so the statement ends at the "<EOL>".
void CompileAssignment(CompilerState& st) {
  CompileAssignmentForms(st);
  const int eol = st.src.TokenCount - 1;
  if (eol >= 0 && st.src.TokenIndex > eol) st.src.TokenIndex = static_cast<std::int16_t>(eol);
}

namespace {

void CompileAssignmentForms(CompilerState& st) {
  const bool callerSkip = st.sticky.SkipOperandPush;
  st.sticky.SkipOperandPush = false;
  st.expr.InParenExpr = false;
  st.expr.IndexOnStack = false;
  st.sticky.OperandType = 0;
  st.sticky.WantedType = 0;

  std::string name = st.TokText();
  ++st.src.TokenIndex;

  Target form = Target::None;
  std::string bit;            // bit text, or the name of the variable holding the bit number
  bool bitVariable = false;   // the target is a global bit variable
  bool bitGiven = false;      // a constant bit number was given
  bool bitAtRunTime = false;  // register bit number computed at run time
  int bitLocalIndex = 0;
  int targetLocal = 0;  // the bit target is this frame variable (FindLocalVar's position)
  int regAddress = -1;
  std::uint8_t varType = 0;
  int g = 0;

  if (int k = FindLocalVar(st, name); k != 0) {
    st.sticky.WantedType = st.sym.LocalVars[k - 1].VarType;
    if (st.sticky.WantedType == kTypeFloat) st.used.Set(NeedFloatCore);
    form = Target::FrameVar;
    if (st.sticky.WantedType == kTypeString && st.TokText() == "=") {
      // a string local or parameter: the whole string expression, bounded by its length
      CompileStringFrameAssignment(st, k);
      return;
    }
    if (st.TokText() == ".") {
      varType = st.sym.LocalVars[k - 1].VarType;
      targetLocal = k;
      ++st.src.TokenIndex;
      st.sticky.WantedType = kTypeBit;
      const std::string t = st.TokText();
      if (int c = FindConst(st, t); c != 0) {
        bit = st.sym.Constants[c].Value;
        CheckConstantBit(st, bit, varType);
      } else if (st.Tok().Kind == kTokNumber) {
        bit = t;
        CheckConstantBit(st, bit, varType);
      } else if (int lk = FindLocalVar(st, t); lk != 0) {
        bitLocalIndex = lk;
        form = Target::VarBitByFrameVar;
      } else if (int gi = FindGlobalVar(st, t); gi != 0 && IsWholeNumberType(st.sym.GlobalVars[gi].VarType)) {
        bit = t;
        form = Target::VarBitByVar;
      } else {
        CompileError(st, "From 0 to 7!");
        --st.src.TokenIndex;
      }
      if (form == Target::FrameVar) form = Target::FrameVarBit;
      ++st.src.TokenIndex;
    }
  } else if ((g = FindGlobalVar(st, name)) != 0) {
    const GlobalVarRecord v = st.sym.GlobalVars[g];
    varType = v.VarType;
    st.sticky.WantedType = v.VarType;
    if (v.VarType == kTypeFloat) st.used.Set(NeedFloatCore);
    if (st.TokText() == "(") {
      form = Target::ArrayElement;
      ++st.src.TokenIndex;
      CheckConstantArrayIndex(st, v);
      const bool wide = st.dev.RamEnd > 255;
      st.sticky.WantedType = wide ? kTypeWord : kTypeByte;
      ParseExpression(st);
      if (wide) {
        st.expr.ArrayIndexType = kTypeWord;
        if (st.sticky.WantedType == kTypeByte)
          st.out.Instr(Sep::kWide, "clr", st.sticky.SkipOperandPush ? "r25" : "zh");
        if (v.VarType != kTypeString && !st.sticky.SkipOperandPush) st.out.Instr(Sep::kNarrow, "push", "zh");
      } else {
        st.expr.ArrayIndexType = st.sticky.OperandType;
      }
      st.expr.IndexOnStack = true;
      st.sticky.WantedType = v.VarType;
      ExpectToken(st, ")");
      if (v.VarType == kTypeString) {
        CompileStringArrayAssignment(st, name, v.ElementSize);
        return;
      }
      if (!st.sticky.SkipOperandPush) st.out.Instr(Sep::kNarrow, "push", "zl");
    } else if (st.TokText() == ".") {
      ++st.src.TokenIndex;
      st.sticky.WantedType = kTypeBit;
      const std::string t = st.TokText();
      if (int c = FindConst(st, t); c != 0) {
        bit = st.sym.Constants[c].Value;
        bitGiven = true;
        form = Target::VarBit;
        CheckConstantBit(st, bit, v.VarType);
      } else if (st.Tok().Kind == kTokNumber) {
        bit = t;
        bitGiven = true;
        form = Target::VarBit;
        CheckConstantBit(st, bit, v.VarType);
      } else if (int lk = FindLocalVar(st, t); lk != 0) {
        st.sticky.OperandType = st.sym.LocalVars[lk - 1].VarType;
        bitLocalIndex = lk;
        form = Target::VarBitByFrameVar;
      } else {
        // the number is read from the variable of that name: a name that is none would
        // only fail in the assembler
        if (FindGlobalVar(st, t) == 0) {
          CompileError(st, "Unknown identifier " + t);
          --st.src.TokenIndex;
        }
        bit = t;
        form = Target::VarBitByVar;
      }
      ++st.src.TokenIndex;
    } else if (v.Storage == kStorageFlash) {
      form = Target::FlashTable;
    } else {
      switch (v.VarType) {
        case kTypeBit:
          form = Target::Scalar;
          bitVariable = true;
          break;
        case kTypeByte:
        case kTypeInteger:
        case kTypeWord:
        case kTypeLong:
        case kTypeFloat: {
          form = Target::Scalar;
          const bool wholeArray = (v.VarType == kTypeByte && v.Size > 1) ||
                                  ((v.VarType == kTypeInteger || v.VarType == kTypeWord) && v.Size > 2);
          if (wholeArray) {
            if (v.Size > 255) {
              // the list and string forms count bytes in eight bits
              CompileError(st, "Array " + UpperText(name) + " too large for a list!");
              SkipToStatementEnd(st);
              return;
            }
            if (st.TokText(1) == "(")
              CompileArrayListAssignment(st, name);
            else
              CompileStringAssignment(st, name, static_cast<std::uint8_t>(v.Size));
            return;
          }
          break;
        }
        case kTypeString: {
          if (v.Size > 255) {
            CompileError(st, "String " + UpperText(name) + " too large for a list!");
            SkipToStatementEnd(st);
            return;
          }
          if (st.TokText(1) == "(") {
            const int es = v.ElementSize == 0 ? v.Size : v.ElementSize;
            CompileStringListAssignment(st, name, static_cast<std::uint8_t>(es),
                                        static_cast<std::uint8_t>(es == 0 ? 1 : v.Size / es));
          } else {
            CompileStringAssignment(st, name, static_cast<std::uint8_t>(v.Size));
          }
          return;
        }
        default:
          form = Target::Scalar;
          break;
      }
    }
  } else {
    bool aliasBit = false;
    if (int d = FindDefAlias(st, name); d != 0) {
      const DefRecord& def = st.sym.Defs[d];
      name = def.Register;
      if (!(def.Bit == " " || def.Bit.empty())) {
        bit = BitOperand(st, def.Bit);
        bitGiven = true;
        aliasBit = true;
        st.sticky.WantedType = kTypeBit;
        form = Target::RegisterBit;
      } else {
        form = Target::Register;
      }
    }
    if (FindIoRegister(st, LowerText(name)) == 0 && FindIoRegister(st, name) == 0) {
      CompileError(st, "Unknown identifier " + name);
      --st.src.TokenIndex;
      form = Target::None;
    } else {
      regAddress = IoRegisterValue(st, name);
      if (!aliasBit && st.TokText() == ".") {
        ++st.src.TokenIndex;
        const std::string t = st.TokText();
        const int known = BitTextValue(st, t);
        st.sticky.WantedType = kTypeBit;
        form = Target::RegisterBit;
        if (known >= 0 && (st.Tok().Kind == kTokNumber || FindConst(st, t) != 0 || FindIoRegister(st, t) != 0)) {
          bit = Dec(known);
          bitGiven = true;
          ++st.src.TokenIndex;
        } else {
          // a bit number computed at run time: the mask 1 shl n in r23
          const std::uint8_t kept = st.sticky.WantedType;
          st.sticky.WantedType = kTypeByte;
          ParseSum(st);
          st.sticky.WantedType = kept;
          EmitCall(st, "_VaBit");
          st.out.Instr(Sep::kNarrow, "push", "r23");  // the right side may use r23 (the divide routines do)
          st.used.Set(NeedBitMask);
          bitAtRunTime = true;
        }
      } else if (!aliasBit) {
        form = Target::Register;
        st.sticky.WantedType = kTypeByte;
      }
    }
  }

  // Right side.
  ExpectToken(st, "=");
  st.sticky.SkipOperandPush = callerSkip;

  if (AtStatementEnd(st, 1) &&
      (form == Target::FrameVarBit || form == Target::VarBit || (form == Target::RegisterBit && bitGiven) ||
       (form == Target::Scalar && bitVariable))) {
    const std::string value = ConstantBitValue(st);
    if (!value.empty()) {
      const bool set = value == "1";
      if (form == Target::Scalar) {
        const int b = static_cast<std::uint8_t>(st.sym.GlobalVars[g].Size);
        st.out.Instr(set ? "set" : "clt");
        if (b <= 7)
          st.out.Instr(Sep::kWide, "bld", "r3," + Dec(b));
        else if (b <= 15)
          st.out.Instr(Sep::kWide, "bld", "r4," + Dec(b - 8));
      } else if (form == Target::FrameVarBit || form == Target::VarBit) {
        st.out.Instr(set ? "set" : "clt");
        if (form == Target::FrameVarBit)
          EmitStoreFrameVarBit(st, name, bit);
        else
          EmitStoreVarBit(st, name, bit);
      } else {
        ConstantRegisterBit(st, name, regAddress, bit, set);
      }
      ++st.src.TokenIndex;
      return;
    }
  }

  if (form == Target::FlashTable) {
    st.sym.GlobalVars[g].Initialized = true;
    std::uint8_t type = st.sym.GlobalVars[g].VarType;
    EmitDataList(st, name, type);
    return;
  }

  ParseExpression(st);

  switch (form) {
    case Target::Scalar: {
      std::string reg = "zl";
      if (st.sticky.SkipOperandPush) {
        reg = "r24";
      } else if (st.sticky.OperandType == kTypeFloat) {
        reg = "r22";
        st.used.Set(NeedFloatCore);
      }
      if (bitVariable) TakeBitFromValue(st);
      EmitStoreVariable(st, name, reg);
      break;
    }
    case Target::ArrayElement:
      EmitStoreArrayElement(st, name);
      break;
    case Target::FrameVar:
      EmitStoreFrameVar(st, name, st.sticky.SkipOperandPush ? "r24" : "zl");
      break;
    case Target::FrameVarBit:
      TakeBitFromValue(st);
      EmitStoreFrameVarBit(st, name, bit);
      break;
    case Target::VarBit:
      TakeBitFromValue(st);
      EmitStoreVarBit(st, name, bit);
      break;
    case Target::Register:
      EmitStoreIoRegister(st, name);
      break;
    case Target::RegisterBit:
      if (!bitAtRunTime) {
        TakeBitFromValue(st);
        EmitStoreBit(st, name, bit);
      } else {
        const std::string l1 = NewLabel(st);
        const std::string l2 = NewLabel(st);
        st.used.Set(NeedStoreBit);
        st.out.Instr(Sep::kWide, "pop", "r23");
        EmitCall(st, "_StBit");
        EmitReadIoRegister(st, name, "r24");
        st.out.Instr(Sep::kNarrow, "brts", l1);
        st.out.Instr(Sep::kWide, "com", "r23");
        st.out.Instr(Sep::kWide, "and", "r24,r23");
        st.out.Instr(Sep::kNarrow, "rjmp", l2);
        EmitLabel(st, l1);
        st.out.Instr(Sep::kWide, "or", "r24,r23");
        EmitLabel(st, l2);
        EmitWriteIoRegister(st, name, "r24");
      }
      break;
    case Target::VarBitByVar:
    case Target::VarBitByFrameVar: {
      // the bit number is known at run time: it may reach any byte of the variable
      const std::string l1 = NewLabel(st);
      const std::string l2 = NewLabel(st);
      st.out.Instr(Sep::kWide, "bst", "zl,0x00");
      st.sticky.WantedType = kTypeByte;
      if (form == Target::VarBitByVar) {
        st.out.Instr(Sep::kWide, "lds", "zl," + bit);
      } else {
        st.sticky.SkipOperandPush = false;
        EmitLoadFrameVar(st, bitLocalIndex);
      }
      st.sticky.WantedType = varType;
      if (targetLocal != 0)
        EmitVarBitPointer(st, "", FrameReadDisplacement(st, st.sym.LocalVars[targetLocal - 1]), VarTypeBytes(varType));
      else
        EmitVarBitPointer(st, name, 0, VarTypeBytes(varType));
      st.out.Instr(Sep::kWide, "ld", "zl,X");
      st.out.Instr(Sep::kNarrow, "brts", l1);
      st.out.Instr(Sep::kWide, "com", "r23");
      st.out.Instr(Sep::kWide, "and", "zl,r23");
      st.out.Instr(Sep::kNarrow, "rjmp", l2);
      EmitLabel(st, l1);
      st.out.Instr(Sep::kWide, "or", "zl,r23");
      EmitLabel(st, l2);
      st.out.Instr(Sep::kWide, "st", "X,zl");
      break;
    }
    case Target::FlashTable:
    case Target::None:
      break;
  }
}

// More values than the variable has elements would overwrite the variables after it.
void ReportTooManyValues(CompilerState& st, const std::string& name, int count, int elements) {
  if (count <= elements) return;
  CompileError(st, "Too many values for " + UpperText(name) + "!");
  --st.src.TokenIndex;
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
int CompileListValues(CompilerState& st, const std::function<void()>& store) {
  int count = 0;
  while (st.TokText() != ")" && !AtStatementEnd(st, 0)) {
    const int before = st.src.TokenIndex;
    ParseSum(st);
    if (st.src.TokenIndex == before) break;
    store();
    ++count;
    if (st.TokText() != ",") break;
    ++st.src.TokenIndex;
  }
  return count;
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

void CompileStringListAssignment(CompilerState& st, const std::string& name, std::uint8_t elementSize,
                                 std::uint8_t elementCount) {
  EmitLoadListAddress(st, name);
  if (!OpenList(st)) return;
  if (st.TokText(1) == ",") {
    const int count = CompileListValues(st, [&] {
      st.out.Instr(Sep::kWide, "ldi", "r20," + Dec(elementSize));
      EmitCall(st, "_StrZ");
    });
    ReportTooManyValues(st, name, count, elementCount);
  } else {
    ParseSum(st);
    st.out.Instr(Sep::kWide, "ldi", "r21," + Dec(elementCount));
    st.out.Instr(Sep::kWide, "ldi", "r22," + Dec(elementSize));
    EmitCall(st, "_StrI");
  }
  CloseList(st);
  st.used.Set(NeedStrI);
  st.used.Set(NeedStoreStrConst);
}

void CompileArrayListAssignment(CompilerState& st, const std::string& name) {
  EmitLoadListAddress(st, name);
  if (!OpenList(st)) return;
  const int g = FindGlobalVar(st, name);
  const int capacity = g != 0 ? st.sym.GlobalVars[g].Size : 0;
  const int count = CompileListValues(st, [&] { st.out.Instr(Sep::kWide, "st", "X+,zl"); });
  ReportTooManyValues(st, name, count, capacity);
  CloseList(st);
}

}  // namespace qbc
