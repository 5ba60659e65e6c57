#pragma once
// What a file on the disk is at a moment: whether it is there, which file it is and when
// it last changed. A file that another program wrote, replaced or removed has another
// stamp; the environment then looks at its text.
#include <cstdint>
#include <string>

namespace qbc {

struct DiskStamp {
  bool exists = false;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t changedNs = 0;  // last change of the text, in nanoseconds

  bool operator==(const DiskStamp&) const = default;
};

// The stamp of the file a path names (a link is followed); not there: exists is false.
DiskStamp StampOf(const std::string& path);

// Whether the file a path names (a link is followed) is read-only for this user: its
// permissions give the user no write. Root may write any file; for root a file is read-only
// when its permissions give nobody a write, as editors take it. A missing file is not.
bool IsReadOnlyFile(const std::string& path);

}  // namespace qbc
