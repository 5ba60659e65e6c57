#include "compiler/statements/hardware/number_format.h"

#include <algorithm>
#include <string>

#include "compiler/base/flags/float_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/number_format_cells.h"

namespace qbc {

namespace {

// The number format cells the statements reach: both format numbers and the text buffer
// of the formatted float, or the fill character alone.
bool FormatCellsMissing(const NumberFormatCells& numbers) {
  return numbers.FormatCellsUsed && !numbers.FormatCellsDeclared;
}
bool LeadCellMissing(const NumberFormatCells& numbers) {
  return (numbers.LeadCellUsed || FormatCellsMissing(numbers)) && !numbers.LeadCellDeclared;
}

std::uint8_t LiteralByte(const std::string& text) { return static_cast<std::uint8_t>(static_cast<long>(LeadingNumber(text))); }

}  // namespace

void CompileLeadCharStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  if (st.Tok().Kind == kTokString && !st.TokText().empty()) {
    const auto code = static_cast<std::uint8_t>(st.TokText()[0]);
    NumberFormatCells& numbers = st.Cells<NumberFormatCells>();
    numbers.LeadChar = code;
    numbers.LeadCellUsed = true;
    st.out.Instr(Sep::kWide, "ldi", "zl,0x" + HexUpper(code));
    st.out.Instr(Sep::kWide, "sts", "_lchr,zl");
    ++st.src.TokenIndex;
    return;
  }
  CompileError(st, "Must be one Char String!");
}

void CompileFormatStatement(CompilerState& st) {
  NumberFormatCells& numbers = st.Cells<NumberFormatCells>();
  numbers.FormatCellsUsed = true;
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  if (st.TokText() == "scientific") {
    st.out.Instr(Sep::kWide, "clr", "zl");
    numbers.FormatDigits = 0;
    ++st.src.TokenIndex;
  } else {
    if (st.Tok().Kind == kTokNumber) numbers.FormatDigits = LiteralByte(st.TokText());
    kit::LoadValue(st, kTypeByte);
  }
  st.out.Instr(Sep::kWide, "sts", "_fmtC,zl");
  kit::ExpectComma(st);
  if (st.Tok().Kind == kTokNumber) numbers.FormatDecimals = LiteralByte(st.TokText());
  kit::LoadValue(st, kTypeByte);
  st.out.Instr(Sep::kWide, "sts", "_fmtD,zl");
  ExpectToken(st, ")");
}

// The float text of _Fstr goes to _s1tmp, which the head declares with the first float
// variable; a float literal printed or turned into text, or a Local float, needs it as
// well.
bool FloatTextCellMissing(const CompilerState& st) {
  return st.used[NeedFstr] && !st.Cells<NumberFormatCells>().FloatTextDeclared;
}

bool LateNumberTextCellsMissing(const CompilerState& st) {
  const NumberFormatCells& numbers = st.Cells<NumberFormatCells>();
  return FormatCellsMissing(numbers) || LeadCellMissing(numbers) || FloatTextCellMissing(st);
}

void DeclareLateNumberTextCells(CompilerState& st) {
  const NumberFormatCells& numbers = st.Cells<NumberFormatCells>();
  // The lines go where the head sets up its cells, written by a writer of the same layout.
  AsmWriter lines = st.out;
  lines.Clear();
  AsmWriter setUp = lines;
  lines.Line(".DSEG");
  setUp.Instr(Sep::kWide, "clr", "zl");
  auto cell = [&](const std::string& name, int bytes, bool cleared) {
    lines.Instr(name, Sep::kNarrow, ".byte", std::to_string(bytes));
    st.sym.SystemVarBytes = static_cast<std::int16_t>(st.sym.SystemVarBytes + bytes);
    if (cleared) setUp.Instr(Sep::kWide, "sts", name + ",zl");
  };
  if (FormatCellsMissing(numbers)) {
    cell("_fmtC", 1, true);
    cell("_fmtD", 1, true);
    cell("_s2tmp", std::max(FormatTextBytes(numbers), 14), false);
  }
  if (LeadCellMissing(numbers)) cell("_lchr", 1, true);
  if (FloatTextCellMissing(st)) cell("_s1tmp", 14, false);
  lines.Line(".CSEG");
  // Only cleared cells need the start-up lines.
  const bool cleared = setUp.LineCount() > 1;
  st.out.InsertLines(numbers.FormatCellsAt, lines.Str() + (cleared ? setUp.Str() : std::string()));
}

}  // namespace qbc
