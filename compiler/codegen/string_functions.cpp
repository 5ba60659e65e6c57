#include "compiler/codegen/string_functions.h"

#include "compiler/base/flags/core_flags.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/expression_type.h"
#include "compiler/codegen/string_lines.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/labels.h"

namespace qbc {

using strlines::LargeRam;

namespace {

// The expression cells a function changes while it compiles its arguments, restored when
// it is done: the arguments are compiled into the working registers whatever the
// surrounding expression asked for (SkipOperandPush), and each in its own type, for the
// function and not for the place the function's value goes to.
struct ArgScope {
  ArgScope(CompilerState& s, std::uint8_t callerWanted)
      : st(s), wanted(callerWanted), skip(s.sticky.SkipOperandPush), place(s, kTypeNone) {
    st.sticky.SkipOperandPush = false;
  }
  void Restore() { st.sticky.SkipOperandPush = skip; }
  CompilerState& st;
  std::uint8_t wanted;
  bool skip;
  StoreTypeScope place;
};

// Compiles a string argument; returns its type (6 SRAM, 7 flash, 11 substring, else what
// the expression was). A variable read from flash counts as a flash string.
std::uint8_t CompileStringArg(CompilerState& st) {
  st.sticky.OperandType = kTypeNone;
  st.expr.OperandInFlash = false;
  ParseSum(st, kTypeNone);
  std::uint8_t t = st.sticky.OperandType;
  if (st.expr.OperandInFlash && (t == kTypeNone || t == kTypeString)) t = kTypeFlashString;
  st.expr.OperandInFlash = false;
  return t;
}

// A number argument that counts characters: one byte in zl.
void CompileByteArg(CompilerState& st) { ParseSum(st, kTypeByte); }

// Left, Right and Mid read the string in SRAM: a substring of another substring starts
// at its Z as well.
void CheckSramString(CompilerState& st, std::uint8_t t) {
  if (t == kTypeString || t == kTypeSubstring) return;
  ReportInPlace(st, t == kTypeFlashString ? kMsgSramStringArg : kMsgStringArg);
}

// After _LenS on a substring argument: zl = min(zl, r20 - 1), the characters the
// substring really holds (its text goes on to the end of the string it was taken from).
void ClampLengthToSubstring(CompilerState& st) {
  const std::string done = NewLabel(st);
  st.out.Instr(Sep::kWide, "dec", "r20");
  st.out.Instr(Sep::kWide, "cp", "zl,r20");
  st.out.Instr(Sep::kNarrow, "brlo", done);
  st.out.Instr(Sep::kWide, "mov", "zl,r20");
  EmitLabel(st, done);
}

void PushZ(CompilerState& st) {
  st.out.Instr(Sep::kNarrow, "push", "zl");
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "push", "zh");
}
// Pops what PushZ pushed into the registers lo, hi.
void PopPair(CompilerState& st, const char* lo, const char* hi) {
  if (LargeRam(st)) st.out.Instr(Sep::kNarrow, "pop", hi);
  st.out.Instr(Sep::kNarrow, "pop", lo);
}

// The routine reading a text as a number: by the base, the form of the text (a substring
// brings its length) and the width (32 bits for a Long or Float result).
struct TextToNumberRoutine {
  const char* text;
  const char* substring;
  UsedFlag used;
};
constexpr TextToNumberRoutine kTextToNumber[2][2] = {
    {{"_St2Nm", "_Sb2Nm", NeedStrToNum}, {"_St2Nl", "_Sb2Nl", NeedStrToLong}},
    {{"_Hx2Nm", "_Sb2Hx", NeedHx2Nm}, {"_Hx2Nl", "_Sb2Hl", NeedHx2Long}},
};

std::uint8_t CompileTextToNumber(CompilerState& st, bool hex, std::uint8_t wanted) {
  // Wanted as a Long or a Float the text is read in 32 bits: a 16-bit value would cut
  // "250000". A Long going to a place of 16 bits or fewer is read as the Integer Val gives
  // (HexVal a Word), also where the expression around it is worked as a Long for another
  // operand's sake (B = Val(S) / W with a Word W); a Float has no low bytes to take, so it
  // is read whole wherever its result goes (B = Val(S) * F), and so is the argument of a
  // function, which wants it for itself (W = Sqrt(Val(S))).
  const std::uint8_t place = st.expr.StoreType;
  ArgScope scope(st, wanted);
  const bool narrowPlace = place >= kTypeBit && place <= kTypeWord;
  const bool wide = scope.wanted == kTypeFloat || (scope.wanted == kTypeLong && !narrowPlace);
  const int bytes = wide ? 4 : 2;
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  if (st.Tok().Kind == kTokString && st.TokText(1) == ")") {
    // A literal: its value is known now, and the routines read only SRAM.
    const std::uint32_t v = hex ? HexTextValue(st.TokText()) : DecimalTextValue(st.TokText());
    ++st.src.TokenIndex;
    EmitEachByte(st, "ldi", CurrentValue(wide ? kTypeLong : kTypeWord), ByteOrder::LowFirst,
                 [&](std::string_view reg, int k) {
                   return std::string(reg) + "," + Hex2((v >> (8 * k)) & 0xFF, HexForm::Prefixed0xLower);
                 });
  } else {
    const std::uint8_t t = CompileStringArg(st);
    if (t == kTypeString || t == kTypeSubstring) {
      // X = the text; a substring also brings its length + 1 in r20.
      const TextToNumberRoutine& r = kTextToNumber[hex ? 1 : 0][wide ? 1 : 0];
      st.out.Instr(Sep::kWide, "mov", "xl,zl");
      if (LargeRam(st)) st.out.Instr(Sep::kWide, "mov", "xh,zh");
      CallLibrary(st, t == kTypeSubstring ? r.substring : r.text, r.used);
    } else {
      ReportInPlace(st, t == kTypeFlashString ? kMsgSramStringArg : kMsgStringArg);
    }
  }
  ExpectToken(st, ")");
  scope.Restore();
  st.sticky.OperandType = wide ? kTypeLong : hex ? kTypeWord : kTypeInteger;
  strlines::WidenResult(st, bytes, !hex, scope.wanted, scope.skip);
  return wanted;
}

// Counts the arguments of the call whose "(" is at `open`: commas at its own depth.
int ArgumentCount(CompilerState& st, int open) {
  int depth = 0;
  int commas = 0;
  for (int i = open; i < st.src.TokenCount; ++i) {
    const TokenRecord& t = st.src.Tokens[i];
    if (t.Kind == kTokEol) break;
    if (t.Text == "(") ++depth;
    if (t.Text == ")" && --depth == 0) break;
    if (t.Text == "," && depth == 1) ++commas;
  }
  return commas + 1;
}

}  // namespace

