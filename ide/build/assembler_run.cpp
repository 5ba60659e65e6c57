#include "ide/build/assembler_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "toolchain/child_ties.h"
#include "toolchain/intel_hex.h"

namespace qbc {

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> args;
  std::string current;
  bool inQuotes = false;
  bool have = false;
  for (char c : commandLine) {
    if (c == '"') {
      inQuotes = !inQuotes;
      have = true;
    } else if ((c == ' ' || c == '\t') && !inQuotes) {
      if (have) args.push_back(current);
      current.clear();
      have = false;
    } else {
      current += c;
      have = true;
    }
  }
  if (have) args.push_back(current);
  return args;
}

CaptureResult ExecuteAndCapture(const std::vector<std::string>& argv) {
  CaptureResult r;
  if (argv.empty()) {
    r.error = "empty command line";
    return r;
  }
  int out[2];
  int status[2];  // tells the parent why exec failed
  if (pipe2(out, O_CLOEXEC) != 0) {
    r.error = std::strerror(errno);
    return r;
  }
  if (pipe2(status, O_CLOEXEC) != 0) {
    r.error = std::strerror(errno);
    close(out[0]);
    close(out[1]);
    return r;
  }
  const pid_t parent = getpid();
  pid_t pid = fork();
  if (pid < 0) {
    r.error = std::strerror(errno);
    for (int fd : {out[0], out[1], status[0], status[1]}) close(fd);
    return r;
  }
  if (pid == 0) {
    EndWithParent(parent);
    dup2(out[1], 1);
    dup2(out[1], 2);
    int devnull = open("/dev/null", O_RDONLY);
    if (devnull >= 0) dup2(devnull, 0);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    int err = errno;
    if (write(status[1], &err, sizeof err) < 0) _exit(126);
    _exit(127);
  }
  close(out[1]);
  close(status[1]);
  char buf[1024];
  for (;;) {
    ssize_t n = read(out[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    r.output.append(buf, static_cast<std::size_t>(n));
  }
  close(out[0]);
  int err = 0;
  const bool execFailed = read(status[0], &err, sizeof err) == static_cast<ssize_t>(sizeof err);
  close(status[0]);
  int ws = 0;
  while (waitpid(pid, &ws, 0) < 0 && errno == EINTR) {
  }
  r.started = !execFailed;
  if (execFailed) {
    r.error = std::strerror(err);
  } else if (WIFSIGNALED(ws)) {
    r.crashSignal = WTERMSIG(ws);
    r.error = strsignal(r.crashSignal);
  } else if (WIFEXITED(ws)) {
    r.exitStatus = WEXITSTATUS(ws);
  }
  return r;
}

namespace {

// A regular file (not a link to one elsewhere) that is a whole Intel hex file.
bool IsHexInPlace(const std::string& path, std::string& why) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) {
    why = std::strerror(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    why = "it is no regular file";
    return false;
  }
  return IsWholeHexFile(path, why);
}

std::string AssemblerPath(const std::string& installDir) {
  std::string dir = installDir;
  if (!dir.empty() && dir.back() == '/') dir.pop_back();
  return dir + "/inc/AvrAsm32";
}
}  // namespace

std::vector<std::string> AssemblerArguments(const std::string& installDir, const std::string& baseName) {
  return {AssemblerPath(installDir), "-w", "-e", baseName + ".eep", "-fI", baseName + ".asm"};
}

ExtractResult Assembling(const CompilerState& st, const std::string& installDir, const std::string& baseName,
                         bool replaceReport, bool compiledFromRun, ReportSink& report,
                         const std::function<void()>& wait) {
  if (replaceReport) {
    report.SetText("Assembling ....  :");
  } else {
    report.Append("Assembling ....  :");
  }
  // One run: a second one would remove the .hex the first put in place and could fail
  // after the first was reported.
  CaptureResult run = ExecuteAndCapture(AssemblerArguments(installDir, baseName));
  report.Append(" DONE\r\n");
  const std::string assembler = AssemblerPath(installDir);
  std::string output = run.output;
  if (!run.started) {
    output = assembler + ": error: cannot start the assembler (" + run.error + ")\r\n";
  } else if (run.crashSignal != 0) {
    // What it wrote before it died may look like a result: only the crash is reported.
    output = assembler + ": error: the assembler crashed (signal " + std::to_string(run.crashSignal) + ", " +
             run.error + ")\r\n";
  } else if (output.find(": error:") == std::string::npos) {
    // A success is the whole .hex in place, whatever the assembler says.
    std::string why;
    if (run.exitStatus != 0) {
      output += assembler + ": error: the assembler failed (exit status " + std::to_string(run.exitStatus) + ")\r\n";
    } else if (!IsHexInPlace(baseName + ".hex", why)) {
      output += assembler + ": error: no whole " + baseName + ".hex after the assembler ran: " + why + "\r\n";
    }
  }
  if (wait) wait();
  return ExtractErrors(st, compiledFromRun, output, report);
}

}  // namespace qbc
