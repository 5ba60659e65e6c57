// AvrAsm32: the assembler front end that the environment starts. It takes the environment's
// command line
//   AvrAsm32 -w -e "<base>.eep" -fI "<base>.asm"
// (and the shorter "AvrAsm32 -w <base>.asm", which writes <base>.eep)
// runs Debian's avra on the file (writing <base>.hex, <base>.eep and <base>.map beside it)
// and prints, with CR LF line ends:
//   - every assembler error as one line "<file>(<line>): error: <message>";
//   - warnings as "<file>(<line>): warning: <message>" (never containing ": error:");
//   - after a run without errors, a segment table whose "[.cseg]" line carries the code
//     size in bytes in the 7 characters that start 40 characters after its "[".
// An assembler that cannot be started, that crashes, or that fails without saying why,
// gives an error line too: an empty or size-less output must never pass for an empty
// program. Code that avra refuses as too big for the flash is listed as an error and its
// size is still printed in a "[.cseg]" line.
//
// avra writes its .hex and .eep under temporary names beside them; each is checked record
// by record (hex digits, length, checksum, the end record last) and only then renamed into
// place. avra does not check its own writes: on a full disk it ends as if all went well
// with the file cut short. Its .map, which has no such form, comes through a pipe and is
// written here whole or not at all, every write checked. A file that is not whole is an error and leaves no
// .hex; so is an old .hex that cannot be removed, or an output name taken by a folder. A
// symbolic link in the place of an output is replaced by the file; the file it named is
// never written.
//
// The avra program is taken from the environment variable QBC_AVRA when set, else "avra"
// on the PATH.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <regex>
#include <string>
#include <vector>

#include "compiler/base/whole_file.h"
#include "toolchain/child_ties.h"
#include "toolchain/intel_hex.h"
#include "toolchain/output_temporaries.h"

namespace {

struct Options {
  std::string asmPath;
  std::string eepPath;
};

bool ParseArguments(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-w") continue;  // wrap relative jumps: avra needs no switch for it
    if (a == "-e" && i + 1 < argc) {
      o.eepPath = argv[++i];
    } else if (a == "-fI" || a == "-fi") {
      // Intel hex, avra's output format anyway
    } else if (a == "-f" && i + 1 < argc) {
      ++i;
    } else if (!a.empty() && a[0] == '-') {
      return false;
    } else {
      o.asmPath = a;
    }
  }
  return !o.asmPath.empty();
}

std::string BasePath(const std::string& asmPath) {
  std::size_t slash = asmPath.rfind('/');
  std::size_t dot = asmPath.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return asmPath;
  return asmPath.substr(0, dot);
}

std::string SelfFolder(const char* argv0) {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) self = std::filesystem::absolute(argv0);
  return self.parent_path().string();
}

constexpr int kNotStarted = -1;
constexpr int kCrashed = -2;

// A file the program writes into a pipe instead of the disk (it is given the pipe as
// /dev/fd/<n>): every byte of it reaches this process, which writes the file itself and
// checks each write. avra does not check its own.
struct SidePipe {
  int read = -1;
  int write = -1;
  std::string bytes;  // what came through

  bool Open(std::string& why) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
      why = std::strerror(errno);
      return false;
    }
    read = fds[0];
    write = fds[1];
    return true;
  }
  std::string PathForChild() const { return "/dev/fd/" + std::to_string(write); }
};

// Reads `out` and `side` to their ends, whichever has something.
void ReadBoth(int out, std::string& outText, SidePipe& side) {
  pollfd fds[2] = {{out, POLLIN, 0}, {side.read, POLLIN, 0}};
  std::string* texts[2] = {&outText, &side.bytes};
  char buf[4096];
  int open = 2;
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n > 0) {
        texts[i]->append(buf, static_cast<std::size_t>(n));
      } else {
        fds[i].fd = -1;  // its end
        --open;
      }
    }
  }
}

