#include "compiler/frontend/dim_parser.h"

#include <cmath>

#include "compiler/base/source_names.h"
#include "compiler/base/decl_text.h"
#include "compiler/frontend/proc_declarations.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/names.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/base/symbols.h"

namespace qbc {

namespace {

constexpr int kMaxGlobalVars = 255;
constexpr int kMaxBitVars = 16;

// The rest of a Dim item up to the next "," or the end of the statement (a ":" starts the
// next statement and is left for the caller).
void SkipToItemEnd(CompilerState& st) {
  HoldOnLine(st);
  while (!IsWord(st.Tok(), ",") && !IsWord(st.Tok(), ":") && !AtLineEnd(st)) ++st.src.TokenIndex;
}

// The optional "At address" after a type: a four-digit "&h" address above 7fff reads as
// negative and means the same unsigned address.
void ParseAtClause(CompilerState& st, TypeClauseTarget target) {
  if (st.TokText() != "at") return;
  ++st.src.TokenIndex;
  std::int32_t address = ParseAmpConstant(st);
  if (address < 0) address += 65536;
  if (target.global) target.global->Address = address;
  ++st.src.TokenIndex;
}

// Where the data segment puts global record `index`: the variables lie one after the
// other in declaration order from RAMSTART, from its address on for one placed with "At"
// and those after it. A Dim in the code follows the system cells the program head wrote
// after the declarations. `placed` tells whether an "At" decided the address.
long DataAddress(const CompilerState& st, int index, bool& placed) {
  long address = st.dev.RamStart;
  placed = false;
  for (int i = 1; i <= index; ++i) {
    const GlobalVarRecord& v = st.sym.GlobalVars[i];
    if (v.Storage != kStorageSram || v.VarType <= kTypeBit) continue;
    if (v.Address > 0) {
      address = v.Address;
      placed = true;
    }
    if (i == index) break;
    address += v.Size;
  }
  if (st.src.DeclarationsEnded && st.sym.GlobalVars[index].Address == 0) address += st.sym.SystemVarBytes;
  return address;
}

}  // namespace

void ParseDimList(CompilerState& st) {
  st.expr.InDimList = true;
  do {
    ++st.src.TokenIndex;
    ParseDimVariable(st);
    HoldOnLine(st);
  } while (st.TokText() == ",");
}

void ParseDimVariable(CompilerState& st) {
  st.expr.StringVarFlag = false;
  long count = 1;
  bool isArray = false;

  const std::string name = st.TokText();

  // A name that cannot be declared is read to its end like any declaration, but no record
  // is touched and nothing is counted: an earlier declaration stays as it was.
  GlobalVarRecord scratch;
  GlobalVarRecord* rec = &scratch;
  bool duplicate = false;
  if (!ClaimName(st, NameKind::kVariable)) {
    duplicate = true;
  } else if (st.sym.GlobalVarCount >= kMaxGlobalVars) {
    ReportInPlace(st, "Too many variables!");
    duplicate = true;
  } else {
    ++st.sym.GlobalVarCount;
    rec = &st.sym.GlobalVars[st.sym.GlobalVarCount];
    rec->Name = name;
  }
  ++st.src.TokenIndex;

  if (st.TokText() == "(") {
    isArray = true;
    ++st.src.TokenIndex;
    if (st.TokText() != ")") {
      count = ParseAmpConstant(st);
      rec->IndexType = ParseFloatConstant(st, std::to_string(count));
      ++st.src.TokenIndex;
    }
    ExpectToken(st, ")");
    if (count < 1) {
      // An array of no element would take no bytes: its first element would be the next
      // variable.
      ReportInPlace(st, "Array " + UpperText(SourceName(name)) + " needs at least one element!");
      count = 1;
    }
  }

  const std::uint8_t type = ParseVarTypeInto(st, TypeClauseTarget{rec, nullptr});
  int elementSize = 0;
  if (type == kTypeBit) {
    if (isArray) {
      ReportInPlace(st, "Array can not be Bit type!");
    } else if (!duplicate) {
      elementSize = st.sym.BitVarCount;
      ++st.sym.BitVarCount;
      if (st.sym.BitVarCount > kMaxBitVars) ReportInPlace(st, "Just 16 Bit vars!");
    }
  } else {
    elementSize = ParseAtAddressInto(st, type, TypeClauseTarget{rec, nullptr});
  }

  rec->VarType = type;
  if (elementSize > 255) {
    ReportInPlace(st, "Oops, 255 ia Max String Lenght!");
    elementSize = 255;
  }
  rec->ElementSize = static_cast<std::uint8_t>(elementSize);
  long size = static_cast<long>(elementSize) * count;
  if (size > 32767 || size < 0) {
    ReportInPlace(st, "Variable " + SourceName(name) + " is too big!");
    size = 0;
  }
  rec->Size = static_cast<std::int16_t>(size);
  // SRAM ends at RAMEND: a variable beyond it has no memory, and the assembler refuses
  // the data segment without saying which variable it was. Of the variables the data
  // segment lays out one after the other, the one that goes past the end is reported
  // (those after it only follow it there).
  bool placed = false;
  const long at = duplicate ? 0 : DataAddress(st, st.sym.GlobalVarCount, placed);
  const std::string ramEnd = " RAMEND (&H" + HexUpper(static_cast<std::uint32_t>(st.dev.RamEnd)) + ")!";
  if (!duplicate && rec->Storage == kStorageSram && type > kTypeBit && st.dev.RamEnd > 0 &&
      (placed || (st.dev.RamStart > 0 && at <= st.dev.RamEnd + 1)) && at + size - 1 > st.dev.RamEnd) {
    if (placed)
      ReportInPlace(st, "Variable " + SourceName(name) + " at &H" + HexUpper(static_cast<std::uint32_t>(at)) +
                            " lies beyond" + ramEnd);
    else
      ReportInPlace(st, "Variable " + SourceName(name) + " ends at &H" +
                            HexUpper(static_cast<std::uint32_t>(at + size - 1)) + ", beyond" + ramEnd);
  }

  if (!duplicate) {
    if (type != kTypeNone && type != kTypeBit && !st.expr.StringVarFlag)
      st.sym.UserVarBytes = static_cast<std::int16_t>(st.sym.UserVarBytes + size);
    // (a flash table takes no SRAM: its label is the one its list of values writes)
    if (st.src.DeclarationsEnded && elementSize > 0 && type != kTypeBit && rec->Storage != kStorageFlash) {
      st.out.Line();
      st.out.Instr(".DSEG");
      st.out.InstrAfter(name + ":" + st.out.Gap(Sep::kWide), Sep::kNarrow, ".byte", std::to_string(size));
      st.out.Instr(".CSEG");
    }
  }
  SkipToItemEnd(st);
}

// The target follows InDimList: a Dim list writes the global record being declared, any
// other caller the local record being declared.
std::uint8_t ParseVarType(CompilerState& st) {
  TypeClauseTarget target;
  if (st.expr.InDimList)
    target.global = &st.sym.GlobalVars[st.sym.GlobalVarCount];
  else
    target.local = &st.sym.LocalVars[st.sym.LocalVarCount];
  return ParseVarTypeInto(st, target);
}

std::uint8_t ParseAtAddress(CompilerState& st, std::uint8_t type) {
  TypeClauseTarget target;
  if (st.expr.InDimList) target.global = &st.sym.GlobalVars[st.sym.GlobalVarCount];
  int size = ParseAtAddressInto(st, type, target);
  return static_cast<std::uint8_t>(size > 255 ? 255 : size);
}

std::uint8_t ParseVarTypeInto(CompilerState& st, TypeClauseTarget target) {
  ExpectToken(st, "as");
  const std::string storage = st.TokText();
  if (storage == "xram") {
    if (target.global) target.global->Storage = kStorageXram;
    // Switching the bus on writes MCUCR bits that mean sleep modes on chips without one.
    if (HasExternalMemoryBus(st)) {
      st.cfg.XramEnabled = true;
      ++st.src.TokenIndex;
    } else {
      CompileError(st, "No external memory bus on this device!");
    }
  } else if (storage == "flash") {
    if (!st.expr.InParamList) {
      if (target.global) {
        target.global->Storage = kStorageFlash;
        st.expr.StringVarFlag = true;
      } else if (target.local) {
        target.local->Storage = kStorageFlash;
      }
    }
    ++st.src.TokenIndex;
  }

  const std::string word = st.TokText();
  std::uint8_t type = kTypeNone;
  if (word == "bit") type = kTypeBit;
  else if (word == "byte") type = kTypeByte;
  else if (word == "integer") type = kTypeInteger;
  else if (word == "word") type = kTypeWord;
  else if (word == "string") type = st.expr.StringVarFlag ? kTypeFlashString : kTypeString;
  else if (word == "long") type = kTypeLong;
  else if (word == "float") {
    type = kTypeFloat;
    st.sym.FloatVarDeclared = true;
  } else {
    ReportInPlace(st, "Unsuported var type " + SourceName(word));
  }
  ++st.src.TokenIndex;

  ParseAtClause(st, target);
  return type;
}

int ParseAtAddressInto(CompilerState& st, std::uint8_t type, TypeClauseTarget target) {
  switch (type) {
    case kTypeBit: return 0;
    case kTypeByte: return 1;
    case kTypeInteger:
    case kTypeWord: return 2;
    case kTypeLong:
    case kTypeFloat: return 4;
    case kTypeFlashString: return 0;
    case kTypeString: break;
    default: return 0;
  }
  int size = 0;
  ExpectToken(st, "*");
  std::string lengthText = LowerText(st.TokText());
  int c = FindConst(st, lengthText);
  if (c > 0) lengthText = st.sym.Constants[c].Value;
  const double length = IsWholeNumberText(lengthText) ? std::floor(LeadingNumber(lengthText)) : 0.0;
  if (length <= 0.0) {
    CompileError(st, "Must be numeric constant");
  } else {
    size = length > 100000.0 ? 100001 : static_cast<int>(length) + 1;
    ++st.src.TokenIndex;
  }
  ParseAtClause(st, target);
  return size;
}

}  // namespace qbc
