#include "ide/core/recent_files.h"

#include <algorithm>

#include "compiler/base/whole_file.h"

namespace qbc {

std::string RecentFilePath(const std::string& installDir) { return installDir + "/inc/recent.res"; }

void PushRecent(RecentList& list, const std::string& path) {
  std::move_backward(list.begin(), list.end() - 1, list.end());
  list[0] = path;
}

std::string EncodeRecent(const RecentList& list) {
  std::string bytes;
  for (const std::string& path : list) {
    const std::size_t n = std::min<std::size_t>(path.size(), 0xFFFF);
    bytes += static_cast<char>(n & 0xFF);
    bytes += static_cast<char>((n >> 8) & 0xFF);
    bytes.append(path, 0, n);
  }
  return bytes;
}

RecentList DecodeRecent(std::string_view bytes) {
  RecentList list;
  std::size_t at = 0;
  for (std::string& slot : list) {
    if (at + 2 > bytes.size()) break;
    const std::size_t n = static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
    at += 2;
    if (at + n > bytes.size()) break;
    slot = std::string(bytes.substr(at, n));
    at += n;
  }
  return list;
}

bool WriteRecentFile(const std::string& path, const RecentList& list) {
  std::string why;
  return WriteWholeFile(path, EncodeRecent(list), why);
}

std::optional<RecentList> ReadRecentFile(const std::string& path) {
  std::string bytes;
  std::string why;
  if (ReadWholeFile(path, bytes, why) != FileRead::kRead) return std::nullopt;
  return DecodeRecent(bytes);
}

}  // namespace qbc
