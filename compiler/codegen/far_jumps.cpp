#include "compiler/codegen/far_jumps.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/line_errors.h"
#include "compiler/codegen/handlers/asm_expression.h"
#include "compiler/codegen/handlers/asm_instruction.h"

namespace qbc {

namespace {

bool Within(long k, RelativeReach r) { return k >= r.least && k <= r.most; }

// Each branch and the one taken when it is not (brlo and brsh are brcs and brcc).
constexpr std::pair<std::string_view, std::string_view> kOpposites[] = {
    {"breq", "brne"}, {"brcs", "brcc"}, {"brlo", "brsh"}, {"brmi", "brpl"}, {"brge", "brlt"},
    {"brhs", "brhc"}, {"brts", "brtc"}, {"brvs", "brvc"}, {"brie", "brid"}, {"brbs", "brbc"}};

std::string_view Opposite(const std::string& branch) {
  for (const auto& [a, b] : kOpposites) {
    if (branch == a) return b;
    if (branch == b) return a;
  }
  return {};
}

enum class Kind { kJump, kCall, kBranch };

struct Jump {
  const AsmView::RelativeJump* line = nullptr;
  Kind kind = Kind::kJump;
  std::string_view target;        // the operand that says where it goes, as written
  bool fromPc = false;            // "PC", "PC+k", "PC-k"
  AsmView::Place to;              // where it goes (as the text was placed)
  std::optional<std::size_t> at;  // the mnemonic's place in the output; none for a line
                                  // of an included file or a macro (it is not rewritten)
  int added = 0;                  // the words its long form adds (0: as written)
};

RelativeReach ReachOf(Kind kind) { return kind == Kind::kBranch ? kBranchReach : kJumpReach; }

std::string PcText(long k) {
  if (k == 0) return "PC";
  const unsigned long size = static_cast<unsigned long>(k < 0 ? -k : k);
  return std::string(k < 0 ? "PC-" : "PC+") + (size <= 0xff ? Hex2(static_cast<unsigned>(size), HexForm::Prefixed0xLower)
                                                             : std::to_string(size));
}

// The lines to look at: those whose target is a label of the code or an offset from the
// program counter.
std::vector<Jump> ReadJumps(const AsmView& layout) {
  std::vector<Jump> jumps;
  std::string name;
  for (const AsmView::RelativeJump& r : layout.RelativeJumps()) {
    Jump j;
    j.line = &r;
    name.assign(r.mnemonic);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    j.kind = name == "rjmp" ? Kind::kJump : name == "rcall" ? Kind::kCall : Kind::kBranch;
    if (j.kind == Kind::kBranch && Opposite(name).empty()) continue;  // not a branch avra knows
    // (brbs and brbc name the flag first)
    const std::size_t comma = r.operands.rfind(',');
    j.target = TrimBlanks(comma == std::string_view::npos ? r.operands : r.operands.substr(comma + 1));
    if (j.target.empty()) continue;
    if (const AsmPcOperand pc = layout.PcTarget(j.target, r.place.address, r.pos); pc.namesPc) {
      if (!pc.target || *pc.target < 0) continue;
      j.fromPc = true;
      j.to = {static_cast<std::uint32_t>(*pc.target), r.place.block};
    } else {
      if (!std::all_of(j.target.begin(), j.target.end(), AsmNameChar) ||
          std::isdigit(static_cast<unsigned char>(j.target[0])) != 0)
        continue;
      name.assign(j.target);
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      const auto place = layout.LabelPlace(name);
      if (!place) continue;
      j.to = *place;
    }
    j.at = layout.OutputOffset(r.mnemonic);
    jumps.push_back(j);
  }
  return jumps;
}

// The words the longer lines add before each place: the jumps lie in the order of their
// places (block, then address), as the text placed them.
class Added {
 public:
  explicit Added(const std::vector<Jump>& jumps) : jumps_(jumps) {}

  void Count() {
    before_.assign(jumps_.size() + 1, 0);
    any_ = false;
    for (std::size_t i = 0; i < jumps_.size(); ++i) {
      before_[i + 1] = before_[i] + jumps_[i].added;
      any_ = any_ || jumps_[i].added != 0;
    }
  }

  // The place's address once the longer lines before it (in its block) are written.
  long Address(const AsmView::Place& p) const {
    const long address = static_cast<long>(p.address);
    if (!any_) return address;
    auto index = [&](std::uint32_t block, std::uint32_t addr) {
      return static_cast<std::size_t>(
          std::lower_bound(jumps_.begin(), jumps_.end(), std::make_pair(block, addr),
                           [](const Jump& j, const std::pair<std::uint32_t, std::uint32_t>& k) {
                             return std::make_pair(j.line->place.block, j.line->place.address) < k;
                           }) -
          jumps_.begin());
    };
    return address + before_[index(p.block, p.address)] - before_[index(p.block, 0)];
  }

