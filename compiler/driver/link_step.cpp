#include "compiler/driver/link_step.h"

#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/string_pool.h"

#include "compiler/base/decl_text.h"
#include "compiler/driver/link_order.h"
#include "compiler/base/compile_error.h"

namespace qbc {

void EmitLibraryAndSummary(CompilerState& st) {
  ReportUndefinedGotoLabels(st);
  for (int i = 1; i <= st.sym.GlobalVarCount; ++i) {
    const GlobalVarRecord& v = st.sym.GlobalVars[i];
    if (v.Storage == kStorageFlash && !v.Initialized)
      CompileError(st, "Constant " + UpperText(v.Name) + " is not initialized!");
  }

  st.out.Line();
  EmitStringConstantPool(st);

  RunLinkOrder(st, LinkOrder());

  st.out.Line();
  st.out.Line(";System Global Variables:" + SignedNumberText(st.sym.SystemVarBytes) + "  bytes");
  st.out.Line(";User   Global Variables:" + SignedNumberText(st.sym.UserVarBytes) + "  bytes");

  if (st.ErrorCount == 0 && st.report != nullptr)
    st.report->SetText("Quorvil Compiler :" + SignedNumberText(st.src.SourceLineNumber - 1) +
                       " lines compiled OK\r\n");
}

}  // namespace qbc
