#pragma once
// The calls between procedures, as the calls record them while they are compiled: from
// the main program, a procedure or a handler to the procedure called, with the line of the
// call. The handlers' room refuses recursion a handler can reach and sizes the handlers'
// stack by the deepest chain of frames a handler can build; the memory check counts the
// main program's chain.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/base/state.h"

namespace qbc {

inline constexpr int kMainProgram = -1;  // the caller of a call outside every body

struct CallGraphCells {
  struct Call {
    int Caller = kMainProgram;  // Procs index (a handler is a procedure record too)
    int Callee = 0;
    std::string FileName;
    std::int32_t LineNumber = 0;
    // Where the copies of the call's string arguments end in the argument area, counted
    // from where the caller's own place in it begins (calls made inside another call's
    // argument list start after that call's copies made so far).
    int ArgCopyEnd = 0;
  };
  std::vector<Call> Calls;
  // The argument area (the main program's or the handlers') loaded for a call made in a
  // procedure without string parameters of its own: its copies go past those that may be
  // live when the procedure runs, known once every call is compiled (written then at
  // `Anchor`).
  struct AreaLoad {
    std::size_t Anchor = 0;
    int Proc = 0;
    int Offset = 0;  // past the start of the procedure's own place in the area
    bool Handlers = false;  // the handlers' area
  };
  std::vector<AreaLoad> AreaLoads;
};

// A call of the procedure at Procs index `callee`, made by the code being compiled: in a
// Sub, Function or handler body `callerIndex` (the caller's CurrentSubIndex) makes it,
// elsewhere the main program. Gives the call's place among the calls.
std::size_t RecordCall(CompilerState& st, int callerIndex, int callee);

// The most bytes a chain of calls from `caller` holds at once, each procedure adding
// `bytes` of its record (a procedure already on the chain adds nothing again: recursion
// is counted once).
int DeepestChain(const CompilerState& st, int caller, int (*bytes)(const CompilerState&, int proc));

// The most bytes of the string argument area a chain of calls from `caller` (the main
// program, or a handler in the handlers' area) holds at once: each call's copies end past
// its caller's (recursion is counted once, as above).
int DeepestArgCopies(const CompilerState& st, int caller = kMainProgram);
// For each procedure (by Procs index), the most bytes of that area the chains of calls
// from the main program to it hold when it starts (0 where the main program does not
// reach it); `handlers` set, of the handlers' own area, the chains starting at handlers.
std::vector<int> ArgCopiesAtEntries(const CompilerState& st, bool handlers);

// A procedure that calls itself (directly or further down) and can be reached from
// `caller`, with the call made by `caller` itself that leads to it.
struct Recursion {
  int Procedure = 0;
  CallGraphCells::Call Call;
};
std::optional<Recursion> RecursionFrom(const CompilerState& st, int caller);

// Frame bytes of a procedure (parameters and locals).
int FrameBytes(const CompilerState& st, int proc);

}  // namespace qbc
