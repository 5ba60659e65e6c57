#include "compiler/base/names.h"

#include "compiler/base/assembler_names.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/line_errors.h"
#include "compiler/base/source_names.h"

namespace qbc {

namespace {

bool IsProcedure(NameKind kind) {
  return kind == NameKind::kSub || kind == NameKind::kFunction || kind == NameKind::kInterrupt;
}

// The kinds whose name the generated code writes as a label (or .equ) of its own.
bool WrittenForTheAssembler(NameKind kind) {
  return kind == NameKind::kVariable || kind == NameKind::kLabel || kind == NameKind::kSub ||
         kind == NameKind::kFunction;
}

std::string WithArticle(NameKind kind) {
  const std::string_view word = NameKindWord(kind);
  return (word[0] == 'A' || word[0] == 'I' ? "an " : "a ") + std::string(word);
}

// A second declaration of the same kind keeps each declaration's own message.
std::string DuplicateMessage(NameKind kind, const std::string& shown) {
  switch (kind) {
    case NameKind::kVariable: return "Duplicate var name " + shown;
    case NameKind::kConstant: return "Const " + shown + " already defined!";
    case NameKind::kAlias: return "Duplicate alias name " + shown;
    case NameKind::kLabel: return "Duplicate label name " + shown;
    case NameKind::kSub: return "Duplicate sub name " + shown;
    case NameKind::kFunction: return "duplicate sub name " + shown;
    case NameKind::kInterrupt: return "Duplicate Interrupt name " + shown;
    case NameKind::kLocal: break;
  }
  return "Duplicate var name " + shown;
}

// A parameter or local of any procedure named `name`: a constant or alias of that name
// would be read in its place inside the procedure.
const LocalVarRecord* AnyLocalNamed(const CompilerState& st, std::string_view name) {
  for (long i = 1; i <= st.sym.LocalVarCount; ++i)
    if (st.sym.LocalVars[i].Name == name) return &st.sym.LocalVars[i];
  return nullptr;
}

// Whether a declaration as `kind` and one as `declared` of the same name would be mixed up.
bool Clash(NameKind kind, NameKind declared) {
  // A parameter or local hides the program's variables, labels and procedures of its name
  // inside its procedure; only a constant or alias would hide it.
  if (kind == NameKind::kLocal) return declared == NameKind::kConstant || declared == NameKind::kAlias;
  // A label lives in the .asm alone and is read only as a jump's target; a constant or
  // alias never reaches the .asm (its value or register is written) and is never a target.
  const auto apart = [](NameKind a, NameKind b) {
    return a == NameKind::kLabel && (b == NameKind::kConstant || b == NameKind::kAlias);
  };
  return !apart(kind, declared) && !apart(declared, kind);
}

// The declaration of `name` whose label the generated code writes, null when none is.
const DeclaredName* WrittenDeclaration(const CompilerState& st, std::string_view name) {
  const auto [first, last] = st.Cells<NameCells>().Names.equal_range(name);
  for (auto it = first; it != last; ++it)
    if (WrittenForTheAssembler(it->second.Kind)) return &it->second;
  return nullptr;
}

// A parameter or local of the procedure being declared or defined named `name`.
const LocalVarRecord* LocalOfCurrentProcedure(const CompilerState& st, std::string_view name) {
  for (long i = 1; i <= st.sym.LocalVarCount; ++i) {
    const LocalVarRecord& v = st.sym.LocalVars[i];
    if (v.OwnerProc == st.sym.CurrentSubName && v.Name == name) return &v;
  }
  return nullptr;
}

// A name token names anything; a keyword, number or text only what the program never
// writes in the keyword's place: a handler is named by its vector (a keyword such as
// int0), and four keywords name constants that read back as values.
bool CanName(const TokenRecord& token, NameKind kind) {
  if (IsNameToken(token) || kind == NameKind::kInterrupt) return true;
  if (kind != NameKind::kConstant || token.Kind != kTokKeyword) return false;
  return token.Text == "true" || token.Text == "false" || token.Text == "on" || token.Text == "off";
}

// A parameter or local is a variable to the user.
std::string IllegalNameMessage(const std::string& name, NameKind kind) {
  const std::string_view word = kind == NameKind::kLocal ? "Variable" : NameKindWord(kind);
  return SourceName(name) + " is ilegal name for " + std::string(word) + "!";
}

bool IsLabelStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsLabelChar(char c) { return IsLabelStart(c) || (c >= '0' && c <= '9'); }

// The name one line of assembler text defines: "name:" in column 0, or the symbol of an
// .equ, .set or .def directive; empty for none.
std::string_view DefinedName(std::string_view line) {
  std::size_t i = 0;
  if (!line.empty() && IsLabelStart(line[0])) {
    while (i < line.size() && IsLabelChar(line[i])) ++i;
    return i < line.size() && line[i] == ':' ? line.substr(0, i) : std::string_view();
  }
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  const std::string_view rest = line.substr(i);
  if (rest.size() < 5 || rest[0] != '.') return {};
  const std::string directive = LowerText(std::string(rest.substr(0, 4)));
  if (directive != ".equ" && directive != ".set" && directive != ".def") return {};
  i = 4;
  if (rest[i] != ' ' && rest[i] != '\t') return {};
  while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) ++i;
  const std::size_t start = i;
  while (i < rest.size() && IsLabelChar(rest[i])) ++i;
  return rest.substr(start, i - start);
}

}  // namespace

