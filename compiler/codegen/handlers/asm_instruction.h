#pragma once
// What the readers of the compiler's own output (the placing of the code, the handlers'
// walk, the far-jump pass, the pass over procedure bodies) know of an instruction line by
// its mnemonic alone, as avra knows it: its size, whether it jumps relative to itself and
// whether it skips the next line. Every line of the output is looked at, so a mnemonic's
// letters are compared as one number.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace qbc {

// The text without the blanks (and a carriage return) around it.
inline std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The first word of a line (up to a blank) and the rest, trimmed.
inline std::pair<std::string_view, std::string_view> FirstWord(std::string_view line) {
  std::size_t m = 0;
  while (m < line.size() && line[m] != ' ' && line[m] != '\t') ++m;
  return {line.substr(0, m), TrimBlanks(line.substr(m))};
}

// Whether `c` may stand in a label, a .def or a symbol's name as a line writes it: the
// characters of a name and "." (a table: every line is looked at).
inline bool AsmLabelChar(char c) {
  static constexpr auto kChars = [] {
    std::array<bool, 256> t{};
    for (int k = 0; k < 256; ++k)
      t[static_cast<std::size_t>(k)] = (k >= '0' && k <= '9') || (k >= 'a' && k <= 'z') || (k >= 'A' && k <= 'Z') ||
                                       k == '_' || k == '.';
    return t;
  }();
  return kChars[static_cast<unsigned char>(c)];
}

enum class InstructionForm : std::uint8_t {
  kOneWord,
  kTwoWords,      // lds, sts, jmp, call
  kRelativeJump,  // rjmp, rcall and every branch (br..): one word
  kSkip,          // sbrc, sbrs, sbic, sbis, cpse: may pass over the next line; one word
};

namespace asm_instruction_detail {
// A letter in lower case as a byte of a packed word (c | 0x20 is a letter only for that
// letter in either case).
constexpr std::uint32_t Low(char c) { return static_cast<unsigned char>(c) | 0x20u; }
constexpr std::uint32_t Packed(char a, char b, char c, char d = 0) {
  return Low(a) | Low(b) << 8 | Low(c) << 16 | (d == 0 ? 0 : Low(d) << 24);
}
}  // namespace asm_instruction_detail

// The form of a mnemonic in any letter case.
inline InstructionForm FormOf(std::string_view m) {
  using asm_instruction_detail::Low;
  using asm_instruction_detail::Packed;
  switch (m.size()) {
    case 3: {
      const std::uint32_t key = Packed(m[0], m[1], m[2]);
      return key == Packed('l', 'd', 's') || key == Packed('s', 't', 's') || key == Packed('j', 'm', 'p')
                 ? InstructionForm::kTwoWords
                 : InstructionForm::kOneWord;
    }
    case 4: {
      const std::uint32_t key = Packed(m[0], m[1], m[2], m[3]);
      // (every four-letter word of avra's that begins with "br" is a branch)
      if ((key & 0xffff) == (Packed('b', 'r', 'x') & 0xffff) || key == Packed('r', 'j', 'm', 'p'))
        return InstructionForm::kRelativeJump;
      if (key == Packed('c', 'a', 'l', 'l')) return InstructionForm::kTwoWords;
      if (key == Packed('s', 'b', 'r', 'c') || key == Packed('s', 'b', 'r', 's') || key == Packed('s', 'b', 'i', 'c') ||
          key == Packed('s', 'b', 'i', 's') || key == Packed('c', 'p', 's', 'e'))
        return InstructionForm::kSkip;
      return InstructionForm::kOneWord;
    }
    case 5:
      return Packed(m[0], m[1], m[2], m[3]) == Packed('r', 'c', 'a', 'l') && Low(m[4]) == 'l'
                 ? InstructionForm::kRelativeJump
                 : InstructionForm::kOneWord;
    default:
      return InstructionForm::kOneWord;
  }
}

// What a line does to the hardware stack and to where the code goes on, by its mnemonic
// alone (the depth walk reads no more of most lines).
enum class StackStep : std::uint8_t {
  kOn,
  kPush,
  kPop,
  kReturn,        // ret, reti
  kIndirectJump,  // ijmp, eijmp
  kJump,          // rjmp, jmp
  kBranch,        // br..
  kSkip,          // sbrc, sbrs, sbic, sbis, cpse
  kCall,          // rcall, call
  kIndirectCall,  // icall, eicall
  kData,          // .db, .dw, ... in the code
};

