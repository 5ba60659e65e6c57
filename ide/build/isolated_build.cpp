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

// How long the build's last programs may take to end after the build process itself.
constexpr long long kLastProgramsMs = 10000;

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The most read at one serve: a build that writes without pause leaves its caller's loop
// time for its window.
constexpr std::size_t kReadPerServe = 1 << 16;

}  // namespace

void BuildStop::Request() {
  requested_ = true;
  if (group_ > 0) kill(-group_, SIGKILL);
}

void BuildStop::Attach(pid_t group) {
  group_ = group;
  if (requested_ && group_ > 0) kill(-group_, SIGKILL);
}

IsolatedBuild::~IsolatedBuild() {
  if (phase_ == Phase::kEnded) return;
  if (!reaped_) {
    kill(-pid_, SIGKILL);
    while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
    }
  }
  for (int fd : {report_, life_})
    if (fd >= 0) close(fd);
  if (stop_) stop_->Attach(0);
}

void IsolatedBuild::Start(const BuildBody& body, BuildStop* stop, const std::vector<int>& handDown) {
  stop_ = stop;
  // The report comes through `fds`; `life` is held open by every process of the build, so
  // that its end tells when the last of them has ended. The caller reads both without
  // waiting.
  int fds[2];
  int life[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    noProcess_ = std::string("no process for the build: ") + std::strerror(errno);
    return;
  }
  if (pipe2(life, O_CLOEXEC) != 0) {
    noProcess_ = std::string("no process for the build: ") + std::strerror(errno);
    close(fds[0]);
    close(fds[1]);
    return;
  }
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) {
    noProcess_ = std::string("no process for the build: ") + std::strerror(errno);
    for (int fd : {fds[0], fds[1], life[0], life[1]}) close(fd);
    return;
  }
  if (pid == 0) {
    close(fds[0]);
    close(life[0]);
    RunChild(body, fds[1], parent, life[1], handDown);
  }
  // Here too, so that the group stands before anything is sent to it.
  setpgid(pid, pid);
  close(fds[1]);
  close(life[1]);
  fcntl(fds[0], F_SETFL, O_NONBLOCK);
  fcntl(life[0], F_SETFL, O_NONBLOCK);
  pid_ = pid;
  report_ = fds[0];
  life_ = life[0];
  phase_ = Phase::kReport;
  if (stop_) stop_->Attach(pid);
}

int IsolatedBuild::Fd() const {
  switch (phase_) {
    case Phase::kReport:
      return report_;
    case Phase::kLastPrograms:
      return life_;
    case Phase::kEnded:
      break;
  }
  return -1;
}

int IsolatedBuild::PatienceMs() const {
  if (phase_ != Phase::kLastPrograms) return -1;
  const long long left = lastProgramsDeadline_ - NowMs();
  return left < 0 ? 0 : static_cast<int>(left);
}

void IsolatedBuild::ReadReport() {
  char buf[4096];
  std::size_t taken = 0;
  while (!reportEnded_ && taken < kReadPerServe) {
    const ssize_t n = read(report_, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    if (n <= 0) {
      reportEnded_ = true;  // the child has ended (or its pipe failed)
      return;
    }
    read_.append(buf, static_cast<std::size_t>(n));
    taken += static_cast<std::size_t>(n);
  }
}

bool IsolatedBuild::TakeMessage(char& kind, std::string& payload) {
  constexpr std::size_t kHead = 5;
  if (read_.size() < kHead) return false;
  std::uint32_t size = 0;
  std::memcpy(&size, read_.data() + 1, sizeof size);
  if (read_.size() - kHead < size) return false;
  kind = read_[0];
  payload.assign(read_, kHead, size);
  read_.erase(0, kHead + size);
  return true;
}

void IsolatedBuild::EndOfReport() {
  close(report_);
  report_ = -1;
  stopRequested_ = stop_ && stop_->Requested();
  // A child that ended without its result may leave the assembler running: it must not
  // put a .hex in place after the build was reported as failed. The child closed its end
  // of the report as it ended: it is reaped at once.
  if (!haveResult_ || stopRequested_) kill(-pid_, SIGKILL);
  while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
  }
  reaped_ = true;
  phase_ = Phase::kLastPrograms;
  lastProgramsDeadline_ = NowMs() + kLastProgramsMs;
}

