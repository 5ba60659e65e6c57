// The link rows of the on-chip and attached hardware routines: EEPROM, keys, the PC
// keyboard, ADC, sound, RC5 and DTMF.
#include "compiler/library/hardware/link_rows.h"
#include "compiler/library/hardware/adc_routines.h"
#include "compiler/library/hardware/dtmf_routines.h"
#include "compiler/library/hardware/eeprom_routines.h"
#include "compiler/library/hardware/keypad_routines.h"
#include "compiler/library/hardware/pc_keyboard_routines.h"
#include "compiler/library/hardware/rc5_receiver.h"
#include "compiler/library/hardware/sound_routine.h"
#include "compiler/statements/peripherals/dtmf_cells.h"
#include "compiler/statements/peripherals/keypad_cells.h"
#include "compiler/statements/peripherals/pc_key_cells.h"
#include "compiler/statements/peripherals/rc5_cells.h"

#include "compiler/base/flags/hardware_flags.h"

namespace qbc {

namespace {

const LinkRow kRows[] = {
    {980, "EmitWriteEERoutine", QBC_LINK_GUARD(s.used[NeedWriteEE]), EmitWriteEERoutine},
    {990, "EmitReadEERoutine", QBC_LINK_GUARD(s.used[NeedReadEE]), EmitReadEERoutine},
    {1010, "EmitKeyRoutines", QBC_LINK_GUARD(s.Cells<KeypadCells>().KeysDeclared), EmitKeyRoutines},
    {1020, "EmitPcKeyRoutines", QBC_LINK_GUARD(s.Cells<PcKeyCells>().NeedPcKey), EmitPcKeyRoutines},
    {1050, "EmitAdcRoutine", QBC_LINK_GUARD(s.used[NeedAdc]), EmitAdcRoutine},
    {1060, "EmitAdc8Routine", QBC_LINK_GUARD(s.used[NeedAdc8]), EmitAdc8Routine},
    {1070, "EmitSoundRoutine", QBC_LINK_GUARD(s.used[NeedSound]), EmitSoundRoutine},
    {1100, "EmitRc5ReceiveRoutine", QBC_LINK_GUARD(s.used[NeedRc5]), EmitRc5ReceiveRoutine},
    // $rc5 points the Timer0 overflow vector at the handler: it is written with the line,
    // whether or not the program receives a frame.
    {1110, "EmitRc5Ovf0InterruptRoutine", QBC_LINK_GUARD(s.used[NeedRc5] || s.Cells<Rc5Cells>().Rc5Port != "     "),
     EmitRc5Ovf0InterruptRoutine},
    {1120, "EmitDtmfRoutines", QBC_LINK_GUARD(s.Cells<DtmfCells>().DtmfUsed), EmitDtmfRoutines},
};

}  // namespace

std::span<const LinkRow> HardwareLinkRows() { return kRows; }

}  // namespace qbc
