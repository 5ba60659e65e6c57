#pragma once
// What the code that can run from a label does, read from the generated text itself as
// avra reads it (the program's own lines, the procedures, the library routines and the
// files and macros they bring in, asm_view.h): the registers it
// changes, whether it works on Y, reads flash above 64 KB, names certain cells or turns
// interrupts on (its reach), and how deep it takes the hardware stack (its depth). Both
// walks follow each jump and branch to its target, both ways of a skip, and each call into
// the routine it calls (a routine's reach and depth are worked out once). They end at
// "ret" and "reti".
//
// Where the text does not say where the code goes on (an indirect jump or call, a "ret"
// or "reti" reached with bytes pushed since the entry: it jumps to what they say) or a
// line is not understood, the reach is unknown: whatever a reader of the result cares for
// must then be assumed; the depth is then not known either.
//
// A store through X, Y or Z is read as "sts" is where the walk knows the address (a
// constant loaded before, also through pushes, pops and moves); where it does not know
// the address to lie above the I/O registers, the store may write SREG (turning
// interrupts on), RAMPZ and any register. Addresses worked out from a cell's address or
// from Y (the software stack) lie above them: the compiler's own arrays, strings and
// frames; an address a routine is given counts where it is called.
//
// The depth is its own walk, the one every program pays for: it goes over the stack steps
// of the reading (AsmView::StackLines), each a line that jumps, calls or returns or a run
// of lines that only push, pop or go on, so the main program's thousands of lines cost
// little and no record of each line is kept, and each routine's figure (its pushes plus its
// deepest call) is worked out once for all its callers.
#include <array>
#include <bitset>
#include <cstdint>
#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "compiler/codegen/handlers/asm_view.h"

namespace qbc {

struct CodeReach {
  std::bitset<32> written;     // r0 .. r31
  bool usesY = false;          // reads or writes yl/yh, or through Y
  bool readsFlash = false;     // elpm, or a write of RAMPZ
  // sei, bset 7, a reti (but the handler's own at its end), or SREG written from anything
  // but a copy of it or a value with bit 7 clear (also through its data address)
  bool enablesInterrupts = false;
  bool unknown = false;        // an indirect jump or call, or a line not understood
  std::set<std::string> cells; // the watched cell labels its operands name
};

// The deepest the hardware stack goes below a label's entry: pushes and the return
// addresses of calls, with the callees' own; not known where the walk meets pushes without
// bound, an indirect jump or call or a routine that calls itself.
struct StackDepth {
  int bytes = 0;
  bool known = true;
};

class CodeMap {
 public:
  // `text`: the whole output, read as avra reads it (asm_view.h; `files` tells where its
  // included files are); `returnBytes`: what a call pushes (2, or 3 on chips with more
  // than 128 KB of flash); `watchedCells`: cell labels whose mention CodeReach::cells
  // reports (compared without regard to case); `keep`: kAll for the reach (From), kStack
  // where only depths are asked for; `kept`: whether the text may change while this map
  // is read (AsmView::Text).
  CodeMap(std::string_view text, int returnBytes, std::vector<std::string> watchedCells, AsmFiles files = {},
          AsmView::Keep keep = AsmView::Keep::kAll, AsmView::Text kept = AsmView::Text::kCopied);

  // The reach of the code from `label` (compared without regard to case, as the assembler
  // does); nullopt when no code line carries that label. `ownReturn`: where the line of a
  // handler's own closing reti begins in the output (every other reti turns interrupts on).
  std::optional<CodeReach> From(const std::string& label, std::optional<std::size_t> ownReturn = std::nullopt) const;
  // How deep the code from `label` takes the hardware stack; nullopt when no code line
  // carries that label.
  std::optional<StackDepth> DepthFrom(const std::string& label) const;
  // The size a data segment line gives the cell `label` (".byte N").
  std::optional<int> CellBytes(const std::string& label) const;
  // The address past the last byte the data segment reserves one cell after the other
  // (a variable placed at an address of its own is not counted; 0 when there is none).
  long DataEnd() const;
  // The text as read (also where its labels and relative jumps lie).
  const AsmView& View() const { return view_; }

 private:
  // A code line's instruction, read when a walk comes to it.
  struct Line {
    std::string mnemonic;  // lower case; empty for a data line in the code
    std::array<std::string_view, 3> operands;  // as written, trimmed
    std::size_t count = 0;
    bool tooMany = false;  // more operands than an instruction has
  };
  // A routine as its callers see it: its reach, the address pairs it was given that it
  // stores through (bit r: the pair from register r), and what its registers hold when
  // it returns (code_reach.cpp's values).
  struct Routine {
    CodeReach reach;
    std::uint32_t storesThrough = 0;
    std::array<std::uint16_t, 32> returned{};
    bool open = false;  // called inside its own walk, which has not ended
  };
  using Values = std::array<std::uint16_t, 32>;
  Line Decode(std::size_t i) const;
  // `called`: the values its caller calls it with (a routine given an address below the
  // I/O registers, a null address it tests, is walked again with them); its stores
  // through them and what it returns are then said in the caller's terms.
  Routine RoutineReach(std::size_t first, const Values* called = nullptr) const;
  // `ownReturn` given: the walk starts at a handler (the interrupted code's registers),
  // else at a routine (its caller's: `givenValues`, or what each register held).
  void Walk(std::size_t first, Routine& routine, std::optional<std::size_t> ownReturn,
            const Values* givenValues = nullptr) const;
  // The depth walks go over the stack steps (AsmView::StackLines).
  StackDepth RoutineDepth(std::size_t first) const;
  StackDepth WalkDepth(std::size_t first) const;
  // Where the step's line jumps, branches or calls to; `inside` set where the target lies
  // inside a run past its first line (the steps cannot tell whether a line begins there).
  std::optional<std::size_t> StepTarget(std::size_t from, bool* inside = nullptr) const;
  std::optional<std::size_t> StepRelative(std::size_t from, std::int64_t target, bool* inside) const;
  // Whether every jump to the program counter lands where a step begins (or where no
  // line begins).
  bool StepsWhole() const;
  std::optional<std::size_t> Target(std::size_t from, std::string_view operand) const;
  std::optional<std::size_t> Relative(std::size_t from, long words) const;
  std::optional<int> Register(std::string_view operand, std::size_t at) const;

  AsmView view_;
  int returnBytes_;
  std::vector<std::string> watched_;
  std::int64_t sreg_ = -1;   // I/O addresses; -1: the text gives none
  std::int64_t rampz_ = -1;
  std::int64_t spl_ = -1;
  bool lowOnly_ = false;     // the data addresses fit a byte: a pointer is its low byte
  mutable std::string scratch_;
  mutable std::map<std::size_t, Routine> routines_;
  mutable std::map<std::pair<std::size_t, Values>, Routine> calledWith_;
  mutable std::set<std::size_t> walking_;
  mutable bool metOpenWalk_ = false;
  // The depth walks: each routine's figure, the routines being walked, and the deepest
  // each step was come to with by the walk `depthWalk_[step]` names.
  mutable std::unordered_map<std::size_t, StackDepth> depths_;
  mutable std::set<std::size_t> depthWalking_;
  mutable std::vector<std::uint32_t> depthWalk_;
  mutable std::vector<int> depthAt_;
  mutable std::uint32_t depthWalks_ = 0;
};

}  // namespace qbc
