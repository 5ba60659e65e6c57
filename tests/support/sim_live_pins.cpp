#include "tests/support/sim_live_pins.h"

#include <avr_ioport.h>
#include <sim_avr.h>
#include <sim_cycle_timers.h>
#include <sim_io.h>

#include <string_view>

namespace qbc::test {
namespace {

// The port's registers, or nullptr when the chip has no such port.
avr_ioport_t* IoPort(avr_t* avr, char name) {
  for (avr_io_t* io = avr->io_port; io; io = io->next) {
    if (!io->kind || std::string_view(io->kind) != "port") continue;
    auto* p = reinterpret_cast<avr_ioport_t*>(io);
    if (p->name == name) return p;
  }
  return nullptr;
}

}  // namespace

LivePins::Port* LivePins::Find(char port) {
  if (!IoPort(avr_, port)) return nullptr;
  Port& p = ports_[port];
  p.self = this;
  p.name = port;
  return &p;
}

void LivePins::Hook(Port& p) {
  if (p.hooked) return;
  p.hooked = true;
  avr_irq_t* irqs = avr_io_getirq(avr_, AVR_IOCTL_IOPORT_GETIRQ(p.name), 0);
  avr_irq_register_notify(irqs + IOPORT_IRQ_DIRECTION_ALL, OnDirection, &p);
  avr_irq_register_notify(irqs + IOPORT_IRQ_REG_PORT, OnPortWrite, &p);
}

// simavr raises the direction IRQ with the new DDR value and the port IRQ with the new
// PORT value; the other register is read as it stands.
void LivePins::OnDirection(avr_irq_t*, uint32_t value, void* param) {
  auto& p = *static_cast<Port*>(param);
  avr_ioport_t* io = IoPort(p.self->avr_, p.name);
  p.self->Notify(p, static_cast<uint8_t>(value), p.self->avr_->data[io->r_port]);
}

void LivePins::OnPortWrite(avr_irq_t*, uint32_t value, void* param) {
  auto& p = *static_cast<Port*>(param);
  avr_ioport_t* io = IoPort(p.self->avr_, p.name);
  p.self->Notify(p, p.self->avr_->data[io->r_ddr], static_cast<uint8_t>(value));
}

void LivePins::Notify(Port& p, uint8_t ddr, uint8_t port_value) {
  for (Listener& l : p.listeners) {
    const bool output = (ddr >> l.bit) & 1;
    const int level = (port_value >> l.bit) & 1;
    if (output == l.output && level == l.port_bit) continue;
    l.output = output;
    l.port_bit = level;
    l.fn(avr_->cycle, output, level);
  }
}

void LivePins::OnChange(char port, int bit, PinFn fn) {
  Port* p = bit >= 0 && bit <= 7 ? Find(port) : nullptr;
  if (!p) return;
  Hook(*p);
  p->listeners.push_back({bit, std::move(fn), IsOutput(port, bit), PortBit(port, bit)});
}

void LivePins::ApplyExternal(Port& p, int bit, int level) {
  avr_ioport_external_t ext{};
  ext.name = static_cast<unsigned char>(p.name);
  ext.mask = p.external_mask;
  ext.value = p.external_value;
  avr_ioctl(avr_, AVR_IOCTL_IOPORT_SET_EXTERNAL(p.name), &ext);
  if (level >= 0) avr_raise_irq(avr_io_getirq(avr_, AVR_IOCTL_IOPORT_GETIRQ(p.name), bit), level ? 1 : 0);
}

void LivePins::SetInput(char port, int bit, int level) {
  Port* p = bit >= 0 && bit <= 7 ? Find(port) : nullptr;
  if (!p) return;
  const auto mask = static_cast<uint8_t>(1 << bit);
  p->external_mask |= mask;
  p->external_value = static_cast<uint8_t>(level ? p->external_value | mask : p->external_value & ~mask);
  ApplyExternal(*p, bit, level);
}

void LivePins::ReleaseInput(char port, int bit) {
  Port* p = bit >= 0 && bit <= 7 ? Find(port) : nullptr;
  if (!p) return;
  const auto mask = static_cast<uint8_t>(1 << bit);
  p->external_mask = static_cast<uint8_t>(p->external_mask & ~mask);
  p->external_value = static_cast<uint8_t>(p->external_value & ~mask);
  // A floating input reads its pull-up when the chip has it on; otherwise it keeps the
  // level it last had.
  ApplyExternal(*p, bit, PortBit(port, bit) ? 1 : -1);
}

bool LivePins::IsOutput(char port, int bit) const {
  avr_ioport_t* io = IoPort(avr_, port);
  return io && bit >= 0 && bit <= 7 && ((avr_->data[io->r_ddr] >> bit) & 1);
}

uint32_t LivePins::PinAddress(char port) const {
  avr_ioport_t* io = IoPort(avr_, port);
  return io ? io->r_pin : 0;
}

int LivePins::PortBit(char port, int bit) const {
  avr_ioport_t* io = IoPort(avr_, port);
  return io && bit >= 0 && bit <= 7 ? (avr_->data[io->r_port] >> bit) & 1 : 0;
}

uint64_t LivePins::OnTimer(avr_t*, uint64_t, void* param) {
  auto* t = static_cast<Timer*>(param);
  LivePins* self = t->self;
  auto me = t->me;
  std::function<void()> fn = std::move(t->fn);
  self->timers_.erase(me);
  fn();
  return 0;
}

void LivePins::After(uint64_t cycles, std::function<void()> fn) {
  auto it = timers_.insert(timers_.end(), Timer{this, std::move(fn), {}});
  it->me = it;
  avr_cycle_timer_register(avr_, cycles, OnTimer, &*it);
}

}  // namespace qbc::test
