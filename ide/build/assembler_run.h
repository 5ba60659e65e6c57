#pragma once
// Running the assembler front end AvrAsm32 (in the installation's inc folder) with its
// console output captured, and reporting the result in the report box.
#include <functional>
#include <string>
#include <vector>

#include "compiler/base/report.h"
#include "compiler/base/state.h"
#include "ide/build/assembler_report.h"

namespace qbc {

// Splits a command line into the program and its arguments: blanks separate, double quotes
// group (and are removed), so quoted paths may hold blanks.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

struct CaptureResult {
  bool started = false;  // false: the program could not be started
  std::string error;     // why it could not be started, or how it crashed
  int crashSignal = 0;   // the signal that ended it (0: it exited)
  int exitStatus = 0;    // its exit status when it exited
  std::string output;    // standard output and standard error, as the program wrote them
};

// Runs a program (argv[0], no shell: every argument arrives as given, blanks and quotes
// included) and returns everything it wrote on standard output and standard error, read
// through one pipe to its end. The program is killed when the calling process ends.
CaptureResult ExecuteAndCapture(const std::vector<std::string>& argv);

// The assembler run: <inc>/AvrAsm32 -w -e <base>.eep -fI <base>.asm.
std::vector<std::string> AssemblerArguments(const std::string& installDir, const std::string& baseName);

// Assembles <baseName>.asm: writes "Assembling ....  :" (replacing the report text when
// `replaceReport`, else appended), runs the command line once, appends " DONE", calls
// `wait` when given (the environment's one-second wait), and lists the errors or the size
// report. An assembler that cannot be started, that crashes or fails, or that leaves no
// whole <baseName>.hex in place, is listed as an error line: the size report stands only
// beside a .hex the programmer can load.
ExtractResult Assembling(const CompilerState& st, const std::string& installDir, const std::string& baseName,
                         bool replaceReport, bool compiledFromRun, ReportSink& report,
                         const std::function<void()>& wait = {});

}  // namespace qbc
