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

CodeMap::CodeMap(std::string_view text, int returnBytes, std::vector<std::string> watchedCells, AsmFiles files,
                 AsmView::Keep keep, AsmView::Text kept)
    : view_(text, files, keep, kept), returnBytes_(returnBytes) {
  // A jump to the program counter that lands inside a run of lines (one named from
  // further down, or worked out otherwise than as the text was read): each line a step.
  if (!StepsWhole()) view_ = AsmView(text, std::move(files), keep, kept, AsmView::Steps::kEveryLine);
  for (const std::string& w : watchedCells) watched_.push_back(LowerText(w));
  // The device's SREG and RAMPZ (the .equ names of its definition file).
  const std::size_t end = view_.Size() == 0 ? 0 : view_.Size() - 1;
  sreg_ = view_.Value("SREG", end).value_or(-1);
  rampz_ = view_.Value("RAMPZ", end).value_or(-1);
  spl_ = view_.Value("SPL", end).value_or(-1);
  const auto ramEnd = view_.Value("RAMEND", end);
  lowOnly_ = ramEnd && *ramEnd <= 0xff;
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

namespace {

// What a walk knows of a register's value, as far as an address is made of it:
constexpr std::uint16_t kAny = 0;          // nothing
constexpr std::uint16_t kConst = 0x100;    // | the byte
constexpr std::uint16_t kMemory = 0x200;   // a byte of an address above the I/O registers (its pair both)
constexpr std::uint16_t kEntry = 0x300;    // | r: what r held where the routine was called (in an
                                           // address pair also an address worked out from it)
constexpr std::uint16_t kKind = 0xff00;
using Values = std::array<std::uint16_t, 32>;  // (CodeMap::Values)
constexpr std::int64_t kAboveIo = 0x60;    // the data address past the registers and the 64 I/O registers
constexpr std::size_t kPushedValues = 16;  // pushed values followed (the last pushed first)
constexpr std::size_t kYl = 28;

// Where the pair from register `low` points, as far as the walk knows.
struct PairAddress {
  enum Kind { kUnknown, kExact, kAbove, kGiven } kind = kUnknown;
  std::int64_t value = 0;  // kExact: the address; kGiven: the register of the pair given
};

// `lowOnly`: on a chip whose data addresses fit a byte a pointer is its low byte (the
// compiler never loads the high byte there).
PairAddress AddressIn(const Values& v, int low, bool lowOnly) {
  const std::uint16_t lo = v[static_cast<std::size_t>(low)];
  const std::uint16_t hi = lowOnly ? (lo & kKind) == kEntry ? lo + 1 : (lo & kKind) == kConst ? kConst : lo
                                   : v[static_cast<std::size_t>(low + 1)];
  if ((lo & kKind) == kConst && (hi & kKind) == kConst) return {PairAddress::kExact, (hi & 0xff) << 8 | (lo & 0xff)};
  if (lo == kMemory && hi == kMemory) return {PairAddress::kAbove, 0};
  if ((lo & kKind) == kEntry && hi == lo + 1) return {PairAddress::kGiven, lo & 0xff};
  return {};
}

bool Above(const PairAddress& a) {
  return a.kind == PairAddress::kAbove || (a.kind == PairAddress::kExact && a.value >= kAboveIo);
}

// Values where two ways meet: what both say; a pair both say lies above the I/O
// registers still does.
void Meet(Values& into, const Values& other, bool lowOnly) {
  for (int low = 0; low < 32; low += 2) {
    const std::size_t l = static_cast<std::size_t>(low);
    if (into[l] == other[l] && into[l + 1] == other[l + 1]) continue;
    const bool above = Above(AddressIn(into, low, lowOnly)) && Above(AddressIn(other, low, lowOnly));
    for (std::size_t k = l; k <= l + 1; ++k)
      if (into[k] != other[k]) into[k] = kAny;
    if (above) into[l] = into[l + 1] = kMemory;
  }
}

// An address worked out from the pair of register `r` (an add to it; `pair`: to both of
// its bytes, as adiw or a pointer moved): it still lies above the I/O registers, or still
// comes from the pair given; else nothing is known of what the line changes.
void Offset(Values& next, const Values& before, int r, bool pair, bool lowOnly) {
  const int low = r & ~1;
  const PairAddress a = AddressIn(before, low, lowOnly);
  const std::size_t l = static_cast<std::size_t>(low);
  if (Above(a)) {
    next[l] = next[l + 1] = kMemory;
  } else if (a.kind == PairAddress::kGiven) {
    next[l] = before[l];
    next[l + 1] = before[l + 1];
  } else if (pair) {
    next[l] = next[l + 1] = kAny;
  } else {
    next[static_cast<std::size_t>(r)] = kAny;
  }
}

// A value a routine returns, where it is called with `caller`'s values.
std::uint16_t Returned(std::uint16_t v, const Values& caller, bool lowOnly) {
  if ((v & kKind) != kEntry) return v;
  const int r = v & 0xff;
  const PairAddress a = AddressIn(caller, r & ~1, lowOnly);
  if (Above(a)) return kMemory;
  if (a.kind == PairAddress::kGiven) return static_cast<std::uint16_t>(kEntry | (a.value + (r & 1)));
  return kAny;
}

// The values at the start of a routine (its caller's) or of a handler (the interrupted
// code's: nothing known but Y, the software stack).
Values StartValues(bool handler) {
  Values v{};
  for (std::size_t r = 0; r < v.size(); ++r) v[r] = handler ? kAny : static_cast<std::uint16_t>(kEntry | r);
  if (handler) v[kYl] = v[kYl + 1] = kMemory;
  return v;
}

// What a store whose address is not known may change: SREG (from a value that may have
// bit 7 set), RAMPZ and every register.
void StoreAnywhere(CodeReach& reach, bool calmValue, bool rampz) {
  if (!calmValue) reach.enablesInterrupts = true;
  if (rampz) reach.readsFlash = true;
  reach.written.set();
  reach.usesY = true;
}

}  // namespace

std::optional<CodeReach> CodeMap::From(const std::string& label, std::optional<std::size_t> ownReturn) const {
  const auto line = view_.LabelLine(LowerText(label));
  if (!line) return std::nullopt;
  if (!view_.Understood()) {
    // The text holds what this reading cannot follow as avra does: nothing is known.
    CodeReach r;
    r.unknown = true;
    return r;
  }
  if (!ownReturn) {
    // (run as a handler: of the pairs it stores through, only Y is known)
    Routine r = RoutineReach(*line);
    const Values start = StartValues(true);
    for (int low = 0; low < 32; ++low)
      if ((r.storesThrough >> low & 1) != 0 && !Above(AddressIn(start, low, lowOnly_)))
        StoreAnywhere(r.reach, false, rampz_ >= 0);
    return r.reach;
  }
  Routine handler;
  Walk(*line, handler, ownReturn);
  return handler.reach;
}

long CodeMap::DataEnd() const { return view_.DataEnd(); }

std::optional<int> CodeMap::CellBytes(const std::string& label) const { return view_.CellBytes(LowerText(label)); }

CodeMap::Routine CodeMap::RoutineReach(std::size_t first, const Values* called) const {
  if (called == nullptr) {
    if (const auto it = routines_.find(first); it != routines_.end()) return it->second;
  } else if (const auto it = calledWith_.find({first, *called}); it != calledWith_.end()) {
    return it->second;
  }
  if (walking_.size() >= kCallDepthLimit) {
    // Calls nested deeper than any real program's: nothing is known beyond.
    Routine r;
    r.reach.unknown = true;
    return r;
  }
  if (walking_.count(first) != 0) {
    // A routine that calls itself, further down: what it changes is gathered by its own
    // walk, which is still open. Nothing walked meanwhile is kept as whole.
    metOpenWalk_ = true;
    Routine r;
    r.open = true;
    return r;
  }
  const bool outer = metOpenWalk_;
  metOpenWalk_ = false;
  walking_.insert(first);
  Routine routine;
  Walk(first, routine, std::nullopt, called);
  walking_.erase(first);
  if (!metOpenWalk_) {
    if (called == nullptr)
      routines_.emplace(first, routine);
    else
      calledWith_.emplace(std::make_pair(first, *called), routine);
  }
  metOpenWalk_ = outer || metOpenWalk_;
  return routine;
}

namespace {

// What a walk knows at a line: how deep the hardware stack is below the entry (and has
// been on the way), which
// registers hold nothing that could turn interrupts on if written to SREG (a copy of SREG
// taken in this code, or a value with bit 7 clear), and the same for the values pushed
// (the last pushed in bit 0); the registers' values and the values pushed, for the
// addresses stores go to.
struct WalkState {
  int depth = 0;
  int lowest = 0;  // the least depth on the way here (below 0: the return address taken)
  std::bitset<32> calm;
  std::uint64_t pushedCalm = 0;
  Values value{};
  std::array<std::uint16_t, kPushedValues> pushed{};
  // The Z flag where a compare or test of known values set it (1 set, 0 clear, -1 not
  // known): a branch on it goes one way only (a routine's test of the address it was
  // given against 0 before it stores through it).
  int zero = -1;

  bool operator==(const WalkState&) const = default;
};

// The Z flag after an instruction: worked out for a test or compare of known bytes
// (`operand(n)`: operand n's byte, where known), kept by one that leaves the flags alone
// (`zero`: what it was before), else not known (-1).
template <class Operand>
int ZeroFlag(std::string_view m, int zero, Operand operand) {
  static const std::unordered_map<std::string_view, int> kForms = [] {
    std::unordered_map<std::string_view, int> f;
    // 0: keeps the flags; 1: sets Z from a | b, 2: a & b, 3: a ^ b, 4: a == b, 5: a == 0
    // (a store may write SREG itself)
    for (std::string_view w : {"mov", "movw", "ldi", "lds", "ld", "ldd", "push", "pop", "in", "lpm", "elpm", "sbi", "cbi", "sbic", "sbis", "sbrc", "sbrs", "cpse", "rjmp", "jmp", "nop",
                               "bld", "bst", "swap", "ser", "wdr", "sleep", "break", "sei", "cli", "set", "clt", "sec",
                               "clc", "sen", "cln", "ses", "cls", "sev", "clv", "seh", "clh"})
      f[w] = 0;
    f["or"] = 1;
    f["and"] = 2;
    f["eor"] = 3;
    f["cp"] = 4;
    f["cpi"] = 4;
    f["tst"] = 5;
    return f;
  }();
  if (m == "clr" || m == "sez") return 1;
  if (m == "clz") return 0;
  if (IsBranch(m)) return zero;
  const auto it = kForms.find(m);
  if (it == kForms.end()) return -1;
  if (it->second == 0) return zero;
  const std::optional<int> a = operand(0);
  const std::optional<int> b = it->second == 5 ? std::optional<int>(0) : operand(1);
  if (!a || !b) return -1;
  switch (it->second) {
    case 1: return (*a | *b) == 0 ? 1 : 0;
    case 2: return (*a & *b) == 0 ? 1 : 0;
    case 3: return (*a ^ *b) == 0 ? 1 : 0;
    default: return *a == *b ? 1 : 0;
  }
}

// A store's pointer operand ("X", "X+", "-Y", "Z+5" of std): the pair (26, 28, 30) and
// how far from the pair's value the byte written lies (nullopt: not known).
struct Through {
  int low = 0;
  std::optional<std::int64_t> offset;
};

std::optional<Through> StoreThrough(const AsmView& view, std::string_view mnemonic, std::string_view operand,
                                    std::size_t at) {
  const std::string_view o = TrimBlanks(operand);
  if (o.empty()) return std::nullopt;
  const bool before = o[0] == '-';
  const std::string_view rest = TrimBlanks(o.substr(before ? 1 : 0));
  if (rest.empty()) return std::nullopt;
  const char p = Lower(rest[0]);
  if (p != 'x' && p != 'y' && p != 'z') return std::nullopt;
  Through t;
  t.low = p == 'x' ? 26 : p == 'y' ? 28 : 30;
  const std::string_view after = TrimBlanks(rest.substr(1));
  if (before) {
    if (!after.empty() || mnemonic != "st") return std::nullopt;
    t.offset = -1;
  } else if (after.empty() || after == "+") {
    if (mnemonic != "st") return std::nullopt;
    t.offset = 0;
  } else if (after[0] == '+' && mnemonic == "std" && p != 'x') {
    t.offset = view.Value(after.substr(1), at);
  } else {
    return std::nullopt;
  }
  return t;
}

}  // namespace

void CodeMap::Walk(std::size_t start, Routine& routine, std::optional<std::size_t> ownReturn,
                   const Values* givenValues) const {
  CodeReach& reach = routine.reach;
  bool returns = false;  // a ret at the entry's depth was met (routine.returned holds its values)
  // line and depth -> what all the ways to it at that depth have in common (ways at other
  // depths are kept apart: a ret tells a return from a jump by the depth it is met at)
  std::unordered_map<std::uint64_t, WalkState> seen;
  auto key = [](std::size_t line, int depth) {
    return static_cast<std::uint64_t>(line) << 16 | static_cast<std::uint64_t>(depth + 2 * kDepthLimit);
  };
  WalkState entry;
  entry.value = givenValues != nullptr ? *givenValues : StartValues(ownReturn.has_value());
  std::deque<std::pair<std::size_t, WalkState>> work{{start, entry}};
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
    if (state.depth < -kDepthLimit) {  // a loop that pops: it returns nowhere known
      reach.unknown = true;
      continue;
    }
    if (const auto s = seen.find(key(i, state.depth)); s != seen.end()) {
      WalkState merged = s->second;
      merged.lowest = std::min(merged.lowest, state.lowest);
      if (merged.zero != state.zero) merged.zero = -1;
      merged.calm &= state.calm;
      merged.pushedCalm &= state.pushedCalm;
      Meet(merged.value, state.value, lowOnly_);
      for (std::size_t k = 0; k < kPushedValues; ++k)
        if (merged.pushed[k] != state.pushed[k]) merged.pushed[k] = kAny;
      if (merged == s->second) continue;
      state = merged;
    }
    seen[key(i, state.depth)] = state;
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
      if (r == 28 || r == 29) reach.usesY = true;
    };
    WalkState next = state;
    std::array<bool, 32> valueSet{};  // a value the line leaves is worked out below
    auto setValue = [&](int r, std::uint16_t v) {
      if (r < 0 || r > 31) return;
      next.value[static_cast<std::size_t>(r)] = v;
      valueSet[static_cast<std::size_t>(r)] = true;
    };
    auto offset = [&](int r, bool pair) {
      Offset(next.value, state.value, r, pair, lowOnly_);
      const int low = r & ~1;
      valueSet[static_cast<std::size_t>(low)] = valueSet[static_cast<std::size_t>(low + 1)] = true;
    };
    for (std::size_t n = 0; n < l.count; ++n) {
      if (const int p = MovedPointer(ops[n]); p != 0) {
        change(p);
        change(p + 1);
        offset(p, true);
      }
    }
    // The registers of the first two operands (-1: none) and the second one's value.
    const int first = l.count < 1 ? -1 : Register(ops[0], i).value_or(-1);
    const int second = l.count < 2 ? -1 : Register(ops[1], i).value_or(-1);
    const bool masks = m == "ldi" || m == "andi" || m == "cbr" || m == "ori" || m == "sbr";
    const std::int64_t constant = l.count < 2 || !masks ? -1 : view_.Value(ops[1], i).value_or(-1);
    const std::optional<std::int64_t> constantOperand = m == "subi" && l.count == 2 ? view_.Value(ops[1], i) : std::nullopt;
    std::optional<int> exact;  // the byte an inc, dec or subi of a known byte leaves
    auto calm = [&](int r) { return r >= 0 && state.calm.test(static_cast<std::size_t>(r)); };
    auto valueOf = [&](int r) { return r >= 0 && r <= 31 ? state.value[static_cast<std::size_t>(r)] : kAny; };
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
          setValue(first, valueOf(second));
        } else if (m == "ldi") {
          calmAfter = bit7Clear ? 1 : 0;
          setValue(first, constant >= 0 ? static_cast<std::uint16_t>(kConst | (constant & 0xff)) : kAny);
        } else if (m == "clr" || ((m == "eor" || m == "sub") && second == first)) {
          calmAfter = 1;
          setValue(first, kConst);
        } else if (m == "ser") {
          setValue(first, kConst | 0xff);
        } else if (m == "andi") {
          calmAfter = kept || bit7Clear ? 1 : 0;
        } else if (m == "cbr") {
          calmAfter = kept || bit7Set ? 1 : 0;
        } else if (m == "ori" || m == "sbr") {
          calmAfter = kept && bit7Clear ? 1 : 0;
        } else if (m == "pop") {
          calmAfter = (state.pushedCalm & 1) != 0 ? 1 : 0;
          setValue(first, state.pushed[0]);
        } else if ((m == "inc" || m == "dec" || m == "subi") && (valueOf(first) & kKind) == kConst &&
                   (m != "subi" || constantOperand)) {
          // (a count: worked out, so that a loop that pops a counted number of bytes ends)
          const int before = valueOf(first) & 0xff;
          exact = (m == "inc" ? before + 1 : m == "dec" ? before - 1 : before - static_cast<int>(*constantOperand)) & 0xff;
          setValue(first, static_cast<std::uint16_t>(kConst | *exact));
        } else if (((m == "add" || m == "adc") && second != first) || m == "sub" || m == "sbc" || m == "subi" ||
                   m == "sbci" || m == "inc" || m == "dec") {
          offset(first, false);
        }
      } else {
        reach.unknown = true;
      }
    } else if ((kind & kPair) != 0) {
      if (first >= 0) {
        change(first);
        change(first + 1);
        if (m == "movw" && second >= 0) {
          setValue(first, valueOf(second));
          setValue(first + 1, valueOf(second + 1));
        } else {
          offset(first, true);
        }
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

    // Stores: to SREG (from anything that may have bit 7 set it turns interrupts on), to
    // RAMPZ, to a register through its data address.
    auto storeAt = [&](std::int64_t address, int from) {
      if (sreg_ >= 0 && address == sreg_ + 0x20 && !calm(from)) reach.enablesInterrupts = true;
      if (rampz_ >= 0 && address == rampz_ + 0x20) reach.readsFlash = true;
      if (address >= 0 && address < 32) change(static_cast<int>(address));
    };
    auto storeAnywhere = [&](int from) {
      StoreAnywhere(reach, calm(from), rampz_ >= 0);
      changed.set();
    };
    if (m == "out" && l.count == 2) {
      const std::optional<std::int64_t> io = view_.Value(ops[0], i);
      auto at = [&](std::string_view reg, std::int64_t address) {
        return Is(TrimBlanks(ops[0]), reg) || (address >= 0 && io && *io == address);
      };
      if (at("rampz", rampz_)) reach.readsFlash = true;
      if (at("sreg", sreg_) && !calm(second)) reach.enablesInterrupts = true;
      if (io && spl_ >= 0 && (*io == spl_ || *io == spl_ + 1)) {
        // the stack moved: what a pop finds is not known
        next.pushed.fill(kAny);
        next.pushedCalm = 0;
      }
    } else if (m == "sts" && l.count == 2) {
      if (const std::optional<std::int64_t> address = view_.Value(ops[0], i))
        storeAt(*address, second);
      else
        storeAnywhere(second);
    } else if ((m == "st" || m == "std") && l.count == 2) {
      if (const auto through = StoreThrough(view_, m, ops[0], i)) {
        const PairAddress a = AddressIn(state.value, through->low, lowOnly_);
        if (a.kind == PairAddress::kExact && through->offset)
          storeAt(a.value + *through->offset, second);
        else if (Above(a))
          ;  // (a cell, an array element, the software stack)
        else if (a.kind == PairAddress::kGiven)
          routine.storesThrough |= 1u << a.value;
        else
          storeAnywhere(second);
      } else {
        reach.unknown = true;
      }
    }
    if (m == "sei" || (m == "bset" && l.count > 0 && view_.Value(ops[0], i) == 7))
      reach.enablesInterrupts = true;

    // What the next line finds.
    if (m == "push") {
      next.depth = depth + 1;
      next.pushedCalm = (state.pushedCalm << 1) | (calm(first) ? 1 : 0);
      for (std::size_t k = kPushedValues - 1; k > 0; --k) next.pushed[k] = state.pushed[k - 1];
      next.pushed[0] = valueOf(first);
    } else if (m == "pop") {
      // (below 0 a routine takes its caller's return address)
      next.depth = depth - 1;
      next.lowest = std::min(state.lowest, next.depth);
      next.pushedCalm = state.pushedCalm >> 1;
      for (std::size_t k = 0; k + 1 < kPushedValues; ++k) next.pushed[k] = state.pushed[k + 1];
      next.pushed[kPushedValues - 1] = kAny;
    }
    next.calm &= ~changed;
    for (std::size_t r = 0; r < 32; ++r)
      if (changed.test(r) && !valueSet[r]) next.value[r] = kAny;
    if (m == "movw" && first >= 0 && first < 31 && second >= 0)
      for (int k = 0; k < 2; ++k) next.calm.set(static_cast<std::size_t>(first + k), calm(second + k));
    if (calmAfter >= 0 && first >= 0) next.calm.set(static_cast<std::size_t>(first), calmAfter == 1);

    const bool itself = first >= 0 && first == second && (m == "eor" || m == "cp");  // (zero whatever it holds)
    next.zero = itself ? 1 : ZeroFlag(m, state.zero, [&](int n) -> std::optional<int> {
      if (n == 1 && m == "cpi") {
        const auto k = l.count < 2 ? std::nullopt : view_.Value(ops[1], i);
        if (k) return static_cast<int>(*k & 0xff);
        return std::nullopt;
      }
      const int r = n == 0 ? first : second;
      const std::uint16_t v = valueOf(r);
      if (r < 0 || (v & kKind) != kConst) return std::nullopt;
      return v & 0xff;
    });
    if (exact) next.zero = *exact == 0 ? 1 : 0;

    // Where it goes on.
    const std::size_t after = i + 1;
    if (m == "reti" || m == "ret") {
      // A reti turns interrupts on; the handler's own at its end gives them back to the
      // code it interrupted, after it.
      const bool own = ownReturn && view_.OutputLineStart(i) == ownReturn;
      if (m == "reti" && !own) reach.enablesInterrupts = true;
      // It returns where it was called from, or, having taken whole return addresses and
      // pushed nothing since, to a caller further up (whose own walk goes on after its
      // call). Else it jumps to what bytes pushed since the entry say, as an indirect
      // jump does.
      const bool back = depth == 0 && state.lowest >= 0;
      const bool further = !ownReturn && depth < 0 && depth == state.lowest && -depth % returnBytes_ == 0;
      if (!back && !further) {
        reach.unknown = true;
      } else if (!returns) {
        returns = true;
        routine.returned = back ? state.value : Values{};
      } else {
        Meet(routine.returned, back ? state.value : Values{}, lowOnly_);
      }
      continue;
    }
    if (m == "ijmp" || m == "eijmp") {
      reach.unknown = true;
      continue;
    }
    if (m == "rjmp" || m == "jmp") {
      go(l.count == 0 ? std::nullopt : Target(i, ops[l.count - 1]), next);
      continue;
    }
    if ((kind & kBranch) != 0) {
      const int taken = m == "breq" ? state.zero : m == "brne" && state.zero >= 0 ? 1 - state.zero : -1;
      if (taken != 0) go(l.count == 0 ? std::nullopt : Target(i, ops[l.count - 1]), next);
      if (taken != 1) go(after, next);
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
        next.value.fill(kAny);
      } else {
        Routine routineCalled = RoutineReach(*callee);
        // Given an address below the I/O registers to store through, it is walked again
        // with what it is given here (a null address it tests and passes over).
        bool givenLow = false;
        for (int p = 0; p < 32; ++p)
          if ((routineCalled.storesThrough >> p & 1) != 0 && AddressIn(state.value, p, lowOnly_).kind == PairAddress::kExact &&
              !Above(AddressIn(state.value, p, lowOnly_)))
            givenLow = true;
        if (givenLow) routineCalled = RoutineReach(*callee, &state.value);
        const Routine& called = routineCalled;
        const CodeReach& r = called.reach;
        reach.written |= r.written;
        next.calm &= ~r.written;
        reach.usesY = reach.usesY || r.usesY;
        reach.readsFlash = reach.readsFlash || r.readsFlash;
        reach.enablesInterrupts = reach.enablesInterrupts || r.enablesInterrupts;
        reach.unknown = reach.unknown || r.unknown;
        reach.cells.insert(r.cells.begin(), r.cells.end());
        // Its stores through the pairs it was given, by what they hold here (walked with
        // them, they are the pairs this code was given).
        if (givenLow) routine.storesThrough |= called.storesThrough;
        for (int low = 0; low < 32 && !givenLow; ++low) {
          if ((called.storesThrough >> low & 1) == 0) continue;
          const PairAddress a = AddressIn(state.value, low, lowOnly_);
          if (a.kind == PairAddress::kGiven)
            routine.storesThrough |= 1u << a.value;
          else if (!Above(a))
            StoreAnywhere(reach, false, rampz_ >= 0);
        }
        if (called.open || r.unknown) next.value.fill(kAny);
        for (std::size_t k = 0; k < 32; ++k)
          if (r.written.test(k))
            next.value[k] = givenLow ? called.returned[k] : Returned(called.returned[k], state.value, lowOnly_);
      }
      go(after, next);
      continue;
    }
    if (m == "icall" || m == "eicall") {
      reach.unknown = true;
      next.value.fill(kAny);
      go(after, next);
      continue;
    }
    go(after, next);
  }
}

