// The device-dependent forms of the core routines: every text assembles for classic
// cores (no "lpm Rd,Z+", 8-bit SRAM pointers), tinies and large megas, and the searches
// run with "elpm" on a chip with more than 64 KB of flash.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "compiler/library/core/int_divide.h"
#include "compiler/library/core/int_multiply.h"
#include "compiler/library/core/memory_crc.h"
#include "compiler/library/core/search_sort.h"
#include "compiler/library/core/shift_rotate.h"
#include "compiler/library/core/sqrt_bcd.h"
#include "tests/library_core/core_fixture.h"

namespace qbc::test::corelib {
namespace {

struct DeviceForm {
  const char* name;
  const char* inc;
  int32_t ram_end;
  bool mega_core;
  bool tiny_lpm;
  const char* lpm;
  const char* call;
};

void PrintTo(const DeviceForm& d, std::ostream* os) { *os << d.name; }

const DeviceForm kForms[] = {
    {"AT90S2313", "2313def.inc", 0xDF, false, false, "lpm", "rcall"},
    {"AT90S8515", "8515def.inc", 0x25F, false, false, "lpm", "rcall"},
    {"ATtiny2313", "tn2313def.inc", 0xDF, false, true, "lpm", "rcall"},
    {"ATmega8", "m8def.inc", 0x45F, true, false, "lpm", "rcall"},
    {"ATmega2560", "m2560def.inc", 0x21FF, true, false, "elpm", "call"},
};

class DeviceForms : public ::testing::TestWithParam<DeviceForm> {};

// Each search form is written alone (they share their labels), the rest together.
TEST_P(DeviceForms, EveryRoutineAssembles) {
  const DeviceForm& d = GetParam();
  using Emitter = void (*)(CompilerState&);
  const std::vector<Emitter> common = {
      EmitSortRoutine,           EmitFindStrConstRoutine,    EmitMemFillRoutine,          EmitMemCopyRoutine,
      EmitCalcCrc8Routine,       EmitShiftLeftByteRoutine,   EmitShiftLeftWordRoutine,    EmitShiftLeftLongRoutine,
      EmitShiftRightByteRoutine, EmitShiftRightWordRoutine,  EmitShiftRightLongRoutine,   EmitRotateLeftByteRoutine,
      EmitRotateLeftWordRoutine, EmitRotateRightByteRoutine, EmitRotateRightWordRoutine,  EmitRotateRightLongRoutine,
      EmitRotateLeftLongRoutine, EmitSqr16Routine,           EmitSqr32Routine,            EmitIntToLongRoutine,
      EmitIntToLongR16Routine,   EmitBcdRoutine,             EmitFromBcdRoutine,
      EmitMpy8uRoutine,          EmitDiv8uRoutine};
  const std::vector<std::pair<Emitter, Emitter>> searches = {{EmitFind8Routine, EmitFind16Routine},
                                                             {EmitFind8RoutineAlt, EmitFind16RoutineAlt}};
  for (const auto& [find8, find16] : searches) {
    auto st = std::make_unique<CompilerState>();
    st->ResetCompilerGlobals();
    st->dev.RamEnd = d.ram_end;
    st->dev.HardwareMultiplier = d.mega_core;  // the megas of the list have the multiplier
    st->dev.LpmPostIncrement = st->dev.ElpmPostIncrement = d.mega_core || d.tiny_lpm;
    st->dev.NeedRampz = std::string(d.lpm) == "elpm";
    st->mn.LpmMnemonic = d.lpm;
    st->mn.CallMnemonic = d.call;
    for (Emitter e : common) e(*st);
    find8(*st);
    find16(*st);
    std::string program = ".include \"" + std::string(d.inc) + "\"\n\t.cseg\n\t.org 0\n\trjmp\t_Sort\n" + st->out.Str();
    AsmResult a = AssembleAsm(program);
    EXPECT_TRUE(a.ok) << d.name << "\n" << a.output;
  }
}

INSTANTIATE_TEST_SUITE_P(Families, DeviceForms, ::testing::ValuesIn(kForms),
                         [](const ::testing::TestParamInfo<DeviceForm>& p) { return std::string(p.param.name); });

// A mega with RAMPZ reads its tables with "elpm r0,Z+" (four letters: one TAB after it).
TEST(DeviceForms, SearchesRunWithElpm) {
  const Chip mega2560{"m2560def.inc", "atmega2560", 0x200, 0x21FF, 262144, true, false};
  auto st = StateFor(mega2560);
  st->mn.LpmMnemonic = "elpm";
  EmitFind8RoutineAlt(*st);
  EmitFind16RoutineAlt(*st);
  const std::string text = st->out.Str();
  EXPECT_NE(text.find("\r\n\t\telpm\tr1,Z+\r\n\t\telpm\tr0,Z+\r\n"), std::string::npos);
  std::string library = text + R"(
_Run8:	ldi	zl,low(_Tab*2)
	ldi	zh,high(_Tab*2)
	mov	r24,r20
	ldi	r22,5
	clr	r23
	rjmp	_Fnd8
_Run16:	ldi	zl,low(_Tab*2)
	ldi	zh,high(_Tab*2)
	mov	r25,r20
	mov	r24,r21
	ldi	xl,3
	rjmp	_Fnd16
_Tab:	.db	0x10,0x20,0x30,0x40,0x50,0x60
)";
  RegisterRoutine find8{library, "_Run8", {"r20", "r21"}, {"zl", "zh"}, ""};
  RegisterRoutine find16{library, "_Run16", {"r20", "r21"}, {"zl", "zh"}, ""};
  // Bytes 0x10..0x50 are entries 1..5; words 0x2010, 0x4030, 0x6050 entries 1..3.
  auto r8 = RunRegisterCases(find8, {{0x10, 0}, {0x50, 0}, {0x60, 0}, {0x11, 0}}, mega2560);
  auto r16 = RunRegisterCases(find16, {{0x10, 0x20}, {0x50, 0x60}, {0x20, 0x10}, {0x30, 0x40}}, mega2560);
  ASSERT_EQ(r8.size(), 4u);
  ASSERT_EQ(r16.size(), 4u);
  EXPECT_EQ(Value(r8[0], 0, 2), 1u);
  EXPECT_EQ(Value(r8[1], 0, 2), 5u);
  EXPECT_EQ(Value(r8[2], 0, 2), 0u);
  EXPECT_EQ(Value(r8[3], 0, 2), 0u);
  EXPECT_EQ(Value(r16[0], 0, 2), 1u);
  EXPECT_EQ(Value(r16[1], 0, 2), 3u);
  EXPECT_EQ(Value(r16[2], 0, 2), 0u);
  EXPECT_EQ(Value(r16[3], 0, 2), 2u);
}

}  // namespace
}  // namespace qbc::test::corelib
