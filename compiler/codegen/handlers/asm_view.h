#pragma once
// The generated program as avra reads it, for the readers of the compiler's own output
// (what a handler's code changes, what the data segment reserves). avra reads more than
// the instruction lines: `.include` brings in a file (looked for in the folder avra runs
// in, then in its include folders), `.if`/`.ifdef`/`.ifndef`/`.elif`/`.else`/`.endif`
// leave lines out, `.macro` lines are written out where the macro is named (with @0..@9
// and the running number of "_%"; a word that is an instruction names the instruction,
// whatever macro bears its name), `.exit` ends the file it stands in, and `.def`, `.equ`,
// `.set` and `.define` give names their meaning (also written with "#" in place of the
// ".", as avra's own device files do). This reading follows it line by line, so
// that what the chip runs and what the compiler reads cannot differ:
// - a `.def` or `.set` name means, at a line, the last definition before that line, or,
//   before the first, the last one of the whole text (avra's second pass starts where
//   its first ended);
// - a condition is worked out with the names defined before it, as avra does.
// Where the reading cannot follow avra (a condition it cannot work out, a file it cannot
// read, a macro's typed form "[...]"), it says so (Understood() is false): a reader must
// then assume the worst of all code.
//
// The reading is light: each line is looked at once for a label, a directive or a macro's
// name, and an instruction for its size; what an instruction does is read only by those
// who walk to it.
//
// The code is placed as avra places it: every instruction takes one word but lds, sts,
// jmp and call (two); a .db line its bytes (a string one per character between its
// quotes, as avra reads it, with no escapes; any other value one) made even, a .dw line
// one word per value; .org sets the address.
#include <cstddef>
#include <climits>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "compiler/codegen/handlers/asm_expression.h"
#include "compiler/codegen/handlers/asm_instruction.h"

namespace qbc {

// Where avra looks for an included file, and how a file is read (tests give their own).
struct AsmFiles {
  std::string folder;                    // the folder avra runs in (the .asm's)
  std::vector<std::string> includeDirs;  // its -I folders
  // The file's text, nullopt when it cannot be read; empty: read from the disk.
  std::function<std::optional<std::string>(const std::string& path)> read;
};

// The operand a jump, branch or call goes to (its last), as written; nullopt for a line
// without operands.
std::optional<std::string_view> TargetOperand(std::string_view code);

class AsmView {
 public:
  // kLayout: the code lines are not kept, only the data segment and where the code lies:
  // its labels and its relative jumps (the memory check and the reach of the jumps need
  // no more). kStack: that and the stack steps (the depth of the hardware stack, which
  // every program is checked for, needs no more). kAll: the code lines and the stack
  // steps.
  enum class Keep { kAll, kLayout, kStack };
  // How the stack steps are cut: kRuns, lines that only push, pop or go on to the next
  // line are taken together up to where a way may come in; kEveryLine, each line is a
  // step of its own (where a jump to the program counter may land inside such a run).
  enum class Steps { kRuns, kEveryLine };
  // kCopied: the code lines kept are views of a copy of the text, which may change
  // meanwhile; kStays: of the text itself, which stays as it is while this reading is read
  // (a program's output the size of the flash is not copied).
  enum class Text { kCopied, kStays };
  AsmView(std::string_view text, AsmFiles files, Keep keep = Keep::kAll, Text kept = Text::kCopied,
          Steps steps = Steps::kRuns);

