#include "compiler/statements/hardware/sleep_modes.h"

#include <array>
#include <string>
#include <string_view>

#include "compiler/base/compile_error.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/hardware/register_bits.h"
#include "compiler/codegen/io_access.h"

namespace qbc {

namespace {

constexpr int kNone = -1;

// The sleep bits of a family: MCUCR keeps the bits outside `keep` and takes the mode's
// value (sleep enable included); the newer megas load SMCR whole (keep = kNone). A mode the
// family lacks (or whose code is reserved there) has kNone. The chips with split bits also
// write SM2 into MCUCSR (s) and SM0 into EMCUCR (e): 0 clears, 1 sets, kNone leaves alone.
struct SleepRow {
  std::array<std::string_view, 11> devices;
  int keep;
  std::array<int, 5> value;
  std::array<int, 5> s = {kNone, kNone, kNone, kNone, kNone};
  std::array<int, 5> e = {kNone, kNone, kNone, kNone, kNone};
};

constexpr SleepRow kRows[] = {
    {{"8515"}, 0xcf, {0x20, 0x30, kNone, kNone, kNone}},
    {{"8535"}, 0x0f, {0x40, 0x60, 0x70, 0x40, 0x40}},
    {{"m16"}, 0x0f, {0x40, 0x60, 0x70, 0xe0, 0xf0}},
    {{"m8535"}, 0x0f, {0x40, 0x60, 0x70, 0xe0, kNone}},
    {{"163"}, 0x0f, {0x40, 0x60, 0x70, kNone, kNone}},
    // SM2:SM0 = 111 is reserved on the m8.
    {{"m8"}, 0x0f, {0x80, 0xa0, 0xb0, 0xe0, kNone}},
    {{"m32", "m323"}, 0x0f, {0x80, 0xa0, 0xb0, 0xe0, 0xf0}},
    {{"m64", "m128"}, 0xc3, {0x20, 0x30, 0x38, 0x34, 0x3c}},
    {{"tn26"}, 0xc3, {0x20, 0x30, kNone, 0x38, kNone}},
    {{"m103"}, 0xc0, {0x20, 0x30, 0x38, kNone, kNone}},
    {{"m161"}, 0xcf, {0x20, 0x30, 0x30, kNone, kNone}, {kNone, kNone, kNone, kNone, kNone}, {0, 0, 1, kNone, kNone}},
    {{"m162"}, 0xcf, {0x20, 0x30, 0x30, 0x30, 0x30}, {0, 0, 0, 1, 1}, {0, 0, 1, 0, 1}},
    {{"m8515"}, 0xcf, {0x20, 0x30, 0x30, 0x30, kNone}, {0, 0, 0, 1, kNone}, {0, 0, 1, 0, kNone}},
    {{"m164", "m324", "m644", "m640", "m1280", "m1281", "m2560", "m2561"}, kNone, {0x01, 0x05, 0x07, 0x0d, 0x0f}},
    {{"m48", "m88", "m168", "m325", "m645", "m3250", "m6450", "m329", "m649", "m3290", "m6490"},
     kNone,
     {0x01, 0x05, 0x07, 0x0d, kNone}},
};

// Any other chip: idle and power down through SE and SM of MCUCR.
constexpr SleepRow kOtherDevice = {{}, 0x0f, {0x20, 0x30, kNone, kNone, kNone}};

const SleepRow& RowOf(const std::string& device) {
  for (const SleepRow& row : kRows)
    for (std::string_view name : row.devices)
      if (!name.empty() && name == device) return row;
  return kOtherDevice;
}

// One bit of a second sleep register, through r24: "andi" clears it, "ori" sets it.
void EmitSplitBit(CompilerState& st, const char* reg, int setting, int mask) {
  if (setting == kNone) return;
  EmitRegisterRead(st, reg, "r24", Reach::kData);
  if (setting == 0)
    st.out.Instr(Sep::kWide, "andi", "r24," + Dec(0xFF & ~mask));
  else
    st.out.Instr(Sep::kWide, "ori", "r24," + Dec(mask));
  EmitRegisterWrite(st, reg, "r24", Reach::kData);
}

}  // namespace

void CompileSleepStatement(CompilerState& st, int mode) {
  ++st.src.TokenIndex;
  const SleepRow& row = RowOf(st.dev.DeviceName);
  const int value = row.value[static_cast<std::size_t>(mode)];
  if (value == kNone) {
    // Sleeping in whatever mode the register holds would be another mode than asked for.
    ReportInPlace(st, "Invalid PowerMode!");
    SkipToStatementEnd(st);
    return;
  }
  const char* reg = row.keep == kNone ? "SMCR" : "MCUCR";
  if (row.keep == kNone) {
    st.out.Instr(Sep::kWide, "ldi", "zl," + Dec(value));
  } else {
    EmitRegisterRead(st, reg, "zl", Reach::kData);
    st.out.Instr(Sep::kWide, "andi", "zl," + Dec(row.keep));
    st.out.Instr(Sep::kWide, "ori", "zl," + Dec(value));
    EmitSplitBit(st, "MCUCSR", row.s[static_cast<std::size_t>(mode)], 0x20);
    EmitSplitBit(st, "EMCUCR", row.e[static_cast<std::size_t>(mode)], 0x80);
  }
  EmitRegisterWrite(st, reg, "zl", Reach::kData);
  st.out.Instr("sleep");
  kit::ExpectStatementEnd(st);
}

}  // namespace qbc
