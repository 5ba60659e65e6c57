#include "compiler/codegen/handlers/asm_view.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <queue>
#include <unordered_set>
#include <utility>

#include "compiler/base/assembler_names.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/whole_file.h"
#include "compiler/codegen/handlers/asm_expression.h"
#include "compiler/codegen/handlers/asm_instruction.h"

namespace qbc {

namespace {

constexpr int kIncludeDepthLimit = 32;
constexpr int kMacroDepthLimit = 64;
constexpr int kSymbolDepthLimit = 64;


// What may follow an instruction's mnemonic: a blank, a comment or the line's end.
constexpr auto kAfterWord = [] {
  std::array<bool, 256> t{};
  for (const char c : {' ', '\t', ';', '\r'}) t[static_cast<unsigned char>(c)] = true;
  return t;
}();

// The line without its comment (a ";" outside quotes).
std::string_view Code(std::string_view line) {
  const std::size_t semi = line.find(';');
  if (semi == std::string_view::npos) return line;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ';' && !quoted) return line.substr(0, i);
  }
  return line;
}

std::vector<std::string_view> SplitArguments(std::string_view text) {
  std::vector<std::string_view> out;
  if (TrimBlanks(text).empty()) return out;
  std::size_t start = 0;
  int depth = 0;
  bool quoted = false;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] == '"') quoted = !quoted;
    if (i < text.size() && !quoted && text[i] == '(') ++depth;
    if (i < text.size() && !quoted && text[i] == ')') --depth;
    if (i == text.size() || (text[i] == ',' && depth == 0 && !quoted)) {
      out.push_back(TrimBlanks(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  return out;
}

// `name = value` of .def, .equ and .set; `name value` of .define.
std::pair<std::string, std::string_view> NameAndValue(std::string_view rest, bool equals) {
  std::size_t n = 0;
  while (n < rest.size() && AsmLabelChar(rest[n])) ++n;
  const std::string name = LowerText(rest.substr(0, n));
  std::string_view value = TrimBlanks(rest.substr(n));
  if (equals) {
    if (value.empty() || value.front() != '=') return {std::string(), {}};
    value = TrimBlanks(value.substr(1));
  }
  return {name, value};
}

// The words a data line of the code segment takes (directive in lower case); nullopt when
// a string or a character holds what avra may read otherwise (a quote, a comma, a ";").
std::optional<std::uint32_t> DataWords(const std::string& directive, std::string_view values) {
  const std::vector<std::string_view> items = SplitArguments(values);
  for (const std::string_view item : items) {
    const std::size_t quote = item.find('\'');
    if (quote != std::string_view::npos && item.front() != '"' && !(item.size() == 3 && quote == 0 && item[2] == '\''))
      return std::nullopt;
  }
  if (directive == ".dw") return static_cast<std::uint32_t>(items.size());
  if (directive == ".dd") return static_cast<std::uint32_t>(2 * items.size());
  if (directive == ".dq") return static_cast<std::uint32_t>(4 * items.size());
  std::uint32_t bytes = 0;
  for (const std::string_view item : items) {
    if (item.empty() || item.front() != '"') {
      ++bytes;
      continue;
    }
    if (item.size() < 2 || item.back() != '"') return std::nullopt;
    const std::string_view inner = item.substr(1, item.size() - 2);
    if (inner.find('"') != std::string_view::npos) return std::nullopt;
    bytes += static_cast<std::uint32_t>(inner.size());
  }
  return (bytes + 1) / 2;
}

}  // namespace

// The one pass over the text, in avra's order.
class AsmView::Reader {
 public:
  Reader(AsmView& view, AsmFiles& files) : v_(view), files_(files) {}

  void Source(std::string_view text, int includeDepth) {
    std::size_t begin = 0;
    while (begin < text.size() && !exited_) {
      std::size_t end = text.find('\n', begin);
      if (end == std::string_view::npos) end = text.size();
      Process(text.substr(begin, end - begin), includeDepth, 0);
      begin = end + 1;
    }
    exited_ = false;
  }

  void Finish() {
    if (!conditions_.empty() || inMacro_) v_.understood_ = false;
    EndStep();
  }

 private:
  enum class Segment { kCode, kData, kOther };
  struct Condition {
    bool active;     // this branch's lines are read
    bool taken;      // a branch of this .if was taken
    bool outer;      // the lines around the .if are read
  };

  bool Active() const { return conditions_.empty() || (conditions_.back().active && conditions_.back().outer); }

  void Process(std::string_view raw, int includeDepth, int macroDepth) {
    ++position_;
    if (!Placed(raw)) Read(raw, includeDepth, macroDepth);
  }

  // Most lines are an instruction: its label, its place and size, a relative jump's
  // operands and (the code lines kept) its text, found here without the whole reading.
  // False for a line that needs the whole of it: a label alone on its line or before a
  // directive, and whatever is not plainly an instruction.
  bool Placed(std::string_view raw) {
    std::size_t k = 0;
    while (k < raw.size() && (raw[k] == ' ' || raw[k] == '\t')) ++k;
    if (k == raw.size() || raw[k] == ';' || raw[k] == '\r') return true;
    if (raw[k] == '.' || segment_ != Segment::kCode || inMacro_ || !v_.macros_.empty()) return false;
    std::size_t n = k;
    while (n < raw.size() && AsmLabelChar(raw[n])) ++n;
    std::string_view label;
    std::size_t m = k;
    if (n > k && n < raw.size() && raw[n] == ':') {
      label = raw.substr(k, n - k);
      m = n + 1;
      while (m < raw.size() && (raw[m] == ' ' || raw[m] == '\t')) ++m;
      n = m;
      while (n < raw.size() && AsmLabelChar(raw[n])) ++n;
    }
    if (n == m || raw[m] == '.' || (n < raw.size() && !kAfterWord[static_cast<unsigned char>(raw[n])])) return false;
    if (!Active()) return true;
    if (!label.empty()) Label(label);
    const std::string_view mnemonic(raw.data() + m, n - m);
    const std::uint32_t words = InstructionWords(mnemonic, raw.data() + n, raw.size() - n);
    const StackStep step = v_.keep_ == Keep::kLayout ? StackStep::kOn : StackStepOf(mnemonic, form_);
    // (the code of a line that only pushes, pops or goes on is read only where it is kept)
    if (v_.keep_ == Keep::kStack && GoesOn(step)) {
      GoOn(step, words);
      return true;
    }
    const bool read = v_.keep_ == Keep::kAll || (v_.keep_ == Keep::kStack && Leads(step));
    Place(read ? TrimBlanks(Code(raw.substr(m))) : std::string_view(), false, words, step);
    return true;
  }

  // The whole reading of a line.
  void Read(std::string_view raw, int includeDepth, int macroDepth) {
    std::string_view line = TrimBlanks(Code(raw));
    if (line.empty()) return;
    if (inMacro_) {
      const auto [word, rest] = FirstWord(line);
      const std::string w = LowerText(word);
      if (w == ".endm" || w == ".endmacro") {
        inMacro_ = false;
        return;
      }
      v_.macros_[macroName_].body.emplace_back(raw);
      return;
    }
    // A label: a name and ":" at the start of the line.
    std::size_t n = 0;
    while (n < line.size() && AsmLabelChar(line[n])) ++n;
    std::string_view label;
    if (n > 0 && n < line.size() && line[n] == ':' && line[0] != '.') {
      label = line.substr(0, n);
      line = TrimBlanks(line.substr(n + 1));
    }
    const auto [word, rest] = FirstWord(line);
    if (!word.empty() && (word[0] == '.' || word[0] == '#')) {
      // (avra's own device files write some in the preprocessor's way: #ifndef, #define,
      // #pragma, #endif)
      std::string w = LowerText(word);
      w[0] = '.';
      if (Conditional(w, rest)) return;
      if (!Active()) return;
      if (!label.empty()) Label(label);
      Directive(w, rest, includeDepth, macroDepth);
      return;
    }
    if (!Active()) return;
    if (!label.empty()) Label(label);
    if (line.empty()) return;
    // (avra looks a word up among the macros only when it is no instruction)
    if (!v_.macros_.empty() && !IsMnemonic(word)) {
      const auto m = v_.macros_.find(LowerText(word));
      if (m != v_.macros_.end()) {
        Expand(m->second, rest, includeDepth, macroDepth);
        return;
      }
    }
    if (segment_ != Segment::kCode) {
      pending_.clear();
      return;
    }
    const auto [mnemonic, operands] = FirstWord(line);
    const std::uint32_t words = InstructionWords(mnemonic, operands.data(), operands.size());
    Place(line, false, words, StackStepOf(mnemonic, form_));
  }

  void Label(std::string_view label) {
    std::string name = LowerText(label);
    if (segment_ == Segment::kData && dataOpened_) v_.dataLabels_.emplace(name, dataAt_);
    defined_.insert(name);
    if (segment_ == Segment::kCode) {
      // (its line begins a step: a way may come in there)
      v_.codeLabels_.emplace(name, AsmView::Place{address_, block_, static_cast<std::uint32_t>(v_.steps_.size())});
      stepOpen_ = false;
      pendingCode_.push_back(std::move(name));
    } else {
      pending_.push_back(std::move(name));
    }
  }

  // An instruction's size; a relative jump is noted. After the mnemonic on its line: the
  // operands, perhaps a comment (`after`, `size` characters).
  std::uint32_t InstructionWords(std::string_view mnemonic, const char* after, std::size_t size) {
    const InstructionForm form = FormOf(mnemonic);
    form_ = form;
    if (form == InstructionForm::kRelativeJump) NoteJump(mnemonic, {after, size});
    afterSkip_ = form == InstructionForm::kSkip;
    return form == InstructionForm::kTwoWords ? 2 : 1;
  }

  void NoteJump(std::string_view mnemonic, std::string_view after) {
    v_.jumps_.push_back({mnemonic, TrimBlanks(Code(after)), AsmView::Place{address_, block_}, position_, afterSkip_});
  }

  // A line of the code segment that takes `words` words.
  void Place(std::string_view code, bool data, std::uint32_t words, StackStep step) {
    if (v_.keep_ == Keep::kAll) {
      for (const std::string& l : pendingCode_) v_.labels_.emplace(l, v_.lines_.size());
      v_.lines_.push_back({code, data, block_, position_, address_});
    }
    pendingCode_.clear();
    if (v_.keep_ != Keep::kLayout && !data && GoesOn(step)) {
      GoOn(step, words);
      return;
    }
    if (v_.keep_ != Keep::kLayout) {
      Step(code, data ? StackStep::kData : step, words);
      ++stepLines_;
    }
    address_ += words;
  }

  // Most lines go on with the run before them (no label, no jump's target, not after a
  // skip): a push or a pop is counted, no more.
  bool GoesOn(StackStep step) const {
    return stepOpen_ && !Leads(step) && !closeAfterNext_ && targets_.empty() && pendingCode_.empty();
  }
  void GoOn(StackStep step, std::uint32_t words) {
    Count(v_.steps_.back(), step);
    ++stepLines_;
    address_ += words;
  }

  // Whether a line of that step ends a run (it goes elsewhere than to the next line or
  // changes nothing of the stack's depth a run could not count).
  static bool Leads(StackStep step) {
    return step != StackStep::kOn && step != StackStep::kPush && step != StackStep::kPop;
  }

  // The line's part in the stack steps where it may begin one.
  void Step(std::string_view code, StackStep step, std::uint32_t words) {
    bool begins = !stepOpen_ || Leads(step);
    bool closes = closeAfterNext_ || Leads(step);
    closeAfterNext_ = step == StackStep::kSkip;  // (the line after the next one is a way in)
    // A jump to the program counter read before: its line begins a step; one that lands
    // inside the line makes it a step alone (no line begins there).
    while (!targets_.empty() && targets_.top() < address_) targets_.pop();
    while (!targets_.empty() && targets_.top() < address_ + std::max<std::uint32_t>(words, 1)) {
      begins = true;
      if (targets_.top() != address_) closes = true;
      targets_.pop();
    }
    if (begins) {
      EndStep();
      AsmView::StackLine s;
      s.code = code;
      s.pos = position_;
      s.address = address_;
      s.block = block_;
      s.step = step;
      s.leastPush = kNoPush;
      if (step == StackStep::kJump || step == StackStep::kBranch || step == StackStep::kCall) NoteTarget(s);
      v_.steps_.push_back(s);
      stepFirst_ = stepLines_;
      stepEnded_ = false;
    }
    Count(v_.steps_.back(), step);
    stepOpen_ = !closes && v_.stepForm_ == Steps::kRuns;
  }

  // The last step ends where the next line begins (or the block or the text ends): its
  // words and whether it is one line.
  void EndStep() {
    if (v_.steps_.empty() || stepEnded_) return;
    AsmView::StackLine& s = v_.steps_.back();
    s.words = address_ - s.address;
    s.single = stepLines_ - stepFirst_ == 1;
    stepEnded_ = true;
  }

  // A push or a pop counted into its step.
  static void Count(AsmView::StackLine& s, StackStep step) {
    if (step == StackStep::kPush) {
      s.leastPush = std::min(s.leastPush, s.net);
      s.most = std::max(s.most, ++s.net);
    } else if (step == StackStep::kPop) {
      --s.net;
    }
  }

  // Whether a line's target names the program counter, and where it lies ahead.
  void NoteTarget(AsmView::StackLine& s) {
    // (most name a label: the letters "pc" nowhere, no operand names the program counter)
    bool letters = false;
    for (std::size_t k = 1; k < s.code.size() && !letters; ++k)
      letters = (s.code[k - 1] | 0x20) == 'p' && (s.code[k] | 0x20) == 'c';
    if (!letters) return;
    const std::optional<std::string_view> operand = TargetOperand(s.code);
    if (!operand) return;
    const AsmPcOperand pc = v_.PcTarget(LowerText(TrimBlanks(*operand)), address_, position_);
    s.namesPc = pc.namesPc;
    if (pc.target && *pc.target > address_) targets_.push(static_cast<std::uint32_t>(*pc.target));
  }

  // .if and its kin, also in lines that are left out (they nest).
  bool Conditional(const std::string& w, std::string_view rest) {
    if (w == ".if" || w == ".ifdef" || w == ".ifndef") {
      Condition c{false, false, Active()};
      if (c.outer) {
        bool yes = false;
        if (w == ".if") {
          yes = Truth(rest);
        } else {
          const bool defined = Defined(LowerText(TrimBlanks(rest)));
          yes = w == ".ifdef" ? defined : !defined;
        }
        c.active = yes;
        c.taken = yes;
      }
      conditions_.push_back(c);
      return true;
    }
    if (w == ".elif" || w == ".elseif") {
      if (conditions_.empty()) {
        v_.understood_ = false;
        return true;
      }
      Condition& c = conditions_.back();
      c.active = false;
      if (c.outer && !c.taken) {
        c.active = Truth(rest);
        c.taken = c.active;
      }
      return true;
    }
    if (w == ".else") {
      if (conditions_.empty()) {
        v_.understood_ = false;
        return true;
      }
      Condition& c = conditions_.back();
      c.active = !c.taken;
      c.taken = true;
      return true;
    }
    if (w == ".endif") {
      if (conditions_.empty())
        v_.understood_ = false;
      else
        conditions_.pop_back();
      return true;
    }
    return false;
  }

  bool Truth(std::string_view expression) {
    const auto v = v_.ValueAt(expression, position_, 0);
    if (!v) {
      v_.understood_ = false;
      return false;
    }
    return *v != 0;
  }

  bool Defined(const std::string& name) const {
    if (defined_.count(name) != 0) {
      const auto* d = v_.InForce(v_.symbols_, name, position_);
      return d != nullptr || v_.symbols_.count(name) == 0;
    }
    return false;
  }

  void Directive(const std::string& w, std::string_view rest, int includeDepth, int macroDepth) {
    if (w == ".cseg") {
      segment_ = Segment::kCode;
    } else if (w == ".dseg") {
      segment_ = Segment::kData;
    } else if (w == ".eseg") {
      segment_ = Segment::kOther;
    } else if (w == ".org") {
      if (segment_ == Segment::kCode) {
        EndStep();
        ++block_;  // code after it is no continuation
        afterSkip_ = false;
        stepOpen_ = false;
        targets_ = {};
        if (const auto address = v_.ValueAt(rest, position_, 0))
          address_ = static_cast<std::uint32_t>(*address);
        else
          v_.sizesKnown_ = false;
      }
      if (segment_ == Segment::kData) {
        if (const auto address = v_.ValueAt(rest, position_, 0)) dataAt_ = static_cast<long>(*address);
        // The first one opens the data segment; a later one places a variable at an
        // address of its choosing (an overlay, or a cell beyond the internal SRAM).
        placed_ = dataOpened_;
        dataOpened_ = true;
      }
    } else if (w == ".def") {
      auto [name, value] = NameAndValue(rest, true);
      if (!name.empty()) v_.aliases_[name].push_back({position_, std::string(value)});
    } else if (w == ".equ" || w == ".set") {
      auto [name, value] = NameAndValue(rest, true);
      if (!name.empty()) Define(name, value);
    } else if (w == ".define") {
      auto [name, value] = NameAndValue(rest, false);
      if (!name.empty()) Define(name, value.empty() ? std::string_view("1") : value);
    } else if (w == ".undef") {
      const std::string name = LowerText(TrimBlanks(rest));
      if (v_.symbols_.count(name) != 0) v_.symbols_[name].push_back({position_, std::string(), true});
    } else if (w == ".byte") {
      if (segment_ == Segment::kData) {
        if (const auto bytes = v_.ValueAt(rest, position_, 0)) {
          for (const std::string& l : pending_) v_.cellBytes_[l] = static_cast<int>(*bytes);
          dataAt_ += static_cast<long>(*bytes);
          if (!placed_) v_.dataEnd_ = std::max(v_.dataEnd_, dataAt_);
        }
        placed_ = false;
      }
      pending_.clear();
    } else if (w == ".db" || w == ".dw" || w == ".dd" || w == ".dq") {
      if (segment_ == Segment::kCode) {
        const std::optional<std::uint32_t> words = DataWords(w, rest);
        if (!words) v_.sizesKnown_ = false;
        afterSkip_ = false;
        Place(rest, true, words.value_or(0), StackStep::kData);
      } else {
        pending_.clear();
      }
    } else if (w == ".include") {
      Include(rest, includeDepth);
    } else if (w == ".includepath") {
      std::string dir(TrimBlanks(rest));
      if (dir.size() >= 2 && dir.front() == '"' && dir.back() == '"') dir = dir.substr(1, dir.size() - 2);
      files_.includeDirs.push_back(dir);
    } else if (w == ".exit") {
      exited_ = true;
    } else if (w == ".macro") {
      inMacro_ = true;
      macroName_ = LowerText(FirstWord(rest).first);
      v_.macros_[macroName_] = Macro();
    } else if (w == ".endm" || w == ".endmacro") {
      v_.understood_ = false;
    }
    // .device, .list, .nolist, .listmac, .message, .warning, .error, .overlap ...: no code.
  }

  void Define(const std::string& name, std::string_view value) {
    v_.symbols_[name].push_back({position_, std::string(value)});
    defined_.insert(name);
  }

  void Include(std::string_view rest, int includeDepth) {
    std::string name(TrimBlanks(rest));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    if (includeDepth >= kIncludeDepthLimit || name.empty()) {
      v_.understood_ = false;
      return;
    }
    std::vector<std::string> tries;
    if (name.front() == '/') {
      tries.push_back(name);
    } else {
      tries.push_back(files_.folder.empty() ? name : files_.folder + "/" + name);
      for (const std::string& dir : files_.includeDirs) tries.push_back(dir + "/" + name);
    }
    for (const std::string& path : tries) {
      std::optional<std::string> text;
      if (files_.read) {
        text = files_.read(path);
      } else {
        std::string bytes, why;
        if (ReadWholeFile(path, bytes, why) == FileRead::kRead) text = std::move(bytes);
      }
      if (!text) continue;
      v_.texts_.push_back(std::move(*text));
      Source(v_.texts_.back(), includeDepth + 1);
      return;
    }
    v_.understood_ = false;
  }

  // The macro's lines with its arguments in place of @0..@9 and the running number in
  // place of "_%", read as if they stood here.
  void Expand(Macro& macro, std::string_view rest, int includeDepth, int macroDepth) {
    if (macroDepth >= kMacroDepthLimit || rest.find('[') != std::string_view::npos) {
      v_.understood_ = false;
      return;
    }
    const std::vector<std::string_view> args = SplitArguments(rest);
    // (each macro counts its own expansions)
    const std::string number = std::to_string(++macro.expansions);
    const std::vector<std::string> lines = macro.body;  // (a line may define the macro anew)
    for (const std::string& body : lines) {
      std::string line;
      for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '@' && i + 1 < body.size() && std::isdigit(static_cast<unsigned char>(body[i + 1])) != 0) {
          const std::size_t k = static_cast<std::size_t>(body[i + 1] - '0');
          if (k < args.size()) line += args[k];
          ++i;
        } else if (body[i] == '_' && i + 1 < body.size() && body[i + 1] == '%') {
          line += "_" + number;
          ++i;
        } else {
          line += body[i];
        }
      }
      v_.texts_.push_back(std::move(line));
      Process(v_.texts_.back(), includeDepth, macroDepth + 1);
    }
  }

  AsmView& v_;
  AsmFiles& files_;
  std::vector<Condition> conditions_;
  Segment segment_ = Segment::kCode;
  std::uint32_t block_ = 0;
  std::uint32_t address_ = 0;  // of the next code line, in words
  bool afterSkip_ = false;     // the last code line was a skip
  InstructionForm form_ = InstructionForm::kOneWord;  // the last instruction's
  // The stack steps: whether the last one is a run the next line may go on with, whether
  // the next line is a step alone, and the addresses ahead that jumps to the program
  // counter name.
  bool stepOpen_ = false;
  bool closeAfterNext_ = false;
  bool stepEnded_ = true;         // the last step's words are counted
  std::uint32_t stepLines_ = 0;  // code lines placed
  std::uint32_t stepFirst_ = 0;  // the last step's first line among them
  std::priority_queue<std::uint32_t, std::vector<std::uint32_t>, std::greater<>> targets_;
  std::uint32_t position_ = 0;
  long dataAt_ = 0;
  bool dataOpened_ = false;
  bool placed_ = false;
  bool exited_ = false;
  bool inMacro_ = false;
  std::string macroName_;
  // Labels waiting for their line: of the code segment (a code label before a data
  // segment's cells still names the code line after them) and of the others.
  std::vector<std::string> pendingCode_;
  std::vector<std::string> pending_;
  std::unordered_set<std::string> defined_;  // labels and symbols so far, for .ifdef
};

