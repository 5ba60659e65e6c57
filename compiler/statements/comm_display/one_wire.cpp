// Placeholder until the 1-Wire words are built: each reports the statement as not
// supported (a program that uses it must not compile "OK" without it) and passes over the
// rest of the statement, so the statement loop moves on.
#include "compiler/statements/comm_display/one_wire.h"

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"

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
