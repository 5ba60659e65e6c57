#pragma once
// Listens to a DTMF generator's PWM: the compare value written at each Timer1 overflow is
// one sample of the tone at the clock / 510 sampling rate. The samples are cut into bursts
// (a pause of more than four sample times ends one), and each burst's two strongest tones
// are found by a discrete Fourier transform (Hann window, scanned in 0.1 Hz steps around
// the peaks of a 2 Hz scan from 500 to 2000 Hz).
//
//   test::DtmfAnalyser ear(16.0);
//   auto run = test::RunBasic(src, "m8", 50'000'000, [&](test::SimRunner& s) { ear.Watch(s, 0x4A); });
//   auto bursts = ear.Bursts();  // {low, high} in Hz per burst
#include <cstdint>
#include <utility>
#include <vector>

#include "tests/support/sim_runner.h"

namespace qbc::test {

class DtmfAnalyser {
 public:
  explicit DtmfAnalyser(double mhz) : mhz_(mhz) {}

  // Records the writes to the compare register's low byte at data address `ocr1al`.
  void Watch(SimRunner& sim, std::uint32_t ocr1al);
  // The two strongest tones of each burst, lower first.
  std::vector<std::pair<double, double>> Bursts() const;
  // Samples per burst, and the cycles between a burst's samples (510 for the PWM).
  std::vector<std::size_t> BurstLengths() const;
  std::uint64_t LongestSampleStep() const;

 private:
  std::vector<std::vector<double>> Split() const;
  double mhz_;
  std::vector<std::pair<std::uint64_t, int>> samples_;  // cycle, value
};

}  // namespace qbc::test
