#include "compiler/codegen/handlers/code_reach.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <deque>
#include <utility>

#include "compiler/base/decl_text.h"

namespace qbc {

namespace {

constexpr int kDepthLimit = 1024;  // pushes beyond this in one routine: a loop that pushes
constexpr std::size_t kCallDepthLimit = 200;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool NameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.'; }

std::vector<std::string> SplitOperands(std::string_view text) {
  std::vector<std::string> out;
  if (Trim(text).empty()) return out;
  std::size_t start = 0;
  int depth = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] == '(') ++depth;
    if (i < text.size() && text[i] == ')') --depth;
    if (i == text.size() || (text[i] == ',' && depth == 0)) {
      out.emplace_back(Trim(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  return out;
}

std::optional<long> Number(std::string_view s) {
  s = Trim(s);
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  const std::string text(s);
  const long v = std::strtol(text.c_str(), &end, 0);
  if (end == nullptr || *end != 0) return std::nullopt;
  return v;
}

bool In(std::string_view m, std::initializer_list<std::string_view> set) {
  return std::find(set.begin(), set.end(), m) != set.end();
}

bool IsBranch(std::string_view m) { return m.size() >= 4 && m.substr(0, 2) == "br" && m != "break"; }
bool IsSkip(std::string_view m) { return In(m, {"sbrc", "sbrs", "sbic", "sbis", "cpse"}); }

// Instructions that change their first operand.
bool WritesFirst(std::string_view m) {
  return In(m, {"ldi", "lds", "ld", "ldd", "mov", "in", "pop", "add", "adc", "sub", "sbc", "subi", "sbci", "and",
                "andi", "or", "ori", "eor", "com", "neg", "inc", "dec", "clr", "ser", "lsl", "lsr", "rol", "ror",
                "asr", "swap", "bld", "cbr", "sbr", "lpm", "elpm", "lac", "las", "lat", "xch"});
}

bool ChangesNoRegister(std::string_view m) {
  return IsBranch(m) || IsSkip(m) ||
         In(m, {"st", "std", "sts", "out", "push", "sbi", "cbi", "cp", "cpc", "cpi", "tst", "nop", "sleep", "wdr",
                "break", "spm", "cli", "sei", "sec", "clc", "sen", "cln", "sez", "clz", "ses", "cls", "sev", "clv",
                "set", "clt", "seh", "clh", "bset", "bclr", "bst", "ret", "reti", "rjmp", "jmp", "rcall", "call",
                "ijmp", "icall", "eijmp", "eicall"});
}

// "X+", "-Y", "Z+": the pointer pair the access moves (26, 28, 30), or 0.
int MovedPointer(std::string_view operand) {
  const std::string o = LowerText(operand);
  if (o == "x+" || o == "-x") return 26;
  if (o == "y+" || o == "-y") return 28;
  if (o == "z+" || o == "-z") return 30;
  return 0;
}

bool ThroughY(std::string_view operand) {
  const std::string o = LowerText(operand);
  return o == "y" || o == "-y" || (o.size() >= 2 && o[0] == 'y' && o[1] == '+');
}

}  // namespace

CodeMap::CodeMap(std::string_view text, int returnBytes, std::vector<std::string> watchedCells, AsmFiles files)
    : view_(text, std::move(files)), returnBytes_(returnBytes) {
  for (const std::string& w : watchedCells) watched_.push_back(LowerText(w));
}

const CodeMap::Line& CodeMap::Decoded(std::size_t i) const {
  if (const auto it = decoded_.find(i); it != decoded_.end()) return it->second;
  Line l;
  const AsmView::Line& v = view_.At(i);
  if (!v.data) {
    std::size_t m = 0;
    while (m < v.code.size() && v.code[m] != ' ' && v.code[m] != '\t') ++m;
    l.mnemonic = LowerText(v.code.substr(0, m));
    l.operands = SplitOperands(Trim(v.code.substr(m)));
  }
  return decoded_.emplace(i, std::move(l)).first->second;
}

int CodeMap::Words(std::size_t i) const {
  const std::string& m = Decoded(i).mnemonic;
  return In(m, {"lds", "sts", "call", "jmp"}) ? 2 : 1;
}

std::optional<int> CodeMap::Register(const std::string& operand, std::size_t at) const {
  const std::string o = LowerText(Trim(operand));
  static const std::map<std::string, int> kNames = {{"xl", 26}, {"xh", 27}, {"yl", 28},
                                                    {"yh", 29}, {"zl", 30}, {"zh", 31}};
  if (const auto it = kNames.find(o); it != kNames.end()) return it->second;
  if (o.size() >= 2 && o.size() <= 3 && o[0] == 'r' && std::isdigit(static_cast<unsigned char>(o[1])) != 0) {
    const auto v = Number(o.substr(1));
    if (v && *v >= 0 && *v <= 31 && (o.size() == 2 || o[1] != '0')) return static_cast<int>(*v);
  }
  return view_.Alias(o, at);
}

// The line `words` words after (before, when negative) the line `from`, in the same block
// of lines; nullopt when no line begins there.
std::optional<std::size_t> CodeMap::Relative(std::size_t from, long words) const {
  const std::uint32_t block = view_.At(from).block;
  std::size_t j = from;
  long offset = 0;
  while (offset < words) {
    offset += Words(j);
    ++j;
    if (j >= view_.Size() || view_.At(j).block != block) return std::nullopt;
  }
  while (offset > words) {
    if (j == 0 || view_.At(j - 1).block != block) return std::nullopt;
    --j;
    offset -= Words(j);
  }
  if (offset != words) return std::nullopt;
  return j;
}

std::optional<std::size_t> CodeMap::Target(std::size_t from, const std::string& operand) const {
  const std::string o = LowerText(Trim(operand));
  if (o == ".") return from;
  if (o.size() > 2 && o.substr(0, 2) == "pc" && (o[2] == '+' || o[2] == '-')) {
    const auto k = Number(o.substr(3));
    if (!k) return std::nullopt;
    return Relative(from, o[2] == '+' ? *k : -*k);
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
    r.stackKnown = false;
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
    r.stackKnown = false;
    return r;
  }
  if (walking_.count(first) != 0) {
    // A routine that calls itself, further down: its depth has no bound, and what it
    // changes is gathered by its own walk, which is still open. Nothing walked meanwhile
    // is kept as whole.
    metOpenWalk_ = true;
    CodeReach r;
    r.stackKnown = false;
    return r;
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
  std::map<std::size_t, WalkState> seen;  // line -> what all the ways to it have in common
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
    auto [i, state] = work.front();
    work.pop_front();
    if (i >= view_.Size()) {
      reach.unknown = true;
      continue;
    }
    if (state.depth > kDepthLimit) {
      reach.stackKnown = false;
      continue;
    }
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
    reach.stackBytes = std::max(reach.stackBytes, depth);
    const Line& l = Decoded(i);
    const std::string& m = l.mnemonic;
    if (m.empty()) {  // data: code does not run into it
      reach.unknown = true;
      continue;
    }
    // An I/O register (`in`/`out` operands) or data address (`lds`/`sts`) named by the
    // operand, by its value where the text gives one (SREG is I/O 0x3f, data 0x5f).
    auto names = [&](const std::string& operand, const char* reg, int dataOffset) {
      if (dataOffset == 0 && LowerText(Trim(operand)) == reg) return true;
      const auto a = view_.Value(operand, i);
      const auto b = view_.Value(reg, i);
      return a && b && *a == *b + dataOffset;
    };
    const bool dataAccess = m == "lds" || m == "sts";
    const int ioOffset = dataAccess ? 0x20 : 0;
    // What the line reads and changes.
    for (const std::string& o : l.operands) {
      const auto r = Register(o, i);
      if ((r && (*r == 28 || *r == 29)) || ThroughY(o)) reach.usesY = true;
      std::string word;
      for (std::size_t k = 0; k <= o.size(); ++k) {
        if (k < o.size() && NameChar(o[k])) {
          word += o[k];
          continue;
        }
        if (!word.empty() && std::find(watched_.begin(), watched_.end(), LowerText(word)) != watched_.end())
          reach.cells.insert(LowerText(word));
        word.clear();
      }
    }
    std::bitset<32> changed;
    auto change = [&](int r) {
      if (r < 0 || r > 31) return;
      write(r);
      changed.set(static_cast<std::size_t>(r));
    };
    for (const std::string& o : l.operands) {
      if (const int p = MovedPointer(o); p != 0) {
        change(p);
        change(p + 1);
      }
    }
    // The registers of the first two operands (-1: none) and the second one's value.
    const int first = l.operands.empty() ? -1 : Register(l.operands[0], i).value_or(-1);
    const int second = l.operands.size() < 2 ? -1 : Register(l.operands[1], i).value_or(-1);
    const std::int64_t constant = l.operands.size() < 2 ? -1 : view_.Value(l.operands[1], i).value_or(-1);
    auto calm = [&](int r) { return r >= 0 && state.calm.test(static_cast<std::size_t>(r)); };
    int calmAfter = -1;  // what the line leaves in its first operand: 1 calm, 0 not, -1 as any change
    if (WritesFirst(m)) {
      if (l.operands.empty() && (m == "lpm" || m == "elpm")) {
        change(0);
      } else if (first >= 0) {
        change(first);
        const bool kept = calm(first);
        const bool bit7Clear = constant >= 0 && (constant & 0x80) == 0;
        const bool bit7Set = constant >= 0 && (constant & 0x80) != 0;
        if ((m == "in" || m == "lds") && l.operands.size() == 2) {
          calmAfter = names(l.operands[1], "sreg", ioOffset) ? 1 : 0;
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
    } else if (In(m, {"movw", "adiw", "sbiw"})) {
      if (first >= 0) {
        change(first);
        change(first + 1);
      } else {
        reach.unknown = true;
      }
    } else if (In(m, {"mul", "muls", "mulsu", "fmul", "fmuls", "fmulsu"})) {
      change(0);
      change(1);
    } else if (!ChangesNoRegister(m)) {
      reach.unknown = true;
    }
    if (m == "elpm") reach.readsFlash = true;
    if ((m == "out" || m == "sts") && l.operands.size() == 2) {
      if (names(l.operands[0], "rampz", ioOffset)) reach.readsFlash = true;
      // SREG written from anything that may have bit 7 set turns interrupts on.
      if (names(l.operands[0], "sreg", ioOffset) && !calm(second))
        reach.enablesInterrupts = true;
      // A register written through its data address.
      if (m == "sts")
        if (const auto a = view_.Value(l.operands[0], i); a && *a >= 0 && *a < 32) change(static_cast<int>(*a));
    }
    if (m == "sei" || (m == "bset" && !l.operands.empty() && view_.Value(l.operands[0], i) == 7))
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
      reach.stackKnown = false;
      continue;
    }
    if (m == "rjmp" || m == "jmp") {
      go(l.operands.empty() ? std::nullopt : Target(i, l.operands.back()), next);
      continue;
    }
    if (IsBranch(m)) {
      go(l.operands.empty() ? std::nullopt : Target(i, l.operands.back()), next);
      go(after, next);
      continue;
    }
    if (IsSkip(m)) {
      go(after, next);
      go(after + 1, next);
      continue;
    }
    if (m == "rcall" || m == "call") {
      const auto callee = l.operands.empty() ? std::nullopt : Target(i, l.operands.back());
      if (!callee) {
        reach.unknown = true;
        reach.stackKnown = false;
      } else {
        const CodeReach r = RoutineReach(*callee);
        reach.written |= r.written;
        next.calm &= ~r.written;
        reach.usesY = reach.usesY || r.usesY;
        reach.readsFlash = reach.readsFlash || r.readsFlash;
        reach.enablesInterrupts = reach.enablesInterrupts || r.enablesInterrupts;
        reach.unknown = reach.unknown || r.unknown;
        reach.cells.insert(r.cells.begin(), r.cells.end());
        if (r.stackKnown)
          reach.stackBytes = std::max(reach.stackBytes, depth + returnBytes_ + r.stackBytes);
        else
          reach.stackKnown = false;
      }
      go(after, next);
      continue;
    }
    if (m == "icall" || m == "eicall") {
      reach.unknown = true;
      reach.stackKnown = false;
      go(after, next);
      continue;
    }
    go(after, next);
  }
}

}  // namespace qbc
