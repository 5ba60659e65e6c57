#include "tests/support/t6963_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qbc::test {

namespace {

std::string Hex(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value & 0xFF);
  return text;
}

}  // namespace

T6963Model::T6963Model(const T6963Wiring& wiring, double mhz) : w_(wiring), mhz_(mhz) {}

std::uint64_t T6963Model::Cycles(int ns) const {
  return static_cast<std::uint64_t>(std::ceil(ns * mhz_ / 1000.0));
}

void T6963Model::Attach(SimRunner& sim) {
  sim_ = &sim;
  for (int bit : {w_.rd, w_.wr, w_.cd, w_.ce}) {
    ctrl_low_[bit] = sim.PinIsOutput(w_.ctrl_port, bit) && sim.PinPortBit(w_.ctrl_port, bit) == 0;
    sim.OnPinChange(w_.ctrl_port, bit, [this, bit](std::uint64_t cycle, bool output, int port_bit) {
      const bool low = output && port_bit == 0;
      if (low == ctrl_low_[bit]) return;
      ctrl_low_[bit] = low;
      ControlChanged(cycle, bit);
    });
  }
  for (int bit = 0; bit < 8; ++bit) {
    data_out_[bit] = sim.PinIsOutput(w_.data_port, bit) ? sim.PinPortBit(w_.data_port, bit) : -1;
    sim.OnPinChange(w_.data_port, bit, [this, bit](std::uint64_t, bool output, int port_bit) {
      data_out_[bit] = output ? port_bit : -1;
    });
  }
}

bool T6963Model::Low(int bit) const { return ctrl_low_[bit]; }

void T6963Model::ControlChanged(std::uint64_t cycle, int bit) {
  if (bit == w_.cd && strobe_ != Strobe::None) Violation(cycle, "C/D changed inside a strobe");
  const bool read = Low(w_.ce) && Low(w_.rd);
  const bool write = Low(w_.ce) && Low(w_.wr);
  if (strobe_ == Strobe::None) {
    if (read && write) Violation(cycle, "RD and WR low together");
    if (read || write) StrobeStarts(cycle, read);
    return;
  }
  if (strobe_ == Strobe::Read && !read) StrobeEnds(cycle);
  if (strobe_ == Strobe::Write && !write) StrobeEnds(cycle);
}

void T6963Model::StrobeStarts(std::uint64_t cycle, bool read) {
  strobe_ = read ? Strobe::Read : Strobe::Write;
  strobe_start_ = cycle;
  strobe_cd_high_ = !Low(w_.cd);
  ++strobe_id_;
  if (!read) return;
  std::uint8_t answer = read_latch_;
  if (strobe_cd_high_) {
    ++status_reads_;
    answer = Ready(cycle) ? 0x03 : 0x00;
  }
  const unsigned id = strobe_id_;
  sim_->After(Cycles(w_.access_ns), [this, id, answer] {
    if (strobe_ == Strobe::Read && strobe_id_ == id) Drive(answer);
  });
}

void T6963Model::StrobeEnds(std::uint64_t cycle) {
  if ((cycle - strobe_start_) * 1000.0 / mhz_ < 80.0)
    Violation(cycle, "strobe shorter than 80 ns");
  const bool was_write = strobe_ == Strobe::Write;
  strobe_ = Strobe::None;
  Release();
  if (was_write) Latch(cycle, strobe_cd_high_, Bus());
}

std::uint8_t T6963Model::Bus() const {
  int byte = 0;
  for (int bit = 0; bit < 8; ++bit)
    if (data_out_[bit] != 0) byte |= 1 << bit;  // an input floats high on the module's pull-ups
  return static_cast<std::uint8_t>(byte);
}

void T6963Model::Drive(std::uint8_t byte) {
  for (int bit = 0; bit < 8; ++bit) sim_->SetPinInput(w_.data_port, bit, (byte >> bit) & 1);
  driving_ = true;
}

void T6963Model::Release() {
  if (!driving_) return;
  for (int bit = 0; bit < 8; ++bit) sim_->ReleasePinInput(w_.data_port, bit);
  driving_ = false;
}

bool T6963Model::Ready(std::uint64_t cycle) const { return !w_.never_ready && cycle >= busy_until_; }

void T6963Model::Latch(std::uint64_t cycle, bool command, std::uint8_t byte) {
  if (!Ready(cycle)) Violation(cycle, std::string(command ? "command " : "data ") + Hex(byte) + " written while busy");
  busy_until_ = cycle + Cycles(w_.busy_ns);
  if (!command) {
    params_.push_back(byte);
    return;
  }
  Command(cycle, byte);
  params_.clear();
}

