// Every generated device definition file: read by the loader into sane sizes and vectors,
// and assembled by avra.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/frontend/device_loader.h"
#include "compiler/base/symbols.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/run_command.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

std::vector<std::string> DeviceNames() {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(test::BinDir() + "/inc")) {
    std::string f = e.path().filename().string();
    if (f.size() > 7 && f.compare(f.size() - 7, 7, "def.inc") == 0) names.push_back(f.substr(0, f.size() - 7));
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(DeviceFiles, CoverEveryAvraDeviceAndTheTemplateDevice) {
  std::set<std::string> have;
  for (const auto& n : DeviceNames()) have.insert(n);
  for (const auto& e : std::filesystem::directory_iterator("/usr/share/avra")) {
    std::string f = e.path().filename().string();
    if (f.size() <= 7 || f.compare(f.size() - 7, 7, "def.inc") != 0) continue;
    std::string lower = f.substr(0, f.size() - 7);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(have.count(lower)) << lower;
  }
  for (const char* n : {"8515", "90s8515", "m8", "m16", "m32", "m128", "m168", "tn26"}) {
    EXPECT_TRUE(have.count(n)) << n;
  }
}

TEST(DeviceFiles, TextFollowsTheLoaderRules) {
  for (const auto& name : DeviceNames()) {
    SCOPED_TRACE(name);
    std::string text = test::ReadFile(test::BinDir() + "/inc/" + name + "def.inc");
    EXPECT_EQ(text.find_first_of("'\""), std::string::npos);
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(text.back(), '\n');
    std::string last = text.substr(text.rfind('\n', text.size() - 2) + 1);
    EXPECT_EQ(last.rfind(".equ    ", 0), 0u) << "the file must end in a vector line: " << last;
    EXPECT_NE(text.find("\n.device "), std::string::npos);
    for (const char* def : {".def XL = r26", ".def XH = r27", ".def YL = r28", ".def YH = r29",
                            ".def ZL = r30", ".def ZH = r31", ".equ RAMSTART = ("}) {
      EXPECT_NE(text.find(def), std::string::npos) << def;
    }
  }
}

TEST(DeviceFiles, LoadIntoSaneProfilesAndAssemble) {
  for (const auto& name : DeviceNames()) {
    SCOPED_TRACE(name);
    test::CompilerFixture f;
    f.st.env.InstallDir = test::BinDir();
    f.st.out.OperandSeparator = "\t";
    ASSERT_TRUE(LoadDeviceFile(f.st, name));
    const DeviceProfile& p = f.st.dev;
    EXPECT_EQ(f.st.ErrorCount, 0);
    EXPECT_GE(p.FlashEnd, 1024);
    EXPECT_LE(p.FlashEnd, 262144);
    EXPECT_EQ(p.FlashEnd % 1024, 0);
    EXPECT_TRUE(p.RamStart == 0x40 || p.RamStart == 0x60 || p.RamStart == 0x100 || p.RamStart == 0x200)
        << p.RamStart;
    EXPECT_TRUE(p.RamEnd == 0 || (p.RamEnd > p.RamStart && p.RamEnd <= 0x21ff)) << p.RamEnd;
    EXPECT_GE(p.EepromEnd, 0);
    EXPECT_LE(p.EepromEnd, 4096);
    EXPECT_EQ(f.st.mn.CallMnemonic, p.FlashEnd > 8192 ? "call" : "rcall");
    EXPECT_EQ(f.st.mn.LpmMnemonic, p.FlashEnd > 70000 ? "elpm" : "lpm");
    EXPECT_GT(FindIoRegister(f.st, "sreg"), 0);

    const auto& v = f.st.sym.InterruptVectors;
    int count = std::stoi(v[0].Name);
    std::string text = test::ReadFile(test::BinDir() + "/inc/" + name + "def.inc");
    int lines = 0;
    for (size_t at = text.find("addr="); at != std::string::npos; at = text.find("addr=", at + 1)) ++lines;
    EXPECT_EQ(count, std::min(lines, 48));
    ASSERT_GE(count, 1);
    EXPECT_EQ(v[1].Name, "INT0addr");

    // Every vector name, as the program head writes it, and the names every program uses.
    std::string prog = ".include \"" + test::BinDir() + "/inc/" + name + "def.inc\"\n.cseg\n.org 0\n  rjmp reset\n";
    for (int i = 1; i <= count; ++i) {
      EXPECT_EQ(v[i].Name.find_first_of(" \t"), std::string::npos) << v[i].Name;
      EXPECT_GE(v[i].Name.size(), 5u);
      EXPECT_EQ(v[i].Name.substr(v[i].Name.size() - 4), "addr");
      prog += ".org " + v[i].Name + "\n  reti\n";
    }
    prog += ".org 0x100\nreset:\n  ldi zl, low(RAMEND)\n  ldi zh, high(RAMEND)\n  ldi yl, low(RAMSTART)\n"
            "  ldi xh, low(FLASHEND)\n  ldi xl, low(E2END+XRAMEND)\n  rjmp reset\n";
    if (text.find("E2END") == std::string::npos) {
      prog.replace(prog.find("E2END+"), 6, "");
    }
    test::AsmResult a = test::AssembleAsm(prog, {});
    EXPECT_TRUE(a.ok) << a.output;
  }
}

// The .device line stays: avra refuses what the chip cannot run.
TEST(DeviceFiles, TheAssemblerRejectsInstructionsTheChipLacks) {
  const char* prog = ".include \"%s/inc/%sdef.inc\"\n.cseg\n  %s\nhere: rjmp here\n";
  struct Case {
    const char* device;
    const char* instr;
    bool ok;
  } cases[] = {
      {"m8", "call here", false}, {"m8", "rcall here", true}, {"m16", "call here", true},
      {"tn26", "mul r16, r17", false}, {"m8", "mul r16, r17", true}, {"8515", "movw r16, r18", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.device) + ": " + c.instr);
    char text[512];
    snprintf(text, sizeof text, prog, test::BinDir().c_str(), c.device, c.instr);
    test::AsmResult a = test::AssembleAsm(text, {});
    EXPECT_EQ(a.ok, c.ok) << a.output;
  }
}

