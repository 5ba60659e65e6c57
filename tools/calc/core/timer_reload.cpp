#include "tools/calc/core/timer_reload.h"

#include <cmath>
#include <cstdio>

#include "tools/common/number_text.h"

namespace qbc {

namespace {

std::string HexLow(long long value, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%08llX", static_cast<unsigned long long>(value) & 0xFFFFFFFFull);
  const std::string all(buf);
  return all.substr(all.size() - static_cast<size_t>(digits));
}

TimerReload AllNoValue() {
  return {kNoValue, kNoValue, kNoValue, kNoValue, kNoValue, kNoValue, kNoValue};
}

}  // namespace

std::string Hex2(long long value) { return HexLow(value, 2); }
std::string Hex4(long long value) { return HexLow(value, 4); }

TimerReload ComputeTimerReload(std::string_view crystalMHz, std::string_view prescaler,
                               std::string_view wantedMicroseconds) {
  // The prescaler is a 16-bit integer (ties to even); anything wider cannot be one.
  const double prescaleValue = std::nearbyint(LeadingNumber(prescaler));
  if (!(prescaleValue >= -32768.0 && prescaleValue <= 32767.0)) return AllNoValue();
  const float p = static_cast<float>(prescaleValue);
  const float q = static_cast<float>(LeadingNumber(crystalMHz));
  const float t = p / q;  // microseconds per timer count
  const float n = static_cast<float>(LeadingNumber(wantedMicroseconds)) / t;
  // The hex writers and the register arithmetic work on 32-bit integers; counts that
  // leave that range (or are no number at all) cannot be shown honestly.
  if (!std::isfinite(t) || t == 0.0f || !std::isfinite(n) || std::fabs(n) > 2.0e9f) {
    return AllNoValue();
  }
  const long long r = static_cast<long long>(std::nearbyint(n));  // ties to even

  TimerReload out;
  if (n < 256.0f) {
    out.tcnt8 = Hex2(256 - r);
    out.ocr8 = Hex2(r);
  } else {
    out.tcnt8 = out.ocr8 = kNoValue;
  }
  if (n < 65536.0f) {
    const std::string h = Hex4(65536 - r);
    const std::string c = Hex4(r);
    out.tcntHigh = h.substr(0, 2);
    out.tcntLow = h.substr(2);
    out.ocrHigh = c.substr(0, 2);
    out.ocrLow = c.substr(2);
  } else {
    out.tcntHigh = out.tcntLow = out.ocrHigh = out.ocrLow = kNoValue;
  }
  out.actualTime = SingleText(static_cast<float>(r) * t).substr(0, 11);
  return out;
}

}  // namespace qbc