bool IsolatedBuild::LastProgramsEnded() {
  for (;;) {
    char byte;
    const ssize_t n = read(life_, &byte, 1);
    if (n == 1) continue;  // nobody writes on it
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    return true;  // its end: no process of the build holds it any more
  }
  return NowMs() >= lastProgramsDeadline_;
}

IsolatedBuild::Step IsolatedBuild::Serve(ReportSink& report) {
  if (phase_ == Phase::kReport) {
    ReadReport();
    char kind = 0;
    std::string payload;
    while (TakeMessage(kind, payload)) {
      switch (kind) {
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
          return Step::kWait;
        case kResult:
          haveResult_ = ReadResult(payload, errors_, outcome_);
          break;
        default:
          break;
      }
    }
    if (!reportEnded_) return Step::kGoOn;
    EndOfReport();
  }
  if (phase_ == Phase::kLastPrograms) {
    // What the build's programs wrote is final only once the last of them has ended.
    if (!LastProgramsEnded()) return Step::kGoOn;
    close(life_);
    life_ = -1;
    if (stop_) stop_->Attach(0);
    phase_ = Phase::kEnded;
  }
  return Step::kEnded;
}

int IsolatedBuild::Result(BuildOutcome& outcome, std::string& stopped) const {
  outcome = BuildOutcome{};
  if (!noProcess_.empty()) {
    stopped = noProcess_;
  } else if (stopRequested_) {
    stopped = "stopped";
  } else if (haveResult_ && WIFEXITED(status_) && WEXITSTATUS(status_) == 0) {
    outcome = outcome_;
    return errors_;
  } else if (WIFSIGNALED(status_)) {
    stopped = "signal " + std::to_string(WTERMSIG(status_)) + ", " + strsignal(WTERMSIG(status_));
  } else {
    stopped = "exit status " + std::to_string(WIFEXITED(status_) ? WEXITSTATUS(status_) : -1) + " without a result";
  }
  return -1;
}

int RunIsolated(const BuildBody& body, ReportSink& report, BuildOutcome& outcome, const IsolationHooks& hooks,
                std::string& stopped) {
  IsolatedBuild build;
  build.Start(body, hooks.stop, hooks.handDown);
  for (;;) {
    const IsolatedBuild::Step step = build.Serve(report);
    if (step == IsolatedBuild::Step::kEnded) break;
    if (step == IsolatedBuild::Step::kWait) {
      if (hooks.wait) hooks.wait();
      continue;
    }
    pollfd fd{build.Fd(), POLLIN, 0};
    poll(&fd, 1, build.PatienceMs());  // an interrupted poll only serves once more
  }
  return build.Result(outcome, stopped);
}

BuildBody BuildCommandBody(CompilerState& st, const BuildPaths& paths, const std::string& documentText) {
  return [&st, paths, documentText](ReportSink& sink, BuildOutcome& o, const std::function<void()>& wait) {
    return RunBuildCommand(st, paths, documentText, sink, &o, wait);
  };
}

int EndOfIsolatedBuild(const BuildPaths& paths, int result, const std::string& stopped, bool stopRequested,
                       ReportSink& report) {
  if (result >= 0) return result;
  // What the build left is not a build: no program for the programmer, no stale source
  // copy for the next build.
  RemoveStoppedBuild(paths);
  if (stopRequested) {
    // The user asked for it: said in the report, no message box.
    report.Append("\r\nThe build was stopped: nothing was built; the text in the editor is kept.\r\n");
  } else {
    const std::string text = "The build stopped (" + stopped + "): nothing was built; the text in the editor is kept.";
    report.Append("\r\n" + text + "\r\n");
    report.Failure(text);
  }
  return 1;
}

int RunBuildCommandIsolated(CompilerState& st, const BuildPaths& paths, const std::string& documentText,
                            ReportSink& report, BuildOutcome* outcome, const IsolationHooks& hooks) {
  BuildOutcome result;
  std::string stopped;
  const int errors = RunIsolated(BuildCommandBody(st, paths, documentText), report, result, hooks, stopped);
  if (outcome) *outcome = result;
  return EndOfIsolatedBuild(paths, errors, stopped, hooks.stop && hooks.stop->Requested(), report);
}

}  // namespace qbc
