#include "compiler/statements/comm_display/soft_com_print.h"

#include <string>

#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/soft_com_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/codegen/string_functions.h"
#include "compiler/statements/comm_display/soft_com_channel.h"
#include "compiler/statements/comm_display/uart_ports.h"

namespace qbc {

namespace {

UsedFlag Of(const UsedFlag (&flags)[4], int com) { return flags[com - 1]; }

void SendByte(CompilerState& st, int com, const char* reg) {
  st.out.Instr(Sep::kWide, "mov", std::string("r24,") + reg);
  EmitCall(st, ComLabel("_Com", com, "O"));
}

void EmitLineEnd(CompilerState& st, int com) { EmitCall(st, ComLabel("_C", com, "OCL")); }

// Hex(x): its text through the number loop.
void EmitHexItem(CompilerState& st, int com) {
  ++st.src.TokenIndex;
  const std::uint8_t worked = ParseExpression(st, kTypeNone);
  switch (kit::ItemType(st, worked)) {
    case kTypeByte: CallLibrary(st, "_ToHB", Of(kComPrintByte, com)); break;
    case kTypeInteger:
    case kTypeWord: CallLibrary(st, "_ToHW", Of(kComPrintWord, com)); break;
    case kTypeLong: CallLibrary(st, "_ToHL", Of(kComPrintWord, com)); break;
    default: ReportInPlace(st, "Must be Byte or Word!"); break;
  }
  st.used.Set(NeedNumToHex);
  EmitCall(st, ComLabel("_PCBW", com));
}

// The bytes of a byte, integer or word, low byte first; false for any other type.
bool SendBinary(CompilerState& st, int com, std::uint8_t type) {
  if (type != kTypeByte && type != kTypeInteger && type != kTypeWord) return false;
  SendByte(st, com, "zl");
  if (type != kTypeByte) SendByte(st, com, "zh");
  return true;
}

}  // namespace

void EmitSoftPrintValue(CompilerState& st, int com, std::uint8_t worked) {
  const std::uint8_t type = kit::ItemType(st, worked);
  if (kit::EmitNumberToText(st, type, kit::LongTextLabel::kAsLabelled)) {
    CallLibrary(st, ComLabel("_PCBW", com), Of(type == kTypeByte ? kComPrintByte : kComPrintWord, com));
    return;
  }
  switch (type) {
    case kTypeString: CallLibrary(st, ComLabel("_PC", com, "St"), Of(kComPrintString, com)); break;
    case kTypeFlashString: CallLibrary(st, ComLabel("_PC", com, "Sc"), Of(kComPrintStringConst, com)); break;
    default: ReportInPlace(st, "Must be variable!"); break;
  }
}

void CompileSoftPrintStatement(CompilerState& st) {
  const int com = ReadSoftChannel(st, ComDirection::kOutput, "From 0 to 7!");
  if (com == 0) return;
  MarkComUsed(st, com, ComDirection::kOutput);
  if (AtUartListEnd(st)) {
    EmitLineEnd(st, com);
    return;
  }
  kit::ExpectComma(st);
  while (!AtUartListEnd(st) && st.Tok().Kind != kTokSemicolon) {
    const std::string& word = st.TokText();
    if (word == "hex") {
      EmitHexItem(st, com);
    } else if (word == "chr") {
      ++st.src.TokenIndex;
      CompileCharacterCode(st);
      SendByte(st, com, "zl");
    } else {
      const auto start = st.src.TokenIndex;
      const std::uint8_t worked = ParseSum(st, kTypeNone);
      if (st.src.TokenIndex == start) ++st.src.TokenIndex;  // a token no item starts with
      EmitSoftPrintValue(st, com, worked);
    }
    if (st.Tok().Kind == kTokSemicolon)
      ++st.src.TokenIndex;
    else
      EmitLineEnd(st, com);
  }
}

namespace {

// PrintBin #1 with $com1: each byte through _TX, which waits for the one before.
void CompileInterruptPrintBin(CompilerState& st) {
  if (!ReadInterruptChannel(st)) return;
  kit::ExpectComma(st);
  while (!AtUartListEnd(st)) {
    const auto start = st.src.TokenIndex;
    const std::uint8_t worked = ParseExpression(st, kTypeNone);
    if (st.src.TokenIndex == start) ++st.src.TokenIndex;
    if (st.Tok().Kind == kTokSemicolon) ++st.src.TokenIndex;
    if (kit::ItemType(st, worked) != kTypeByte) {
      ReportInPlace(st, "Must be Byte or Word!");
      continue;
    }
    st.out.Instr(Sep::kWide, "mov", "r24,zl");
    EmitCall(st, "_TX");
  }
}

}  // namespace

void CompileSoftPrintBinStatement(CompilerState& st) {
  if (InterruptUartConfigured(st)) {
    CompileInterruptPrintBin(st);
    return;
  }
  const int com = ReadSoftChannel(st, ComDirection::kOutput, "Must be numeric constant");
  if (com == 0) return;
  MarkComUsed(st, com, ComDirection::kOutput);
  kit::ExpectComma(st);
  while (!AtUartListEnd(st)) {
    if (st.Tok().Kind == kTokComma) {
      CompileError(st, "Comma is not allowed here!");
      continue;
    }
    // Every item is sent as its own type.
    const bool hex = st.TokText() == "hex";
    if (hex) ++st.src.TokenIndex;
    const auto start = st.src.TokenIndex;
    const std::uint8_t worked = ParseExpression(st, kTypeNone);
    if (st.src.TokenIndex == start) ++st.src.TokenIndex;
    const bool lineEnd = hex && st.Tok().Kind != kTokSemicolon;
    if (st.Tok().Kind == kTokSemicolon) ++st.src.TokenIndex;
    // An integer goes out only as Hex(x).
    const std::uint8_t type = kit::ItemType(st, worked);
    if ((type == kTypeInteger && !hex) || !SendBinary(st, com, type)) {
      ReportInPlace(st, "Must be Byte or Word!");
      continue;
    }
    // Hex(x) sends the value's bytes as they are and ends the line unless ";" follows.
    if (lineEnd) {
      st.out.Instr(Sep::kWide, "ldi", "r24,0x0d");
      EmitCall(st, ComLabel("_Com", com, "O"));
      st.out.Instr(Sep::kWide, "ldi", "r24,0x0a");
      EmitCall(st, ComLabel("_Com", com, "O"));
    }
  }
}

}  // namespace qbc
