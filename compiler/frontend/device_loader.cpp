#include "compiler/frontend/device_loader.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/base/symbols.h"
#include "compiler/frontend/tokenizer.h"

namespace qbc {

namespace {

constexpr int kMaxIoRegisters = 750;  // records 1..750 of IoRegisters
constexpr int kMaxVectors = 48;       // records 1..48 of InterruptVectors

bool StartsWith(const std::string& s, const char* head) { return s.rfind(head, 0) == 0; }

// A profile value as the definition file gives it: "&h" and hexadecimal digits, or the
// leading decimal number of the text (0 when there is none), rounded half to even.
// Nothing when the number is not an integer of `bits` bits.
std::optional<long long> ReadProfileNumber(const std::string& text, int bits) {
  double v = 0;
  if (StartsWith(text, "&h")) {
    v = static_cast<double>(std::strtoll(text.c_str() + 2, nullptr, 16));
  } else {
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    char* end = nullptr;
    v = std::strtod(p, &end);
    if (end == p) v = 0;
  }
  if (!std::isfinite(v)) return std::nullopt;
  v = std::nearbyint(v);  // half to even in the default rounding mode
  const double limit = bits == 16 ? 32768.0 : 2147483648.0;
  if (v < -limit || v > limit - 1) return std::nullopt;
  return static_cast<long long>(v);
}

// The device's name; the mnemonics until its file tells the flash size. Nothing else is
// taken from the name: what the chip has is read from its file (device_facts).
void SetProfileFromName(CompilerState& st, const std::string& name) {
  st.mn.CallMnemonic = "rcall";
  st.mn.JumpMnemonic = "rjmp";
  st.dev.DeviceName = name;
}

// A CORE_ definition of the file: 1 when the chip has the instruction.
void SetCoreInstruction(DeviceProfile& dev, const std::string& symbol, std::optional<long long> value) {
  if (!value) return;
  const bool has = *value != 0;
  if (symbol == "core_mul") dev.HardwareMultiplier = has;
  if (symbol == "core_movw") dev.MovwInstruction = has;
  if (symbol == "core_lpm_zinc") dev.LpmPostIncrement = has;
  if (symbol == "core_elpm_zinc") dev.ElpmPostIncrement = has;
}

// Reads the definition file line by line (lines end in LF or CR LF).
class LineReader {
 public:
  explicit LineReader(const std::string& path) : in_(path, std::ios::binary) {}
  bool Read(std::string& line) {
    if (!std::getline(in_, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }
  bool AtEnd() { return in_.peek() == std::char_traits<char>::eof(); }

 private:
  std::ifstream in_;
};

// Splits one definition line with the shared tokenizer, "#" in front. A quote or an
// apostrophe would make the tokenizer report an unterminated string or read on in the
// source file as a block comment; neither belongs in a definition, so the line is cut
// there. Returns false when the line cannot be split.
bool SplitDefinitionLine(CompilerState& st, const std::string& line) {
  std::string work = "#" + line.substr(0, line.find_first_of("'\""));
  st.src.TokenCount = 0;
  st.src.TokenIndex = 0;
  try {
    TokenizeLine(st, work);
  } catch (const CompileFailure&) {
    return false;
  }
  return true;
}

// The vector name cut from a vector line: from column 9 (directive and blanks before the
// name) or column 6 (directive and one TAB) up to the first "=".
std::optional<std::string> CutVectorName(const std::string& line) {
  std::size_t eq = line.find('=');
  if (eq == std::string::npos) return std::nullopt;
  std::size_t blank = line.find(' ');
  std::size_t start = (blank == std::string::npos || blank < 5) ? 8 : 5;  // 0-based
  if (eq < start) return std::nullopt;
  return line.substr(start, eq - start);
}

void ReadDefinitionFile(CompilerState& st, const std::string& path) {
  DeviceProfile& dev = st.dev;
  LineReader file(path);
  st.sym.IoRegisters.Clear();
  st.sym.DeviceSymbols.clear();
  st.sym.InterruptVectors.Clear();
  // Only the file tells what the core has (a second $device reads its own file).
  dev.HardwareMultiplier = dev.MovwInstruction = dev.LpmPostIncrement = dev.ElpmPostIncrement = false;

  std::string line;
  bool haveVectorLine = false;
  int k = 1;
  while (!file.AtEnd()) {
    if (!file.Read(line)) break;
    bool endedInComments = false;
    while (!line.empty() && line[0] == ';') {
      if (!file.Read(line)) {
        endedInComments = true;  // the definitions read so far stay valid
        break;
      }
    }
    if (endedInComments) break;
    if (!SplitDefinitionLine(st, line)) continue;
    const int count = st.src.TokenCount;
    if (count <= 5) continue;

    const std::string symbol = st.src.Tokens[3].Text;
    std::optional<std::int32_t> symbolValue;
    try {
      std::string hex = st.src.Tokens[(count == 7 || count > 8) ? 5 : 6].Text;
      symbolValue = IsHexConstant(hex);
    } catch (const CompileFailure&) {
      // a value that cannot be converted leaves the cell unchanged
    }
    if (k <= kMaxIoRegisters) {
      IoRegisterRecord& reg = st.sym.IoRegisters[k];
      reg.Name = symbol;
      if (symbolValue && *symbolValue >= -32768 && *symbolValue <= 32767)
        reg.Value = static_cast<std::int16_t>(*symbolValue);
    }
    if (symbolValue) st.sym.DeviceSymbols.emplace(symbol, *symbolValue);
    const std::string value = st.src.Tokens[6].Text;
    if (symbol == "ramend") {
      if (auto v = ReadProfileNumber(value, 16)) dev.RamEnd = static_cast<std::int32_t>(*v);
    } else if (symbol == "ramstart") {
      if (auto v = ReadProfileNumber(value, 16)) dev.RamStart = static_cast<std::int32_t>(*v);
    } else if (symbol == "xramend") {
      if (auto v = ReadProfileNumber(value, 32)) dev.XRamEnd = static_cast<std::int32_t>(*v);
    } else if (symbol == "e2end" || symbol == "eepromend") {
      auto v = ReadProfileNumber(value, 16);
      if (v && *v + 1 <= 32767) dev.EepromEnd = static_cast<std::int32_t>(*v + 1);
    } else if (symbol == "flashend") {
      std::optional<long long> bytes;
      if (value == "&hffff") {
        bytes = 131072;
      } else if (auto v = ReadProfileNumber(value, 32)) {
        long long b = *v * 2 + 2;
        if (b >= -2147483648LL && b <= 2147483647LL) bytes = b;
      }
      if (bytes) {
        dev.FlashEnd = static_cast<std::int32_t>(*bytes);
        dev.NeedRampz = dev.FlashEnd > 70000;
        dev.WideProgramCounter = dev.FlashEnd > 131072;
        st.mn.LpmMnemonic = dev.FlashEnd > 70000 ? "elpm" : "lpm";
      }
    } else if (symbol == "core_mul" || symbol == "core_movw" || symbol == "core_lpm_zinc" ||
               symbol == "core_elpm_zinc") {
      SetCoreInstruction(dev, symbol, ReadProfileNumber(value, 16));
    } else if (symbol == "int0addr") {
      haveVectorLine = true;
      break;
    }
    ++k;
  }
  if (!haveVectorLine) return;

  // The vector lines: the int0addr line (only when longer than 40 characters, which tells
  // the vector block of these files from a plain definition) and every line after it.
  int j = 1;
  bool first = true;
  for (;;) {
    if (!first || line.size() > 40) {
      if (auto name = CutVectorName(line)) {
        if (j <= kMaxVectors) {
          st.sym.InterruptVectors[j].Name = *name;
          ++j;
        }
        // Every vector by its name, also past those the table holds: what the chip has.
        const std::size_t dollar = line.find('$');
        if (dollar != std::string::npos)
          st.sym.DeviceSymbols.emplace(LowerText(*name), std::strtol(line.c_str() + dollar + 1, nullptr, 16));
      }
    }
    first = false;
    st.sym.InterruptVectors[0].Name = std::to_string(j - 1);
    if (file.AtEnd() || !file.Read(line)) break;
  }
}

}  // namespace

std::string DeviceNameFromSource(std::string name) {
  if (StartsWith(name, "at")) name = name.substr(2);
  if (StartsWith(name, "mega")) name = "m" + name.substr(4);
  if (StartsWith(name, "tiny")) name = "tn" + name.substr(4);
  return name;
}

bool LoadDeviceFile(CompilerState& st, const std::string& deviceName) {
  SetProfileFromName(st, deviceName);

  const std::string inc = st.env.IncludeFolder() + "/";
  const std::string fileName = deviceName + "def.inc";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(inc + fileName, ec)) {
    ReportInPlace(st, "File " + deviceName + " not exist at current path!");
    const int after = st.src.TokenIndex + 2;
    if (after < static_cast<int>(st.src.Tokens.size())) {
      st.src.Tokens[after].Text = "<EOL>";
      st.src.Tokens[after].Kind = kTokEol;
    }
    return false;
  }