std::optional<StackDepth> CodeMap::DepthFrom(const std::string& label) const {
  const auto step = view_.LabelStep(LowerText(label));
  if (!step) return std::nullopt;
  // (text this reading cannot follow as avra does: nothing is known)
  if (!view_.Understood()) return StackDepth{0, false};
  return RoutineDepth(*step);
}

std::optional<std::size_t> CodeMap::StepTarget(std::size_t from, bool* inside) const {
  const AsmView::StackLine& s = view_.StackLines()[from];
  const std::optional<std::string_view> operand = TargetOperand(s.code);
  if (!operand) return std::nullopt;
  const std::string o = LowerText(TrimBlanks(*operand));
  if (o == ".") return from;
  if (const AsmPcOperand pc = view_.PcTarget(o, s.address, s.pos); pc.namesPc) {
    if (!pc.target) return std::nullopt;
    return StepRelative(from, *pc.target, inside);
  }
  return view_.LabelStep(o);
}

std::optional<std::size_t> CodeMap::StepRelative(std::size_t from, std::int64_t target, bool* inside) const {
  const std::vector<AsmView::StackLine>& steps = view_.StackLines();
  const std::uint32_t block = steps[from].block;
  // (no line but a run's first begins in a run: the target lying in one, past its first
  // line, is not known to be no line's)
  auto none = [&](std::size_t j) -> std::optional<std::size_t> {
    const AsmView::StackLine& s = steps[j];
    if (inside != nullptr && !s.single && target > s.address && target < static_cast<std::int64_t>(s.address) + s.words)
      *inside = true;
    return std::nullopt;
  };
  std::size_t j = from;
  while (static_cast<std::int64_t>(steps[j].address) < target) {
    ++j;
    if (j >= steps.size() || steps[j].block != block) return none(j - 1);
  }
  while (static_cast<std::int64_t>(steps[j].address) > target) {
    if (j == 0 || steps[j - 1].block != block) return std::nullopt;
    --j;
  }
  if (static_cast<std::int64_t>(steps[j].address) != target) return none(j);
  return j;
}

