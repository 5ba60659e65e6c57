#include "compiler/statements/comm_display/glcd_init.h"

#include "compiler/codegen/emit_lines.h"
#include "compiler/statements/peripherals/glcd_cells.h"

namespace qbc {

void CompileGlcdInitStatement(CompilerState& st) {
  static const char* const kInitRoutines[] = {"", "_Tini", "_HDini", "_S0ini", "_NkIni"};
  const std::uint8_t type = st.Cells<GlcdCells>().GlcdType;
  if (type < 1 || type > 4) return;
  EmitCall(st, kInitRoutines[type]);
}

}  // namespace qbc
