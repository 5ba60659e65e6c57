#include "compiler/base/whole_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>

namespace qbc {

namespace {

std::string Reason(int error) { return std::strerror(error); }

// Reads until `bytes` is full or the file ends early (it shrank while being read).
bool ReadAll(int fd, std::string& bytes, std::string& why) {
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = Reason(errno);
      return false;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return true;
}

bool WriteAll(int fd, const std::string& bytes, std::string& why) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      why = Reason(n < 0 ? errno : ENOSPC);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The file a path stands for: a symbolic link is followed to the file it names, so that
// the link stays a link.
std::string WrittenPath(const std::string& path) {
  struct stat link {};
  if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
  char* target = realpath(path.c_str(), nullptr);
  if (target == nullptr) return path;  // a link to nothing: the file takes its place
  std::string resolved = target;
  std::free(target);
  return resolved;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The temporary name of `name`: ".NAME." and a number of at most kTempDigits digits, ".tmp".
constexpr std::size_t kTempDigits = 6;
constexpr unsigned long kTempNumbers = 1000000;  // 10 to the power kTempDigits

std::string TemporaryName(const std::string& name, unsigned long number) {
  return "." + name + "." + std::to_string(number % kTempNumbers) + ".tmp";
}

bool IsTemporaryName(const std::string& fileName, const std::string& name) {
  const std::string head = "." + name + ".";
  const std::string tail = ".tmp";
  if (fileName.size() <= head.size() + tail.size() || fileName.compare(0, head.size(), head) != 0 ||
      fileName.compare(fileName.size() - tail.size(), tail.size(), tail) != 0)
    return false;
  const std::string digits = fileName.substr(head.size(), fileName.size() - head.size() - tail.size());
  if (digits.size() > kTempDigits) return false;
  for (char c : digits)
    if (c < '0' || c > '9') return false;
  return true;
}

// Creates a new file beside `target` under a name no other file has, with `mode` (the
// umask applies, as for any new file), held for this writer.
int CreateBeside(const std::string& target, mode_t mode, std::string& tempPath) {
  const std::string folder = FolderOf(target);
  const std::string name = target.substr(folder.size());
  unsigned long seed = static_cast<unsigned long>(getpid()) * 2654435761UL ^ static_cast<unsigned long>(std::time(nullptr));
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = seed * 6364136223846793005UL + 1442695040888963407UL;
    tempPath = folder + TemporaryName(name, seed >> 33);
    const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0 && errno != EEXIST) return fd;
    if (fd >= 0 && HoldTemporary(fd, tempPath)) return fd;
    if (fd >= 0) close(fd);
  }
  errno = EEXIST;
  return -1;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether file locks cannot be had here at all (as opposed to being held by another).
bool NoLocksHere(int error) { return error != EWOULDBLOCK && error != EINTR; }

}  // namespace

FileRead ReadWholeFile(const std::string& path, std::string& bytes, std::string& why) {
  bytes.clear();
  struct stat st {};
  // Looked at before it is opened: opening a pipe would wait for a writer.
  if (stat(path.c_str(), &st) != 0) {
    why = Reason(errno);
    return errno == ENOENT || errno == ENOTDIR ? FileRead::kMissing : FileRead::kUnreadable;
  }
  if (S_ISDIR(st.st_mode)) {
    why = Reason(EISDIR);
    return FileRead::kUnreadable;
  }
  if (!S_ISREG(st.st_mode)) {
    why = "not a regular file";
    return FileRead::kUnreadable;
  }
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    why = Reason(errno);
    return errno == ENOENT ? FileRead::kMissing : FileRead::kUnreadable;
  }
  // The same check on what was opened: the name may have been given to another file.
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (!ok) why = "not a regular file";
  if (ok) {
    try {
      bytes.resize(static_cast<std::size_t>(st.st_size));
      ok = ReadAll(fd, bytes, why);
    } catch (const std::exception&) {  // too big to hold
      why = Reason(ENOMEM);
      ok = false;
    }
  }
  close(fd);
  if (!ok) {
    bytes.clear();
    return FileRead::kUnreadable;
  }
  return FileRead::kRead;
}

