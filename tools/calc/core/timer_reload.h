#pragma once
// The timer register values for a wanted time: the overflow reload (TCNT) and compare
// (OCR) values of the 8- and 16-bit AVR timers, from crystal and prescaler.
#include <string>
#include <string_view>

namespace qbc {

struct TimerReload {
  std::string tcnt8;    // Timer0/Timer2 reload, two hex digits or "--"
  std::string ocr8;     // Timer0/Timer2 compare
  std::string tcntHigh; // Timer1/Timer3 reload, high and low byte
  std::string tcntLow;
  std::string ocrHigh;  // Timer1/Timer3 compare, high and low byte
  std::string ocrLow;
  std::string actualTime;  // microseconds, single-precision text, at most 11 characters
};

inline constexpr const char* kNoValue = "--";

// Computes every field from the three input texts (crystal in MHz, prescaler, wanted
// time in microseconds), in single precision. Values that make no sense (a zero crystal
// or prescaler, counts beyond what a register or the rounding can hold) give "--" in
// every field, the actual time included, rather than a number that looks valid.
TimerReload ComputeTimerReload(std::string_view crystalMHz, std::string_view prescaler,
                               std::string_view wantedMicroseconds);

// The low two or four upper-case hex digits of `value` rounded to an integer (two's
// complement for negatives).
std::string Hex2(long long value);
std::string Hex4(long long value);

}  // namespace qbc
