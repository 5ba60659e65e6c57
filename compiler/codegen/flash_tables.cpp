#include "compiler/codegen/flash_tables.h"

#include <cstdio>
#include <cstdlib>

#include "compiler/base/core_flash_read.h"
#include "compiler/base/flags/core_flags.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/float_literal.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/source_names.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/integer_to_float.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/base/symbols.h"

namespace qbc {

namespace {

// The rightmost `digits` lower-case hexadecimal digits of the value, zero-padded.
std::string HexDigits(unsigned long long value, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%016llx", value);
  return std::string(buf + 16 - digits);
}

// The decimal values an element takes: negative ones are stored as their two's complement,
// so a byte holds -128..255 and a word -32768..65535.
struct ElementRange {
  long long low;
  long long high;
};
ElementRange DecimalRange(std::uint8_t elementType) {
  switch (elementType) {
    case kTypeByte: return {-128, 255};
    case kTypeInteger: return {-32768, 32767};
    case kTypeWord: return {-32768, 65535};
    default: return {-2147483648LL, 4294967295LL};
  }
}

// A long element as two .dw words, low word first.
std::string LongWords(unsigned long long v) {
  return "0x" + HexDigits(v & 0xFFFF, 4) + ",0x" + HexDigits((v >> 16) & 0xFFFF, 4);
}

// A value the element cannot hold would reach the assembler only as a warning about a
// cut value, and the table would read back something else.
void ReportElementTooLarge(CompilerState& st) {
  ReportInPlace(st, "Value does not fit the table's element type!");
}

// Z (and RAMPZ) += the table's byte address; the index is already in zl, zh (r18).
void AddTableAddress(CompilerState& st, const std::string& name) {
  st.out.Instr(Sep::kWide, "ldi", "r24,byte1(" + name + "*2)");
  st.out.Instr(Sep::kWide, "ldi", "r25,byte2(" + name + "*2)");
  if (st.dev.NeedRampz) st.out.Instr(Sep::kWide, "ldi", "r16,byte3(" + name + "*2)");
  st.out.Instr(Sep::kWide, "add", "zl,r24");
  st.out.Instr(Sep::kWide, "adc", "zh,r25");
  if (st.dev.NeedRampz) {
    st.out.Instr(Sep::kWide, "adc", "r18,r16");
    st.out.Instr(Sep::kWide, "out", "RAMPZ,r18");
  }
}

void ScaleIndex(CompilerState& st) {
  st.out.Instr(Sep::kWide, "lsl", "zl");
  st.out.Instr(Sep::kWide, "rol", "zh");
  if (st.dev.NeedRampz) st.out.Instr(Sep::kWide, "rol", "r18");
}

// Reads the 16-bit element at Z into zh:zl (low byte first in flash).
void ReadWordElement(CompilerState& st, const char* postIncrementOperands) {
  const std::string& lpm = st.mn.LpmMnemonic;
  if (HasLpmPostIncrement(st)) {
    st.out.Instr(Sep::kNarrow, lpm, postIncrementOperands);
  } else {
    st.out.Instr(lpm);
    st.out.Instr(Sep::kNarrow, "adiw", "zl,0x01");
    st.out.Instr(Sep::kWide, "mov", "r1,r0");
  }
  st.out.Instr(lpm);
  st.out.Instr(Sep::kWide, "mov", "zh,r0");
  st.out.Instr(Sep::kWide, "mov", "zl,r1");
}

// Reads the 4-byte element at Z, low byte first: a long into zl, zh, r18, r19, a float
// into r22..r25.
void ReadFourBytes(CompilerState& st, bool isFloat) {
  const char* const longRegs[] = {"r20", "r21", "r18", "r19"};
  const char* const floatRegs[] = {"r22", "r23", "r24", "r25"};
  for (int k = 0; k < 4; ++k) {
    st.out.Instr(st.mn.LpmMnemonic);
    st.out.Instr(Sep::kWide, "mov", std::string(isFloat ? floatRegs[k] : longRegs[k]) + ",r0");
    if (k < 3) st.out.Instr(Sep::kNarrow, "adiw", "zl,0x01");
  }
  if (!isFloat) {
    st.out.Instr(Sep::kWide, "mov", "zl,r20");
    st.out.Instr(Sep::kWide, "mov", "zh,r21");
  }
}

// The upper bytes of an element read into a wider integer context.
void WidenElement(CompilerState& st, std::uint8_t elementType, std::uint8_t wanted) {
  EmitWidenInteger(st, kWorkRegisters, elementType, wanted);
}

int TableElementCount(const GlobalVarRecord& v) {
  int bytes = v.ElementSize;
  if (bytes == 0) bytes = (v.VarType == kTypeInteger || v.VarType == kTypeWord) ? 2 : 1;
  return static_cast<std::uint16_t>(v.Size) / bytes;
}

void CompileFind(CompilerState& st, bool sixteen, std::uint8_t wanted) {
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  ParseSum(st, sixteen ? std::uint8_t{kTypeWord} : wanted);
  if (sixteen) {
    st.out.Instr(Sep::kWide, "mov", "r25,zl");
    st.out.Instr(Sep::kWide, "mov", "r24,zh");
  } else {
    st.out.Instr(Sep::kWide, "mov", "r24,zl");
  }
  ExpectToken(st, ",");
  const std::string name = st.TokText();
  const int g = FindGlobalVar(st, name);
  if (g == 0 || st.sym.GlobalVars[g].Storage != kStorageFlash) {
    ReportInPlace(st, SourceName(name) + " is not Flash Table!");
  } else {
    const GlobalVarRecord& v = st.sym.GlobalVars[g];
    // The search reads through RAMPZ:Z on a chip with RAMPZ: the table's page, not what
    // an earlier read left there.
    EmitLoadFlashLabelZ(st, name);
    // The routines compare exactly the number of elements they are given.
    const int count = TableElementCount(v);
    if (v.IndexType == kTypeByte && count <= 255) {
      st.used.Set(sixteen ? NeedFnd16 : NeedFnd8);
      st.out.Instr(Sep::kWide, "ldi", "xl," + Dec(count));
      // A program that also searches a table of 256 or more elements gets only the
      // 16-bit-count form of the routine: it finds its count in r22:r23.
      st.out.Instr(Sep::kWide, "ldi", "r22,byte1(" + Dec(count) + ")");
      st.out.Instr(Sep::kWide, "ldi", "r23,byte2(" + Dec(count) + ")");
    } else if (v.IndexType == kTypeByte || v.IndexType == kTypeInteger || v.IndexType == kTypeWord) {
      st.used.Set(sixteen ? NeedFnd16Alt : NeedFnd8Alt);
      st.out.Instr(Sep::kWide, "ldi", "r22,byte1(" + Dec(count) + ")");
      st.out.Instr(Sep::kWide, "ldi", "r23,byte2(" + Dec(count) + ")");
    } else {
      ReportInPlace(st, "Table length not defined!");
    }
  }
  EmitCall(st, sixteen ? "_Fnd16" : "_Fnd8");
  ++st.src.TokenIndex;
  ExpectToken(st, ")");
  st.sticky.OperandType = sixteen ? kTypeWord : kTypeByte;
}

}  // namespace

void EmitTableElement(CompilerState& st, std::uint8_t elementType) {
  int digits = 0;
  switch (elementType) {
    case kTypeByte: digits = 2; break;
    case kTypeInteger:
    case kTypeWord: digits = 4; break;
    case kTypeLong: digits = 8; break;
    default: break;
  }
  bool negative = false;
  if (st.TokText() == "-") {
    negative = true;
    ++st.src.TokenIndex;
  }
  TokenRecord tok = st.Tok();
  // A named numeric constant stands for its value; any other name is no element.
  if (tok.Kind == kTokName) {
    const int c = FindConst(st, tok.Text);
    if (c != 0 && st.sym.Constants[c].ConstType == kTokNumber) {
      std::string value = st.sym.Constants[c].Value;
      if (!value.empty() && value[0] == '-') {
        negative = !negative;
        value.erase(0, 1);
      }
      tok.Kind = kTokNumber;
      tok.Text = value;
    } else {
      CompileError(st, "Must be numeric constant");
    }
  }
  if (tok.Kind == kTokNumber && elementType == kTypeFloat) {
    // a float element: its single-precision pattern as two words, low word first
    std::string text = (negative ? "-" : "") + tok.Text;
    if (text.back() == 'e' || text.back() == 'E') {
      text += st.TokText(1) + st.TokText(2);
      st.src.TokenIndex = static_cast<std::int16_t>(st.src.TokenIndex + 2);
    }
    try {
      const std::string hex = FloatLiteralToHex(text);
      st.out.Put("0x" + hex.substr(4, 4) + ",0x" + hex.substr(0, 4));
    } catch (const CompileFailure&) {
      ReportInPlace(st, "Float constant out of range!");
    }
  } else if (tok.Kind == kTokNumber) {
    if (digits != 0) {
      const long long magnitude = std::strtoll(tok.Text.c_str(), nullptr, 10);
      const long long v = negative ? -magnitude : magnitude;
      const ElementRange range = DecimalRange(elementType);
      if (v < range.low || v > range.high) {
        ReportElementTooLarge(st);
      } else {
        // a negative element is its two's complement in the element's width
        const unsigned long long bits = static_cast<unsigned long long>(v) & ((1ULL << (digits * 4)) - 1);
        st.out.Put(elementType == kTypeLong ? LongWords(bits) : "0x" + HexDigits(bits, digits));
      }
    }
  } else if (tok.Kind == kTokAmpersand) {
    ++st.src.TokenIndex;
    const std::string word = st.TokText();
    const bool hex = !word.empty() && word[0] == 'h';
    const bool bin = !word.empty() && word[0] == 'b';
    const std::string valueDigits = word.empty() ? "" : word.substr(1);
    const bool valid = !valueDigits.empty() && valueDigits.size() <= 32 &&
                       valueDigits.find_first_not_of(hex ? "0123456789abcdef" : "01") == std::string::npos;
    if (!(hex || bin) || !valid) {
      ReportInPlace(st, "Wrong!");
    } else {
      const unsigned long long v = std::strtoull(valueDigits.c_str(), nullptr, hex ? 16 : 2);
      if (digits != 0 && v >= (1ULL << (digits * 4))) {
        ReportElementTooLarge(st);
      } else if (elementType == kTypeLong) {
        st.out.Put(LongWords(v));
      } else if (hex) {
        st.out.Put("0x" + valueDigits);
      } else {
        st.out.Put("0x" + HexDigits(v, v > 0xFF ? 4 : 2));
      }
    }
  } else if (tok.Kind == kTokString) {
    st.out.Line("\"" + tok.Text + "\"");
  }
  ++st.src.TokenIndex;
  if (st.TokText() == "<EOL>") --st.src.TokenIndex;
}

void EmitTableRead(CompilerState& st, const std::string& name, std::uint8_t wanted) {
  const std::uint8_t e = st.sticky.OperandType;
  switch (e) {
    case kTypeByte:
      AddTableAddress(st, name);
      st.out.Instr(st.mn.LpmMnemonic);
      st.out.Instr(Sep::kWide, "mov", "zl,r0");
      WidenElement(st, e, wanted);
      break;
    case kTypeInteger:
    case kTypeWord:
      ScaleIndex(st);
      AddTableAddress(st, name);
      ReadWordElement(st, "r1, Z+");
      WidenElement(st, e, wanted);
      break;
    case kTypeLong:
    case kTypeFloat:
      ScaleIndex(st);
      ScaleIndex(st);
      AddTableAddress(st, name);
      ReadFourBytes(st, e == kTypeFloat);
      // a float element wanted as an integer: truncated into the integer registers
      if (e == kTypeFloat) {
        const bool skip = st.sticky.SkipOperandPush;
        st.sticky.SkipOperandPush = false;
        EmitConvertFromFloat(st, wanted);
        st.sticky.SkipOperandPush = skip;
      }
      break;
    case kTypeString:
    case kTypeFlashString:
      st.out.Instr(Sep::kWide, "mov", "r24,zl");
      EmitLoadFlashLabelZ(st, name);
      CallLibrary(st, "_FSC", NeedFSC);
      break;
    default:
      ReportInPlace(st, "LookUp error!");
      break;
  }
  // an integer element wanted as a float
  if (wanted == kTypeFloat && EmitIntegerToFloat(st, e, IntegerInWorkRegisters(), {.wordCopies = true}))
    st.sticky.OperandType = kTypeFloat;
}

void EmitTableReadAtIndex(CompilerState& st, const std::string& /*name*/, int localIndex, std::uint8_t elementType) {
  const std::uint8_t e = elementType;
  auto loadLocal = [&] { EmitLoadFrameVar(st, localIndex, kTypeWord); };
  auto addAddress = [&] {
    st.out.Instr(Sep::kWide, "add", "zl,r24");
    st.out.Instr(Sep::kWide, "adc", "zh,r25");
    if (st.dev.NeedRampz) {
      st.out.Instr(Sep::kWide, "adc", "r18,r16");
      st.out.Instr(Sep::kWide, "out", "RAMPZ,r18");
    }
  };
  switch (e) {
    case kTypeByte:
      loadLocal();
      addAddress();
      st.out.Instr(st.mn.LpmMnemonic);
      st.out.Instr(Sep::kWide, "mov", "zl,r0");
      break;
    case kTypeInteger:
    case kTypeWord:
      ScaleIndex(st);
      loadLocal();
      addAddress();
      ReadWordElement(st, "r1,Z+");
      break;
    case kTypeString:
      st.out.Instr(Sep::kWide, "mov", "r24,zl");
      loadLocal();
      CallLibrary(st, "_FSC", NeedFSC);
      break;
    default:
      ReportInPlace(st, "LookUp error!");
      break;
  }
}

std::uint8_t CompileFind16Function(CompilerState& st, std::uint8_t wanted) {
  CompileFind(st, true, wanted);
  return wanted;
}
std::uint8_t CompileFind8Function(CompilerState& st, std::uint8_t wanted) {
  CompileFind(st, false, wanted);
  return wanted;
}

}  // namespace qbc
