// A small program for every device file the build installs: it compiles and assembles, or
// the compiler refuses the chip with its reason. A chip that compiles "OK" and then fails
// in the assembler is a fault of the compiler, whatever the chip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc::test {
namespace {

std::vector<std::string> DeviceNames() {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(BinDir() + "/inc")) {
    const std::string f = e.path().filename().string();
    if (f.size() > 7 && f.compare(f.size() - 7, 7, "def.inc") == 0) names.push_back(f.substr(0, f.size() - 7));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The chips the compiler refuses, and why: no SRAM for the stacks, or the reduced core
// (sixteen registers, no adiw/sbiw).
const std::map<std::string, std::string> kRefused = {
    {"1200", "Unsupported Device!"}, {"90s1200", "Unsupported Device!"}, {"tn11", "Unsupported Device!"},
    {"tn12", "Unsupported Device!"}, {"tn15", "Unsupported Device!"},    {"tn28", "Unsupported Device!"},
    {"tn10", "Unsupported Device!"}, {"tn20", "Unsupported Device!"},
};

// The start-up code (stack pointers, the software stack), a loop, a library routine, a
// string and a wait: what every program has.
std::string Program(const std::string& device) {
  return "$device = " + device +
         "\n$clock = 4\n$stack = 16\n"
         "Dim B As Byte, W As Word, S As String * 3\n"
         "W = 1\n"
         "For B = 1 To 3\n  W = W * B\nNext\n"
         "S = \"ab\"\n"
         "Waitms 1\n"
         "End\n";
}

TEST(DevicePrograms, EveryDeviceFileAssemblesOrIsRefusedWithItsReason) {
  const std::vector<std::string> devices = DeviceNames();
  ASSERT_GT(devices.size(), 50u);
  for (const auto& [name, message] : kRefused)
    EXPECT_NE(std::find(devices.begin(), devices.end(), name), devices.end()) << name << " has no device file";
  for (const std::string& device : devices) {
    SCOPED_TRACE(device);
    const CompiledBasic compiled = CompileBasic(Program(device));
    EXPECT_TRUE(compiled.failure.empty()) << compiled.failure;
    const auto refused = kRefused.find(device);
    if (refused != kRefused.end()) {
      EXPECT_EQ(compiled.error_count, 1) << compiled.report;
      EXPECT_NE(compiled.report.find(refused->second), std::string::npos) << compiled.report;
      continue;
    }
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    const AsmResult assembled = AssembleAsmFile(compiled.asm_path);
    EXPECT_TRUE(assembled.ok) << assembled.output << "\n---- asm ----\n" << compiled.asm_text;
  }
}

// ---- Every unit the chip has ----

// The names the chip's device file defines (lower case) and their value texts, its
// vectors ("int0addr") among them.
std::map<std::string, std::string> FileNames(const std::string& device) {
  std::map<std::string, std::string> names;
  std::ifstream in(BinDir() + "/inc/" + device + "def.inc");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string equ, name, equals, value;
    if (!(words >> equ >> name >> equals) || equ != ".equ") continue;
    if (name.ends_with("=")) {  // a vector: ".equ    INT0addr= $0001"
      value = equals;
      name.pop_back();
    } else if (!(words >> value)) {
      continue;
    }
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    names.emplace(name, value);
  }
  return names;
}

// The words of Enable and Disable for the interrupt sources whose vectors the file names
// (its "<name>addr" lines): timer overflows, compare matches and captures, external
// interrupts, the UARTs, the converter, the EEPROM, the comparator, SPI, the self
// programming, TWI and the watchdog. Vectors no word names (pin changes, output B of an
// 8-bit timer, USI, ...) are left out. (The ATmega2561's file keeps the vectors of the
// ATmega2560's USART2 and 3, which the chip lacks: the sweep asks for a UART's sources
// where the file has its control register.)
std::vector<std::string> SourceWords(const std::map<std::string, std::string>& file) {
  std::vector<std::string> words;
  for (const auto& [name, value] : file) {
    if (!name.ends_with("addr")) continue;
    // the vector's kind (its leading letters) and its unit and channel
    const std::string v = name.substr(0, name.size() - 4);
    const std::size_t cut = v.find_first_not_of("abcdefghijklmnopqrstuvwxyz");
    const std::string kind = v.substr(0, cut);
    const std::string unit = cut == std::string::npos ? "" : v.substr(cut);
    const bool number = unit.size() == 1 && unit[0] >= '0' && unit[0] <= '7';
    std::string word;
    if (kind == "ovf" && number) {
      word = "Timer" + unit;
    } else if (kind == "oc" && (unit == "0" || unit == "0a" || unit == "2" || unit == "2a")) {
      word = "Oc" + unit.substr(0, 1);  // output A of an 8-bit timer
    } else if (kind == "oc" && unit == "1") {
      word = "Oc1a";  // the one output of the AT90S4433's Timer1
    } else if (kind == "oc" && unit.size() == 2 && unit[0] >= '1' && unit[0] <= '5' && unit[0] != '2') {
      word = "Oc" + unit;
    } else if (kind == "icp" && number && unit[0] >= '1' && unit[0] <= '5') {
      word = "Icp" + unit;
    } else if (kind == "int" && number) {
      word = "Int" + unit;
    } else if ((kind == "urxc" || kind == "utxc" || kind == "udre") && (unit.empty() || (number && unit[0] <= '3'))) {
      word = kind + unit;
    } else if (unit.empty() && (kind == "adcc" || kind == "erdy" || kind == "aci" || kind == "spi" || kind == "spmr" ||
                                kind == "twi")) {
      word = kind;
    } else if (unit.empty() && (kind == "wdt" || kind == "watchdog")) {
      word = "Wdt";
    }
    if (!word.empty() && std::find(words.begin(), words.end(), word) == words.end()) words.push_back(word);
  }
  return words;
}

// One unit of the program: its declaration lines and its statements. `must` says the chip's
// file gives what the unit needs, so a refusal is a fault; otherwise the compiler may refuse
// it at one of its lines. `refuse` says the chip surely lacks what the unit needs (code that
// compiled would do something else on the chip), so the unit must be refused.
struct Unit {
  std::string name;
  std::string declarations;
  std::string statements;
  bool must = true;
  bool refuse = false;
};

std::vector<Unit> UnitsOf(const std::map<std::string, std::string>& file) {
  std::vector<Unit> units;
  for (int t = 0; t <= 5; ++t) {
    const std::string n = std::to_string(t);
    if (!file.contains("tcnt" + n) && !file.contains("tcnt" + n + "l")) continue;
    // prescale 8 is in every timer's set
    units.push_back({"Timer" + n, "$timer" + n + " = timer, prescale = 8\n",
                     "Timer" + n + " = 0\nStart Timer" + n + "\nW = Timer" + n + "\nStop Timer" + n + "\n"});
  }
  for (int u = 0; u <= 3; ++u) {
    const std::string n = std::to_string(u);
    const bool has = file.contains("ucsr" + n + "b") || (u == 0 && (file.contains("ucsrb") || file.contains("ucr")));
    if (!has) continue;
    const std::string suffix = u == 0 ? "" : n;
    units.push_back({"UART" + n, "$baud" + suffix + " = 9600\n",
                     "Print" + suffix + " \"ab\" ; B\nInput" + suffix + " B\n"});
  }
  if (file.contains("eecr"))
    units.push_back({"EEPROM", "", "WriteEE(1 , B)\nB = ReadEE(1)\n"});
  // The software UART needs INT0's pin (the pin list), its edge sense bits and flag, and
  // Timer0; where one is missing the compiler refuses it at its line.
  // It sends on a port B pin other than INT0's.
  const std::string tx = file.contains("int0_port") && file.contains("int0_bit") && file.at("int0_port") == file.at("portb") &&
                                 file.at("int0_bit") == "$00"
                             ? "1"
                             : "0";
  units.push_back({"$com1", "$com1 = portb." + tx + " , 9600\n", "PrintBin #1 , B\n",
                   file.contains("int0_port") && file.contains("tcnt0") && file.contains("isc01") &&
                       file.contains("intf0")});
  units.push_back({"string", "", "S = \"ab\"\nS = S + \"c\"\n"});

  auto has = [&file](const std::string& name) { return file.contains(name); };
  // Timer1's PWM, compare and capture, Timer2's PWM: each unit where the file names the bits
  // and registers it writes (the tiny25/45/85 and tiny26 Timer1 in their own layout).
  if (has("tcnt1") || has("tcnt1l")) {
    const bool outputA = has("com1a0") || has("com10");
    units.push_back({"Timer1 PWM", "$timer1 = pwm , 8 , pwma = normal\n", "Pwm1a = 100\n", outputA});
    units.push_back({"Timer1 capture", "$timer1 = timer , capture = rising , noisecancel\n", "W = Capture1\n",
                     has("icr1l")});
  }
  // Every timer as a counter of its clock input's edges, where the file names its Tn pin
  // (a tiny's Timer1 with PWM per output has none); each compare output of every timer
  // with its value, where the file names the output's bits.
  for (int t = 0; t <= 5; ++t) {
    const std::string n = std::to_string(t);
    if (!has("tcnt" + n) && !has("tcnt" + n + "l")) continue;
    // (among the statements, written in place: the start-up code holds 33 lines; a timer
    // without a clock input would count the system clock divided by 1024)
    units.push_back({"Timer" + n + " counter", "", "$timer" + n + " = counter , rising\nW = Counter" + n + "\n",
                     has("t" + n + "_port") && !has("pwm" + n + "a"), !has("t" + n + "_port")});
    const bool eightBit = !has("tcnt" + n + "h");
    for (const std::string channel : {"a", "b", "c"}) {
      if (eightBit && channel != "a") break;
      const bool output = has("com" + n + channel + "0") || (channel == "a" && has("com" + n + "0"));
      units.push_back({"Timer" + n + " compare " + channel, "",
                       "$timer" + n + " = timer , compare" + (eightBit ? "" : channel) + " = toggle\nCompare" + n +
                           (eightBit ? "" : channel) + " = 100\n",
                       output});
    }
  }
  // Timer0's PWM where it has an output (the m8's and the AT90S chips' Timer0 counts only),
  // its fast PWM where it has the mode (not the m103's).
  if (has("tcnt0")) {
    const bool output = has("com00") || has("com0a0");
    units.push_back({"Timer0 PWM", "$timer0 = pwm , normal\n", "Pwm0 = 100\n", output});
    units.push_back({"Timer0 fast PWM", "$timer0 = fastpwm , pwma = normal\n", "", has("wgm01") && output});
  }
  if (has("tcnt2"))
    units.push_back({"Timer2 PWM", "$timer2 = pwm , 8 , normal\n", "Pwm2 = 100\n", has("com20") || has("com2a0")});
  // DTMF: Timer1's 16-bit PWM on the chip's OC1A pin.
  std::string oc1a = "b.2";
  for (char l = 'a'; l <= 'l'; ++l)
    if (has("oc1a_port") && has("port" + std::string(1, l)) && file.at("port" + std::string(1, l)) == file.at("oc1a_port"))
      oc1a = std::string(1, l) + "." + file.at("oc1a_bit").substr(2);
  units.push_back({"DTMF", "$dtmf = port" + oc1a + " , 10\n", "Dtmf(1)\n",
                   has("tcnt1h") && has("tccr1a") && has("tccr1b") && has("com1a0") && has("oc1a_port")});
  units.push_back({"INT0", "", "Enable Int0\nInt0 Falling\nDisable Int0\n", has("int0") && has("isc01")});
  // Each interrupt source the file has a vector for: switched on and off.
  for (const std::string& word : SourceWords(file)) {
    const bool uart = word.starts_with("u");
    const std::string n = word.size() == 5 ? word.substr(4) : "0";
    const bool must = !uart || has("ucsr" + n + "b") || (n == "0" && (has("ucsrb") || has("ucr")));
    units.push_back({"Enable " + word, "", "Enable " + word + "\nDisable " + word + "\n", must});
  }
  // Each sleep mode the chip's file lists; the others are refused.
  for (const char* mode : {"Idle", "PowerDown", "PowerSave", "Standby", "ExtStandby"}) {
    std::string code = std::string("sleep_") + mode;
    std::transform(code.begin(), code.end(), code.begin(), [](unsigned char c) { return std::tolower(c); });
    units.push_back({mode, "", std::string(mode) + "\n", has(code)});
  }
  // The converter, and each reference the chip's file lists.
  units.push_back({"ADC", "", "Start Adc\nW = Adc(1)\nB = Adc8(2)\nStop Adc\n", has("admux")});
  for (const char* reference : {"Ext", "Int", "Vcc"}) {
    std::string code = std::string("adc_ref_") + reference;
    std::transform(code.begin(), code.end(), code.begin(), [](unsigned char c) { return std::tolower(c); });
    units.push_back({std::string("ADC ") + reference, "", std::string("Start Adc , Vref = ") + reference + "\n", has(code)});
  }
  return units;
}

std::string UnitProgram(const std::string& device, const std::vector<Unit>& units) {
  std::string text = "$device = " + device + "\n$clock = 4\n$stack = 32\nDim B As Byte , W As Word , S As String * 3\n";
  for (const Unit& u : units) text += u.declarations;
  for (const Unit& u : units) text += u.statements;
  return text + "End\n";
}

// The unit whose lines hold line `line` of the program, -1 for the common lines.
int UnitAt(const std::vector<Unit>& units, int line) {
  int first = 5;  // after the head and the Dim line
  auto lines = [](const std::string& t) { return static_cast<int>(std::count(t.begin(), t.end(), '\n')); };
  for (int pass = 0; pass < 2; ++pass)
    for (std::size_t i = 0; i < units.size(); ++i) {
      const int n = lines(pass == 0 ? units[i].declarations : units[i].statements);
      if (line >= first && line < first + n) return static_cast<int>(i);
      first += n;
    }
  return -1;
}

// For every device file the build installs: a program using each unit the chip has (every
// timer with a prescaler and as a counter, each compare output of every timer, Timer0's PWM
// and fast PWM, Timer1's PWM and capture, Timer2's PWM, Enable and Disable of each
// interrupt source the file has a vector for, each UART, EEPROM, $com1, DTMF, INT0, each
// sleep mode, the converter and each of its references, a string). A unit the compiler
// refuses is refused at one of its own lines, only where the file lacks what it needs, and
// is then left out; a counter of a timer without a clock input is refused; what remains
// assembles. Nothing fails in the assembler, and the file's registers are the chip's own
// (DeviceFiles.RegistersAndAddedBitsAreTheChipsOwn), so nothing writes a register the chip
// lacks.
TEST(DevicePrograms, EveryUnitOfEveryDeviceAssemblesOrIsRefusedAtItsLine) {
  for (const std::string& device : DeviceNames()) {
    if (kRefused.contains(device)) continue;
    SCOPED_TRACE(device);
    std::vector<Unit> units = UnitsOf(FileNames(device));
    for (;;) {
      const std::string program = UnitProgram(device, units);
      const CompiledBasic compiled = CompileBasic(program);
      ASSERT_TRUE(compiled.failure.empty()) << compiled.failure;
      if (compiled.error_count == 0) {
        const AsmResult assembled = AssembleAsmFile(compiled.asm_path);
        EXPECT_TRUE(assembled.ok) << assembled.output << "\n---- program ----\n" << program;
        for (const Unit& u : units) EXPECT_FALSE(u.refuse) << u.name << " compiled";
        break;
      }
      // every error names a line of a unit the chip may lack: those units are left out
      std::set<int> refused;
      for (std::size_t at = compiled.report.find("--> Line "); at != std::string::npos;
           at = compiled.report.find("--> Line ", at + 1)) {
        const int unit = UnitAt(units, std::stoi(compiled.report.substr(at + 9)));
        ASSERT_GE(unit, 0) << compiled.report << program;
        refused.insert(unit);
      }
      ASSERT_FALSE(refused.empty()) << compiled.report;
      for (auto unit = refused.rbegin(); unit != refused.rend(); ++unit) {
        EXPECT_FALSE(units[static_cast<std::size_t>(*unit)].must)
            << units[static_cast<std::size_t>(*unit)].name << " refused: " << compiled.report;
        units.erase(units.begin() + *unit);
      }
    }
  }
}

// The flash reads (a table element in the program, the float text's tables in the library)
// step Z themselves with "lpm Rd,Z+" (or "elpm Rd,Z+" beyond 64 KB) exactly where the
// device file says the core has that form; elsewhere they read through r0 and step Z with
// adiw, which every core has. The assembler, told the chip, refuses a form it lacks.
TEST(DevicePrograms, FlashReadsStepZWhereTheCoreCan) {
  for (const std::string& device : DeviceNames()) {
    if (kRefused.contains(device)) continue;
    SCOPED_TRACE(device);
    const std::map<std::string, std::string> file = FileNames(device);
    const bool beyond64k = std::stol(file.at("flashend").substr(1)) * 2 + 2 > 70000;
    const bool postIncrement = file.at(beyond64k ? "core_elpm_zinc" : "core_lpm_zinc") == "(1)";
    const long flashWords = std::stol(file.at("flashend").substr(1)) + 1;
    // (the float text needs more than the 1K words of the smallest chips)
    const CompiledBasic compiled = CompileBasic(
        "$device = " + device +
        "\n$clock = 4\n$stack = 16\nDim T(3) As Flash Word , F As Float , S As String * 16 , W As Word , B As Byte\n"
        "W = T(B)\n" + (flashWords > 1024 ? "S = Str(F)\n" : "") + "End\nT = 1 , 2 , 3\n");
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    const std::string read = beyond64k ? "elpm" : "lpm";
    int stepping = 0, stepped = 0;
    std::istringstream lines(compiled.asm_text);
    std::string line, before;
    while (std::getline(lines, line)) {
      std::istringstream words(line);
      std::string first, operands, word;
      words >> first;
      if (!first.empty() && first.back() == ':') words >> first;
      while (words >> word) operands += word;
      if (first == read && operands.ends_with(",Z+")) ++stepping;
      if (first == "adiw" && operands == "zl,0x01" && before == read) ++stepped;
      before = operands.empty() ? first : "";
    }
    EXPECT_EQ(stepping > 0, postIncrement) << stepping;
    EXPECT_EQ(stepped > 0, !postIncrement) << stepped;
    const AsmResult assembled = AssembleAsmFile(compiled.asm_path);
    EXPECT_TRUE(assembled.ok) << assembled.output;
  }
}

}  // namespace
}  // namespace qbc::test
