#pragma once
// The cells of the interrupt handlers' machinery. The handlers' own code (entry and exit,
// save sets, the software stack and the work areas) lives in codegen/handlers/; these
// cells lie here because the first pass records the declarations and the call and string
// code reads where a handler's work areas are.
#include <cstdint>
#include <string>
#include <vector>

namespace qbc {

// A handler's calls copy their string arguments to _IsArg, not to the main program's
// area; _IsOn is set while a handler runs, so a procedure (called from either) finds its
// area. _IsTxt keeps the float and formatted-number text of the interrupted code while a
// handler runs.
inline constexpr const char* kHandlerArgArea = "_IsArg";
inline constexpr const char* kHandlerTextKeep = "_IsTxt";
inline constexpr const char* kHandlerRunning = "_IsOn";

// The handlers' own software stack, and the count of the handlers running on it (its
// address is the top of the stack: it lies right above it).
inline constexpr const char* kHandlerStack = "_IsY";
inline constexpr const char* kHandlerDepth = "_IsDp";

struct HandlerCells {
  // Where each interrupt handler was declared: a handler declared and never defined would
  // leave its vector jumping to a label that does not exist, so it is reported at its
  // declaration once the whole program is read.
  struct Place {
    std::string Name;
    std::string FileName;
    std::int32_t LineNumber = 0;
  };
  std::vector<Place> Declared;
  // The body of a handler is being compiled (handlers never nest in the source).
  bool InBody = false;
  // Code a handler may run (a handler body or a procedure) makes scratch copies of strings
  // below its Y (compares, substrings, assignments that read their target).
  bool StringScratch = false;
  // Sizes of the handlers' work areas as the data segment reserved them (0: none).
  std::int16_t ArgAreaBytes = 0;
  std::int16_t TextKeepBytes = 0;
  // A graphic display is configured: its drawing routines use r8 to r15 as scratch, so
  // a handler that keeps all registers keeps those too.
  bool DrawingRegisters = false;

  bool AnyDeclared() const { return !Declared.empty(); }
};

}  // namespace qbc
