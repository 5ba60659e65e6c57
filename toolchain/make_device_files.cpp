// Makes the compiler's device definition files from the definition files of the avra
// assembler.
//
//   qbc_make_device_files CORRECTIONS ALIASES PINS SLEEP_MODES ADC_REFERENCES OUTDIR AVRA AVRA_DEF_FILE...
//
// avra's definitions are taken as the chip's, except where the corrections list says the
// chip differs (a bit the file lacks, a register it gives a chip without it, a wrong value).
// The compiler's device loader reads these files in a fixed way, and avra must still
// assemble them, so each file is written in this layout:
//   - comment lines start with ";" in column 1; the file ends in a vector line;
//   - the avra ".device" line (avra then rejects instructions the chip lacks);
//   - RAMEND, RAMSTART, XRAMEND, E2END, EEPROMEND and FLASHEND as "(decimal)", so that the
//     token the loader reads holds the value itself;
//   - every other constant as ".equ NAME = $hh" without a trailing comment: registers first
//     (the register lookup sees only the first definition lines), then the aliases of the
//     alias list, the register pairs XL..ZH, and bit names and other constants;
//   - the pins of the chip's functions from the pin list (avra's files give none): for each,
//     FUNCTION_PORT = the value of the port's PORTx register and FUNCTION_BIT = the bit;
//   - the chip's sleep modes and ADC references from their lists (avra's files name the
//     bits, not which values select what): SLEEP_<MODE> = the SM2..SM0 code,
//     SLEEP_SMn_REGISTER = the address of a register that keeps mode bit n away from SE,
//     ADC_REF_<NAME> = the REFS2..REFS0 code;
//   - CORE_MUL, CORE_MOVW, CORE_LPM_ZINC and CORE_ELPM_ZINC as "(1)" or "(0)": whether the
//     chip has mul/muls/mulsu, movw, lpm Rd,Z+ and elpm Rd,Z+, as avra's instruction table
//     for the ".device" knows it (AVRA, the assembler, is run on a probe of the four);
//   - the interrupt vectors last, INT0addr first, each ".equ", four blanks and the name
//     (the loader cuts the name from column 9), the INT0addr line longer than 40
//     characters;
//   - no quote or apostrophe anywhere (the loader's tokenizer would take them as strings or
//     comments).
// AT90S parts named by number (8515def.inc) are also written as 90s8515def.inc, the name
// the loader derives from at90s8515.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}
bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Parts whose definition file avra ships but whose name its ".device" does not know: the
// nearest part it knows with the same instruction set and at least as much flash.
std::string AvraDeviceName(const std::string& chip) {
  static const std::map<std::string, std::string> substitutes = {
      {"ATMEGA165", "ATmega164P"},  {"ATMEGA169", "ATmega164P"},  {"ATMEGA325", "ATmega324P"},
      {"ATMEGA329", "ATmega324P"},  {"ATMEGA3250", "ATmega324P"}, {"ATMEGA3290", "ATmega324P"},
      {"ATMEGA649", "ATmega644"},   {"ATMEGA406", "ATmega644"},   {"ATMEGA64", "ATmega644"},
      {"ATMEGA8535", "ATmega8"},    {"ATMEGA2561", "ATmega2560"}, {"AT90PWM2", "ATmega88"},
      {"AT90PWM3", "ATmega88"},
  };
  auto it = substitutes.find(Upper(chip));
  return it == substitutes.end() ? chip : it->second;
}

// Where avra's file of a chip and the chip differ (the corrections list): a name given a
// value (added where the file lacks it, corrected where it has another), or one left out
// (a register the file gives a chip that lacks it).
struct Correction {
  std::string name;
  std::optional<int64_t> value;  // none: left out
};

struct Equ {
  std::string name;
  int64_t value = 0;
  bool register_section = true;  // before the bit definitions of the avra file
};

