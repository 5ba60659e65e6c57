// The link rows of the core routines: bit variables, strings, numbers as text, integer
// arithmetic, shifts, waits, memory, search and sort.
#include "compiler/library/core/link_rows.h"
#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/library/core/bit_var_routines.h"
#include "compiler/library/core/delay_routines.h"
#include "compiler/library/core/int_divide.h"
#include "compiler/library/core/int_multiply.h"
#include "compiler/library/core/memory_crc.h"
#include "compiler/library/core/num_to_text.h"
#include "compiler/library/core/search_sort.h"
#include "compiler/library/core/shift_rotate.h"
#include "compiler/library/core/sqrt_bcd.h"
#include "compiler/library/core/string_routines.h"
#include "compiler/statements/hardware/number_format.h"

namespace qbc {

namespace {

const LinkRow kRows[] = {
    {.Key = 5, .Name = "DeclareLateNumberTextCells", .Guard = QBC_LINK_GUARD(LateNumberTextCellsMissing(s)), .Action = DeclareLateNumberTextCells},
    {10, "EmitStoreBitVarRoutine", QBC_LINK_GUARD(s.used[NeedStoreBit]), EmitStoreBitVarRoutine},
    {20, "EmitVaBitRoutine", QBC_LINK_GUARD(s.used[NeedBitMask]), EmitVaBitRoutine},
    {30, "EmitLoadBitVarRoutine", QBC_LINK_GUARD(s.used[NeedVaBiL]), EmitLoadBitVarRoutine},
    {40, "EmitStoreStrRoutine", QBC_LINK_GUARD(s.used[NeedStoreStr]), EmitStoreStrRoutine},
    {50, "EmitStoreStrConstRoutine", QBC_LINK_GUARD(s.used[NeedStoreStrConst]), EmitStoreStrConstRoutine},
    {60, "EmitInitStrArrayRoutine", QBC_LINK_GUARD(s.used[NeedStrI]), EmitInitStrArrayRoutine},
    {110, "EmitNumToHexRoutine", QBC_LINK_GUARD(s.used[NeedNumToHex]), EmitNumToHexRoutine},
    {500, "EmitStringCompareRoutine", QBC_LINK_GUARD(s.used[NeedStrCmp]), EmitStringCompareRoutine},
    {510, "EmitStringConstCompareRoutine", QBC_LINK_GUARD(s.used[NeedStrConstCmp]), EmitStringConstCompareRoutine},
    {520, "EmitLenStrRoutine", QBC_LINK_GUARD(s.used[NeedLenStr]), EmitLenStrRoutine},
    {530, "EmitLenStrConstRoutine", QBC_LINK_GUARD(s.used[NeedLenStrConst]), EmitLenStrConstRoutine},
    {540, "EmitInstrRoutine", QBC_LINK_GUARD(s.used[NeedInstr]), EmitInstrRoutine},
    {820, "EmitCalcCrc8Routine", QBC_LINK_GUARD(s.used[NeedCrc8]), EmitCalcCrc8Routine},
    {860, "EmitShiftLeftByteRoutine", QBC_LINK_GUARD(s.used[NeedShiftLeftByte]), EmitShiftLeftByteRoutine},
    {870, "EmitShiftLeftWordRoutine", QBC_LINK_GUARD(s.used[NeedShiftLeftWord]), EmitShiftLeftWordRoutine},
    {880, "EmitShiftLeftLongRoutine", QBC_LINK_GUARD(s.used[NeedShiftLeftLong]), EmitShiftLeftLongRoutine},
    {890, "EmitShiftRightByteRoutine", QBC_LINK_GUARD(s.used[NeedShiftRightByte]), EmitShiftRightByteRoutine},
    {900, "EmitShiftRightWordRoutine", QBC_LINK_GUARD(s.used[NeedShiftRightWord]), EmitShiftRightWordRoutine},
    {910, "EmitShiftRightLongRoutine", QBC_LINK_GUARD(s.used[NeedShiftRightLong]), EmitShiftRightLongRoutine},
    {920, "EmitRotateLeftByteRoutine", QBC_LINK_GUARD(s.used[NeedRotateLeftByte]), EmitRotateLeftByteRoutine},
    {930, "EmitRotateLeftWordRoutine", QBC_LINK_GUARD(s.used[NeedRotateLeftWord]), EmitRotateLeftWordRoutine},
    {940, "EmitRotateRightByteRoutine", QBC_LINK_GUARD(s.used[NeedRotateRightByte]), EmitRotateRightByteRoutine},
    {950, "EmitRotateRightWordRoutine", QBC_LINK_GUARD(s.used[NeedRotateRightWord]), EmitRotateRightWordRoutine},
    {960, "EmitRotateRightLongRoutine", QBC_LINK_GUARD(s.used[NeedRotateRightLong]), EmitRotateRightLongRoutine},
    {970, "EmitRotateLeftLongRoutine", QBC_LINK_GUARD(s.used[NeedRotateLeftLong]), EmitRotateLeftLongRoutine},
    {1000, "EmitFindStrConstRoutine", QBC_LINK_GUARD(s.used[NeedFSC]), EmitFindStrConstRoutine},
    {1030, "EmitBcdRoutine", QBC_LINK_GUARD(s.used[NeedBcd]), EmitBcdRoutine},
    {1040, "EmitFromBcdRoutine", QBC_LINK_GUARD(s.used[NeedFromBcd]), EmitFromBcdRoutine},
    {1080, "EmitMemCopyRoutine", QBC_LINK_GUARD(s.used[NeedMemCopy]), EmitMemCopyRoutine},
    {1900, "EmitLongToStrRoutine", QBC_LINK_GUARD(s.used[NeedLongToStr]), EmitLongToStrRoutine},
    {1910, "EmitIntToStrRoutine", QBC_LINK_GUARD(s.used[NeedIntToStr] && !s.used[NeedLongToStr]), EmitIntToStrRoutine},
    {1920, "EmitByteToStrRoutine", QBC_LINK_GUARD(s.used[NeedByteToStr] && !s.used[NeedIntToStr] && !s.used[NeedLongToStr]), EmitByteToStrRoutine},
    {1930, "EmitLcaseRoutine", QBC_LINK_GUARD(s.used[NeedLcase]), EmitLcaseRoutine},
    {1940, "EmitUcaseRoutine", QBC_LINK_GUARD(s.used[NeedUcase]), EmitUcaseRoutine},
    {1950, "EmitSortRoutine", QBC_LINK_GUARD(s.used[NeedSort]), EmitSortRoutine},
    {1960, "EmitSqr16Routine", QBC_LINK_GUARD(s.used[NeedSqr16]), EmitSqr16Routine},
    {1970, "EmitSqr32Routine", QBC_LINK_GUARD(s.used[NeedSqr32]), EmitSqr32Routine},
    {1980, "EmitFind8RoutineAlt", QBC_LINK_GUARD(s.used[NeedFnd8Alt]), EmitFind8RoutineAlt},
    {1990, "EmitFind8Routine", QBC_LINK_GUARD(s.used[NeedFnd8] && !s.used[NeedFnd8Alt]), EmitFind8Routine},
    {2000, "EmitFind16Routine", QBC_LINK_GUARD(s.used[NeedFnd16Alt]), EmitFind16Routine},
    {2010, "EmitFind16RoutineAlt", QBC_LINK_GUARD(s.used[NeedFnd16] && !s.used[NeedFnd16Alt]), EmitFind16RoutineAlt},
    {2020, "EmitWaitmsRoutine", QBC_LINK_GUARD(s.used[NeedWaitMs]), EmitWaitmsRoutine},
    {2030, "EmitWaitusRoutine", QBC_LINK_GUARD(s.used[NeedWaitUs]), EmitWaitusRoutine},
    {2040, "EmitWaitMicroRoutine", QBC_LINK_GUARD(s.used[NeedWaitMicro]), EmitWaitMicroRoutine},
    {2050, "EmitWait5usRoutine", QBC_LINK_GUARD(s.used[NeedWait5us]), EmitWait5usRoutine},
    {2060, "EmitWaitsRoutine", QBC_LINK_GUARD(s.used[NeedWaitS]), EmitWaitsRoutine},
    {2070, "EmitWaitTicksRoutine", QBC_LINK_GUARD(s.used[NeedWaitTicks]), EmitWaitTicksRoutine},
    {2080, "EmitMpy8uRoutine", QBC_LINK_GUARD(s.used[NeedMul8u]), EmitMpy8uRoutine},
    {2090, "EmitDiv8uRoutine", QBC_LINK_GUARD(s.used[NeedDiv8u]), EmitDiv8uRoutine},
    {2100, "EmitMp16uRoutine", QBC_LINK_GUARD(s.used[NeedMul16u]), EmitMp16uRoutine},
    {2110, "EmitDi16uRoutine", QBC_LINK_GUARD(s.used[NeedDiv16u]), EmitDi16uRoutine},
    {2120, "EmitMp16sRoutine", QBC_LINK_GUARD(s.used[NeedMul16s]), EmitMp16sRoutine},
    {2130, "EmitDi16sRoutine", QBC_LINK_GUARD(s.used[NeedDiv16s]), EmitDi16sRoutine},
    {2140, "EmitMul32Routine", QBC_LINK_GUARD(s.used[NeedMul32]), EmitMul32Routine},
    {2150, "EmitDiv32Routine", QBC_LINK_GUARD(s.used[NeedDiv32]), EmitDiv32Routine},
    {2160, "EmitIntToLongRoutine", QBC_LINK_GUARD(s.used[NeedI2L]), EmitIntToLongRoutine},
    {2170, "EmitIntToLongR16Routine", QBC_LINK_GUARD(s.used[NeedI2Lo]), EmitIntToLongR16Routine},
    {2430, "EmitMemFillRoutine", QBC_LINK_GUARD(s.used[NeedMfil]), EmitMemFillRoutine},
};

}  // namespace

std::span<const LinkRow> CoreLinkRows() { return kRows; }

}  // namespace qbc
