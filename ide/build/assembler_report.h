#pragma once
// Reading the assembler's console output: the numbered error list, or the code size with
// the free flash and SRAM of the compiled program.
#include <string>
#include <string_view>

#include "compiler/base/report.h"
#include "compiler/base/state.h"

namespace qbc {

// A number as the report box shows it: a leading blank for zero and positive values, a
// minus sign for negative ones, a point, no trailing zeros (single precision).
std::string WriteNumber(double value);

// The leading number of a text: blanks, tabs and line feeds skipped, optional sign, digits
// and one decimal point; 0 when there is none.
double ReadNumber(std::string_view text);

struct ExtractResult {
  int errorLines = 0;     // numbered error lines written
  bool tooBig = false;    // the code does not fit the device's flash
  double codeBytes = 0;   // the size field of the "[.cseg]" line
};

// Appends to the report the assembler's error lines (each line holding ": error:",
// numbered) or, when there are none, the size report. `compiledFromRun` is true when the
// assembler ran after a compilation (the compiler state still holds its results). Output
// with neither an error line nor a "[.cseg]" line is listed as one error: the assembler
// gave no result.
ExtractResult ExtractErrors(const CompilerState& st, bool compiledFromRun, const std::string& output,
                            ReportSink& report);

}  // namespace qbc
