#include "tests/support/keypad_model.h"

#include <numeric>

namespace qbc::test {

KeypadModel::Key& KeypadModel::Key::At(std::uint64_t cycle, bool closed) {
  changes_.emplace_back(cycle, closed);
  return *this;
}

KeypadModel::Key& KeypadModel::Key::Bounce(std::uint64_t cycle, std::uint64_t every, int count) {
  for (int i = 0; i < count; ++i) At(cycle + static_cast<std::uint64_t>(i) * every, i % 2 != 0);
  return *this;
}

KeypadModel::Key& KeypadModel::MatrixKey(PinId row, PinId column) {
  Key& k = keys_.emplace_back();
  k.a_ = row;
  k.b_ = column;
  State(row);
  State(column);
  return k;
}

KeypadModel::Key& KeypadModel::LineKey(PinId pin, int level) {
  Key& k = keys_.emplace_back();
  k.a_ = pin;
  k.b_ = pin;
  k.in_line_ = true;
  k.closed_level_ = level;
  State(pin);
  return k;
}

KeypadModel::PinState& KeypadModel::State(PinId pin) {
  for (PinState& p : pins_)
    if (p.pin == pin) return p;
  return pins_.emplace_back(PinState{pin});
}

void KeypadModel::Attach(SimRunner& sim) {
  sim_ = &sim;
  for (PinState& p : pins_) {
    const PinId id = p.pin;
    sim.OnPinChange(id.port, id.bit, [this, id](std::uint64_t, bool output, int level) {
      PinState& s = State(id);
      s.output = output;
      s.level = level;
      Update();
    });
  }
  for (Key& k : keys_)
    for (const auto& [cycle, closed] : k.changes_) {
      Key* key = &k;
      const bool c = closed;
      sim.After(cycle, [this, key, c] {
        key->closed_ = c;
        Update();
      });
    }
  Update();
}

void KeypadModel::Update() {
  if (sim_ == nullptr) return;
  const std::size_t n = pins_.size();
  auto index = [&](PinId pin) {
    for (std::size_t i = 0; i < n; ++i)
      if (pins_[i].pin == pin) return i;
    return n;
  };
  // Groups of pins joined by closed matrix keys.
  std::vector<std::size_t> group(n);
  std::iota(group.begin(), group.end(), std::size_t{0});
  auto root = [&](std::size_t i) {
    while (group[i] != i) i = group[i];
    return i;
  };
  for (const Key& k : keys_)
    if (!k.in_line_ && k.closed_) group[root(index(k.a_))] = root(index(k.b_));
  // A group's level: a low output wins over a high one; none without an output.
  std::vector<int> level(n, -1);
  std::vector<int> members(n, 0);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t r = root(i);
    ++members[r];
    if (!pins_[i].output) continue;
    if (level[r] == -1 || pins_[i].level == 0) level[r] = pins_[i].level;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const PinId id = pins_[i].pin;
    int line = -1;  // a key in line: the level it puts on the pin
    for (const Key& k : keys_)
      if (k.in_line_ && k.a_ == id) line = k.closed_ ? k.closed_level_ : (k.closed_level_ == 1 ? 0 : -1);
    const std::size_t r = root(i);
    if (line != -1)
      sim_->SetPinInput(id.port, id.bit, line);
    else if (!pins_[i].output && members[r] > 1 && level[r] != -1)
      sim_->SetPinInput(id.port, id.bit, level[r]);
    else
      sim_->ReleasePinInput(id.port, id.bit);
  }
}

}  // namespace qbc::test
