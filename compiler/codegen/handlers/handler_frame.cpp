#include "compiler/codegen/handlers/handler_frame.h"

#include <string>
#include <string_view>
#include <vector>

#include "compiler/base/flags/core_flags.h"
#include "compiler/base/labels.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/frontend/handler_cells.h"

namespace qbc {

namespace {

// Registers each save level keeps for the interrupted code, in push order. Levels 1 to 4
// are fixed sets for handlers whose statements stay within them. "all" covers every
// register the generated code and the library change: r16 to r18 of the long and float
// code and r7 (the sign of the 32-bit division and the zero byte of the float core). In a
// program with a graphic display also r8 to r15: the drawing routines use them as scratch
// while the float functions, float-to-text and DTMF hold live values there (every other
// routine that uses them keeps them itself, so other programs do not pay the eight bytes
// of stack). r5 and r6 (For loop ends) are pushed by every loop and by the routines that
// borrow them; r3 and r4 are the program's bit variables, which a handler changes on
// purpose.
const std::vector<const char*>& SavedRegisters(int level, bool drawing) {
  static const std::vector<const char*> levels[7] = {
      {},
      {"zl", "zh"},
      {"zl", "zh", "r24", "r25"},
      {"zl", "zh", "r0", "r1", "r24", "r25", "xl", "xh"},
      {"zl", "zh", "r0", "r1", "r24", "r25", "xl", "xh", "r20", "r21", "r22", "r23"},
      {"zl", "zh", "r0", "r1", "r2", "r24", "r25", "xl", "xh", "r16", "r17", "r18", "r19", "r20", "r21", "r22",
       "r23", "r7"},
      {"zl", "zh", "r0", "r1", "r2", "r24", "r25", "xl", "xh", "r16", "r17", "r18", "r19", "r20", "r21", "r22",
       "r23", "r7", "r8", "r9", "r10", "r11", "r12", "r13", "r14", "r15"},
  };
  return levels[level == kSaveAll && drawing ? 6 : level];
}

bool SavesZl(const std::vector<const char*>& saved) {
  for (const char* r : saved)
    if (std::string_view(r) == "zl") return true;
  return false;
}

// Every flash read sets RAMPZ for itself, so the handler's reads change it: the
// interrupted code may be between its own "out RAMPZ" and the read, or in the middle of
// a copy from a table above 64 KB. The handler keeps it on the stack, through zl (pushed
// here too when the save level leaves zl out).
void KeepRampz(CompilerState& st, const std::vector<const char*>& saved, bool entry) {
  if (!st.dev.NeedRampz) return;
  const bool zlSaved = SavesZl(saved);
  if (entry) {
    if (!zlSaved) st.out.Instr(Sep::kNarrow, "push", "zl");
    st.out.Instr(Sep::kWide, "in", "zl,RAMPZ");
    st.out.Instr(Sep::kNarrow, "push", "zl");
    return;
  }
  st.out.Instr(Sep::kWide, "pop", "zl");
  st.out.Instr(Sep::kWide, "out", "RAMPZ,zl");
  if (!zlSaved) st.out.Instr(Sep::kWide, "pop", "zl");
}

// The interrupted code may be in the middle of a float-to-text conversion or of a call
// whose string arguments lie in the main argument area: on entry the handler puts the
// text buffers aside (and takes them back before it returns) and marks itself running,
// which sends the string arguments of every call it makes to its own area.
void KeepInterruptedAreas(CompilerState& st, bool entry) {
  const HandlerCells& cells = st.Cells<HandlerCells>();
  if (entry && cells.TextKeepBytes > 0) {
    EmitCall(st, "_IsSw");
    st.used.Set(NeedHandlerTextSwap);
  }
  if (cells.ArgAreaBytes > 0) {
    st.out.Instr(Sep::kNarrow, "push", "zl");
    if (entry)
      st.out.Instr(Sep::kWide, "ldi", "zl,0x01");
    else
      st.out.Instr(Sep::kWide, "clr", "zl");
    st.out.Instr(Sep::kWide, "sts", std::string(kHandlerRunning) + ",zl");
    st.out.Instr(Sep::kWide, "pop", "zl");
  }
  if (!entry && cells.TextKeepBytes > 0) EmitCall(st, "_IsSw");
}

// The handler works on a software stack of its own (see handler_areas.h): the
// interrupted code's Y goes to the hardware stack, whatever it holds (half of a
// two-instruction change, or a pointer a routine walks), and comes back unchanged. The
// two ldi are one step for the interrupted code: interrupts are off here. A handler
// interrupting another handler goes on below that one's Y. SREG is already in r2, so
// the flags are free; yl serves as the scratch register once Y is pushed.
void EnterHandlerStack(CompilerState& st) {
  const std::string first = NewLabel(st);
  // _IsDp follows _IsY in the data segment: its address is the top of the area.
  const std::string top = kHandlerDepth;
  st.out.Instr(Sep::kNarrow, "push", "yl");
  st.out.Instr(Sep::kNarrow, "push", "yh");
  st.out.Instr(Sep::kWide, "lds", std::string("yl,") + kHandlerDepth);
  st.out.Instr(Sep::kWide, "inc", "yl");
  st.out.Instr(Sep::kWide, "sts", std::string(kHandlerDepth) + ",yl");
  st.out.Instr(Sep::kWide, "cpi", "yl,0x01");
  st.out.Instr(Sep::kWide, "ldi", "yl,byte1(" + top + ")");
  st.out.Instr(Sep::kWide, "ldi", "yh,byte2(" + top + ")");
  st.out.Instr(Sep::kNarrow, "breq", first);
  st.out.Instr(Sep::kWide, "pop", "yh");
  st.out.Instr(Sep::kWide, "pop", "yl");
  st.out.Instr(Sep::kNarrow, "push", "yl");
  st.out.Instr(Sep::kNarrow, "push", "yh");
  EmitLabel(st, first);
}

void LeaveHandlerStack(CompilerState& st) {
  st.out.Instr(Sep::kWide, "lds", std::string("yl,") + kHandlerDepth);
  st.out.Instr(Sep::kWide, "dec", "yl");
  st.out.Instr(Sep::kWide, "sts", std::string(kHandlerDepth) + ",yl");
  st.out.Instr(Sep::kWide, "pop", "yh");
  st.out.Instr(Sep::kWide, "pop", "yl");
}

}  // namespace

void EmitHandlerEntry(CompilerState& st, int level, const BodyFrame& frame) {
  st.out.Instr(Sep::kWide, "in", "r2,SREG");
  const auto& saved = SavedRegisters(level, st.Cells<HandlerCells>().DrawingRegisters);
  for (const char* r : saved) st.out.Instr(Sep::kNarrow, "push", r);
  KeepRampz(st, saved, true);
  EnterHandlerStack(st);
  EmitBodyFrameEntry(st, frame);
  KeepInterruptedAreas(st, true);
}

void EmitHandlerExit(CompilerState& st, int level) {
  const auto& saved = SavedRegisters(level, st.Cells<HandlerCells>().DrawingRegisters);
  KeepInterruptedAreas(st, false);
  LeaveHandlerStack(st);
  KeepRampz(st, saved, false);
  for (auto it = saved.rbegin(); it != saved.rend(); ++it) st.out.Instr(Sep::kWide, "pop", *it);
  st.out.Instr(Sep::kWide, "out", "SREG,r2");
  st.out.Instr("reti");
}

}  // namespace qbc
