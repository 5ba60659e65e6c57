#include "tests/support/full_disk.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "tests/support/test_dirs.h"

namespace qbc::test {

namespace {

constexpr const char* kTmpfsOptions = "size=1m,mode=0777";

bool MountTmpfs(const std::string& dir) { return mount("tmpfs", dir.c_str(), "tmpfs", 0, kTmpfsOptions) == 0; }

bool CanMount() {
  static const bool can = [] {
    const char* off = std::getenv("QBC_TEST_NO_MOUNT");
    if (off != nullptr && *off != '\0' && *off != '0') return false;
    const std::string probe = MakeTempDir("mount-probe");
    if (!MountTmpfs(probe)) return false;
    umount2(probe.c_str(), MNT_DETACH);
    return true;
  }();
  return can;
}

// Takes every free block of the file system but `room` bytes' worth.
int FillAllBut(const std::string& dir, std::size_t room) {
  const std::string filler = dir + "/.filler";
  const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) throw std::runtime_error("cannot make " + filler);
  static const std::string chunk(4096, 'f');
  off_t size = 0;
  for (;;) {
    const ssize_t n = write(fd, chunk.data(), chunk.size());
    if (n <= 0) break;
    size += n;
  }
  const off_t pages = static_cast<off_t>((room + chunk.size() - 1) / chunk.size() * chunk.size());
  if (ftruncate(fd, size > pages ? size - pages : 0) != 0) throw std::runtime_error("cannot shrink " + filler);
  return fd;
}

}  // namespace

std::vector<FullDiskKind> FullDiskKinds() {
  std::vector<FullDiskKind> kinds{FullDiskKind::kFileSizeLimit};
  if (CanMount()) kinds.push_back(FullDiskKind::kSmallTmpfs);
  return kinds;
}

const char* KindName(FullDiskKind kind) {
  return kind == FullDiskKind::kSmallTmpfs ? "a small full tmpfs" : "a file size limit";
}

FullDisk::FullDisk(FullDiskKind kind) : kind_(kind), dir_(MakeTempDir("full disk")) {
  if (kind_ == FullDiskKind::kSmallTmpfs) {
    mounted_ = MountTmpfs(dir_);
    if (!mounted_) throw std::runtime_error("cannot mount a tmpfs on " + dir_);
  }
}

FullDisk::~FullDisk() {
  if (mounted_) umount2(dir_.c_str(), MNT_DETACH);
}

void FullDisk::WhileFull(std::size_t room, const std::function<void()>& body) {
  struct sigaction ignore {};
  struct sigaction kept {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &kept);
  if (kind_ == FullDiskKind::kSmallTmpfs) {
    const int filler = FillAllBut(dir_, room);
    body();
    if (ftruncate(filler, 0) != 0) {
      // unlinked below in any case
    }
    close(filler);
    unlink((dir_ + "/.filler").c_str());
  } else {
    struct rlimit kept_limit {};
    getrlimit(RLIMIT_FSIZE, &kept_limit);
    struct rlimit limit = kept_limit;
    limit.rlim_cur = room;
    setrlimit(RLIMIT_FSIZE, &limit);
    body();
    setrlimit(RLIMIT_FSIZE, &kept_limit);
  }
  sigaction(SIGXFSZ, &kept, nullptr);
}

}  // namespace qbc::test
