#pragma once
// Folders where writing a file fails part-way, as on a full disk, for the tests of every
// path that writes what the user made: the document, the .asm, the .hex.
//
// Two kinds. A small tmpfs mounted on the folder and filled up, where the test may mount
// one (root with the right to mount): a write there fails with "No space left on device".
// And, always, a plain folder where the process's file size limit (RLIMIT_FSIZE) cuts every
// file written during the case at the same size: a write fails with "File too large". The
// limit needs no rights, so a machine that may not mount still runs every case; programs
// the case starts inherit it. Tests run each case once per kind that FullDiskKinds() lists.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace qbc::test {

enum class FullDiskKind { kFileSizeLimit, kSmallTmpfs };

// kFileSizeLimit, and kSmallTmpfs when a tmpfs can be mounted here (QBC_TEST_NO_MOUNT=1 in
// the environment leaves it out, to run the suite as a machine without that right would).
std::vector<FullDiskKind> FullDiskKinds();
const char* KindName(FullDiskKind kind);

class FullDisk {
 public:
  explicit FullDisk(FullDiskKind kind);
  ~FullDisk();
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  // The folder: 1 MB of room for the files a case puts there first.
  const std::string& Dir() const { return dir_; }

  // Runs `body` while a file written in the folder can take only `room` more bytes (a
  // filled tmpfs; or every file cut at `room` bytes), then gives the room back. A process
  // that writes past the limit is not killed (SIGXFSZ is ignored meanwhile): its write fails.
  void WhileFull(std::size_t room, const std::function<void()>& body);

 private:
  FullDiskKind kind_;
  std::string dir_;
  bool mounted_ = false;
};

}  // namespace qbc::test