struct Device {
  std::string source_name;  // avra's file name
  std::string device_line;  // ".device ATmega8"
  std::vector<Equ> equs;    // in file order, first definition of each name
  std::vector<std::pair<std::string, std::string>> defs;  // .def name = register
  std::map<std::string, int64_t> values;                  // upper-case name -> value
};

std::optional<int64_t> ParseNumber(const std::string& text) {
  std::string t = Lower(Trim(text));
  if (t.empty()) return std::nullopt;
  int base = 10;
  size_t start = 0;
  if (t.rfind("0x", 0) == 0) {
    base = 16;
    start = 2;
  } else if (t[0] == '$') {
    base = 16;
    start = 1;
  } else if (t.rfind("0b", 0) == 0) {
    base = 2;
    start = 2;
  }
  if (start >= t.size()) return std::nullopt;
  int64_t v = 0;
  for (size_t i = start; i < t.size(); ++i) {
    int d;
    char c = t[i];
    if (c >= '0' && c <= '9') {
      d = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      d = c - 'a' + 10;
    } else {
      return std::nullopt;
    }
    if (d >= base) return std::nullopt;
    v = v * base + d;
  }
  return v;
}

// The value of an avra definition: a number or the name of an earlier definition.
std::optional<int64_t> Evaluate(const Device& dev, const std::string& expr) {
  std::string e = Trim(expr);
  while (e.size() >= 2 && e.front() == '(' && e.back() == ')') e = Trim(e.substr(1, e.size() - 2));
  if (auto n = ParseNumber(e)) return n;
  auto it = dev.values.find(Upper(e));
  if (it != dev.values.end()) return it->second;
  return std::nullopt;
}

bool ReadAvraFile(const std::string& path, Device& dev) {
  std::ifstream in(path);
  if (!in) {
    std::cerr << "cannot read " << path << "\n";
    return false;
  }
  dev.source_name = std::filesystem::path(path).filename().string();
  bool register_section = true;
  std::string raw;
  int line_no = 0;
  while (std::getline(in, raw)) {
    ++line_no;
    std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == ';') {
      if (Upper(line).find("***** BIT DEFINITIONS") != std::string::npos) register_section = false;
      continue;
    }
    size_t semi = line.find(';');
    if (semi != std::string::npos) line = Trim(line.substr(0, semi));
    std::string lower = Lower(line);
    if (lower.rfind(".device", 0) == 0) {
      dev.device_line = ".device " + AvraDeviceName(Trim(line.substr(7)));
      continue;
    }
    bool is_def = lower.rfind(".def", 0) == 0;
    bool is_equ = lower.rfind(".equ", 0) == 0 || lower.rfind(".set", 0) == 0;
    size_t eq = line.find('=');
    if ((!is_def && !is_equ) || eq == std::string::npos) {
      std::cerr << path << ":" << line_no << ": line passed over: " << line << "\n";
      continue;
    }
    std::string name = Trim(line.substr(4, eq - 4));
    std::string value = Trim(line.substr(eq + 1));
    if (name.empty()) continue;
    if (is_def) {
      dev.defs.emplace_back(name, Lower(value));
      continue;
    }
    if (dev.values.count(Upper(name))) continue;  // first definition wins
    auto v = Evaluate(dev, value);
    if (!v) {
      std::cerr << path << ":" << line_no << ": value not understood, passed over: " << line << "\n";
      continue;
    }
    // A second name for a register ("for compatibility", often among the bits) is a
    // register too.
    bool is_register = register_section;
    for (const Equ& e : dev.equs)
      if (Upper(e.name) == Upper(value)) is_register = is_register || e.register_section;
    dev.values[Upper(name)] = *v;
    dev.equs.push_back({name, *v, is_register});
  }
  return true;
}

// The chip's name in the build's lists: its avra file's, lower case, without "def.inc".
std::string ListName(const Device& dev) {
  std::string chip = Lower(dev.source_name);
  if (EndsWith(chip, "def.inc")) chip.resize(chip.size() - 7);
  return chip;
}

