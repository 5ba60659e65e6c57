#include "compiler/statements/math/string_keywords.h"

#include <string>

#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/math/function_result.h"

namespace qbc {

namespace {

// The string term code converts a term that begins with LCase or UCase as it copies it
// (StringTermCase); anywhere else the text would go on unconverted.
void CompileCaseTerm(CompilerState& st, StringCase mode) {
  const std::string word = UpperText(st.TokText());
  const bool inTerm = st.expr.StringTermCase == mode;
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  ParseFactor(st);
  if (!inTerm) ReportInPlace(st, "Not supported yet: " + word + " outside a string assignment");
  ExpectToken(st, ")");
}

}  // namespace

void CompileAscFunction(CompilerState& st) {
  FunctionResult result(st);
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  st.sticky.WantedType = kTypeNone;
  ParseSum(st);
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
  result.Yield(kTypeByte);
}

void CompileLCaseFunction(CompilerState& st) { CompileCaseTerm(st, kCaseLower); }

void CompileUCaseFunction(CompilerState& st) { CompileCaseTerm(st, kCaseUpper); }

}  // namespace qbc
