// Waiting for the scenery library's lock: taken at once when free, waited
// for (and said so, once) while another holder has it, given up on after the
// time allowed, and done without where no lock file can be made.  The other
// holder is a second lock on the same file in this process: open-file-
// description locks exclude each other within one process too.
#include <stdlib.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "base/problems.h"
#include "scenery/library_lock.h"
#include "test_prefix.h"

namespace ts = testing_support;

namespace {

constexpr const char* kConfigPath = "C:\\FS9\\scenery.cfg";

class LibraryLock : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_.MakeFS9("[General]\r\nTitle=t\r\n");
    ::setenv("WINEPREFIX", prefix_.Prefix().c_str(), 1);
    plat::posix::ResetCaches();
  }
  void TearDown() override { plat::posix::ResetCaches(); }

  // Holds the library's lock the way another run would.
  std::unique_ptr<plat::FileLock> HoldAsAnotherRun() {
    std::unique_ptr<plat::FileLock> lock;
    const plat::FileResult locked = plat::TryLockFile(LibraryLockPath(kConfigPath), lock);
    EXPECT_TRUE(locked.Done()) << locked.Cause;
    return lock;
  }

  ts::TestPrefix prefix_;
  int notices_ = 0;
  std::function<void()> countNotice_ = [this] { ++notices_; };
};

TEST_F(LibraryLock, TheLockFileIsHiddenBesideScenerycfg) {
  EXPECT_EQ(LibraryLockPath(kConfigPath), "C:\\FS9\\.layrix.lock");
  EXPECT_EQ(LibraryLockPath("C:\\ProgramData\\Microsoft\\FSX\\scenery.cfg"),
            "C:\\ProgramData\\Microsoft\\FSX\\.layrix.lock");
}

TEST_F(LibraryLock, AFreeLockIsTakenAtOnceAndHeldUntilDropped) {
  std::unique_ptr<plat::FileLock> lock = LockLibrary(kConfigPath, 60, countNotice_);
  ASSERT_NE(lock, nullptr);
  EXPECT_TRUE(ts::PathExists(prefix_.C("FS9/.layrix.lock")));
  EXPECT_EQ(notices_, 0);
  // Nobody else gets it meanwhile.
  EXPECT_THROW(LockLibrary(kConfigPath, 0, countNotice_), FatalError);
  lock.reset();
  EXPECT_NE(HoldAsAnotherRun(), nullptr);
}

TEST_F(LibraryLock, NoWaitingWhenTheTimeoutIsZero) {
  const auto other = HoldAsAnotherRun();
  try {
    LockLibrary(kConfigPath, 0, countNotice_);
    ADD_FAILURE() << "the lock was taken from its holder";
  } catch (const FatalError& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find(kConfigPath), std::string::npos) << message;
    EXPECT_NE(message.find("LockTimeout=0"), std::string::npos) << message;
    EXPECT_NE(message.find("nothing was changed"), std::string::npos) << message;
  }
  EXPECT_EQ(notices_, 0);
}

TEST_F(LibraryLock, GivesUpAfterTheTimeoutHavingSaidItWaits) {
  const auto other = HoldAsAnotherRun();
  try {
    LockLibrary(kConfigPath, 2, countNotice_);
    ADD_FAILURE() << "the lock was taken from its holder";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find("after 2 seconds"), std::string::npos) << e.what();
  }
  EXPECT_EQ(notices_, 1);  // said once, after the first second
}

TEST_F(LibraryLock, WaitsUntilTheHolderLetsGo) {
  auto other = HoldAsAnotherRun();
  // The holder lets go after one and a half seconds, so the wait is long
  // enough to be announced whatever the machine's load.
  std::thread holder([&other] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    other.reset();
  });
  std::unique_ptr<plat::FileLock> lock = LockLibrary(kConfigPath, 600, countNotice_);
  holder.join();
  EXPECT_NE(lock, nullptr);
  EXPECT_EQ(notices_, 1);
}

TEST_F(LibraryLock, GoesOnWithoutALockWhereNoneCanBeMade) {
  // A folder in the lock file's place: the file can be neither made nor
  // opened, as in a folder the user may not write to.
  ts::MakeDirs(prefix_.C("FS9/.layrix.lock"));
  EXPECT_EQ(LockLibrary(kConfigPath, 60, countNotice_), nullptr);
  EXPECT_EQ(LockLibrary("C:\\No Such Folder\\scenery.cfg", 60, countNotice_), nullptr);
  EXPECT_EQ(notices_, 0);
}

}  // namespace
