// For counter = start To end [Step n] ... Next [counter].
//
// The end value is computed once and kept in r5 (byte counter) or r5:r6 (integer, word)
// for the whole loop; the enclosing loop's r5/r6 are saved on the hardware stack before
// and restored after the loop. The test is at the bottom: the counter is stepped, stored,
// and the loop ends when the step carried past the type's range (unsigned carry, or the
// signed overflow of an integer) or the counter passed the end value. Comparing the
// counter with the end value itself (not end + 1) keeps an end value of 255 / 65535 and
// any step working.
#include <cstdlib>

#include "compiler/base/compile_error.h"
#include "compiler/base/source_names.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/labels.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/assignment.h"
#include "compiler/codegen/binary_operators.h"
#include "compiler/codegen/compare_negate.h"
#include "compiler/codegen/conditions.h"
#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/open_blocks.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/expression_type.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/frontend/source_reader.h"

namespace qbc {

namespace {

struct Counter {
  std::string Name;
  int Local = 0;  // FindLocalVar's index, 0 for a global
  std::uint8_t Type = 0;
};

void LoadCounter(CompilerState& st, const Counter& c, bool wide) {
  if (c.Local != 0) {
    const int d = FrameDisplacement(st, c.Local);
    st.out.Instr(Sep::kWide, "ldd", "zl,y+" + std::to_string(d));
    if (wide) st.out.Instr(Sep::kWide, "ldd", "zh,y+" + std::to_string(d + 1));
  } else {
    st.out.Instr(Sep::kWide, "lds", "zl," + c.Name);
    if (wide) st.out.Instr(Sep::kWide, "lds", "zh," + c.Name + "+1");
  }
}

void StoreCounter(CompilerState& st, const Counter& c, bool wide) {
  if (c.Local != 0) {
    const int d = FrameDisplacement(st, c.Local);
    st.out.Instr(Sep::kWide, "std", "y+" + std::to_string(d) + ",zl");
    if (wide) st.out.Instr(Sep::kWide, "std", "y+" + std::to_string(d + 1) + ",zh");
  } else {
    st.out.Instr(Sep::kWide, "sts", c.Name + ",zl");
    if (wide) st.out.Instr(Sep::kWide, "sts", c.Name + "+1,zh");
  }
}

// The step of zl (zl:zh); leaves C set when an unsigned counter carried out of its range
// and V set when a signed one overflowed.
void EmitStep(CompilerState& st, bool wide, bool negative, unsigned long step) {
  if (!wide) {
    const unsigned s = static_cast<unsigned>(step & 0xFF);
    if (negative) {
      st.out.Instr(Sep::kWide, "subi", "zl," + Hex2(s, HexForm::Prefixed0xLower));
    } else {
      st.out.Instr(Sep::kWide, "ldi", "r24," + Hex2(s, HexForm::Prefixed0xLower));
      st.out.Instr(Sep::kWide, "add", "zl,r24");
    }
    return;
  }
  const unsigned s = static_cast<unsigned>(step & 0xFFFF);
  if (s <= 63) {
    st.out.Instr(Sep::kNarrow, negative ? "sbiw" : "adiw", "zl," + std::to_string(s));
  } else if (negative) {
    st.out.Instr(Sep::kWide, "subi", "zl," + Hex2(s & 0xFF, HexForm::Prefixed0xLower));
    st.out.Instr(Sep::kWide, "sbci", "zh," + Hex2(s >> 8, HexForm::Prefixed0xLower));
  } else {
    st.out.Instr(Sep::kWide, "ldi", "r24," + Hex2(s & 0xFF, HexForm::Prefixed0xLower));
    st.out.Instr(Sep::kWide, "ldi", "r25," + Hex2(s >> 8, HexForm::Prefixed0xLower));
    st.out.Instr(Sep::kWide, "add", "zl,r24");
    st.out.Instr(Sep::kWide, "adc", "zh,r25");
  }
}

// The value of `from` in zl, zh, r18, r19 brought into the range of the counter type `to`
// (byte, integer or word): below it the counter's lowest value, above it its highest.
// The loop ends there as it would at the value itself: the step carries past the
// counter's range first.
void EmitClampToCounter(CompilerState& st, std::uint8_t from, std::uint8_t to) {
  const bool wide = to != kTypeByte;
  auto load = [&](unsigned lo, unsigned hi) {
    st.out.Instr(Sep::kWide, "ldi", "zl," + Hex2(lo, HexForm::Prefixed0xLower));
    if (wide) st.out.Instr(Sep::kWide, "ldi", "zh," + Hex2(hi, HexForm::Prefixed0xLower));
  };
  const std::string done = NewLabel(st);
  if (to == kTypeInteger && from == kTypeWord) {
    // above 32767
    st.out.Instr(Sep::kNarrow, "sbrs", "zh,7");
    st.out.Instr(Sep::kNarrow, "rjmp", done);
    load(0xFF, 0x7F);
    EmitLabel(st, done);
    return;
  }
  const std::string low = NewLabel(st);
  if (from == kTypeInteger || from == kTypeLong) {
    st.out.Instr(Sep::kNarrow, "sbrc", from == kTypeLong ? "r19,7" : "zh,7");
    st.out.Instr(Sep::kNarrow, "rjmp", low);
  }
  if (to == kTypeInteger) {
    // a long from 0 up: it fits when its upper word is 0 and bit 15 clear
    const std::string high = NewLabel(st);
    st.out.Instr(Sep::kWide, "or", "r18,r19");
    st.out.Instr(Sep::kNarrow, "brne", high);
    st.out.Instr(Sep::kNarrow, "sbrs", "zh,7");
    st.out.Instr(Sep::kNarrow, "rjmp", done);
    EmitLabel(st, high);
    load(0xFF, 0x7F);
    st.out.Instr(Sep::kNarrow, "rjmp", done);
    // below 0: it fits when its upper word is 0xffff and bit 15 set
    const std::string lowest = NewLabel(st);
    EmitLabel(st, low);
    st.out.Instr(Sep::kWide, "and", "r18,r19");
    st.out.Instr(Sep::kWide, "cpi", "r18,0xff");
    st.out.Instr(Sep::kNarrow, "brne", lowest);
    st.out.Instr(Sep::kNarrow, "sbrc", "zh,7");
    st.out.Instr(Sep::kNarrow, "rjmp", done);
    EmitLabel(st, lowest);
    load(0x00, 0x80);
    EmitLabel(st, done);
    return;
  }
  // A byte or word counter from 0 up: any byte above the counter's set is above it.
  const bool signedFrom = from == kTypeInteger || from == kTypeLong;
  if (NumericTypeBytes(from) > NumericTypeBytes(to)) {
    if (wide) {
      st.out.Instr(Sep::kWide, "or", "r18,r19");
    } else if (from == kTypeLong) {
      st.out.Instr(Sep::kWide, "or", "zh,r18");
      st.out.Instr(Sep::kWide, "or", "zh,r19");
    } else {
      st.out.Instr(Sep::kWide, "tst", "zh");
    }
    st.out.Instr(Sep::kNarrow, "breq", done);
    load(0xFF, 0xFF);
    if (signedFrom) st.out.Instr(Sep::kNarrow, "rjmp", done);
  } else {
    st.out.Instr(Sep::kNarrow, "rjmp", done);
  }
  if (signedFrom) {
    EmitLabel(st, low);
    load(0x00, 0x00);
  }
  EmitLabel(st, done);
}

// The end test after the stored step, the jump back to the top and the restore of the
// enclosing loop's end registers.
void EmitTest(CompilerState& st, std::uint8_t type, bool negative, const std::string& topLabel) {
  const bool wide = type != kTypeByte;
  const bool isSigned = type == kTypeInteger;
  // Out of the type's range: leave (past the compare, its branch and the jump back).
  st.out.Instr(Sep::kNarrow, isSigned ? "brvs" : "brcs", wide ? "PC+0x05" : "PC+0x04");
  // Counting up the loop ends when end < counter, counting down when counter < end.
  if (negative) {
    st.out.Instr(Sep::kWide, "cp", "zl,r5");
    if (wide) st.out.Instr(Sep::kWide, "cpc", "zh,r6");
  } else {
    st.out.Instr(Sep::kWide, "cp", "r5,zl");
    if (wide) st.out.Instr(Sep::kWide, "cpc", "r6,zh");
  }
  st.out.Instr(Sep::kNarrow, isSigned ? "brlt" : "brlo", "PC+0x02");
  st.out.Instr(Sep::kNarrow, "rjmp", topLabel);
  if (wide) st.out.Instr(Sep::kWide, "pop", "r6");
  st.out.Instr(Sep::kWide, "pop", "r5");
}

}  // namespace

void EmitForUnwind(CompilerState& st, std::uint8_t depth) {
  for (int d = st.nest.ForNestingDepth; d > depth; --d) {
    const std::uint8_t pushed = st.exits.ForPushedRegs[d];
    if (pushed >= 2) st.out.Instr(Sep::kWide, "pop", "r6");
    if (pushed >= 1) st.out.Instr(Sep::kWide, "pop", "r5");
  }
}

void EmitExitUnwind(CompilerState& st, std::string_view word) {
  const Nesting& n = st.nest;
  if (word == "for") {
    if (n.ForNestingDepth > 0) EmitForUnwind(st, static_cast<std::uint8_t>(n.ForNestingDepth - 1));
  } else if (word == "do") {
    if (n.DoNestingDepth > 0) EmitForUnwind(st, st.exits.DoForDepth[n.DoNestingDepth]);
  } else if (word == "while") {
    if (n.WhileNestingDepth > 0) EmitForUnwind(st, st.exits.WhileForDepth[n.WhileNestingDepth]);
  } else if (word == "sub" || word == "function") {
    EmitForUnwind(st, 0);
  }
}

void CompileForStatement(CompilerState& st) {
  const OpenBlock open(st, "FOR");
  st.sticky.OperandType = 0;
  st.expr.ForVarType = 0;
  ++st.src.TokenIndex;
  const std::string topLabel = NewLabel(st);
  const std::string exitLabel = NewLabel(st);
  const std::uint8_t depth = EnterNestedLoop(st, st.nest.ForNestingDepth);
  st.exits.ForExitLabels[depth] = exitLabel;
  st.exits.ForPushedRegs[depth] = 0;

  Counter c;
  c.Name = st.TokText();
  c.Local = FindLocalVar(st, c.Name);
  if (c.Local != 0) {
    c.Type = st.sym.LocalVars[c.Local - 1].VarType;
  } else if (const int g = FindGlobalVar(st, c.Name); g != 0) {
    c.Type = st.sym.GlobalVars[g].VarType;
  }
  const bool supported = c.Type == kTypeByte || c.Type == kTypeInteger || c.Type == kTypeWord;

  CompileAssignment(st);
  st.expr.ForVarType = c.Type;
  ExpectToken(st, "to");
  if ((c.Local != 0 || c.Type != 0) && !supported) {
    // A long, float, bit or string counter has no end registers and no test here.
    ReportInPlace(st, "Unsupported operation!");
  }
  // The end value is compiled fresh; nothing of an earlier constant decides the test.
  st.expr.ConstIsByteMax = false;
  st.expr.ConstIsWordMax = false;
  // An end the counter cannot hold (a Word end of a Byte counter) is worked in its own type
  // and brought to the nearest value the counter takes: cut to its low bytes it would end
  // the loop early.
  const std::uint8_t endType = supported ? ForEndType(st, c.Type) : c.Type;
  ParseSum(st, endType);
  if (endType != c.Type) EmitClampToCounter(st, endType, c.Type);

  bool negative = false;
  unsigned long step = 1;
  if (st.TokText() == "step") {
    ++st.src.TokenIndex;
    if (st.TokText() == "-") {
      negative = true;
      ++st.src.TokenIndex;
    }
    const int stepConst = st.Tok().Kind == kTokName ? FindConst(st, st.TokText()) : 0;
    const std::string stepText = stepConst != 0 ? st.sym.Constants[stepConst].Value : st.TokText();
    if ((st.Tok().Kind == kTokNumber || stepConst != 0) && !stepText.empty() &&
        stepText.find_first_not_of("0123456789") == std::string::npos) {
      // A number, or a named constant's value. A step beyond the counter's range would
      // wrap it: refused like any constant that does not fit.
      const double value = (negative ? -1.0 : 1.0) * std::strtod(stepText.c_str(), nullptr);
      if (supported && !StepFitsCounter(value, c.Type))
        ReportInPlace(st, ConstantDoesNotFit((negative ? "-" : "") + stepText, c.Type));
      step = std::strtoul(stepText.c_str(), nullptr, 10);
      ++st.src.TokenIndex;
    } else {
      negative = false;
      CompileError(st, "Must be numeric constant");
    }
  }
  if (IsWord(st.Tok(), ":")) ++st.src.TokenIndex;

  const bool wide = c.Type == kTypeInteger || c.Type == kTypeWord;
  if (supported) {
    st.out.Instr(Sep::kNarrow, "push", "r5");
    if (wide) st.out.Instr(Sep::kNarrow, "push", "r6");
    st.out.Instr(Sep::kWide, "mov", "r5,zl");
    if (wide) st.out.Instr(Sep::kWide, "mov", "r6,zh");
    st.exits.ForPushedRegs[depth] = wide ? 2 : 1;
    st.nest.ForLoopPushes[exitLabel] = wide ? 2 : 1;
  }

  EmitLabel(st, topLabel);
  if (st.TokText() == "<EOL>") CheckStatementEnd(st);
  st.entries.compileBlock(st);
  ExpectToken(st, "next");

  if (supported) {
    LoadCounter(st, c, wide);
    EmitStep(st, wide, negative, step);
    StoreCounter(st, c, wide);
    EmitTest(st, c.Type, negative, topLabel);
  }
  EmitLabel(st, exitLabel);
  --st.nest.ForNestingDepth;
  if (st.Tok().Kind == kTokName) {
    // The counter's name after Next: another name means the loops are closed in another
    // order than they were opened.
    if (st.TokText() != c.Name)
      ReportInPlace(st, "NEXT " + SourceName(st.TokText()) + " does not close FOR " + SourceName(c.Name) + "!");
    ++st.src.TokenIndex;
  }
}

}  // namespace qbc
