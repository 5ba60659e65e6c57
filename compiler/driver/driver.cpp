#include "compiler/driver/driver.h"

#include <ctime>
#include <exception>
#include <filesystem>
#include <limits>

#include "compiler/base/compile_error.h"
#include "compiler/base/line_errors.h"
#include "compiler/base/whole_file.h"
#include "compiler/driver/first_pass.h"
#include "compiler/driver/keyword_dispatch.h"
#include "compiler/driver/link_step.h"
#include "compiler/driver/program_head.h"
#include "compiler/frontend/source_files.h"
#include "compiler/driver/statement_loop.h"
#include "compiler/driver/keyword_list.h"
#include "compiler/statements/comm_display/one_wire.h"
#include "compiler/statements/peripherals/keypad_cells.h"
#include "compiler/version.h"

namespace qbc {

namespace {

std::string DocumentFolder(const std::string& documentPath) {
  std::size_t slash = documentPath.rfind('/');
  return slash == std::string::npos ? std::string() : documentPath.substr(0, slash + 1);
}

// The chips the generated code cannot run on: those without SRAM for the stacks, and the
// reduced core (tiny10, tiny20: sixteen registers, no adiw/sbiw), whose registers are not
// in the data space, so that its SRAM starts at 0x40.
bool UnsupportedDevice(const DeviceProfile& dev) {
  const bool reducedCore = dev.RamStart == 0x40;
  return dev.FlashEnd < 240 || dev.RamEnd < 62 || reducedCore;
}

std::string HeaderTimeLine() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char time[32];
  char date[32];
  std::strftime(time, sizeof time, "%H:%M:%S", &local);
  std::strftime(date, sizeof date, "%d-%m-%Y", &local);
  return std::string(";Created ") + time + ", " + date;
}

// The output file: made when the compilation opens it (a folder where it cannot be made
// ends the compilation there), written whole from the writer when it is closed. A file that
// cannot be written whole (a full disk) leaves the old file as it was, and the compilation
// fails. A link in its place is replaced, as the assembler replaces the .hex: what it
// points at is never written.
class OutputFile {
 public:
  void Open(CompilerState& st, const std::string& path) {
    path_ = path;
    std::string why;
    if (!file_.Open(path, why, Links::kReplace)) throw FileAccessFailure("Cannot write " + path + ": " + why);
    open_ = true;
    st.out.Clear();
  }
  void Close(CompilerState& st) {
    if (!open_) return;
    open_ = false;
    std::string why;
    if (!file_.Commit(st.out.Str(), why)) throw FileAccessFailure("Cannot write " + path_ + ": " + why);
  }
  void CloseAfterFailure(CompilerState& st) {
    try {
      Close(st);
    } catch (const CompileFailure&) {
      // the first failure is the one reported
    }
  }

 private:
  WholeFileWriter file_;
  bool open_ = false;
  std::string path_;
};

}  // namespace

void ConnectDriverEntries(CompilerState& st) {
  st.entries.compileBlock = CompileStatementBlock;
  st.entries.dispatchKeyword = DispatchFactorKeyword;
  st.entries.compileOneWire = Compile1WireStatement;
  st.entries.isKeyword = IsKeyword;
  st.entries.findRow = FindDispatchRow;
}

void CompileProgram(CompilerState& st, const std::string& documentPath, const std::string& installDir) {
  ConnectDriverEntries(st);
  st.ResetCompilerGlobals();
  st.env.InstallDir = installDir;
  st.env.DocumentFolder = DocumentFolder(documentPath);

  st.ErrorCount = 0;
  st.src.SourceLineNumber = 0;
  st.src.IncludeLevel = 0;
  st.src.TokenIndex = 0;
  st.src.IncludeStack[0].FileName = documentPath;

  OutputFile output;
  try {
    st.src.SourceFileNumber = OpenSourceFile(st, installDir + "/tmp.tmp");
    st.src.IncludeStack[0].FileNumber = st.src.SourceFileNumber;
    if (SourceFileSize(st, st.src.SourceFileNumber) < 2) {
      st.ErrorCount = 0;
      CompileError(st, "Nothing to compile!");
      CloseAllSourceFiles(st);
      return;
    }

    output.Open(st, DocumentBaseName(documentPath) + ".asm");
    st.out.OperandSeparator = "\t";
    st.out.MnemonicIndent = "\t\t";
    st.out.CommentIndent = "\t\t\t";
    st.sym.CurrentSubName.clear();
    st.src.Tokens[0].Text = "<EOL>";

    st.out.Line(";Quorvil Basic Compiler for AVR " QBC_VERSION_TEXT);
    st.out.Line(HeaderTimeLine());
    st.out.Line(";");
    st.Cells<KeypadCells>().KeyColsPort = "     ";

    ScanDeclarations(st);
    if (UnsupportedDevice(st.dev)) {
      CompileError(st, "Unsupported Device!");
    } else {
      st.sym.CurrentSubIndex = 0;
      EmitProgramPrologue(st);
      CompileStatementBlock(st);
      ReportUnopenedBlockEnd(st);
      EmitLibraryAndSummary(st);
    }
    CloseAllSourceFiles(st);
    output.Close(st);
    ReportCompiledOk(st);
  } catch (const CompilationStopped&) {
    // A limit of the compiler, listed as a compile error: the file ends where it stopped.
    CloseAllSourceFiles(st);
    output.CloseAfterFailure(st);
  } catch (const FileAccessFailure& failure) {
    // A file that cannot be read or written: it ends the compilation here; what was
    // written so far stays in the file. It counts as an error: the file is not a whole
    // program.
    CloseAllSourceFiles(st);
    output.CloseAfterFailure(st);
    if (st.ErrorCount < std::numeric_limits<std::int16_t>::max()) ++st.ErrorCount;
    if (st.report) st.report->Failure(failure.what());
  } catch (const std::exception& failure) {
    // Anything else that escaped was met while compiling a line of the program: the user
    // learns which line from a numbered error; the compilation ends here, since the
    // statement was left half compiled.
    ReportCompilerFailure(st, failure);
    CloseAllSourceFiles(st);
    output.CloseAfterFailure(st);
  }
}

std::string DocumentBaseName(const std::string& documentPath) {
  const std::string folder = DocumentFolder(documentPath);
  const std::string fileName = documentPath.substr(folder.size());
  return folder + std::filesystem::path(fileName).stem().string();
}

}  // namespace qbc