 private:
  const std::vector<Jump>& jumps_;
  std::vector<long> before_;
  bool any_ = false;
};

class Refusals {
 public:
  explicit Refusals(CompilerState& st) : st_(st) {}
  // One error for a source line, however many of its jumps do not reach.
  void At(std::size_t position, const std::string& message) {
    const auto place = st_.out.SourceAt(position);
    if (!place) {
      if (reported_.insert({std::string(), 0}).second) ReportInPlace(st_, message);
      return;
    }
    if (reported_.insert({std::string(place->fileName), place->lineNumber}).second)
      CompileErrorAt(st_, std::string(place->fileName), place->lineNumber, message);
  }

 private:
  CompilerState& st_;
  std::set<std::pair<std::string, std::int32_t>> reported_;
};

}  // namespace

void ReachFarTargets(CompilerState& st, const AsmView& layout) {
  // A program with errors is not assembled; a text the placing cannot follow is left as
  // it is (the assembler has the last word).
  if (st.ErrorCount != 0 || !layout.Understood() || !layout.SizesKnown()) return;
  std::vector<Jump> jumps = ReadJumps(layout);
  const bool longForms = st.mn.JumpMnemonic != "rjmp";

  // Lengthen what does not reach until all that is left reaches (lines only grow).
  Added added(jumps);
  for (bool again = true; again;) {
    again = false;
    added.Count();
    for (Jump& j : jumps) {
      if (j.fromPc || j.added != 0 || !j.at) continue;
      const long k = added.Address(j.to) - added.Address(j.line->place) - 1;
      if (Within(k, ReachOf(j.kind))) continue;
      if (j.kind == Kind::kBranch) {
        if (j.line->afterSkip) continue;  // the skip would pass over half of it: refused below
        j.added = longForms ? 2 : 1;
      } else if (longForms) {
        j.added = 1;
      } else {
        continue;  // (it reaches every word round the end of the flash: avra writes it so)
      }
      again = true;
    }
  }

  const std::string& text = st.out.Str();
  std::vector<AsmWriter::Piece> pieces;
  Refusals refuse(st);
  auto noReach = [](long k) { return "Jump out of reach (" + std::to_string(k) + " words)!"; };

  for (const Jump& j : jumps) {
    if (!j.at) continue;
    const long from = added.Address(j.line->place);
    const long to = added.Address(j.to);
    const std::size_t targetAt = *j.at + static_cast<std::size_t>(j.target.data() - j.line->mnemonic.data());
    if (j.fromPc) {
      const long k = to - from;
      if (k == static_cast<long>(j.to.address) - static_cast<long>(j.line->place.address)) continue;  // none between
      if (!Within(k - 1, ReachOf(j.kind))) {
        refuse.At(*j.at, noReach(k - 1));
        continue;
      }
      pieces.push_back({targetAt, j.target.size(), PcText(k)});
      continue;
    }
    if (j.added == 0) {
      // (an rjmp or rcall on a chip without the long forms reaches round the end of its
      // flash: avra writes it so; one larger than its flash is refused for its size)
      if (j.kind == Kind::kBranch && !Within(to - from - 1, kBranchReach)) refuse.At(*j.at, noReach(to - from - 1));
      continue;
    }
    if (j.kind != Kind::kBranch) {
      const std::string& mnemonic = j.kind == Kind::kJump ? st.mn.JumpMnemonic : st.mn.CallMnemonic;
      pieces.push_back({*j.at, j.line->mnemonic.size(), mnemonic});
      continue;
    }
    // The opposite branch over the jump: "brne PC+0x03" and "jmp L0003" on its own line.
    std::string branch(j.line->mnemonic);
    for (char& c : branch) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t afterMnemonic = *j.at + j.line->mnemonic.size();
    std::string lines(Opposite(branch));
    lines += text.substr(afterMnemonic, targetAt - afterMnemonic);  // the gap (and a flag)
    lines += PcText(1 + j.added);
    lines += "\r\n";
    lines += st.out.MnemonicIndent;
    lines += st.mn.JumpMnemonic;
    lines += st.out.OperandSeparator;
    lines += j.target;
    pieces.push_back({*j.at, targetAt + j.target.size() - *j.at, lines});
  }
  if (st.ErrorCount != 0) return;
  std::sort(pieces.begin(), pieces.end(),
            [](const AsmWriter::Piece& a, const AsmWriter::Piece& b) { return a.position < b.position; });
  st.out.Replace(pieces);
}

}  // namespace qbc