  // One line of the code segment that avra assembles.
  struct Line {
    std::string_view code;  // mnemonic and operands (no label, no comment), trimmed
    bool data = false;      // .db, .dw, ...: code does not run into it
    std::uint32_t block = 0;  // lines of one block follow one another in the flash (.org starts a new one)
    std::uint32_t pos = 0;    // the line's place among all lines read (the definitions in force)
    std::uint32_t address = 0;  // in the flash, in words
  };
  // Where a label or a line lies in the flash.
  struct Place {
    std::uint32_t address = 0;  // in words
    std::uint32_t block = 0;    // as Line::block
    std::uint32_t step = 0;     // a label's: the stack step its line begins
  };
  // The code as the depth of the hardware stack sees it: the code lines in their order,
  // cut into steps. A step is one line that jumps, branches, skips, calls, returns or is
  // data, or a run of lines that only push, pop or go on to the next line, which a way
  // enters only at its first line (a label's line, the lines after a skip's next line and
  // the line a jump to the program counter names, read as the text is, begin a step).
  struct StackLine {
    std::string_view code;     // a line's mnemonic and operands (empty for a run)
    std::uint32_t pos = 0;     // as Line::pos (of a line)
    std::uint32_t address = 0;  // of its first line, in words
    std::uint32_t words = 0;
    std::uint32_t block = 0;   // as Line::block
    // A run's: the most pushed before, between or after its lines (below its first), the
    // least before one of its pushes (kNoPush for none) and what it pushes in all.
    std::int32_t most = 0;
    std::int32_t leastPush = 0;
    std::int32_t net = 0;
    StackStep step = StackStep::kOn;
    bool single = true;   // one line
    bool namesPc = false;  // a line whose target operand names the program counter
  };
  static constexpr std::int32_t kNoPush = INT32_MAX;
  // A line that jumps or calls by an offset from itself: rjmp, rcall or a conditional
  // branch (br..), in the order read (in both kinds of reading).
  struct RelativeJump {
    std::string_view mnemonic;  // as written (a view of the text read)
    std::string_view operands;  // as written, without the comment, trimmed
    Place place;
    std::uint32_t pos = 0;      // as Line::pos
    bool afterSkip = false;     // the line before it can skip it (sbrc, sbrs, sbic, sbis, cpse)
  };
  std::size_t Size() const { return lines_.size(); }
  const Line& At(std::size_t i) const { return lines_[i]; }
  const std::vector<StackLine>& StackLines() const { return steps_; }
  // The stack step the label's line (lower case) begins; nullopt for none.
  std::optional<std::size_t> LabelStep(const std::string& lowerName) const;
  // The first code line at or after the label (lower case); nullopt for none.
  std::optional<std::size_t> LabelLine(const std::string& lowerName) const;
  // The register a .def name (lower case) means at code line `at`.
  std::optional<int> Alias(const std::string& lowerName, std::size_t at) const;
  // The value of an expression at code line `at` (.equ, .set and .define names, and the
  // labels of the data segment: a cell's address).
  std::optional<std::int64_t> Value(std::string_view expression, std::size_t at) const;

  // Where an operand naming the program counter ("PC+2", "pc - 0x03", "PC+N") goes from a
  // line at `address` (in words), with the definitions in force at `pos` (Line::pos,
  // RelativeJump::pos); `namesPc` is false for any other operand.
  AsmPcOperand PcTarget(std::string_view operand, std::uint32_t address, std::uint32_t pos) const;

  // Where the text line holding code line `i` begins in the output (nullopt for a line of
  // an included file or a macro).
  std::optional<std::size_t> OutputLineStart(std::size_t i) const;
  // Where a piece of the text read (a view this reading gave) stands in the output;
  // nullopt for a piece of an included file or a macro.
  std::optional<std::size_t> OutputOffset(std::string_view piece) const;

  const std::vector<RelativeJump>& RelativeJumps() const { return jumps_; }
  // Where a label of the code segment (lower case) lies; nullopt for none.
  std::optional<Place> LabelPlace(const std::string& lowerName) const;
  // Whether every code line's size is known: false when a .db string holds a quote that
  // avra may read otherwise.
  bool SizesKnown() const { return sizesKnown_; }

  bool Understood() const { return understood_; }
  // The size a data segment line gives the cell (".byte N"); lower case.
  std::optional<int> CellBytes(const std::string& lowerName) const;
  // The address past the last byte the data segment reserves one cell after the other
  // (a variable placed at an address of its own is not counted; 0 when there is none).
  long DataEnd() const { return dataEnd_; }

 private:
  struct Definition {
    std::size_t at;  // code lines before it
    std::string text;
    bool removed = false;  // .undef
  };
  struct Macro {
    std::vector<std::string> body;
    int expansions = 0;  // the running number of "_%"
  };
  class Reader;

  const Definition* InForce(const std::unordered_map<std::string, std::vector<Definition>>& table,
                            const std::string& name, std::size_t at) const;
  // `labels`: the data segment's labels have their addresses (as in an instruction's
  // operand).
  std::optional<std::int64_t> SymbolValue(const std::string& name, std::size_t at, int depth,
                                          bool labels = false) const;
  std::optional<std::int64_t> ValueAt(std::string_view expression, std::size_t at, int depth,
                                      bool labels = false) const;

  Keep keep_;
  Steps stepForm_;
  bool understood_ = true;
  std::deque<std::string> texts_;  // the copy of the output, included files, macro lines
  std::string_view output_;        // the output as read
  std::vector<Line> lines_;
  std::unordered_map<std::string, std::size_t> labels_;
  std::unordered_map<std::string, std::vector<Definition>> aliases_;  // .def
  std::unordered_map<std::string, std::vector<Definition>> symbols_;  // .equ, .set, .define
  std::unordered_map<std::string, Macro> macros_;
  std::unordered_map<std::string, int> cellBytes_;
  std::unordered_map<std::string, long> dataLabels_;  // the data segment's, by address
  long dataEnd_ = 0;
  std::unordered_map<std::string, Place> codeLabels_;
  std::vector<RelativeJump> jumps_;
  std::vector<StackLine> steps_;
  bool sizesKnown_ = true;
};

}  // namespace qbc
