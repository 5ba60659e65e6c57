#include "compiler/library/hardware/sound_routine.h"

#include <string>

#include "compiler/codegen/io_access.h"
#include "compiler/statements/peripherals/sound_cells.h"

namespace qbc {

namespace {

// The pin to its active (`active`) or idle level, on a line opened by `label` when there
// is one. A port beyond the bit instructions' reach is changed through zl, which the wait
// after it reloads anyway.
void SoundPinTo(CompilerState& st, bool active, const char* label = "") {
  const SoundCells& sound = st.Cells<SoundCells>();
  const bool high = active != sound.SoundInverse;
  // The label shares the line of a single sbi/cbi; the longer form opens on its own line.
  EmitForm(st, BitChangeForm(st, PinBit(sound.SoundPort, sound.SoundPin), high, Flags::kMayChange, "zl"), label,
           IsBitAddressable(st, sound.SoundPort) ? LabelAt::kFirstLine : LabelAt::kOwnLine);
}

}  // namespace

// Each half period enters the microsecond wait past its test for 0, so that a half period
// of 0 counts 256 steps, the longest, as the group count does.
void EmitSoundRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// Sound /////////////////////////////
_Sound:\tmov\t\tr25,zl
_Sou2:\tldi\t\tr24,10)");
  SoundPinTo(st, true, "_Sou1");
  st.out.Text(R"(
\t\tmov\t\tzl,zh
\t\trcall\t_wus0)");
  SoundPinTo(st, false);
  st.out.Text(R"(
\t\tmov\t\tzl,zh
\t\trcall\t_wus0
\t\tdec\t\tr24
\t\tbrne\t_Sou1
\t\tdec\t\tr25
\t\tbrne\t_Sou2
\t\tret)");
}

}  // namespace qbc
