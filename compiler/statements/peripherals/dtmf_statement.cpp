#include "compiler/statements/peripherals/dtmf_statement.h"

#include <string_view>

#include "compiler/base/flags/delay_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/statements/peripherals/dtmf_cells.h"

namespace qbc {

void CompileDtmfStatement(CompilerState& st) {
  // The routine and its handler come with $dtmf (its pin and the tone's length).
  if (!st.Cells<DtmfCells>().DtmfUsed) ReportInPlace(st, "DTMF not configured yet!");
  ClaimInterruptVector(st, "OVF1");
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  // Sixteen keys, 0 to 15: the routine keeps a value in the table's range at run time.
  if (const auto key = kit::ConstantArgument(st); key && (*key < 0 || *key > 15))
    ReportInPlace(st, "Must be from 0 to 15!");
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
