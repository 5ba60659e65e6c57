#include "compiler/statements/hardware/dispatch_rows.h"

#include "compiler/statements/hardware/adc_functions.h"
#include "compiler/statements/hardware/compare_statements.h"
#include "compiler/statements/hardware/eeprom_statements.h"
#include "compiler/statements/hardware/interrupt_sense.h"
#include "compiler/statements/hardware/interrupt_switches.h"
#include "compiler/statements/peripherals/dtmf_statement.h"
#include "compiler/statements/peripherals/keypad_functions.h"
#include "compiler/statements/peripherals/pc_key_statements.h"
#include "compiler/statements/peripherals/rc5_statement.h"
#include "compiler/statements/hardware/number_format.h"
#include "compiler/statements/hardware/pulse.h"
#include "compiler/statements/peripherals/shift_statements.h"
#include "compiler/statements/peripherals/sound_statement.h"
#include "compiler/statements/peripherals/spi_statements.h"
#include "compiler/statements/hardware/set_reset.h"
#include "compiler/statements/hardware/sleep_modes.h"
#include "compiler/statements/hardware/soft_com_open.h"
#include "compiler/statements/hardware/start_stop.h"
#include "compiler/statements/hardware/timer_access.h"
#include "compiler/statements/math/abs_function.h"
#include "compiler/statements/math/byte_functions.h"
#include "compiler/statements/math/float_functions.h"
#include "compiler/statements/math/memory_blocks.h"
#include "compiler/statements/math/random_numbers.h"
#include "compiler/statements/math/shift_rotate.h"
#include "compiler/statements/math/string_keywords.h"
#include "compiler/statements/math/swap_nop.h"

