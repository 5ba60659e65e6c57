#pragma once
// The cells of the interrupt handlers' machinery. The handlers' own code (entry and exit,
// save sets, the software stack and the work areas) lives in codegen/handlers/; these
// cells lie here because the first pass records the declarations and the call and string
// code reads where a handler's work areas are.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qbc {

// A handler's calls copy their string arguments to _IsArg, not to the main program's
// area. _IsDp counts the handlers running on the handlers' own software stack _IsY: a
// procedure, called from the main program or from a handler, finds its argument area by
// it.
inline constexpr const char* kHandlerArgArea = "_IsArg";
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
    int Vector = 0;
  };
  std::vector<Place> Declared;
  // The vectors the library's own handlers take (the interrupt-driven software UART, RC5,
  // DTMF), with the line that brings them in ("$com1"): a program's handler for one of
  // them, or a second such line, would place a second handler at its vector.
  struct LibraryVector {
    int Vector = 0;
    std::string By;
  };
  std::vector<LibraryVector> LibraryVectors;
  // Each handler defined: its entry and exit are written once the whole program is
  // compiled (what they keep depends on the code the handler reaches), at these anchors
  // of the output.
  struct Handler {
    std::string Label;  // "IntN" and the vector's number
    int Level = 0;      // the Save level named (5: all)
    int Proc = 0;       // its Procs record
    int LocalBytes = 0;
    std::size_t EntryAnchor = 0;
    std::size_t ExitAnchor = 0;
  };
  std::vector<Handler> Defined;
  // The body of a handler is being compiled (handlers never nest in the source).
  bool InBody = false;
  // Code a handler may run (a handler body or a procedure) makes scratch copies of strings
  // below its Y (compares, substrings, assignments that read their target).
  bool StringScratch = false;
  // Bytes of the handlers' string argument area as the data segment reserves it (0: none),
  // and where its line goes (written once the calls are known).
  std::int16_t ArgAreaBytes = 0;
  std::size_t ArgAreaAnchor = 0;
  // A graphic display is configured: its drawing routines use r8 to r15 as scratch, so
  // a handler that keeps all registers keeps those too.
  bool DrawingRegisters = false;

  bool AnyDeclared() const { return !Declared.empty(); }
};

}  // namespace qbc
