#include "tests/support/panel_data_bus.h"

#include <cmath>
#include <cstdio>

namespace qbc::test {

std::string HexByteText(std::uint8_t b) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", b);
  return text;
}

PanelDataBus::PanelDataBus(SimRunner& sim, char data_port, double mhz) : sim_(sim), port_(data_port), mhz_(mhz) {
  for (int bit = 0; bit < 8; ++bit)
    sim_.OnPinChange(port_, bit, [this](std::uint64_t cycle, bool output, int) {
      changed_ = cycle;
      if (output && driving_) Violation(cycle, "the program drives the data port while the panel does");
    });
  if (const std::uint32_t pin = sim_.PinRegister(port_))
    sim_.WatchReads(pin, [this](std::uint64_t cycle, std::uint8_t) {
      if (!strobe_) return;
      const double after_edge = Ns(cycle - strobe_rise_) - Ns(2) - Ns(1) / 2;
      if (after_edge < access_ns_)
        Violation(cycle, "data taken " + std::to_string(after_edge) + " ns after the strobe's edge, before the panel drives it");
    });
}

void PanelDataBus::BeginReadStrobe(std::uint64_t rise, double access_ns) {
  strobe_ = true;
  strobe_rise_ = rise;
  access_ns_ = access_ns;
}

void PanelDataBus::DriveAfter(std::uint64_t cycles, std::uint8_t value) {
  const int generation = ++generation_;
  sim_.After(cycles, [this, value, generation] {
    if (generation != generation_) return;
    driving_ = true;
    for (int bit = 0; bit < 8; ++bit) {
      if (sim_.PinIsOutput(port_, bit)) Violation(sim_.Cycles(), "the program drives the data port while the panel does");
      sim_.SetPinInput(port_, bit, (value >> bit) & 1);
    }
  });
}

void PanelDataBus::LetGoAfter(std::uint64_t cycles) {
  const int generation = generation_;
  sim_.After(cycles, [this, generation] {
    if (generation != generation_) return;
    driving_ = false;
    for (int bit = 0; bit < 8; ++bit) sim_.ReleasePinInput(port_, bit);
  });
}

std::uint8_t PanelDataBus::ProgramByte(std::uint64_t cycle) {
  std::uint8_t byte = 0;
  for (int bit = 0; bit < 8; ++bit) {
    if (!sim_.PinIsOutput(port_, bit)) Violation(cycle, "a write with the data port not driven");
    byte = static_cast<std::uint8_t>(byte | (sim_.PinPortBit(port_, bit) << bit));
  }
  return byte;
}

std::uint64_t PanelDataBus::Cycles(double ns) const {
  return static_cast<std::uint64_t>(std::ceil(ns * mhz_ / 1000.0 - 1e-9));
}

double PanelDataBus::Ns(std::uint64_t cycles) const { return static_cast<double>(cycles) * 1000.0 / mhz_; }

void PanelDataBus::Violation(std::uint64_t cycle, const std::string& what) {
  char at[32];
  std::snprintf(at, sizeof at, " at %.3f us", Ns(cycle) / 1000.0);
  violations_.push_back(what + at);
}

}  // namespace qbc::test
