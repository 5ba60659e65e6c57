#include "compiler/statements/peripherals/sound_statement.h"

#include "compiler/base/flags/delay_flags.h"
#include "compiler/base/flags/hardware_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/peripherals/sound_cells.h"

namespace qbc {

void CompileSoundStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  // The half period waits on the stack while the group count is compiled: a count wider
  // than a byte, or any expression, may use zh on its way.
  kit::LoadValue(st, kTypeByte);
  st.out.Instr(Sep::kNarrow, "push", "zl");
  kit::ExpectComma(st);
  kit::LoadValue(st, kTypeByte);
  st.out.Instr(Sep::kWide, "pop", "zh");
  if (st.Cells<SoundCells>().SoundPinDeclared)
    EmitCall(st, "_Sound");
  else
    ReportInPlace(st, "Sound pin not declared!");
  st.used.Set(NeedSound);
  st.used.Set(NeedWaitUs);
}

}  // namespace qbc
