#include "compiler/codegen/array_elements.h"

#include <cmath>
#include <string>

#include "compiler/base/flags/arith_flags.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/codegen/integer_to_float.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/symbols.h"
#include "compiler/frontend/numeric_constants.h"

namespace qbc {

namespace {

// The value of a constant index written from token `at` on (and the token after it, for &
// forms), and its text for the report; false when the index is no such constant standing
// alone before ")".
bool UnsignedIndex(CompilerState& st, int at, double& value, std::string& shown) {
  const TokenRecord& t = st.Tok(at);
  if (t.Kind == kTokAmpersand) {
    if (st.TokText(at + 2) != ")") return false;
    std::string word = st.TokText(at + 1);
    if (word.empty() || (word[0] != 'h' && word[0] != 'b')) return false;
    // (up to eight hexadecimal digits: a longer constant is refused where it is read)
    if (word.size() > (word[0] == 'h' ? 9u : 31u)) return false;
    value = word[0] == 'h' ? HexConstantValue(word) : BinConstantValue(word);
    shown = std::to_string(static_cast<long>(value));
    return true;
  }
  if (st.TokText(at + 1) != ")") return false;
  std::string text = t.Text;
  if (const int c = FindConst(st, text); c != 0)
    text = st.sym.Constants[c].Value;
  else if (t.Kind != kTokNumber)
    return false;
  if (!IsWholeNumberText(text)) return false;
  // A double of any size is compared as it is: no integer type holds every index written.
  value = LeadingNumber(text);
  shown = std::abs(value) < 1e15 ? std::to_string(static_cast<long long>(value)) : text;
  return true;
}

// The same with the signs written before it ("-" and "1" are two tokens): -1 names no
// element either.
bool ConstantIndex(CompilerState& st, double& value, std::string& shown) {
  int at = 0;
  bool negative = false;
  for (; st.Tok(at).Kind == kTokOperator && (st.TokText(at) == "-" || st.TokText(at) == "+"); ++at)
    if (st.TokText(at) == "-") negative = !negative;
  if (!UnsignedIndex(st, at, value, shown)) return false;
  if (negative && value != 0) {
    value = -value;
    shown = shown[0] == '-' ? shown.substr(1) : "-" + shown;
  }
  return true;
}

}  // namespace

void CheckConstantArrayIndex(CompilerState& st, const GlobalVarRecord& v) {
  // (an array declared without a count has no count to check against)
  if (v.IndexType == 0 || v.ElementSize == 0) return;
  const long count = v.Size / v.ElementSize;
  double index = 0;
  std::string shown;
  if (!ConstantIndex(st, index, shown) || (index >= 0 && index < static_cast<double>(count))) return;
  const char* what = v.Storage == kStorageFlash ? " is outside table " : " is outside array ";
  ReportInPlace(st, "Index " + shown + what + UpperText(v.Name) + " (0 to " + std::to_string(count - 1) + ")!");
}

namespace {

bool WideForm(CompilerState& st) { return st.dev.RamEnd > 255; }

// X = the array's address plus the popped index times the element size.
void AddressIntoX(CompilerState& st, const std::string& name, std::uint8_t elementType, bool byteIndex, bool store) {
  const int bytes = VarTypeBytes(elementType);
  // A float value to store lies in r22..r25: its index goes through r16, r17 instead.
  const bool floatValue = store && elementType == kTypeFloat;
  const std::string lo = floatValue ? "r16" : "r24";
  const std::string hi = floatValue ? "r17" : "r25";
  if (!WideForm(st)) {
    st.out.Instr(Sep::kWide, "ldi", "xl,byte1(" + name + ")");
    st.out.Instr(Sep::kWide, "clr", "xh");  // nothing else clears it, and X reads both halves
    st.out.Instr(Sep::kWide, "pop", lo);
    for (int k = 1; k < bytes; k *= 2) st.out.Instr(Sep::kWide, "lsl", lo);
    st.out.Instr(Sep::kWide, "add", "xl, " + lo);
    return;
  }
  st.out.Instr(Sep::kWide, "ldi", "xl,byte1(" + name + ")");
  st.out.Instr(Sep::kWide, "ldi", "xh,byte2(" + name + ")");
  st.out.Instr(Sep::kWide, "pop", lo);
  if (byteIndex)
    st.out.Instr(Sep::kWide, "clr", hi);
  else
    st.out.Instr(Sep::kWide, "pop", hi);
  for (int k = 1; k < bytes; k *= 2) {
    st.out.Instr(Sep::kWide, "lsl", lo);
    st.out.Instr(Sep::kWide, "rol", hi);
  }
  st.out.Instr(Sep::kWide, "add", "xl, " + lo);
  st.out.Instr(Sep::kWide, "adc", "xh, " + hi);
}

}  // namespace

void EmitPushArrayIndex(CompilerState& st) {
  if (WideForm(st)) st.out.Instr(Sep::kNarrow, "push", "zh");
  st.out.Instr(Sep::kNarrow, "push", "zl");
}

void EmitLoadArrayElement(CompilerState& st, const std::string& name, std::uint8_t wanted) {
  const std::uint8_t e = st.expr.CurrentVarType;
  std::uint8_t w = wanted == 0 ? st.sticky.OperandType : wanted;
  if (w == kTypeString || w == 0) w = e;  // a string context reads the element by its own type
  AddressIntoX(st, name, e, false, false);
  auto ld = [&](const char* ops) { st.out.Instr(Sep::kWide, "ld", ops); };
  const bool integerElement = e == kTypeByte || e == kTypeInteger || e == kTypeWord || e == kTypeLong;
  // An integer element wanted as a float is read as its own type and then converted.
  const bool toFloat = integerElement && w == kTypeFloat;
  if (toFloat) w = e;
  if (integerElement && (w == kTypeBit || w == kTypeByte)) {
    ld("zl,X");
    if (e != kTypeByte) st.out.Instr(Sep::kWide, "clr", "zh");
  } else if (integerElement && (w == kTypeInteger || w == kTypeWord)) {
    if (e == kTypeByte) {
      ld("zl,X");
      st.out.Instr(Sep::kWide, "clr", "zh");
    } else {
      ld("zl,X+");
      ld("zh,X");
    }
  } else if (integerElement && w == kTypeLong) {
    if (e == kTypeByte) {
      ld("zl,X");
      st.out.Instr(Sep::kWide, "clr", "zh");
      st.out.Instr(Sep::kWide, "clr", "r18");
      st.out.Instr(Sep::kWide, "clr", "r19");
    } else if (e == kTypeLong) {
      ld("zl,X+");
      ld("zh,X+");
      ld("r18,X+");
      ld("r19,X");
    } else {
      ld("zl,X+");
      ld("zh,X");
      if (e == kTypeInteger) {
        CallLibrary(st, "_I2L", NeedI2L);
      } else {
        st.out.Instr(Sep::kWide, "clr", "r18");
        st.out.Instr(Sep::kWide, "clr", "r19");
      }
    }
  } else if (e == kTypeFloat && (w == kTypeFloat || (w >= kTypeBit && w <= kTypeLong))) {
    ld("r22,X+");
    ld("r23,X+");
    ld("r24,X+");
    ld("r25,X");
    if (w != kTypeFloat) {
      // wanted as an integer: truncated into the integer registers, as a float variable
      st.sticky.OperandType = kTypeFloat;
      const bool skip = st.sticky.SkipOperandPush;
      st.sticky.SkipOperandPush = false;
      EmitConvertFromFloat(st, w);
      st.sticky.SkipOperandPush = skip;
    }
  }
  if (toFloat && EmitIntegerToFloat(st, e, IntegerInWorkRegisters(), {.wordCopies = true}))
    st.sticky.OperandType = kTypeFloat;
}

void EmitStoreArrayElement(CompilerState& st, const std::string& name, std::uint8_t elementType) {
  const std::uint8_t w = elementType;
  AddressIntoX(st, name, w, WideForm(st) && st.expr.ArrayIndexType <= kTypeByte, true);
  // X steps over every byte but the last
  const ValueRegisters v = w == kTypeBit ? ValueRegisters{} : CurrentValue(w);
  EmitEachByte(st, "st", v, ByteOrder::LowFirst,
               [&](std::string_view reg, int k) { return (k + 1 < v.bytes ? "X+," : "X,") + std::string(reg); });
}

void EmitArrayElementAddress(CompilerState& st, const std::string& name) {
  if (!WideForm(st)) {
    st.out.Instr(Sep::kWide, "ldi", "r24,byte1(" + name + ")");
    st.out.Instr(Sep::kWide, "add", "zl, r24");
    return;
  }
  st.out.Instr(Sep::kWide, "ldi", "r24,byte1(" + name + ")");
  st.out.Instr(Sep::kWide, "ldi", "r25,byte2(" + name + ")");
  st.out.Instr(Sep::kWide, "add", "zl, r24");
  st.out.Instr(Sep::kWide, "adc", "zh, r25");
}

}  // namespace qbc
