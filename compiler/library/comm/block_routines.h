#pragma once
// The block senders of SpiOut and ShiftOut: zl bytes from X onwards (none for 0), each
// through a byte routine, r25 counting.
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// `header` is the routine's title line, `label` its entry, `loop` its loop label and
// `byteRoutine` the routine that sends zl.
void EmitSendBlockRoutine(CompilerState& st, std::string_view header, std::string_view label, std::string_view loop,
                          std::string_view byteRoutine);

}  // namespace qbc
