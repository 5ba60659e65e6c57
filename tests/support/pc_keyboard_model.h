#pragma once
// A PC/AT (PS/2) keyboard on two OpenDrainLines, clock and data, answering while the
// program runs. It drives the clock itself (about 12.5 kHz) in both directions.
//
// Keyboard to host: frames of a start bit 0, eight data bits least significant first, odd
// parity and a stop bit 1; the data changes while the clock is high, the host samples at the
// falling edge. It starts a frame only when both lines have been free 50 us, and gives a
// frame up when the host pulls the clock low before its eleventh clock has ended (then sends
// the byte again once the bus is free). Bytes follow each other 500 us apart.
//
// Host to keyboard: the host holds the clock low at least 100 us (inhibit), pulls the data
// low (request to send) and lets the clock go; the keyboard clocks in eight data bits, the
// parity and the stop bit (sampled as its clock rises; the host may change the data only
// while the clock is low), pulls the data low for the acknowledge clock, and answers 1 ms
// later: 0xFA for a command it knows (0xED set LEDs and 0xF0 scan code set, each with an
// argument byte; 0xF3, 0xF4, 0xF5, 0xF6, 0xFF reset also sends 0xAA), 0xEE for echo,
// 0xFE for a parity error or an unknown command.
//
// Violations(): a host that pulls or drives the data line while the keyboard sends, a
// request to send without the clock held low 100 us first, data changed while the clock was
// high, a parity error, a stop bit 0.
//
//   OpenDrainLine clock(sim, 'D', 3), data(sim, 'D', 2);
//   PcKeyboardModel kb(8.0);
//   kb.Attach(sim, clock, 'D', 3, data, 'D', 2);
//   kb.Press(PcKeyboardModel::Key::kA, 120'000);   // at 120 ms
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/open_drain_line.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {

class PcKeyboardModel {
 public:
  enum class Key { kA, kZ, kEnter, kLeftShift, kRightShift, kF1, kUp };

  // The key's make (`down`) or break code in scan code set 2 or 3.
  static std::vector<std::uint8_t> Codes(Key key, bool down, int set);

  // `mhz` converts cycles to microseconds; `half_us` is half the keyboard's clock period.
  explicit PcKeyboardModel(double mhz, double half_us = 40);

  // Puts the keyboard on the lines (after the program is loaded, before it runs).
  void Attach(SimRunner& sim, OpenDrainLine& clock, char clock_port, int clock_bit, OpenDrainLine& data,
              char data_port, int data_bit);

  // A key goes down or up `at_us` after the start: its codes in the set the keyboard is
  // in at that time. Events must be given in time order.
  void Press(Key key, double at_us) { Script(at_us, key, true); }
  void Release(Key key, double at_us) { Script(at_us, key, false); }
  // Bytes to send from now on (also from inside a simulator callback).
  void Send(const std::vector<std::uint8_t>& bytes);

  // Every byte whose frame the keyboard completed, in order.
  const std::vector<std::uint8_t>& Sent() const { return sent_; }
  // Every byte the host sent with good parity, in order.
  const std::vector<std::uint8_t>& Received() const { return received_; }
  const std::vector<std::string>& Violations() const { return violations_; }
  int AbortedFrames() const { return aborted_; }
  int ScanCodeSet() const { return set_; }
  std::uint8_t Leds() const { return leds_; }

 private:
  enum class Phase { kIdle, kSending, kReceiving };
  struct Event {
    double at_us;
    Key key;
    bool down;
  };

  void Script(double at_us, Key key, bool down);
  void NextEvent();
  void HostClock(std::uint64_t cycle, bool low);
  void HostData(std::uint64_t cycle, bool low);
  void StartReceive();
  void TryStart();
  void SendBit(int i, std::uint64_t gen);
  void FrameDone();
  void Abort();
  void ReceivePulse(int k, std::uint64_t gen);
  void ByteReceived(int bits);
  void Answer(const std::vector<std::uint8_t>& bytes);
  void After(double us, std::function<void()> fn);
  void Violation(const std::string& what);
  double Us(std::uint64_t cycles) const { return static_cast<double>(cycles) / mhz_; }
  std::uint64_t Cycles(double us) const { return static_cast<std::uint64_t>(us * mhz_ + 0.5); }
  bool ClockFree() const { return clock_->Level() == 1; }

  double mhz_;
  double half_us_;
  SimRunner* sim_ = nullptr;
  OpenDrainLine* clock_ = nullptr;
  OpenDrainLine* data_ = nullptr;

  std::vector<Event> script_;
  std::size_t script_next_ = 0;

  Phase phase_ = Phase::kIdle;
  std::uint64_t gen_ = 0;  // callbacks of an abandoned frame see a newer generation
  std::deque<std::uint8_t> queue_;
  int frame_[11] = {};
  bool data_fault_in_frame_ = false;
  bool keyboard_clock_low_ = false;

  bool host_clock_low_ = false;
  bool host_data_low_ = false;
  std::uint64_t inhibit_from_ = 0;
  std::uint64_t free_from_ = 0;  // no frame starts before this cycle
  bool start_pending_ = false;

  int in_bits_ = 0;  // the host's bits so far, least significant first
  int pending_command_ = -1;

  std::vector<std::uint8_t> sent_;
  std::vector<std::uint8_t> received_;
  std::vector<std::string> violations_;
  int aborted_ = 0;
  int set_ = 2;
  std::uint8_t leds_ = 0;
};

}  // namespace qbc::test
