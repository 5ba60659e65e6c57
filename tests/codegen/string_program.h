#pragma once
// Whole programs for the string tests: a BASIC source compiled by the driver (as the
// environment runs it: tmp.tmp in an installation folder whose inc/ is the build's,
// through CompileBasic),
// assembled by avra and run on the simulator until it stops in its end loop; the tests
// then read the variables by their labels.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc::test::strprog {

struct Target {
  std::string device;  // $device name: m8, m128
  std::string mcu;     // simavr name
};
inline void PrintTo(const Target& t, std::ostream* os) { *os << t.device; }
inline Target M8() { return {"m8", "atmega8"}; }
inline Target M128() { return {"m128", "atmega128"}; }

struct Program {
  std::string asm_text;
  std::string report;
  int errors = 0;
  std::unique_ptr<SimRunner> sim;

  std::uint32_t Addr(const std::string& label) const {
    auto a = sim->Symbol(label);
    EXPECT_TRUE(a.has_value()) << "no label " << label;
    return a.value_or(0);
  }
  // The zero-terminated text at a variable (at most `max` bytes read).
  std::string Text(const std::string& label, std::uint32_t offset = 0, std::uint32_t max = 300) const {
    std::string s;
    const std::uint32_t a = Addr(label) + offset;
    for (std::uint32_t i = 0; i < max; ++i) {
      const std::uint8_t c = sim->Sram(a + i);
      if (c == 0) break;
      s += static_cast<char>(c);
    }
    return s;
  }
  std::uint8_t Byte(const std::string& label, std::uint32_t offset = 0) const { return sim->Sram(Addr(label) + offset); }
  std::uint16_t Word(const std::string& label) const { return sim->SramWord(Addr(label)); }
  std::uint32_t Long(const std::string& label) const { return sim->SramLong(Addr(label)); }
};

// The head of every test source: device, clock and stack.
inline std::string Head(const Target& t) { return "$device = " + t.device + "\r\n$clock = 8\r\n$stack = 40\r\n"; }

// Compiles only (the asm text and the report).
inline Program Compile(const std::string& body, const Target& t = M8()) {
  Program p;
  std::string src = Head(t) + body;
  std::string crlf;
  for (char c : src) {
    if (c == '\n' && (crlf.empty() || crlf.back() != '\r')) crlf += '\r';
    crlf += c;
  }
  CompiledBasic c = CompileBasic(crlf);
  p.errors = c.error_count;
  p.report = c.report + c.failure;
  p.asm_text = c.asm_text;
  return p;
}

// Compiles, assembles and runs. The program stops in a loop placed after the user code.
// With `poolAbove64k` the string constants (and the library after them) are placed above
// the first 64 KB of flash.
inline Program Run(const std::string& body, const Target& t = M8(), bool poolAbove64k = false) {
  Program p = Compile(body, t);
  EXPECT_EQ(p.errors, 0) << p.report;
  if (p.errors != 0) return p;
  std::string text = p.asm_text;
  const std::string marker = ";****** END OF USER BASIC CODE";
  const auto at = text.find(marker);
  EXPECT_NE(at, std::string::npos);
  if (at == std::string::npos) return p;
  text.insert(at, "_tEnd:\trjmp\t_tEnd\r\n");
  if (poolAbove64k) {
    const auto pool = text.find("; String constants:");
    EXPECT_NE(pool, std::string::npos);
    if (pool != std::string::npos) text.insert(pool, ".ORG\t0x8000\r\n");
  }
  AsmResult a = AssembleAsm(text);
  EXPECT_TRUE(a.ok) << a.output << "\n" << text;
  if (!a.ok) return p;
  p.sim = std::make_unique<SimRunner>(SimOptions{.mcu = t.mcu, .frequency = 8000000});
  EXPECT_TRUE(p.sim->Load(a.hex_path, a.map_path)) << p.sim->Error();
  EXPECT_EQ(p.sim->Run(), SimStop::EndLoop) << p.sim->Log() << "\n" << text;
  return p;
}

}  // namespace qbc::test::strprog
