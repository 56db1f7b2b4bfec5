// File locks: one holder at a time across descriptors and processes, kept
// while other descriptors of the file come and go, and dropped when the
// holder ends, also when it is killed.
#include <errno.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"

namespace fs = std::filesystem;

namespace {

class FileLocks : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/layrix-locks-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    root_ = fs::canonical(folder).string();
    const std::string prefix = root_ + "/prefix";
    fs::create_directories(prefix + "/drive_c/FS9");
    fs::create_directories(prefix + "/dosdevices");
    fs::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
    ::setenv("WINEPREFIX", prefix.c_str(), 1);
    plat::posix::ResetCaches();
  }
  void TearDown() override {
    fs::remove_all(root_);
    plat::posix::ResetCaches();
  }
  plat::FileOutcome Try(std::unique_ptr<plat::FileLock>& lock, const std::string& path = kPath) {
    return plat::TryLockFile(path, lock).Outcome;
  }
  static constexpr const char* kPath = "C:\\fs9\\.layrix.lock";
  std::string root_;
};

TEST_F(FileLocks, OneHolderAtATime) {
  std::unique_ptr<plat::FileLock> first, second;
  ASSERT_EQ(Try(first), plat::FileOutcome::Done);
  const std::string made = root_ + "/prefix/drive_c/FS9/.layrix.lock";
  EXPECT_TRUE(fs::exists(made));  // made where missing, hidden as Wine marks it
  char attributes[16] = {};
  if (::getxattr(made.c_str(), "user.DOSATTRIB", attributes, sizeof attributes) >= 0 ||
      errno != ENOTSUP) {
    EXPECT_STREQ(attributes, "0x2");
  }
  EXPECT_EQ(Try(second), plat::FileOutcome::InUse);
  EXPECT_EQ(second, nullptr);

  // Reading the file through another descriptor, which is then closed, does
  // not drop the lock (a plain process lock would be lost here).
  std::string bytes;
  ASSERT_TRUE(plat::ReadWholeFile(kPath, bytes));
  EXPECT_EQ(Try(second), plat::FileOutcome::InUse);

  first.reset();
  EXPECT_EQ(Try(second), plat::FileOutcome::Done);
}

TEST_F(FileLocks, OnceLockedWhatTheHolderChangedIsSeen) {
  // This process has looked at the folder; the holder of the lock, which
  // made the lock file a moment ago, has changed the folder since.
  const std::string fs9 = root_ + "/prefix/drive_c/FS9/";
  ASSERT_TRUE(plat::WriteFileReplacing("C:\\FS9\\scenery.cfg", "new library"));
  EXPECT_FALSE(plat::FileExists("C:\\FS9\\scenery.~cfg"));
  { std::ofstream(fs9 + ".layrix.lock") << ""; }
  { std::ofstream(fs9 + "scenery.~cfg") << "the holder's backup"; }
  std::unique_ptr<plat::FileLock> lock;
  ASSERT_EQ(Try(lock, "C:\\FS9\\.layrix.lock"), plat::FileOutcome::Done);
  // The backup copy replaces the file that is there now.
  const plat::FileResult copied =
      plat::FileCopier().Copy("C:\\FS9\\scenery.cfg", "C:\\FS9\\scenery.~cfg", false);
  EXPECT_TRUE(copied.Done()) << copied.Cause;
  std::string bytes;
  ASSERT_TRUE(plat::ReadWholeFile("C:\\FS9\\scenery.~cfg", bytes));
  EXPECT_EQ(bytes, "new library");
}

TEST_F(FileLocks, AKilledHolderLeavesNothingLocked) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::unique_ptr<plat::FileLock> held;
    const bool locked = plat::TryLockFile(kPath, held).Done();
    (void)!::write(ready[1], locked ? "y" : "n", 1);
    ::pause();
    ::_exit(0);
  }
  char answer = 0;
  ASSERT_EQ(::read(ready[0], &answer, 1), 1);
  ASSERT_EQ(answer, 'y');
  std::unique_ptr<plat::FileLock> lock;
  EXPECT_EQ(Try(lock), plat::FileOutcome::InUse);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(Try(lock), plat::FileOutcome::Done);
  ::close(ready[0]);
  ::close(ready[1]);
}

TEST_F(FileLocks, PlacesWhereNoLockCanBe) {
  std::unique_ptr<plat::FileLock> lock;
  EXPECT_EQ(Try(lock, "C:\\no such folder\\.layrix.lock"), plat::FileOutcome::Missing);
  EXPECT_EQ(Try(lock, "\\\\server\\share\\x"), plat::FileOutcome::BadName);
  EXPECT_EQ(Try(lock, "C:\\fs9\\NUL"), plat::FileOutcome::BadName);
  EXPECT_EQ(lock, nullptr);
}

}  // namespace
