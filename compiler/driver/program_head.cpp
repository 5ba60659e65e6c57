#include "compiler/driver/program_head.h"

#include "compiler/base/symbols.h"

#include <algorithm>

#include "compiler/base/decl_text.h"
#include "compiler/driver/peripheral_init.h"
#include "compiler/base/compile_error.h"
#include "compiler/codegen/handlers/handler_areas.h"
#include "compiler/frontend/handler_cells.h"
#include "compiler/frontend/number_format_cells.h"
#include "compiler/frontend/uart_cells.h"
#include "compiler/library/comm/i2c_routines.h"
#include "compiler/statements/peripherals/glcd_cells.h"
#include "compiler/statements/peripherals/i2c_cells.h"
#include "compiler/statements/peripherals/lcd_cells.h"
#include "compiler/frontend/device_facts.h"

namespace qbc {

namespace {

constexpr int kMaxGlobalVars = 255;

// A variable placed "at" an address may lie on other variables (an overlay is what the
// address is for); the assembler refuses overlapping data unless told they are meant, so
// the data segment is opened for overlaps then, and closed again before the code.
bool AnyVariableAtAddress(const CompilerState& st) {
  const int last = static_cast<int>(st.sym.GlobalVars.size()) - 1;
  for (int i = 1; i <= last && i <= kMaxGlobalVars; ++i) {
    const GlobalVarRecord& v = st.sym.GlobalVars[i];
    if (v.Name.empty()) break;
    if (v.Address > 0 && v.Storage != kStorageFlash) return true;
  }
  return false;
}

// "label:", the gap `after` names, ".byte" and the size.
void SystemVar(CompilerState& st, const std::string& label, Sep after, int bytes) {
  st.out.InstrAfter(label + ":" + st.out.Gap(after), Sep::kNarrow, ".byte", std::to_string(bytes));
  st.sym.SystemVarBytes = static_cast<std::int16_t>(st.sym.SystemVarBytes + bytes);
}

// The display cells of a T6963C, known to the variable lookup by these names.
void AppendT6963Records(CompilerState& st) {
  struct Cell {
    const char* name;
    std::uint8_t type;
    std::int16_t size;
  };
  static const Cell kCells[] = {{"txthome", kTypeWord, 2},
                                {"grphome", kTypeWord, 2},
                                {"txtarea", kTypeByte, 1},
                                {"grparea", kTypeByte, 1},
                                {"_tmode", kTypeByte, 1}};
  if (st.sym.GlobalVarCount + 5 > kMaxGlobalVars) {
    ReportInPlace(st, "Too many variables!");
    return;
  }
  for (const Cell& c : kCells) {
    ++st.sym.GlobalVarCount;
    GlobalVarRecord& r = st.sym.GlobalVars[st.sym.GlobalVarCount];
    r.Name = c.name;
    r.VarType = c.type;
    r.Size = c.size;
  }
}

void EmitSystemVariables(CompilerState& st) {
  const UartCells& uart = st.Cells<UartCells>();
  const NumberFormatCells& numbers = st.Cells<NumberFormatCells>();
  const GlcdCells& glcd = st.Cells<GlcdCells>();

  if (uart.SoftUartInterrupt) {
    SystemVar(st, "_rel1", Sep::kWide, 1);
    SystemVar(st, "_rel2", Sep::kWide, 1);
    SystemVar(st, "_rel3", Sep::kWide, 1);
    // The byte in progress, its bit count and the byte received last.
    SystemVar(st, "_UAsh", Sep::kWide, 1);
    SystemVar(st, "_UAcnt", Sep::kWide, 1);
    SystemVar(st, "_UArx", Sep::kWide, 1);
  }
  if (uart.InputTermCharSet) SystemVar(st, "_InTrmChr", Sep::kWide, 1);
  if (uart.PrintTermCharSet) SystemVar(st, "_PrTrmChr", Sep::kWide, 1);

  const bool format = numbers.FormatDigits != 0 || numbers.FormatDecimals != 0;
  if (format) {
    SystemVar(st, "_fmtC", Sep::kWide, 1);
    SystemVar(st, "_fmtD", Sep::kWide, 1);
  }
  // The number-to-text routine reads the fill character whenever one is set, with or
  // without a format.
  if (format || numbers.LeadChar != 0) SystemVar(st, "_lchr", Sep::kWide, 1);
  if (format) SystemVar(st, "_s2tmp", Sep::kWide, FormatTextBytes(numbers));

  if (st.sym.FloatVarDeclared) {
    SystemVar(st, "_s1tmp", Sep::kWide, 14);
    st.Cells<NumberFormatCells>().FloatTextDeclared = true;
    st.out.Line();
  }
  ReserveHandlerCells(st);

  st.Cells<HandlerCells>().DrawingRegisters = glcd.GlcdType >= 1 && glcd.GlcdType <= 4;
  if (glcd.GlcdType == 1) {
    AppendT6963Records(st);
    SystemVar(st, "TxtHome", Sep::kNarrow, 2);
    SystemVar(st, "GrpHome", Sep::kNarrow, 2);
    SystemVar(st, "TxtArea", Sep::kNarrow, 1);
    SystemVar(st, "GrpArea", Sep::kNarrow, 1);
    SystemVar(st, "_Tmode", Sep::kWide, 1);
    SystemVar(st, "_fntL", Sep::kWide, 1);
    SystemVar(st, "_fntH", Sep::kWide, 1);
    if (st.dev.NeedRampz) SystemVar(st, "_fnt3", Sep::kWide, 1);
    st.out.Line();
  } else if (glcd.GlcdType >= 2 && glcd.GlcdType <= 4) {
    SystemVar(st, "_fntL", Sep::kWide, 1);
    SystemVar(st, "_fntH", Sep::kWide, 1);
    if (st.dev.NeedRampz) SystemVar(st, "_fnt3", Sep::kWide, 1);
    st.out.Line();
  }

  // The I2C reads (software and TWI) keep the running start's address and whether a read
  // is open.
  if (const int mode = st.Cells<I2cCells>().I2cInterface; mode == 1 || mode == 2) {
    SystemVar(st, kI2cAddressCell, Sep::kWide, 1);
    SystemVar(st, kI2cReadOpenCell, Sep::kWide, 1);
  }
  if (uart.UartFormatSet[0] == 255 && UartOf(st, 0).frame.empty()) {
    SystemVar(st, "_SysPar", Sep::kNarrow, 1);
    st.out.Line();
  }
}

void EmitVectorTable(CompilerState& st) {
  st.out.Instr(".CSEG");
  if (AnyVariableAtAddress(st)) st.out.Instr(".NOOVERLAP");
  st.out.InstrAfter("", Sep::kNarrow, ".ORG", "0x0000");
  const int highest = st.sym.HighestVectorUsed;
  if (highest > 0) {
    st.out.Instr(Sep::kNarrow, "rjmp", "_Reset");
    const std::string jump = st.dev.FlashEnd > 9000 ? "jmp" : "rjmp";
    for (int i = 1; i <= highest; ++i) {
      const VectorRecord& v = st.sym.InterruptVectors[i];
      st.out.InstrAfter("", Sep::kWide, ".ORG", v.Name);
      if (v.Used)
        st.out.Instr(Sep::kNarrow, jump, "IntN" + std::to_string(i));
      else
        st.out.Instr("reti");
    }
  }
  st.out.Line();
  st.out.Label("_Reset");
}

void EmitStackSetUp(CompilerState& st) {
  st.out.Instr(Sep::kWide, "ldi", "yl,byte1(RAMEND)");
  // A chip whose stack pointer is one byte names it SP in its device file (tiny26, 4433).
  st.out.Instr(Sep::kWide, "out", DeviceSymbolValue(st, "spl") || !DeviceSymbolValue(st, "sp") ? "SPL,yl" : "SP,yl");
  // Y is the software stack pointer: its high byte is loaded on every device, because the
  // chip does not clear its registers at reset.
  st.out.Instr(Sep::kWide, "ldi", "yh,byte2(RAMEND)");
  if (st.dev.RamEnd > 256) st.out.Instr(Sep::kWide, "out", "SPL+1,yh");

  const std::string& text = st.cfg.StackSize;
  if (!IsWholeNumberText(text)) return;  // no usable $stack: reported by the first pass
  const double s = LeadingNumber(text);
  if (s > 126) {
    // the statement loop still starts on the first statement
    ReportInPlace(st, "126 bytes max for Stack!");
  } else if (s > 63) {
    st.out.Instr(Sep::kNarrow, "sbiw", "yl,63");
    st.out.Instr(Sep::kNarrow, "sbiw", "yl, " + std::to_string(static_cast<long>(s) - 63));
  } else {
    st.out.Instr(Sep::kNarrow, "sbiw", "yl," + text);
  }
}

void EmitJtagAndMemory(CompilerState& st) {
  if (st.cfg.JtagOff) {
    st.out.Instr(Sep::kWide, "in", "zl,MCUCSR");
    st.out.Instr(Sep::kWide, "ori", "zl,0x80");
    st.out.Instr(Sep::kWide, "out", "MCUCSR,zl");
    st.out.Instr(Sep::kWide, "out", "MCUCSR,zl");
  }
  // (xram declared before the device was known)
  const bool bus = HasExternalMemoryBus(st);
  if (st.cfg.XramEnabled && !bus) {
    ReportInPlace(st, "No external memory bus on this device!");
  }
  if ((st.Cells<LcdCells>().NeedLcdEN || st.cfg.XramEnabled) && bus) {
    const bool waitState = st.cfg.CrystalFrequency > 4.0f;
    if (FindIoRegister(st, "xmcra") > 0 && FindIoRegister(st, "smcr") > 0) {
      // The chips whose sleep modes have a register of their own (SMCR: the ATmega640/1280/
      // 2560) keep SRE and the wait states in XMCRA (extended I/O); bit 7 of their MCUCR
      // switches JTAG off. The ATmega64/128 have an XMCRA too, but SRE in MCUCR.
      st.out.Instr(Sep::kWide, "ldi", (waitState ? "zl,0x84" : "zl,0x80"));
      st.out.Instr(Sep::kWide, "sts", "XMCRA,zl");
    } else {
      st.out.Instr(Sep::kWide, "ldi", (waitState ? "zl,0xc0" : "zl,0x80"));
      st.out.Instr(Sep::kWide, "out", "MCUCR,zl");
    }
  }
}

}  // namespace

std::string DataSegmentPad(std::size_t nameLength) {
  std::size_t tabs = 2;
  if (nameLength <= 2)
    tabs = 6;
  else if (nameLength <= 6)
    tabs = 5;
  else if (nameLength <= 10)
    tabs = 4;
  else if (nameLength <= 14)
    tabs = 3;
  return std::string(tabs, '\t');
}

void EmitDataSegment(CompilerState& st, const std::string& segment, std::uint8_t storageClass) {
  if (segment == ".DSEG" && AnyVariableAtAddress(st)) st.out.Instr(".OVERLAP");
  st.out.Instr(segment);
  if (segment == ".DSEG" && st.dev.RamStart >= 1) {
    st.out.InstrAfter("", Sep::kNarrow, ".ORG", "0x" + HexUpper(static_cast<std::uint32_t>(st.dev.RamStart)));
    st.out.Line();
  }
  const int last = static_cast<int>(st.sym.GlobalVars.size()) - 1;
  // External RAM lies above the internal SRAM, where the assembler's data segment ends: a
  // variable placed there (and every xram variable after it) is named by an .equ of its
  // address instead of being reserved in the segment.
  long external = 0;
  for (int i = 1; i <= last && i <= kMaxGlobalVars; ++i) {
    const GlobalVarRecord& v = st.sym.GlobalVars[i];
    if (v.Name.empty()) break;
    if (v.Storage != storageClass) continue;
    if (storageClass == kStorageXram && v.VarType > kTypeBit && (v.Address > st.dev.RamEnd || external > 0)) {
      if (v.Address > 0) external = v.Address;
      st.out.InstrAfter("", Sep::kNarrow, ".equ", v.Name + " = 0x" + HexUpper(static_cast<std::uint32_t>(external)));
      external += v.Size;
      continue;
    }
    if (v.Address > 0) st.out.InstrAfter("", Sep::kNarrow, ".ORG", " " + std::to_string(v.Address));
    if (v.VarType > kTypeBit)
      st.out.InstrAfter(v.Name + ":" + DataSegmentPad(v.Name.size()), Sep::kNarrow, ".byte", " " + std::to_string(v.Size));
  }
}

void EmitProgramPrologue(CompilerState& st) {
  EmitDataSegment(st, ".DSEG", kStorageSram);
  EmitDataSegment(st, "", kStorageXram);
  EmitSystemVariables(st);
  EmitVectorTable(st);
  EmitStackSetUp(st);
  EmitJtagAndMemory(st);
  EmitHandlerResetLines(st);
  EmitPeripheralInit(st);
  EmitUserCodeBanner(st);
}

}  // namespace qbc
