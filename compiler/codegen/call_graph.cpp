#include "compiler/codegen/call_graph.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "compiler/base/names.h"
#include "compiler/frontend/handler_cells.h"

namespace qbc {

namespace {

std::vector<const CallGraphCells::Call*> CallsFrom(const CompilerState& st, int caller) {
  std::vector<const CallGraphCells::Call*> out;
  for (const CallGraphCells::Call& c : st.Cells<CallGraphCells>().Calls)
    if (c.Caller == caller) out.push_back(&c);
  return out;
}

bool IsHandler(const CompilerState& st, int proc) {
  const DeclaredName* d = FindName(st, st.sym.Procs[proc].Name);
  return d != nullptr && d->Kind == NameKind::kInterrupt;
}

}  // namespace

std::size_t RecordCall(CompilerState& st, int callerIndex, int callee) {
  const bool inBody =
      st.Cells<HandlerCells>().InBody || st.nest.SubNestingDepth > 0 || st.nest.FunctionNestingDepth > 0;
  std::vector<CallGraphCells::Call>& calls = st.Cells<CallGraphCells>().Calls;
  calls.push_back({inBody ? callerIndex : kMainProgram, callee, st.src.IncludeStack[st.src.IncludeLevel].FileName,
                   st.src.SourceLineNumber});
  return calls.size() - 1;
}

namespace {

// The most a chain of calls from `caller` adds up, each call adding `bytes` of it.
int DeepestCalls(const CompilerState& st, int caller, const std::function<int(const CallGraphCells::Call&)>& bytes) {
  std::map<int, int> done;
  std::set<int> open;
  std::function<int(int)> deepest = [&](int from) {
    if (const auto it = done.find(from); it != done.end()) return it->second;
    open.insert(from);
    int most = 0;
    for (const CallGraphCells::Call* c : CallsFrom(st, from))
      if (open.count(c->Callee) == 0) most = std::max(most, bytes(*c) + deepest(c->Callee));
    open.erase(from);
    done[from] = most;
    return most;
  };
  return deepest(caller);
}

}  // namespace

int DeepestChain(const CompilerState& st, int caller, int (*bytes)(const CompilerState&, int proc)) {
  return DeepestCalls(st, caller, [&](const CallGraphCells::Call& c) { return bytes(st, c.Callee); });
}

int DeepestArgCopies(const CompilerState& st, int caller) {
  return DeepestCalls(st, caller, [](const CallGraphCells::Call& c) { return c.ArgCopyEnd; });
}

std::vector<int> ArgCopiesAtEntries(const CompilerState& st, bool handlers) {
  const std::vector<CallGraphCells::Call>& calls = st.Cells<CallGraphCells>().Calls;
  std::map<int, std::vector<const CallGraphCells::Call*>> callers;
  for (const CallGraphCells::Call& c : calls) callers[c.Callee].push_back(&c);
  std::map<int, int> done;
  std::set<int> open;
  // -1: not reached from where the chains start (a call on the chain again adds nothing
  // again)
  std::function<int(int)> at = [&](int p) {
    if (p == kMainProgram) return handlers ? -1 : 0;
    if (handlers && IsHandler(st, p)) return 0;
    if (const auto it = done.find(p); it != done.end()) return it->second;
    open.insert(p);
    int most = -1;
    for (const CallGraphCells::Call* c : callers[p]) {
      if (open.count(c->Caller) != 0) continue;
      if (const int e = at(c->Caller); e >= 0) most = std::max(most, e + c->ArgCopyEnd);
    }
    open.erase(p);
    done[p] = most;
    return most;
  };
  std::vector<int> entries(st.sym.SubCount, 0);
  for (std::size_t p = 0; p < entries.size(); ++p) entries[p] = std::max(0, at(static_cast<int>(p)));
  return entries;
}

std::optional<Recursion> RecursionFrom(const CompilerState& st, int caller) {
  std::set<int> finished;
  std::vector<int> path;
  std::function<std::optional<int>(int)> search = [&](int from) -> std::optional<int> {
    if (std::find(path.begin(), path.end(), from) != path.end()) return from;
    if (finished.count(from) != 0) return std::nullopt;
    path.push_back(from);
    for (const CallGraphCells::Call* c : CallsFrom(st, from))
      if (const auto found = search(c->Callee)) return found;
    path.pop_back();
    finished.insert(from);
    return std::nullopt;
  };
  for (const CallGraphCells::Call* c : CallsFrom(st, caller)) {
    path.assign(1, caller);
    if (const auto found = search(c->Callee)) return Recursion{*found, *c};
  }
  return std::nullopt;
}

int FrameBytes(const CompilerState& st, int proc) { return st.sym.Procs[proc].FrameSize; }

}  // namespace qbc
