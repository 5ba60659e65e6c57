// The link rows of the character LCD routines.
#include "compiler/base/flags/lcd_flags.h"
#include "compiler/library/display/link_rows.h"
#include "compiler/statements/peripherals/lcd_cells.h"

#include "compiler/library/display/lcd_routines.h"

namespace qbc {

namespace {

const LinkRow kRows[] = {
    {670, "EmitLcdInitRoutine", QBC_LINK_GUARD(s.Cells<LcdCells>().LcdConfigured), EmitLcdInitRoutine},
    {680, "EmitLcdWriteRoutines", QBC_LINK_GUARD(s.Cells<LcdCells>().LcdConfigured), EmitLcdWriteRoutines},
    {690, "EmitLcdEnRoutine", QBC_LINK_GUARD(s.Cells<LcdCells>().LcdConfigured && !s.Cells<LcdCells>().NeedLcdEN), EmitLcdEnRoutine},
    {695, "EmitLcdEnableSelectRoutine", QBC_LINK_GUARD(s.Cells<LcdCells>().LcdConfigured && LcdTwoEnables(s.Cells<LcdCells>())), EmitLcdEnableSelectRoutine},
    {700, "EmitLcdByteWordRoutine", QBC_LINK_GUARD(s.used[NeedLcdPrintByte] || s.used[NeedLcdPrintWord]), EmitLcdByteWordRoutine},
    {710, "EmitLcdStringRoutine", QBC_LINK_GUARD(s.used[NeedLcdPrintString]), EmitLcdStringRoutine},
    {720, "EmitLcdStringConstRoutine", QBC_LINK_GUARD(s.used[NeedLcdPrintStringConst]), EmitLcdStringConstRoutine},
    {730, "EmitLcdHexRoutine", QBC_LINK_GUARD(s.used[NeedLcdHex]), EmitLcdHexRoutine},
    {1090, "EmitCopyLcdCharsRoutine", QBC_LINK_GUARD(s.used[NeedDef]), EmitCopyLcdCharsRoutine},
};

}  // namespace

std::span<const LinkRow> LcdLinkRows() { return kRows; }

}  // namespace qbc