// The instructions the code generators choose by, as the loader reads them from each
// device file, against what the assembler accepts for that chip.
TEST(DeviceFiles, CoreInstructionsAreWhatTheAssemblerAcceptsForTheChip) {
  struct Probe {
    const char* instr;
    bool DeviceProfile::*has;
  } probes[] = {{"mul r16, r17", &DeviceProfile::HardwareMultiplier},
                {"movw r16, r18", &DeviceProfile::MovwInstruction},
                {"lpm r16, Z+", &DeviceProfile::LpmPostIncrement},
                {"elpm r16, Z+", &DeviceProfile::ElpmPostIncrement}};
  int withMul = 0;
  for (const auto& name : DeviceNames()) {
    SCOPED_TRACE(name);
    test::CompilerFixture f;
    f.st.env.InstallDir = test::BinDir();
    ASSERT_TRUE(LoadDeviceFile(f.st, name));
    for (const Probe& p : probes) {
      const std::string prog = ".include \"" + test::BinDir() + "/inc/" + name + "def.inc\"\n.cseg\n  " + p.instr +
                               "\nhere: rjmp here\n";
      test::AsmResult a = test::AssembleAsm(prog, {});
      EXPECT_EQ(f.st.dev.*p.has, a.ok) << p.instr << "\n" << a.output;
    }
    withMul += f.st.dev.HardwareMultiplier;
  }
  EXPECT_GT(withMul, 20);

  // Known chips: the newer megas have the multiplier like the classic ones; the ATmega103,
  // the tinies and the AT90S parts do not.
  struct Known {
    const char* device;
    bool mul, movw, lpm, elpm;
  } known[] = {
      {"m8", true, true, true, false},      {"m88", true, true, true, false},    {"m168", true, true, true, false},
      {"m2560", true, true, true, true},    {"m128", true, true, true, true},    {"m103", false, false, false, false},
      {"tn2313", false, true, true, false}, {"tn26", false, false, true, false}, {"90s8515", false, false, false, false},
  };
  for (const Known& k : known) {
    SCOPED_TRACE(k.device);
    test::CompilerFixture f;
    f.st.env.InstallDir = test::BinDir();
    ASSERT_TRUE(LoadDeviceFile(f.st, k.device));
    EXPECT_EQ(f.st.dev.HardwareMultiplier, k.mul);
    EXPECT_EQ(f.st.dev.MovwInstruction, k.movw);
    EXPECT_EQ(f.st.dev.LpmPostIncrement, k.lpm);
    EXPECT_EQ(f.st.dev.ElpmPostIncrement, k.elpm);
  }
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

// Every alias of the alias list is defined on every device that has one of the registers
// (or bits) it stands for, and the register lookup finds the register aliases.
TEST(DeviceFiles, AliasesAreDefinedWhereTheChipHasTheRegister) {
  std::string list = test::ReadFile(std::string(QBC_SOURCE_DIR) + "/toolchain/register_aliases.txt");
  ASSERT_FALSE(list.empty());
  std::vector<std::vector<std::string>> aliases;
  std::istringstream in(list);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string s; words >> s;) w.push_back(s);
    if (w.size() >= 2) aliases.push_back(w);
  }
  for (const auto& name : DeviceNames()) {
    SCOPED_TRACE(name);
    std::string text = test::ReadFile(test::BinDir() + "/inc/" + name + "def.inc");
    test::CompilerFixture f;
    f.st.env.InstallDir = test::BinDir();
    ASSERT_TRUE(LoadDeviceFile(f.st, name));
    auto defined = [&text](const std::string& n) { return text.find("\n.equ " + n + " = ") != std::string::npos; };
    for (const auto& a : aliases) {
      bool any = false;
      for (size_t i = 1; i < a.size(); ++i) any |= defined(a[i]);
      if (!any) continue;
      std::string lower = a[0];
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      EXPECT_TRUE(defined(a[0])) << a[0];
      // Registers (written before the register pairs) must be within the lookup's reach.
      if (text.find("\n.equ " + a[0] + " = ") < text.find(";register pairs")) {
        EXPECT_GT(FindIoRegister(f.st, lower), 0) << a[0];
      }
    }
  }
  // The names the issue lists, on the chips that know them under another name.
  struct Case {
    const char* device;
    const char* name;
    int value;
  } cases[] = {
      {"m8", "ucsr0b", 0x0a},  {"m16", "ucsr0c", 0x20}, {"m32", "udr0", 0x0c},   {"8515", "ucsr0b", 0x0a},
      {"m8", "gimsk", 0x3b},   {"m168", "timsk", 0x6e}, {"m168", "adcsr", 0x7a}, {"m168", "mcucsr", 0x34},
      {"m16", "ucr", 0x0a},    {"m16", "usr", 0x0b},    {"m1280", "etimsk", 0x71}, {"m128", "eicr", 0x3a},
      {"m128", "emcucr", 0x6d}, {"tn2313", "wdtcr", 0x21},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " " + c.name);
    test::CompilerFixture f;
    f.st.env.InstallDir = test::BinDir();
    ASSERT_TRUE(LoadDeviceFile(f.st, c.device));
    int i = FindIoRegister(f.st, c.name);
    ASSERT_GT(i, 0);
    EXPECT_EQ(f.st.sym.IoRegisters[i].Value, c.value);
  }
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

