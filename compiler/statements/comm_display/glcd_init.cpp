#include "compiler/statements/comm_display/glcd_init.h"

#include "compiler/codegen/emit_lines.h"
#include "compiler/statements/comm_display/glcd_args.h"

namespace qbc {

void CompileGlcdInitStatement(CompilerState& st) {
  static const char* const kInitRoutines[] = {"", "_Tini", "_HDini", "_S0ini", "_NkIni"};
  if (!GlcdServes(st, kAllGlcds, "")) return;
  EmitCall(st, kInitRoutines[GlcdController(st)]);
}

}  // namespace qbc
