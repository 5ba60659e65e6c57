#include "ide/build/build_locks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "toolchain/child_ties.h"

namespace qbc {

namespace {

std::string ReadHolder(int fd) {
  std::string text;
  char buf[512];
  ssize_t n = pread(fd, buf, sizeof buf, 0);
  if (n > 0) text.assign(buf, static_cast<std::size_t>(n));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\0')) text.pop_back();
  return text.empty() ? "an unknown process" : text;
}

void WriteHolder(int fd, const std::string& document) {
  const std::string text = "process " + std::to_string(getpid()) + ", building " + document + "\n";
  if (ftruncate(fd, 0) != 0) return;  // the name is a courtesy: the lock holds without it
  if (pwrite(fd, text.data(), text.size(), 0) < 0) return;
}

enum class Locking { kHeld, kBusy, kNoLocks };

// Takes the lock on `fd`, waiting at most `maxWait` for another holder to let go.
Locking LockWithin(int fd, std::chrono::milliseconds maxWait) {
  const auto deadline = std::chrono::steady_clock::now() + maxWait;
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return Locking::kHeld;
    if (errno != EWOULDBLOCK && errno != EINTR) return Locking::kNoLocks;
    if (std::chrono::steady_clock::now() >= deadline) return Locking::kBusy;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace

bool InstallationLock::Acquire(const std::string& installDir, const std::string& document,
                               std::chrono::milliseconds maxWait, std::string& holder) {
  Release();
  const std::string path = installDir + "/.qbc.lock";
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return true;
  switch (LockWithin(fd, maxWait)) {
    case Locking::kHeld:
      fd_ = fd;
      WriteHolder(fd_, document);
      return true;
    case Locking::kBusy:
      holder = ReadHolder(fd);
      close(fd);
      return false;
    case Locking::kNoLocks:
      break;
  }
  close(fd);
  return true;  // a folder without file locks: as if nobody else built there
}

void InstallationLock::HandDown() { qbc::HandDown(fd_); }

void InstallationLock::Release() {
  if (fd_ < 0) return;
  if (ftruncate(fd_, 0) != 0) {
    // the next holder overwrites the name anyway
  }
  close(fd_);
  fd_ = -1;
}

std::string DocumentFolder(const std::string& document) {
  const std::size_t slash = document.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : document.substr(0, slash);
}

bool FolderLock::Acquire(const std::string& document, std::chrono::milliseconds maxWait) {
  Release();
  const int fd = open(DocumentFolder(document).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;  // a folder this process may not read: not locked
  const Locking got = LockWithin(fd, maxWait);
  if (got == Locking::kHeld) {
    fd_ = fd;
    return true;
  }
  close(fd);
  return got == Locking::kNoLocks;
}

void FolderLock::HandDown() { qbc::HandDown(fd_); }

void FolderLock::Release() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

}  // namespace qbc
