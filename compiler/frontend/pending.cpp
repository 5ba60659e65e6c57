// Placeholders for entry points that are not built yet. Each reports the statement as not
// supported (a program that uses it must not compile "OK" without it) and passes over the
// rest of the statement, so the statement loop moves on. Delete a placeholder when its
// function is built.
#include "compiler/frontend/compile_error.h"
#include "compiler/frontend/decl_text.h"
#include "compiler/frontend/seams.h"

namespace qbc {

namespace {
void PassOverStatement(CompilerState& st) {
  while (st.Tok().Text != "<EOL>" && st.Tok().Text != ":") ++st.src.TokenIndex;
}
}  // namespace

void Compile1WireStatement(CompilerState& st) {
  CompileError(st, "Not supported yet: " + UpperText(st.TokText()));
  PassOverStatement(st);
}

}  // namespace qbc
