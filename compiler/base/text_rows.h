#pragma once
// Routine text as tables of rows (label, mnemonic, operands, conditions).
//
// Most library routines are fixed text that varies only by a handful of device and
// configuration conditions; keeping them as tables keeps every label searchable in the
// source and lets one routine's variants (RAM size, lead character, number format) share
// one table instead of copies of code.
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace qbc {
struct CompilerState;
}

namespace qbc::textrows {

// Conditions of a row; a row is written when every bit it carries holds.
enum RowCond : std::uint16_t {
  kAlways = 0,
  kY16 = 1 << 0,      // RamEnd above 255: the high byte of Y/Z/X pointer lines
  kBigRam = 1 << 1,   // RamEnd above 256
  kSmallRam = 1 << 2, // RamEnd 256 or less
  kLead = 1 << 3,     // the lead-character variant of a number-to-text routine
  kSep1 = 1 << 4,     // one TAB between mnemonic and operands whatever the mnemonic
  kNoY16 = 1 << 5,    // RamEnd 255 or less
};

// How the separator between mnemonic and operands is chosen.
enum class SepStyle : std::uint8_t {
  kByLength,  // two TABs after mnemonics of two or three letters, one TAB after longer ones
  kByKind,    // one TAB before jump/call targets, after skips, push, subi, sbci, andi, swap,
              // adiw; two TABs otherwise
};

// Special mnemonics:
//   "@lpm"  a flash read into r0 (one "lpm r0,Z+" line where the core has it, otherwise
//           the bare load and an "adiw zl,0x01"); the operands are ignored.
//   "@call" the device's call mnemonic, one TAB before the target.
//   ""      with a label: the label alone ("label:"); without a label: the operands are
//           written as one whole line.
struct Row {
  std::string_view label;
  std::string_view mnem;
  std::string_view ops;
  std::uint16_t cond = kAlways;
};

using Rows = std::vector<Row>;

// Active conditions for this compilation and a set of variant bits chosen by the emitter.
std::uint16_t DeviceConds(const CompilerState& st);

// Writes the rows whose conditions hold in `active`.
void WriteRows(CompilerState& st, const Rows& rows, std::uint16_t active,
               SepStyle style = SepStyle::kByLength);

// Writes the empty line and the header comment line that open a routine.
void WriteHeader(CompilerState& st, std::string_view header);

// A whole routine from a table: the header as WriteHeader writes it, then the rows whose
// conditions hold for this device together with the emitter's `variant` bits.
void WriteRoutine(CompilerState& st, std::string_view header, const Rows& rows, std::uint16_t variant = kAlways,
                  SepStyle style = SepStyle::kByLength);

// The flash read into r0 (with an optional label).
void WriteFlashRead(CompilerState& st, std::string_view label);

// Numeric value of the `$stack` text (decimal, or hexadecimal after "&h"); -1 when the
// text is empty or not a number.
long StackSizeValue(const CompilerState& st);

// Appends row lists.
Rows Join(std::initializer_list<const Rows*> parts);

}  // namespace qbc::textrows