// Runs argv in cwd; stdout and stderr together into out, and what it writes into `side`
// into side.bytes. Returns the exit status; kNotStarted with startError set when the
// program could not be started, kCrashed with startError telling the signal when it was
// killed.
int Run(const std::vector<std::string>& argv, const std::string& cwd, std::string& out, SidePipe& side,
        std::string& startError) {
  int fds[2];
  int errPipe[2];
  if (pipe2(fds, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
    startError = std::strerror(errno);
    return kNotStarted;
  }
  const pid_t parent = getpid();
  pid_t pid = fork();
  if (pid < 0) {
    startError = std::strerror(errno);
    return kNotStarted;
  }
  if (pid == 0) {
    // avra ends with this process, as this one ends with the build that started it: a
    // build killed by its process id leaves no assembler writing on.
    qbc::EndWithParent(parent);
    dup2(fds[1], 1);
    dup2(fds[1], 2);
    qbc::HandDown(side.write);
    int devnull = open("/dev/null", O_RDONLY);
    if (devnull >= 0) dup2(devnull, 0);
    int err = 0;
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) {
      err = errno;
    } else {
      std::vector<char*> args;
      for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execvp(args[0], args.data());
      err = errno;
    }
    if (write(errPipe[1], &err, sizeof err) < 0) _exit(126);
    _exit(127);
  }
  close(fds[1]);
  close(errPipe[1]);
  close(side.write);
  side.write = -1;
  ReadBoth(fds[0], out, side);
  close(fds[0]);
  close(side.read);
  side.read = -1;
  int childErr = 0;
  bool execFailed = read(errPipe[0], &childErr, sizeof childErr) == static_cast<ssize_t>(sizeof childErr);
  close(errPipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (execFailed) {
    startError = std::strerror(childErr);
    return kNotStarted;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  const int sig = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  startError = "signal " + std::to_string(sig) + ", " + strsignal(sig);
  return kCrashed;
}

std::string Sanitize(std::string s) {
  // Only real error lines may carry the error marker.
  for (std::size_t p; (p = s.find(": error:")) != std::string::npos;) s.replace(p, 8, ": error -");
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s;
}

std::string Reason(int error) { return std::strerror(error); }

// A file avra writes in place of `path`, under a new name beside it (so that the rename is
// one step on one file system), with the permissions a new file gets. It is held as this
// run's own (HoldTemporary) until it is in place or removed.
class OutputFile {
 public:
  explicit OutputFile(std::string path) : path_(std::move(path)) {}
  ~OutputFile() {
    if (!temp_.empty()) unlink(temp_.c_str());
    if (hold_ >= 0) close(hold_);
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const std::string& Path() const { return path_; }
  const std::string& Temp() const { return temp_; }

  bool Create(std::string& why) {
    // A link in the file's place is replaced, never written through.
    struct stat st {};
    if (lstat(path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      why = Reason(EISDIR);
      return false;
    }
    std::string name;
    for (int attempt = 0; attempt < 100 && hold_ < 0; ++attempt) {
      name = qbc::AssemblerTemporaryTemplate(path_);
      const int fd = mkostemp(name.data(), O_CLOEXEC);
      if (fd < 0) {
        why = Reason(errno);
        return false;
      }
      if (qbc::HoldTemporary(fd, name)) {
        hold_ = fd;
      } else {
        close(fd);
      }
    }
    if (hold_ < 0) {
      why = Reason(EEXIST);
      return false;
    }
    temp_ = name;
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(hold_, 0666 & ~mask) != 0) {
      why = Reason(errno);
      return false;
    }
    return true;
  }

  // Moves the checked file into place.
  bool Place(std::string& why) {
    if (rename(temp_.c_str(), path_.c_str()) != 0) {
      why = Reason(errno);
      return false;
    }
    temp_.clear();
    close(hold_);
    hold_ = -1;
    return true;
  }

 private:
  std::string path_;
  std::string temp_;
  int hold_ = -1;  // open while the file is this run's
};

std::string CollapseBlanks(const std::string& s) {
  std::string r;
  for (char c : s) {
    if ((c == ' ' || c == '\t') && (r.empty() || r.back() == ' ')) continue;
    r += c == '\t' ? ' ' : c;
  }
  return r;
}

void Print(const std::string& line) { std::cout << line << "\r\n"; }

std::string Padded(std::string s, std::size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

void PrintSegment(const char* name, long bytes) {
  char head[64];
  std::snprintf(head, sizeof head, "[%s] 0x%06lx 0x%06lx", name, 0L, bytes);
  char field[16];
  std::snprintf(field, sizeof field, "%7ld", bytes);
  Print(Padded(head, 40) + field);
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseArguments(argc, argv, o)) {
    Print("AvrAsm32: error: usage: AvrAsm32 -w [-e FILE.eep] [-fI] FILE.asm");
    return 2;
  }
  const std::string base = BasePath(o.asmPath);
  const std::string hexPath = base + ".hex";
  const std::string eepPath = o.eepPath.empty() ? base + ".eep" : o.eepPath;
  std::filesystem::path asmFile = std::filesystem::absolute(o.asmPath);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(asmFile, ec)) {
    Print(o.asmPath + ": error: cannot read the file");
    return 1;
  }
  const char* avraEnv = std::getenv("QBC_AVRA");
  const std::string avra = (avraEnv && *avraEnv) ? avraEnv : "avra";

  // The .hex of an earlier run must not stay when this one fails.
  struct stat oldHex {};
  if (lstat(hexPath.c_str(), &oldHex) == 0 && !S_ISDIR(oldHex.st_mode) && unlink(hexPath.c_str()) != 0 &&
      errno != ENOENT) {
    const int error = errno;
    Print("AvrAsm32 (avra) " + o.asmPath);
    Print(o.asmPath + ": error: cannot remove the old " + hexPath + ": " + Reason(error));
    return 1;
  }
  OutputFile hex(std::filesystem::absolute(hexPath).string());
  OutputFile eep(std::filesystem::absolute(eepPath).string());
  // avra's object file: nobody asked for it, it goes where it cannot be in the way.
  OutputFile obj(std::filesystem::absolute(hexPath).string());
  for (OutputFile* file : {&hex, &eep, &obj}) {
    std::string why;
    if (!file->Create(why)) {
      Print("AvrAsm32 (avra) " + o.asmPath);
      Print(o.asmPath + ": error: cannot write " + file->Path() + ": " + why);
      return 1;
    }
  }
  // The .map comes through a pipe and is written here.
  const std::string mapPath = std::filesystem::absolute(base + ".map").string();
  qbc::WholeFileWriter map;
  SidePipe mapPipe;
  if (std::string why; !map.Open(mapPath, why, qbc::Links::kReplace) || !mapPipe.Open(why)) {
    Print("AvrAsm32 (avra) " + o.asmPath);
    Print(o.asmPath + ": error: cannot write " + mapPath + ": " + why);
    return 1;
  }

  std::vector<std::string> args{avra,
                                "--max_errors", "100000",
                                "-I", SelfFolder(argv[0]),
                                "-o", hex.Temp(),
                                "-e", eep.Temp(),
                                "-d", obj.Temp(),
                                "-m", mapPipe.PathForChild(),
                                asmFile.string()};
  std::string out, startError;
  int rc = Run(args, asmFile.parent_path().string(), out, mapPipe, startError);

  Print("AvrAsm32 (avra) " + o.asmPath);
  if (rc == kNotStarted) {
    Print(o.asmPath + ": error: cannot start the assembler " + avra + ": " + startError);
    return 1;
  }
  if (rc == kCrashed) {
    Print(o.asmPath + ": error: the assembler " + avra + " crashed (" + startError + ")");
    return 1;
  }

  static const std::regex located(R"(^(.*)\((\d+)\) *: *(Error|Warning) *: *(.*)$)");
  static const std::regex bare(R"(^(Error|Warning) *: *(.*)$)");
  static const std::regex code(R"(^\s*Code\s*:\s*\d+ words \((\d+) bytes\))");
  static const std::regex data(R"(^\s*Data\s*:\s*(\d+) bytes)");
  static const std::regex eeprom(R"(^\s*EEPROM\s*:\s*(\d+) bytes)");
  // A segment beyond the device's memory: avra says so without the word "Error", and
  // tells the segment's length.
  static const std::regex segment(R"(^(Segment start .*|.*: Overlapping .*))");
  static const std::regex codeLength(R"(\bcode\s*:.*\((\d+) words\))");
  int errors = 0, warnings = 0;
  long codeBytes = -1, dataBytes = 0, eepromBytes = 0;
  long refusedCodeBytes = 0;  // the code segments that avra refused
  std::size_t pos = 0;
  while (pos < out.size()) {
    std::size_t nl = out.find('\n', pos);
    std::string line = out.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    pos = nl == std::string::npos ? out.size() : nl + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::smatch m;
    if (std::regex_match(line, m, located)) {
      bool isError = m[3] == "Error";
      std::string text = m[1].str() + "(" + m[2].str() + "): " + (isError ? "error: " : "warning: ");
      if (isError) {
        Print(text + Sanitize(m[4].str()));
        ++errors;
      } else {
        Print(Sanitize(text + m[4].str()));
        ++warnings;
      }
    } else if (std::regex_match(line, m, bare)) {
      if (m[1] == "Error") {
        Print(o.asmPath + ": error: " + Sanitize(m[2].str()));
        ++errors;
      } else {
        Print(Sanitize(o.asmPath + ": warning: " + m[2].str()));
        ++warnings;
      }
    } else if (std::regex_match(line, m, segment)) {
      Print(o.asmPath + ": error: " + Sanitize(CollapseBlanks(line)));
      ++errors;
      if (std::regex_search(line, m, codeLength)) refusedCodeBytes += 2 * std::stol(m[1].str());
    } else if (std::regex_search(line, m, code)) {
      codeBytes = std::stol(m[1].str());
    } else if (std::regex_search(line, m, data)) {
      dataBytes = std::stol(m[1].str());
    } else if (std::regex_search(line, m, eeprom)) {
      eepromBytes = std::stol(m[1].str());
    } else if (line.rfind("   ", 0) == 0 || line.rfind("Please check", 0) == 0) {
      Print(Sanitize(line));  // details of the error before it
    }
  }
  if (errors == 0 && (rc != 0 || codeBytes < 0)) {
    Print(o.asmPath + ": error: the assembler failed without a message (exit status " +
          std::to_string(rc) + ")");
    ++errors;
  }
  // Every file whole before any is put in place.
  for (OutputFile* file : {&eep, &hex}) {
    if (errors > 0) break;
    std::string why;
    if (!qbc::IsWholeHexFile(file->Temp(), why)) {
      Print(o.asmPath + ": error: cannot write " + file->Path() + ": the file came out incomplete (" + why +
            "): is the disk full?");
      ++errors;
    }
  }
  if (errors == 0) {
    std::string why;
    if (!map.Commit(mapPipe.bytes, why)) {
      Print(o.asmPath + ": error: cannot write " + mapPath + ": " + why);
      ++errors;
    }
  }
  // The .hex last, so that a .hex stands only beside the rest of its build.
  for (OutputFile* file : {&eep, &hex}) {
    if (errors > 0) break;
    std::string why;
    if (!file->Place(why)) {
      Print(o.asmPath + ": error: cannot write " + file->Path() + ": " + why);
      ++errors;
    }
  }
  if (errors > 0) {
    // The size of code too big for the flash: the environment reports it as such.
    if (refusedCodeBytes > 0) {
      Print("Segment usage (bytes):");
      PrintSegment(".cseg", refusedCodeBytes);
    }
    Print("Assembly failed, " + std::to_string(errors) + " errors, " + std::to_string(warnings) +
          " warnings");
    return 1;
  }
  Print("Segment usage (bytes):");
  PrintSegment(".cseg", codeBytes);
  PrintSegment(".dseg", dataBytes);
  PrintSegment(".eseg", eepromBytes);
  Print("Assembly complete, 0 errors, " + std::to_string(warnings) + " warnings");
  return 0;
}
