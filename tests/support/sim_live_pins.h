#pragma once
// The simulator's live pin access (SimRunner::OnPinChange, SetPinInput, After): device
// models hear what the chip does to a pin as it happens and answer on the pin or at a
// later cycle. Internal to SimRunner.
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <utility>

struct avr_t;
struct avr_irq_t;

namespace qbc::test {

class LivePins {
 public:
  using PinFn = std::function<void(uint64_t cycle, bool output, int port_bit)>;

  explicit LivePins(avr_t* avr) : avr_(avr) {}
  LivePins(const LivePins&) = delete;
  LivePins& operator=(const LivePins&) = delete;

  void OnChange(char port, int bit, PinFn fn);
  void SetInput(char port, int bit, int level);
  void ReleaseInput(char port, int bit);
  bool IsOutput(char port, int bit) const;
  int PortBit(char port, int bit) const;
  // The data address of the port's PIN register; 0 when the chip has no such port.
  uint32_t PinAddress(char port) const;
  void After(uint64_t cycles, std::function<void()> fn);

 private:
  struct Listener {
    int bit;
    PinFn fn;
    bool output = false;
    int port_bit = 0;
  };
  // One port's listeners and the levels outside devices put on its pins.
  struct Port {
    LivePins* self = nullptr;
    char name = 0;
    bool hooked = false;
    std::list<Listener> listeners;
    uint8_t external_mask = 0;
    uint8_t external_value = 0;
  };
  struct Timer {
    LivePins* self;
    std::function<void()> fn;
    std::list<Timer>::iterator me;
  };

  Port* Find(char port);
  void Hook(Port& p);
  void Notify(Port& p, uint8_t ddr, uint8_t port_value);
  void ApplyExternal(Port& p, int bit, int level);
  static void OnDirection(avr_irq_t*, uint32_t value, void* param);
  static void OnPortWrite(avr_irq_t*, uint32_t value, void* param);
  static uint64_t OnTimer(avr_t*, uint64_t when, void* param);

  avr_t* avr_;
  std::map<char, Port> ports_;
  std::list<Timer> timers_;
};

}  // namespace qbc::test
