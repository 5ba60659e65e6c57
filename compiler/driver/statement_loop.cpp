#include "compiler/driver/statement_loop.h"

#include <string>

#include "compiler/base/source_names.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/line_errors.h"
#include "compiler/codegen/assignment.h"
#include "compiler/codegen/body_pass_over.h"
#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/proc_calls.h"
#include "compiler/driver/code_meta_statements.h"
#include "compiler/driver/keyword_dispatch.h"
#include "compiler/statements/comm_display/one_wire.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/base/symbols.h"

namespace qbc {

bool IsBlockStopWord(std::string_view token) {
  return token == "wend" || token == "else" || token == "elseif" || token == "next" || token == "case" ||
         token == "loop" || token == ")";
}

bool IsBlockStop(const TokenRecord& token) { return token.Kind == kTokEndOfSource || IsBlockStopWord(token.Text); }

namespace {

// "end" closes the caller's block when the word after it occurs within this text.
bool EndsBlock(const std::string& wordAfterEnd) {
  return std::string_view("if select sub interrupt function").find(wordAfterEnd) != std::string_view::npos;
}

// The blocks a program may open one inside the other; the program itself is one more.
constexpr std::uint16_t kMostOpenBlocks = 254;

// One more open block for the time the loop runs. One too many is reported at the line of
// the statement that opens it, and ends the compilation.
class OpenBlock {
 public:
  explicit OpenBlock(CompilerState& st) : depth_(st.nest.BlockNestingDepth) {
    // depth_ counts the program's own block too
    if (depth_ > kMostOpenBlocks) {
      CompileErrorAt(st, st.src.IncludeStack[st.nest.StatementIncludeLevel].FileName, st.nest.StatementLine,
                     "Too many nested blocks (" + std::to_string(kMostOpenBlocks) + ")!");
      throw CompilationStopped{};
    }
    ++depth_;
  }
  ~OpenBlock() { --depth_; }
  OpenBlock(const OpenBlock&) = delete;
  OpenBlock& operator=(const OpenBlock&) = delete;

 private:
  std::uint16_t& depth_;
};

void CompileStatements(CompilerState& st) {
  st.sticky.OperandType = 0;
  for (;;) {
    if (IsBlockStop(st.Tok())) return;
    EndPassOverBefore(st);
    st.expr.StatementContext = false;
    st.expr.ArgStackOffset = 0;
    st.nest.StatementIncludeLevel = st.src.IncludeLevel;
    st.nest.StatementLine = st.src.SourceLineNumber;

    const TokenRecord& tok = st.Tok();
    switch (tok.Kind) {
      case kTokCallName: {
        const std::string name = tok.Text;
        if (FindGlobalVar(st, name) != 0) {
          DispatchKeyword(st);  // its default branch: assignment to an array element
        } else if (FindSub(st, name) != 0) {
          CompileSubCall(st, name);
        } else {
          CompileError(st, UnknownIdentifier(name));
          st.Tok().Text = "<EOL>";  // pass over the rest of the line
        }
        break;
      }
      case kTokKeyword:
        DispatchKeyword(st);
        break;
      case kTokName:
        if (IsWord(st.Tok(1), ":")) {
          CompileLabelDefinition(st);
        } else {
          st.expr.StatementContext = true;
          CompileAssignment(st);
        }
        break;
      case kTokDollar:
        CompileMetaStatement(st);
        break;
      case kTokNumber:
        if (tok.Text.size() >= 2 && tok.Text[1] == 'w') {  // 1wreset, 1wwrite, 1wread
          Compile1WireStatement(st, kTypeNone);
        } else {
          EmitLoadConstant(st, tok.Text, kTypeNone);
          ++st.src.TokenIndex;
        }
        break;
      default:
        CompileError(st, "Syntax error!");
        return;
    }

    if (st.TokText() == "<EOL>" && st.sticky.SingleLineIf) return;
    if (st.TokText() == "<EOL>") CheckStatementEnd(st);
    if (IsWord(st.Tok(), ":")) ++st.src.TokenIndex;
    if (st.TokText() == "end" && EndsBlock(st.TokText(1))) return;

    st.expr.FirstStringTerm = true;
    st.sticky.OperandType = 0;
    st.expr.StringVarFlag = false;
    st.expr.OperandInFlash = false;
    st.expr.CurrentVarType = 0;
    st.expr.MemCopyMode = false;
  }
}

}  // namespace

void CompileStatementBlock(CompilerState& st) {
  const OpenBlock block(st);
  CompileStatements(st);
  EndPassOver(st);
}

void ReportUnopenedBlockEnd(CompilerState& st) {
  const std::string word = st.TokText();
  std::string closing;
  if (word == "end" && st.TokText(1) != "<EOL>" && EndsBlock(st.TokText(1))) {
    closing = "END " + UpperText(st.TokText(1));
  } else if (st.Tok().Kind != kTokEndOfSource && IsBlockStopWord(word)) {
    closing = UpperText(word);
  }
  if (closing.empty()) return;
  CompileError(st, closing + " without its opening statement!");
}

}  // namespace qbc
