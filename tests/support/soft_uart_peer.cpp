#include "tests/support/soft_uart_peer.h"

#include <algorithm>
#include <cmath>

namespace qbc::test {

namespace {

// The changes of the line only (a recorder may repeat a level), as logical levels: 1 idle.
std::vector<SimRunner::Edge> LineChanges(const std::vector<SimRunner::Edge>& edges, bool inverted) {
  std::vector<SimRunner::Edge> out;
  int level = 0;  // recorded pins start low
  for (const auto& e : edges) {
    if (e.level == level) continue;
    level = e.level;
    out.push_back({e.cycle, inverted ? 1 - level : level});
  }
  return out;
}

int LevelAt(const std::vector<SimRunner::Edge>& line, double cycle, int initial) {
  int level = initial;
  for (const auto& e : line) {
    if (static_cast<double>(e.cycle) > cycle) break;
    level = e.level;
  }
  return level;
}

}  // namespace

SoftUartDecode DecodeSoftUart(const std::vector<SimRunner::Edge>& edges, double cycles_per_bit, bool inverted) {
  const std::vector<SimRunner::Edge> line = LineChanges(edges, inverted);
  const int initial = inverted ? 1 : 0;  // the recorded pin's low level, read logically
  const double t = cycles_per_bit;
  SoftUartDecode out;
  std::size_t i = 0;
  while (i < line.size()) {
    // A start bit: the line leaves the idle level.
    if (line[i].level != 0) {
      ++i;
      continue;
    }
    SoftUartFrame f;
    f.start = line[i].cycle;
    const double s = static_cast<double>(f.start);
    for (int b = 0; b < 8; ++b)
      if (LevelAt(line, s + (b + 1.5) * t, initial)) f.byte = static_cast<std::uint8_t>(f.byte | (1 << b));
    f.stop_ok = LevelAt(line, s + 9.5 * t, initial) == 1;
    // Every span between two edges of the frame lasts a whole number of bits.
    double previous = s;
    std::size_t j = i + 1;
    for (; j < line.size() && static_cast<double>(line[j].cycle) <= s + 9.5 * t; ++j) {
      const double span = static_cast<double>(line[j].cycle) - previous;
      const double bits = std::max(1.0, std::round(span / t));
      f.bit_error = std::max(f.bit_error, std::fabs(span / (bits * t) - 1.0));
      previous = static_cast<double>(line[j].cycle);
    }
    // A stop bit that began with an edge lasts at least one bit before the next start.
    if (j < line.size() && j > i + 1 && line[j - 1].level == 1 && static_cast<double>(line[j - 1].cycle) > s + 8.5 * t) {
      const double stop = static_cast<double>(line[j].cycle) - static_cast<double>(line[j - 1].cycle);
      if (stop < t) f.bit_error = std::max(f.bit_error, 1.0 - stop / t);
    }
    out.frames.push_back(f);
    out.bytes.push_back(static_cast<char>(f.byte));
    out.worst_bit_error = std::max(out.worst_bit_error, f.bit_error);
    out.all_stops_ok = out.all_stops_ok && f.stop_ok;
    // The next start bit comes after this frame's stop bit began.
    i = j;
    while (i < line.size() && line[i].level != 0) ++i;
  }
  return out;
}

}  // namespace qbc::test
