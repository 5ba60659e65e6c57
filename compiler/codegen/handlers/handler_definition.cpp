#include "compiler/codegen/handlers/handler_definition.h"

#include <string>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/labels.h"
#include "compiler/base/source_names.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/body_pass_over.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/handlers/save_sets.h"
#include "compiler/codegen/open_blocks.h"
#include "compiler/codegen/procedures.h"
#include "compiler/frontend/handler_cells.h"
#include "compiler/frontend/interrupt_vectors.h"
#include "compiler/frontend/proc_declarations.h"
#include "compiler/frontend/source_reader.h"

namespace qbc {

namespace {

// The save level after "," "save"; 0 without a save clause.
int ParseSaveLevel(CompilerState& st) {
  if (st.TokText() != ",") return 0;
  ++st.src.TokenIndex;
  ExpectToken(st, "save");
  const std::string operand = st.TokText();
  int level = 0;
  if (operand.size() == 1 && operand[0] >= '0' && operand[0] <= '4') {
    level = operand[0] - '0';
  } else if (operand == "all") {
    level = kSaveAll;
  } else {
    // Reported in place: the step below passes the operand once (a second step would
    // leave the line).
    ReportInPlace(st, "Ilegal save operand!");
  }
  ++st.src.TokenIndex;
  return level;
}

}  // namespace

void CompileInterruptDefinition(CompilerState& st) {
  st.sticky.OperandType = 0;
  ++st.src.TokenIndex;
  const std::string name = st.TokText();
  if (name == "adcc") st.expr.AdccInterruptUsed = true;

  const int vector = FindInterruptVector(st, name);
  if (vector == 0) {
    CompileError(st, "Unsupported Interrupt type!");
    st.Tok().Text = "<EOL>";
    st.Tok().Kind = kTokEol;
    return;
  }
  st.sym.CurrentSubName = name;
  const int k = FindSub(st, name);
  if (k == 0) {
    CompileError(st, "Sub " + UpperText(SourceName(name)) + " not declared!");
    SkipToStatementEnd(st);
    CheckStatementEnd(st);
    return;
  }
  PassOverBody(st);
  const bool first = EnterDefinition(st, "Interrupt", name, k);
  const OpenBlock open(st, "INTERRUPT");

  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  ExpectToken(st, ")");
  const int level = ParseSaveLevel(st);
  const BodyFrame frame = DeclareBodyFrame(st);

  // The entry and exit are written once the whole program is compiled (handler_finish.h).
  // A second definition of the same handler (reported) gets neither, nor the label.
  HandlerCells::Handler h;
  h.Label = "IntN" + Dec(vector);
  h.Level = level;
  h.Proc = k - 1;
  h.LocalBytes = frame.localBytes;
  if (first) EmitLabel(st, h.Label);
  h.EntryAnchor = st.out.Anchor();
  EmitBodyFrameEntry(st, frame);
  st.Cells<HandlerCells>().InBody = true;
  if (!(st.TokText() == "end" && st.TokText(1) == "interrupt")) st.entries.compileBlock(st);
  st.Cells<HandlerCells>().InBody = false;
  h.ExitAnchor = st.out.Anchor();
  st.out.Instr("reti");
  if (first) st.Cells<HandlerCells>().Defined.push_back(h);

  ExpectToken(st, "end");
  ExpectToken(st, "interrupt");
  HoldOnLine(st);
  SkipToStatementEnd(st);
  CheckStatementEnd(st);
}

}  // namespace qbc