namespace qbc {

namespace {

// One row per keyword (see dispatch_row.h). A row whose generator is not built yet
// carries nullptr: the statement is reported as not supported yet.
constexpr DispatchRow kRows[] = {
    // Bits and pins
    {"set", "CompileSetStatement", CompileSetStatement},
    {"reset", "CompileResetStatement", CompileResetStatement},
    {"pulse", "CompilePulseStatement", CompilePulseStatement},
    // String functions
    {"hex", "CompileHexFunction", CompileHexFunction, RowResult::kNumberText},
    {"asc", "CompileAscFunction", CompileAscFunction, RowResult::kByte},
    {"ltrim", "CompileLTrimFunction", nullptr, RowResult::kText},
    {"rtrim", "CompileRTrimFunction", nullptr, RowResult::kText},
    {"ucase", "CompileUCaseFunction", CompileUCaseFunction, RowResult::kText},
    {"lcase", "CompileLCaseFunction", CompileLCaseFunction, RowResult::kText},
    // Numbers and data
    {"bcd", "CompileBcdFunction", CompileBcdFunction, RowResult::kByte},
    {"frombcd", "CompileFromBcdFunction", CompileFromBcdFunction, RowResult::kByte},
    {"msb", "CompileMsbFunction", CompileMsbFunction, RowResult::kByte},
    {"abs", "CompileAbsFunction", CompileAbsFunction, RowResult::kMagnitude},
    {"swap", "CompileSwapStatement", CompileSwapStatement},
    {"makeword", "CompileMakeWordFunction", CompileMakeWordFunction, RowResult::kWord},
    {"varptr", "CompileVarPtrFunction", CompileVarPtrFunction, RowResult::kWord},
    {"crc8", "CompileCrc8Function", CompileCrc8Function, RowResult::kByte},
    {"rnd", "CompileRndFunction", CompileRndFunction, RowResult::kByte},
    {"randomize", "CompileRandomizeStatement", CompileRandomizeStatement},
    {"sort", "CompileSortStatement", CompileSortStatement},
    {"memload", "CompileMemLoadStatement", CompileMemLoadStatement},
    {"memcopy", "CompileMemCopyStatement", CompileMemCopyStatement},
    {"memfill", "CompileMemFillStatement", CompileMemFillStatement},
    {"shift", "CompileShiftStatement", CompileShiftStatement, RowResult::kAnyWidth},
    {"rotate", "CompileRotateStatement", CompileRotateStatement, RowResult::kAnyWidth},
    // Floating-point functions
    {.keyword = "sin", .generator = "CompileSinFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatSin},
    {.keyword = "cos", .generator = "CompileCosFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatCos},
    {.keyword = "tan", .generator = "CompileTanFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatTan},
    {.keyword = "asin", .generator = "CompileAsinFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatAsin},
    {.keyword = "acos", .generator = "CompileAcosFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatAcos},
    {.keyword = "atan", .generator = "CompileAtanFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatAtan},
    {.keyword = "atan2", .generator = "CompileAtan2Function", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatAtan2},
    {.keyword = "sinh", .generator = "CompileSinhFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatSinh},
    {.keyword = "cosh", .generator = "CompileCoshFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatCosh},
    {.keyword = "tanh", .generator = "CompileTanhFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatTanh},
    {"sqrt", "CompileSqrtFunction", CompileSqrtFunction, RowResult::kOfArgument},
    {.keyword = "sqr", .generator = "CompileSqrFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatSqr},
    {.keyword = "pow", .generator = "CompilePowFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatPow},
    {.keyword = "exp", .generator = "CompileExpFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatExp},
    {.keyword = "log", .generator = "CompileLogFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatLog},
    {.keyword = "log10", .generator = "CompileLog10Function", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatLog10},
    {.keyword = "degtorad", .generator = "CompileDegToRadFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatDegToRad},
    {.keyword = "radtodeg", .generator = "CompileRadToDegFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatRadToDeg},
    {.keyword = "int", .generator = "CompileIntFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatInt},
    {.keyword = "fract", .generator = "CompileFractFunction", .result = RowResult::kFloat, .numbered = CompileFloatFunction, .number = kFloatFract},
    // Timers, counters and capture
    {.keyword = "timer0", .generator = "CompileTimer0Access", .result = RowResult::kByte, .numbered = CompileTimerAccess, .number = 0},
    {.keyword = "counter0", .generator = "CompileTimer0Access", .result = RowResult::kByte, .numbered = CompileTimerAccess, .number = 0},
    {.keyword = "timer1", .generator = "CompileTimer1Access", .result = RowResult::kWord, .numbered = CompileTimerAccess, .number = 1},
    {.keyword = "counter1", .generator = "CompileTimer1Access", .result = RowResult::kWord, .numbered = CompileTimerAccess, .number = 1},
    {.keyword = "timer2", .generator = "CompileTimer2Access", .result = RowResult::kByte, .numbered = CompileTimerAccess, .number = 2},
    {.keyword = "counter2", .generator = "CompileTimer2Access", .result = RowResult::kByte, .numbered = CompileTimerAccess, .number = 2},
    {.keyword = "timer3", .generator = "CompileTimer3Access", .result = RowResult::kWord, .numbered = CompileTimerAccess, .number = 3},
    {.keyword = "counter3", .generator = "CompileTimer3Access", .result = RowResult::kWord, .numbered = CompileTimerAccess, .number = 3},
    {.keyword = "timer4", .generator = "CompileTimer4Access", .result = RowResult::kWord, .numbered = CompileTimerAccess, .number = 4},
    {.keyword = "counter4", .generator = "CompileTimer4Access", .result = RowResult::kWord, .numbered = CompileTimerAccess, .number = 4},
    {.keyword = "timer5", .generator = "CompileTimer5Access", .result = RowResult::kWord, .numbered = CompileTimerAccess, .number = 5},
    {.keyword = "counter5", .generator = "CompileTimer5Access", .result = RowResult::kWord, .numbered = CompileTimerAccess, .number = 5},
    {.keyword = "capture1", .generator = "CompileCapture1Function", .result = RowResult::kWord, .numbered = CompileCaptureFunction, .number = 1},
    {.keyword = "capture3", .generator = "CompileCapture3Function", .result = RowResult::kWord, .numbered = CompileCaptureFunction, .number = 3},
    {.keyword = "capture4", .generator = "CompileCapture4Function", .result = RowResult::kWord, .numbered = CompileCaptureFunction, .number = 4},
    {.keyword = "capture5", .generator = "CompileCapture5Function", .result = RowResult::kWord, .numbered = CompileCaptureFunction, .number = 5},
    {"start", "CompileStartStatement", CompileStartStatement},
    {"stop", "CompileStopStatement", CompileStopStatement},
    {"clockprescale", "CompileClockPrescaleStatement", CompileClockPrescaleStatement},
    // PWM and compare
    {.keyword = "pwm0", .generator = "CompilePwm0Statement", .numbered = CompileCompareStatement, .number = 0},
    {.keyword = "compare0", .generator = "CompilePwm0Statement", .numbered = CompileCompareStatement, .number = 0},
    {.keyword = "pwm0a", .generator = "CompilePwm0AStatement", .numbered = CompileCompareStatement, .number = 1},
    {.keyword = "compare0a", .generator = "CompilePwm0AStatement", .numbered = CompileCompareStatement, .number = 1},
    {.keyword = "pwm0b", .generator = "CompilePwm0BStatement", .numbered = CompileCompareStatement, .number = 2},
    {.keyword = "compare0b", .generator = "CompilePwm0BStatement", .numbered = CompileCompareStatement, .number = 2},
    {.keyword = "pwm1", .generator = "CompilePwm1Statement", .numbered = CompileCompareStatement, .number = 4},
    {.keyword = "compare1", .generator = "CompilePwm1Statement", .numbered = CompileCompareStatement, .number = 4},
    {.keyword = "pwm1a", .generator = "CompilePwm1AStatement", .numbered = CompileCompareStatement, .number = 5},
    {.keyword = "compare1a", .generator = "CompilePwm1AStatement", .numbered = CompileCompareStatement, .number = 5},
    {.keyword = "pwm1b", .generator = "CompilePwm1BStatement", .numbered = CompileCompareStatement, .number = 6},
    {.keyword = "compare1b", .generator = "CompilePwm1BStatement", .numbered = CompileCompareStatement, .number = 6},
    {.keyword = "pwm1c", .generator = "CompilePwm1CStatement", .numbered = CompileCompareStatement, .number = 7},
    {.keyword = "compare1c", .generator = "CompilePwm1CStatement", .numbered = CompileCompareStatement, .number = 7},
    {.keyword = "pwm2", .generator = "CompilePwm2Statement", .numbered = CompileCompareStatement, .number = 8},
    {.keyword = "compare2", .generator = "CompilePwm2Statement", .numbered = CompileCompareStatement, .number = 8},
    {.keyword = "pwm3a", .generator = "CompilePwm3AStatement", .numbered = CompileCompareStatement, .number = 13},
    {.keyword = "compare3a", .generator = "CompilePwm3AStatement", .numbered = CompileCompareStatement, .number = 13},
    {.keyword = "pwm3b", .generator = "CompilePwm3BStatement", .numbered = CompileCompareStatement, .number = 14},
    {.keyword = "compare3b", .generator = "CompilePwm3BStatement", .numbered = CompileCompareStatement, .number = 14},
    {.keyword = "pwm3c", .generator = "CompilePwm3CStatement", .numbered = CompileCompareStatement, .number = 15},
    {.keyword = "compare3c", .generator = "CompilePwm3CStatement", .numbered = CompileCompareStatement, .number = 15},
    {.keyword = "pwm4a", .generator = "CompilePwm4AStatement", .numbered = CompileCompareStatement, .number = 17},
    {.keyword = "compare4a", .generator = "CompilePwm4AStatement", .numbered = CompileCompareStatement, .number = 17},
    {.keyword = "pwm4b", .generator = "CompilePwm4BStatement", .numbered = CompileCompareStatement, .number = 18},
    {.keyword = "compare4b", .generator = "CompilePwm4BStatement", .numbered = CompileCompareStatement, .number = 18},
    {.keyword = "pwm4c", .generator = "CompilePwm4CStatement", .numbered = CompileCompareStatement, .number = 19},
    {.keyword = "compare4c", .generator = "CompilePwm4CStatement", .numbered = CompileCompareStatement, .number = 19},
    {.keyword = "pwm5a", .generator = "CompilePwm5AStatement", .numbered = CompileCompareStatement, .number = 21},
    {.keyword = "compare5a", .generator = "CompilePwm5AStatement", .numbered = CompileCompareStatement, .number = 21},
    {.keyword = "pwm5b", .generator = "CompilePwm5BStatement", .numbered = CompileCompareStatement, .number = 22},
    {.keyword = "compare5b", .generator = "CompilePwm5BStatement", .numbered = CompileCompareStatement, .number = 22},
    {.keyword = "pwm5c", .generator = "CompilePwm5CStatement", .numbered = CompileCompareStatement, .number = 23},
    {.keyword = "compare5c", .generator = "CompilePwm5CStatement", .numbered = CompileCompareStatement, .number = 23},
    // Interrupts and power
    {"enable", "CompileEnableStatement", CompileEnableStatement},
    {"disable", "CompileDisableStatement", CompileDisableStatement},
    {"int0", "CompileIntSenseStatement", CompileIntSenseStatement},
    {"int1", "CompileIntSenseStatement", CompileIntSenseStatement},
    {"int2", "CompileIntSenseStatement", CompileIntSenseStatement},
    {"int3", "CompileIntSenseStatement", CompileIntSenseStatement},
    {"int4", "CompileIntSenseStatement", CompileIntSenseStatement},
    {"int5", "CompileIntSenseStatement", CompileIntSenseStatement},
    {"int6", "CompileIntSenseStatement", CompileIntSenseStatement},
    {"int7", "CompileIntSenseStatement", CompileIntSenseStatement},
    {"ac", "CompileAcSenseStatement", CompileAcSenseStatement},
    {.keyword = "idle", .generator = "CompileIdleStatement", .numbered = CompileSleepStatement, .number = 0},
    {.keyword = "powerdown", .generator = "CompilePowerDownStatement", .numbered = CompileSleepStatement, .number = 1},
    {.keyword = "powersave", .generator = "CompilePowerSaveStatement", .numbered = CompileSleepStatement, .number = 2},
    {.keyword = "standby", .generator = "CompileStandbyStatement", .numbered = CompileSleepStatement, .number = 3},
    {.keyword = "extstandby", .generator = "CompileExtStandbyStatement", .numbered = CompileSleepStatement, .number = 4},
    {"nop", "CompileNopStatement", CompileNopStatement},
    // Peripherals
    {"adc", "CompileAdcFunction", CompileAdcFunction, RowResult::kWord},
    {"adc8", "CompileAdc8Function", CompileAdc8Function, RowResult::kByte},
    {"writeee", "CompileWriteEEStatement", CompileWriteEEStatement},
    {"readee", "CompileReadEEFunction", CompileReadEEFunction, RowResult::kAnyWidth},
    {"initee", "CompileInitEEStatement", CompileInitEEStatement},
    {"sound", "CompileSoundStatement", CompileSoundStatement},
    {"dtmf", "CompileDtmfStatement", CompileDtmfStatement},
    {"rc5", "CompileRc5Statement", CompileRc5Statement},
    {"key", "CompileKeyFunction", CompileKeyFunction, RowResult::kByte},
    {"nokey", "CompileNoKeyFunction", CompileNoKeyFunction, RowResult::kByte},
    {"pckey", "CompilePcKeyFunction", CompilePcKeyFunction, RowResult::kByte},
    {"pckeysend", "CompilePcKeySendStatement", CompilePcKeySendStatement},
    {"spi", "CompileSpiFunction", CompileSpiFunction, RowResult::kAnyWidth},
    {"spiin", "CompileSpiInStatement", CompileSpiInStatement},
    {"spiout", "CompileSpiOutStatement", CompileSpiOutStatement},
    {"shiftout", "CompileShiftOutStatement", CompileShiftOutStatement},
    {"shiftin", "CompileShiftInFunction", CompileShiftInFunction, RowResult::kAnyWidth},
    {"format", "CompileFormatStatement", CompileFormatStatement},
    {"leadchar", "CompileLeadCharStatement", CompileLeadCharStatement},
    // Serial ports
    {"open", "CompileOpenStatement", CompileOpenStatement},
};

}  // namespace

std::span<const DispatchRow> HardwareDispatchRows() { return kRows; }

}  // namespace qbc
