#include "compiler/driver/memory_check.h"

#include <algorithm>
#include <string>

#include "compiler/base/compile_error.h"
#include "compiler/base/text_rows.h"
#include "compiler/codegen/call_graph.h"

namespace qbc {

void CheckProgramMemory(CompilerState& st, const CodeMap& code, const HandlerMemory& handlers) {
  const long stack = textrows::StackSizeValue(st);
  if (st.dev.RamEnd <= 0 || stack <= 0) return;
  // Y starts at RAMEND less $stack and grows down towards the data (its first push lands
  // below it, the hardware stack's lowest byte lies above it: the byte at Y belongs to
  // neither); the handlers' stack lies at the end of the data. Data that alone does not
  // fit is the assembler's to report.
  const long ram = static_cast<long>(st.dev.RamEnd) - st.dev.RamStart + 1;
  const long data = std::max<long>(code.DataEnd(), st.dev.RamStart) - st.dev.RamStart;
  const long frames = DeepestChain(st, kMainProgram, FrameBytes);
  const long need = data + handlers.stackAreaBytes + frames + 1 + stack;
  if (data <= ram && need > ram)
    CompileError(st, "Not enough SRAM for the variables, frames and stacks (" + std::to_string(need) + " of " +
                         std::to_string(ram) + " bytes)!");
  // The $stack bytes, in every program: the main program's deepest calls and pushes, the
  // handlers' on top (an interrupt can come at main's deepest point), and the copies of
  // the string arguments of main's calls, which begin at its lowest byte and grow up
  // towards the pushes.
  const auto main = code.DepthFrom("_Reset");
  if (!main || !main->known || !handlers.hardwareKnown) {
    // (an indirect jump or call, recursion, code the reading cannot follow)
    st.Cells<MemoryCheckCells>().stackUnchecked = true;
    return;
  }
  const long hardware = main->bytes + handlers.hardwareBytes + DeepestArgCopies(st);
  if (hardware > stack)
    CompileError(st, "$stack too small: calls and interrupts need " + std::to_string(hardware) + " bytes!");
}

std::string MemoryCheckNotes(const CompilerState& st) {
  return st.Cells<MemoryCheckCells>().stackUnchecked ? std::string(kStackDepthUnknown) + "\r\n" : "";
}

}  // namespace qbc