// (`form`: the mnemonic's, FormOf)
inline StackStep StackStepOf(std::string_view m, InstructionForm form) {
  using asm_instruction_detail::Low;
  using asm_instruction_detail::Packed;
  switch (form) {
    case InstructionForm::kRelativeJump:
      return Low(m[0]) == 'b' ? StackStep::kBranch : m.size() == 5 ? StackStep::kCall : StackStep::kJump;
    case InstructionForm::kSkip:
      return StackStep::kSkip;
    case InstructionForm::kTwoWords:
      // (call is the only one of four letters; of lds, sts and jmp, jmp jumps)
      return m.size() == 4 ? StackStep::kCall : Low(m[0]) == 'j' ? StackStep::kJump : StackStep::kOn;
    case InstructionForm::kOneWord:
      break;
  }
  // (ret, reti, pop, push, ijmp, icall, eijmp, eicall: most lines are none of them)
  const std::uint32_t first = Low(m[0]);
  if (first != 'r' && first != 'p' && first != 'i' && first != 'e') return StackStep::kOn;
  switch (m.size()) {
    case 3: {
      const std::uint32_t key = Packed(m[0], m[1], m[2]);
      return key == Packed('r', 'e', 't') ? StackStep::kReturn : key == Packed('p', 'o', 'p') ? StackStep::kPop : StackStep::kOn;
    }
    case 4: {
      const std::uint32_t key = Packed(m[0], m[1], m[2], m[3]);
      return key == Packed('p', 'u', 's', 'h')   ? StackStep::kPush
             : key == Packed('r', 'e', 't', 'i') ? StackStep::kReturn
             : key == Packed('i', 'j', 'm', 'p') ? StackStep::kIndirectJump
                                                 : StackStep::kOn;
    }
    case 5: {
      const std::uint32_t key = Packed(m[0], m[1], m[2], m[3]);
      if (key == Packed('i', 'c', 'a', 'l') && Low(m[4]) == 'l') return StackStep::kIndirectCall;
      return key == Packed('e', 'i', 'j', 'm') && Low(m[4]) == 'p' ? StackStep::kIndirectJump : StackStep::kOn;
    }
    case 6:
      return Packed(m[0], m[1], m[2], m[3]) == Packed('e', 'i', 'c', 'a') && Low(m[4]) == 'l' && Low(m[5]) == 'l'
                 ? StackStep::kIndirectCall
                 : StackStep::kOn;
    default:
      return StackStep::kOn;
  }
}

inline StackStep StackStepOf(std::string_view m) { return StackStepOf(m, FormOf(m)); }

// Whether avra reads a word as one of its instructions, in any letter case (whether or
// not the device has it): such a word names the instruction even where a macro of the
// same name is defined.
inline bool IsMnemonic(std::string_view word) {
  static const std::unordered_set<std::string_view> kMnemonics = {
      "nop",  "sec",   "clc",    "sen",  "cln",   "sez",    "clz",  "sei",  "cli",  "ses",  "cls",  "sev",
      "clv",  "set",   "clt",    "seh",  "clh",   "sleep",  "wdr",  "ijmp", "eijmp", "icall", "eicall", "ret",
      "reti", "spm",   "espm",   "break", "lpm",  "elpm",   "bset", "bclr", "ser",  "com",  "neg",  "inc",
      "dec",  "lsr",   "asr",    "ror",  "swap",  "push",   "pop",  "tst",  "clr",  "lsl",  "rol",  "breq",
      "brne", "brcs",  "brcc",   "brsh", "brlo",  "brmi",   "brpl", "brge", "brlt", "brhs", "brhc", "brts",
      "brtc", "brvs",  "brvc",   "brie", "brid",  "rjmp",   "rcall", "jmp", "call", "brbs", "brbc", "add",
      "adc",  "sub",   "sbc",    "and",  "or",    "eor",    "cp",   "cpc",  "cpse", "mov",  "movw", "mul",
      "muls", "mulsu", "fmul",   "fmuls", "fmulsu", "adiw", "sbiw", "subi", "sbci", "andi", "ori",  "sbr",
      "cpi",  "ldi",   "cbr",    "sbrc", "sbrs",  "bst",    "bld",  "in",   "out",  "sbic", "sbis", "sbi",
      "cbi",  "lds",   "sts",    "ld",   "st",    "ldd",    "std"};
  if (word.size() > 6) return false;
  char lower[6];
  for (std::size_t k = 0; k < word.size(); ++k)
    lower[k] = word[k] >= 'A' && word[k] <= 'Z' ? static_cast<char>(word[k] - 'A' + 'a') : word[k];
  return kMnemonics.count(std::string_view(lower, word.size())) != 0;
}

// The words an instruction takes in the flash.
inline int InstructionWords(std::string_view mnemonic) {
  return FormOf(mnemonic) == InstructionForm::kTwoWords ? 2 : 1;
}

// The offsets (the target less the word after the line) a line of the relative form
// reaches.
struct RelativeReach {
  long least;
  long most;
};
inline constexpr RelativeReach kJumpReach{-2048, 2047};  // rjmp, rcall
inline constexpr RelativeReach kBranchReach{-64, 63};    // br..

// Whether a mnemonic of the relative form is a branch (not rjmp or rcall).
inline bool IsBranch(std::string_view mnemonic) {
  return FormOf(mnemonic) == InstructionForm::kRelativeJump && (mnemonic[0] | 0x20) == 'b';
}

}  // namespace qbc
