// $spi: divider "," order "," mode "," polarity "," phase. The SPI control value, the
// double-speed bit where the chip has one, and the port B directions of the SPI pins.
#include <array>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/device_facts.h"
#include "compiler/frontend/init_code_lines.h"
#include "compiler/statements/peripherals/meta_peripheral.h"
#include "compiler/statements/peripherals/spi_cells.h"

namespace qbc {

namespace {

// The bits of the SPI pins on port B, from the device file: SS, MOSI and SCK drive for a
// master (`out` of the master's pins) and MISO for a slave. None when the file does not
// give all four on port B (the set-up writes DDRB alone).
std::optional<std::uint8_t> SpiPinBits(const CompilerState& st, std::initializer_list<const char*> functions) {
  std::uint8_t bits = 0;
  for (const char* f : functions) {
    const auto pin = FunctionPin(st, f);
    if (!pin || pin->letter != 'B') return std::nullopt;
    bits = static_cast<std::uint8_t>(bits | (1 << pin->bit));
  }
  return bits;
}

std::string SpiLine(const CompilerState& st, const std::string& mnemonic, const std::string& operands) {
  return st.out.InstrText(Sep::kWide, mnemonic, operands);
}

// A register read or write of the set-up, in the form io_access chooses (the SPI and port B
// registers lie in the I/O space on every chip with the unit).
std::string SpiLine(const CompilerState& st, const IoForm& form) {
  return SpiLine(st, form.front().mnemonic, form.front().operands);
}

// The start-up code during the declarations; in place in the code pass.
void WriteSpiLine(CompilerState& st, const std::string& line) {
  if (st.src.DeclarationsEnded)
    st.out.Line(line);
  else
    AppendInitCodeLine(st, line);
}

// Reads one of two words at the current token: `set` ORs `bits` into the control value,
// `clear` takes them out; anything else reports `message`. Returns whether `set` was read.
bool ReadSpiChoice(CompilerState& st, int& control, const char* set, const char* clear, int bits,
                   const char* message) {
  HoldOnLine(st);
  const std::string w = st.TokText();
  if (w == set) {
    control |= bits;
  } else if (w == clear) {
    control &= ~bits;
  } else {
    CompileError(st, message);
    return false;
  }
  ++st.src.TokenIndex;
  return w == set;
}

}  // namespace

std::uint8_t SpiPinMask(const CompilerState& st) {
  return SpiPinBits(st, {"ss", "mosi", "miso", "sck"}).value_or(0);
}

std::uint8_t SpiDirectionValue(const CompilerState& st, bool master) {
  return (master ? SpiPinBits(st, {"ss", "mosi", "sck"}) : SpiPinBits(st, {"miso"})).value_or(0);
}

void ParseSpiMetaStatement(CompilerState& st) {
  const ErrorWatch errors(st);
  st.Cells<SpiCells>().SpiConfigured = true;
  // A chip without the SPI unit (the tinies' USI is another) has no SPCR to write.
  if (FindIoRegister(st, "spcr") == 0 && !st.sym.DeviceSymbols.empty()) {
    CompileError(st, "No SPI available!");
    return;
  }
  // The pins' directions are set on port B: the device file must give them there.
  if (!st.sym.DeviceSymbols.empty() && !SpiPinBits(st, {"ss", "mosi", "miso", "sck"})) {
    CompileError(st, "SPI pins not known for this device!");
    return;
  }
  ++st.src.TokenIndex;
  HoldOnLine(st);
  if (st.TokText() == "=") ++st.src.TokenIndex;  // "$spi = 16, ..." reads like the other words
  HoldOnLine(st);
  const std::string divider = st.TokText();
  int control = 0;
  int status = 0;
  // The dividers 2, 8 and 32 where SPSR has SPI2X.
  const bool doubleSpeed = DeviceSymbolValue(st, "spi2x").has_value();
  bool known = false;
  if (!doubleSpeed) {
    static const std::array<std::pair<const char*, int>, 4> kDividers = {{{"4", 0}, {"16", 1}, {"64", 2}, {"128", 3}}};
    for (const auto& [d, c] : kDividers)
      if (divider == d) {
        control = c;
        known = true;
      }
  } else {
    // {divider, SPR bits, SPI2X}
    static const std::array<std::array<int, 3>, 7> kDividers = {
        {{2, 0, 1}, {4, 0, 0}, {8, 1, 1}, {16, 1, 0}, {32, 2, 1}, {64, 2, 0}, {128, 3, 0}}};
    for (const auto& d : kDividers)
      if (divider == std::to_string(d[0])) {
        control = d[1];
        status = d[2];
        known = true;
      }
  }
  if (known)
    ++st.src.TokenIndex;
  else
    CompileError(st, "4, 16, 64 or 128!");
  if (doubleSpeed) {
    WriteSpiLine(st, SpiLine(st, "ldi", "zl,0x" + HexUpper(static_cast<std::uint32_t>(status))));
    WriteSpiLine(st, SpiLine(st, WriteForm(st, "SPSR", "zl", Reach::kInOut)));
  }

  ExpectToken(st, ",");
  ReadSpiChoice(st, control, "lsb", "msb", 0x20, "LSB or MSB for SPI data order!");
  ExpectToken(st, ",");
  const bool master = ReadSpiChoice(st, control, "master", "slave", 0x10, "MASTER or SLAVE for SPI mode!");
  ExpectToken(st, ",");
  ReadSpiChoice(st, control, "hi", "low", 0x08, "HI or LOW to set SPI clock polarity!");
  ExpectToken(st, ",");
  ReadSpiChoice(st, control, "hi", "low", 0x04, "HI or LOW to set SPI clock phase!");
  control |= 0x40;  // SPE
  st.Cells<SpiCells>().SpiMaster = master;

  // Only the four SPI pins change direction: the other port B pins keep theirs (a DTMF
  // or sound pin made an output before, the program's own pins in the code pass).
  const std::uint8_t directions = SpiDirectionValue(st, master);
  const std::uint8_t others = static_cast<std::uint8_t>(~SpiPinMask(st));
  WriteSpiLine(st, SpiLine(st, ReadForm(st, "DDRB", "zh", Reach::kInOut)));
  WriteSpiLine(st, SpiLine(st, "andi", "zh,0x" + HexUpper(others)));
  WriteSpiLine(st, SpiLine(st, "ori", "zh,0x" + HexUpper(directions)));
  WriteSpiLine(st, SpiLine(st, WriteForm(st, "DDRB", "zh", Reach::kInOut)));
  WriteSpiLine(st, SpiLine(st, "ldi", "zl,0x" + HexUpper(static_cast<std::uint32_t>(control))));
  WriteSpiLine(st, SpiLine(st, WriteForm(st, "SPCR", "zl", Reach::kInOut)));
  RefuseWordsAfterSettings(st, errors, 0);
}

}  // namespace qbc