std::uint32_t DecimalTextValue(const std::string& text) {
  // As the routine reads text at run time: blanks and TABs, one sign, then digits up to the
  // first character that is not one.
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint32_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    v = v * 10u + static_cast<std::uint8_t>(text[i] - '0');
  return negative ? 0u - v : v;
}

std::uint32_t HexTextValue(const std::string& text) {
  std::uint32_t v = 0;
  for (unsigned char c : text) {
    unsigned d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else
      break;
    v = v * 16u + d;
  }
  return v;
}

void EmitLoadVarAddressZ(CompilerState& st, const std::string& name) {
  st.out.Instr(Sep::kWide, "ldi", "zl,byte1(" + name + ")");
  if (LargeRam(st)) st.out.Instr(Sep::kWide, "ldi", "zh,byte2(" + name + ")");
}

std::uint8_t CompileValFunction(CompilerState& st, std::uint8_t wanted) {
  return CompileTextToNumber(st, false, wanted);
}
std::uint8_t CompileHexValFunction(CompilerState& st, std::uint8_t wanted) {
  return CompileTextToNumber(st, true, wanted);
}

std::uint8_t CompileStrFunction(CompilerState& st, std::uint8_t wanted) {
  ArgScope scope(st, wanted);
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  st.expr.StatementContext = true;
  // The number in its own type: the term store converts by that type. An expression
  // asked for in no type is worked in the type that holds all its operands, which the
  // parse returns (as the operand loaders give a single operand's type); OperandType may
  // hold only the last operand's own type (Str(w + 5) is a word).
  const std::uint8_t worked = ParseExpression(st, kTypeAnyNumber);
  switch (worked) {
    case kTypeByte:
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong:
    case kTypeFloat:
      st.sticky.OperandType = worked;
      break;
    default:
      break;
  }
  ExpectToken(st, ")");
  st.used.Set(NeedStoreStr);
  scope.Restore();
  return wanted;
}

void CompileCharacterCode(CompilerState& st) {
  // (the parenthesized factor: its expression whole, also inside a condition)
  if (st.Tok().Kind != kTokOpenParen) {
    ExpectToken(st, "(");
    return;
  }
  ParseFactor(st, kTypeByte);
}

