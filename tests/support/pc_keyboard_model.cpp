#include "tests/support/pc_keyboard_model.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace qbc::test {

namespace {

constexpr double kInhibitMin = 100;   // the host's clock low before a request to send
constexpr double kBusFree = 50;       // both lines free before the keyboard sends
constexpr double kByteGap = 500;      // between the keyboard's bytes
constexpr double kRtsAnswer = 150;    // request to send until the first clock
constexpr double kAnswerDelay = 1000; // a command's end until its answer starts

struct CodeRow {
  PcKeyboardModel::Key key;
  std::vector<std::uint8_t> set1, set2, set3;  // make codes
};

const std::vector<CodeRow>& CodeTable() {
  using K = PcKeyboardModel::Key;
  static const std::vector<CodeRow> rows = {
      {K::kA, {0x1E}, {0x1C}, {0x1C}},
      {K::kZ, {0x2C}, {0x1A}, {0x1A}},
      {K::kEnter, {0x1C}, {0x5A}, {0x5A}},
      {K::kLeftShift, {0x2A}, {0x12}, {0x12}},
      {K::kRightShift, {0x36}, {0x59}, {0x59}},
      {K::kF1, {0x3B}, {0x05}, {0x07}},
      {K::kUp, {0xE0, 0x48}, {0xE0, 0x75}, {0x63}},
  };
  return rows;
}

}  // namespace

std::vector<std::uint8_t> PcKeyboardModel::Codes(Key key, bool down, int set) {
  for (const CodeRow& row : CodeTable()) {
    if (row.key != key) continue;
    std::vector<std::uint8_t> make = set == 1 ? row.set1 : set == 3 ? row.set3 : row.set2;
    if (down) return make;
    if (set == 1) {
      make.back() |= 0x80;
      return make;
    }
    // Sets 2 and 3 break with 0xF0 before the last byte (after an 0xE0 prefix).
    make.insert(make.end() - 1, 0xF0);
    return make;
  }
  return {};
}

PcKeyboardModel::PcKeyboardModel(double mhz, double half_us) : mhz_(mhz), half_us_(half_us) {}

void PcKeyboardModel::Attach(SimRunner& sim, OpenDrainLine& clock, char clock_port, int clock_bit,
                             OpenDrainLine& data, char data_port, int data_bit) {
  sim_ = &sim;
  clock_ = &clock;
  data_ = &data;
  sim.OnPinChange(clock_port, clock_bit, [this](std::uint64_t cycle, bool output, int port_bit) {
    if (output && port_bit != 0) Violation("the host drives the clock line high");
    const bool low = output && port_bit == 0;
    if (low != host_clock_low_) HostClock(cycle, low);
  });
  sim.OnPinChange(data_port, data_bit, [this](std::uint64_t cycle, bool output, int port_bit) {
    if (phase_ == Phase::kSending && output && !data_fault_in_frame_) {
      data_fault_in_frame_ = true;
      Violation("the host drives the data line while the keyboard sends");
    }
    const bool low = output && port_bit == 0;
    if (low != host_data_low_) HostData(cycle, low);
  });
  NextEvent();
}

void PcKeyboardModel::Script(double at_us, Key key, bool down) { script_.push_back({at_us, key, down}); }

void PcKeyboardModel::NextEvent() {
  if (script_next_ >= script_.size() || sim_ == nullptr) return;
  const double now = Us(sim_->Cycles());
  After(std::max(0.0, script_[script_next_].at_us - now), [this] {
    const Event& e = script_[script_next_++];
    Send(Codes(e.key, e.down, set_));
    NextEvent();
  });
}

void PcKeyboardModel::Send(const std::vector<std::uint8_t>& bytes) {
  queue_.insert(queue_.end(), bytes.begin(), bytes.end());
  TryStart();
}

void PcKeyboardModel::After(double us, std::function<void()> fn) {
  sim_->After(std::max<std::uint64_t>(1, Cycles(us)), std::move(fn));
}

void PcKeyboardModel::Violation(const std::string& what) {
  char at[48];
  std::snprintf(at, sizeof at, " (at %.1f us)", Us(sim_->Cycles()));
  violations_.push_back(what + at);
}

void PcKeyboardModel::HostClock(std::uint64_t cycle, bool low) {
  host_clock_low_ = low;
  if (low) {
    inhibit_from_ = cycle;
    if (phase_ == Phase::kSending) {
      Abort();
    } else if (phase_ == Phase::kReceiving) {
      // The host gives its own byte up.
      ++gen_;
      phase_ = Phase::kIdle;
      keyboard_clock_low_ = false;
      clock_->Pull(0, false);
      data_->Pull(0, false);
    }
    return;
  }
  if (host_data_low_ && phase_ == Phase::kIdle) {
    const double held = Us(cycle - inhibit_from_);
    if (held < kInhibitMin) {
      char text[96];
      std::snprintf(text, sizeof text, "the clock was held low only %.1f us before the request to send", held);
      Violation(text);
    }
    StartReceive();
    return;
  }
  free_from_ = std::max(free_from_, cycle + Cycles(kBusFree));
  TryStart();
}

void PcKeyboardModel::HostData(std::uint64_t cycle, bool low) {
  host_data_low_ = low;
  if (phase_ == Phase::kReceiving && !keyboard_clock_low_) Violation("the host changed the data line while the clock was high");
  if (phase_ == Phase::kIdle && low && !host_clock_low_) {
    // A keyboard takes data low with the clock free as a request to send all the same.
    Violation("a request to send without the clock held low 100 us first");
    StartReceive();
    return;
  }
  if (!low) {
    free_from_ = std::max(free_from_, cycle + Cycles(kBusFree));
    TryStart();
  }
}

