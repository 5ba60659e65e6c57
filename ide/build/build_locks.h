#pragma once
// One build at a time per installation folder: every build writes the same tmp.tmp there.
// The lock is a file lock on "<installation folder>/.qbc.lock", released when its holder
// ends in any way; the file names the holder so that a waiting build can say who it is.
#include <chrono>
#include <string>

namespace qbc {

class InstallationLock {
 public:
  InstallationLock() = default;
  InstallationLock(const InstallationLock&) = delete;
  InstallationLock& operator=(const InstallationLock&) = delete;
  ~InstallationLock() { Release(); }

  // Waits at most `maxWait` for the lock. On success the lock file names this process and
  // `document`; on timeout returns false and `holder` tells who holds the lock. A folder
  // where the lock file cannot be made is not locked (nothing can be built there anyway:
  // tmp.tmp cannot be written either) and counts as success.
  bool Acquire(const std::string& installDir, const std::string& document, std::chrono::milliseconds maxWait,
               std::string& holder);
  void Release();
  // The programs this process starts from now on hold the lock too: it is free only when
  // the last of them has ended. For a process that starts nothing but a build's programs.
  void HandDown();
  // The lock's descriptor (-1: not held), for a process that hands it down itself.
  int Fd() const { return fd_; }

 private:
  int fd_ = -1;
};

}  // namespace qbc
