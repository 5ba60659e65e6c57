#include "tests/support/dtmf_analyser.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace qbc::test {

namespace {

constexpr std::uint64_t kSampleCycles = 510;

// |X(f)| of the windowed, mean-free burst at sampling rate fs.
double Magnitude(const std::vector<double>& x, double f, double fs) {
  std::complex<double> sum;
  const double w = -2.0 * std::numbers::pi * f / fs;
  for (std::size_t n = 0; n < x.size(); ++n) sum += x[n] * std::polar(1.0, w * static_cast<double>(n));
  return std::abs(sum);
}

// The strongest frequency within [from, to] to 0.1 Hz.
double Peak(const std::vector<double>& x, double fs, double from, double to, double exclude, double& strength) {
  double best = from;
  strength = -1;
  for (double f = from; f <= to; f += 2.0) {
    if (exclude > 0 && std::abs(f - exclude) < 100.0) continue;
    const double m = Magnitude(x, f, fs);
    if (m > strength) {
      strength = m;
      best = f;
    }
  }
  const double coarse = best;
  for (double f = coarse - 2.0; f <= coarse + 2.0; f += 0.1) {
    const double m = Magnitude(x, f, fs);
    if (m > strength) {
      strength = m;
      best = f;
    }
  }
  return best;
}

}  // namespace

void DtmfAnalyser::Watch(SimRunner& sim, std::uint32_t ocr1al) {
  sim.WatchWrites(ocr1al, [this, &sim](std::uint8_t v) { samples_.emplace_back(sim.Cycles(), v); });
}

std::vector<std::vector<double>> DtmfAnalyser::Split() const {
  std::vector<std::vector<double>> bursts;
  for (std::size_t i = 0; i < samples_.size(); ++i) {
    if (i == 0 || samples_[i].first - samples_[i - 1].first > 4 * kSampleCycles) bursts.emplace_back();
    bursts.back().push_back(samples_[i].second);
  }
  return bursts;
}

std::vector<std::size_t> DtmfAnalyser::BurstLengths() const {
  std::vector<std::size_t> lengths;
  for (const auto& b : Split()) lengths.push_back(b.size());
  return lengths;
}

std::uint64_t DtmfAnalyser::LongestSampleStep() const {
  std::uint64_t longest = 0;
  for (std::size_t i = 1; i < samples_.size(); ++i) {
    const std::uint64_t step = samples_[i].first - samples_[i - 1].first;
    if (step <= 4 * kSampleCycles) longest = std::max(longest, step);
  }
  return longest;
}

std::vector<std::pair<double, double>> DtmfAnalyser::Bursts() const {
  const double fs = mhz_ * 1e6 / static_cast<double>(kSampleCycles);
  std::vector<std::pair<double, double>> tones;
  for (std::vector<double> x : Split()) {
    double mean = 0;
    for (double v : x) mean += v;
    mean /= static_cast<double>(x.size());
    const double n = static_cast<double>(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
      x[i] = (x[i] - mean) * (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / (n - 1)));
    double s1 = 0, s2 = 0;
    const double first = Peak(x, fs, 500.0, 2000.0, 0.0, s1);
    const double second = Peak(x, fs, 500.0, 2000.0, first, s2);
    tones.emplace_back(std::min(first, second), std::max(first, second));
  }
  return tones;
}

}  // namespace qbc::test
