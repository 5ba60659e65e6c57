#include "ide/build/isolated_build.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string_view>

#include "compiler/driver/driver.h"
#include "toolchain/child_ties.h"

namespace qbc {

namespace {

// The child's messages: one kind byte, a 32-bit length, that many bytes.
enum Kind : char {
  kSetText = 'S',
  kAppend = 'A',
  kFailure = 'F',
  kWait = 'W',
  kResult = 'R',
};

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = read(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

void Send(int fd, Kind kind, std::string_view payload) {
  char head[5];
  head[0] = kind;
  const auto size = static_cast<std::uint32_t>(payload.size());
  std::memcpy(head + 1, &size, sizeof size);
  // A parent that stopped listening leaves nothing to tell.
  if (!WriteAll(fd, head, sizeof head) || !WriteAll(fd, payload.data(), payload.size())) _exit(3);
}

// The child's report: every change goes down the pipe, an append as the appended text.
class PipeSink : public ReportSink {
 public:
  explicit PipeSink(int fd) : fd_(fd) {}
  void Failure(const std::string& description) override {
    ReportSink::Failure(description);
    Send(fd_, kFailure, description);
  }

 protected:
  void Changed() override {
    if (Kept() == 0) {
      Send(fd_, kSetText, Text());
    } else {
      Send(fd_, kAppend, std::string_view(Text()).substr(Kept()));
    }
  }

 private:
  int fd_;
};

std::string ResultText(int errors, const BuildOutcome& o) {
  return std::to_string(errors) + " " + std::to_string(o.assembled) + " " + std::to_string(o.assemblerErrors) +
         " " + std::to_string(o.tooBig);
}

bool ReadResult(const std::string& text, int& errors, BuildOutcome& o) {
  std::istringstream in(text);
  int assembled = 0;
  int tooBig = 0;
  if (!(in >> errors >> assembled >> o.assemblerErrors >> tooBig)) return false;
  o.assembled = assembled != 0;
  o.tooBig = tooBig != 0;
  return true;
}

[[noreturn]] void RunChild(const BuildBody& body, int fd, pid_t parent, int lifeLine, const std::vector<int>& handDown) {
  // The build ends with the environment; the assembler and whatever else the build starts
  // end with the build.
  EndWithParent(parent);
  setpgid(0, 0);
  HandDown(lifeLine);
  for (int held : handDown) HandDown(held);
  std::signal(SIGXFSZ, SIG_IGN);
  PipeSink sink(fd);
  BuildOutcome outcome;
  const int errors = body(sink, outcome, [fd] { Send(fd, kWait, {}); });
  Send(fd, kResult, ResultText(errors, outcome));
  // No exit handlers: they belong to the parent (its windows, its files).
  _exit(0);
}

// Waits at most `limit` until no process holds the far end of `lifeLine` any more.
void WaitForTheEnd(int lifeLine, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    pollfd fd{lifeLine, POLLIN, 0};
    const int n = poll(&fd, 1, static_cast<int>(left.count()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    char byte;
    if (read(lifeLine, &byte, 1) <= 0) return;  // its end (nobody writes on it)
  }
}

}  // namespace

void BuildStop::Request() {
  requested_ = true;
  if (group_ > 0) kill(-group_, SIGKILL);
}

void BuildStop::Attach(pid_t group) {
  group_ = group;
  if (requested_ && group_ > 0) kill(-group_, SIGKILL);
}

int RunIsolated(const BuildBody& body, ReportSink& report, BuildOutcome& outcome, const IsolationHooks& hooks,
                std::string& stopped) {
  // The report comes through `fds`; `life` is held open by every process of the build, so
  // that its end tells when the last of them has ended.
  int fds[2];
  int life[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    stopped = std::string("no process for the build: ") + std::strerror(errno);
    return -1;
  }
  if (pipe2(life, O_CLOEXEC) != 0) {
    stopped = std::string("no process for the build: ") + std::strerror(errno);
    close(fds[0]);
    close(fds[1]);
    return -1;
  }
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) {
    stopped = std::string("no process for the build: ") + std::strerror(errno);
    for (int fd : {fds[0], fds[1], life[0], life[1]}) close(fd);
    return -1;
  }
  if (pid == 0) {
    close(fds[0]);
    close(life[0]);
    RunChild(body, fds[1], parent, life[1], hooks.handDown);
  }
  // Here too, so that the group stands before anything is sent to it.
  setpgid(pid, pid);
  close(fds[1]);
  close(life[1]);
  if (hooks.stop) hooks.stop->Attach(pid);
  int errors = -1;
  bool haveResult = false;
  for (;;) {
    if (hooks.waitForOutput) hooks.waitForOutput(fds[0]);
    char head[5];
    if (!ReadAll(fds[0], head, sizeof head)) break;
    std::uint32_t size = 0;
    std::memcpy(&size, head + 1, sizeof size);
    std::string payload(size, '\0');
    if (!ReadAll(fds[0], payload.data(), size)) break;
    switch (head[0]) {
      case kSetText:
        report.SetText(payload);
        break;
      case kAppend:
        report.Append(payload);
        break;
      case kFailure:
        report.Failure(payload);
        break;
      case kWait:
        if (hooks.wait) hooks.wait();
        break;
      case kResult:
        haveResult = ReadResult(payload, errors, outcome);
        break;
      default:
        break;
    }
  }
  close(fds[0]);
  const bool stopRequested = hooks.stop && hooks.stop->Requested();
  // A child that ended without its result may leave the assembler running: it must not
  // put a .hex in place after the build was reported as failed.
  if (!haveResult || stopRequested) kill(-pid, SIGKILL);
  int ws = 0;
  while (waitpid(pid, &ws, 0) < 0 && errno == EINTR) {
  }
  // What the build's programs wrote is final only once the last of them has ended.
  WaitForTheEnd(life[0], std::chrono::seconds(10));
  close(life[0]);
  if (hooks.stop) hooks.stop->Attach(0);
  if (stopRequested) {
    stopped = "stopped";
  } else if (haveResult && WIFEXITED(ws) && WEXITSTATUS(ws) == 0) {
    return errors;
  } else if (WIFSIGNALED(ws)) {
    stopped = "signal " + std::to_string(WTERMSIG(ws)) + ", " + strsignal(WTERMSIG(ws));
  } else {
    stopped = "exit status " + std::to_string(WIFEXITED(ws) ? WEXITSTATUS(ws) : -1) + " without a result";
  }
  outcome = BuildOutcome{};
  return -1;
}

int RunBuildCommandIsolated(CompilerState& st, const BuildPaths& paths, const std::string& documentText,
                            ReportSink& report, BuildOutcome* outcome, const IsolationHooks& hooks) {
  BuildOutcome result;
  std::string stopped;
  int errors = RunIsolated(
      [&](ReportSink& sink, BuildOutcome& o, const std::function<void()>& childWait) {
        return RunBuildCommand(st, paths, documentText, sink, &o, childWait);
      },
      report, result, hooks, stopped);
  if (errors < 0) {
    // What the build left is not a build: no program for the programmer, no stale source
    // copy for the next build.
    RemoveStoppedBuild(paths);
    if (hooks.stop && hooks.stop->Requested()) {
      // The user asked for it: said in the report, no message box.
      report.Append("\r\nThe build was stopped: nothing was built; the text in the editor is kept.\r\n");
    } else {
      const std::string text =
          "The build stopped (" + stopped + "): nothing was built; the text in the editor is kept.";
      report.Append("\r\n" + text + "\r\n");
      report.Failure(text);
    }
    errors = 1;
  }
  if (outcome) *outcome = result;
  return errors;
}

}  // namespace qbc