// The chip's own register header (avr-libc, through avr-gcc's preprocessor): each register
// by its data address, each bit or other small constant by its number. Empty when avr-gcc
// is not installed.
struct ChipHeader {
  std::set<int> registers;
  std::map<std::string, int> numbers;
};

ChipHeader ReadChipHeader(const std::string& mcu) {
  ChipHeader h;
  const auto r = test::RunShell("echo '#include <avr/io.h>' | avr-gcc -mmcu=" + mcu + " -E -dM -x c - 2>/dev/null");
  std::istringstream lines(r.output);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream w(line);
    std::string define, name, value;
    if (!(w >> define >> name) || define != "#define") continue;
    std::getline(w, value);
    value.erase(std::remove(value.begin(), value.end(), ' '), value.end());
    for (const std::string form : {"_SFR_IO8(", "_SFR_MEM8(", "_SFR_IO16(", "_SFR_MEM16("}) {
      if (value.rfind(form, 0) != 0) continue;
      int address = std::stoi(value.substr(form.size()), nullptr, 0);
      if (form.find("IO") != std::string::npos) address += 0x20;
      h.registers.insert(address);
      if (form.find("16") != std::string::npos) h.registers.insert(address + 1);
    }
    if (!value.empty() && std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
        value.size() < 4)
      h.numbers[name] = std::stoi(value);
  }
  return h;
}

// The avr-gcc name of a chip by its device file's name.
std::string McuOf(const std::string& device) {
  if (device[0] >= '0' && device[0] <= '9') return "at90s" + device;
  if (device.rfind("tn", 0) == 0) return "attiny" + device.substr(2);
  if (device.rfind("pwm", 0) == 0) return "at90" + device;
  return "atmega" + device.substr(1);
}

