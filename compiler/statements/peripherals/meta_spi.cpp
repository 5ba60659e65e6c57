// $spi: divider "," order "," mode "," polarity "," phase. The SPI control value, the
// double-speed bit where the chip has one, and the port B directions of the SPI pins.
#include <array>
#include <string>
#include <utility>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/init_code_lines.h"
#include "compiler/statements/peripherals/meta_peripheral.h"
#include "compiler/statements/peripherals/spi_cells.h"

namespace qbc {

namespace {

// The number in a device name after its family letters ("m1280" 1280, "90s4433" 4433,
// "tn88" 88); 0 when there is none.
int DeviceNumber(const std::string& name) {
  std::size_t i = 0;
  if (name.rfind("90s", 0) == 0)
    i = 3;
  else
    while (i < name.size() && (name[i] < '0' || name[i] > '9')) ++i;
  int n = 0;
  while (i < name.size() && name[i] >= '0' && name[i] <= '9' && n < 100000) n = n * 10 + (name[i++] - '0');
  return n;
}

enum class SpiPins { PB0toPB3, PB2toPB5, PB4toPB7 };

// Where the device has its SPI pins on port B.
SpiPins SpiPinsOf(const std::string& name) {
  const int n = DeviceNumber(name);
  const bool mega = name.rfind("m", 0) == 0;
  const bool tiny = name.rfind("tn", 0) == 0;
  if (mega) {
    // SS PB0, SCK PB1, MOSI PB2, MISO PB3
    for (int m : {103, 64, 128, 640, 1280, 1281, 2560, 2561, 165, 169, 325, 329, 645, 649, 3250, 3290, 6450, 6490})
      if (n == m) return SpiPins::PB0toPB3;
    // SS PB2, MOSI PB3, MISO PB4, SCK PB5
    for (int m : {8, 48, 88, 168, 328})
      if (n == m) return SpiPins::PB2toPB5;
  } else if (tiny) {
    if (n == 48 || n == 88) return SpiPins::PB2toPB5;
  } else if (n == 4433 || n == 2333) {
    return SpiPins::PB2toPB5;
  }
  // SS PB4, MOSI PB5, MISO PB6, SCK PB7
  return SpiPins::PB4toPB7;
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
  switch (SpiPinsOf(st.dev.DeviceName)) {
    case SpiPins::PB0toPB3: return 0x0F;
    case SpiPins::PB2toPB5: return 0x3C;
    case SpiPins::PB4toPB7: break;
  }
  return 0xF0;
}

std::uint8_t SpiDirectionValue(const CompilerState& st, bool master) {
  switch (SpiPinsOf(st.dev.DeviceName)) {
    case SpiPins::PB0toPB3: return master ? 0x07 : 0x08;
    case SpiPins::PB2toPB5: return master ? 0x2C : 0x10;
    case SpiPins::PB4toPB7: break;
  }
  return master ? 0xB0 : 0x40;
}

void ParseSpiMetaStatement(CompilerState& st) {
  const ErrorWatch errors(st);
  st.Cells<SpiCells>().SpiConfigured = true;
  // A chip without the SPI unit (the tinies' USI is another) has no SPCR to write.
  if (FindIoRegister(st, "spcr") == 0 && !st.sym.DeviceSymbols.empty()) {
    CompileError(st, "No SPI available!");
    return;
  }
  ++st.src.TokenIndex;
  HoldOnLine(st);
  if (st.TokText() == "=") ++st.src.TokenIndex;  // "$spi = 16, ..." reads like the other words
  HoldOnLine(st);
  const std::string divider = st.TokText();
  int control = 0;
  int status = 0;
  const bool doubleSpeed = st.dev.MegaCore || st.dev.IsM103;
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
