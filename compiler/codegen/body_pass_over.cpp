#include "compiler/codegen/body_pass_over.h"

#include <optional>
#include <string_view>
#include <tuple>
#include <utility>

#include "compiler/base/decl_text.h"
#include "compiler/base/labels.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/handlers/asm_expression.h"
#include "compiler/codegen/handlers/asm_instruction.h"

namespace qbc {

namespace {

struct AsmLine {
  bool labelAlone = false;  // "name:" with no instruction after it
  bool other = false;       // a directive or data line
  std::string mnemonic;     // lower case
  std::string operands;
};

// One output line; none for an empty or comment line.
std::optional<AsmLine> ReadLine(std::string_view line) {
  line = TrimBlanks(line.substr(0, line.find(';')));
  if (line.empty()) return std::nullopt;
  AsmLine a;
  auto [word, rest] = FirstWord(line);
  if (word.back() == ':') {
    if (rest.empty()) {
      a.labelAlone = true;
      return a;
    }
    std::tie(word, rest) = FirstWord(rest);
  }
  if (word.front() == '.') {
    a.other = true;
    return a;
  }
  a.mnemonic = LowerText(std::string(word));
  a.operands = std::string(rest);
  return a;
}

bool EndsTheFlow(const std::string& m) {
  return m == "rjmp" || m == "jmp" || m == "ret" || m == "reti" || m == "ijmp" || m == "eijmp";
}

// The n of a "PC+n" operand (the last one, as the assembler works it out): the branch goes
// n words on from its own address; -1 for none, and a large number for one that cannot be
// read (a name's value is not known here).
long PcOffset(const std::string& operands) {
  const std::size_t comma = operands.rfind(',');
  const std::string_view last = comma == std::string::npos ? operands : std::string_view(operands).substr(comma + 1);
  const AsmPcOperand pc = AsmPcTarget(last, 0, nullptr, nullptr);
  if (!pc.namesPc) return -1;
  return pc.target ? static_cast<long>(*pc.target) : 1L << 20;
}

}  // namespace

bool CodeRunsOn(const std::string& text) {
  bool lastSeen = false;
  bool dataSeen = false;
  int seen = 0;
  long wordsToEnd = 0;  // from the start of the line looked at to the end of the code
  std::size_t end = text.size();
  // Lines are looked at as far back as a branch reaches: one further back cannot pass the
  // end (an rjmp or rcall by an offset from further back is not looked for).
  while (end > 0 && wordsToEnd <= kBranchReach.most) {
    const std::size_t newline = text.rfind('\n', end - 1);
    const std::size_t start = newline == std::string::npos ? 0 : newline + 1;
    const std::optional<AsmLine> line = ReadLine(std::string_view(text).substr(start, end - start));
    end = newline == std::string::npos ? 0 : newline;
    if (!line) continue;
    if (line->other) {
      // Data or a directive after the code (a flash table's values, the EEPROM's) is
      // passed over where the code runs on into it; before the last line it ends the
      // piece of code the relative branches stay within.
      if (lastSeen) return false;
      dataSeen = true;
      continue;
    }
    if (line->labelAlone) {
      if (!lastSeen && !dataSeen) return true;  // a label at the end: something jumps there
      continue;                                 // (a label above data names the data)
    }
    if (!lastSeen) {
      if (!EndsTheFlow(line->mnemonic)) return true;
      lastSeen = true;
    } else if (seen == 1 && FormOf(line->mnemonic) == InstructionForm::kSkip) {
      return true;  // it may pass over the last line
    }
    wordsToEnd += InstructionWords(line->mnemonic);
    if (PcOffset(line->operands) >= wordsToEnd) return true;
    ++seen;
  }
  return false;  // the last line ends the flow, or nothing before runs at all
}

void PassOverBody(CompilerState& st) {
  PassOverCells& pass = st.Cells<PassOverCells>();
  if (!pass.Label.empty()) return;  // right after another body: its jump passes this one too
  if (!CodeRunsOn(st.out.Str())) return;
  pass.Label = NewLabel(st);
  pass.Depth = st.nest.BlockNestingDepth;
  st.out.Instr(Sep::kNarrow, st.mn.JumpMnemonic, pass.Label);
}

void EndPassOverBefore(CompilerState& st) {
  const TokenRecord& t = st.Tok();
  if (t.Kind == kTokKeyword && (t.Text == "sub" || t.Text == "function" || t.Text == "interrupt")) return;
  if (t.Kind == kTokName && st.TokText(1) == "=") {
    const int g = FindGlobalVar(st, t.Text);
    if (g != 0 && st.sym.GlobalVars[g].Storage == kStorageFlash) return;  // a table's values
  }
  EndPassOver(st);
}

void EndPassOver(CompilerState& st) {
  PassOverCells& pass = st.Cells<PassOverCells>();
  if (pass.Label.empty() || pass.Depth != st.nest.BlockNestingDepth) return;
  EmitLabel(st, pass.Label);
  pass.Label.clear();
}

}  // namespace qbc
