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

// The line without its comment (a ";" outside quotes).
std::string_view Code(std::string_view line) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ';' && !quoted) return line.substr(0, i);
  }
  return line;
}

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

CodeMap::CodeMap(std::string_view text, int returnBytes, std::vector<std::string> watchedCells)
    : returnBytes_(returnBytes) {
  for (const std::string& w : watchedCells) watched_.push_back(LowerText(w));
  enum class Segment { kCode, kData, kOther } segment = Segment::kCode;
  long at = 0;
  long dataAt = 0;
  bool dataOpened = false;
  bool placed = false;
  std::vector<std::string> pending;  // labels waiting for their line
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Trim(Code(text.substr(begin, end - begin)));
    begin = end + 1;
    // A label: a name and ":" at the start of the line.
    std::size_t n = 0;
    while (n < line.size() && NameChar(line[n])) ++n;
    if (n > 0 && n < line.size() && line[n] == ':' && line[0] != '.') {
      pending.push_back(LowerText(line.substr(0, n)));
      line = Trim(line.substr(n + 1));
    }
    if (line.empty()) continue;
    std::size_t m = 0;
    while (m < line.size() && line[m] != ' ' && line[m] != '\t') ++m;
    const std::string mnemonic = LowerText(line.substr(0, m));
    const std::string_view rest = Trim(line.substr(m));
    if (mnemonic[0] == '.') {
      if (mnemonic == ".cseg") segment = Segment::kCode;
      if (mnemonic == ".dseg") segment = Segment::kData;
      if (mnemonic == ".eseg") segment = Segment::kOther;
      if (mnemonic == ".org" && segment == Segment::kCode) at += 1'000'000;  // code after it is no continuation
      if (mnemonic == ".org" && segment == Segment::kData) {
        if (const auto address = Number(rest)) dataAt = *address;
        // The first one opens the data segment; a later one places a variable at an
        // address of its choosing (an overlay, or a cell beyond the internal SRAM).
        placed = dataOpened;
        dataOpened = true;
      }
      if (mnemonic == ".def") {
        const std::size_t eq = rest.find('=');
        if (eq != std::string_view::npos) {
          const std::string name = LowerText(Trim(rest.substr(0, eq)));
          if (const auto r = Register(std::string(Trim(rest.substr(eq + 1))))) aliases_[name] = *r;
        }
      }
      if (segment == Segment::kData && mnemonic == ".byte") {
        if (const auto bytes = Number(rest)) {
          for (const std::string& l : pending) cellBytes_[l] = static_cast<int>(*bytes);
          dataAt += *bytes;
          if (!placed) dataEnd_ = std::max(dataEnd_, dataAt);
        }
        placed = false;
        pending.clear();
      }
      if (segment == Segment::kCode && (mnemonic == ".db" || mnemonic == ".dw")) {
        for (const std::string& l : pending) labels_.emplace(l, lines_.size());
        pending.clear();
        lines_.push_back({"", {}, 1, at});
        at += 1;
      }
      continue;
    }
    if (segment != Segment::kCode) {
      pending.clear();
      continue;
    }
    for (const std::string& l : pending) labels_.emplace(l, lines_.size());
    pending.clear();
    Line l{mnemonic, SplitOperands(rest), 1, at};
    if (In(mnemonic, {"lds", "sts", "call", "jmp"})) l.words = 2;
    byOffset_.emplace(at, lines_.size());
    at += l.words;
    lines_.push_back(std::move(l));
  }
}

std::optional<int> CodeMap::Register(const std::string& operand) const {
  const std::string o = LowerText(Trim(operand));
  static const std::map<std::string, int> kNames = {{"xl", 26}, {"xh", 27}, {"yl", 28},
                                                    {"yh", 29}, {"zl", 30}, {"zh", 31}};
  if (const auto it = kNames.find(o); it != kNames.end()) return it->second;
  if (o.size() >= 2 && o.size() <= 3 && o[0] == 'r' && std::isdigit(static_cast<unsigned char>(o[1])) != 0) {
    const auto v = Number(o.substr(1));
    if (v && *v >= 0 && *v <= 31 && (o.size() == 2 || o[1] != '0')) return static_cast<int>(*v);
  }
  if (const auto it = aliases_.find(o); it != aliases_.end()) return it->second;
  return std::nullopt;
}

std::optional<std::size_t> CodeMap::Target(std::size_t from, const std::string& operand) const {
  const std::string o = LowerText(Trim(operand));
  if (o == ".") return from;
  if (o.size() > 2 && o.substr(0, 2) == "pc" && (o[2] == '+' || o[2] == '-')) {
    const auto k = Number(o.substr(3));
    if (!k) return std::nullopt;
    const long target = lines_[from].at + (o[2] == '+' ? *k : -*k);
    if (const auto it = byOffset_.find(target); it != byOffset_.end()) return it->second;
    return std::nullopt;
  }
  if (const auto it = labels_.find(o); it != labels_.end() && it->second < lines_.size()) return it->second;
  return std::nullopt;
}

std::optional<CodeReach> CodeMap::From(const std::string& label) const {
  const auto it = labels_.find(LowerText(label));
  if (it == labels_.end() || it->second >= lines_.size()) return std::nullopt;
  return RoutineReach(it->second);
}

long CodeMap::DataEnd() const { return dataEnd_; }

std::optional<int> CodeMap::CellBytes(const std::string& label) const {
  const auto it = cellBytes_.find(LowerText(label));
  if (it == cellBytes_.end()) return std::nullopt;
  return it->second;
}

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
    if (i >= lines_.size()) {
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
    const Line& l = lines_[i];
    const std::string& m = l.mnemonic;
    if (m.empty()) {  // data: code does not run into it
      reach.unknown = true;
      continue;
    }
    // What the line reads and changes.
    for (const std::string& o : l.operands) {
      const auto r = Register(o);
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
      } else if (const auto r = l.operands.empty() ? std::nullopt : Register(l.operands[0])) {
        write(*r);
        if (m == "in" && l.operands.size() == 2 && LowerText(l.operands[1]) == "sreg") sregCopies.insert(*r);
      } else {
        reach.unknown = true;
      }
    } else if (In(m, {"movw", "adiw", "sbiw"})) {
      const auto r = l.operands.empty() ? std::nullopt : Register(l.operands[0]);
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
        const auto r = Register(l.operands[1]);
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
