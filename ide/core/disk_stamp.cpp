#include "ide/core/disk_stamp.h"

#include <sys/stat.h>

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

}  // namespace qbc
