#include "compiler/codegen/string_assign.h"

#include <algorithm>

#include "compiler/base/source_names.h"
#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/core_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/string_lines.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/labels.h"
#include "compiler/base/symbols.h"

namespace qbc {

using strlines::EmitFloatToText;
using strlines::LargeRam;

namespace {

// The copy limit of a target of `size` bytes: the store routines take at most 255.
std::string LimitText(std::uint8_t size) { return size == 0 ? "255" : std::to_string(size); }

// Where the text goes: a global variable (X loaded from its label at the first store), an
// array element (X set before the terms), or a string local or parameter of the current
// procedure (its frame slot holds the address of its text).
struct Destination {
  const std::string& name;
  std::uint8_t size;
  bool xPreset = false;
  int localIndex = 0;  // 1-based index in LocalVars, 0 for a global
};

void LoadX(CompilerState& st, const Destination& d) {
  if (d.localIndex != 0) {
    const LocalVarRecord& v = st.sym.LocalVars[d.localIndex - 1];
    const int disp = st.sym.Procs[st.sym.CurrentSubIndex].FrameSize - v.FrameOffset + st.expr.ArgStackOffset;
    st.out.Instr(Sep::kWide, "ldd", "xl,y+" + std::to_string(disp));
    if (LargeRam(st)) st.out.Instr(Sep::kWide, "ldd", "xh,y+" + std::to_string(disp + 1));
    return;
  }
  st.out.Instr(Sep::kWide, "ldi", "xl,byte1(" + d.name + ")");
  if (LargeRam(st)) st.out.Instr(Sep::kWide, "ldi", "xh,byte2(" + d.name + ")");
}

bool IsStringType(std::uint8_t t) { return t == kTypeString || t == kTypeFlashString; }

// True when the term at TokenIndex loads only Z: a literal, a string constant's name, or a
// plain string variable (global or of the current procedure). Every other term (function,
// number, array element, expression in a function) may use X or r20 on its way.
bool TermKeepsDestination(CompilerState& st) {
  const TokenRecord& t = st.Tok();
  if (t.Kind == kTokString) return true;
  // Chr of a number: one load into zl.
  if (t.Kind == kTokKeyword && LowerText(t.Text) == "chr" && st.TokText(1) == "(" && st.Tok(2).Kind == kTokNumber &&
      st.TokText(3) == ")")
    return true;
  if (t.Kind != kTokName) return false;
  if (const int local = FindLocalVar(st, t.Text); local != 0)
    return IsStringType(st.sym.LocalVars[local - 1].VarType);
  if (const int global = FindGlobalVar(st, t.Text); global != 0)
    return IsStringType(st.sym.GlobalVars[global].VarType);
  if (const int c = FindConst(st, t.Text); c != 0) return st.sym.Constants[c].ConstType == kTokString;
  return false;
}

void PushDestination(CompilerState& st) {
  st.out.Instr(Sep::kNarrow, "push", "xl");
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "push", "xh");
  st.out.Instr(Sep::kNarrow, "push", "r20");
  st.expr.StrDestPushed = true;
}

void PopDestination(CompilerState& st) {
  if (!st.expr.StrDestPushed) return;
  st.out.Instr(Sep::kNarrow, "pop", "r20");
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "pop", "xh");
  st.out.Instr(Sep::kNarrow, "pop", "xl");
  st.expr.StrDestPushed = false;
}

// Writes the copy of a term through `copy`; an LCase/UCase term is then converted where it
// was copied (the conversion routines know no limit, the copy does).
template <class Copy>
void CopyInCase(CompilerState& st, Copy copy) {
  const StringCase mode = st.expr.StringTermCase;
  if (mode == kCaseNone) {
    copy();
    return;
  }
  st.out.Instr(Sep::kNarrow, "push", "xl");
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "push", "xh");
  copy();
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "pop", "zh");
  st.out.Instr(Sep::kNarrow, "pop", "zl");
  st.out.Instr(Sep::kWide, "mov", "xl,zl");
  if (LargeRam(st)) st.out.Instr(Sep::kWide, "mov", "xh,zh");
  CallLibrary(st, mode == kCaseLower ? "_Lcase" : "_Ucase", mode == kCaseLower ? NeedLcase : NeedUcase);
  st.out.Instr(Sep::kNarrow, "sbiw", "xl,0x01");
}

// Copies the SRAM string at Z with _StStr.
void EmitCopySram(CompilerState& st) {
  st.used.Set(NeedStoreStr);
  CopyInCase(st, [&] { EmitCall(st, "_StStr"); });
}

// A substring (Z, r20 = characters + 1 moved to r22 before the destination came back):
// copies at most min(r22, r20) - 1 characters; r20 is then lowered by the characters
// stored (X moved by that many bytes).
void EmitCopySubstring(CompilerState& st) {
  const std::string keep = NewLabel(st);
  st.out.Instr(Sep::kWide, "mov", "r25,r20");
  st.out.Instr(Sep::kWide, "mov", "r23,xl");
  st.out.Instr(Sep::kWide, "cp", "r22,r20");
  st.out.Instr(Sep::kNarrow, "brsh", keep);
  st.out.Instr(Sep::kWide, "mov", "r20,r22");
  EmitLabel(st, keep);
  EmitCall(st, "_StStr");
  st.out.Instr(Sep::kWide, "sub", "r23,xl");
  st.out.Instr(Sep::kWide, "add", "r25,r23");
  st.out.Instr(Sep::kWide, "mov", "r20,r25");
  st.used.Set(NeedStoreStr);
}