std::uint8_t CompileChrFunction(CompilerState& st, std::uint8_t wanted) {
  ArgScope scope(st, wanted);
  ++st.src.TokenIndex;
  CompileCharacterCode(st);
  scope.Restore();
  st.sticky.OperandType = kTypeChar;
  return wanted;
}

std::uint8_t CompileLenFunction(CompilerState& st, std::uint8_t wanted) {
  ArgScope scope(st, wanted);
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  const std::uint8_t t = CompileStringArg(st);
  ExpectToken(st, ")");
  if (t == kTypeString) {
    CallLibrary(st, "_LenS", NeedLenStr);
  } else if (t == kTypeFlashString) {
    CallLibrary(st, "_LenC", NeedLenStrConst);
  } else if (t == kTypeSubstring) {
    // The characters up to the terminator, at most the substring's count (r20 - 1).
    const std::string done = NewLabel(st);
    EmitCall(st, "_LenS");
    st.out.Instr(Sep::kWide, "dec", "r20");
    st.out.Instr(Sep::kWide, "cp", "zl,r20");
    st.out.Instr(Sep::kNarrow, "brlo", done);
    st.out.Instr(Sep::kWide, "mov", "zl,r20");
    EmitLabel(st, done);
    st.used.Set(NeedLenStr);
  } else {
    ReportInPlace(st, kMsgStringArg);
  }
  scope.Restore();
  st.sticky.OperandType = kTypeByte;
  strlines::WidenResult(st, 1, false, scope.wanted, scope.skip);
  return wanted == kTypeNone ? std::uint8_t{kTypeByte} : wanted;
}

std::uint8_t CompileLeftFunction(CompilerState& st, std::uint8_t wanted) {
  ArgScope scope(st, wanted);
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  const std::uint8_t t = CompileStringArg(st);
  CheckSramString(st, t);
  const bool inner = t == kTypeSubstring;
  PushZ(st);
  if (inner) st.out.Instr(Sep::kNarrow, "push", "r20");
  ExpectToken(st, ",");
  CompileByteArg(st);
  ExpectToken(st, ")");
  strlines::SubstringLimitFromZl(st);
  if (inner) {
    // Of a substring: no more than the inner substring's characters.
    const std::string fits = NewLabel(st);
    st.out.Instr(Sep::kNarrow, "pop", "r21");
    st.out.Instr(Sep::kWide, "cp", "r20,r21");
    st.out.Instr(Sep::kNarrow, "brlo", fits);
    st.out.Instr(Sep::kWide, "mov", "r20,r21");
    EmitLabel(st, fits);
  }
  PopPair(st, "zl", "zh");
  scope.Restore();
  st.sticky.OperandType = kTypeSubstring;
  return wanted;
}

namespace {

// The opening that Right and Mid share: "(", the string, its address and its length pushed
// (at most a substring's count), ",", and the first count in zl. Returns the string's kind.
std::uint8_t CompileStringAndLengthArgs(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  const std::uint8_t t = CompileStringArg(st);
  CheckSramString(st, t);
  PushZ(st);
  CallLibrary(st, "_LenS", NeedLenStr);
  if (t == kTypeSubstring) ClampLengthToSubstring(st);
  st.out.Instr(Sep::kNarrow, "push", "zl");
  ExpectToken(st, ",");
  CompileByteArg(st);
  return t;
}

}  // namespace

std::uint8_t CompileRightFunction(CompilerState& st, std::uint8_t wanted) {
  ArgScope scope(st, wanted);
  CompileStringAndLengthArgs(st);
  ExpectToken(st, ")");
  // r23 = length; n = min(n, length); Z = start + length - n.
  const std::string fits = NewLabel(st);
  st.out.Instr(Sep::kNarrow, "pop", "r23");
  PopPair(st, "r24", "r25");
  st.out.Instr(Sep::kWide, "cp", "r23,zl");
  st.out.Instr(Sep::kNarrow, "brsh", fits);
  st.out.Instr(Sep::kWide, "mov", "zl,r23");
  EmitLabel(st, fits);
  st.out.Instr(Sep::kWide, "sub", "r23,zl");
  strlines::SubstringLimitFromZl(st);
  st.out.Instr(Sep::kWide, "add", "r24,r23");
  if (LargeRam(st)) {
    st.out.Instr(Sep::kWide, "clr", "r23");
    st.out.Instr(Sep::kWide, "adc", "r25,r23");
  }
  st.out.Instr(Sep::kWide, "mov", "zl,r24");
  if (LargeRam(st)) st.out.Instr(Sep::kWide, "mov", "zh,r25");
  scope.Restore();
  st.sticky.OperandType = kTypeSubstring;
  return wanted;
}

