#include "compiler/driver/link_step.h"

#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/string_pool.h"

#include "compiler/base/decl_text.h"
#include "compiler/driver/link_order.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/line_errors.h"
#include "compiler/base/symbols.h"
#include "compiler/base/text_rows.h"
#include "compiler/frontend/handler_areas.h"
#include "compiler/frontend/handler_declarations.h"

namespace qbc {

namespace {

// The handlers' software stack, reserved once every procedure is compiled (its size
// depends on their frames); the depth cell lies right above it, and its address is
// where a handler's Y starts.
void EmitHandlerStack(CompilerState& st) {
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

}  // namespace

void EmitLibraryAndSummary(CompilerState& st) {
  ReportUndefinedGotoLabels(st);
  // A declared handler that was never defined leaves its vector jumping to no label.
  for (const HandlerDeclarationCells::Place& d : st.Cells<HandlerDeclarationCells>().Declared) {
    const int k = FindSub(st, d.Name);
    if (k != 0 && !st.sym.Procs[k - 1].Defined)
      CompileErrorAt(st, d.FileName, d.LineNumber, "Interrupt " + UpperText(d.Name) + " is declared but has no handler!");
  }
  for (int i = 1; i <= st.sym.GlobalVarCount; ++i) {
    const GlobalVarRecord& v = st.sym.GlobalVars[i];
    if (v.Storage == kStorageFlash && !v.Initialized)
      CompileError(st, "Constant " + UpperText(v.Name) + " is not initialized!");
  }

  st.out.Line();
  EmitStringConstantPool(st);

  RunLinkOrder(st, LinkOrder());
  EmitHandlerStack(st);

  st.out.Line();
  st.out.Line(";System Global Variables:" + SignedNumberText(st.sym.SystemVarBytes) + "  bytes");
  st.out.Line(";User   Global Variables:" + SignedNumberText(st.sym.UserVarBytes) + "  bytes");

  if (st.ErrorCount == 0 && st.report != nullptr)
    st.report->SetText("Quorvil Compiler :" + SignedNumberText(st.src.SourceLineNumber - 1) +
                       " lines compiled OK\r\n");
}

}  // namespace qbc
