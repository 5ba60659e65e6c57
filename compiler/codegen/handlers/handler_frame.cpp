#include "compiler/codegen/handlers/handler_frame.h"

#include <algorithm>
#include <string>

#include "compiler/base/labels.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/handlers/save_sets.h"
#include "compiler/codegen/procedures.h"

namespace qbc {

namespace {

constexpr int kZl = 30;

bool Saves(const HandlerPlan& plan, int r) { return std::find(plan.saved.begin(), plan.saved.end(), r) != plan.saved.end(); }

// Lines written into a writer of their own, to be placed at an anchor.
template <class Emit>
std::string Aside(CompilerState& st, Emit emit) {
  AsmWriter kept = std::move(st.out);
  st.out = kept.Blank();
  emit();
  std::string text = st.out.Str();
  st.out = std::move(kept);
  return text;
}

// The page registers the handler's code sets. Every flash read sets RAMPZ for itself, and
// every jump through a table EIND, so the handler's reads and jumps change them: the
// interrupted code may be between its own "out RAMPZ" and the read (or "out EIND" and the
// eijmp), or in the middle of a copy from a table above 64 KB. The handler keeps them on
// the stack, through zl (pushed here too when the save set leaves zl out).
std::vector<const char*> PageRegisters(const HandlerPlan& plan) {
  std::vector<const char*> regs;
  if (plan.rampz) regs.push_back("RAMPZ");
  if (plan.eind) regs.push_back("EIND");
  return regs;
}

void KeepPageRegisters(CompilerState& st, const HandlerPlan& plan, bool entry) {
  const std::vector<const char*> regs = PageRegisters(plan);
  if (regs.empty()) return;
  const bool zlSaved = Saves(plan, kZl);
  if (entry) {
    if (!zlSaved) st.out.Instr(Sep::kNarrow, "push", "zl");
    for (const char* reg : regs) {
      st.out.Instr(Sep::kWide, "in", std::string("zl,") + reg);
      st.out.Instr(Sep::kNarrow, "push", "zl");
    }
    return;
  }
  for (auto reg = regs.rbegin(); reg != regs.rend(); ++reg) {
    st.out.Instr(Sep::kWide, "pop", "zl");
    st.out.Instr(Sep::kWide, "out", std::string(*reg) + ",zl");
  }
  if (!zlSaved) st.out.Instr(Sep::kWide, "pop", "zl");
}

// The handler works on a software stack of its own: the interrupted code's Y goes to the
// hardware stack, whatever it holds (half of a two-instruction change, or a pointer a
// routine walks), and comes back unchanged. The two ldi are one step for the interrupted
// code: interrupts are off here. A handler interrupting another handler on this stack
// goes on below that one's Y. SREG is already in r2, so the flags are free; yl serves as
// the scratch register once Y is pushed.
void EnterHandlerStack(CompilerState& st, const HandlerPlan& plan) {
  const std::string first = NewLabel(st);
  st.out.Instr(Sep::kNarrow, "push", "yl");
  st.out.Instr(Sep::kNarrow, "push", "yh");
  st.out.Instr(Sep::kWide, "lds", std::string("yl,") + kHandlerDepth);
  st.out.Instr(Sep::kWide, "inc", "yl");
  st.out.Instr(Sep::kWide, "sts", std::string(kHandlerDepth) + ",yl");
  st.out.Instr(Sep::kWide, "cpi", "yl,0x01");
  st.out.Instr(Sep::kWide, "ldi", "yl,byte1(" + plan.stackTop + ")");
  st.out.Instr(Sep::kWide, "ldi", "yh,byte2(" + plan.stackTop + ")");
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

// One cell onto the handler's stack (below its Y) or back: Z at its end or start, r23 the
// byte count.
void MoveCell(CompilerState& st, const std::string& label, int bytes, bool onto) {
  const std::string address = onto ? label + "+" + std::to_string(bytes) : label;
  st.out.Instr(Sep::kWide, "ldi", "zl,byte1(" + address + ")");
  st.out.Instr(Sep::kWide, "ldi", "zh,byte2(" + address + ")");
  st.out.Instr(Sep::kWide, "ldi", "r23," + std::to_string(bytes));
  EmitCall(st, onto ? "_IsPut" : "_IsGet");
}

// The string argument copies belong to an outer handler only when this one is nested: the
// count of handlers on the stack tells (r24 is saved: the copy uses it).
void MoveArgArea(CompilerState& st, const HandlerPlan& plan, bool onto) {
  if (!plan.keepArgArea) return;
  const std::string alone = NewLabel(st);
  st.out.Instr(Sep::kWide, "lds", std::string("r24,") + kHandlerDepth);
  st.out.Instr(Sep::kWide, "cpi", "r24,0x02");
  st.out.Instr(Sep::kNarrow, "brlo", alone);
  MoveCell(st, kHandlerArgArea, plan.argAreaBytes, onto);
  EmitLabel(st, alone);
}

}  // namespace

std::vector<int> HandlerMachineryRegisters(const HandlerPlan& plan) {
  if (plan.keptCells.empty() && !plan.keepArgArea) return {};
  return {23, 24, 30, 31};
}

int HandlerEntryPushes(const HandlerPlan& plan) {
  int pushes = static_cast<int>(plan.saved.size());
  const int pages = static_cast<int>(PageRegisters(plan).size());
  if (pages > 0) pushes += pages + (Saves(plan, kZl) ? 0 : 1);
  if (plan.ownStack) pushes += 2;
  return pushes;
}

std::string HandlerEntryText(CompilerState& st, const HandlerPlan& plan) {
  return Aside(st, [&] {
    st.out.Instr(Sep::kWide, "in", "r2,SREG");
    for (const int r : plan.saved) st.out.Instr(Sep::kNarrow, "push", RegisterName(r));
    KeepPageRegisters(st, plan, true);
    if (!plan.ownStack) return;
    EnterHandlerStack(st, plan);
    for (const auto& [label, bytes] : plan.keptCells) MoveCell(st, label, bytes, true);
    MoveArgArea(st, plan, true);
  });
}

std::string HandlerExitText(CompilerState& st, const HandlerPlan& plan, const HandlerCells::Handler& h) {
  return Aside(st, [&] {
    if (plan.ownStack) {
      if (!plan.keptCells.empty() || plan.keepArgArea) EmitAdjustPair(st, "adiw", "yl", h.LocalBytes);
      MoveArgArea(st, plan, false);
      for (auto it = plan.keptCells.rbegin(); it != plan.keptCells.rend(); ++it)
        MoveCell(st, it->first, it->second, false);
    }
    // (an inner handler may still come during the copies back: it works below this one's
    // Y, which only rises over bytes already given back)
    if (plan.interruptsOn) st.out.Instr("cli");
    if (plan.ownStack) LeaveHandlerStack(st);
    KeepPageRegisters(st, plan, false);
    for (auto it = plan.saved.rbegin(); it != plan.saved.rend(); ++it)
      st.out.Instr(Sep::kWide, "pop", RegisterName(*it));
    st.out.Instr(Sep::kWide, "out", "SREG,r2");
  });
}

void EmitHandlerKeepRoutines(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// Handler keeps a cell ///////////////
_IsPut:\tld\t\tr24,-Z
\t\tst\t\t-Y,r24
\t\tdec\t\tr23
\t\tbrne\t_IsPut
\t\tret
_IsGet:\tld\t\tr24,Y+
\t\tst\t\tZ+,r24
\t\tdec\t\tr23
\t\tbrne\t_IsGet
\t\tret)");
}

}  // namespace qbc