AsmView::AsmView(std::string_view text, AsmFiles files, Keep keep, Text kept, Steps steps)
    : keep_(keep), stepForm_(steps) {
  // The code lines point into the text: kept here when the output may change meanwhile.
  // Only the data need no copy.
  if (keep == Keep::kAll && kept == Text::kCopied) {
    texts_.emplace_back(text);
    text = texts_.front();
  }
  output_ = text;
  // (a line of the output for each code line, nearly: room made once, not grown line by
  // line over a program's hundreds of thousands)
  if (keep == Keep::kAll) lines_.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  Reader reader(*this, files);
  reader.Source(text, 0);
  reader.Finish();
}

std::optional<std::size_t> AsmView::LabelStep(const std::string& lowerName) const {
  const auto it = codeLabels_.find(lowerName);
  if (it == codeLabels_.end() || it->second.step >= steps_.size()) return std::nullopt;
  return it->second.step;
}

std::optional<std::string_view> TargetOperand(std::string_view code) {
  std::size_t m = 0;
  while (m < code.size() && code[m] != ' ' && code[m] != '\t') ++m;
  const std::string_view text = TrimBlanks(code.substr(m));
  if (text.empty()) return std::nullopt;
  // (an instruction has at most three operands: of more, the third)
  std::string_view last;
  std::size_t start = 0, count = 0;
  int depth = 0;
  for (std::size_t k = 0; k <= text.size() && count < 3; ++k) {
    if (k < text.size() && text[k] == '(') ++depth;
    if (k < text.size() && text[k] == ')') --depth;
    if (k == text.size() || (text[k] == ',' && depth == 0)) {
      last = TrimBlanks(text.substr(start, k - start));
      ++count;
      start = k + 1;
    }
  }
  return last;
}

