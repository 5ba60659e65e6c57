// On selector Goto label, label, ... and On selector Sub1(), Sub2(), ...: an indexed jump
// through a table of jumps (or of calls each followed by a jump past the table) written
// right behind it. A selector at or past the number of entries jumps past the table.
#include "compiler/base/compile_error.h"
#include "compiler/base/source_names.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/labels.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/binary_operators.h"
#include "compiler/codegen/compare_negate.h"
#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/goto_targets.h"
#include "compiler/codegen/io_access.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/proc_calls.h"

namespace qbc {

namespace {

// Entries of the list that starts at TokenIndex: one more than the "," outside
// parentheses before the statement's end.
unsigned CountEntries(CompilerState& st) {
  unsigned n = 1;
  int depth = 0;
  for (int i = st.src.TokenIndex; i < st.src.TokenCount; ++i) {
    const TokenRecord& t = st.src.Tokens[i];
    if (t.Text == "<EOL>" || (IsWord(t, ":") && depth == 0)) break;
    if (IsWord(t, "(")) ++depth;
    else if (IsWord(t, ")")) --depth;
    else if (IsWord(t, ",") && depth == 0) ++n;
  }
  return n;
}

// Z (the entry's offset) += the table's address, and the jump there. With a 22-bit
// program counter ijmp would stay in the first 64K words: the address's third byte, with
// the carry of the sum, goes to EIND for eijmp (a handler that jumps so gives the
// interrupted code its EIND back).
void JumpIntoTable(CompilerState& st, const std::string& table) {
  st.out.Instr(Sep::kWide, "ldi", "r24,byte1(" + table + ")");
  st.out.Instr(Sep::kWide, "ldi", "r25,byte2(" + table + ")");
  st.out.Instr(Sep::kWide, "add", "zl,r24");
  st.out.Instr(Sep::kWide, "adc", "zh,r25");
  if (!st.dev.WideProgramCounter) {
    st.out.Instr("ijmp");
    return;
  }
  st.out.Instr(Sep::kWide, "ldi", "r24,byte3(" + table + ")");
  st.out.Instr(Sep::kWide, "ldi", "r25,0x00");
  st.out.Instr(Sep::kWide, "adc", "r24,r25");
  st.out.Instr(Sep::kWide, WriteMnemonic(RegisterReach(st, "EIND", Reach::kInOut)), "EIND,r24");
  st.out.Instr("eijmp");
}

}  // namespace

void CompileOnStatement(CompilerState& st) {
  const std::string table = NewLabel(st);
  const std::string end = NewLabel(st);
  ++st.src.TokenIndex;
  // the entry's number, compared in 16 bits
  const bool byteSelector = ParseSum(st, kTypeWord) == kTypeByte;
  const bool jumpForm = st.TokText() == "goto";
  const unsigned entries = CountEntries(st) ;
  const unsigned callWords = st.mn.CallMnemonic == "call" ? 2 : 1;
  const unsigned jumpWords = st.mn.JumpMnemonic == "jmp" ? 2 : 1;
  const unsigned entryWords = jumpForm ? jumpWords : callWords + jumpWords;

  if (byteSelector) st.out.Instr(Sep::kWide, "clr", "zh");
  // Past the table when the selector (unsigned) is not below the entry count.
  st.out.Instr(Sep::kWide, "ldi", "r24," + Hex2((entries >> 8) & 0xFF, HexForm::Prefixed0xLower));
  st.out.Instr(Sep::kWide, "cpi", "zl," + Hex2(entries & 0xFF, HexForm::Prefixed0xLower));
  st.out.Instr(Sep::kWide, "cpc", "zh,r24");
  st.out.Instr(Sep::kNarrow, "brlo", "PC+0x02");
  st.out.Instr(Sep::kNarrow, "rjmp", end);
  for (unsigned w = entryWords; w > 1; w /= 2) {
    st.out.Instr(Sep::kWide, "lsl", "zl");
    st.out.Instr(Sep::kWide, "rol", "zh");
  }
  JumpIntoTable(st, table);

  if (jumpForm) {
    ++st.src.TokenIndex;
    EmitLabel(st, table);
    std::vector<GotoStub> stubs;
    for (;;) {
      const std::string label = st.TokText();
      if (st.Tok().Kind != kTokName) {
        // an entry with no label would be a jump with no target
        ReportInPlace(st, "Missing label after GOTO!");
        break;
      }
      if (FindSub(st, label) != 0) {
        ReportInPlace(st, SourceName(label) + " is SUB instead of LABEL!");
      }
      NoteGotoTarget(st, label);
      st.out.Instr(Sep::kNarrow, st.mn.JumpMnemonic, JumpTargetLeavingLoops(st, label, stubs));
      ++st.src.TokenIndex;
      if (st.TokText() != ",") break;
      ++st.src.TokenIndex;
    }
    // Nothing falls out of the table (its last entry is a jump): the stubs of labels that
    // leave For loops stand here.
    EmitGotoStubs(st, stubs);
    EmitLabel(st, end);
    return;
  }

  EmitLabel(st, table);
  for (;;) {
    const std::string name = st.TokText();
    if (st.TokText(2) != ")") {
      ReportInPlace(st, SourceName(name) + " must be without parameters!");
    }
    CompileSubCall(st, name);
    if (st.TokText() != ",") break;
    ++st.src.TokenIndex;
    st.out.Instr(Sep::kNarrow, st.mn.JumpMnemonic, end);
  }
  EmitLabel(st, end);
}

}  // namespace qbc
