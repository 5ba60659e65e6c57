// The recent-files list and its file recent.res.
#include <gtest/gtest.h>

#include <filesystem>

#include "ide/core/recent_files.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

TEST(RecentFiles, OneEightCharacterPathIsTwentyBytes) {
  RecentList list;
  PushRecent(list, "/a/b.bas");
  const std::string bytes = EncodeRecent(list);
  EXPECT_EQ(bytes, std::string("\x08\x00/a/b.bas", 10) + std::string(10, '\0'));
  EXPECT_EQ(bytes.size(), 20u);
}

TEST(RecentFiles, NewestFirstAndASeventhDropsTheOldest) {
  RecentList list;
  for (int i = 1; i <= 7; ++i) PushRecent(list, "/f" + std::to_string(i));
  EXPECT_EQ(list, (RecentList{"/f7", "/f6", "/f5", "/f4", "/f3", "/f2"}));
  PushRecent(list, "/f7");
  EXPECT_EQ(list, (RecentList{"/f7", "/f7", "/f6", "/f5", "/f4", "/f3"}));
}

TEST(RecentFiles, DecodesHandWrittenBytesAndShortFiles) {
  const std::string bytes = std::string("\x03\x00/xy\x00\x00\x01\x01", 9) + std::string(257, 'p');
  RecentList list = DecodeRecent(bytes);
  EXPECT_EQ(list[0], "/xy");
  EXPECT_EQ(list[1], "");
  EXPECT_EQ(list[2], std::string(257, 'p'));
  EXPECT_EQ(list[3], "");
  EXPECT_EQ(DecodeRecent(std::string("\x05\x00/ab", 5)), RecentList{});
}

TEST(RecentFiles, ARewriteWithShorterPathsReadsBackExactly) {
  const std::string path = RecentFilePath(test::MakeTempDir("recent"));
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  RecentList longer{"/a/long/path/one.bas", "/a/long/path/two.bas", "/a/long/path/three.bas"};
  ASSERT_TRUE(WriteRecentFile(path, longer));
  RecentList shorter{"/1", "/2", "/3"};
  ASSERT_TRUE(WriteRecentFile(path, shorter));
  EXPECT_EQ(ReadRecentFile(path), shorter);
  EXPECT_EQ(test::ReadFile(path), EncodeRecent(shorter));
  EXPECT_FALSE(ReadRecentFile(path + ".missing").has_value());
}

}  // namespace
}  // namespace qbc
