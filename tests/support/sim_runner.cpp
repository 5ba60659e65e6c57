#include "tests/support/sim_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <deque>
#include <list>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "compiler/driver/driver.h"
#include "tests/support/asm_snapshot.h"
#include "tests/support/fuzz_seeds.h"
#include "tests/support/sim_live_pins.h"
#include "tests/support/test_dirs.h"

extern "C" {
#include <sim_avr.h>
#include <sim_hex.h>
#include <avr_adc.h>
#include <avr_eeprom.h>
#include <avr_ioport.h>
#include <avr_spi.h>
#include <avr_twi.h>
#include <avr_timer.h>
#include <avr_uart.h>
}

namespace qbc::test {

// ====================================================================== assembling

std::vector<std::string> DefaultIncludeDirs() {
  std::vector<std::string> dirs;
  std::error_code ec;
  if (std::filesystem::exists(BinDir() + "/inc/m8def.inc", ec)) dirs.push_back(BinDir() + "/inc");
  dirs.push_back("/usr/share/avra");
  return dirs;
}

std::string DeviceInclude(const std::string& device) {
  return ".include \"" + BinDir() + "/inc/" + device + "def.inc\"\n";
}

namespace {

// Runs argv in `cwd`, stdout and stderr together into `out`. Returns the exit status, or
// -1 when the program could not be started.
int RunCaptured(const std::vector<std::string>& argv, const std::string& cwd, std::string& out) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return -1;
  }
  if (pid == 0) {
    dup2(fds[1], 1);
    dup2(fds[1], 2);
    close(fds[0]);
    close(fds[1]);
    int devnull = open("/dev/null", O_RDONLY);
    if (devnull >= 0) dup2(devnull, 0);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(127);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(fds[1]);
  char buf[4096];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  if (waitpid(pid, &status, 0) < 0) return -1;
  if (!WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace

AsmResult AssembleAsmFile(const std::string& asm_path, const std::vector<std::string>& include_dirs) {
  AsmResult r;
  std::filesystem::path p(asm_path);
  r.dir = p.parent_path().string();
  r.asm_path = asm_path;
  std::filesystem::path base = p;
  base.replace_extension();
  r.hex_path = base.string() + ".hex";
  r.map_path = base.string() + ".map";
  r.eep_path = base.string() + ".eep.hex";
  std::error_code ec;
  std::filesystem::remove(r.hex_path, ec);
  RecordAssembledAsm(ReadFile(asm_path));
  std::vector<std::string> argv{"avra"};
  for (const auto& d : include_dirs) {
    argv.push_back("-I");
    argv.push_back(d);
  }
  argv.insert(argv.end(), {"--max_errors", "1000", "-m", r.map_path, "-e", r.eep_path, "-o",
                           r.hex_path, p.filename().string()});
  int rc = RunCaptured(argv, r.dir, r.output);
  if (rc == 127 && r.output.empty()) r.output = "avra could not be started";
  r.ok = rc == 0 && std::filesystem::exists(r.hex_path, ec);
  return r;
}

AsmResult AssembleAsm(const std::string& asm_text, const std::vector<std::string>& include_dirs) {
  std::string dir = MakeTempDir("asm");
  std::string path = dir + "/prog.asm";
  WriteFile(path, asm_text);
  return AssembleAsmFile(path, include_dirs);
}

BasResult CompileBas(const std::string& bas_text, const std::string& file_name) {
  BasResult r;
  r.dir = MakeTempDir("bas");
  r.bas_path = r.dir + "/" + file_name;
  const std::string base = DocumentBaseName(r.bas_path);
  r.asm_path = base + ".asm";
  r.hex_path = base + ".hex";
  r.map_path = base + ".map";
  WriteFile(r.bas_path, bas_text);
  KeepFuzzSeed(bas_text);
  r.status = RunCaptured({BinDir() + "/qbc", r.bas_path}, r.dir, r.report);
  std::error_code ec;
  r.ok = r.status == 0 && std::filesystem::exists(r.hex_path, ec);
  RecordCompiledAsm("qbc", file_name + "\n" + bas_text, ReadFile(r.asm_path));
  return r;
}

// ====================================================================== running

const char* SimStopName(SimStop s) {
  switch (s) {
    case SimStop::EndLoop: return "EndLoop";
    case SimStop::SleepInterruptsOff: return "SleepInterruptsOff";
    case SimStop::CycleCap: return "CycleCap";
    case SimStop::Crashed: return "Crashed";
    case SimStop::NotLoaded: return "NotLoaded";
  }
  return "?";
}

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// "m8" -> "atmega8", "tn2313" -> "attiny2313"; simavr names pass unchanged.
std::string SimavrName(const std::string& mcu) {
  std::string m = Lower(mcu);
  if (m.rfind("at", 0) == 0) return m;
  if (m.rfind("tn", 0) == 0) return "attiny" + m.substr(2);
  if (m.rfind("m", 0) == 0) return "atmega" + m.substr(1);
  return m;
}

// Where the sleep-enable bit lives (data address, bit); address 0 when unknown.
struct SleepEnable {
  uint16_t addr;
  uint8_t bit;
};
SleepEnable SleepEnableOf(const std::string& mcu) {
  static const std::map<std::string, SleepEnable> table = {
      {"atmega8", {0x55, 7}},    {"atmega8l", {0x55, 7}}, {"atmega16", {0x55, 6}},
      {"atmega32", {0x55, 7}},   {"atmega64", {0x55, 5}}, {"atmega128", {0x55, 5}},
      {"atmega128L", {0x55, 5}}, {"atmega162", {0x55, 5}},
  };
  auto it = table.find(mcu);
  if (it != table.end()) return it->second;
  if (mcu.rfind("attiny", 0) == 0) return {0x55, 5};
  return {0x53, 0};  // SMCR.SE on the newer ATmegas
}

// Chips whose stack pointer is 0 after reset.
bool StackStartsAtZero(const std::string& mcu) {
  static const char* const names[] = {"atmega8", "atmega8l", "atmega16", "atmega32", "atmega64",
                                      "atmega128", "atmega128L", "atmega162", "atmega8515",
                                      "atmega8535"};
  return std::find(std::begin(names), std::end(names), mcu) != std::end(names);
}

// Chips whose UCSRC shares its address with UBRRH (URSEL selects UCSRC).
bool SharedUcsrc(const std::string& mcu) {
  return mcu == "atmega8" || mcu == "atmega8l" || mcu == "atmega16" || mcu == "atmega32";
}

std::mutex g_log_mutex;
std::map<avr_t*, std::string*> g_logs;

void QuietLogger(avr_t* avr, const int level, const char* format, va_list ap) {
  char buf[1024];
  vsnprintf(buf, sizeof buf, format, ap);
  std::lock_guard<std::mutex> lock(g_log_mutex);
  auto it = g_logs.find(avr);
  if (it != g_logs.end()) it->second->append(buf);
}

void NoSleep(avr_t*, avr_cycle_count_t) {}

}  // namespace

struct SimRunner::Impl {
  SimOptions opt;
  std::string mcu;
  avr_t* avr = nullptr;
  uint32_t lowestSp = UINT32_MAX;  // DeepestStack()
  // One hardware UART: what the program sent and what it is still to receive.
  struct Port {
    avr_uart_t* uart = nullptr;
    std::string output;
    std::deque<uint8_t> input;
    avr_cycle_count_t next_byte = 0;  // paced input: when the byte on the wire completes
    bool on_wire = false;             // paced input: the last byte given to simavr is still arriving
    size_t dropped = 0;
  };
  avr_uart_t* uart = nullptr;  // UART 0 (its baud divisor needs the shared-address fix)
  Port ports[4];
  std::string error;
  std::string log;
  std::vector<std::unique_ptr<std::function<void(uint8_t)>>> write_watches;
  std::map<std::string, uint32_t> symbols;  // lower-case names
  SleepEnable se{0, 0};
  std::unique_ptr<LivePins> live;
  // Shadow of the real UBRRH on chips where simavr confuses it with UCSRC.
  uint8_t ubrrh = 0;
  uint8_t ucsrc = 0x86;

  static void OnOutput(avr_irq_t*, uint32_t value, void* param) {
    static_cast<Port*>(param)->output.push_back(static_cast<char>(value & 0xFF));
  }

  void RecomputeBaud() {
    if (!uart) return;
    uint32_t ubrr = avr->data[uart->ubrrl.reg] | (static_cast<uint32_t>(ubrrh & 0x0F) << 8);
    static const int databits[] = {5, 6, 7, 8, 8, 8, 8, 9};
    int ucsz = (ucsrc >> 1) & 3;
    if (uart->ucsz2.reg && (avr->data[uart->ucsz2.reg] >> uart->ucsz2.bit) & 1) ucsz |= 4;
    int db = databits[ucsz];
    int sb = 1 + ((ucsrc >> 3) & 1);
    int word = 1 + db + 1 + sb;
    uint32_t per_bit = (ubrr + 1) * 8;
    if (!uart->u2x.reg || !((avr->data[uart->u2x.reg] >> uart->u2x.bit) & 1)) per_bit *= 2;
    uart->cycles_per_byte = static_cast<avr_cycle_count_t>(per_bit) * word;
  }

  // Runs after simavr's own handler of the shared UBRRH/UCSRC address and of UBRRL.
  static void OnBaudWrite(avr_t* avr, avr_io_addr_t addr, uint8_t v, void* param) {
    auto* self = static_cast<Impl*>(param);
    if (addr == self->uart->ubrrh.reg) {
      if (v & 0x80) {
        self->ucsrc = v;
      } else {
        self->ubrrh = v;
      }
      avr_core_watch_write(avr, addr, v);
    }
    self->RecomputeBaud();
  }

  // Recorded pin and compare-output changes, keyed by (port or timer, bit or channel).
  struct Watch {
    Impl* self;
    std::vector<SimRunner::Edge> edges;
  };
  std::map<std::pair<int, int>, std::list<Watch>::iterator> pins, compares;
  std::list<Watch> watches;
  const std::vector<SimRunner::Edge> none{};

  static void OnWatched(avr_irq_t*, uint32_t value, void* param) {
    auto* w = static_cast<Watch*>(param);
    // simavr marks a level that a timer's compare output drives with bit 8.
    w->edges.push_back({w->self->avr->cycle, static_cast<int>(value & 1)});
  }

  void AddWatch(std::map<std::pair<int, int>, std::list<Watch>::iterator>& into, std::pair<int, int> key,
                avr_irq_t* irq) {
    if (!irq || into.count(key)) return;
    auto it = watches.insert(watches.end(), Watch{this, {}});
    into[key] = it;
    avr_irq_register_notify(irq, OnWatched, &*it);
  }

  const std::vector<SimRunner::Edge>& Edges(const std::map<std::pair<int, int>, std::list<Watch>::iterator>& from,
                                            std::pair<int, int> key) const {
    auto it = from.find(key);
    return it == from.end() ? none : it->second->edges;
  }

  // A timer's count register: simavr computes it from the cycles while the timer runs and
  // gives 0 while it is stopped, where the chip keeps its count. The original read is kept.
  struct CountRead {
    avr_timer_t* timer;
    avr_io_read_t read;
    void* param;
  };
  std::list<CountRead> countReads;

  static uint8_t OnCountRead(avr_t* avr, avr_io_addr_t addr, void* param) {
    auto* c = static_cast<CountRead*>(param);
    if (c->timer->tov_cycles == 0 || !c->read) return avr->data[addr];
    return c->read(avr, addr, c->param);
  }

  void KeepStoppedCounts() {
    for (avr_io_t* io = avr->io_port; io; io = io->next) {
      if (!io->kind || std::string(io->kind) != "timer") continue;
      auto* t = reinterpret_cast<avr_timer_t*>(io);
      if (!t->r_tcnt) continue;
      auto& slot = avr->io[AVR_DATA_TO_IO(t->r_tcnt)].r;
      countReads.push_back({t, slot.c, slot.param});
      slot.c = OnCountRead;
      slot.param = &countReads.back();
    }
  }

  // Reads watched by WatchReads: the register's own read handler (if any) still gives the
  // value.
  struct ReadWatch {
    avr_io_read_t read;
    void* param;
    std::function<void(uint64_t, uint8_t)> fn;
  };
  std::list<ReadWatch> readWatches;

  static uint8_t OnWatchedRead(avr_t* avr, avr_io_addr_t addr, void* param) {
    auto* w = static_cast<ReadWatch*>(param);
    const uint8_t v = w->read ? w->read(avr, addr, w->param) : avr->data[addr];
    w->fn(avr->cycle, v);
    return v;
  }

  // On the chip a 1 written to an interrupt flag clears it and a 0 leaves it alone;
  // simavr would store the byte as written.
  static void OnFlagWrite(avr_t* avr, avr_io_addr_t addr, uint8_t v, void*) {
    for (int i = 0; i < avr->interrupts.vector_count; ++i) {
      avr_int_vector_t* vec = avr->interrupts.vector[i];
      if (vec->raised.reg == addr && ((v >> vec->raised.bit) & 1)) avr_clear_interrupt(avr, vec);
    }
    avr->data[addr] = static_cast<uint8_t>(avr->data[addr] & ~v);
  }

  // On the chip an external interrupt whose flag was set while it was disabled is taken as
  // soon as it is enabled; simavr only takes one raised while enabled.
  static void OnExtIntEnableWrite(avr_t* avr, avr_io_addr_t addr, uint8_t v, void*) {
    const uint8_t was = avr->data[addr];
    avr->data[addr] = v;
    for (int i = 0; i < avr->interrupts.vector_count; ++i) {
      avr_int_vector_t* vec = avr->interrupts.vector[i];
      if (vec->enable.reg != addr || vec->pending || !vec->raised.reg) continue;
      const uint8_t mask = static_cast<uint8_t>(1u << vec->enable.bit);
      if ((was & mask) == 0 && (v & mask) != 0 && avr_regbit_get(avr, vec->raised)) avr_raise_interrupt(avr, vec);
    }
  }

  // Timer1's 8-bit phase-correct PWM: the overflow every 510 prescaled cycles. The control
  // registers' own handlers are wrapped (simavr has room for only a few shared ones).
  avr_timer_t* timer1 = nullptr;
  avr_cycle_count_t pwm_period = 0;
  struct WrappedWrite {
    Impl* self = nullptr;
    avr_io_write_t write = nullptr;
    void* param = nullptr;
  };
  WrappedWrite timer1_controls[2];

  static avr_cycle_count_t OnPhaseCorrectOverflow(avr_t* avr, avr_cycle_count_t when, void* param) {
    auto* self = static_cast<Impl*>(param);
    if (self->pwm_period == 0) return 0;
    avr_raise_interrupt(avr, &self->timer1->overflow);
    return when + self->pwm_period;
  }

  static void OnTimer1Control(avr_t* avr, avr_io_addr_t addr, uint8_t v, void* param) {
    auto* wrapped = static_cast<WrappedWrite*>(param);
    if (wrapped->write)
      wrapped->write(avr, addr, v, wrapped->param);
    else
      avr_core_watch_write(avr, addr, v);
    Impl* self = wrapped->self;
    avr_timer_t* t = self->timer1;
    const uint8_t wgm = avr_regbit_get_array(avr, t->wgm, 4);
    const uint8_t cs = avr_regbit_get_array(avr, t->cs, 3);
    static const avr_cycle_count_t kPrescale[8] = {0, 1, 8, 64, 256, 1024, 0, 0};
    const avr_cycle_count_t period = wgm == 1 ? 510 * kPrescale[cs] : 0;
    if (period == self->pwm_period) return;
    avr_cycle_timer_cancel(avr, OnPhaseCorrectOverflow, self);
    self->pwm_period = period;
    if (period != 0) avr_cycle_timer_register(avr, period, OnPhaseCorrectOverflow, self);
  }

  void RunPhaseCorrectTimer1() {
    for (avr_io_t* io = avr->io_port; io; io = io->next) {
      if (!io->kind || std::string(io->kind) != "timer") continue;
      auto* t = reinterpret_cast<avr_timer_t*>(io);
      if (t->name != '1' || !t->wgm[0].reg || !t->cs[0].reg) continue;
      timer1 = t;
      const avr_io_addr_t regs[2] = {static_cast<avr_io_addr_t>(t->wgm[0].reg), static_cast<avr_io_addr_t>(t->cs[0].reg)};
      for (int i = 0; i < 2; ++i) {
        if (i == 1 && regs[1] == regs[0]) break;
        auto& w = avr->io[AVR_DATA_TO_IO(regs[i])].w;
        timer1_controls[i] = {this, w.c, w.param};
        w.c = OnTimer1Control;
        w.param = &timer1_controls[i];
      }
      return;
    }
  }

  // The TWI unit: TWINT as on the chip, cleared by a written 1 until the unit ends its step
  // (simavr keeps the 1 written, so a program that waits for the flag would read it set at
  // once and take the status of the step before).
  avr_twi_t* twi = nullptr;
  avr_io_write_t twcr_write = nullptr;
  void* twcr_param = nullptr;

  bool twi_held = false;

  static void OnTwcrWrite(avr_t* avr, avr_io_addr_t addr, uint8_t v, void* param) {
    auto* self = static_cast<Impl*>(param);
    avr_int_vector_t* flag = &self->twi->twi;
    if (self->twi_held) {
      // the unit takes the command and never ends it: TWINT stays clear, TWSTO set
      avr_core_watch_write(avr, addr, static_cast<uint8_t>(v & ~(1u << flag->raised.bit)));
      return;
    }
    if (self->twcr_write)
      self->twcr_write(avr, addr, v, self->twcr_param);
    else
      avr_core_watch_write(avr, addr, v);
    // avr_clear_interrupt leaves the flag bit itself alone.
    if ((v >> flag->raised.bit) & 1) {
      avr_clear_interrupt(avr, flag);
      avr_regbit_clear(avr, flag->raised);
    }
  }

  void FixTwi() {
    for (avr_io_t* io = avr->io_port; io; io = io->next)
      if (io->kind && std::string(io->kind) == "twi") twi = reinterpret_cast<avr_twi_t*>(io);
    if (!twi) return;
    auto& w = avr->io[AVR_DATA_TO_IO(twi->r_twcr)].w;
    twcr_write = w.c;
    twcr_param = w.param;
    w.c = OnTwcrWrite;
    w.param = this;
  }

  // The ADC: simavr's module with our fixes of its flag and of the channels above 7.
  avr_adc_t* adc = nullptr;
  uint32_t adc_millivolts[16] = {};
  avr_io_write_t adcsra_write = nullptr;
  void* adcsra_param = nullptr;
  // simavr's read of ADCL or ADCH, which samples the conversion's input.
  struct AdcRead {
    Impl* self;
    avr_io_read_t read;
    void* param;
  };
  AdcRead adc_reads[2] = {};

  // ADIF as on the chip: cleared by a written 1, kept by a written 0.
  static void OnAdcsraWrite(avr_t* avr, avr_io_addr_t addr, uint8_t v, void* param) {
    auto* self = static_cast<Impl*>(param);
    avr_int_vector_t* flag = &self->adc->adc;
    const bool was = avr_regbit_get(avr, flag->raised);
    if (self->adcsra_write)
      self->adcsra_write(avr, addr, v, self->adcsra_param);
    else
      avr_core_watch_write(avr, addr, v);
    const bool keep = was && !((v >> flag->raised.bit) & 1);
    const bool now = avr_regbit_get(avr, flag->raised);
    if (keep && !now) avr_raise_interrupt(avr, flag);
    if (!keep && now) avr_clear_interrupt(avr, flag);
  }

  // simavr measures only channels 0 to 7: a channel above takes channel 0's place (its
  // voltage and mux entry) for the read that samples the conversion (of ADCL, or of ADCH
  // alone for a left-adjusted result).
  static uint8_t OnAdcResultRead(avr_t* avr, avr_io_addr_t addr, void* param) {
    auto* r = static_cast<AdcRead*>(param);
    avr_adc_t* p = r->self->adc;
    const uint8_t muxi = avr_regbit_get_array(avr, p->mux, ARRAY_SIZE(p->mux));
    const avr_adc_mux_t mux = p->muxmode[muxi];
    if (mux.kind != ADC_MUX_SINGLE || mux.src < 8 || mux.src > 15 || p->read_status)
      return r->read(avr, addr, r->param);
    const uint16_t kept = p->adc_values[0];
    p->adc_values[0] = static_cast<uint16_t>(r->self->adc_millivolts[mux.src]);
    p->muxmode[muxi].src = 0;
    const uint8_t v = r->read(avr, addr, r->param);
    p->muxmode[muxi] = mux;
    p->adc_values[0] = kept;
    return v;
  }

  void FixAdc() {
    for (avr_io_t* io = avr->io_port; io; io = io->next)
      if (io->kind && std::string(io->kind) == "adc") adc = reinterpret_cast<avr_adc_t*>(io);
    if (!adc) return;
    auto& w = avr->io[AVR_DATA_TO_IO(adc->r_adcsra)].w;
    adcsra_write = w.c;
    adcsra_param = w.param;
    w.c = OnAdcsraWrite;
    w.param = this;
    const uint8_t results[2] = {adc->r_adcl, adc->r_adch};
    for (int i = 0; i < 2; ++i) {
      auto& r = avr->io[AVR_DATA_TO_IO(results[i])].r;
      if (!r.c) continue;
      adc_reads[i] = {this, r.c, r.param};
      r.c = OnAdcResultRead;
      r.param = &adc_reads[i];
    }
  }

  // The SPI unit's byte IRQs (simavr names the first unit 0 on some chips, '0' on others).
  avr_irq_t* SpiIrq(int which) const {
    if (!avr) return nullptr;
    avr_irq_t* irq = avr_io_getirq(avr, AVR_IOCTL_SPI_GETIRQ(0), which);
    return irq ? irq : avr_io_getirq(avr, AVR_IOCTL_SPI_GETIRQ('0'), which);
  }
  std::list<std::function<void(uint8_t)>> spi_listeners;

  static void OnSpiOutput(avr_irq_t*, uint32_t value, void* param) {
    (*static_cast<std::function<void(uint8_t)>*>(param))(static_cast<uint8_t>(value & 0xFF));
  }

  // The TWI unit's IRQs (named 0 or '0' as the SPI's are).
  avr_irq_t* TwiIrq(int which) const {
    if (!avr) return nullptr;
    avr_irq_t* irq = avr_io_getirq(avr, AVR_IOCTL_TWI_GETIRQ(0), which);
    return irq ? irq : avr_io_getirq(avr, AVR_IOCTL_TWI_GETIRQ('0'), which);
  }
  std::list<std::function<void(uint32_t)>> twi_listeners;

  static void OnTwiOutput(avr_irq_t*, uint32_t value, void* param) {
    (*static_cast<std::function<void(uint32_t)>*>(param))(value);
  }

  avr_eeprom_t* FindEeprom() const {
    for (avr_io_t* io = avr ? avr->io_port : nullptr; io; io = io->next)
      if (io->kind && std::string(io->kind) == "eeprom") return reinterpret_cast<avr_eeprom_t*>(io);
    return nullptr;
  }

  void FeedInput() {
    for (int n = 0; n < 4; ++n) {
      Port& p = ports[n];
      if (!p.uart || (p.input.empty() && !p.on_wire)) continue;
      if (!((avr->data[p.uart->rxen.reg] >> p.uart->rxen.bit) & 1)) continue;
      avr_irq_t* in = avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ(static_cast<char>('0' + n)), UART_IRQ_INPUT);
      if (opt.paced_input) {
        if (avr->cycle < p.next_byte) continue;
        // simavr's FIFO holds the byte on the wire (readable one frame after it was given)
        // and the received ones. The chip's receive buffer holds two bytes: the byte
        // completing now is lost when two received bytes are still unread.
        if (p.on_wire && FifoFill(p) - 1 >= 2) {
          p.uart->input.write = (p.uart->input.write + uart_fifo_fifo_size - 1) & (uart_fifo_fifo_size - 1);
          ++p.dropped;
        }
        p.on_wire = false;
        if (p.input.empty()) continue;
        avr_raise_irq(in, p.input.front());
        p.input.pop_front();
        p.on_wire = true;
        p.next_byte = avr->cycle + p.uart->cycles_per_byte;
        continue;
      }
      // Keep a margin below the FIFO's capacity (one slot of it always stays empty).
      while (!p.input.empty() && FifoFill(p) < uart_fifo_fifo_size - 4) {
        uint8_t b = p.input.front();
        p.input.pop_front();
        avr_raise_irq(in, b);
      }
    }
  }

  static int FifoFill(const Port& p) {
    return ((p.uart->input.write + uart_fifo_fifo_size) - p.uart->input.read) & (uart_fifo_fifo_size - 1);
  }

  // Input is still on its way to the program (queued, in a UART, or its interrupt pending).
  bool WaitingForInput() const {
    bool any = false;
    for (const Port& p : ports) {
      if (!p.input.empty()) return true;
      if (p.uart && FifoFill(p) > 0) return true;
      any = any || p.uart;
    }
    return any && avr_has_pending_interrupts(avr);
  }

  uint16_t Word(uint32_t pc) const {
    if (pc + 1 > avr->flashend) return 0xFFFF;
    return static_cast<uint16_t>(avr->flash[pc] | (avr->flash[pc + 1] << 8));
  }

  bool AtSelfJump() const {
    uint16_t op = Word(avr->pc);
    if (op == 0xCFFF) return true;  // rjmp .
    if ((op & 0xFE0E) == 0x940C) {  // jmp k
      uint32_t k = (static_cast<uint32_t>(((op >> 3) & 0x3E) | (op & 1)) << 16) | Word(avr->pc + 2);
      return k * 2 == avr->pc;
    }
    return false;
  }

  bool SleepEnabled() const {
    if (se.addr == 0) return true;
    return (avr->data[se.addr] >> se.bit) & 1;
  }
};

SimRunner::SimRunner(const SimOptions& options) : impl_(std::make_unique<Impl>()) {
  impl_->opt = options;
  impl_->mcu = SimavrName(options.mcu);
}

SimRunner::~SimRunner() {
  if (impl_->avr) {
    {
      std::lock_guard<std::mutex> lock(g_log_mutex);
      g_logs.erase(impl_->avr);
    }
    avr_terminate(impl_->avr);
    free(impl_->avr);
  }
}

bool SimRunner::Load(const std::string& hex_path, const std::string& map_path) {
  Impl& d = *impl_;
  if (d.avr) {
    d.error = "Load() called twice; use a new SimRunner";
    return false;
  }
  static std::once_flag logger_once;
  std::call_once(logger_once, [] { avr_global_logger_set(QuietLogger); });

  {
    // simavr prints notes about parts it does not model while it builds the core.
    fflush(stdout);
    int saved = dup(1);
    int devnull = open("/dev/null", O_WRONLY);
    if (devnull >= 0) dup2(devnull, 1);
    d.avr = avr_make_mcu_by_name(d.mcu.c_str());
    if (d.avr) avr_init(d.avr);
    fflush(stdout);
    if (saved >= 0) {
      dup2(saved, 1);
      close(saved);
    }
    if (devnull >= 0) close(devnull);
  }
  if (!d.avr) {
    d.error = "simavr does not know the MCU " + d.mcu;
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(g_log_mutex);
    g_logs[d.avr] = &d.log;
  }
  d.avr->log = LOG_WARNING;
  d.live = std::make_unique<LivePins>(d.avr);
  d.avr->frequency = d.opt.frequency;
  d.avr->sleep = NoSleep;

  ihex_chunk_p chunks = nullptr;
  int n = read_ihex_chunks(hex_path.c_str(), &chunks);
  if (n <= 0) {
    d.error = "cannot read " + hex_path;
    return false;
  }
  for (int i = 0; i < n; ++i) {
    if (chunks[i].baseaddr + chunks[i].size > d.avr->flashend + 1) {
      free_ihex_chunks(chunks);
      d.error = "program larger than the flash of " + d.mcu;
      return false;
    }
    avr_loadcode(d.avr, chunks[i].data, chunks[i].size, chunks[i].baseaddr);
  }
  free_ihex_chunks(chunks);
  d.avr->pc = 0;

  // UARTs 0 to 3: capture output, no console printing, no real-time waits.
  for (avr_io_t* io = d.avr->io_port; io; io = io->next) {
    if (!io->kind || std::string(io->kind) != "uart") continue;
    auto* u = reinterpret_cast<avr_uart_t*>(io);
    const int number = u->name - '0';
    if (number < 0 || number > 3) continue;
    d.ports[number].uart = u;
    uint32_t flags = 0;
    avr_ioctl(d.avr, AVR_IOCTL_UART_SET_FLAGS(u->name), &flags);
    avr_irq_register_notify(avr_io_getirq(d.avr, AVR_IOCTL_UART_GETIRQ(u->name), UART_IRQ_OUTPUT), Impl::OnOutput,
                            &d.ports[number]);
  }
  d.uart = d.ports[0].uart;
  if (d.uart && SharedUcsrc(d.mcu)) {
    avr_register_io_write(d.avr, d.uart->ubrrh.reg, Impl::OnBaudWrite, &d);
    avr_register_io_write(d.avr, d.uart->ubrrl.reg, Impl::OnBaudWrite, &d);
  }
  d.se = SleepEnableOf(d.mcu);
  d.KeepStoppedCounts();
  d.FixAdc();
  d.FixTwi();
  d.RunPhaseCorrectTimer1();
  // The external interrupt flags (the register of INT0, vector 1 on every chip here).
  for (int i = 0; i < d.avr->interrupts.vector_count; ++i) {
    avr_int_vector_t* v = d.avr->interrupts.vector[i];
    if (v->vector == 1 && v->raised.reg) {
      avr_register_io_write(d.avr, v->raised.reg, Impl::OnFlagWrite, &d);
      if (v->enable.reg) avr_register_io_write(d.avr, v->enable.reg, Impl::OnExtIntEnableWrite, &d);
      break;
    }
  }

  if (d.opt.chip_reset_state) {
    // A fixed pseudo-random fill: repeatable runs, never all zero.
    uint32_t x = 0x2545F491u;
    auto next = [&x] {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      return static_cast<uint8_t>(x | 1);
    };
    for (int r = 0; r < 32; ++r) d.avr->data[r] = next();
    for (uint32_t a = d.avr->ioend + 1; a <= d.avr->ramend; ++a) d.avr->data[a] = next();
    if (StackStartsAtZero(d.mcu)) {
      d.avr->data[R_SPL] = 0;
      d.avr->data[R_SPH] = 0;
    }
  }

  if (!map_path.empty()) {
    std::ifstream f(map_path);
    if (!f) {
      d.error = "cannot read " + map_path;
      return false;
    }
    std::string line;
    while (std::getline(f, line)) {
      std::istringstream ls(line);
      std::string name, type, hex;
      if (!(ls >> name >> type >> hex)) continue;
      try {
        d.symbols[Lower(name)] = static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
      } catch (...) {
      }
    }
  }
  return true;
}

const std::string& SimRunner::Error() const { return impl_->error; }

void SimRunner::QueueInput(std::string_view bytes, int uart) {
  for (char c : bytes) impl_->ports[uart & 3].input.push_back(static_cast<uint8_t>(c));
}
size_t SimRunner::PendingInput(int uart) const { return impl_->ports[uart & 3].input.size(); }
size_t SimRunner::DroppedInput(int uart) const { return impl_->ports[uart & 3].dropped; }

SimStop SimRunner::Run() { return Run(impl_->opt.max_cycles); }

SimStop SimRunner::Run(uint64_t max_cycles) {
  Impl& d = *impl_;
  if (!d.avr || !d.error.empty()) return SimStop::NotLoaded;
  const avr_cycle_count_t limit = d.avr->cycle + max_cycles;
  while (d.avr->cycle < limit) {
    d.FeedInput();
    if (d.avr->state == cpu_Crashed || d.avr->state == cpu_Done) return SimStop::Crashed;
    if (d.avr->state == cpu_Running) {
      if (d.AtSelfJump() && (!d.avr->sreg[S_I] || !d.WaitingForInput())) return SimStop::EndLoop;
      if (d.Word(d.avr->pc) == 0x9588) {  // sleep
        if (!d.SleepEnabled()) {
          d.avr->pc += 2;
          d.avr->cycle += 1;
          continue;
        }
        if (!d.avr->sreg[S_I]) return SimStop::SleepInterruptsOff;
      }
    }
    int state = avr_run(d.avr);
    const uint32_t sp = d.avr->data[R_SPL] | (d.avr->ramend > 0xff ? d.avr->data[R_SPL + 1] << 8 : 0);
    if (sp > d.avr->ioend && sp < d.lowestSp) d.lowestSp = sp;
    if (state == cpu_Crashed) return SimStop::Crashed;
    if (state == cpu_Done) {
      return d.avr->sreg[S_I] ? SimStop::Crashed : SimStop::SleepInterruptsOff;
    }
  }
  return SimStop::CycleCap;
}

const std::string& SimRunner::Output(int uart) const { return impl_->ports[uart & 3].output; }
void SimRunner::ClearOutput(int uart) { impl_->ports[uart & 3].output.clear(); }

uint8_t SimRunner::Sram(uint32_t addr) const {
  if (!impl_->avr || addr > impl_->avr->ramend) return 0;
  return impl_->avr->data[addr];
}
void SimRunner::SetSram(uint32_t addr, uint8_t v) {
  if (impl_->avr && addr <= impl_->avr->ramend) impl_->avr->data[addr] = v;
}
uint16_t SimRunner::SramWord(uint32_t addr) const {
  return static_cast<uint16_t>(Sram(addr) | (Sram(addr + 1) << 8));
}
uint32_t SimRunner::SramLong(uint32_t addr) const {
  return SramWord(addr) | (static_cast<uint32_t>(SramWord(addr + 2)) << 16);
}
uint8_t SimRunner::Reg(int r) const { return Sram(static_cast<uint32_t>(r & 31)); }
void SimRunner::SetReg(int r, uint8_t v) { SetSram(static_cast<uint32_t>(r & 31), v); }
uint16_t SimRunner::Sp() const { return SramWord(R_SPL); }
uint8_t SimRunner::Sreg() const {
  if (!impl_->avr) return 0;
  uint8_t s = 0;
  for (int i = 0; i < 8; ++i)
    if (impl_->avr->sreg[i]) s |= static_cast<uint8_t>(1 << i);
  return s;
}
uint32_t SimRunner::PcBytes() const { return impl_->avr ? impl_->avr->pc : 0; }
void SimRunner::WatchPin(char port, int bit) {
  Impl& d = *impl_;
  if (!d.avr || bit < 0 || bit > 7) return;
  d.AddWatch(d.pins, {port, bit}, avr_io_getirq(d.avr, AVR_IOCTL_IOPORT_GETIRQ(port), IOPORT_IRQ_PIN0 + bit));
}

void SimRunner::DrivePin(char port, int bit, int level) {
  Impl& d = *impl_;
  if (!d.avr || bit < 0 || bit > 7) return;
  if (avr_irq_t* irq = avr_io_getirq(d.avr, AVR_IOCTL_IOPORT_GETIRQ(port), IOPORT_IRQ_PIN0 + bit))
    avr_raise_irq(irq, level ? 1 : 0);
}

void SimRunner::OnPinChange(char port, int bit, std::function<void(uint64_t, bool, int)> fn) {
  if (impl_->live) impl_->live->OnChange(port, bit, std::move(fn));
}
void SimRunner::SetPinInput(char port, int bit, int level) {
  if (impl_->live) impl_->live->SetInput(port, bit, level);
}
void SimRunner::ReleasePinInput(char port, int bit) {
  if (impl_->live) impl_->live->ReleaseInput(port, bit);
}
bool SimRunner::PinIsOutput(char port, int bit) const { return impl_->live && impl_->live->IsOutput(port, bit); }
int SimRunner::PinPortBit(char port, int bit) const { return impl_->live ? impl_->live->PortBit(port, bit) : 0; }
uint32_t SimRunner::PinRegister(char port) const { return impl_->live ? impl_->live->PinAddress(port) : 0; }
void SimRunner::After(uint64_t cycles, std::function<void()> fn) {
  if (impl_->live) impl_->live->After(cycles, std::move(fn));
}

const std::vector<SimRunner::Edge>& SimRunner::PinEdges(char port, int bit) const {
  return impl_->Edges(impl_->pins, {port, bit});
}

void SimRunner::WatchCompare(int timer, int channel) {
  Impl& d = *impl_;
  if (!d.avr || timer < 0 || timer > 5 || channel < 0 || channel >= AVR_TIMER_COMP_COUNT) return;
  d.AddWatch(d.compares, {timer, channel},
             avr_io_getirq(d.avr, AVR_IOCTL_TIMER_GETIRQ(static_cast<char>('0' + timer)), TIMER_IRQ_OUT_COMP + channel));
}

const std::vector<SimRunner::Edge>& SimRunner::CompareEvents(int timer, int channel) const {
  return impl_->Edges(impl_->compares, {timer, channel});
}

uint64_t SimRunner::Cycles() const { return impl_->avr ? impl_->avr->cycle : 0; }
uint32_t SimRunner::RamEnd() const { return impl_->avr ? impl_->avr->ramend : 0; }
uint32_t SimRunner::DeepestStack() const {
  if (!impl_->avr || impl_->lowestSp == UINT32_MAX) return 0;
  return impl_->avr->ramend - impl_->lowestSp;
}

std::optional<uint32_t> SimRunner::Symbol(const std::string& name) const {
  auto it = impl_->symbols.find(Lower(name));
  if (it == impl_->symbols.end()) return std::nullopt;
  return it->second;
}

void SimRunner::WatchWrites(uint32_t addr, std::function<void(uint8_t value)> watch) {
  if (!impl_->avr) return;
  impl_->write_watches.push_back(std::make_unique<std::function<void(uint8_t)>>(std::move(watch)));
  avr_register_io_write(
      impl_->avr, static_cast<avr_io_addr_t>(addr),
      [](avr_t*, avr_io_addr_t, uint8_t v, void* param) { (*static_cast<std::function<void(uint8_t)>*>(param))(v); },
      impl_->write_watches.back().get());
}

void SimRunner::WatchReads(uint32_t addr, std::function<void(uint64_t cycle, uint8_t value)> watch) {
  Impl& d = *impl_;
  if (!d.avr || addr < 0x20 || addr >= 0x20 + MAX_IOs) return;
  auto& slot = d.avr->io[AVR_DATA_TO_IO(addr)].r;
  d.readWatches.push_back({slot.c, slot.param, std::move(watch)});
  slot.c = Impl::OnWatchedRead;
  slot.param = &d.readWatches.back();
}

bool SimRunner::LoadEeprom(const std::string& eep_hex_path) {
  avr_eeprom_t* ee = impl_->FindEeprom();
  if (!ee) return false;
  ihex_chunk_p chunks = nullptr;
  const int n = read_ihex_chunks(eep_hex_path.c_str(), &chunks);
  if (n < 0) return false;
  bool fits = true;
  for (int i = 0; i < n; ++i) {
    if (chunks[i].baseaddr + chunks[i].size > ee->size) {
      fits = false;
      continue;
    }
    std::copy(chunks[i].data, chunks[i].data + chunks[i].size, ee->eeprom + chunks[i].baseaddr);
  }
  free_ihex_chunks(chunks);
  return fits;
}

std::vector<uint8_t> SimRunner::Eeprom() const {
  const avr_eeprom_t* ee = impl_->FindEeprom();
  if (!ee) return {};
  return std::vector<uint8_t>(ee->eeprom, ee->eeprom + ee->size);
}

void SimRunner::SetEeprom(const std::vector<uint8_t>& bytes, uint32_t addr) {
  avr_eeprom_t* ee = impl_->FindEeprom();
  for (size_t i = 0; ee && i < bytes.size() && addr + i < ee->size; ++i) ee->eeprom[addr + i] = bytes[i];
}

void SimRunner::SetAdcInput(int channel, uint32_t millivolts) {
  Impl& d = *impl_;
  if (!d.adc || channel < 0 || channel > 15) return;
  d.adc_millivolts[channel] = millivolts;
  if (channel < 8)
    avr_raise_irq(avr_io_getirq(d.avr, AVR_IOCTL_ADC_GETIRQ, ADC_IRQ_ADC0 + channel), millivolts);
}

void SimRunner::SetAdcReferences(uint32_t avcc_millivolts, uint32_t aref_millivolts) {
  if (!impl_->avr) return;
  impl_->avr->vcc = avcc_millivolts;
  impl_->avr->avcc = avcc_millivolts;
  impl_->avr->aref = aref_millivolts;
}

void SimRunner::OnSpiByte(std::function<void(uint8_t)> fn) {
  Impl& d = *impl_;
  avr_irq_t* irq = d.SpiIrq(SPI_IRQ_OUTPUT);
  if (!irq) return;
  d.spi_listeners.push_back(std::move(fn));
  avr_irq_register_notify(irq, Impl::OnSpiOutput, &d.spi_listeners.back());
}

void SimRunner::SpiInput(uint8_t byte) {
  if (avr_irq_t* irq = impl_->SpiIrq(SPI_IRQ_INPUT)) avr_raise_irq(irq, byte);
}

void SimRunner::OnTwiMessage(std::function<void(uint32_t)> fn) {
  Impl& d = *impl_;
  avr_irq_t* irq = d.TwiIrq(TWI_IRQ_OUTPUT);
  if (!irq) return;
  d.twi_listeners.push_back(std::move(fn));
  avr_irq_register_notify(irq, Impl::OnTwiOutput, &d.twi_listeners.back());
}

void SimRunner::TwiInput(uint32_t message) {
  if (avr_irq_t* irq = impl_->TwiIrq(TWI_IRQ_INPUT)) avr_raise_irq(irq, message);
}

void SimRunner::HoldTwiBus() { impl_->twi_held = true; }

const std::string& SimRunner::Log() const { return impl_->log; }

std::unique_ptr<SimRunner> RunAsm(const std::string& asm_text, const SimOptions& options,
                                  std::string_view input) {
  auto sim = std::make_unique<SimRunner>(options);
  AsmResult a = AssembleAsm(asm_text);
  if (!a.ok) {
    ADD_FAILURE() << "avra failed:\n" << a.output;
    return sim;
  }
  if (!sim->Load(a.hex_path, a.map_path)) {
    ADD_FAILURE() << sim->Error();
    return sim;
  }
  sim->QueueInput(input);
  sim->Run();
  return sim;
}

}  // namespace qbc::test