std::optional<std::size_t> AsmView::LabelLine(const std::string& lowerName) const {
  const auto it = labels_.find(lowerName);
  if (it == labels_.end() || it->second >= lines_.size()) return std::nullopt;
  return it->second;
}

const AsmView::Definition* AsmView::InForce(const std::unordered_map<std::string, std::vector<Definition>>& table,
                                            const std::string& name, std::size_t at) const {
  const auto it = table.find(name);
  if (it == table.end() || it->second.empty()) return nullptr;
  const std::vector<Definition>& defs = it->second;
  // The last one before the line; before the first, the last of all.
  const Definition* found = &defs.back();
  for (const Definition& d : defs) {
    if (d.at > at) break;
    found = &d;
  }
  return found->removed ? nullptr : found;
}

std::optional<int> AsmView::Alias(const std::string& lowerName, std::size_t at) const {
  if (aliases_.empty()) return std::nullopt;
  const Definition* d = InForce(aliases_, lowerName, at < lines_.size() ? lines_[at].pos : at);
  if (d == nullptr) return std::nullopt;
  return CpuRegisterNumber(TrimBlanks(d->text));
}

std::optional<std::int64_t> AsmView::SymbolValue(const std::string& name, std::size_t at, int depth,
                                                 bool labels) const {
  const Definition* d = InForce(symbols_, name, at);
  if (d == nullptr && labels) {
    const auto label = dataLabels_.find(name);
    if (label != dataLabels_.end()) return label->second;
  }
  if (d == nullptr || depth > kSymbolDepthLimit) return std::nullopt;
  // (worked out with the definitions before its own line: ".set n = n + 1")
  return ValueAt(d->text, d->at == 0 ? 0 : d->at - 1, depth + 1, labels);
}