bool CodeMap::StepsWhole() const {
  const std::vector<AsmView::StackLine>& steps = view_.StackLines();
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (!steps[i].namesPc) continue;
    bool inside = false;
    StepTarget(i, &inside);
    if (inside) return false;
  }
  return true;
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
  const std::vector<AsmView::StackLine>& steps = view_.StackLines();
  if (depthAt_.size() != steps.size()) {
    depthAt_.assign(steps.size(), 0);
    depthWalk_.assign(steps.size(), 0);
  }
  // (a walk started inside this one, for a routine it calls, may take over the marks of
  // steps both come to: this walk then goes over them again, which changes no figure)
  const std::uint32_t walk = ++depthWalks_;
  StackDepth result;
  // A ret met above the entry's depth jumps to what was pushed, unless a line was come to
  // again with less on the stack on the way (a loop that pops a count of bytes: this walk
  // keeps only the most each step was come to with, so the depth after such a loop is
  // too high; the handlers' reading counts those loops through).
  bool aboveEntry = false, lessOnTheWay = false;
  std::vector<std::pair<std::size_t, int>> work{{start, 0}};
  while (!work.empty()) {
    std::size_t i = work.back().first;
    int depth = work.back().second;
    work.pop_back();
    // Straight on, step after step, to where this way ends; the other ways wait. A way
    // that cannot be followed (a jump whose target the text does not give, code running
    // into data or past the end) leaves the depth unknown: a part of it says nothing.
    for (bool on = true; on;) {
      if (i >= steps.size()) {
        result.known = false;
        break;
      }
      if (depth > kDepthLimit) {  // a loop that pushes
        result.known = false;
        break;
      }
      // (a way comes into a run only at its first line: the run's lines are come to as
      // it is)
      if (depthWalk_[i] == walk && depthAt_[i] >= depth) {
        lessOnTheWay = lessOnTheWay || depthAt_[i] > depth;
        break;
      }
      depthWalk_[i] = walk;
      depthAt_[i] = depth;
      result.bytes = std::max(result.bytes, depth);
      const AsmView::StackLine& s = steps[i];
      std::size_t next = i + 1;
      switch (s.step) {
        case StackStep::kOn:
        case StackStep::kPush:
        case StackStep::kPop:
          if (depth + s.most > kDepthLimit) {
            result.known = false;
            on = false;
            break;
          }
          result.bytes = std::max(result.bytes, depth + s.most);
          // (with its return address taken, what a routine pushes is where it returns to)
          if (s.leastPush != AsmView::kNoPush && depth + s.leastPush < 0) result.known = false;
          // (below 0 a routine takes its caller's return address: it returns further up)
          depth += s.net;
          break;
        case StackStep::kReturn:
          // With bytes pushed since the entry, or part of a return address taken, it jumps
          // where they say, as an indirect jump does.
          if (depth > 0)
            aboveEntry = true;
          else if (-depth % returnBytes_ != 0)
            result.known = false;
          on = false;
          break;
        case StackStep::kData:
        case StackStep::kIndirectJump:
          result.known = false;
          on = false;
          break;
        case StackStep::kJump:
          if (const auto to = StepTarget(i)) {
            next = *to;
          } else {
            result.known = false;
            on = false;
          }
          break;
        case StackStep::kBranch:
          if (const auto to = StepTarget(i))
            work.emplace_back(*to, depth);
          else
            result.known = false;
          break;
        case StackStep::kSkip:
          work.emplace_back(i + 2, depth);
          break;
        case StackStep::kCall: {
          const auto callee = StepTarget(i);
          const StackDepth d = callee ? RoutineDepth(*callee) : StackDepth{0, false};
          if (d.known)
            result.bytes = std::max(result.bytes, depth + returnBytes_ + d.bytes);
          else
            result.known = false;
          break;
        }
        case StackStep::kIndirectCall:
          result.known = false;
          break;
      }
      i = next;
    }
  }
  if (aboveEntry && !lessOnTheWay) result.known = false;
  return result;
}

}  // namespace qbc
