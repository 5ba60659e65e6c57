#include "tests/support/t6963_program.h"

namespace qbc::test {

T6963Shown RunOnT6963(const std::string& body, int mhz, T6963Wiring wiring, const T6963Board& board,
                      std::uint64_t max_cycles, int fs, const std::string& tables) {
  wiring.data_port = board.data;
  wiring.ctrl_port = board.ctrl;
  const std::string glcd = "$glcd t6963c, data = port" + std::string(1, static_cast<char>(board.data + 32)) +
                           ", ctrl = port" + std::string(1, static_cast<char>(board.ctrl + 32)) + ", " +
                           std::to_string(wiring.width) + ", " + std::to_string(wiring.height) + ", " +
                           (wiring.split ? "2" : "8") + "\n$gctrl rd = " + std::to_string(wiring.rd) +
                           ", wr = " + std::to_string(wiring.wr) + ", cd = " + std::to_string(wiring.cd) +
                           ", ce = " + std::to_string(wiring.ce) +
                           (fs < 0 ? "" : ", fs = " + std::to_string(fs)) + "\n";
  const std::string source = "$device = " + board.device + "\n$clock = " + std::to_string(mhz) + "\n$stack = 40\n" +
                             glcd + body + "End\n" + tables;
  T6963Shown shown{nullptr, T6963Model(wiring, mhz)};
  shown.lcd.Preset(0x5A);
  SimOptions options{.mcu = board.mcu, .frequency = static_cast<uint32_t>(mhz) * 1000000u, .max_cycles = max_cycles};
  shown.run = RunBasicWith(source, options, {}, [&](SimRunner& sim) { shown.lcd.Attach(sim); });
  return shown;
}

}  // namespace qbc::test
