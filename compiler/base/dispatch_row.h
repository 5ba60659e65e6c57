#pragma once
// A row of the keyword dispatcher: a keyword and the generator that compiles its
// statement or function. Each statement area keeps its rows in its own dispatch_rows.cpp;
// the driver takes every area's rows in once.
//
// A generator that serves one keyword per UART, channel, timer or bus takes that number
// from its row instead of a wrapper per number:
//   {"dim", "CompileDimStatement", CompileDimStatement},
//   {.keyword = "baud1", .generator = "CompileBaudStatement", .numbered = CompileBaudStatement, .number = 1},
#include <string_view>

namespace qbc {

struct CompilerState;

using Generator = void (*)(CompilerState&);
using NumberedGenerator = void (*)(CompilerState&, int number);

struct DispatchRow {
  std::string_view keyword;    // lower case; a word of the keyword list
  std::string_view generator;  // the generator's name
  Generator fn = nullptr;      // nullptr (and no numbered generator) while not built yet
  NumberedGenerator numbered = nullptr;
  int number = 0;              // passed to `numbered`

  bool Built() const { return fn != nullptr || numbered != nullptr; }
};

}  // namespace qbc
