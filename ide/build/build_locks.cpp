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

}  // namespace

bool InstallationLock::Acquire(const std::string& installDir, const std::string& document,
                               std::chrono::milliseconds maxWait, std::string& holder) {
  Release();
  const std::string path = installDir + "/.qbc.lock";
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return true;
  const auto deadline = std::chrono::steady_clock::now() + maxWait;
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      WriteHolder(fd_, document);
      return true;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) {
      close(fd);
      return true;  // a folder without file locks: as if nobody else built there
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      holder = ReadHolder(fd);
      close(fd);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
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

}  // namespace qbc
