#pragma once
// The recent-files list: six paths, newest first, kept in inc/recent.res as six entries of
// a 16-bit little-endian length and that many bytes of the path (an empty slot is 00 00).
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace qbc {

using RecentList = std::array<std::string, 6>;

// The one name of the file, written and read alike.
std::string RecentFilePath(const std::string& installDir);

// Puts `path` on top; the oldest entry drops out. A path already listed is listed again.
void PushRecent(RecentList& list, const std::string& path);

std::string EncodeRecent(const RecentList& list);

// Reads six entries; a file that ends early leaves the remaining slots empty.
RecentList DecodeRecent(std::string_view bytes);

bool WriteRecentFile(const std::string& path, const RecentList& list);
std::optional<RecentList> ReadRecentFile(const std::string& path);

}  // namespace qbc
