#include "compiler/statements/hardware/adc_registers.h"

#include <string>

#include "compiler/base/symbols.h"

namespace qbc {

namespace {

// The bit's number when the device file names it.
std::optional<int> BitOf(const CompilerState& st, const std::string& name) {
  const auto v = DeviceSymbolValue(st, name);
  if (!v || *v < 0 || *v > 7) return std::nullopt;
  return static_cast<int>(*v);
}

}  // namespace

AdcLayout FindAdcLayout(const CompilerState& st) {
  AdcLayout a;
  a.admux = {"ADMUX", RegisterAddress(st, "admux").value_or(0x07), 0};
  a.adcsra = {"ADCSRA", RegisterAddress(st, "adcsra").value_or(0x06), 0};
  for (int n = 0; n <= 5; ++n) {
    if (BitOf(st, "mux" + std::to_string(n)) == n) a.channelBits |= 1 << n;
  }
  if (const auto mux5 = BitOf(st, "mux5"); mux5 && *mux5 != 5) {
    if (auto rb = FindRegisterBit(st, {{"adcsrb", "mux5"}})) {
      a.inputsAbove7 = true;
      a.mux5 = rb;
      a.channelBits &= 0x07;  // the single-ended inputs: MUX4:3 stay 0
    }
  }
  for (const char* name : {"refs0", "refs1", "refs2"}) {
    if (const auto bit = BitOf(st, name)) a.keptBits |= 1 << *bit;
  }
  if (const auto bit = BitOf(st, "adlar")) {
    if (BitOf(st, "mux" + std::to_string(*bit)) == *bit) {
      a.adlar = FindRegisterBit(st, {{"adcsrb", "adlar"}});
    } else {
      a.adlar = FindRegisterBit(st, {{"admux", "adlar"}});
      a.keptBits |= 1 << *bit;
    }
  }
  return a;
}

}  // namespace qbc
