#include "compiler/statements/peripherals/byte_transfers.h"

#include "compiler/codegen/statement_kit.h"

namespace qbc {

namespace {

constexpr const char* kTypeMessage = "Must be Byte, Integer, Word or Long!";

// Bytes of an integer type, 0 for any other.
int ValueBytes(std::uint8_t type) {
  switch (type) {
    case kTypeByte: return 1;
    case kTypeInteger:
    case kTypeWord: return 2;
    case kTypeLong: return 4;
    default: return 0;
  }
}

}  // namespace

void EmitSendValues(CompilerState& st, std::string_view routine) {
  static constexpr const char* kNextByte[] = {"zl,zh", "zl,r18", "zl,r19"};
  for (;;) {
    const std::uint8_t worked = ParseExpression(st, kTypeNone);
    const int bytes = ValueBytes(kit::ItemType(st, worked));
    if (bytes == 0) {
      ReportInPlace(st, kTypeMessage);
    } else {
      EmitCall(st, routine);
      for (int i = 1; i < bytes; ++i) {
        st.out.Instr(Sep::kWide, "mov", kNextByte[i - 1]);
        EmitCall(st, routine);
      }
    }
    if (st.TokText() != ";") return;
    ++st.src.TokenIndex;
  }
}

std::optional<std::uint8_t> ReceivedType(CompilerState& st, std::uint8_t wanted) {
  if (wanted == kTypeNone) return kTypeByte;
  if (ValueBytes(wanted) != 0) return wanted;
  ReportInPlace(st, kTypeMessage);
  return std::nullopt;
}

void EmitReceiveValue(CompilerState& st, std::string_view routine, std::uint8_t type) {
  // The bytes before the last, most significant first, into the registers that hold them.
  static constexpr const char* kLong[] = {"r19,zl", "r18,zl", "zh,zl"};
  const int bytes = ValueBytes(type);
  for (int i = 4 - bytes; i < 3 && bytes > 1; ++i) {
    EmitCall(st, routine);
    st.out.Instr(Sep::kWide, "mov", kLong[i]);
  }
  EmitCall(st, routine);
}

}  // namespace qbc
