// Which files a save asks about before it replaces them: those whose permissions give the
// user no write, for an ordinary user and for root (who may write any file).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "ide/core/disk_stamp.h"
#include "tests/support/test_dirs.h"
#include "tests/support/unprivileged.h"

namespace qbc {
namespace {

TEST(ReadOnlyFile, ByTheFilesPermissionsForTheUserAndForRoot) {
  const std::string dir = test::MakeTempDir("read only");
  chmod(dir.c_str(), 0777);
  struct Case {
    mode_t mode;
    bool forRoot;
    bool forOthers;  // a user who neither owns the file nor is in its group
  } cases[] = {
      {0444, true, true}, {0644, false, true}, {0666, false, false}, {0200, false, true}, {0002, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    const std::string path = dir + "/f" + std::to_string(c.mode);
    test::WriteFile(path, "x");
    chmod(path.c_str(), c.mode);
    if (geteuid() == 0) {
      EXPECT_EQ(IsReadOnlyFile(path), c.forRoot);
    }
    EXPECT_EQ(test::RunUnprivileged([&] { return IsReadOnlyFile(path) ? 1 : 0; }), geteuid() == 0 ? c.forOthers : 0);
  }
  EXPECT_FALSE(IsReadOnlyFile(dir + "/missing"));
}

}  // namespace
}  // namespace qbc