std::uint8_t CompileMidFunction(CompilerState& st, std::uint8_t wanted) {
  ArgScope scope(st, wanted);
  const std::uint8_t t = CompileStringAndLengthArgs(st);
  st.out.Instr(Sep::kNarrow, "push", "zl");
  if (st.TokText() == ",") {
    ++st.src.TokenIndex;
    CompileByteArg(st);
  } else {
    st.out.Instr(Sep::kWide, "ldi", "zl,0xff");  // Mid(s, start): the rest of the string
  }
  ExpectToken(st, ")");
  strlines::SubstringLimitFromZl(st);
  // r21 = start - 1, kept within 0 .. length (positions count from 1; 0 counts as 1, a
  // start past the end gives the empty substring at the terminator).
  const std::string low = NewLabel(st);
  const std::string high = NewLabel(st);
  st.out.Instr(Sep::kNarrow, "pop", "r21");
  st.out.Instr(Sep::kNarrow, "pop", "r23");
  PopPair(st, "zl", "zh");
  st.out.Instr(Sep::kNarrow, "subi", "r21,0x01");
  st.out.Instr(Sep::kNarrow, "brcc", low);
  st.out.Instr(Sep::kWide, "clr", "r21");
  EmitLabel(st, low);
  st.out.Instr(Sep::kWide, "cp", "r23,r21");
  st.out.Instr(Sep::kNarrow, "brsh", high);
  st.out.Instr(Sep::kWide, "mov", "r21,r23");
  EmitLabel(st, high);
  if (t == kTypeSubstring) {
    // Of a substring: the count stops at the inner substring's end (r20 <= r23 - r21 + 1);
    // a plain string's terminator stops it by itself.
    const std::string fits = NewLabel(st);
    st.out.Instr(Sep::kWide, "mov", "r22,r23");
    st.out.Instr(Sep::kWide, "sub", "r22,r21");
    st.out.Instr(Sep::kWide, "inc", "r22");
    st.out.Instr(Sep::kWide, "cp", "r20,r22");
    st.out.Instr(Sep::kNarrow, "brlo", fits);
    st.out.Instr(Sep::kWide, "mov", "r20,r22");
    EmitLabel(st, fits);
  }
  st.out.Instr(Sep::kWide, "add", "zl,r21");
  if (LargeRam(st)) {
    st.out.Instr(Sep::kWide, "clr", "r21");
    st.out.Instr(Sep::kWide, "adc", "zh,r21");
  }
  scope.Restore();
  st.sticky.OperandType = kTypeSubstring;
  return wanted;
}

std::uint8_t CompileInstrFunction(CompilerState& st, std::uint8_t wanted) {
  ArgScope scope(st, wanted);
  ++st.src.TokenIndex;
  const bool withStart = ArgumentCount(st, st.src.TokenIndex) >= 3;
  ExpectToken(st, "(");
  if (withStart) {
    CompileByteArg(st);
    st.out.Instr(Sep::kNarrow, "push", "zl");
    ExpectToken(st, ",");
  }
  const std::uint8_t searched = CompileStringArg(st);
  if (searched != kTypeString) ReportInPlace(st, searched == kTypeFlashString ? kMsgSramStringArg : kMsgStringArg);
  PushZ(st);
  ExpectToken(st, ",");
  const std::uint8_t sought = CompileStringArg(st);
  ExpectToken(st, ")");
  if (sought == kTypeString)
    st.out.Instr(Sep::kWide, "ldi", "r24,0x00");
  else if (sought == kTypeFlashString)
    st.out.Instr(Sep::kWide, "ldi", "r24,0x01");
  else
    ReportInPlace(st, kMsgStringArg);
  PopPair(st, "xl", "xh");
  if (withStart) {
    st.out.Instr(Sep::kNarrow, "pop", "r20");
    EmitCall(st, "_InSt");
  } else {
    EmitCall(st, "_InStr");
  }
  st.used.Set(NeedInstr);
  scope.Restore();
  st.sticky.OperandType = kTypeByte;
  strlines::WidenResult(st, 1, false, scope.wanted, scope.skip);
  return wanted;
}

}  // namespace qbc