std::string_view NameKindWord(NameKind kind) {
  switch (kind) {
    case NameKind::kVariable: return "Variable";
    case NameKind::kConstant: return "Constant";
    case NameKind::kAlias: return "Alias";
    case NameKind::kLabel: return "Label";
    case NameKind::kSub: return "Sub";
    case NameKind::kFunction: return "Function";
    case NameKind::kInterrupt: return "Interrupt";
    case NameKind::kLocal: return "Local";
  }
  return "Name";
}

bool IsAssemblerName(const CompilerState& st, std::string_view name) {
  // The assembler's expression functions, in any letter case: a label of such a name is
  // read as the function where an operand names it ("Missing ')'"), or ends the assembler.
  if (AsmFunctionNamed(name) || CpuRegisterNumber(name)) return true;
  for (std::size_t i = 1; i < st.sym.IoRegisters.size(); ++i)
    if (st.sym.IoRegisters[static_cast<long>(i)].Name == name) return true;
  return false;
}

const DeclaredName* FindName(const CompilerState& st, std::string_view name) {
  const auto& names = st.Cells<NameCells>().Names;
  const auto it = names.find(name);
  return it == names.end() ? nullptr : &it->second;
}

bool ClaimName(CompilerState& st, NameKind kind) {
  const std::string name = st.Tok().Text;
  const std::string shown = SourceName(name);
  if (!CanName(st.Tok(), kind)) {
    ReportInPlace(st, IllegalNameMessage(name, kind));
    return false;
  }
  if (kind == NameKind::kLocal) {
    if (LocalOfCurrentProcedure(st, name) != nullptr) {
      ReportInPlace(st, "Duplicate var name " + shown);
      return false;
    }
  }
  const auto [first, last] = st.Cells<NameCells>().Names.equal_range(name);
  for (auto it = first; it != last; ++it) {
    const DeclaredName* d = &it->second;
    if (!Clash(kind, d->Kind)) continue;
    const bool same = d->Kind == kind || (IsProcedure(d->Kind) && IsProcedure(kind));
    ReportInPlace(st, same ? DuplicateMessage(kind, shown) : shown + " is already " + WithArticle(d->Kind) + "!");
    return false;
  }
  if (WrittenForTheAssembler(kind) && IsAssemblerName(st, name)) {
    // the name's label would be a register or device symbol to the assembler
    ReportInPlace(st, IllegalNameMessage(name, kind));
    return false;
  }
  if (kind == NameKind::kConstant || kind == NameKind::kAlias) {
    if (const LocalVarRecord* local = AnyLocalNamed(st, name)) {
      ReportInPlace(st, shown + " is already a Local of " + UpperText(local->OwnerProc) + "!");
      return false;
    }
  }
  if (kind == NameKind::kLocal) return true;
  const std::size_t level = st.src.IncludeLevel < st.src.IncludeStack.size() ? st.src.IncludeLevel : 0;
  st.Cells<NameCells>().Names.emplace(
      name, DeclaredName{kind, st.src.IncludeStack[level].FileName, st.src.SourceLineNumber});
  return true;
}

void ReportNamesTheCompilerWrites(CompilerState& st) {
  const auto& names = st.Cells<NameCells>().Names;
  if (names.empty()) return;
  std::map<std::string, int, std::less<>> definitions;
  const std::string& text = st.out.Str();
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view defined = DefinedName(std::string_view(text).substr(start, end - start));
    if (!defined.empty()) {
      const std::string name = LowerText(std::string(defined));
      if (WrittenDeclaration(st, name) != nullptr) ++definitions[name];
    }
    start = end + 1;
  }
  for (const auto& [name, count] : definitions) {
    if (count < 2) continue;
    const DeclaredName& d = *WrittenDeclaration(st, name);
    CompileErrorAt(st, d.FileName, d.LineNumber, IllegalNameMessage(name, d.Kind));
  }
}

}  // namespace qbc
