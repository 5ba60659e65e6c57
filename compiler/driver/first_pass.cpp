#include "compiler/driver/first_pass.h"

#include "compiler/base/source_names.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/driver/meta_statement.h"
#include "compiler/frontend/const_statement.h"
#include "compiler/frontend/dim_parser.h"
#include "compiler/frontend/proc_declarations.h"
#include "compiler/frontend/source_reader.h"

namespace qbc {

void ScanDeclarations(CompilerState& st) {
  st.cfg.ListSourceInAsm = true;
  for (;;) {
    HoldOnLine(st);
    const std::string t = st.TokText();
    if (t.empty()) return;
    if (t == "<EOL>") {
      CheckStatementEnd(st);
    } else if (IsWord(st.Tok(), ":")) {
      ++st.src.TokenIndex;
    } else if (t == "$") {
      const std::string word = st.Tok(1).Text;
      if (word == "asm" || word == "include") {
        st.src.DeclarationsEnded = true;
        return;
      }
      ParseMetaStatement(st);
    } else if (t == "dim") {
      ParseDimList(st);
    } else if (t == "declare") {
      const std::string kind = st.Tok(1).Text;
      if (kind == "sub") {
        ParseDeclareSub(st);
      } else if (kind == "function") {
        ParseDeclareFunction(st);
      } else if (kind == "interrupt") {
        ParseDeclareInterrupt(st);
      } else {
        CompileError(st, "Sub, Function or Interrupt!");
        st.Tok().Text = "<EOL>";
        st.Tok().Kind = kTokEol;
      }
    } else if (t == "const") {
      CompileConstStatement(st);
    } else {
      st.src.DeclarationsEnded = true;
      break;
    }
  }

  // The checks report against the first statement's line but must not move the statement
  // loop's starting point.
  if (st.dev.DeviceName.empty()) ReportInPlace(st, "No Device specified!");
  if (st.cfg.CrystalFrequency == 0.0f && !st.cfg.ClockRefused) ReportInPlace(st, "No Clock specified!");
  if (st.cfg.StackSize.empty()) ReportInPlace(st, "No Stack specified!");
  st.sym.CurrentSubName.clear();
}

}  // namespace qbc
