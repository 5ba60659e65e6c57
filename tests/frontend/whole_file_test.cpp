// Files read and written whole: every byte of a regular file, nothing from a source that
// never ends, and a write that fails part-way leaves the old file as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "compiler/base/whole_file.h"
#include "tests/support/full_disk.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

namespace fs = std::filesystem;

TEST(WholeFile, ReadsEveryByteOfARegularFile) {
  const std::string dir = test::MakeTempDir("read whole");
  const std::string bytes = std::string("a = 1\r\n\0b = 2\r\n", 15) + std::string(70000, 'x') + "\xff\x01";
  test::WriteFile(dir + "/p.bas", bytes);
  std::string got;
  std::string why;
  EXPECT_EQ(ReadWholeFile(dir + "/p.bas", got, why), FileRead::kRead);
  EXPECT_EQ(got, bytes);
  test::WriteFile(dir + "/empty.bas", "");
  EXPECT_EQ(ReadWholeFile(dir + "/empty.bas", got, why), FileRead::kRead);
  EXPECT_EQ(got, "");
}

// A pipe nobody writes to, a device that never ends, a folder: refused at once.
TEST(WholeFile, RefusesWhatIsNoRegularFileWithoutWaitingOnIt) {
  const std::string dir = test::MakeTempDir("read special");
  ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
  struct Case {
    std::string path;
    FileRead read;
    const char* why;
  } cases[] = {
      {dir + "/fifo", FileRead::kUnreadable, "not a regular file"},
      {"/dev/zero", FileRead::kUnreadable, "not a regular file"},
      {dir, FileRead::kUnreadable, "Is a directory"},
      {dir + "/none.bas", FileRead::kMissing, "No such file or directory"},
      {dir + "/none/p.bas", FileRead::kMissing, "No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::string got = "old";
    std::string why;
    EXPECT_EQ(ReadWholeFile(c.path, got, why), c.read);
    EXPECT_EQ(why, c.why);
    EXPECT_EQ(got, "");
  }
}

TEST(WholeFile, WritesAndReplacesKeepingPermissionsAndLinks) {
  const std::string dir = test::MakeTempDir("write whole");
  const std::string path = dir + "/p.bas";
  std::string why;
  ASSERT_TRUE(WriteWholeFile(path, "first", why)) << why;
  EXPECT_EQ(test::ReadFile(path), "first");
  chmod(path.c_str(), 0640);
  ASSERT_TRUE(WriteWholeFile(path, std::string("sec\0ond", 7), why, true)) << why;
  EXPECT_EQ(test::ReadFile(path), std::string("sec\0ond", 7));
  EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
  // Through a link the file it names is written; the link stays.
  fs::create_symlink(path, dir + "/link.bas");
  ASSERT_TRUE(WriteWholeFile(dir + "/link.bas", "third", why)) << why;
  EXPECT_TRUE(fs::is_symlink(dir + "/link.bas"));
  EXPECT_EQ(test::ReadFile(path), "third");
  // A folder in the file's place, or no folder to write in.
  EXPECT_FALSE(WriteWholeFile(dir, "x", why));
  EXPECT_EQ(why, "Is a directory");
  EXPECT_FALSE(WriteWholeFile(dir + "/none/p.bas", "x", why));
  EXPECT_EQ(why, "No such file or directory");
  // No temporary file is left behind.
  int files = 0;
  for (auto it = fs::directory_iterator(dir); it != fs::directory_iterator(); ++it) ++files;
  EXPECT_EQ(files, 2);
}

// A write that fails part-way (the disk fills up after 0, 4096 or 8192 bytes of 20,000)
// leaves the old file whole and says why.
TEST(WholeFile, AWriteThatFailsPartWayLeavesTheOldFile) {
  const std::string old(89, 'o');
  const std::string text(20000, 'n');
  for (test::FullDiskKind kind : test::FullDiskKinds()) {
    SCOPED_TRACE(test::KindName(kind));
    test::FullDisk disk(kind);
    const std::string path = disk.Dir() + "/p.bas";
    test::WriteFile(path, old);
    for (std::size_t room : {0, 4096, 8192}) {
      SCOPED_TRACE(room);
      std::string why;
      bool written = true;
      disk.WhileFull(room, [&] { written = WriteWholeFile(path, text, why, true); });
      EXPECT_FALSE(written);
      EXPECT_TRUE(why == "No space left on device" || why == "File too large") << why;
      EXPECT_EQ(test::ReadFile(path), old);
      int files = 0;
      for (const auto& e : fs::directory_iterator(disk.Dir())) files += e.is_regular_file() ? 1 : 0;
      EXPECT_EQ(files, 1);
    }
    std::string why;
    EXPECT_TRUE(WriteWholeFile(path, text, why)) << why;
    EXPECT_EQ(test::ReadFile(path), text);
  }
}

}  // namespace
}  // namespace qbc