// One character in zl, stored while the target has room for it and its terminator; X
// stays on the new terminator.
void EmitStoreChar(CompilerState& st) {
  const std::string full = NewLabel(st);
  st.out.Instr(Sep::kWide, "cpi", "r20,0x02");
  st.out.Instr(Sep::kNarrow, "brlo", full);
  st.out.Instr(Sep::kWide, "st", "X+,zl");
  st.out.Instr(Sep::kWide, "dec", "r20");
  EmitLabel(st, full);
  st.out.Instr(Sep::kWide, "clr", "zl");
  st.out.Instr(Sep::kWide, "st", "X,zl");
}

void StoreTerm(CompilerState& st, const Destination& dest, std::uint8_t wanted) {
  std::uint8_t type = st.sticky.OperandType;
  if ((wanted == kTypeString || wanted == kTypeFlashString) && st.expr.OperandInFlash) type = kTypeFlashString;

  // The first store of a plain target loads the limit and X.
  auto destination = [&] {
    if (dest.xPreset || !st.expr.FirstStringTerm) return;
    st.out.Instr(Sep::kWide, "ldi", "r20," + LimitText(dest.size));
    LoadX(st, dest);
    st.expr.FirstStringTerm = false;
  };

  switch (type) {
    case kTypeByte:
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong: {
      kit::EmitNumberToText(st, type, kit::LongTextLabel::kCapitalS);
      PopDestination(st);
      destination();
      CallLibrary(st, "_StStr", NeedStoreStr);
      break;
    }
    case kTypeString:
      PopDestination(st);
      destination();
      EmitCopySram(st);
      break;
    case kTypeFlashString:
      PopDestination(st);
      destination();
      CopyInCase(st, [&] { CallLibrary(st, "_StStC", NeedStoreStrConst); });
      break;
    case kTypeFloat:
      EmitFloatToText(st);
      st.used.Set(NeedStoreStr);
      PopDestination(st);
      destination();
      EmitCall(st, "_StStr");
      break;
    case kTypeChar:
      PopDestination(st);
      destination();
      EmitStoreChar(st);
      break;
    case kTypeSubstring:
      st.out.Instr(Sep::kWide, "mov", "r22,r20");
      PopDestination(st);
      destination();
      CopyInCase(st, [&] { EmitCopySubstring(st); });
      break;
    default:
      PopDestination(st);  // nothing to store, but the stack must be balanced
      break;
  }
  st.expr.OperandInFlash = false;
}

// The terms after "=" (TokenIndex on the first term).
void CompileTerms(CompilerState& st, const Destination& dest, std::uint8_t wanted) {
  // "" + ... adds nothing.
  while (st.Tok().Kind == kTokString && st.TokText().empty() && st.TokText(1) == "+") st.src.TokenIndex += 2;
  if (st.Tok().Kind == kTokString && st.TokText().empty()) {
    // The empty string: a terminator at the start of the target.
    if (!dest.xPreset) LoadX(st, dest);
    st.out.Instr(Sep::kWide, "clr", "zl");
    st.out.Instr(Sep::kWide, "st", "X,zl");
    ++st.src.TokenIndex;
    return;
  }
  for (;;) {
    const std::string first = LowerText(st.TokText());
    st.expr.StringTermCase = st.Tok().Kind != kTokKeyword ? kCaseNone
                             : first == "lcase"           ? kCaseLower
                             : first == "ucase"           ? kCaseUpper
                                                          : kCaseNone;
    st.expr.StrDestPushed = false;
    const bool destinationLive = dest.xPreset || !st.expr.FirstStringTerm;
    if (destinationLive && !TermKeepsDestination(st)) PushDestination(st);
    st.sticky.OperandType = kTypeNone;
    st.expr.OperandInFlash = false;
    ParseFactor(st, wanted);
    StoreTerm(st, dest, wanted);
    if (st.TokText() != "+") break;
    ++st.src.TokenIndex;
  }
  st.expr.StringTermCase = kCaseNone;
}

bool SameName(const std::string& a, const std::string& b) { return LowerText(a) == LowerText(b); }