// The generated files against each chip's own register header: every register the file
// defines is a register of the chip at that address (a statement asks the file what the
// chip has, so a register of a larger part of the family would be written on a chip
// without it), every bit the corrections list adds and every WGM01 and WGM21 (the fast
// PWM of Timer0 and Timer2) has the header's number. The port
// registers of ports the file names no pins of are left alone: statements refuse those
// ports by their pins.
TEST(DeviceFiles, RegistersAndAddedBitsAreTheChipsOwn) {
  if (std::system("avr-gcc --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "avr-gcc is not installed";
  std::map<std::string, std::vector<std::pair<std::string, int>>> added;
  std::istringstream list(test::ReadFile(std::string(QBC_SOURCE_DIR) + "/toolchain/definition_corrections.txt"));
  for (std::string line; std::getline(list, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string chip, item;
    words >> chip;
    while (words >> item)
      if (item[0] != '-' && item.find("=$") == std::string::npos && item.find("addr") == std::string::npos &&
          item.find("END") == std::string::npos)
        added[chip].emplace_back(item.substr(0, item.find('=')), std::stoi(item.substr(item.find('=') + 1)));
  }
  EXPECT_GE(added.size(), 8u);
  int checked = 0, fastPwmBits = 0;
  for (const std::string& device : DeviceNames()) {
    if (device.rfind("90s", 0) == 0) continue;  // the same files as the AT90S parts' by number
    const ChipHeader header = ReadChipHeader(McuOf(device));
    // (a chip avr-gcc does not know; the reduced core, which the compiler refuses, maps its
    // I/O registers into the data space without an offset)
    if (header.registers.empty() || header.numbers.contains("__AVR_TINY__")) continue;
    SCOPED_TRACE(device);
    ++checked;
    const std::string text = test::ReadFile(test::BinDir() + "/inc/" + device + "def.inc");
    std::istringstream file(text.substr(text.find(";registers"), text.find(";other names") - text.find(";registers")));
    for (std::string line; std::getline(file, line);) {
      std::istringstream w(line);
      std::string equ, name, eq, value;
      if (!(w >> equ >> name >> eq >> value) || equ != ".equ" || name.rfind("SIGNATURE", 0) == 0) continue;
      int address = std::stoi(value.substr(1), nullptr, 16);
      if (address < 0x40) address += 0x20;
      const bool portOfNoPins = (name.rfind("PORT", 0) == 0 || name.rfind("DDR", 0) == 0 || name.rfind("PIN", 0) == 0) &&
                                text.find("\n.equ P" + name.substr(name.size() - 1) + "0 = ") == std::string::npos &&
                                text.find("\n.equ PORT" + name.substr(name.size() - 1) + "0 = ") == std::string::npos;
      EXPECT_TRUE(header.registers.contains(address) || portOfNoPins) << name << " = " << value;
    }
    // Timer0's and Timer2's fast PWM is read from their WGMn1 bit: the file names it only
    // where the header does, at its number (avra's files of the ATmega161 and ATmega323
    // call the CTC0 bit of their Timer0, which has phase-correct PWM only, WGM01).
    for (const std::string bit : {"WGM01", "WGM21"}) {
      const auto at = text.find("\n.equ " + bit + " = $");
      if (at == std::string::npos) continue;
      ++fastPwmBits;
      ASSERT_TRUE(header.numbers.contains(bit)) << bit;
      EXPECT_EQ(std::stoi(text.substr(at + bit.size() + 10, 2), nullptr, 16), header.numbers.at(bit)) << bit;
    }
    for (const auto& [bit, value] : added[device]) {
      // (avr-libc names the bits of the ATmega161's two UARTs without their number: UDRIE)
      const std::string named = header.numbers.contains(bit) ? bit : bit.substr(0, bit.size() - 1);
      ASSERT_TRUE(header.numbers.contains(named)) << bit;
      EXPECT_EQ(header.numbers.at(named), value) << bit;
      EXPECT_NE(text.find("\n.equ " + bit + " = $0" + std::to_string(value) + "\n"), std::string::npos) << bit;
    }
  }
  EXPECT_GE(checked, 50);
  EXPECT_GE(fastPwmBits, 40);
}

}  // namespace
}  // namespace qbc
