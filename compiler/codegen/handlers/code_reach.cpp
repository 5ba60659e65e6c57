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

std::optional<CodeReach> CodeMap::From(const std::string& label) const {
  const auto line = view_.LabelLine(LowerText(label));
  if (!line) return std::nullopt;
  if (!view_.Understood()) {
    // The text holds what this reading cannot follow as avra does: nothing is known.
    CodeReach r;
    r.unknown = true;
    r.stackKnown = false;
    return r;
  }
  return RoutineReach(*line);
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
  Walk(first, reach);
  walking_.erase(first);
  if (!metOpenWalk_) routines_.emplace(first, reach);
  metOpenWalk_ = outer || metOpenWalk_;
  return reach;
}

void CodeMap::Walk(std::size_t first, CodeReach& reach) const {
  std::map<std::size_t, int> seen;  // line -> deepest stack met there
  std::deque<std::pair<std::size_t, int>> work{{first, 0}};
  std::set<int> sregCopies;          // registers loaded from SREG
  std::vector<int> sregWrites;       // registers written to SREG
  auto go = [&](std::optional<std::size_t> line, int depth) {
    if (!line) {
      reach.unknown = true;
      return;
    }
    work.emplace_back(*line, depth);
  };
  auto write = [&](int r) {
    if (r >= 0 && r <= 31) reach.written.set(static_cast<std::size_t>(r));
  };
  while (!work.empty()) {
    auto [i, depth] = work.front();
    work.pop_front();
    if (i >= view_.Size()) {
      reach.unknown = true;
      continue;
    }
    if (depth > kDepthLimit) {
      reach.stackKnown = false;
      continue;
    }
    if (const auto s = seen.find(i); s != seen.end() && s->second >= depth) continue;
    seen[i] = depth;
    reach.stackBytes = std::max(reach.stackBytes, depth);
    const Line& l = Decoded(i);
    const std::string& m = l.mnemonic;
    if (m.empty()) {  // data: code does not run into it
      reach.unknown = true;
      continue;
    }
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
    for (const std::string& o : l.operands) {
      if (const int p = MovedPointer(o); p != 0) {
        write(p);
        write(p + 1);
      }
    }
    if (WritesFirst(m)) {
      if (l.operands.empty() && (m == "lpm" || m == "elpm")) {
        write(0);
      } else if (const auto r = l.operands.empty() ? std::nullopt : Register(l.operands[0], i)) {
        write(*r);
        if (m == "in" && l.operands.size() == 2 && LowerText(l.operands[1]) == "sreg") sregCopies.insert(*r);
      } else {
        reach.unknown = true;
      }
    } else if (In(m, {"movw", "adiw", "sbiw"})) {
      const auto r = l.operands.empty() ? std::nullopt : Register(l.operands[0], i);
      if (r) {
        write(*r);
        write(*r + 1);
      } else {
        reach.unknown = true;
      }
    } else if (In(m, {"mul", "muls", "mulsu", "fmul", "fmuls", "fmulsu"})) {
      write(0);
      write(1);
    } else if (!ChangesNoRegister(m)) {
      reach.unknown = true;
    }
    if (m == "elpm") reach.readsFlash = true;
    if ((m == "out" || m == "sts") && !l.operands.empty()) {
      const std::string target = LowerText(l.operands[0]);
      if (target == "rampz") reach.readsFlash = true;
      if (target == "sreg" && l.operands.size() == 2) {
        const auto r = Register(l.operands[1], i);
        sregWrites.push_back(r ? *r : -1);
      }
    }
    if (m == "sei" || (m == "bset" && !l.operands.empty() && Number(l.operands[0]) == 7))
      reach.enablesInterrupts = true;
    // Where it goes on.
    const std::size_t next = i + 1;
    if (m == "ret" || m == "reti") continue;
    if (m == "ijmp" || m == "eijmp") {
      reach.unknown = true;
      reach.stackKnown = false;
      continue;
    }
    if (m == "rjmp" || m == "jmp") {
      go(l.operands.empty() ? std::nullopt : Target(i, l.operands.back()), depth);
      continue;
    }
    if (IsBranch(m)) {
      go(l.operands.empty() ? std::nullopt : Target(i, l.operands.back()), depth);
      go(next, depth);
      continue;
    }
    if (IsSkip(m)) {
      go(next, depth);
      go(next + 1, depth);
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
      go(next, depth);
      continue;
    }
    if (m == "icall" || m == "eicall") {
      reach.unknown = true;
      reach.stackKnown = false;
      go(next, depth);
      continue;
    }
    if (m == "push") {
      go(next, depth + 1);
      continue;
    }
    if (m == "pop") {
      // (below 0 a routine takes its caller's return address: it returns further up)
      go(next, depth - 1);
      continue;
    }
    go(next, depth);
  }
  // SREG written from anything but a copy read from it turns interrupts on, as far as the
  // text tells.
  for (const int r : sregWrites)
    if (sregCopies.count(r) == 0) reach.enablesInterrupts = true;
}

}  // namespace qbc