// True when the target itself is read by a term after the first: the text would be
// changed under the copy (s = "x" + s), so it is built elsewhere first. The first term
// may read the target: its copy starts at the target's first byte.
bool ReadsTargetAfterFirstTerm(CompilerState& st, const std::string& name) {
  int i = st.src.TokenIndex;
  int depth = 0;
  auto atEnd = [&](int k) { return st.src.Tokens[k].Kind == kTokEol || IsWord(st.src.Tokens[k], ":"); };
  for (;; ++i) {
    if (i >= st.src.TokenCount || atEnd(i)) return false;
    const std::string& t = st.src.Tokens[i].Text;
    if (t == "(") ++depth;
    if (t == ")") --depth;
    if (depth == 0 && t == "+" && i > st.src.TokenIndex) break;
  }
  for (; i < st.src.TokenCount && !atEnd(i); ++i) {
    const TokenRecord& t = st.src.Tokens[i];
    if ((t.Kind == kTokName || t.Kind == kTokCallName) && SameName(t.Text, name)) return true;
  }
  return false;
}

// The terms into the target; when a later term reads the target, they are stored into a
// scratch area taken from the software stack (below Y, so conversions and calls made by
// the terms work below it) and the result is then copied into the target.
void CompileAssignedTerms(CompilerState& st, const Destination& dest, std::uint8_t wanted) {
  if (!ReadsTargetAfterFirstTerm(st, dest.name)) {
    CompileTerms(st, dest, wanted);
    return;
  }
  const int bytes = dest.size == 0 ? 255 : dest.size;
  strlines::NoteStringScratch(st);
  if (dest.xPreset) {
    st.out.Instr(Sep::kNarrow, "push", "xl");
    if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "push", "xh");
  }
  strlines::TakeScratchBelowY(st, bytes);
  st.out.Instr(Sep::kWide, "mov", "xl,yl");
  if (LargeRam(st)) st.out.Instr(Sep::kWide, "mov", "xh,yh");
  st.out.Instr(Sep::kWide, "ldi", "r20," + LimitText(dest.size));
  st.expr.FirstStringTerm = false;
  CompileTerms(st, Destination{dest.name, dest.size, true}, wanted);
  st.out.Instr(Sep::kWide, "mov", "zl,yl");
  if (LargeRam(st)) st.out.Instr(Sep::kWide, "mov", "zh,yh");
  if (dest.xPreset) {
    if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "pop", "xh");
    st.out.Instr(Sep::kNarrow, "pop", "xl");
  } else {
    LoadX(st, dest);
  }
  st.out.Instr(Sep::kWide, "ldi", "r20," + LimitText(dest.size));
  CallLibrary(st, "_StStr", NeedStoreStr);
  st.expr.ArgStackOffset -= bytes;
  st.out.Instr(Sep::kNarrow, "subi", "yl,low(-" + std::to_string(bytes) + ")");
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "sbci", "yh,high(-" + std::to_string(bytes) + ")");
}

}  // namespace

void CompileStringTerm(CompilerState& st, const std::string& name, std::uint8_t size, bool) {
  StoreTerm(st, Destination{name, size}, kTypeString);
}

void CompileStringArrayTerm(CompilerState& st, const std::string& name, std::uint8_t size, bool) {
  StoreTerm(st, Destination{name, size, true}, kTypeString);
}

void CompileStringAssignment(CompilerState& st, const std::string& name, std::uint8_t size, std::uint8_t targetType) {
  ExpectToken(st, "=");
  st.expr.FirstStringTerm = true;
  CompileAssignedTerms(st, Destination{name, size}, targetType);
}

void CompileStringFrameAssignment(CompilerState& st, int localIndex) {
  const LocalVarRecord& v = st.sym.LocalVars[localIndex - 1];
  const std::string name = v.Name;
  ExpectToken(st, "=");
  st.expr.FirstStringTerm = true;
  CompileAssignedTerms(st, Destination{name, v.StrLen, false, localIndex}, kTypeString);
}

void CompileStringArrayAssignment(CompilerState& st, const std::string& name, std::uint8_t elementSize) {
  // X = name + index * element size.
  if (st.dev.RamEnd > 255) {
    if (elementSize == 0) {
      st.out.Instr(Sep::kWide, "ldi", "r24,0x00");
      st.out.Instr(Sep::kWide, "ldi", "r25,0x01");
    } else {
      st.out.Instr(Sep::kWide, "ldi", "r24," + std::to_string(elementSize));
      st.out.Instr(Sep::kWide, "clr", "r25");
    }
    CallLibrary(st, "Mp16u", NeedMul16u);
    st.out.Instr(Sep::kWide, "ldi", "xl,byte1(" + name + ")");
    st.out.Instr(Sep::kWide, "ldi", "xh,byte2(" + name + ")");
    st.out.Instr(Sep::kWide, "add", "xl,zl");
    st.out.Instr(Sep::kWide, "adc", "xh,zh");
  } else {
    st.out.Instr(Sep::kWide, "ldi", "r24," + std::to_string(elementSize));
    CallLibrary(st, "Mpy8u", NeedMul8u);
    st.out.Instr(Sep::kWide, "ldi", "xl,byte1(" + name + ")");
    st.out.Instr(Sep::kWide, "add", "xl,zl");
  }
  st.out.Instr(Sep::kWide, "ldi", "r20," + LimitText(elementSize));
  ExpectToken(st, "=");
  CompileAssignedTerms(st, Destination{name, elementSize, true}, kTypeString);
}

}  // namespace qbc
