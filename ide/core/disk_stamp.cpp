#include "ide/core/disk_stamp.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace qbc {

DiskStamp StampOf(const std::string& path) {
  DiskStamp stamp;
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = st.st_size;
  stamp.changedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
  return stamp;
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  if (geteuid() == 0) return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  return access(path.c_str(), W_OK) != 0 && errno == EACCES;
}

}  // namespace qbc