// Applies the chip's corrections; a name left out that the file does not give stops the
// build (the list no longer matches the file). An added name is a bit or constant.
bool ApplyCorrections(Device& dev, const std::vector<Correction>& corrections) {
  for (const Correction& c : corrections) {
    const std::string upper = Upper(c.name);
    auto at = std::find_if(dev.equs.begin(), dev.equs.end(), [&](const Equ& e) { return Upper(e.name) == upper; });
    if (!c.value) {
      if (at == dev.equs.end()) {
        std::cerr << dev.source_name << ": " << c.name << " is to be left out, but the file does not give it\n";
        return false;
      }
      dev.equs.erase(at);
      dev.values.erase(upper);
      continue;
    }
    dev.values[upper] = *c.value;
    if (at != dev.equs.end())
      at->value = *c.value;
    else
      dev.equs.push_back({c.name, *c.value, false});
  }
  return true;
}

struct Alias {
  std::string name;
  std::vector<std::string> candidates;
};

// Each line of one of the build's own lists (aliases, function pins) as words: blank lines
// and "#" comments skipped; a list that cannot be read stops the build.
template <typename EachLine>
void ForEachListLine(const std::string& path, EachLine each) {
  std::ifstream in(path);
  if (!in) {
    std::cerr << "cannot read " << path << "\n";
    std::exit(1);
  }
  std::string line;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    each(words);
  }
}

// Each item of a list whose lines name a chip (its avra file's name, lower case, without
// "def.inc") and then that chip's items, with the chip's name.
template <typename EachItem>
void ForEachChipItem(const std::string& path, EachItem each) {
  ForEachListLine(path, [&](std::istringstream& s) {
    std::string chip, item;
    s >> chip;
    chip = Lower(chip);
    while (s >> item) each(chip, item);
  });
}

std::vector<Alias> ReadAliases(const std::string& path) {
  std::vector<Alias> list;
  ForEachListLine(path, [&](std::istringstream& s) {
    Alias a;
    s >> a.name;
    std::string c;
    while (s >> c) a.candidates.push_back(c);
    if (!a.candidates.empty()) list.push_back(a);
  });
  return list;
}

// The corrections list: chip name (its avra file's, lower case, without "def.inc"), then
// NAME=value items (value as the avra files write it: $hh, 0xhh or decimal) and -NAME items.
std::map<std::string, std::vector<Correction>> ReadCorrections(const std::string& path) {
  std::map<std::string, std::vector<Correction>> list;
  ForEachChipItem(path, [&](const std::string& chip, const std::string& item) {
    const size_t eq = item.find('=');
    std::optional<int64_t> value;
    if (item[0] != '-' && (eq == std::string::npos || !(value = ParseNumber(item.substr(eq + 1))))) {
      std::cerr << path << ": " << chip << ": not NAME=value or -NAME: " << item << "\n";
      std::exit(1);
    }
    list[chip].push_back(item[0] == '-' ? Correction{item.substr(1), std::nullopt}
                                        : Correction{item.substr(0, eq), value});
  });
  return list;
}

// The pins of one chip's functions: the function's name, its port letter and bit.
struct FunctionPin {
  std::string function;
  char letter = 0;
  int bit = 0;
};

// The pin list: chip name (its avra file's, lower case, without "def.inc"), then
// FUNCTION=LETTERbit items.
std::map<std::string, std::vector<FunctionPin>> ReadPins(const std::string& path) {
  std::map<std::string, std::vector<FunctionPin>> pins;
  ForEachChipItem(path, [&](const std::string& chip, const std::string& item) {
    const size_t eq = item.find('=');
    if (eq == std::string::npos || item.size() != eq + 3 || !std::isalpha(static_cast<unsigned char>(item[eq + 1])) ||
        item[eq + 2] < '0' || item[eq + 2] > '7') {
      std::cerr << path << ": " << chip << ": not FUNCTION=LETTERbit: " << item << "\n";
      std::exit(1);
    }
    pins[chip].push_back({Upper(item.substr(0, eq)),
                          static_cast<char>(std::toupper(static_cast<unsigned char>(item[eq + 1]))), item[eq + 2] - '0'});
  });
  return pins;
}

