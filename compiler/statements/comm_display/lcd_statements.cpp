#include "compiler/statements/comm_display/lcd_statements.h"

#include <string>

#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/lcd_flags.h"
#include "compiler/base/labels.h"
#include "compiler/codegen/data_list.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/codegen/string_functions.h"
#include "compiler/codegen/string_lines.h"
#include "compiler/statements/peripherals/lcd_cells.h"

namespace qbc {

namespace {

// Every LCD statement calls the driver, which only a $lcd line brings into the program.
void CheckConfigured(CompilerState& st) {
  if (!st.Cells<LcdCells>().LcdConfigured) ReportInPlace(st, "Lcd is not configured!");
}

void SendCommand(CompilerState& st, const std::string& command) {
  st.out.Instr(Sep::kWide, "ldi", "r24," + command);
  EmitCall(st, "_LCtr");
}

std::string HexCommand(int value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return "0x" + text;
}

void EmitHexItem(CompilerState& st) {
  st.used.Set(NeedLcdHex);
  ++st.src.TokenIndex;
  const std::uint8_t worked = ParseSum(st, kTypeNone);
  switch (kit::ItemType(st, worked)) {
    case kTypeByte: EmitCall(st, "_Lhb"); break;
    case kTypeInteger:
    case kTypeWord: EmitCall(st, "_Lhw"); break;
    default: ReportInPlace(st, "Must be Byte or Word!"); break;
  }
}

void EmitChrItem(CompilerState& st) {
  ++st.src.TokenIndex;
  CompileCharacterCode(st);
  st.out.Instr(Sep::kWide, "mov", "r24,zl");
  EmitCall(st, "_Lch");
}

void EmitLcdValue(CompilerState& st, int itemStart, std::uint8_t worked) {
  const std::uint8_t type = kit::ItemType(st, worked);
  const std::uint8_t number = type == kTypeBit ? std::uint8_t{kTypeByte} : type;
  if (kit::EmitNumberToText(st, number, kit::LongTextLabel::kCapitalS)) {
    CallLibrary(st, "_LBW", number == kTypeByte ? NeedLcdPrintByte : NeedLcdPrintWord);
    return;
  }
  switch (type) {
    case kTypeString: CallLibrary(st, "_LSt", NeedLcdPrintString); break;
    case kTypeFlashString: CallLibrary(st, "_LSc", NeedLcdPrintStringConst); break;
    case kTypeFloat:
      strlines::EmitFloatToText(st);
      CallLibrary(st, "_LSt", NeedLcdPrintString);
      break;
    default: kit::ReportItemCannotStand(st, itemStart, " cannot stand in an LCD item!"); break;
  }
}

bool TwoControllers(const CompilerState& st) { return LcdTwoEnables(st.Cells<LcdCells>()); }

// The DDRAM command of column 1 less one (the column is added at run time), by row. With
// two controllers rows 3 and 4 are the first and second row of the one behind E2.
int RowCommand(const CompilerState& st, int row) {
  if (TwoControllers(st) && (row == 3 || row == 4)) row -= 2;
  const bool wide = st.Cells<LcdCells>().LcdColumns == 20;
  switch (row) {
    case 1: return 0x7F;
    case 2: return st.Cells<LcdCells>().LcdKs0073 ? 0x9F : 0xBF;
    case 3: return st.Cells<LcdCells>().LcdKs0073 ? (wide ? 0xBF : 0xBB) : (wide ? 0x93 : 0x8F);
    case 4: return st.Cells<LcdCells>().LcdKs0073 ? (wide ? 0xDF : 0xDB) : (wide ? 0xD3 : 0xCF);
    default: return row & 0xFF;
  }
}

// Display control: with two controllers the cursor shows on the one in use only.
void SendDisplayControl(CompilerState& st, const std::string& command) {
  if (!TwoControllers(st)) {
    SendCommand(st, command);
    return;
  }
  st.out.Instr(Sep::kWide, "ldi", "r24," + command);
  EmitCall(st, "_LDc");
}

}  // namespace

void CompileLcdStatement(CompilerState& st) {
  CheckConfigured(st);
  ++st.src.TokenIndex;
  while (!kit::AtStatementEnd(st)) {
    const std::string word = st.TokText();
    const auto start = st.src.TokenIndex;
    if (word == "hex") {
      EmitHexItem(st);
    } else if (word == "chr") {
      EmitChrItem(st);
    } else {
      const std::uint8_t worked = ParseSum(st, kTypeNone);
      if (st.src.TokenIndex != start) EmitLcdValue(st, start, worked);
    }
    if (st.src.TokenIndex == start) ++st.src.TokenIndex;  // a token no item starts with
    if (st.Tok().Kind == kTokSemicolon) ++st.src.TokenIndex;
    st.sticky.OperandType = 0;
  }
}

void CompileLocateStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  // The row picks the line's address at compile time: it is a number written here.
  const auto rowValue = st.Tok().Kind == kTokNumber ? kit::ConstantArgument(st) : std::nullopt;
  if (!rowValue) {
    ReportInPlace(st, "Must be numeric constant");
    SkipToStatementEnd(st);
    return;
  }
  const int row = *rowValue;
  CheckConfigured(st);
  const LcdCells& lcd = st.Cells<LcdCells>();
  if (lcd.LcdConfigured && (row < 1 || row > 4 || row > lcd.LcdRows)) ReportInPlace(st, "Wrong number of LCD rows!");
  if (TwoControllers(st)) EmitCall(st, row > 2 ? "_LE2" : "_LE1");
  st.out.Instr(Sep::kWide, "ldi", "r24," + HexCommand(RowCommand(st, row)));
  ++st.src.TokenIndex;
  kit::ExpectComma(st);
  // The column's code may use r24 for a second operand: the command waits on the stack.
  st.out.Instr(Sep::kNarrow, "push", "r24");
  // Column 0 would turn the address command into another one; columns past the display
  // are never shown.
  if (const auto column = kit::ConstantArgument(st);
      column && lcd.LcdConfigured && (*column < 1 || *column > lcd.LcdColumns))
    ReportInPlace(st, "Wrong number of LCD columns!");
  ParseSum(st, kTypeByte);
  st.out.Instr(Sep::kWide, "pop", "r24");
  st.out.Instr(Sep::kWide, "add", "r24,zl");
  EmitCall(st, "_LCtr");
}

