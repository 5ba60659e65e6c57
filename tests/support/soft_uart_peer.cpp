#include "tests/support/soft_uart_peer.h"

#include <algorithm>
#include <cmath>
#include <utility>

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

struct SoftUartSender::State {
  SimRunner* sim = nullptr;
  char port = 'B';
  int bit = 0;
  double bit_time = 0;
  bool inverted = false;
  double queued = 0;  // bit times queued so far
  std::vector<std::pair<double, int>> changes;  // (offset in cycles, logical level)
  std::size_t next = 0;
  std::uint64_t origin = 0;
  bool started = false;
  std::uint64_t end = 0;

  void Drive(int level) { sim->SetPinInput(port, bit, inverted ? 1 - level : level); }
  // Puts the next level on the line and waits for the one after it.
  void Step() {
    Drive(changes[next].second);
    ++next;
    if (next == changes.size()) {
      end = sim->Cycles();
      return;
    }
    ScheduleNext();
  }
  void ScheduleNext() {
    const auto at = origin + static_cast<std::uint64_t>(std::llround(changes[next].first));
    const std::uint64_t now = sim->Cycles();
    sim->After(at > now ? at - now : 1, [this] { Step(); });
  }
};

SoftUartSender::SoftUartSender(SimRunner& sim, char port, int bit, double cycles_per_bit, double error,
                               bool inverted)
    : state_(std::make_shared<State>()) {
  State& s = *state_;
  s.sim = &sim;
  s.port = port;
  s.bit = bit;
  s.bit_time = cycles_per_bit * (1.0 + error);
  s.inverted = inverted;
  s.Drive(1);
}

void SoftUartSender::Queue(std::string_view bytes, double pause_bits) {
  State& s = *state_;
  s.queued += pause_bits;
  for (unsigned char byte : bytes) {
    s.changes.emplace_back(s.queued * s.bit_time, 0);
    for (int b = 0; b < 8; ++b) s.changes.emplace_back((s.queued + 1 + b) * s.bit_time, (byte >> b) & 1);
    s.changes.emplace_back((s.queued + 9) * s.bit_time, 1);
    s.queued += 10;
  }
  // The last stop bit's end, as a change to the idle level that it already has.
  s.changes.emplace_back(s.queued * s.bit_time, 1);
}

void SoftUartSender::StartOnPullUp(double lead_bits) {
  std::shared_ptr<State> keep = state_;
  state_->sim->OnPinChange(state_->port, state_->bit, [keep, lead_bits](std::uint64_t cycle, bool output, int port_bit) {
    State& s = *keep;
    if (s.started || output || port_bit != 1 || s.changes.empty()) return;
    s.started = true;
    s.origin = cycle + static_cast<std::uint64_t>(std::llround(lead_bits * s.bit_time));
    s.ScheduleNext();
  });
}

void SoftUartSender::StartAfter(std::uint64_t cycles) {
  State& s = *state_;
  if (s.started || s.changes.empty()) return;
  s.started = true;
  s.origin = s.sim->Cycles() + cycles;
  s.ScheduleNext();
}

std::uint64_t SoftUartSender::EndCycle() const { return state_->end; }

}  // namespace qbc::test
