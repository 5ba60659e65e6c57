#include "compiler/frontend/proc_declarations.h"

#include "compiler/base/decl_text.h"
#include "compiler/frontend/handler_cells.h"
#include "compiler/frontend/interrupt_vectors.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/frontend/dim_parser.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/names.h"
#include "compiler/base/source_names.h"
#include "compiler/base/symbols.h"

namespace qbc {

namespace {

constexpr int kMaxProcs = 255;
constexpr int kMaxLocals = 255;

// Enters a new procedure record, or returns null after reporting a name that cannot name
// it (or a full table): the declaration is then read to its end without touching any
// record.
ProcRecord* NewProcRecord(CompilerState& st, const std::string& name, NameKind kind) {
  if (!ClaimName(st, kind)) return nullptr;
  if (st.sym.SubCount >= kMaxProcs) {
    ReportInPlace(st, "Too many procedures!");
    return nullptr;
  }
  ProcRecord& rec = st.sym.Procs[st.sym.SubCount];
  rec.Name = name;
  ++st.sym.SubCount;
  st.sym.CurrentSubIndex = static_cast<std::uint8_t>(st.sym.SubCount - 1);
  return &rec;
}

std::uint8_t DeclareLocalVarFor(CompilerState& st, const std::string& name, ProcRecord* proc) {
  LocalVarRecord scratch;
  LocalVarRecord* rec = &scratch;
  if (proc != nullptr) {
    if (!ClaimName(st, NameKind::kLocal)) {
      proc = nullptr;
    } else if (st.sym.LocalVarCount >= kMaxLocals) {
      ReportInPlace(st, "Too many parameters and locals!");
      proc = nullptr;
    } else {
      ++st.sym.LocalVarCount;
      rec = &st.sym.LocalVars[st.sym.LocalVarCount];
      rec->OwnerProc = st.sym.CurrentSubName;
      rec->Name = name;
      ++st.sym.ParamCounter;
    }
  }
  ++st.src.TokenIndex;
  const std::uint8_t type = ParseVarTypeInto(st, TypeClauseTarget{nullptr, rec});
  int passed = ParseAtAddressInto(st, type, TypeClauseTarget{});
  if (passed > 255) passed = 255;
  if (rec->Storage == kStorageFlash) passed = 2;
  // A bit travels as one byte (0 or 1): the call pushes one byte for it, so its frame
  // slot must count that byte too, or Y would drift on every call.
  if (type == kTypeBit) passed = 1;
  rec->VarType = type;
  if (type == kTypeString) {
    rec->StrLen = static_cast<std::uint8_t>(passed);
    // The slot holds the 16-bit address of the text, which the call pushes on every
    // device (a 1-byte slot on small devices would not match the two bytes pushed).
    passed = 2;
  } else {
    rec->Size = static_cast<std::uint8_t>(passed);
  }
  if (proc != nullptr) {
    if (proc->FrameSize + passed > 255) {
      ReportInPlace(st, "Too many parameters and locals!");
    } else {
      proc->FrameSize = static_cast<std::uint8_t>(proc->FrameSize + passed);
    }
    rec->FrameOffset = proc->FrameSize;
  }
  return static_cast<std::uint8_t>(passed);
}

void ParseParamListFor(CompilerState& st, ProcRecord* proc) {
  st.expr.InDimList = false;
  ExpectToken(st, "(");
  HoldOnLine(st);
  if (st.TokText() != ")") {
    for (;;) {
      if (AtLineEnd(st)) break;
      DeclareLocalVarFor(st, st.TokText(), proc);
      HoldOnLine(st);
      if (st.TokText() != ",") break;
      ++st.src.TokenIndex;
    }
  }
  ExpectToken(st, ")");
  HoldOnLine(st);
  if (proc != nullptr) {
    proc->VarCount = st.sym.ParamCounter;
    proc->ParamCount = st.sym.ParamCounter;
  }
}

}  // namespace

void ParseDeclareSub(CompilerState& st) {
  st.src.TokenIndex = static_cast<std::int16_t>(st.src.TokenIndex + 2);
  const std::string name = st.TokText();
  st.sym.CurrentSubName = name;
  ProcRecord* proc = NewProcRecord(st, name, NameKind::kSub);
  st.sym.ParamCounter = 0;
  ++st.src.TokenIndex;
  ParseParamListFor(st, proc);
  if (st.TokText() == "as") CompileError(st, "Sub can not return");
  HoldOnLine(st);
}

void ParseDeclareFunction(CompilerState& st) {
  st.src.TokenIndex = static_cast<std::int16_t>(st.src.TokenIndex + 2);
  const std::string name = st.TokText();
  st.sym.CurrentSubName = name;
  ProcRecord* proc = NewProcRecord(st, name, NameKind::kFunction);
  st.sym.ParamCounter = 0;
  ++st.src.TokenIndex;
  ParseParamListFor(st, proc);
  ExpectToken(st, "as");
  const std::string word = st.TokText();
  std::uint8_t result = kTypeNone;
  if (word == "byte") result = kTypeByte;
  else if (word == "integer") result = kTypeInteger;
  else if (word == "word") result = kTypeWord;
  else if (word == "long") result = kTypeLong;
  else if (word == "float") result = kTypeFloat;
  if (result == kTypeNone) {
    CompileError(st, "Function can not return Bit or String!");
  } else {
    if (proc != nullptr) proc->ResultType = result;
    ++st.src.TokenIndex;
  }
  HoldOnLine(st);
}

void ParseDeclareInterrupt(CompilerState& st) {
  st.src.TokenIndex = static_cast<std::int16_t>(st.src.TokenIndex + 2);
  const std::string name = st.TokText();
  // The handler definition finds its vector (and so its "IntN" label) through the same
  // lookup.
  const int vector = FindInterruptVector(st, name);

  if (vector == 0) {
    ReportInPlace(st, "Unsupported Interrupt type!");
  } else {
    if (vector > st.sym.HighestVectorUsed) st.sym.HighestVectorUsed = static_cast<std::uint8_t>(vector);
    st.sym.CurrentSubName = name;
    ProcRecord* proc = NewProcRecord(st, name, NameKind::kInterrupt);
    if (proc != nullptr) {
      st.sym.InterruptVectors[vector].Used = true;
      proc->Used = true;
      HandlerCells& handlers = st.Cells<HandlerCells>();
      for (const HandlerCells::LibraryVector& l : handlers.LibraryVectors)
        if (l.Vector == vector) ReportInPlace(st, VectorTakenMessage(UpperText(SourceName(name)), l.By));
      handlers.Declared.push_back(
          {name, st.src.IncludeStack[st.src.IncludeLevel].FileName, st.src.SourceLineNumber, vector});
    }
  }
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  ExpectToken(st, ")");
  HoldOnLine(st);
  if (st.TokText() == "as") CompileError(st, "Interrupt can not return!");
  HoldOnLine(st);
}

void ParseParamList(CompilerState& st) { ParseParamListFor(st, &st.sym.Procs[st.sym.CurrentSubIndex]); }

std::uint8_t DeclareLocalVar(CompilerState& st, const std::string& name) {
  return DeclareLocalVarFor(st, name, &st.sym.Procs[st.sym.CurrentSubIndex]);
}

}  // namespace qbc
