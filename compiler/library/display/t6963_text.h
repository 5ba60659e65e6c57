#pragma once
// Routine text of the T6963C driver with the wiring filled in. Whole-line keys expand to
// the port accesses of the configured ports, each in the form io_access chooses for its
// register (sbi/cbi, in/out, or lds/sts: the m64/m128 PORTF and port G):
//   {DATA_IN}/{DATA_OUT}  data port direction from r0 ("out DDRx,r0")
//   {DATA_DDR_ZL}, {CTRL_DDR_ZL}, {CTRL_PORT_ZL}: zl into those registers
//   {DATA_PULLUP}         data port PORT register from r0
//   {PUT_R20}             r20 on the data port
//   {STATUS_R0}/{READ_R26} the data port's pins into r0 or r26
//   {RD_CE_LOW}, {CE_RD_HIGH}, {WR_CE_LOW}, {CE_WR_HIGH}, {CD_LOW}, {CD_HIGH}: the control
//                         lines; on an extended control port through zl
//   {SAVE_ZL}/{RESTORE_ZL} push/pop zl, only when the control lines go through zl
//   {ACCESS_WAIT}         nops for the controller's 150 ns access time at the clock
// Inline keys: {DDR_DATA}, {DDR_CTRL}, {PORT_CTRL} (register names), {CTRL_MASK} ("0x0F"),
// {TIMEOUT_LO}/{TIMEOUT_HI} (status polls in a few milliseconds), {H16}, {H8}, {H2}, {H}
// (height / 16, / 8, / 2, the height), {W} (the width in pixels), {TCOLS} (the characters a
// row of the panel shows: 8 pixels wide, or 6 with the module's "fs" pin set).
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

void WriteT6963Text(CompilerState& st, std::string_view block);

}  // namespace qbc
