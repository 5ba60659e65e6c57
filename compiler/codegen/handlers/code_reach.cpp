#include "compiler/codegen/handlers/code_reach.h"

#include <algorithm>
#include <deque>
#include <unordered_map>
#include <utility>

#include "compiler/base/assembler_names.h"
#include "compiler/base/decl_text.h"
#include "compiler/codegen/handlers/asm_instruction.h"

namespace qbc {

namespace {

constexpr int kDepthLimit = 1024;  // pushes beyond this in one routine: a loop that pushes
constexpr std::size_t kCallDepthLimit = 200;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Equal without regard to case; `lower` is in lower case.
bool Is(std::string_view s, std::string_view lower) {
  if (s.size() != lower.size()) return false;
  for (std::size_t i = 0; i < s.size(); ++i)
    if (Lower(s[i]) != lower[i]) return false;
  return true;
}

// What the walk needs to know of a mnemonic.
enum MnemonicKind : unsigned {
  kWritesFirst = 1,  // changes its first operand
  kNoRegister = 2,   // changes no register
  kBranch = 4,
  kSkip = 8,
  kPair = 16,        // movw, adiw, sbiw: the pair from the first operand
  kMul = 32,         // r0:r1
};

unsigned KindOf(std::string_view m) {
  // (the branches and skips as the placing of the code knows them)
  if (IsBranch(m)) return kBranch | kNoRegister;
  if (FormOf(m) == InstructionForm::kSkip) return kSkip | kNoRegister;
  static const std::unordered_map<std::string_view, unsigned> kKinds = [] {
    std::unordered_map<std::string_view, unsigned> k;
    for (std::string_view w : {"ldi", "lds", "ld", "ldd", "mov", "in", "pop", "add", "adc", "sub", "sbc", "subi", "sbci",
                               "and", "andi", "or", "ori", "eor", "com", "neg", "inc", "dec", "clr", "ser", "lsl", "lsr",
                               "rol", "ror", "asr", "swap", "bld", "cbr", "sbr", "lpm", "elpm", "lac", "las", "lat",
                               "xch"})
      k[w] |= kWritesFirst;
    for (std::string_view w : {"st", "std", "sts", "out", "push", "sbi", "cbi", "cp", "cpc", "cpi", "tst", "nop",
                               "sleep", "wdr", "break", "spm", "cli", "sei", "sec", "clc", "sen", "cln", "sez", "clz",
                               "ses", "cls", "sev", "clv", "set", "clt", "seh", "clh", "bset", "bclr", "bst", "ret",
                               "reti", "rjmp", "jmp", "rcall", "call", "ijmp", "icall", "eijmp", "eicall"})
      k[w] |= kNoRegister;
    for (std::string_view w : {"movw", "adiw", "sbiw"}) k[w] |= kPair;
    for (std::string_view w : {"mul", "muls", "mulsu", "fmul", "fmuls", "fmulsu"}) k[w] |= kMul;
    return k;
  }();
  const auto it = kKinds.find(m);
  return it == kKinds.end() ? 0 : it->second;
}

// "X+", "-Y", "Z+": the pointer pair the access moves (26, 28, 30), or 0.
int MovedPointer(std::string_view o) {
  if (o.size() != 2) return 0;
  const char a = Lower(o[0]), b = Lower(o[1]);
  const char p = a == '-' ? b : (b == '+' ? a : 0);
  return p == 'x' ? 26 : p == 'y' ? 28 : p == 'z' ? 30 : 0;
}

bool ThroughY(std::string_view o) {
  return Is(o, "y") || Is(o, "-y") || (o.size() >= 2 && Lower(o[0]) == 'y' && o[1] == '+');
}

}  // namespace

CodeMap::CodeMap(std::string_view text, int returnBytes, std::vector<std::string> watchedCells, AsmFiles files)
    : view_(text, std::move(files)), returnBytes_(returnBytes) {
  for (const std::string& w : watchedCells) watched_.push_back(LowerText(w));
  // The device's SREG and RAMPZ (the .equ names of its definition file).
  const std::size_t end = view_.Size() == 0 ? 0 : view_.Size() - 1;
  sreg_ = view_.Value("SREG", end).value_or(-1);
  rampz_ = view_.Value("RAMPZ", end).value_or(-1);
}

CodeMap::Line CodeMap::Decode(std::size_t i) const {
  Line l;
  const AsmView::Line& v = view_.At(i);
  if (v.data) return l;
  const std::string_view code = v.code;
  std::size_t m = 0;
  while (m < code.size() && code[m] != ' ' && code[m] != '\t') ++m;
  l.mnemonic.resize(m);
  for (std::size_t k = 0; k < m; ++k) l.mnemonic[k] = Lower(code[k]);
  const std::string_view text = TrimBlanks(code.substr(m));
  if (text.empty()) return l;
  std::size_t start = 0;
  int depth = 0;
  for (std::size_t k = 0; k <= text.size(); ++k) {
    if (k < text.size() && text[k] == '(') ++depth;
    if (k < text.size() && text[k] == ')') --depth;
    if (k == text.size() || (text[k] == ',' && depth == 0)) {
      if (l.count == l.operands.size()) {
        l.tooMany = true;
        break;
      }
      l.operands[l.count++] = TrimBlanks(text.substr(start, k - start));
      start = k + 1;
    }
  }
  return l;
}

std::optional<int> CodeMap::Register(std::string_view operand, std::size_t at) const {
  const std::string_view o = TrimBlanks(operand);
  if (const auto r = CpuRegisterNumber(o)) return r;
  if (o.empty() || !std::all_of(o.begin(), o.end(), AsmLabelChar)) return std::nullopt;
  scratch_.assign(o);
  for (char& c : scratch_) c = Lower(c);
  return view_.Alias(scratch_, at);
}

// The line `words` words after (before, when negative) the line `from`, in the same block
// of lines; nullopt when no line begins there.
std::optional<std::size_t> CodeMap::Relative(std::size_t from, long words) const {
  const std::uint32_t block = view_.At(from).block;
  const long target = static_cast<long>(view_.At(from).address) + words;
  std::size_t j = from;
  while (static_cast<long>(view_.At(j).address) < target) {
    ++j;
    if (j >= view_.Size() || view_.At(j).block != block) return std::nullopt;
  }
  while (static_cast<long>(view_.At(j).address) > target) {
    if (j == 0 || view_.At(j - 1).block != block) return std::nullopt;
    --j;
  }
  if (static_cast<long>(view_.At(j).address) != target) return std::nullopt;
  return j;
}

std::optional<std::size_t> CodeMap::Target(std::size_t from, std::string_view operand) const {
  const std::string o = LowerText(TrimBlanks(operand));
  if (o == ".") return from;
  const AsmView::Line& line = view_.At(from);
  if (const AsmPcOperand pc = view_.PcTarget(o, line.address, line.pos); pc.namesPc) {
    if (!pc.target) return std::nullopt;
    return Relative(from, static_cast<long>(*pc.target - line.address));
  }
  return view_.LabelLine(o);
}

std::optional<CodeReach> CodeMap::From(const std::string& label, std::optional<std::size_t> ownReturn) const {
  const auto line = view_.LabelLine(LowerText(label));
  if (!line) return std::nullopt;
  if (!view_.Understood()) {
    // The text holds what this reading cannot follow as avra does: nothing is known.
    CodeReach r;
    r.unknown = true;
    return r;
  }
  if (!ownReturn) return RoutineReach(*line);
  CodeReach reach;
  Walk(*line, reach, ownReturn);
  return reach;
}

long CodeMap::DataEnd() const { return view_.DataEnd(); }

std::optional<int> CodeMap::CellBytes(const std::string& label) const { return view_.CellBytes(LowerText(label)); }

CodeReach CodeMap::RoutineReach(std::size_t first) const {
  if (const auto it = routines_.find(first); it != routines_.end()) return it->second;
  if (walking_.size() >= kCallDepthLimit) {
    // Calls nested deeper than any real program's: nothing is known beyond.
    CodeReach r;
    r.unknown = true;
    return r;
  }
  if (walking_.count(first) != 0) {
    // A routine that calls itself, further down: what it changes is gathered by its own
    // walk, which is still open. Nothing walked meanwhile is kept as whole.
    metOpenWalk_ = true;
    return CodeReach{};
  }
  const bool outer = metOpenWalk_;
  metOpenWalk_ = false;
  walking_.insert(first);
  CodeReach reach;
  Walk(first, reach, std::nullopt);
  walking_.erase(first);
  if (!metOpenWalk_) routines_.emplace(first, reach);
  metOpenWalk_ = outer || metOpenWalk_;
  return reach;
}

namespace {

// What a walk knows at a line: how deep the hardware stack is below the entry, which
// registers hold nothing that could turn interrupts on if written to SREG (a copy of SREG
// taken in this code, or a value with bit 7 clear), and the same for the values pushed
// (the last pushed in bit 0).
struct WalkState {
  int depth = 0;
  std::bitset<32> calm;
  std::uint64_t pushedCalm = 0;
};

}  // namespace

void CodeMap::Walk(std::size_t start, CodeReach& reach, std::optional<std::size_t> ownReturn) const {
  std::unordered_map<std::size_t, WalkState> seen;  // line -> what all the ways to it have in common
  std::deque<std::pair<std::size_t, WalkState>> work{{start, WalkState{}}};
  auto go = [&](std::optional<std::size_t> line, const WalkState& state) {
    if (!line) {
      reach.unknown = true;
      return;
    }
    work.emplace_back(*line, state);
  };
  auto write = [&](int r) {
    if (r >= 0 && r <= 31) reach.written.set(static_cast<std::size_t>(r));
  };
  while (!work.empty()) {
    // (no structured binding: the lambdas below capture them, which clang refuses)
    const std::size_t i = work.front().first;
    WalkState state = work.front().second;
    work.pop_front();
    if (i >= view_.Size()) {
      reach.unknown = true;
      continue;
    }
    if (state.depth > kDepthLimit) continue;  // (a loop that pushes: its depth says so)
    if (const auto s = seen.find(i); s != seen.end()) {
      WalkState merged = s->second;
      merged.depth = std::max(merged.depth, state.depth);
      merged.calm &= state.calm;
      merged.pushedCalm &= state.pushedCalm;
      if (merged.depth == s->second.depth && merged.calm == s->second.calm && merged.pushedCalm == s->second.pushedCalm)
        continue;
      state = merged;
    }
    seen[i] = state;
    const int depth = state.depth;
    const Line l = Decode(i);
    const std::string_view m = l.mnemonic;  // (compared by size first)
    if (m.empty() || l.tooMany) {  // data: code does not run into it
      reach.unknown = true;
      continue;
    }
    const unsigned kind = KindOf(m);
    const std::string_view* const ops = l.operands.data();
    // An I/O register (`in`/`out` operands) or data address (`lds`/`sts`) named by the
    // operand, by its value where the text gives one (SREG is I/O 0x3f, data 0x5f).
    auto names = [&](std::string_view operand, std::string_view reg, std::int64_t address, int dataOffset) {
      if (dataOffset == 0 && Is(TrimBlanks(operand), reg)) return true;
      if (address < 0) return false;
      const auto a = view_.Value(operand, i);
      return a && *a == address + dataOffset;
    };
    const bool dataAccess = m == "lds" || m == "sts";
    const int ioOffset = dataAccess ? 0x20 : 0;
    // What the line reads and changes.
    for (std::size_t n = 0; n < l.count; ++n) {
      const std::string_view o = ops[n];
      const auto r = Register(o, i);
      if ((r && (*r == 28 || *r == 29)) || ThroughY(o)) reach.usesY = true;
      std::size_t wordStart = 0;
      for (std::size_t k = 0; k <= o.size(); ++k) {
        if (k < o.size() && AsmLabelChar(o[k])) continue;
        const std::string_view word = o.substr(wordStart, k - wordStart);
        for (const std::string& w : watched_)
          if (Is(word, w)) reach.cells.insert(w);
        wordStart = k + 1;
      }
    }
    std::bitset<32> changed;
    auto change = [&](int r) {
      if (r < 0 || r > 31) return;
      write(r);
      changed.set(static_cast<std::size_t>(r));
    };
    for (std::size_t n = 0; n < l.count; ++n) {
      if (const int p = MovedPointer(ops[n]); p != 0) {
        change(p);
        change(p + 1);
      }
    }
    // The registers of the first two operands (-1: none) and the second one's value.
    const int first = l.count < 1 ? -1 : Register(ops[0], i).value_or(-1);
    const int second = l.count < 2 ? -1 : Register(ops[1], i).value_or(-1);
    const bool masks = m == "ldi" || m == "andi" || m == "cbr" || m == "ori" || m == "sbr";
    const std::int64_t constant = l.count < 2 || !masks ? -1 : view_.Value(ops[1], i).value_or(-1);
    auto calm = [&](int r) { return r >= 0 && state.calm.test(static_cast<std::size_t>(r)); };
    int calmAfter = -1;  // what the line leaves in its first operand: 1 calm, 0 not, -1 as any change
    if ((kind & kWritesFirst) != 0) {
      if (l.count == 0 && (m == "lpm" || m == "elpm")) {
        change(0);
      } else if (first >= 0) {
        change(first);
        const bool kept = calm(first);
        const bool bit7Clear = constant >= 0 && (constant & 0x80) == 0;
        const bool bit7Set = constant >= 0 && (constant & 0x80) != 0;
        if ((m == "in" || m == "lds") && l.count == 2) {
          calmAfter = names(ops[1], "sreg", sreg_, ioOffset) ? 1 : 0;
        } else if (m == "mov") {
          calmAfter = calm(second) ? 1 : 0;
        } else if (m == "ldi") {
          calmAfter = bit7Clear ? 1 : 0;
        } else if (m == "clr" || ((m == "eor" || m == "sub") && second == first)) {
          calmAfter = 1;
        } else if (m == "andi") {
          calmAfter = kept || bit7Clear ? 1 : 0;
        } else if (m == "cbr") {
          calmAfter = kept || bit7Set ? 1 : 0;
        } else if (m == "ori" || m == "sbr") {
          calmAfter = kept && bit7Clear ? 1 : 0;
        } else if (m == "pop") {
          calmAfter = (state.pushedCalm & 1) != 0 ? 1 : 0;
        }
      } else {
        reach.unknown = true;
      }
    } else if ((kind & kPair) != 0) {
      if (first >= 0) {
        change(first);
        change(first + 1);
      } else {
        reach.unknown = true;
      }
    } else if ((kind & kMul) != 0) {
      change(0);
      change(1);
    } else if ((kind & kNoRegister) == 0) {
      reach.unknown = true;
    }
    if (m == "elpm") reach.readsFlash = true;
    if ((m == "out" || m == "sts") && l.count == 2) {
      // (a data address the text gives a value: SREG's or RAMPZ's, or a register's)
      const std::optional<std::int64_t> address = view_.Value(ops[0], i);
      auto at = [&](std::string_view reg, std::int64_t io) {
        return (m == "out" && Is(TrimBlanks(ops[0]), reg)) || (io >= 0 && address && *address == io + ioOffset);
      };
      if (at("rampz", rampz_)) reach.readsFlash = true;
      // SREG written from anything that may have bit 7 set turns interrupts on.
      if (at("sreg", sreg_) && !calm(second)) reach.enablesInterrupts = true;
      // A register written through its data address.
      if (m == "sts" && address && *address >= 0 && *address < 32) change(static_cast<int>(*address));
    }
    if (m == "sei" || (m == "bset" && l.count > 0 && view_.Value(ops[0], i) == 7))
      reach.enablesInterrupts = true;

    // What the next line finds.
    WalkState next = state;
    if (m == "push") {
      next.depth = depth + 1;
      next.pushedCalm = (state.pushedCalm << 1) | (calm(first) ? 1 : 0);
    } else if (m == "pop") {
      // (below 0 a routine takes its caller's return address: it returns further up)
      next.depth = depth - 1;
      next.pushedCalm = state.pushedCalm >> 1;
    }
    next.calm &= ~changed;
    if (m == "movw" && first >= 0 && first < 31 && second >= 0)
      for (int k = 0; k < 2; ++k) next.calm.set(static_cast<std::size_t>(first + k), calm(second + k));
    if (calmAfter >= 0 && first >= 0) next.calm.set(static_cast<std::size_t>(first), calmAfter == 1);

    // Where it goes on.
    const std::size_t after = i + 1;
    if (m == "reti") {
      // A reti turns interrupts on; the handler's own at its end gives them back to the
      // code it interrupted, after it.
      const bool own = ownReturn && view_.OutputLineStart(i) == ownReturn;
      if (!own) reach.enablesInterrupts = true;
      continue;
    }
    if (m == "ret") continue;
    if (m == "ijmp" || m == "eijmp") {
      reach.unknown = true;
      continue;
    }
    if (m == "rjmp" || m == "jmp") {
      go(l.count == 0 ? std::nullopt : Target(i, ops[l.count - 1]), next);
      continue;
    }
    if ((kind & kBranch) != 0) {
      go(l.count == 0 ? std::nullopt : Target(i, ops[l.count - 1]), next);
      go(after, next);
      continue;
    }
    if ((kind & kSkip) != 0) {
      go(after, next);
      go(after + 1, next);
      continue;
    }
    if (m == "rcall" || m == "call") {
      const auto callee = l.count == 0 ? std::nullopt : Target(i, ops[l.count - 1]);
      if (!callee) {
        reach.unknown = true;
      } else {
        const CodeReach r = RoutineReach(*callee);
        reach.written |= r.written;
        next.calm &= ~r.written;
        reach.usesY = reach.usesY || r.usesY;
        reach.readsFlash = reach.readsFlash || r.readsFlash;
        reach.enablesInterrupts = reach.enablesInterrupts || r.enablesInterrupts;
        reach.unknown = reach.unknown || r.unknown;
        reach.cells.insert(r.cells.begin(), r.cells.end());
      }
      go(after, next);
      continue;
    }
    if (m == "icall" || m == "eicall") {
      reach.unknown = true;
      go(after, next);
      continue;
    }
    go(after, next);
  }
}

namespace {

// What a line does to the hardware stack and to where the code goes on, by its mnemonic
// alone (the depth walk reads no more of most lines).
enum class DepthStep { kOn, kPush, kPop, kReturn, kIndirectJump, kJump, kBranch, kSkip, kCall, kIndirectCall, kData };

DepthStep DepthStepOf(const AsmView::Line& line) {
  if (line.data || line.code.empty()) return DepthStep::kData;
  const std::string_view m = FirstWord(line.code).first;
  switch (FormOf(m)) {
    case InstructionForm::kRelativeJump:
      return IsBranch(m) ? DepthStep::kBranch : m.size() == 5 ? DepthStep::kCall : DepthStep::kJump;
    case InstructionForm::kSkip:
      return DepthStep::kSkip;
    case InstructionForm::kTwoWords:
      return Is(m, "call") ? DepthStep::kCall : Is(m, "jmp") ? DepthStep::kJump : DepthStep::kOn;
    case InstructionForm::kOneWord:
      break;
  }
  switch (m.size()) {
    case 3:
      return Is(m, "ret") ? DepthStep::kReturn : Is(m, "pop") ? DepthStep::kPop : DepthStep::kOn;
    case 4:
      return Is(m, "push")   ? DepthStep::kPush
             : Is(m, "reti") ? DepthStep::kReturn
             : Is(m, "ijmp") ? DepthStep::kIndirectJump
                             : DepthStep::kOn;
    case 5:
      return Is(m, "icall") ? DepthStep::kIndirectCall : Is(m, "eijmp") ? DepthStep::kIndirectJump : DepthStep::kOn;
    case 6:
      return Is(m, "eicall") ? DepthStep::kIndirectCall : DepthStep::kOn;
    default:
      return DepthStep::kOn;
  }
}

}  // namespace

std::optional<StackDepth> CodeMap::DepthFrom(const std::string& label) const {
  const auto line = view_.LabelLine(LowerText(label));
  if (!line) return std::nullopt;
  // (text this reading cannot follow as avra does: nothing is known)
  if (!view_.Understood()) return StackDepth{0, false};
  return RoutineDepth(*line);
}

StackDepth CodeMap::RoutineDepth(std::size_t first) const {
  if (const auto it = depths_.find(first); it != depths_.end()) return it->second;
  // A routine that calls itself, further down, has no bound (nor has any routine on the
  // way: each calls itself through the others); calls nested deeper than any real
  // program's are not followed.
  if (depthWalking_.count(first) != 0 || depthWalking_.size() >= kCallDepthLimit) return StackDepth{0, false};
  depthWalking_.insert(first);
  const StackDepth depth = WalkDepth(first);
  depthWalking_.erase(first);
  depths_.emplace(first, depth);
  return depth;
}

StackDepth CodeMap::WalkDepth(std::size_t start) const {
  if (depthAt_.size() != view_.Size()) {
    depthAt_.assign(view_.Size(), 0);
    depthWalk_.assign(view_.Size(), 0);
  }
  // (a walk started inside this one, for a routine it calls, may take over the marks of
  // lines both come to: this walk then goes over them again, which changes no figure)
  const std::uint32_t walk = ++depthWalks_;
  StackDepth result;
  auto target = [&](std::size_t i) {
    const Line l = Decode(i);
    return l.count == 0 ? std::nullopt : Target(i, l.operands[l.count - 1]);
  };
  std::vector<std::pair<std::size_t, int>> work{{start, 0}};
  while (!work.empty()) {
    std::size_t i = work.back().first;
    int depth = work.back().second;
    work.pop_back();
    // Straight on, line after line, to where this way ends; the other ways wait. A way
    // that cannot be followed (a jump whose target the text does not give, code running
    // into data or past the end) leaves the depth unknown: a part of it says nothing.
    for (bool on = true; on;) {
      if (i >= view_.Size()) {
        result.known = false;
        break;
      }
      if (depth > kDepthLimit) {  // a loop that pushes
        result.known = false;
        break;
      }
      if (depthWalk_[i] == walk && depthAt_[i] >= depth) break;
      depthWalk_[i] = walk;
      depthAt_[i] = depth;
      result.bytes = std::max(result.bytes, depth);
      std::size_t next = i + 1;
      switch (DepthStepOf(view_.At(i))) {
        case DepthStep::kOn:
          break;
        case DepthStep::kPush:
          ++depth;
          break;
        case DepthStep::kPop:
          // (below 0 a routine takes its caller's return address: it returns further up)
          --depth;
          break;
        case DepthStep::kReturn:
          on = false;
          break;
        case DepthStep::kData:
        case DepthStep::kIndirectJump:
          result.known = false;
          on = false;
          break;
        case DepthStep::kJump:
          if (const auto to = target(i)) {
            next = *to;
          } else {
            result.known = false;
            on = false;
          }
          break;
        case DepthStep::kBranch:
          if (const auto to = target(i))
            work.emplace_back(*to, depth);
          else
            result.known = false;
          break;
        case DepthStep::kSkip:
          work.emplace_back(i + 2, depth);
          break;
        case DepthStep::kCall: {
          const auto callee = target(i);
          const StackDepth d = callee ? RoutineDepth(*callee) : StackDepth{0, false};
          if (d.known)
            result.bytes = std::max(result.bytes, depth + returnBytes_ + d.bytes);
          else
            result.known = false;
          break;
        }
        case DepthStep::kIndirectCall:
          result.known = false;
          break;
      }
      i = next;
    }
  }
  return result;
}

}  // namespace qbc
