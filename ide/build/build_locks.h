#pragma once
// The locks a build holds while it runs, each a file lock released when its holder ends in
// any way: its installation folder's (every build there writes the same tmp.tmp) and its
// document folder's (builds from other installations write the same .asm, .hex, .eep and
// .map there). A build takes them in that order.
#include <chrono>
#include <string>

namespace qbc {

// One build at a time per installation folder. The lock is on "<installation
// folder>/.qbc.lock"; the file names the holder so that a waiting build can say who it is.
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

// One build at a time per document folder, whatever installation it comes from. The lock is
// on the folder itself: nothing is written there for it.
class FolderLock {
 public:
  FolderLock() = default;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock() { Release(); }

  // Waits at most `maxWait` for the lock of the folder that holds `document`; false on
  // timeout. A folder that cannot be opened (no read permission) or locked (a file system
  // without file locks) is not locked and counts as success.
  bool Acquire(const std::string& document, std::chrono::milliseconds maxWait);
  void Release();
  void HandDown();
  int Fd() const { return fd_; }

 private:
  int fd_ = -1;
};

// The folder of a document as FolderLock locks it ("." for a bare name).
std::string DocumentFolder(const std::string& document);

}  // namespace qbc
