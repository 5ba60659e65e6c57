#pragma once
// What a name of the program stands for. Every name the whole program shares (a variable,
// a constant, a $def alias, a label, a Sub, Function or interrupt handler) is entered here
// by its declaration, with the line that declared it; a new declaration asks once whether
// its name is free. Parameters and locals belong to their procedure and stay in its
// records. Names arrive as the tokenizer gives them (in lower case, x, y and z as x_, y_
// and z_), and so names the assembler compares without regard to case compare equal here.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

enum class NameKind : std::uint8_t {
  kVariable,
  kConstant,
  kAlias,
  kLabel,
  kSub,
  kFunction,
  kInterrupt,  // named by its vector; its code is labelled by the vector's number
  kLocal,      // a parameter or local: never entered, it lives in its procedure
};

struct DeclaredName {
  NameKind Kind = NameKind::kVariable;
  std::string FileName;
  std::int32_t LineNumber = 0;
};

struct NameCells {
  // One declaration per name, but for a label beside a constant or alias of its name:
  // the two never meet (see ClaimName).
  std::multimap<std::string, DeclaredName, std::less<>> Names;
};

// Whether a token can name something the program declares: a name, not a keyword, a
// number or a sign.
inline bool IsNameToken(const TokenRecord& token) { return token.Kind == kTokName || token.Kind == kTokCallName; }

// The (first) declaration of a program-wide name, null when the program declares none.
const DeclaredName* FindName(const CompilerState& st, std::string_view name);

// A declaration, as `kind`, of the name the current token gives. When the name is free
// for it, it is entered (a parameter or local is only checked) and the result is true.
// Otherwise a compile error at the current token, which stays where it is, and false: the
// token is no name (a keyword, number or text), or the name is already declared, by the
// program (a second parameter or local of one procedure among them; a label and a constant
// or alias of one name never meet and stand beside each other) or by the assembler (a
// register, a name of the device file) where the assembler would see it, or, for a
// constant or alias, it names a parameter or local that the constant would hide.
bool ClaimName(CompilerState& st, NameKind kind);

// True for a name the assembler already gives a meaning: a CPU register (r0..r31, xl..zh),
// one of its expression functions (low, high, byte1 .. byte4, lwrd, hwrd, page, exp2, log2,
// defined) or any register or bit name of the device definition file. Such a name cannot
// label a variable, a label or a procedure.
bool IsAssemblerName(const CompilerState& st, std::string_view name);

// "Variable", "Label", "Sub", ...: the word the messages name a kind with.
std::string_view NameKindWord(NameKind kind);

// Once every line of the program is written: a label, variable or procedure name of the
// program that the compiler's own lines also define (a library routine or one of its
// labels, a generated label "L0001", a pooled text "S000", a system cell) is reported at
// the line that declared it. The assembler would refuse the second definition at a line
// of the .asm.
void ReportNamesTheCompilerWrites(CompilerState& st);

}  // namespace qbc