bool HoldTemporary(int fd, const std::string& path) {
  // A lock that cannot be had here leaves the file as unprotected as it always was.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return NoLocksHere(errno);
  // Between the creation and the lock a removal of leftovers may have taken the name.
  struct stat held {};
  struct stat named {};
  return fstat(fd, &held) == 0 && lstat(path.c_str(), &named) == 0 && SameFile(held, named);
}

WholeFileWriter::~WholeFileWriter() { Discard(); }

void WholeFileWriter::Discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  // Removed while it is still held: nobody else takes it for a leftover meanwhile.
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
  if (hold_ >= 0) close(hold_);
  hold_ = -1;
}

bool WholeFileWriter::Open(const std::string& path, std::string& why, Links links) {
  Discard();
  target_ = links == Links::kFollow ? WrittenPath(path) : path;
  struct stat old {};
  // A link that is replaced says nothing of the new file: it is made as any new file.
  const bool exists = (links == Links::kFollow ? stat(target_.c_str(), &old) : lstat(target_.c_str(), &old)) == 0 &&
                      !S_ISLNK(old.st_mode);
  if (exists && S_ISDIR(old.st_mode)) {
    why = Reason(EISDIR);
    return false;
  }
  fd_ = CreateBeside(target_, 0666, temp_);
  if (fd_ < 0) {
    why = Reason(errno);
    temp_.clear();
    return false;
  }
  // The lock lasts until the rename, past the close that tells of a failed write.
  hold_ = fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  if (hold_ < 0) {
    why = Reason(errno);
    Discard();
    return false;
  }
  if (exists) {
    // The file keeps its owner where we may give it (root saving a user's file) and its
    // permissions.
    if (fchown(fd_, old.st_uid, old.st_gid) != 0) {
      // not ours to give: the file becomes the writer's, as any file it makes
    }
    if (fchmod(fd_, old.st_mode & 07777) != 0) {
      why = Reason(errno);
      Discard();
      return false;
    }
  }
  return true;
}

bool WholeFileWriter::Commit(const std::string& bytes, std::string& why, bool sync) {
  if (fd_ < 0) {
    why = Reason(EBADF);
    return false;
  }
  bool ok = WriteAll(fd_, bytes, why);
  if (ok && sync && fsync(fd_) != 0) {
    why = Reason(errno);
    ok = false;
  }
  // A network file system may tell of a failed write only when the file is closed.
  const int closed = close(fd_);
  fd_ = -1;
  if (closed != 0 && ok) {
    why = Reason(errno);
    ok = false;
  }
  if (ok && rename(temp_.c_str(), target_.c_str()) != 0) {
    why = Reason(errno);
    ok = false;
  }
  if (ok) temp_.clear();
  Discard();
  return ok;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& why, bool sync, Links links) {
  WholeFileWriter writer;
  return writer.Open(path, why, links) && writer.Commit(bytes, why, sync);
}

void RemoveFilesBeside(const std::string& path, bool (*isLeftover)(const std::string& fileName, const std::string& name)) {
  const std::string folder = FolderOf(path);
  const std::string name = path.substr(folder.size());
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    if (!isLeftover(entry->d_name, name)) continue;
    // Opened without following a link and without waiting on a pipe.
    const int fd = openat(dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat held {};
    struct stat named {};
    // Only files (a folder of that name is nobody's temporary file) that nobody holds; the
    // lock, held until the name is gone, keeps a writer from taking the file meanwhile.
    if (fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        fstatat(dirfd(dir), entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(held, named))
      unlinkat(dirfd(dir), entry->d_name, 0);
    close(fd);
  }
  closedir(dir);
}

void RemoveWriterLeftovers(const std::string& path) { RemoveFilesBeside(path, IsTemporaryName); }

}  // namespace qbc
