#include "compiler/codegen/handlers/handler_finish.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "compiler/base/call_cycles.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/line_errors.h"
#include "compiler/codegen/call_graph.h"
#include "compiler/codegen/handlers/handler_areas.h"
#include "compiler/codegen/handlers/handler_frame.h"
#include "compiler/codegen/handlers/save_sets.h"
#include "compiler/frontend/handler_cells.h"

namespace qbc {

namespace {

// The text buffers of the number and float conversions: the interrupted code may have
// text waiting in them (Print sends it slowly) or be building it.
const std::vector<std::string>& TextBuffers() {
  static const std::vector<std::string> kBuffers = {"_s2tmp", "_s1tmp"};
  return kBuffers;
}

// Debian's avra looks here before its -I folders.
constexpr const char* kAvraOwnIncludes = "/usr/share/avra";

bool Names(const CodeReach& reach, const std::string& cell) { return reach.cells.count(LowerText(cell)) != 0; }

struct Planned {
  const HandlerCells::Handler* handler = nullptr;
  CodeReach reach;
  HandlerPlan plan;
  int areaBytes = 0;  // what it needs of _IsY
};

// Recursion has no bound a stack could be sized for: refused at the handler's call that
// leads into it.
void RefuseRecursion(CompilerState& st, const HandlerCells::Handler& h) {
  if (const auto r = RecursionFrom(st, h.Proc))
    CompileErrorAt(st, r->Call.FileName, r->Call.LineNumber,
                   "Recursive " + UpperText(st.sym.Procs[r->Procedure].Name) + " can not be called in an interrupt!");
}

HandlerPlan Plan(const CompilerState& st, const Planned& p, const CodeMap& code, bool nesting) {
  const CodeReach& reach = p.reach;
  const HandlerCells& cells = st.Cells<HandlerCells>();
  HandlerPlan plan;
  for (const std::string& buffer : TextBuffers()) {
    if (!reach.unknown && !Names(reach, buffer)) continue;
    if (const auto bytes = code.CellBytes(buffer)) plan.keptCells.emplace_back(buffer, *bytes);
  }
  plan.argAreaBytes = cells.ArgAreaBytes;
  plan.keepArgArea = nesting && cells.ArgAreaBytes > 0 && (reach.unknown || Names(reach, kHandlerArgArea));
  plan.ownStack = reach.usesY || reach.unknown || p.handler->LocalBytes > 0 || !plan.keptCells.empty() ||
                  plan.keepArgArea;
  std::bitset<32> changed = reach.unknown ? std::bitset<32>().set() : reach.written;
  // With interrupts on, an inner handler (the library's too) keeps its SREG in r2: this
  // one's copy goes to the stack with the saved registers.
  if (reach.enablesInterrupts) changed.set(2);
  for (const int r : HandlerMachineryRegisters(plan)) changed.set(static_cast<std::size_t>(r));
  plan.saved = HandlerSaveSet(p.handler->Level, cells.DrawingRegisters, changed);
  plan.rampz = st.dev.NeedRampz && (reach.readsFlash || reach.unknown);
  plan.interruptsOn = reach.enablesInterrupts || reach.unknown;
  // (a jump through a table, eijmp, leaves the code the handler reaches unknown)
  plan.eind = st.dev.WideProgramCounter && reach.unknown;
  return plan;
}

int AreaBytes(const CompilerState& st, const Planned& p) {
  if (!p.plan.ownStack) return 0;
  int bytes = FrameBytes(st, p.handler->Proc) + DeepestChain(st, p.handler->Proc, FrameBytes) + HandlerScratchBytes(st);
  for (const auto& kept : p.plan.keptCells) bytes += kept.second;
  if (p.plan.keepArgArea) bytes += p.plan.argAreaBytes;
  return bytes;
}

}  // namespace

bool ProgramHasHandlers(const CompilerState& st) {
  if (!st.Cells<HandlerCells>().Defined.empty()) return true;
  for (int i = 1; i <= st.sym.HighestVectorUsed; ++i)
    if (st.sym.InterruptVectors[i].Used) return true;
  return false;
}

AsmFiles OutputFiles(const CompilerState& st) {
  // avra runs in the document's folder; it looks for an included file there, then in the
  // folder of device files it was built with, then in the installation's inc folder
  // (where the assembler front end lies, which names it with -I).
  AsmFiles files;
  files.folder = st.env.DocumentFolder;
  files.includeDirs.push_back(kAvraOwnIncludes);
  if (!st.env.InstallDir.empty()) files.includeDirs.push_back(st.env.IncludeFolder());
  return files;
}

CodeMap ProgramCodeMap(const CompilerState& st) {
  std::vector<std::string> watched = TextBuffers();
  watched.emplace_back(kHandlerArgArea);
  // The handlers' entries and exits are written into the output while their code is still
  // read: only then is the reading's copy worth making.
  // Without them only the depths are asked for: the code lines are not kept.
  const bool handlers = ProgramHasHandlers(st);
  return CodeMap(st.out.Str(), ReturnAddressBytes(st.dev), watched, OutputFiles(st),
                 handlers ? AsmView::Keep::kAll : AsmView::Keep::kStack,
                 handlers ? AsmView::Text::kCopied : AsmView::Text::kStays);
}

HandlerMemory FinishHandlers(CompilerState& st, const CodeMap& code) {
  HandlerMemory memory;
  const HandlerCells& cells = st.Cells<HandlerCells>();
  const int returnBytes = ReturnAddressBytes(st.dev);

  std::vector<Planned> handlers;
  bool nesting = false;
  for (const HandlerCells::Handler& h : cells.Defined) {
    RefuseRecursion(st, h);
    Planned p;
    p.handler = &h;
    if (const auto reach = code.From(h.Label, st.out.AnchorPosition(h.ExitAnchor))) {
      p.reach = *reach;
    } else {
      p.reach.unknown = true;
    }
    nesting = nesting || p.reach.enablesInterrupts || p.reach.unknown;
    handlers.push_back(p);
  }

  int area = 0;
  bool keeps = false;
  for (Planned& p : handlers) {
    p.plan = Plan(st, p, code, nesting);
    p.areaBytes = AreaBytes(st, p);
    area = nesting ? area + p.areaBytes : std::max(area, p.areaBytes);
    keeps = keeps || !p.plan.keptCells.empty() || p.plan.keepArgArea;
  }
  memory.stackAreaBytes = area;

  // The hardware stack: the return address, the entry's pushes and the deepest the body
  // goes (the entry's copy routine returns before the body starts).
  auto take = [&](int bytes, bool known) {
    memory.interrupts = true;
    memory.hardwareKnown = memory.hardwareKnown && known;
    memory.hardwareBytes = nesting ? memory.hardwareBytes + bytes : std::max(memory.hardwareBytes, bytes);
  };
  for (Planned& p : handlers) {
    p.plan.stackTop = std::string(kHandlerStack) + "+" + std::to_string(area);
    const StackDepth body = code.DepthFrom(p.handler->Label).value_or(StackDepth{0, false});
    const int inner = std::max(body.bytes, !p.plan.keptCells.empty() || p.plan.keepArgArea ? returnBytes : 0);
    take(returnBytes + HandlerEntryPushes(p.plan) + inner, body.known);
    // (the entry first: an exit at the same place, after an empty body, moves behind it)
    st.out.InsertAtAnchor(p.handler->EntryAnchor, HandlerEntryText(st, p.plan));
    st.out.InsertAtAnchor(p.handler->ExitAnchor, HandlerExitText(st, p.plan, *p.handler));
  }
  // The library's own handlers (software UART, RC5, DTMF).
  for (int i = 1; i <= st.sym.HighestVectorUsed; ++i) {
    if (!st.sym.InterruptVectors[i].Used) continue;
    const std::string label = "IntN" + std::to_string(i);
    const bool user = std::any_of(cells.Defined.begin(), cells.Defined.end(),
                                  [&](const HandlerCells::Handler& h) { return h.Label == label; });
    if (user) continue;
    if (const auto body = code.DepthFrom(label)) take(returnBytes + body->bytes, body->known);
  }

  if (keeps) EmitHandlerKeepRoutines(st);
  EmitHandlerStackArea(st, area);
  return memory;
}

}  // namespace qbc
