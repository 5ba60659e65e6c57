#include "compiler/codegen/handlers/handler_areas.h"

#include <algorithm>

#include "compiler/base/compile_error.h"
#include "compiler/base/text_rows.h"
#include "compiler/frontend/handler_cells.h"
#include "compiler/frontend/number_format_cells.h"

namespace qbc {

namespace {

// "label:", the gap `after` names, ".byte" and the size, counted with the system cells.
void ReserveCell(CompilerState& st, const std::string& label, Sep after, int bytes) {
  st.out.InstrAfter(label + ":" + st.out.Gap(after), Sep::kNarrow, ".byte", std::to_string(bytes));
  st.sym.SystemVarBytes = static_cast<std::int16_t>(st.sym.SystemVarBytes + bytes);
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

int HandlerTextBytes(const CompilerState& st) {
  if (!st.Cells<HandlerCells>().AnyDeclared()) return 0;
  return FormatTextBytes(st.Cells<NumberFormatCells>()) + (st.sym.FloatVarDeclared ? 14 : 0);
}

int HandlerStackBytes(const CompilerState& st) {
  if (!st.Cells<HandlerCells>().AnyDeclared()) return 0;
  // What a handler can reach below its Y, bounded without a call graph: every frame of
  // every procedure and handler at once (a chain of calls without recursion never holds
  // more, and handlers nested by a user who enables interrupts in one are covered too),
  // two scratch copies of the longest string where a handler or a procedure makes
  // such copies (a string compare holds both operands below Y) and the text of a number conversion with the values pushed by an expression.
  int frames = 0;
  for (std::size_t i = 0; i < st.sym.Procs.size(); ++i) frames += st.sym.Procs[static_cast<long>(i)].FrameSize;
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
  const int strings = st.Cells<HandlerCells>().StringScratch ? 2 * (longest + 1) : 0;
  const int text = std::max(16, FormatTextBytes(st.Cells<NumberFormatCells>()) + 2);
  return frames + strings + text + 16;
}

std::string HandlerTextStart(const CompilerState& st) {
  return FormatTextBytes(st.Cells<NumberFormatCells>()) != 0 ? "_s2tmp" : "_s1tmp";
}

void ReserveHandlerCells(CompilerState& st) {
  HandlerCells& cells = st.Cells<HandlerCells>();
  cells.TextKeepBytes = static_cast<std::int16_t>(HandlerTextBytes(st));
  if (cells.TextKeepBytes > 0) ReserveCell(st, kHandlerTextKeep, Sep::kWide, cells.TextKeepBytes);
  cells.ArgAreaBytes = static_cast<std::int16_t>(HandlerStringArgBytes(st));
  if (cells.ArgAreaBytes > 0) {
    ReserveCell(st, kHandlerArgArea, Sep::kWide, cells.ArgAreaBytes);
    ReserveCell(st, kHandlerRunning, Sep::kWide, 1);
  }
}

void EmitHandlerResetLines(CompilerState& st) {
  if (!st.Cells<HandlerCells>().AnyDeclared()) return;
  st.out.Instr(Sep::kWide, "clr", "zl");
  if (st.Cells<HandlerCells>().ArgAreaBytes > 0) st.out.Instr(Sep::kWide, "sts", std::string(kHandlerRunning) + ",zl");
  st.out.Instr(Sep::kWide, "sts", std::string(kHandlerDepth) + ",zl");
}

void EmitHandlerStackArea(CompilerState& st) {
  const int bytes = HandlerStackBytes(st);
  if (bytes == 0) return;
  st.out.Line();
  st.out.Instr(".DSEG");
  st.out.InstrAfter(std::string(kHandlerStack) + ":" + st.out.Gap(Sep::kWide), Sep::kNarrow, ".byte",
                    std::to_string(bytes));
  st.out.InstrAfter(std::string(kHandlerDepth) + ":" + st.out.Gap(Sep::kWide), Sep::kNarrow, ".byte", "1");
  st.out.Instr(".CSEG");
  st.sym.SystemVarBytes = static_cast<std::int16_t>(st.sym.SystemVarBytes + bytes + 1);
  // The area must fit between the variables and the hardware stack, else the handlers'
  // frames would lie on the main program's stack or beyond RAMEND.
  const long stack = textrows::StackSizeValue(st);
  const long ram = static_cast<long>(st.dev.RamEnd) - st.dev.RamStart + 1;
  if (st.dev.RamEnd > 0 && st.sym.SystemVarBytes + st.sym.UserVarBytes + (stack > 0 ? stack : 0) > ram)
    CompileError(st, "Not enough SRAM for the interrupt handlers' stack (" + std::to_string(bytes) + " bytes)!");
}

void EmitJumpIfHandlerRunning(CompilerState& st, const std::string& done) {
  st.out.Instr(Sep::kWide, "lds", std::string("r20,") + kHandlerRunning);
  st.out.Instr(Sep::kNarrow, "sbrc", "r20,0");
  st.out.Instr(Sep::kNarrow, "rjmp", done);
}

}  // namespace qbc
