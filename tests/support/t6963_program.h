#pragma once
// A BASIC program run on the simulator with a live T6963C model on its pins: the $glcd and
// $gctrl lines written from the model's wiring, display memory preset to 0x5A (power-up
// contents are undefined), flash tables placed after End.
//
//   Shown shown = RunOnT6963("GCls\nPSet(3 , 4) , 1\n", 16, {.width = 240, .height = 64});
//   ASSERT_TRUE(shown.run->ok) << shown.run->Diagnostics();
//   EXPECT_TRUE(shown.lcd.Violations().empty());
#include <cstdint>
#include <memory>
#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/t6963_model.h"

namespace qbc::test {

struct T6963Shown {
  std::unique_ptr<BasicRun> run;
  T6963Model lcd;
};

// The chip and the ports of the data bus and the control lines.
struct T6963Board {
  std::string device = "m32";
  std::string mcu = "atmega32";
  char data = 'A';
  char ctrl = 'C';
};

// `fs` < 0 leaves "fs" out of $gctrl; `tables` follow End.
T6963Shown RunOnT6963(const std::string& body, int mhz, T6963Wiring wiring, const T6963Board& board = {},
                      std::uint64_t max_cycles = 20'000'000, int fs = -1, const std::string& tables = "");

}  // namespace qbc::test
