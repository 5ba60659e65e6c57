#include "compiler/statements/math/string_keywords.h"

#include <string>

#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/math/function_result.h"

namespace qbc {

namespace {

// The string term code converts a term that begins with LCase or UCase as it copies it
// (StringTermCase); anywhere else the text would go on unconverted.
std::uint8_t CompileCaseTerm(CompilerState& st, StringCase mode, std::uint8_t wanted) {
  const std::string word = UpperText(st.TokText());
  const bool inTerm = st.expr.StringTermCase == mode;
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  wanted = ParseFactor(st, wanted);
  if (!inTerm) ReportInPlace(st, "Not supported yet: " + word + " outside a string assignment");
  ExpectToken(st, ")");
  return wanted;
}

}  // namespace

std::uint8_t CompileAscFunction(CompilerState& st, std::uint8_t wanted) {
  FunctionResult result(st, wanted);
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  ParseSum(st, kTypeNone);
  const std::uint8_t type = st.sticky.OperandType;
  const bool wide = st.dev.RamEnd > 255;
  if (st.TokText() == ",") {
    ++st.src.TokenIndex;
    // the text's address waits while the position is computed (an element may use X, a
    // flash table read RAMPZ)
    const bool page = type == kTypeFlashString && st.dev.NeedRampz;
    if (page) {
      st.out.Instr(Sep::kWide, "in", "r24,RAMPZ");
      st.out.Instr(Sep::kNarrow, "push", "r24");
    }
    st.out.Instr(Sep::kNarrow, "push", "zl");
    if (wide) st.out.Instr(Sep::kNarrow, "push", "zh");
    kit::LoadValue(st, wide ? kTypeWord : kTypeByte);
    if (wide) st.out.Instr(Sep::kWide, "pop", "r25");
    st.out.Instr(Sep::kWide, "pop", "r24");
    st.out.Instr(Sep::kWide, "add", "zl,r24");
    if (wide) st.out.Instr(Sep::kWide, "adc", "zh,r25");
    if (page) {
      st.out.Instr(Sep::kWide, "pop", "r24");
      st.out.Instr(Sep::kWide, "out", "RAMPZ,r24");
    }
    // position 1 is the first character
    st.out.Instr(Sep::kNarrow, "sbiw", "zl,0x01");
  }
  switch (type) {
    case kTypeString:
    case kTypeSubstring:
      st.out.Instr(Sep::kWide, "ld", "zl,Z");
      break;
    case kTypeFlashString:
      st.out.Instr(st.mn.LpmMnemonic);
      st.out.Instr(Sep::kWide, "mov", "zl,r0");
      break;
    default:
      ReportInPlace(st, "Must be String!");
      break;
  }
  ExpectToken(st, ")");
  return result.Yield(kTypeByte);
}

std::uint8_t CompileLCaseFunction(CompilerState& st, std::uint8_t wanted) {
  return CompileCaseTerm(st, kCaseLower, wanted);
}

std::uint8_t CompileUCaseFunction(CompilerState& st, std::uint8_t wanted) {
  return CompileCaseTerm(st, kCaseUpper, wanted);
}

}  // namespace qbc