// A list of codes per chip (the sleep modes, the ADC references): chip name, then
// NAME=code items, written as PREFIX + NAME = code. An item BIT@REGISTER (sleep modes only)
// writes PREFIX + BIT_REGISTER = the register's address. Each code's bits must be bits the
// chip's file names (bit k is the first of `bits[k]` it defines), and `needs` a name it
// defines; a line that asks for more stops the build.
struct CodeList {
  const char* prefix;
  const char* title;  // of the comment line above the codes
  std::vector<std::vector<std::string>> bits;
  std::string needs;
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> chips;  // name, code or @REGISTER
};

void ReadCodes(const std::string& path, CodeList& list) {
  ForEachChipItem(path, [&](const std::string& chip, const std::string& item) {
    const size_t eq = item.find_first_of("=@");
    if (eq == std::string::npos || eq == 0 || eq + 1 == item.size()) {
      std::cerr << path << ": " << chip << ": not NAME=code or BIT@REGISTER: " << item << "\n";
      std::exit(1);
    }
    const std::string name = Upper(item.substr(0, eq));
    if (item[eq] == '@')
      list.chips[chip].emplace_back(name + "_REGISTER", "@" + Upper(item.substr(eq + 1)));
    else
      list.chips[chip].emplace_back(name, item.substr(eq + 1));
  });
}

std::string Hex(int64_t v, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "$%0*llX", digits, static_cast<unsigned long long>(v));
  return buf;
}

bool IsSizeName(const std::string& upper) {
  return upper == "RAMEND" || upper == "RAMSTART" || upper == "XRAMEND" || upper == "E2END" ||
         upper == "EEPROMEND" || upper == "FLASHEND";
}

bool IsVectorName(const std::string& name) { return EndsWith(name, "addr"); }

// The instructions that the code generators choose by. avra refuses, line by line, what
// its instruction table for the ".device" lacks, so one probe with one instruction a line
// tells them all.
struct CoreInstructions {
  bool mul = false;
  bool movw = false;
  bool lpm_zinc = false;
  bool elpm_zinc = false;
};

const char* const kProbeLines[] = {"\tmul\tr16,r17", "\tmovw\tr16,r18", "\tlpm\tr16,Z+", "\telpm\tr16,Z+"};

std::optional<CoreInstructions> ProbeCore(const std::string& avra, const std::string& device_line,
                                          const std::filesystem::path& dir) {
  if (device_line.empty()) return CoreInstructions{};  // avra's default device: nothing assumed
  {
    std::ofstream probe(dir / "probe.asm", std::ios::trunc);
    probe << device_line << "\n";
    for (const char* line : kProbeLines) probe << line << "\n";
  }
  const std::string cmd = "cd \"" + dir.string() + "\" && \"" + avra + "\" probe.asm > probe.log 2>&1";
  const int status = std::system(cmd.c_str());
  std::ifstream log(dir / "probe.log");
  std::stringstream text;
  text << log.rdbuf();
  const std::string out = text.str();
  bool refused[4] = {};
  bool any = false;
  for (int i = 0; i < 4; ++i) {
    const std::string mark = "probe.asm(" + std::to_string(i + 2) + ")";
    for (size_t at = out.find(mark); at != std::string::npos; at = out.find(mark, at + 1)) {
      const size_t eol = out.find('\n', at);
      if (Upper(out.substr(at, eol - at)).find("ERROR") != std::string::npos) refused[i] = any = true;
    }
  }
  // A failed run that names none of the probe lines did not get as far as the instructions.
  if (status != 0 && !any) {
    std::cerr << "avra could not be run on the probe for " << device_line << ":\n" << out;
    return std::nullopt;
  }
  return CoreInstructions{!refused[0], !refused[1], !refused[2], !refused[3]};
}

