// Placeholders for entry points that are not built yet. Each passes over the rest of the
// statement (so the statement loop moves on) and writes nothing. Delete a placeholder when
// its function is built.
#include "compiler/frontend/seams.h"

namespace qbc {

namespace {
void PassOverStatement(CompilerState& st) {
  while (st.Tok().Text != "<EOL>" && st.Tok().Text != ":") ++st.src.TokenIndex;
}
}  // namespace

void Compile1WireStatement(CompilerState& st) { PassOverStatement(st); }

}  // namespace qbc
