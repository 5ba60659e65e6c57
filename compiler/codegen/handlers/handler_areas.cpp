#include "compiler/codegen/handlers/handler_areas.h"

#include <algorithm>

#include "compiler/codegen/call_graph.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/frontend/handler_cells.h"
#include "compiler/frontend/number_format_cells.h"

namespace qbc {

namespace {

// "label:", the gap `after` names, ".byte" and the size, counted with the system cells;
// written by `out`.
void ReserveCell(CompilerState& st, AsmWriter& out, const std::string& label, Sep after, int bytes) {
  out.InstrAfter(label + ":" + out.Gap(after), Sep::kNarrow, ".byte", std::to_string(bytes));
  st.sym.SystemVarBytes = static_cast<std::int16_t>(st.sym.SystemVarBytes + bytes);
}

void ReserveCell(CompilerState& st, const std::string& label, Sep after, int bytes) {
  ReserveCell(st, st.out, label, after, bytes);
}

int LongestString(const CompilerState& st) {
  int longest = 0;
  for (std::size_t i = 0; i < st.sym.GlobalVars.size(); ++i) {
    const GlobalVarRecord& v = st.sym.GlobalVars[static_cast<long>(i)];
    if (v.VarType != kTypeString || v.Storage == kStorageFlash) continue;
    longest = std::max<int>(longest, v.ElementSize != 0 ? v.ElementSize - 1 : v.Size - 1);
  }
  for (std::size_t i = 0; i < st.sym.LocalVars.size(); ++i) {
    const LocalVarRecord& v = st.sym.LocalVars[static_cast<long>(i)];
    if (v.VarType == kTypeString) longest = std::max<int>(longest, v.StrLen);
  }
  return longest;
}

}  // namespace

int HandlerStringArgBytes(const CompilerState& st) {
  if (!st.Cells<HandlerCells>().AnyDeclared()) return 0;
  int bytes = 0;
  for (int i = 1; i <= st.sym.LocalVarCount && i < static_cast<int>(st.sym.LocalVars.size()); ++i) {
    const LocalVarRecord& v = st.sym.LocalVars[i];
    if (v.VarType == kTypeString && v.Storage != kStorageFlash) bytes += v.StrLen;
  }
  return bytes;
}

int HandlerScratchBytes(const CompilerState& st) {
  const int strings = st.Cells<HandlerCells>().StringScratch ? 2 * (LongestString(st) + 1) : 0;
  const int text = std::max(16, FormatTextBytes(st.Cells<NumberFormatCells>()) + 2);
  return strings + text + 16;
}

void ReserveHandlerCells(CompilerState& st) {
  HandlerCells& cells = st.Cells<HandlerCells>();
  cells.ArgAreaBytes = static_cast<std::int16_t>(HandlerStringArgBytes(st));
  // (its line is written once the calls are known: FinishHandlerArgArea)
  if (cells.ArgAreaBytes > 0) cells.ArgAreaAnchor = st.out.Anchor();
  if (cells.AnyDeclared()) ReserveCell(st, kHandlerDepth, Sep::kWide, 1);
}

void FinishHandlerArgArea(CompilerState& st) {
  HandlerCells& cells = st.Cells<HandlerCells>();
  if (cells.ArgAreaBytes <= 0) return;
  // A call made inside another call's argument list, in a procedure that calls again a
  // procedure whose copies are being made (Sub A(x, F(), y) where F calls A), holds the
  // same parameter's copy twice: the deepest chain of copies from a handler may need more
  // than the lengths together.
  int deepest = cells.ArgAreaBytes;
  for (const HandlerCells::Handler& h : cells.Defined) deepest = std::max(deepest, DeepestArgCopies(st, h.Proc));
  AsmWriter line = st.out.Blank();
  ReserveCell(st, line, kHandlerArgArea, Sep::kWide, deepest);
  st.out.InsertAtAnchor(cells.ArgAreaAnchor, line.Str());
  cells.ArgAreaBytes = static_cast<std::int16_t>(deepest);
}

void EmitHandlerResetLines(CompilerState& st) {
  if (!st.Cells<HandlerCells>().AnyDeclared()) return;
  st.out.Instr(Sep::kWide, "clr", "zl");
  st.out.Instr(Sep::kWide, "sts", std::string(kHandlerDepth) + ",zl");
}

void EmitHandlerStackArea(CompilerState& st, int bytes) {
  if (bytes != 0) EmitDataCell(st, kHandlerStack, bytes);
}

void EmitJumpIfHandlerRunning(CompilerState& st, const std::string& done) {
  st.out.Instr(Sep::kWide, "lds", std::string("r20,") + kHandlerDepth);
  st.out.Instr(Sep::kWide, "tst", "r20");
  st.out.Instr(Sep::kNarrow, "brne", done);
}

}  // namespace qbc