std::string MakeFile(const Device& dev, const std::vector<Alias>& aliases, const std::vector<FunctionPin>& pins,
                     const std::vector<const CodeList*>& codes, const CoreInstructions& core) {
  std::ostringstream o;
  o << ";Device definition file made from " << dev.source_name << "\n";
  o << ";of the avra assembler at build time, for the Quorvil Basic Compiler.\n";
  o << ";Memory sizes in decimal, registers and bits by name, the vectors last.\n";
  if (!dev.device_line.empty()) o << dev.device_line << "\n";

  auto value_of = [&dev](const std::string& name) -> std::optional<int64_t> {
    auto it = dev.values.find(Upper(name));
    if (it == dev.values.end()) return std::nullopt;
    return it->second;
  };

  o << ";memory sizes\n";
  std::optional<int64_t> ramstart = value_of("RAMSTART");
  if (!ramstart) ramstart = value_of("SRAM_START");
  if (!ramstart) {
    auto ioend = value_of("IOEND");
    ramstart = ioend ? *ioend + 1 : 0x60;
  }
  auto size_line = [&o](const char* name, int64_t v) {
    o << ".equ " << name << " = (" << v << ")\n";
  };
  if (auto v = value_of("RAMEND")) size_line("RAMEND", *v);
  size_line("RAMSTART", *ramstart);
  size_line("XRAMEND", value_of("XRAMEND").value_or(0));
  if (auto v = value_of("E2END")) size_line("E2END", *v);
  if (auto v = value_of("EEPROMEND")) size_line("EEPROMEND", *v);
  if (auto v = value_of("FLASHEND")) size_line("FLASHEND", *v);

  auto equ_line = [&o](const std::string& name, int64_t v) {
    o << ".equ " << name << " = " << Hex(v, 2) << "\n";
  };
  // The aliases. A register alias also replaces a bit of the same name (the ATmega32 file
  // names bit 0 of UDR "UDR0", which the compiler writes for the UART 0 data register).
  auto find_equ = [&dev](const std::string& name) -> const Equ* {
    for (const Equ& e : dev.equs)
      if (Upper(e.name) == Upper(name)) return &e;
    return nullptr;
  };
  std::vector<std::pair<std::string, int64_t>> alias_lines;
  std::map<std::string, int64_t> added;
  std::map<std::string, bool> dropped;  // upper-case names of replaced bits
  for (const Alias& a : aliases) {
    if (added.count(Upper(a.name))) continue;
    const Equ* own = find_equ(a.name);
    if (own && own->register_section) continue;
    for (const std::string& c : a.candidates) {
      const Equ* cand = find_equ(c);
      std::optional<int64_t> v;
      bool cand_register = false;
      if (cand) {
        v = cand->value;
        cand_register = cand->register_section;
      } else if (auto it = added.find(Upper(c)); it != added.end()) {
        v = it->second;
        cand_register = true;
      }
      if (!v) continue;
      if (own && !cand_register) break;  // a bit alias for a name the device has: keep it
      if (own) dropped[Upper(a.name)] = true;
      alias_lines.emplace_back(a.name, *v);
      added[Upper(a.name)] = *v;
      break;
    }
  }

  o << ";registers\n";
  for (const Equ& e : dev.equs) {
    if (e.register_section && !IsSizeName(Upper(e.name)) && !IsVectorName(e.name)) equ_line(e.name, e.value);
  }
  o << ";other names of registers and bits\n";
  for (const auto& [name, value] : alias_lines) equ_line(name, value);
  o << ";register pairs\n";
  static const char* const pairs[][2] = {{"XL", "r26"}, {"XH", "r27"}, {"YL", "r28"},
                                         {"YH", "r29"}, {"ZL", "r30"}, {"ZH", "r31"}};
  std::map<std::string, std::string> defs;
  for (const auto& d : dev.defs) defs.emplace(Upper(d.first), d.second);
  for (const auto& p : pairs) defs.emplace(p[0], p[1]);
  for (const auto& p : pairs) o << ".def " << p[0] << " = " << defs[p[0]] << "\n";
  for (const auto& d : defs) {
    bool pair = false;
    for (const auto& p : pairs) pair |= d.first == p[0];
    if (!pair) o << ".def " << d.first << " = " << d.second << "\n";
  }
  o << ";bits and other constants\n";
  std::vector<Equ> vectors;
  const Equ* int0 = nullptr;
  for (const Equ& e : dev.equs) {
    if (IsVectorName(e.name)) {
      vectors.push_back(e);
      continue;
    }
    if (!e.register_section && !IsSizeName(Upper(e.name)) && !dropped.count(Upper(e.name)))
      equ_line(e.name, e.value);
  }
  std::stable_sort(vectors.begin(), vectors.end(),
                   [](const Equ& a, const Equ& b) { return a.value < b.value; });
  // One line per vector: a second name for the same address ("for compatibility" in the
  // avra files) would shift the numbering of every later vector. It stays defined as a
  // plain constant. INT0addr wins its address.
  {
    std::vector<Equ> unique;
    for (const Equ& v : vectors) {
      auto same = std::find_if(unique.begin(), unique.end(), [&v](const Equ& u) { return u.value == v.value; });
      if (same == unique.end()) {
        unique.push_back(v);
      } else if (v.name == "INT0addr") {
        equ_line(same->name, same->value);
        *same = v;
      } else {
        equ_line(v.name, v.value);
      }
    }
    vectors = unique;
  }
  for (const Equ& v : vectors) {
    if (v.name == "INT0addr") int0 = &v;
  }
  if (!int0) {
    // Some tiny parts call it EXT_INT0addr: keep that name, and give the vector its usual
    // name in the vector list.
    for (const Equ& v : vectors) {
      if (Upper(v.name) == "EXT_INT0ADDR") {
        equ_line(v.name, v.value);
        int0 = &v;
      }
    }
  }
  if (!int0) {
    std::cerr << dev.source_name << ": no INT0 vector\n";
    return "";
  }
  o << ";pins of the functions of the chip: the port by its PORTx register, the bit\n";
  for (const FunctionPin& p : pins) {
    const auto port = value_of(std::string("PORT") + p.letter);
    if (!port) {
      std::cerr << dev.source_name << ": " << p.function << " on port " << p.letter << ", which the chip lacks\n";
      return "";
    }
    equ_line(p.function + "_PORT", *port);
    equ_line(p.function + "_BIT", p.bit);
  }
  const std::string chip = ListName(dev);
  for (const CodeList* list : codes) {
    const auto items = list->chips.find(chip);
    if (items == list->chips.end()) continue;
    o << ";" << list->title << "\n";
    if (!value_of(list->needs)) {
      std::cerr << dev.source_name << ": " << list->prefix << " codes for a chip without " << list->needs << "\n";
      return "";
    }
    for (const auto& [name, code] : items->second) {
      std::optional<int64_t> v;
      if (code[0] == '@') {
        v = value_of(code.substr(1));
      } else if ((v = ParseNumber(code))) {
        bool named = true;
        for (size_t k = 0; k < 8; ++k) {
          if ((*v >> k & 1) == 0) continue;
          bool bit_named = false;
          if (k < list->bits.size())
            for (const std::string& bit : list->bits[k]) bit_named = bit_named || value_of(bit).has_value();
          named = named && bit_named;
        }
        if (!named) v.reset();
      }
      if (!v) {
        std::cerr << dev.source_name << ": " << list->prefix << name << " = " << code
                  << ": a code or register the file does not name\n";
        return "";
      }
      equ_line(list->prefix + name, *v);
    }
  }
  o << ";instructions of the core (1: the chip has them)\n";
  size_line("CORE_MUL", core.mul);
  size_line("CORE_MOVW", core.movw);
  size_line("CORE_LPM_ZINC", core.lpm_zinc);
  size_line("CORE_ELPM_ZINC", core.elpm_zinc);
  o << ";interrupt vectors, the first one external interrupt 0; the names start in column 9\n";
  std::string first = ".equ    INT0addr=";
  first += std::string(first.size() < 36 ? 36 - first.size() : 1, ' ');
  first += Hex(int0->value, 4);
  o << first << "\n";
  for (const Equ& v : vectors) {
    if (&v == int0) continue;
    o << ".equ    " << v.name << "= " << Hex(v.value, 4) << "\n";
  }
  return o.str();
}

