#include "compiler/statements/math/shift_rotate.h"

#include <algorithm>
#include <string>

#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/labels.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/operand_store.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/math/function_result.h"

namespace qbc {

namespace {

enum class BitMove { kShift, kRotate };

struct MoveRoutine {
  const char* label;
  UsedFlag flag;
};

// [shift, rotate][byte, 16 bits, long][left, right]; each routine counts r24 down to zero,
// so a count of 0 runs 256 passes.
const MoveRoutine kRoutines[2][3][2] = {
    {{{"_ShtBL", NeedShiftLeftByte}, {"_ShtBR", NeedShiftRightByte}},
     {{"_ShtWL", NeedShiftLeftWord}, {"_ShtWR", NeedShiftRightWord}},
     {{"_ShtLL", NeedShiftLeftLong}, {"_ShtLR", NeedShiftRightLong}}},
    {{{"_RotBL", NeedRotateLeftByte}, {"_RotBR", NeedRotateRightByte}},
     {{"_RotWL", NeedRotateLeftWord}, {"_RotWR", NeedRotateRightWord}},
     {{"_RotLL", NeedRotateLeftLong}, {"_RotLR", NeedRotateRightLong}}},
};

// 0 byte, 1 integer or word, 2 long; -1 for a type without bits to move.
int WidthIndex(std::uint8_t type) {
  switch (type) {
    case kTypeByte: return 0;
    case kTypeInteger:
    case kTypeWord: return 1;
    case kTypeLong: return 2;
    default: return -1;
  }
}

// The count as the source gives it: a number written out, or an expression computed at
// run time (kept on the stack while the variable is loaded).
struct MoveCount {
  bool constant = false;
  long value = 0;       // the count, held at 65535 for any longer one
  long residue = 0;     // the count modulo 256, also of a count of any length
};

// The leading digits of a number token: no count is too long to read ("1.5" is 1).
MoveCount ConstantCount(const std::string& text) {
  MoveCount count;
  count.constant = true;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    const int digit = c - '0';
    count.value = std::min(count.value * 10 + digit, 65535L);
    count.residue = (count.residue * 10 + digit) % 256;
  }
  return count;
}

MoveCount ReadCount(CompilerState& st, BitMove move) {
  MoveCount count;
  if (st.Tok().Kind == kTokNumber && st.TokText(1) == ",") {
    count = ConstantCount(st.TokText());
    ++st.src.TokenIndex;
    return count;
  }
  if (move == BitMove::kRotate) {
    // the reporter steps over the count token
    CompileError(st, "Must be numeric constant");
    while (!kit::AtStatementEnd(st) && st.TokText() != ",") ++st.src.TokenIndex;
    return count;
  }
  kit::LoadValue(st, kTypeByte);
  st.out.Instr(Sep::kNarrow, "push", "zl");
  return count;
}

// The value moved in the working registers of `width`; the count in r24 (popped from the
// stack for an expression).
void EmitMove(CompilerState& st, BitMove move, int width, bool left, const MoveCount& count) {
  const MoveRoutine& r = kRoutines[move == BitMove::kRotate][width][left ? 0 : 1];
  if (!count.constant) {
    // a count of 0 leaves the value as it is: the routine would run 256 passes
    const std::string done = NewLabel(st);
    st.out.Instr(Sep::kNarrow, "pop", "r24");
    st.out.Instr(Sep::kWide, "tst", "r24");
    st.out.Instr(Sep::kNarrow, "breq", done);
    CallLibrary(st, r.label, r.flag);
    EmitLabel(st, done);
    return;
  }
  if (move == BitMove::kShift) {
    if (count.value == 0) return;
    if (width == 0 && count.value == 1) {
      st.out.Instr(Sep::kWide, left ? "lsl" : "lsr", "zl");
      return;
    }
    // 255 passes clear every width, as any longer shift does
    st.out.Instr(Sep::kWide, "ldi", "r24," + Dec(std::min(count.value, 255L)));
  } else {
    // 256 passes bring every width back to where it was
    st.out.Instr(Sep::kWide, "ldi", "r24," + Dec(count.residue));
  }
  CallLibrary(st, r.label, r.flag);
}

// Stores the moved value back into the variable named `name` (a local or a global).
bool StoreBack(CompilerState& st, const std::string& name, std::uint8_t type) {
  if (FindLocalVar(st, name) != 0) {
    EmitStoreFrameVar(st, name, "zl", type);
    return true;
  }
  if (const int g = FindGlobalVar(st, name); g != 0 && st.sym.GlobalVars[g].Storage != kStorageFlash) {
    EmitStoreVariable(st, name, "zl", type);
    return true;
  }
  return false;
}

std::uint8_t CompileBitMove(CompilerState& st, BitMove move, std::uint8_t wanted) {
  const bool inExpression = st.expr.StatementContext;
  FunctionResult result(st, wanted);
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  const std::string direction = LowerText(st.TokText());
  const bool left = direction == "left";
  const bool known = left || direction == "right";
  if (known)
    ++st.src.TokenIndex;
  else
    CompileError(st, "Left or Right!");
  kit::ExpectComma(st);
  const MoveCount count = ReadCount(st, move);
  kit::ExpectComma(st);

  const std::string name = st.TokText();
  // a statement writes the value back: only a plain variable has a place for it
  const bool plainName = st.Tok().Kind == kTokName && st.TokText(1) == ")";
  if (st.Tok().Kind == kTokNumber || (!inExpression && !plainName)) {
    CompileError(st, "Last parameter must be Variable!");
    if (!count.constant) st.out.Instr(Sep::kNarrow, "pop", "r24");
    while (!kit::AtStatementEnd(st) && st.TokText() != ")") ++st.src.TokenIndex;
    ExpectToken(st, ")");
    return result.Yield(kTypeByte);
  }
  const std::uint8_t worked = ParseExpression(st, kTypeNone);
  const std::uint8_t type = kit::ItemType(st, worked);
  const int width = WidthIndex(type);
  if (width < 0) {
    ReportInPlace(st, move == BitMove::kShift ? "Must be numeric var!" : "Must be numeric var!\"");
  }
  if (width >= 0 && known) {
    EmitMove(st, move, width, left, count);
    if (!inExpression && !StoreBack(st, name, type)) ReportInPlace(st, "Last parameter must be Variable!");
  } else if (!count.constant) {
    st.out.Instr(Sep::kNarrow, "pop", "r24");
  }
  ExpectToken(st, ")");
  return result.Yield(width >= 0 ? type : std::uint8_t{kTypeByte});
}

}  // namespace

std::uint8_t CompileShiftStatement(CompilerState& st, std::uint8_t wanted) {
  return CompileBitMove(st, BitMove::kShift, wanted);
}

std::uint8_t CompileRotateStatement(CompilerState& st, std::uint8_t wanted) {
  return CompileBitMove(st, BitMove::kRotate, wanted);
}

}  // namespace qbc