std::optional<std::int64_t> AsmView::ValueAt(std::string_view expression, std::size_t at, int depth,
                                             bool labels) const {
  // A name alone (a variable's label, SREG) or a number alone: most operands are one.
  const std::string_view e = TrimBlanks(expression);
  if (!e.empty() && std::all_of(e.begin(), e.end(), [](char c) { return AsmNameChar(c); })) {
    if (std::isdigit(static_cast<unsigned char>(e[0])) == 0) {
      if (symbols_.empty() && (!labels || dataLabels_.empty())) return std::nullopt;
      return SymbolValue(LowerText(e), at, depth, labels);
    }
    if (e.size() < 2 || (e[1] != 'x' && e[1] != 'X' && e[1] != 'b' && e[1] != 'B')) {
      std::int64_t v = 0;
      for (const char c : e) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0 || v > (std::int64_t{1} << 40)) return std::nullopt;
        v = v * 10 + (c - '0');
      }
      return v;
    }
  }
  const AsmSymbolValue value = [&](std::string_view name) {
    return SymbolValue(std::string(name), at, depth, labels);
  };
  const AsmSymbolDefined defined = [&](std::string_view name) {
    return InForce(symbols_, std::string(name), at) != nullptr;
  };
  return AsmExpressionValue(expression, value, defined);
}

