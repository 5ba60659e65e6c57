#include "compiler/frontend/device_facts.h"
#include "compiler/statements/peripherals/meta_glcd.h"

#include <string>
#include <utility>
#include <vector>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/statements/peripherals/glcd_cells.h"
#include "compiler/statements/peripherals/meta_peripheral.h"

namespace qbc {

namespace {

struct ControllerName {
  const char* name;
  std::uint8_t type;
};

// Controller names, aliases included: 1 T6963C, 2 HD61202/KS0108, 3 SED1520, 4 PCD8544.
constexpr ControllerName kControllers[] = {{"t6963c", 1},  {"hd61202", 2}, {"ks0108b", 2},
                                           {"ks0108", 2},  {"sed1520", 3}, {"sep1520", 3},
                                           {"pcd8544", 4}, {"nokia3310", 4}};

struct ControlLine {
  std::uint8_t type;
  const char* name;
  int cell;  // GlcdLine1 .. GlcdLine6
};

constexpr ControlLine kControlLines[] = {
    {1, "rd", 1},  {1, "wr", 2},   {1, "cd", 3},  {1, "ce", 4},   {1, "fs", 5},   {2, "en", 1},
    {2, "wr", 2},  {2, "di", 3},   {2, "cs1", 4}, {2, "cs2", 5},  {3, "e4", 1},   {3, "rw", 2},
    {3, "a0", 3},  {3, "e1", 4},   {3, "e2", 5},  {3, "e3", 6},   {4, "sdin", 2}, {4, "sclk", 3},
    {4, "dc", 4},  {4, "sce", 5},
};

std::string& LineCell(GlcdCells& glcd, int cell) {
  switch (cell) {
    case 1: return glcd.GlcdLine1;
    case 2: return glcd.GlcdLine2;
    case 3: return glcd.GlcdLine3;
    case 4: return glcd.GlcdLine4;
    case 5: return glcd.GlcdLine5;
    default: return glcd.GlcdLine6;
  }
}

int FindControlLine(std::uint8_t type, const std::string& name) {
  for (const ControlLine& c : kControlLines)
    if (c.type == type && name == c.name) return c.cell;
  return 0;
}

bool MoreTokens(CompilerState& st) { return st.src.TokenIndex + 1 < st.src.TokenCount; }

// The control lines set so far (the T6963C's "fs" is a font choice, not a pin), each on
// its pin: two on one pin would strobe each other.
void CheckControlPinsApart(CompilerState& st, GlcdCells& glcd) {
  std::vector<SignalPin> signals;
  for (const ControlLine& c : kControlLines) {
    if (c.type != glcd.GlcdType || (c.type == 1 && c.cell == 5)) continue;
    const std::string& pin = LineCell(glcd, c.cell);
    if (pin.empty()) continue;
    const std::string& port = c.type == 4 && c.cell <= 3 ? glcd.GlcdDataPort : glcd.GlcdCtrlPort;
    signals.push_back(MakeSignalPin(UpperText(c.name), port, pin));
  }
  if (SignalsApart(st, signals)) ClaimLinePins(st, glcd.GlcdType == 4 ? "$glcd" : "$gctrl", signals);
}

void ReadNumberInto(CompilerState& st, std::uint8_t& cell) {
  HoldOnLine(st);
  if (st.Tok().Kind != kTokNumber) {
    CompileError(st, "Must be numeric constant");
    return;
  }
  std::uint8_t value = 0;
  if (ReadByteValue(st, value, "Must be numeric constant")) cell = value;
}

void ReadPortInto(CompilerState& st, std::string& cell) {
  std::string port;
  if (ReadPortName(st, port)) cell = port;
}

// PCD8544: name "=" port "." pin { "," name "=" port "." pin } on the $glcd line itself.
// SDIN and SCLK share one port, DC and SCE another: the driver's lines name one port a
// pair, so a second port in a pair would silently move the first signal.
void ParsePcd8544Lines(CompilerState& st) {
  GlcdCells& glcd = st.Cells<GlcdCells>();
  std::string pairPort[2];
  const ErrorWatch errors(st);
  // The line names all four signals anew: none is left over from an earlier $glcd line.
  for (int cell = 2; cell <= 5; ++cell) LineCell(glcd, cell).clear();
  while (MoreTokens(st)) {
    const std::string name = st.TokText();
    const int cell = FindControlLine(4, name);
    if (cell == 0) {
      CompileError(st, "Not valid control signal!");
    } else {
      ++st.src.TokenIndex;
    }
    ExpectToken(st, "=");
    std::string port, pin;
    const bool portOk = ReadPortName(st, port);
    ExpectToken(st, ".");
    const bool pinOk = ReadPinDigit(st, pin);
    if (cell != 0 && portOk) {
      std::string& first = pairPort[cell <= 3 ? 0 : 1];
      if (!first.empty() && first.back() != port.back()) {
        ReportInPlace(st, cell <= 3 ? "SDIN and SCLK must be on the same port!" : "DC and SCE must be on the same port!");
        return;
      }
      first = port;
    }
    if (cell != 0) {
      if (portOk) (cell <= 3 ? glcd.GlcdDataPort : glcd.GlcdCtrlPort) = port;
      if (pinOk) LineCell(glcd, cell) = pin;
    }
    HoldOnLine(st);
    if (st.Tok().Kind == kTokEol) break;
    ExpectToken(st, ",");
    HoldOnLine(st);
  }
  // Every one of the four signals is driven by the routines: one left out would stand as
  // "sbi PORTB," in them.
  if (errors.Seen()) return;
  for (const auto& [name, cell] : {std::pair{"sdin", 2}, {"sclk", 3}, {"dc", 4}, {"sce", 5}}) {
    if (!LineCell(glcd, cell).empty()) continue;
    ReportInPlace(st, "Control line " + UpperText(name) + " not defined!");
    return;
  }
  CheckControlPinsApart(st, glcd);
}

void ParseGlcd(CompilerState& st) {
  GlcdCells& glcd = st.Cells<GlcdCells>();
  ++st.src.TokenIndex;
  HoldOnLine(st);
  const std::string name = st.TokText();
  bool known = false;
  for (const ControllerName& c : kControllers)
    if (name == c.name) {
      glcd.GlcdType = c.type;
      if (c.type == 2) st.used.Set(NeedWaitTicks);
      known = true;
    }
  if (known)
    ++st.src.TokenIndex;
  else
    CompileError(st, "Unsupported Graphic LCD type!");
  ExpectToken(st, ",");

  const std::uint8_t type = glcd.GlcdType;
  if (type >= 1 && type <= 3) {
    const ErrorWatch errors(st);
    ExpectToken(st, "data");
    ExpectToken(st, "=");
    ReadPortInto(st, glcd.GlcdDataPort);
    ExpectToken(st, ",");
    ExpectToken(st, "ctrl");
    ExpectToken(st, "=");
    ReadPortInto(st, glcd.GlcdCtrlPort);
    // The data bus takes all eight pins of its port: the control lines need another one.
    if (!errors.Seen() && glcd.GlcdDataPort.back() == glcd.GlcdCtrlPort.back()) {
      ReportInPlace(st, "CTRL must be on other port than DATA!");
    }
    if (!errors.Seen()) {
      std::vector<SignalPin> signals;
      for (int bit = 0; bit <= 7; ++bit)
        signals.push_back(MakeSignalPin("D" + std::to_string(bit), glcd.GlcdDataPort, std::to_string(bit)));
      ClaimLinePins(st, "$glcd", signals);
    }
    ExpectToken(st, ",");
    ReadNumberInto(st, glcd.GlcdOption1);
    ExpectToken(st, ",");
    ReadNumberInto(st, glcd.GlcdOption2);
    // A panel of no columns or rows has nothing to draw and its routines count from 0
    // down: 256 columns or pages.
    if (!errors.Seen() && (glcd.GlcdOption1 == 0 || glcd.GlcdOption2 == 0)) {
      ReportInPlace(st, "Width and height must be 1 or more!");
    }
    // The page-organised controllers clear and clip whole pages of 8 rows.
    if ((type == 2 || type == 3) && glcd.GlcdOption2 % 8 != 0) CompileError(st, "Height must be a multiple of 8!");
  } else if (type == 0) {
    ++st.src.TokenIndex;
  }
  if (type <= 2) {
    // The third number; then "noinit" leaves the display to the program.
    ExpectToken(st, ",");
    ReadNumberInto(st, glcd.GlcdOption3);
    // The T6963C's routines divide the height by 8 (text rows), and with split addressing
    // by 16 (text rows a half): a fraction would stand in their operands.
    if (type == 1 && glcd.GlcdOption3 == 2 && glcd.GlcdOption2 % 16 != 0)
      CompileError(st, "Height must be a multiple of 16!");
    else if (type == 1 && glcd.GlcdOption2 % 8 != 0)
      CompileError(st, "Height must be a multiple of 8!");
    HoldOnLine(st);
    if (st.TokText() == ",") {
      ++st.src.TokenIndex;
      ExpectToken(st, "noinit");
      glcd.GlcdNoInit = true;
    }
  } else if (type == 4) {
    ParsePcd8544Lines(st);
  }

  if (!glcd.GlcdDataPort.empty() && !PortRegistersOf(st, glcd.GlcdDataPort).dir)
    CompileError(st, "PORTC and PORTF can't be used for LCD on Mega103!");
}

// name "=" pin { "," name "=" pin }, by the controller in force.
void ParseGctrl(CompilerState& st) {
  GlcdCells& glcd = st.Cells<GlcdCells>();
  const ErrorWatch errors(st);
  ++st.src.TokenIndex;
  while (MoreTokens(st)) {
    const std::string name = st.TokText();
    const std::uint8_t type = glcd.GlcdType;
    const int cell = (type >= 1 && type <= 3) ? FindControlLine(type, name) : 0;
    if (cell == 0) {
      // Before a $glcd line (or for a controller without control lines here) the names
      // mean nothing and are passed over.
      if (type == 1)
        CompileError(st, "Not valid Control!");
      else if (type == 2 || type == 3)
        CompileError(st, "Not valid name for Control line!");
      while (MoreTokens(st) && st.TokText() != ",") ++st.src.TokenIndex;
    } else {
      ++st.src.TokenIndex;
      ExpectToken(st, "=");
      HoldOnLine(st);
      if (cell == 5 && type == 1) {
        // "fs": the font cell width, 1 for 6x8 or 0 for 8x8; not a pin.
        const std::string v = st.TokText();
        if (v == "1" || v == "0")
          glcd.GlcdLine5 = v;
        else
          CompileError(st, "1 for 6x8 or 0 for 8x8!");
        if (v == "1" || v == "0") ++st.src.TokenIndex;
      } else {
        std::string pin;
        if (ReadPinDigit(st, pin)) LineCell(glcd, cell) = pin;
      }
    }
    HoldOnLine(st);
    if (st.Tok().Kind == kTokEol) break;
    ExpectToken(st, ",");
    HoldOnLine(st);
  }
  if (!glcd.GlcdCtrlPort.empty() && !PortRegistersOf(st, glcd.GlcdCtrlPort).dir)
    CompileError(st, "PORTC and PORTF can't be used for Gctrl!");
  if (!errors.Seen() && glcd.GlcdType >= 1 && glcd.GlcdType <= 3) CheckControlPinsApart(st, glcd);
}

}  // namespace

void ParseGraphicLcdMetaStatement(CompilerState& st) {
  const ErrorWatch errors(st);
  if (st.TokText() == "glcd")
    ParseGlcd(st);
  else
    ParseGctrl(st);
  RefuseWordsAfterSettings(st, errors, 0);
}

}  // namespace qbc
