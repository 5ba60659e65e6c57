#include "compiler/statements/peripherals/dtmf_statement.h"

#include <string_view>

#include "compiler/base/flags/delay_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/meta_pins.h"

namespace qbc {

void CompileDtmfStatement(CompilerState& st) {
  ClaimInterruptVector(st, "OVF1");
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  kit::LoadValue(st, kTypeByte);
  EmitCall(st, "_DTMF");
  ExpectToken(st, ")");
  st.used.Set(NeedWaitMs);
}

std::optional<DtmfPin> DtmfOutputPin(const CompilerState& st) {
  struct Row {
    std::string_view device;
    DtmfPin pin;
  };
  static constexpr Row kRows[] = {
      {"m8", {'B', 1}},   {"m48", {'B', 1}},  {"m88", {'B', 1}},   {"m168", {'B', 1}},   {"m328p", {'B', 1}},
      {"m16", {'D', 5}},  {"m32", {'D', 5}},  {"m8535", {'D', 5}}, {"m163", {'D', 5}},   {"m323", {'D', 5}},
      {"m64", {'B', 5}},  {"m128", {'B', 5}}, {"m103", {'B', 5}},  {"m1280", {'B', 5}},  {"m2560", {'B', 5}},
      {"m8515", {'D', 5}}, {"m162", {'D', 5}}, {"m644", {'D', 5}}, {"m2561", {'B', 5}},
  };
  for (const Row& r : kRows)
    if (r.device == st.dev.DeviceName) return r.pin;
  return std::nullopt;
}

}  // namespace qbc
