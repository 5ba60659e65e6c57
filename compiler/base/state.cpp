#include "compiler/base/state.h"

namespace qbc {

void CompilerState::ResetCompilerGlobals() {
  // The source position keeps the cells the driver and the reader set themselves; the
  // token table is emptied like every other table.
  src = SourcePosition{};
  sym = Symbols{};
  dev = DeviceProfile{};
  cfg = Configuration{};
  expr = ExpressionCells{};
  nest = Nesting{};
  used.Reset();
  files = SourceFileTable{};
  areas.Clear();
  mn = DeviceMnemonics{};
  sticky = StickyCells{};
  exits = ExitLabels{};
}

}  // namespace qbc
