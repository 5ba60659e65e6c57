#include "compiler/statements/hardware/adc_registers.h"

#include <string>

#include "compiler/base/symbols.h"
#include "compiler/frontend/device_facts.h"

namespace qbc {

AdcLayout FindAdcLayout(const CompilerState& st) {
  AdcLayout a;
  a.admux = {"ADMUX", RegisterAddress(st, "admux").value_or(0x07), 0};
  a.adcsra = {"ADCSRA", RegisterAddress(st, "adcsra").value_or(0x06), 0};
  for (int n = 0; n <= 5; ++n) {
    if (DeviceBitNumber(st, "mux" + std::to_string(n)) == n) a.channelBits |= 1 << n;
  }
  if (const auto mux5 = DeviceBitNumber(st, "mux5"); mux5 && *mux5 != 5) {
    if (auto rb = FindRegisterBit(st, {{"adcsrb", "mux5"}})) {
      a.inputsAbove7 = true;
      a.mux5 = rb;
      a.channelBits &= 0x07;  // the single-ended inputs: MUX4:3 stay 0
    }
  }
  a.keptBits = AdcReferenceMask(st);
  if (const auto bit = DeviceBitNumber(st, "adlar")) {
    if (DeviceBitNumber(st, "mux" + std::to_string(*bit)) == *bit) {
      a.adlar = FindRegisterBit(st, {{"adcsrb", "adlar"}});
    } else {
      a.adlar = FindRegisterBit(st, {{"admux", "adlar"}});
      a.keptBits |= 1 << *bit;
    }
  }
  return a;
}

}  // namespace qbc