void T6963Model::Command(std::uint64_t cycle, std::uint8_t byte) {
  ++commands_;
  const int need = (byte >= 0x21 && byte <= 0x24) || (byte >= 0x40 && byte <= 0x43) ? 2
                   : (byte == 0xC0 || byte == 0xC2 || byte == 0xC4)                   ? 1
                                                                                      : 0;
  if (static_cast<int>(params_.size()) < need) {
    Violation(cycle, "command " + Hex(byte) + " without its data bytes");
    return;
  }
  const int n = static_cast<int>(params_.size());
  const int word = need == 2 ? params_[n - 2] | (params_[n - 1] << 8) : 0;
  if (byte == 0x21 || byte == 0x22) return;  // cursor and offset registers: not shown
  if (byte == 0x24) {
    pointer_ = word;
  } else if (byte == 0x40) {
    text_home_ = word;
  } else if (byte == 0x41) {
    text_area_ = params_[n - 2];
  } else if (byte == 0x42) {
    graphic_home_ = word;
  } else if (byte == 0x43) {
    graphic_area_ = params_[n - 2];
  } else if (byte >= 0x80 && byte <= 0x87) {
    mode_ = byte & 0x0F;
  } else if (byte >= 0x90 && byte <= 0x9F) {
    display_mode_ = byte & 0x0F;
  } else if (byte >= 0xA0 && byte <= 0xA7) {
  } else if (byte >= 0xC0 && byte <= 0xC5) {
    if (byte & 1)
      read_latch_ = memory_[pointer_];
    else
      Store(pointer_, params_[n - 1]);
    if ((byte & 0x06) == 0) pointer_ = (pointer_ + 1) & 0xFFFF;
    if ((byte & 0x06) == 2) pointer_ = (pointer_ - 1) & 0xFFFF;
  } else if (byte >= 0xF0) {
    const int mask = 1 << (byte & 7);
    Store(pointer_, byte & 8 ? memory_[pointer_] | mask : memory_[pointer_] & ~mask);
  } else {
    Violation(cycle, "command " + Hex(byte) + " outside the set");
  }
}

void T6963Model::Store(int address, std::uint8_t byte) {
  memory_[address] = byte;
  written_.insert(address);
}

int T6963Model::LayerAddress(int home, int area, int row, int column, int rows) const {
  if (w_.split && row >= rows / 2) return (0x8000 + home + (row - rows / 2) * area + column) & 0xFFFF;
  return (home + row * area + column) & 0xFFFF;
}

PanelBitmap T6963Model::Graphic() const {
  PanelBitmap panel(w_.width, w_.height);
  const int ppb = w_.pixels_per_byte;
  for (int y = 0; y < w_.height; ++y)
    for (int x = 0; x < w_.width; ++x) {
      const int byte = memory_[LayerAddress(graphic_home_, graphic_area_, y, x / ppb, w_.height)];
      panel.Set(x, y, (byte >> (ppb - 1 - x % ppb)) & 1);
    }
  return panel;
}

std::vector<std::string> T6963Model::Text() const {
  std::vector<std::string> rows;
  const int text_rows = w_.height / 8;
  for (int r = 0; r < text_rows; ++r) {
    std::string row;
    for (int c = 0; c < w_.width / w_.pixels_per_byte; ++c) {
      const int code = memory_[LayerAddress(text_home_, text_area_, r, c, text_rows)];
      row += code == 0 ? '.' : code < 0x5F ? static_cast<char>(code + 0x20) : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<int> T6963Model::WritesOutsideLayers() const {
  std::set<int> inside;
  // a layer holds its area's bytes a row, also beyond the visible columns
  const int columns = std::max((w_.width + w_.pixels_per_byte - 1) / w_.pixels_per_byte, graphic_area_);
  for (int y = 0; y < w_.height; ++y)
    for (int c = 0; c < columns; ++c) inside.insert(LayerAddress(graphic_home_, graphic_area_, y, c, w_.height));
  for (int r = 0; r < w_.height / 8; ++r)
    for (int c = 0; c < std::max(w_.width / w_.pixels_per_byte, text_area_); ++c)
      inside.insert(LayerAddress(text_home_, text_area_, r, c, w_.height / 8));
  std::vector<int> outside;
  for (int address : written_)
    if (!inside.count(address)) outside.push_back(address);
  return outside;
}

void T6963Model::Violation(std::uint64_t cycle, const std::string& what) {
  if (violations_.size() < 50) violations_.push_back("cycle " + std::to_string(cycle) + ": " + what);
}

}  // namespace qbc::test