void PcKeyboardModel::StartReceive() {
  phase_ = Phase::kReceiving;
  ++gen_;
  in_bits_ = 0;
  const std::uint64_t gen = gen_;
  After(kRtsAnswer, [this, gen] { ReceivePulse(1, gen); });
}

void PcKeyboardModel::TryStart() {
  if (phase_ != Phase::kIdle || queue_.empty() || host_clock_low_ || host_data_low_) return;
  const std::uint64_t now = sim_->Cycles();
  if (now < free_from_) {
    if (!start_pending_) {
      start_pending_ = true;
      sim_->After(free_from_ - now, [this] {
        start_pending_ = false;
        TryStart();
      });
    }
    return;
  }
  phase_ = Phase::kSending;
  ++gen_;
  data_fault_in_frame_ = false;
  const std::uint8_t b = queue_.front();
  frame_[0] = 0;
  for (int i = 0; i < 8; ++i) frame_[1 + i] = (b >> i) & 1;
  frame_[9] = std::popcount(b) % 2 == 0 ? 1 : 0;
  frame_[10] = 1;
  SendBit(0, gen_);
}

// Each bit: the data set while the clock is high, a quarter period later the clock low for
// half a period, then high again.
void PcKeyboardModel::SendBit(int i, std::uint64_t gen) {
  if (gen != gen_) return;
  data_->Pull(0, frame_[i] == 0);
  After(half_us_ / 2, [this, i, gen] {
    if (gen != gen_) return;
    clock_->Pull(0, true);
    keyboard_clock_low_ = true;
    After(half_us_, [this, i, gen] {
      if (gen != gen_) return;
      clock_->Pull(0, false);
      keyboard_clock_low_ = false;
      if (i == 10) {
        FrameDone();
        return;
      }
      After(half_us_ / 2, [this, i, gen] { SendBit(i + 1, gen); });
    });
  });
}

void PcKeyboardModel::FrameDone() {
  sent_.push_back(queue_.front());
  queue_.pop_front();
  data_->Pull(0, false);
  phase_ = Phase::kIdle;
  ++gen_;
  if (host_data_low_ && !host_clock_low_) {
    // A host that took the data line during the frame: the keyboard reads the low data
    // with the clock free as a request to send once its frame is out.
    Violation("a request to send without the clock held low 100 us first");
    StartReceive();
    return;
  }
  free_from_ = std::max(free_from_, sim_->Cycles() + Cycles(kByteGap));
  TryStart();
}

void PcKeyboardModel::Abort() {
  ++gen_;
  ++aborted_;
  phase_ = Phase::kIdle;
  keyboard_clock_low_ = false;
  clock_->Pull(0, false);
  data_->Pull(0, false);
}

// Pulse k (1 to 11) of a host byte: the data sampled as the clock rises (k = 1..8 data,
// 9 parity, 10 stop); after the stop bit the keyboard holds the data low for pulse 11.
void PcKeyboardModel::ReceivePulse(int k, std::uint64_t gen) {
  if (gen != gen_) return;
  clock_->Pull(0, true);
  keyboard_clock_low_ = true;
  After(half_us_, [this, k, gen] {
    if (gen != gen_) return;
    clock_->Pull(0, false);
    keyboard_clock_low_ = false;
    const int level = data_->Level();
    if (k <= 9) {
      in_bits_ |= level << (k - 1);
      After(half_us_, [this, k, gen] { ReceivePulse(k + 1, gen); });
    } else if (k == 10) {
      const bool stop_ok = level == 1;
      if (stop_ok) After(half_us_ / 2, [this, gen] {
          if (gen == gen_) data_->Pull(0, true);
        });
      After(half_us_, [this, gen, stop_ok] {
        if (gen != gen_) return;
        if (!stop_ok) Violation("stop bit 0 from the host");
        ReceivePulse(11, gen);
      });
    } else {
      data_->Pull(0, false);
      phase_ = Phase::kIdle;
      ++gen_;
      ByteReceived(in_bits_);
    }
  });
}

void PcKeyboardModel::ByteReceived(int bits) {
  const std::uint8_t b = static_cast<std::uint8_t>(bits & 0xFF);
  const int parity = (bits >> 8) & 1;
  if ((std::popcount(b) + parity) % 2 != 1) {
    char text[64];
    std::snprintf(text, sizeof text, "parity error in host byte 0x%02X", b);
    Violation(text);
    Answer({0xFE});
    return;
  }
  received_.push_back(b);
  if (pending_command_ >= 0) {
    const int command = pending_command_;
    pending_command_ = -1;
    if (command == 0xED) leds_ = b & 0x07;
    if (command == 0xF0 && b == 0) {
      Answer({0xFA, static_cast<std::uint8_t>(set_)});
      return;
    }
    if (command == 0xF0 && b >= 1 && b <= 3) set_ = b;
    Answer({0xFA});
    return;
  }
  switch (b) {
    case 0xED:
    case 0xF0:
    case 0xF3:
      pending_command_ = b;
      Answer({0xFA});
      break;
    case 0xEE:
      Answer({0xEE});
      break;
    case 0xF4:
    case 0xF5:
    case 0xF6:
      Answer({0xFA});
      break;
    case 0xFF:
      set_ = 2;
      leds_ = 0;
      Answer({0xFA, 0xAA});
      break;
    default:
      Answer({0xFE});
  }
}

// An answer goes before the keys still waiting (and a frame the host cut off).
void PcKeyboardModel::Answer(const std::vector<std::uint8_t>& bytes) {
  queue_.insert(queue_.begin(), bytes.begin(), bytes.end());
  free_from_ = std::max(free_from_, sim_->Cycles() + Cycles(kAnswerDelay));
  TryStart();
}

}  // namespace qbc::test
