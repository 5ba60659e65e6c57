#include "compiler/statements/program/simple_statements.h"

#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/open_blocks.h"
#include "compiler/base/decl_text.h"
#include "compiler/frontend/dim_parser.h"
#include "compiler/frontend/proc_declarations.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/source_names.h"
#include "compiler/base/labels.h"

namespace qbc {

void CompileExitStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  HoldOnLine(st);
  const std::string word = st.TokText();
  const Nesting& n = st.nest;
  // The depth of the block being left: 0 when the Exit stands outside every such block,
  // where there is no end to jump to.
  int depth = -1;
  std::string label;
  if (word == "do") {
    depth = n.DoNestingDepth;
    label = st.exits.DoExitLabels[n.DoNestingDepth];
  } else if (word == "while") {
    depth = n.WhileNestingDepth;
    label = st.exits.WhileExitLabels[n.WhileNestingDepth];
  } else if (word == "sub") {
    depth = n.SubNestingDepth;
    label = st.exits.SubExitLabels[n.SubNestingDepth];
  } else if (word == "function") {
    depth = n.FunctionNestingDepth;
    label = st.exits.FunctionExitLabels[n.FunctionNestingDepth];
  } else if (word == "for") {
    depth = n.ForNestingDepth;
    label = st.exits.ForExitLabels[n.ForNestingDepth];
  }
  if (depth < 0) {
    CompileError(st, "You can not Exit from " + SourceName(word) + "!");
  } else if (depth == 0 || label.empty()) {
    const std::string block = UpperText(word);
    const bool loop = word == "do" || word == "while" || word == "for";
    CompileError(st, "EXIT " + block + " outside " + (loop ? "a " + block + " loop!" : "a " + block + "!"));
  } else {
    // For loops open inside the block being left keep saved end values on the hardware
    // stack: take them off on the way out.
    EmitExitUnwind(st, word);
    st.out.Instr(Sep::kNarrow, "rjmp", label);
    ++st.src.TokenIndex;
  }
  HoldOnLine(st);
}

void CompileEndStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  // "End If", "End Sub", ... where it closes no block: the blocks return to their owner at
  // their own closing words, so these words reach the End statement only where another
  // block is the innermost one, or none is open.
  const std::string& closed = st.TokText();
  if (closed == "if" || closed == "select" || closed == "sub" || closed == "function" || closed == "interrupt") {
    const std::string closing = "END " + UpperText(closed);
    const std::string_view open = InnermostOpenBlock(st);
    ReportInPlace(st, open.empty() ? closing + " without its opening statement!"
                                   : closing + " does not close " + std::string(open) + "!");
    ++st.src.TokenIndex;
    return;
  }
  const std::string label = NewLabel(st);
  EmitLabel(st, label);
  // "jmp" exists only on devices with more than 8 KB of flash (the ATmega8 is a mega
  // without it); the device loader's jump mnemonic says which.
  st.out.Instr(Sep::kNarrow, st.mn.JumpMnemonic, label);
  st.out.Line();
}

void CompileDimStatement(CompilerState& st) { ParseDimList(st); }

void CompileDeclareStatement(CompilerState& st) {
  const std::string kind = st.Tok(1).Text;
  // A declaration names its procedure as the owner of the parameters it enters; the code
  // around it goes on in the procedure (or main program) it was in.
  const std::string ownerName = st.sym.CurrentSubName;
  const std::uint8_t ownerIndex = st.sym.CurrentSubIndex;
  if (kind == "sub" || kind == "function") {
    if (kind == "sub")
      ParseDeclareSub(st);
    else
      ParseDeclareFunction(st);
    st.sym.CurrentSubName = ownerName;
    st.sym.CurrentSubIndex = ownerIndex;
  } else if (kind == "interrupt") {
    CompileError(st, "Must be declared before any regular statement!");
    st.Tok().Text = "<EOL>";
    st.Tok().Kind = kTokEol;
  } else {
    CompileError(st, "Sub, Function or Interrupt!");
  }
}

}  // namespace qbc