  st.out.InstrAfter("", Sep::kNarrow, ".include", "\"" + inc + fileName + "\"");
  st.out.Line(";");

  // The definition lines are split with the shared tokenizer; the `$device` line's tokens
  // are kept aside and put back, so that the first pass goes on where it stood.
  auto savedTokens = st.src.Tokens;
  const auto savedCount = st.src.TokenCount;
  const auto savedIndex = st.src.TokenIndex;
  const bool savedSkip = st.sticky.SkipOperandPush;
  ReadDefinitionFile(st, inc + fileName);
  st.src.Tokens = savedTokens;
  st.src.TokenCount = savedCount;
  st.src.TokenIndex = savedIndex;
  st.sticky.SkipOperandPush = savedSkip;

  // call and jmp exist only on parts with more than 8 KB of flash; the name alone (a mega)
  // does not tell, the ATmega8 has neither.
  const bool longJumps = st.dev.FlashEnd > 8192;
  st.mn.CallMnemonic = longJumps ? "call" : "rcall";
  st.mn.JumpMnemonic = longJumps ? "jmp" : "rjmp";
  return true;
}

void ParseDeviceMetaStatement(CompilerState& st) {
  std::string name = st.TokText();
  if (int c = FindConst(st, name); c != 0) {
    name = LowerText(st.sym.Constants[c].Value);
  } else {
    name = LowerText(name);
  }
  ++st.src.TokenIndex;
  if (st.TokText() == ",") {
    ++st.src.TokenIndex;
    ExpectToken(st, "xram");
    ExpectToken(st, ",");
    ++st.src.TokenIndex;  // first item, not read
    ExpectToken(st, ",");
    ++st.src.TokenIndex;  // second item, not read
    st.cfg.XramEnabled = true;
  }
  LoadDeviceFile(st, DeviceNameFromSource(name));
  if (st.cfg.XramEnabled && !HasExternalMemoryBus(st)) {
    ReportInPlace(st, "No external memory bus on this device!");
    st.cfg.XramEnabled = false;
  }
}

}  // namespace qbc
