#pragma once
// The environment's "RUN   (Compile)" command without a window. The Qt environment and the
// command-line qbc call the same code.
#include <functional>
#include <string>

#include "compiler/base/report.h"
#include "compiler/base/state.h"

namespace qbc {

struct BuildPaths {
  std::string installDir;    // the installation folder: tmp.tmp, inc/
  std::string documentPath;  // full path of the document
};

// What the assembler step found (filled when `outcome` is given to RunBuildCommand).
struct BuildOutcome {
  bool assembled = false;     // the assembler step ran
  int assemblerErrors = 0;    // numbered error lines it listed
  bool tooBig = false;        // the code does not fit the flash
};

// Runs the build command on a document whose editor text is `documentText`: a ".bas"
// document is compiled and, without compile errors, assembled; any other document is saved
// and assembled. The files of the document are its path without the extension and ".asm",
// ".hex", ".eep", ".map". `wait` stands for the environment's one-second wait before the
// assembler output is examined (none on the command line). A build first removes what an
// unfinished one left (RemoveUnfinishedBuild). A build that fails leaves no .hex, .eep or
// .map: an old one that cannot be removed (a read-only folder) stops the build before it
// starts, and so does a document in the place of one of them. Returns the compiler's error
// count (a run-time failure of the compiler counts as one; 0 for an assembler document),
// or 1 when the build stopped before it started or tmp.tmp or the document could not be
// written.
// Removes what a build stopped part-way (killed) may have left of the document: the
// temporary files of its .asm, .hex, .eep and .map and of tmp.tmp, under exactly the names
// their writers give them; no other file.
void RemoveUnfinishedBuild(const BuildPaths& paths);

// Removes what a build that did not end leaves beside the document and in the
// installation folder: its .hex, .eep and .map (they are not of one build), tmp.tmp, and
// what RemoveUnfinishedBuild removes.
void RemoveStoppedBuild(const BuildPaths& paths);

int RunBuildCommand(CompilerState& st, const BuildPaths& paths, const std::string& documentText,
                    ReportSink& report, BuildOutcome* outcome = nullptr,
                    const std::function<void()>& wait = {});

}  // namespace qbc
