#include "compiler/driver/link_step.h"

#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/far_jumps.h"
#include "compiler/codegen/proc_calls.h"
#include "compiler/codegen/string_pool.h"

#include "compiler/base/decl_text.h"
#include "compiler/driver/link_order.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/source_names.h"
#include "compiler/base/line_errors.h"
#include "compiler/base/names.h"
#include "compiler/base/symbols.h"
#include "compiler/base/text_rows.h"
#include "compiler/codegen/handlers/handler_areas.h"
#include "compiler/codegen/handlers/handler_finish.h"
#include "compiler/driver/memory_check.h"
#include "compiler/frontend/handler_cells.h"

namespace qbc {

void EmitLibraryAndSummary(CompilerState& st) {
  ReportUndefinedGotoLabels(st);
  // A declared handler that was never defined leaves its vector jumping to no label.
  for (const HandlerCells::Place& d : st.Cells<HandlerCells>().Declared) {
    const int k = FindSub(st, d.Name);
    if (k != 0 && !st.sym.Procs[k - 1].Defined)
      CompileErrorAt(st, d.FileName, d.LineNumber, "Interrupt " + UpperText(SourceName(d.Name)) + " is declared but has no handler!");
  }
  // A Sub or Function that is called but has no body: its calls would jump to a label
  // that does not exist.
  for (int i = 0; i < st.sym.SubCount; ++i) {
    const ProcRecord& p = st.sym.Procs[i];
    const DeclaredName* d = FindName(st, p.Name);
    if (!p.Used || p.Defined || d == nullptr || d->Kind == NameKind::kInterrupt) continue;
    CompileErrorAt(st, d->FileName, d->LineNumber,
                   std::string(NameKindWord(d->Kind)) + " " + UpperText(SourceName(p.Name)) + " is declared but never defined!");
  }
  for (int i = 1; i <= st.sym.GlobalVarCount; ++i) {
    const GlobalVarRecord& v = st.sym.GlobalVars[i];
    if (v.Storage == kStorageFlash && !v.Initialized)
      CompileError(st, "Constant " + UpperText(SourceName(v.Name)) + " is not initialized!");
  }

  EmitProcArgAreaLoads(st);
  FinishHandlerArgArea(st);
  st.out.Line();
  EmitStringConstantPool(st);

  RunLinkOrder(st, LinkOrder());
  {
    // The finished program read once as avra reads it: how deep each routine takes the
    // hardware stack, what each handler's code does, where the data end and where the
    // labels and relative jumps lie.
    const CodeMap code = ProgramCodeMap(st);
    const bool handlers = ProgramHasHandlers(st);
    const HandlerMemory memory = handlers ? FinishHandlers(st, code) : HandlerMemory{};
    CheckProgramMemory(st, code, memory);
    if (handlers) {
      // (the handlers' entries and exits moved the code after them)
      const AsmView layout(st.out.Str(), OutputFiles(st), AsmView::Keep::kLayout);
      ReachFarTargets(st, layout);
    } else {
      ReachFarTargets(st, code.View());
    }
  }
  ReportNamesTheCompilerWrites(st);

  st.out.Line();
  st.out.Line(";System Global Variables:" + SignedNumberText(st.sym.SystemVarBytes) + "  bytes");
  st.out.Line(";User   Global Variables:" + SignedNumberText(st.sym.UserVarBytes) + "  bytes");
}

void ReportCompiledOk(CompilerState& st) {
  if (st.ErrorCount == 0 && st.report != nullptr)
    st.report->SetText("Quorvil Compiler :" + SignedNumberText(st.src.SourceLineNumber - 1) +
                       " lines compiled OK\r\n" + MemoryCheckNotes(st));
}

}  // namespace qbc