void CompileClsStatement(CompilerState& st) {
  CheckConfigured(st);
  ++st.src.TokenIndex;
  if (TwoControllers(st)) EmitCall(st, "_LE12");
  SendCommand(st, "1");
  // The controller takes 1.52 ms to clear.
  st.out.Instr(Sep::kWide, "ldi", "zl,0x02");
  EmitCall(st, "_Wms");
  if (TwoControllers(st)) EmitCall(st, "_LE1");
}


void CompileCursorStatement(CompilerState& st) {
  CheckConfigured(st);
  ++st.src.TokenIndex;
  const std::string word = st.TokText();
  int value = 0;
  if (word == "on" || word == "noblink")
    value = 6;
  else if (word == "off")
    value = 4;
  else if (word == "blink")
    value = 7;
  else
    ReportInPlace(st, "On, Off, Blink or NoBlink!");
  ++st.src.TokenIndex;
  if (st.TokText() == "blink") {
    value = 7;
    ++st.src.TokenIndex;
  } else if (st.TokText() == "noblink") {
    value = 6;
    ++st.src.TokenIndex;
  }
  SendDisplayControl(st, HexCommand(8 + value));
}

void CompileDisplayStatement(CompilerState& st) {
  CheckConfigured(st);
  ++st.src.TokenIndex;
  const std::string word = st.TokText();
  if (word == "on")
    SendDisplayControl(st, "0x0c");
  else if (word == "off")
    SendDisplayControl(st, "0x08");
  else
    ReportInPlace(st, "ON or OFF!");
  ++st.src.TokenIndex;
}

void CompileInitLcdStatement(CompilerState& st) {
  CheckConfigured(st);
  ++st.src.TokenIndex;
  EmitCall(st, "LcdIni");
  ExpectToken(st, "(");
  ExpectToken(st, ")");
}

void CompileDefLcdCharStatement(CompilerState& st) {
  CheckConfigured(st);
  ++st.src.TokenIndex;
  if (st.Tok().Kind == kTokNumber) {
    const std::string n = st.TokText();
    const bool valid = n.size() == 1 && n[0] >= '0' && n[0] <= '7';
    // Both controllers get the character: it may be shown on any row.
    if (valid && TwoControllers(st)) EmitCall(st, "_LE12");
    if (valid)
      SendCommand(st, HexCommand(0x40 + 8 * (n[0] - '0')));
    else
      ReportInPlace(st, "From 0 to 7!");
    ++st.src.TokenIndex;
    kit::ExpectComma(st);
    // The rows stand in flash beside the code, jumped over; each statement's table has a
    // label of its own, so a character may be defined again.
    const std::string table = "LcdCh" + n + "_" + NewLabel(st);
    const std::string past = NewLabel(st);
    st.out.Instr(Sep::kNarrow, "rjmp", past);
    std::uint8_t type = kTypeByte;
    // _Def sends eight bytes: with fewer it would send the code after the table.
    if (EmitDataList(st, table, type) != 8) ReportInPlace(st, "Must be 8 bytes!");
    EmitLabel(st, past);
    EmitLoadFlashLabelZ(st, table);
    CallLibrary(st, "_Def", NeedDef);
  } else {
    CompileError(st, "From 0 to 7!");
    SkipToStatementEnd(st);
  }
  // The character generator's address leaves the cursor off the display: clear, home.
  SendCommand(st, "1");
  st.out.Instr(Sep::kWide, "ldi", "zl,2");
  EmitCall(st, "_Wms");
  if (TwoControllers(st)) EmitCall(st, "_LE1");
}

}  // namespace qbc