AsmPcOperand AsmView::PcTarget(std::string_view operand, std::uint32_t address, std::uint32_t pos) const {
  const AsmSymbolValue value = [&](std::string_view name) { return SymbolValue(std::string(name), pos, 0); };
  const AsmSymbolDefined defined = [&](std::string_view name) {
    return InForce(symbols_, std::string(name), pos) != nullptr;
  };
  return AsmPcTarget(operand, address, value, defined);
}

std::optional<std::int64_t> AsmView::Value(std::string_view expression, std::size_t at) const {
  return ValueAt(expression, at < lines_.size() ? lines_[at].pos : at, 0, true);
}

std::optional<std::size_t> AsmView::OutputOffset(std::string_view piece) const {
  const auto p = reinterpret_cast<std::uintptr_t>(piece.data());
  const auto begin = reinterpret_cast<std::uintptr_t>(output_.data());
  if (p < begin || p > begin + output_.size()) return std::nullopt;
  return static_cast<std::size_t>(p - begin);
}

std::optional<std::size_t> AsmView::OutputLineStart(std::size_t i) const {
  std::optional<std::size_t> at = OutputOffset(lines_[i].code);
  if (!at) return std::nullopt;
  while (*at > 0 && output_[*at - 1] != '\n') --*at;
  return at;
}

std::optional<AsmView::Place> AsmView::LabelPlace(const std::string& lowerName) const {
  const auto it = codeLabels_.find(lowerName);
  if (it == codeLabels_.end()) return std::nullopt;
  return it->second;
}

std::optional<int> AsmView::CellBytes(const std::string& lowerName) const {
  const auto it = cellBytes_.find(lowerName);
  if (it == cellBytes_.end()) return std::nullopt;
  return it->second;
}

}  // namespace qbc