bool WriteIfChanged(const std::string& path, const std::string& text) {
  {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      std::stringstream s;
      s << in.rdbuf();
      if (s.str() == text) {
        // Touch it so that the build sees the output as new.
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now());
        return true;
      }
    }
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 9) {
    std::cerr << "usage: qbc_make_device_files CORRECTIONS ALIASES PINS SLEEP_MODES ADC_REFERENCES OUTDIR AVRA "
                 "AVRA_DEF_FILE...\n";
    return 2;
  }
  const std::map<std::string, std::vector<Correction>> corrections = ReadCorrections(argv[1]);
  std::vector<Alias> aliases = ReadAliases(argv[2]);
  const std::map<std::string, std::vector<FunctionPin>> pins = ReadPins(argv[3]);
  CodeList sleep{"SLEEP_", "sleep modes: the SM2..SM0 code of each, a register that keeps a mode bit elsewhere",
                 {{"SM0", "SM"}, {"SM1"}, {"SM2"}}, "SE", {}};
  ReadCodes(argv[4], sleep);
  CodeList references{"ADC_REF_", "ADC references: the REFS2..REFS0 code of each", {{"REFS0"}, {"REFS1"}, {"REFS2"}},
                      "ADMUX", {}};
  ReadCodes(argv[5], references);
  std::string outdir = argv[6];
  const std::string avra = argv[7];
  std::filesystem::create_directories(outdir);
  // The probes run in a folder of their own (avra writes its output files beside them).
  const std::filesystem::path probe_dir =
      std::filesystem::temp_directory_path() / ("qbc_core_probe_" + std::to_string(::getpid()));
  std::filesystem::create_directories(probe_dir);
  int failures = 0;
  for (int i = 8; i < argc; ++i) {
    Device dev;
    if (!ReadAvraFile(argv[i], dev)) {
      ++failures;
      continue;
    }
    const std::string chip = ListName(dev);
    if (const auto c = corrections.find(chip); c != corrections.end() && !ApplyCorrections(dev, c->second)) {
      ++failures;
      continue;
    }
    const std::optional<CoreInstructions> core = ProbeCore(avra, dev.device_line, probe_dir);
    if (!core) {
      ++failures;
      continue;
    }
    const auto chip_pins = pins.find(chip);
    std::string text =
        MakeFile(dev, aliases, chip_pins == pins.end() ? std::vector<FunctionPin>{} : chip_pins->second,
                 {&sleep, &references}, *core);
    if (text.empty() || text.find_first_of("\"'") != std::string::npos) {
      std::cerr << argv[i] << ": no usable device file\n";
      ++failures;
      continue;
    }
    std::string name = Lower(dev.source_name);
    std::vector<std::string> names{name};
    if (std::isdigit(static_cast<unsigned char>(name[0]))) names.push_back("90s" + name);
    for (const std::string& n : names) {
      if (!WriteIfChanged(outdir + "/" + n, text)) {
        std::cerr << "cannot write " << outdir << "/" << n << "\n";
        ++failures;
      }
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(probe_dir, ignored);
  return failures == 0 ? 0 : 1;
}
