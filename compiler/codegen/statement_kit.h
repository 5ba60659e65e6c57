#pragma once
// What the generator of a statement or function needs most, in one include: reading its
// arguments, checking its punctuation and writing its lines and library calls.
//
//   void CompileFooStatement(CompilerState& st) {
//     ++st.src.TokenIndex;                      // past the keyword
//     kit::LoadValue(st, kTypeByte);            // first argument, as a byte, in zl
//     kit::ExpectComma(st);
//     kit::CompileArgument(st);                 // second argument, in its own type
//     st.out.Instr(Sep::kWide, "mov", "r20,zl"); // one line through the output writer
//     CallLibrary(st, "_Foo", NeedFoo);         // the call and the routine's used flag
//   }
//
// Arguments: ParseExpression(st, wanted) and ParseSum(st, wanted) compile into the type
// wanted (0: the operands' own) and return the type the value went on in.
//
// Lines: st.out.Instr(Sep::kWide or Sep::kNarrow, mnemonic, operands) (two TABs or one
// between mnemonic and operands), st.out.Instr(mnemonic) alone, st.out.Label(label),
// EmitCall(st, label) for a call with the device's call mnemonic.
#include <cstdint>
#include <optional>
#include <string_view>

#include "compiler/base/compile_error.h"
#include "compiler/base/source_names.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/state.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/frontend/source_reader.h"

namespace qbc::kit {

// Compiles the expression at the current token into the working registers (zl, zh, r18,
// r19 as its size needs), converted to `wanted` (0 keeps the expression's own type), and
// returns the type it was loaded as. The token index ends on the first token after it.
// With a number wanted (kTypeAnyNumber: any number in its own type), a text is reported
// ("Only numeric variables!") where the expression is typed.
inline std::uint8_t LoadValue(CompilerState& st, std::uint8_t wanted) {
  ParseExpression(st, wanted);
  return st.sticky.OperandType;
}

// One number argument in its own type.
inline std::uint8_t CompileArgument(CompilerState& st) { return LoadValue(st, kTypeAnyNumber); }

// The "," between two arguments ("Missing \",\"" when it is not there).
inline void ExpectComma(CompilerState& st) { ExpectToken(st, ","); }

// The type of the item just compiled: the type the parse returned (the one it was wanted
// or worked in), else its own.
inline std::uint8_t ItemType(const CompilerState& st, std::uint8_t worked) {
  return worked != 0 ? worked : st.sticky.OperandType;
}

// An item whose value has no type the statement can show, reported in place naming the
// word the item begins with at `itemStart` and then `why` (" cannot stand in a PRINT
// item!"); a name that is no variable is reported as an unknown identifier.
inline void ReportItemCannotStand(CompilerState& st, int itemStart, std::string_view why) {
  const TokenRecord& first = st.src.Tokens[itemStart];
  std::string message;
  if (first.Kind == kTokName && FindLocalVar(st, first.Text) == 0 && FindGlobalVar(st, first.Text) == 0)
    message = UnknownIdentifier(first.Text);
  else
    message = UpperText(SourceName(first.Text)) + std::string(why);
  ReportInPlace(st, message);
}

// How a statement's lines spell the call of the long-to-text routine: the serial print
// lines as it is labelled ("_S2str"), the display and string lines "_S2Str" (the assembler
// matches labels without regard to case).
enum class LongTextLabel { kAsLabelled, kCapitalS };

// Turns the byte, integer, word or long in the working registers into text in the number
// buffer (the call and its routine's used flag); false, with nothing written, for any
// other type.
bool EmitNumberToText(CompilerState& st, std::uint8_t type, LongTextLabel spelling);

// The value of the argument at the current token when it is a constant standing alone: a
// number, a numeric Const, &h.. or &b.., with or without a sign, followed by the end of
// the argument. Nothing for any other expression. The token index does not move.
std::optional<std::int32_t> ConstantArgument(CompilerState& st);

// True on the ":" or the end of the line that ends the statement.
inline bool AtStatementEnd(CompilerState& st) { return IsWord(st.Tok(), ":") || AtLineEnd(st); }

// For a statement that is complete: a word left before its end (or the Else of a one-line
// If) is reported and passed over, never compiled as a statement of its own.
inline void ExpectStatementEnd(CompilerState& st) {
  if (AtStatementEnd(st) || st.TokText() == "else") return;
  CompileError(st, "End of statement expected!");
  SkipToStatementEnd(st);
}

}  // namespace qbc::kit
